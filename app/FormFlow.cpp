// The wizard's flow: which page Next and Back lead to, how the buttons look
// on each page, Cancel, Help and Info, the enabling of controls and the
// mappings between categories and list positions.

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSplitter>
#include <QStackedWidget>

#include "app/Dialogs.h"
#include "app/FormRegFix.h"
#include "app/HelpWindow.h"
#include "app/WizardWork.h"
#include "controls/ChckLBCB.h"
#include "controls/PictureListBox.h"
#include "results/Entry.h"

namespace hw::app {

namespace {

// The categories with a picture on the Welcome page, in the Settings2 combo box's order.
constexpr int kNoCategory = 0;

struct PageLook {
  int helpContext;
};
constexpr PageLook kLooks[kPageCount] = {{100}, {230}, {230}, {140}, {150}};

}  // namespace

TPage TFormRegFix::Page() const { return static_cast<TPage>(Notebook1->currentIndex()); }
QString TFormRegFix::PageName() const { return Notebook1->currentWidget()->objectName(); }

void TFormRegFix::ShowPage(TPage page) {
  // Notebook1PageChanged runs from currentChanged; showing the page shown
  // runs it too, as after every Next.
  if (Notebook1->currentIndex() == page)
    Notebook1PageChanged();
  else
    Notebook1->setCurrentIndex(page);
}

bool TFormRegFix::SearchRunning() const { return work_ && work_->SearchRunning(); }

QCheckBox* TFormRegFix::CategoryCheckBox(int category) const {
  switch (category) {
    case acInvalidPaths: return CheckBoxInvalidPaths;
    case acEmptyKeys: return CheckBoxEmptyKeys;
    case acInvalidFonts: return CheckBoxInvalidFonts;
    case acObsoleteStartMenu: return CheckBoxObsoleteSM;
    case acInvalidAppPaths: return CheckBoxInvalidAppPath;
    case acInvalidHelpFiles: return CheckBoxInvalidHelpFile;
    case acInvalidSharedDLLs: return CheckBoxInvalidSharedDLLs;
    default: return CheckBoxInvalidExts;
  }
}

bool TFormRegFix::CategoryVisible(int category) const {
  // Whether the window offers it; the design hides two boxes for good, so
  // this does not depend on the window being shown.
  return kWelcomeCategories.Contains(static_cast<TAnalyzCategory>(category));
}

int TFormRegFix::CategoryToComboIndex(int category) const {
  if (category < 0 || category >= kCategoryCount || !CategoryVisible(category)) return 0;
  int index = 0;
  for (int c = 0; c < category; ++c) index += CategoryVisible(c) ? 1 : 0;
  return index;
}

int TFormRegFix::ComboIndexToCategory(int index) const {
  for (int c = 0; c < kCategoryCount; ++c)
    if (CategoryToComboIndex(c) == index) return c;
  return kNoCategory;
}

int TFormRegFix::CategoryToListIndex(int category) const {
  if (category < 0 || category >= kCategoryCount ||
      !engine_.Categories.Contains(static_cast<TAnalyzCategory>(category)))
    return -1;
  int index = 0;
  for (int c = 0; c < category; ++c)
    index += engine_.Categories.Contains(static_cast<TAnalyzCategory>(c)) ? 1 : 0;
  return index;
}

int TFormRegFix::ListIndexToCategory(int index) const {
  for (int c = 0; c < kCategoryCount; ++c)
    if (CategoryToListIndex(c) == index) return c;
  return kNoCategory;
}

void TFormRegFix::SetStatus(int panel, const QString& text) {
  QLabel* label = StatusPanels.at(panel);
  label->setText(text);
  if (panel == 0) label->setFixedWidth(label->fontMetrics().horizontalAdvance(text) + 20);
}

void TFormRegFix::ScanStatus(TAnalyzClass& engine) {
  SetStatus(1, InterfaceText(10, "Scanning") + ' ' + QString::fromStdString(engine.RootName) +
                   " \\ " + QString::fromStdString(engine.KeyPath));
}

void TFormRegFix::SetButton(QPushButton* button, bool visible, bool enabled, const QString& caption,
                            int glyph) {
  button->setVisible(visible);
  button->setEnabled(enabled);
  button->setText(caption);
  if (glyph >= 0) button->setIcon(Glyph(glyph));
}

void TFormRegFix::Notebook1PageChanged() {
  const TPage page = Page();
  const QString back = InterfaceText(16, "Back"), next = InterfaceText(19, "Next"),
                cancel = InterfaceText(18, "Cancel");
  switch (page) {
    case pgWelcome:
      SetButton(BitBtnBack, false, false, back, -1);
      SetButton(BitBtnNext, true, true, InterfaceText(7, "Start"), 1);
      SetButton(BitBtnCancel, true, true, cancel, 3);
      break;
    case pgSettings1:
    case pgSettings2:
      SetButton(BitBtnBack, true, true, back, -1);
      SetButton(BitBtnNext, true, true, next, 2);
      SetButton(BitBtnCancel, true, true, cancel, 3);
      break;
    case pgRegistry:
      if (ScanRunning() || SearchRunning()) {
        SetButton(BitBtnBack, true, false, back, -1);
        SetButton(BitBtnNext, true, false, InterfaceText(53, "Please wait"), 1);
        SetButton(BitBtnCancel, true, true, InterfaceText(20, "Stop"), 0);
      } else {
        SetButton(BitBtnBack, true, true, back, -1);
        SetButton(BitBtnNext, true, BitBtnNext->isEnabled(), next, 2);  // UpdateControls decides
        SetButton(BitBtnCancel, true, true, cancel, 3);
      }
      break;
    case pgFixIt:
      SetButton(BitBtnBack, true, true, back, -1);
      SetButton(BitBtnNext, true, true, QStringLiteral("Fix it!"), 4);
      SetButton(BitBtnCancel, true, true, cancel, 3);
      break;
    default: break;
  }
  BitBtnHelp->setVisible(true);
  BitBtnHelp->setEnabled(true);
  helpContext_ = kLooks[page].helpContext;
  if (page == pgWelcome || page == pgSettings1 || page == pgSettings2) BitBtnNext->setFocus();
  FormResize();  // repaints the side picture of Welcome and Fix_it
  UpdateControls();
}

void TFormRegFix::UpdateControls() {
  // 1. Default exclusions can be neither edited nor removed.
  const int position = ListBoxExcludedEntries->currentRow();
  const bool own = ListBoxExcludedEntries->selectedItems().size() > 0 && editor_.CanEdit(position);
  BitBtnRemoveExcludedEntry->setEnabled(own);
  BitBtnEditExcludedEntry->setEnabled(own);
  // 2.
  BOut->setEnabled(!LBPaths->selectedItems().isEmpty());
  BitBtnRemoveLetter->setEnabled(!ListBoxExcludedDrives->selectedItems().isEmpty());
  // 3.
  const bool anySelected = ChckListBox1->SelCount() > 0;
  miPickselectedentries->setEnabled(anySelected);
  miUnPickselectedentries->setEnabled(anySelected);
  // 4.
  const TEntry* entry = SelectedEntry();
  int entryCategory = -1;
  if (entry) entryCategory = entry->Category;
  const bool folderCategory =
      entryCategory >= 0 && entryCategory != acEmptyKeys && entryCategory != acInvalidExts;
  miOpenFolder->setEnabled(entry && folderCategory);
  if (entry)
    miAddtoexcludedentrieslist->setText(
        FormatText(InterfaceText(82, "Never report this entry again (%s)"),
                   QString::fromStdString(table_[entryCategory].DisplayName)));
  miOpenRegistryKey->setEnabled(entry != nullptr);
  miAddtoexcludedentrieslist->setEnabled(entry != nullptr);
  // 5. The report lists every found entry, picked or not.
  if (Page() == pgRegistry && !ScanRunning() && !SearchRunning())
    BitBtnNext->setEnabled(table_.PickedTotal() > 0);
  const bool found = table_.CountTotal() > 0;
  miSavefoundentriesintextfile->setEnabled(found);
  miPrintallfoundentries->setEnabled(found);
}

void TFormRegFix::BitBtnNextClick(QObject* sender) {
  switch (Page()) {
    case pgWelcome: NextOnWelcome(sender == BitBtnSettings); break;
    case pgSettings1: NextOnSettings1(); break;
    case pgSettings2: NextOnSettings2(); break;
    case pgRegistry: NextOnRegistry(); break;
    case pgFixIt:
      if (work_) work_->FixIt(*this);
      break;
    default: break;
  }
}

void TFormRegFix::NextOnWelcome(bool settings) {
  bool any = false;
  for (int c = 0; c < kCategoryCount; ++c)
    if (c != acInvalidExts) any = any || CategoryCheckBox(c)->isChecked();
  if (!any) {
    Dialogs::ShowMessage(this, Message(30));
    CheckBoxInvalidPaths->setFocus();
    return;
  }
  TAnalyzCategories chosen;
  for (int c = 0; c < kCategoryCount; ++c)
    if (CategoryCheckBox(c)->isChecked()) chosen.Include(static_cast<TAnalyzCategory>(c));
  engine_.Categories = chosen;
  if (settings) {
    EnterSettings1();
    ShowPage(pgSettings1);
    SetStatus(1, {});
    return;
  }
  if (work_) work_->StartScan(*this);
}

void TFormRegFix::NextOnRegistry() {
  if (table_.PickedTotal() == 0) {
    Dialogs::ShowMessage(this, Message(20));
    return;
  }
  ShowPage(pgFixIt);
  SetStatus(1, {});
  if (UndoPath.empty() || UndoPath.back() != '/') UndoPath = backupFolder_.generic_string();
  const QDate today = QDate::currentDate();
  EUndoFile->setText(QString::fromStdString(UndoPath) +
                     QStringLiteral("%1_%2_%3.reg")
                         .arg(today.year())
                         .arg(today.month(), 2, 10, QLatin1Char('0'))
                         .arg(today.day(), 2, 10, QLatin1Char('0')));
  ChBSaveUndoClick();
  if (ChBSaveUndo->isChecked()) EUndoFile->setFocus();
}

void TFormRegFix::ChBSaveUndoClick() {
  EUndoFile->setEnabled(ChBSaveUndo->isChecked());
  BUndoFile->setEnabled(ChBSaveUndo->isChecked());
}

void TFormRegFix::BUndoFileClick() {
  auto chosen = Dialogs::SaveFileName(this, InterfaceText(9), EUndoFile->text(),
                                      QStringLiteral("Regedit files (*.reg)"));
  if (!chosen) return;
  // A name without an extension gets the backup's; dots in folder names do not count.
  QString path = *chosen;
  if (!path.mid(path.lastIndexOf('/') + 1).contains('.')) path += QStringLiteral(".reg");
  EUndoFile->setText(path);
}

void TFormRegFix::BitBtnBackClick() {
  switch (Page()) {
    case pgSettings2: ShowPage(pgSettings1); break;
    case pgSettings1:
    case pgRegistry: ShowPage(pgWelcome); break;
    case pgFixIt: ShowPage(pgRegistry); break;
    default: break;
  }
}

void TFormRegFix::BitBtnCancelClick() {
  if (Page() == pgRegistry && ScanRunning()) {
    engine_.Stop = true;
    return;
  }
  if (Page() == pgRegistry && SearchRunning()) {
    work_->StopSearch();
    return;
  }
  // Closing runs FormClose, which comes back here with the flag set.
  if (!closing_) close();
}

void TFormRegFix::BitBtnHelpClick() { ShowHelp(helpContext_); }

void TFormRegFix::ShowHelp(int context) { help_->ShowTopic(context); }

void TFormRegFix::BitBtnInfoClick() {
  PMInfo->popup(BitBtnInfo->mapToGlobal(BitBtnInfo->rect().bottomLeft()));
}

void TFormRegFix::RefreshAbout() {
  aboutTitle_->setText(TitleText());
  aboutVersion_->setText(VersionLine());
  about_->setWindowTitle(miAbout->text());
}

void TFormRegFix::miAboutClick() {
  RefreshAbout();
  about_->show();
  about_->raise();
}

void TFormRegFix::miHelpindexClick() { ShowHelp(0); }

void TFormRegFix::miCheckwebsitefornewversionClick() {
  if (work_) work_->CheckForNewVersion(*this);
}

void TFormRegFix::Splitter1Moved() {
  outWidth_ = Splitter1->sizes().value(0, outWidth_);
  PictureListBox1->viewport()->update();
}

void TFormRegFix::PopupMenu1Popup() { UpdateControls(); }

}  // namespace hw::app
