// The advanced settings: Settings1 (search folders and excluded drives) and
// Settings2 (the exclusion lists). Both pages edit working copies; Next takes
// them over, Back forgets them.

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "app/Dialogs.h"
#include "app/FormRegFix.h"

namespace hw::app {

namespace {

constexpr int kMessageOffThePrefix = 39;

void Fill(QListWidget* list, const std::vector<std::string>& items) {
  list->clear();
  for (const std::string& item : items) list->addItem(QString::fromStdString(item));
}

// The selected rows of a multi-selection list.
std::vector<int> SelectedRows(const QListWidget* list) {
  std::vector<int> rows;
  for (int row = 0; row < list->count(); ++row)
    if (list->item(row)->isSelected()) rows.push_back(row);
  return rows;
}

}  // namespace

// --- Settings1.

void TFormRegFix::EnterSettings1() {
  pathsPage_.Assign(searchPaths_);
  drivesPage_.Assign(engine_.ExcludedDrives);
  Fill(LBPaths, pathsPage_.Folders());
  Fill(ListBoxExcludedDrives, drivesPage_.Drives());
}

void TFormRegFix::NextOnSettings1() {
  if (pathsPage_.Empty()) {
    Dialogs::ShowMessage(this, Message(31));
    return;
  }
  searchPaths_ = pathsPage_.Folders();
  engine_.ExcludedDrives = drivesPage_.Drives();
  ComboBoxExcludedEntries->blockSignals(true);
  ComboBoxExcludedEntries->setCurrentIndex(0);
  ComboBoxExcludedEntries->blockSignals(false);
  editor_.Enter();
  ShowExclusionItems();
  ShowPage(pgSettings2);
  SetStatus(1, {});
}

void TFormRegFix::BInClick() {
  const std::optional<QString> chosen = Dialogs::ExistingFolder(
      this, PathDialogTitle,
      QString::fromStdString(context_.Files.ToHostPath("C:\\").value_or("/")));
  if (!chosen) return;
  // The picker shows the host; the lists hold the prefix's Windows paths.
  std::optional<std::string> folder = context_.Files.FromHostPath(chosen->toStdString());
  if (!folder) {
    Dialogs::ShowMessage(this, FormatText(Message(kMessageOffThePrefix), *chosen));
    return;
  }
  if (auto refused = pathsPage_.AddChosenFolder(*folder, lang_))
    Dialogs::ShowMessage(this, QString::fromStdString(*refused));
  Fill(LBPaths, pathsPage_.Folders());
  UpdateControls();
}

void TFormRegFix::BOutClick() {
  pathsPage_.RemoveAt(SelectedRows(LBPaths));
  Fill(LBPaths, pathsPage_.Folders());
  UpdateControls();
}

void TFormRegFix::LBPathsKeyDelete() { BOutClick(); }

void TFormRegFix::ListBoxExcludedDrivesClick() {
  if (QListWidgetItem* item = ListBoxExcludedDrives->currentItem())
    EditDriveLetter->setText(item->text());
  EditDriveLetter->setFocus();
  UpdateControls();
}

void TFormRegFix::BitBtnAddLetterClick() {
  EditDriveLetter->setFocus();
  EditDriveLetter->setText(
      QString::fromStdString(drivesPage_.AddLetter(EditDriveLetter->text().toStdString())));
  Fill(ListBoxExcludedDrives, drivesPage_.Drives());
  UpdateControls();
}

void TFormRegFix::BitBtnRemoveLetterClick() {
  drivesPage_.RemoveAt(SelectedRows(ListBoxExcludedDrives));
  Fill(ListBoxExcludedDrives, drivesPage_.Drives());
  EditDriveLetter->setFocus();
  UpdateControls();
}

// --- Settings2.

void TFormRegFix::NextOnSettings2() {
  try {
    settingsStore_.SaveLists([&](TStoredLists& stored) { editor_.Save(stored); });
  } catch (const ESettingsNotSaved& failure) {
    // The lists stay as edited; the page stays so the user can try again.
    Dialogs::ShowMessage(this, QString::fromUtf8(failure.what()));
    return;
  }
  ShowPage(pgWelcome);
  SetStatus(1, {});
}

void TFormRegFix::ShowExclusionItems() {
  Fill(ListBoxExcludedEntries, editor_.Items());
  FitListBoxExtent(ListBoxExcludedEntries);
  UpdateControls();
}

void TFormRegFix::ComboBoxExcludedEntriesChange(int index) {
  // Only a shown page has a working copy to write back.
  if (Page() != pgSettings2 || index < 0) return;
  editor_.SelectCategory(index);
  ShowExclusionItems();
}

// Shows the result of an add or edit: the refusal, or the new list.
void TFormRegFix::ShowEditResult(const TExclusionEditor::TEditResult& result) {
  if (result.Result == TExclusionEditor::TEditResult::Contained)
    Dialogs::ShowMessage(this, FormatText(Message(35), QString::fromStdString(result.Entry)));
  if (result.Ok()) ShowExclusionItems();
}

void TFormRegFix::BitBtnAddExcludedEntryClick() {
  if (auto text = Dialogs::InputText(this, windowTitle(), InterfaceText(66), {}))
    ShowEditResult(editor_.Add(text->toStdString()));
}

void TFormRegFix::BitBtnEditExcludedEntryClick() {
  const int position = ListBoxExcludedEntries->currentRow();
  if (!editor_.CanEdit(position)) return;
  const QString old = QString::fromStdString(editor_.Items()[static_cast<std::size_t>(position)]);
  if (auto text = Dialogs::InputText(this, windowTitle(), InterfaceText(66), old))
    ShowEditResult(editor_.Edit(position, text->toStdString()));
}

void TFormRegFix::BitBtnRemoveExcludedEntryClick() {
  const int position = ListBoxExcludedEntries->currentRow();
  if (!editor_.CanRemove(position)) return;
  const QString entry = QString::fromStdString(editor_.Items()[static_cast<std::size_t>(position)]);
  if (Dialogs::MessageDlg(this, Message(32) + "\r\"" + entry + "\" ?", TMsgDlgType::mtConfirmation,
                          mbYes | mbNo) != mbYes)
    return;
  editor_.Remove(position);
  ShowExclusionItems();
}

void TFormRegFix::BitBtnRestoreDefaultClick() {
  if (Dialogs::MessageDlg(this, FormatText(Message(29), ComboBoxExcludedEntries->currentText()),
                          TMsgDlgType::mtConfirmation, mbYes | mbNo) != mbYes)
    return;
  try {
    editor_.RestoreDefaults();
  } catch (const std::exception& failure) {
    Dialogs::ShowMessage(this, QString::fromUtf8(failure.what()));
    return;
  }
  CopyDefaultCounts();
  ShowExclusionItems();
}

}  // namespace hw::app
