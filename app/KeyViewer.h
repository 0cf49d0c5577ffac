#pragma once
// TKeyViewer: the window that shows a found entry's key where Windows would
// steer its registry editor to it. A Wine prefix has no editor we could
// steer, so this read-only view of the prefix's registry stands in: the key
// tree on the left (children read when a key is expanded) and the selected
// key's values on the right.

#include <QDialog>
#include <QString>
#include <optional>
#include <string>

#include "app/KeyViewerModel.h"

class QLabel;
class QTableWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace hw::app {

class TKeyViewer : public QDialog {
  Q_OBJECT

 public:
  // Does not take ownership; api must outlive the window.
  TKeyViewer(platform::RegistryApi& api, QWidget* parent = nullptr);

  // Reads the registry afresh and selects the key (root name, backslash,
  // path) and, when valueName is not empty and exists, that value. False,
  // the view unchanged, when the key does not exist.
  bool ShowKey(const std::string& keyPath, const std::string& valueName);

  // The selected key's path, empty when none is selected.
  QString CurrentKeyPath() const;
  // The selected value's name ("" for the default value); none when no
  // value is selected.
  std::optional<QString> SelectedValueName() const;

  QTreeWidget* KeyTree = nullptr;
  QTableWidget* ValueTable = nullptr;
  QLabel* StatusLine = nullptr;

 private:
  void LoadRoots();
  void LoadChildren(QTreeWidgetItem* item);
  QTreeWidgetItem* AddKey(QTreeWidgetItem* parent, const QString& name, const QString& path);
  void ShowValues(QTreeWidgetItem* item);
  bool SelectValue(const QString& name);

  TKeyBrowser browser_;
};

}  // namespace hw::app
