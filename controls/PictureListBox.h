#pragma once
// TPictureListBox: a list of tall items, each a picture from an image list
// with its caption beside it or below it; the selected item is framed with a
// sunken edge. The results page lists its categories in one.

#include <QColor>
#include <QList>
#include <QListWidget>
#include <QPixmap>
#include <QSet>
#include <QStringList>
#include <functional>

#include "controls/OwnerDrawState.h"
#include "controls/RowColors.h"

class QPainter;

namespace hw {

enum TAlignment { taLeftJustify, taRightJustify, taCenter };

class TPictureListBox : public QListWidget, public TRowColors {
  Q_OBJECT
 public:
  using TDrawItemEvent = std::function<void(TPictureListBox* sender, QPainter& canvas, int index,
                                            const QRect& rect, TOwnerDrawState state)>;

  explicit TPictureListBox(QWidget* parent = nullptr);

  // Pictures by position; empty when the list has no image list.
  const QList<QPixmap>& ImageList() const { return imageList_; }
  void SetImageList(const QList<QPixmap>& images);
  int Offset() const { return offset_; }
  void SetOffset(int value);
  bool IconsTransparent() const { return iconsTransparent_; }
  void SetIconsTransparent(bool value);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment value);
  bool UseOtherImageIndexes() const { return useOtherImageIndexes_; }
  void SetUseOtherImageIndexes(bool value);
  // Per item, the picture index as decimal text (used with UseOtherImageIndexes).
  QStringList& ImgListIndexes() { return imgListIndexes_; }
  void SetImgListIndexes(const QStringList& indexes);
  // Stored only; drawing does not depend on it.
  bool FixedSize() const { return fixedSize_; }
  void SetFixedSize(bool value) { fixedSize_ = value; }
  int ItemHeight() const { return itemHeight_; }
  void SetItemHeight(int height);

  // Item colours: ColorBkg, ColorText, ColorBkgSelected, ColorTextSelected (TRowColors).

  // Replaces the default drawing of an item.
  TDrawItemEvent OnDrawItem;
  // Shows the message about an unusable picture index; a message box when unset.
  std::function<void(const QString& text)> OnShowMessage;

  // The picture index of an item, -1 when it has none, -2 when its
  // ImgListIndexes entry is missing or no number.
  int PictureIndex(int index) const;

 protected:
  virtual void DrawItem(QPainter& canvas, int index, const QRect& rect, TOwnerDrawState state);

 private:
  friend class TPictureListDelegate;
  void ReportInvalid(int index);
  static void DrawCaption(QPainter& canvas, const QRect& rect, int align, const QString& text);

  QList<QPixmap> imageList_;
  int offset_ = 4;
  bool iconsTransparent_ = true;
  TAlignment alignment_ = taCenter;
  bool useOtherImageIndexes_ = false;
  QStringList imgListIndexes_;
  bool fixedSize_ = true;
  int itemHeight_ = 16;
  // Entries already reported, so a repaint does not show the message again.
  QSet<QString> reported_;
};

}  // namespace hw
