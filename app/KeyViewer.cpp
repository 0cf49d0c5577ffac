#include "app/KeyViewer.h"

#include <QHeaderView>
#include <QLabel>
#include <QSplitter>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "platform/Text.h"

namespace hw::app {

namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kLoadedRole = Qt::UserRole + 1;
constexpr int kNameRole = Qt::UserRole;  // of a value row: its own name

QString Q(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

TKeyViewer::TKeyViewer(platform::RegistryApi& api, QWidget* parent)
    : QDialog(parent), browser_(api) {
  setObjectName(QStringLiteral("KeyViewer"));
  setWindowTitle(tr("Registry"));
  setModal(false);
  auto* splitter = new QSplitter(Qt::Horizontal, this);
  KeyTree = new QTreeWidget(splitter);
  KeyTree->setObjectName(QStringLiteral("KeyTree"));
  KeyTree->setHeaderHidden(true);
  KeyTree->setColumnCount(1);
  ValueTable = new QTableWidget(0, 3, splitter);
  ValueTable->setObjectName(QStringLiteral("ValueTable"));
  ValueTable->setHorizontalHeaderLabels({tr("Name"), tr("Type"), tr("Data")});
  ValueTable->horizontalHeader()->setStretchLastSection(true);
  ValueTable->verticalHeader()->hide();
  ValueTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
  ValueTable->setSelectionBehavior(QAbstractItemView::SelectRows);
  ValueTable->setSelectionMode(QAbstractItemView::SingleSelection);
  ValueTable->setWordWrap(false);
  splitter->setStretchFactor(1, 1);
  splitter->setSizes({260, 500});
  StatusLine = new QLabel(this);
  StatusLine->setObjectName(QStringLiteral("StatusLine"));
  StatusLine->setTextInteractionFlags(Qt::TextSelectableByMouse);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addWidget(splitter, 1);
  layout->addWidget(StatusLine);
  resize(780, 480);

  connect(KeyTree, &QTreeWidget::itemExpanded, this,
          [this](QTreeWidgetItem* item) { LoadChildren(item); });
  connect(KeyTree, &QTreeWidget::currentItemChanged, this,
          [this](QTreeWidgetItem* item) { ShowValues(item); });
  LoadRoots();
}

QTreeWidgetItem* TKeyViewer::AddKey(QTreeWidgetItem* parent, const QString& name,
                                    const QString& path) {
  auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(KeyTree);
  item->setText(0, name);
  item->setData(0, kPathRole, path);
  item->setData(0, kLoadedRole, false);
  // The expander is offered only where there is something below.
  item->setChildIndicatorPolicy(browser_.HasSubKeys(path.toStdString())
                                    ? QTreeWidgetItem::ShowIndicator
                                    : QTreeWidgetItem::DontShowIndicatorWhenChildless);
  return item;
}

void TKeyViewer::LoadRoots() {
  KeyTree->clear();
  ValueTable->setRowCount(0);
  for (const std::string& root : browser_.Roots()) AddKey(nullptr, Q(root), Q(root));
}

void TKeyViewer::LoadChildren(QTreeWidgetItem* item) {
  if (item->data(0, kLoadedRole).toBool()) return;
  item->setData(0, kLoadedRole, true);
  const QString path = item->data(0, kPathRole).toString();
  for (const std::string& name : browser_.SubKeys(path.toStdString()))
    AddKey(item, Q(name), path + '\\' + Q(name));
  item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

void TKeyViewer::ShowValues(QTreeWidgetItem* item) {
  ValueTable->setRowCount(0);
  if (!item) {
    StatusLine->clear();
    return;
  }
  const QString path = item->data(0, kPathRole).toString();
  StatusLine->setText(path);
  const auto rows = browser_.Values(path.toStdString());
  if (!rows) return;
  ValueTable->setRowCount(static_cast<int>(rows->size()));
  for (int r = 0; r < ValueTable->rowCount(); ++r) {
    const TValueRow& row = (*rows)[static_cast<std::size_t>(r)];
    const QString cells[] = {Q(row.Shown), Q(row.Type), Q(row.Data)};
    for (int c = 0; c < 3; ++c) ValueTable->setItem(r, c, new QTableWidgetItem(cells[c]));
    ValueTable->item(r, 0)->setData(kNameRole, Q(row.Name));
  }
  ValueTable->resizeColumnToContents(0);
  ValueTable->resizeColumnToContents(1);
}

bool TKeyViewer::SelectValue(const QString& name) {
  // Value names are compared without regard to case, as the registry does.
  const std::string wanted = name.toStdString();
  for (int r = 0; r < ValueTable->rowCount(); ++r) {
    const std::string own = ValueTable->item(r, 0)->data(kNameRole).toString().toStdString();
    if (!own.empty() && platform::equalsNoCase(own, wanted)) {
      ValueTable->selectRow(r);
      ValueTable->scrollToItem(ValueTable->item(r, 0));
      return true;
    }
  }
  return false;
}

bool TKeyViewer::ShowKey(const std::string& keyPath, const std::string& valueName) {
  const auto parts = browser_.Resolve(keyPath);
  if (!parts) return false;
  // The registry may have changed since the last look (a repair, a scan).
  LoadRoots();
  QTreeWidgetItem* item = nullptr;
  for (const std::string& part : *parts) {
    const QString name = Q(part);
    QTreeWidgetItem* next = nullptr;
    const int count = item ? item->childCount() : KeyTree->topLevelItemCount();
    for (int i = 0; i < count && !next; ++i) {
      QTreeWidgetItem* child = item ? item->child(i) : KeyTree->topLevelItem(i);
      if (child->text(0) == name) next = child;
    }
    if (!next) return false;  // gone between the look and the listing
    if (item) item->setExpanded(true);
    item = next;
    LoadChildren(item);
  }
  KeyTree->setCurrentItem(item);
  KeyTree->scrollToItem(item);
  if (!valueName.empty() && !SelectValue(Q(valueName)))
    StatusLine->setText(CurrentKeyPath() +
                        tr("    (the value \"%1\" does not exist)").arg(Q(valueName)));
  return true;
}

QString TKeyViewer::CurrentKeyPath() const {
  const QTreeWidgetItem* item = KeyTree->currentItem();
  return item ? item->data(0, kPathRole).toString() : QString();
}

std::optional<QString> TKeyViewer::SelectedValueName() const {
  const QList<QTableWidgetItem*> selected = ValueTable->selectedItems();
  if (selected.isEmpty()) return std::nullopt;
  return ValueTable->item(selected.front()->row(), 0)->data(kNameRole).toString();
}

}  // namespace hw::app
