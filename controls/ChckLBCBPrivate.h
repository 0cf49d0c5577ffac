#pragma once
// Internals of TChckLBCB: the row texts as an item model, the delegate that
// hands row painting to the list and the one that paints owner-drawn combo
// texts. Not for use outside the control.

#include <QAbstractItemDelegate>
#include <QAbstractListModel>
#include <QString>
#include <vector>

#include "controls/ChckLBCB.h"

namespace hw {

class TChckLBCBModel : public QAbstractListModel {
 public:
  using QAbstractListModel::QAbstractListModel;

  int rowCount(const QModelIndex& parent) const override {
    return parent.isValid() ? 0 : static_cast<int>(texts_.size());
  }
  QVariant data(const QModelIndex& index, int role) const override;

  const QString& Text(int row) const { return texts_[row]; }
  void Append(const QString& text);
  void Remove(int row);
  void Reset();

 private:
  std::vector<QString> texts_;
};

class TChckLBCBDelegate : public QAbstractItemDelegate {
 public:
  explicit TChckLBCBDelegate(TChckLBCB* list) : QAbstractItemDelegate(list), list_(list) {}
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

 private:
  TChckLBCB* list_;
};

// Paints the texts of an owner-drawn combo box's drop-down list.
class TLBComboDelegate : public QAbstractItemDelegate {
 public:
  explicit TLBComboDelegate(TLBComboBox* combo) : QAbstractItemDelegate(combo), combo_(combo) {}
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

 private:
  TLBComboBox* combo_;
};

}  // namespace hw
