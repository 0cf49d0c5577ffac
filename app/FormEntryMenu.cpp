// The pop-up actions of the Registry page on a found entry: show its key,
// open its folder, exclude it from later scans, and save or print the report
// of all found entries.

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTemporaryDir>
#include <QTextDocument>
#include <ctime>

#include "Version.h"
#include "app/Dialogs.h"
#include "app/FormRegFix.h"
#include "app/KeyViewer.h"
#include "app/ShellOpen.h"
#include "controls/ChckLBCB.h"
#include "results/FoundEntriesReport.h"
#include "scan/PathText.h"
#include "update/UpdateAddresses.h"

namespace hw::app {

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

// The folder the entry's missing file was in, as the category knows it.
std::string FolderOf(const TEntry& entry, const TAnalyzClass& engine) {
  const std::string folderPart(ExtractFilePath(entry.BadPath));
  switch (entry.Category) {
    case acInvalidFonts: return folderPart.empty() ? engine.FontsDir : folderPart;
    case acObsoleteStartMenu: return engine.ProgramsDir;
    case acInvalidAppPaths:
      return entry.Flags.Contains(etAppNotInPath) ? entry.BadPath : folderPart;
    case acInvalidHelpFiles: return entry.BadPath;
    default: return folderPart;
  }
}

// A name typed without an extension gets the default one; dots in folder
// names do not count.
QString WithDefaultExtension(const QString& path, const QString& extension) {
  return QFileInfo(path).fileName().contains('.') ? path : path + extension;
}

std::unique_ptr<QPrinter> DefaultPrinter() {
  const QPrinterInfo info = QPrinterInfo::defaultPrinter();
  if (info.isNull()) return nullptr;
  return std::make_unique<QPrinter>(info, QPrinter::HighResolution);
}

}  // namespace

TEntry* TFormRegFix::SelectedEntry() const {
  if (ChckListBox1->SelCount() == 0) return nullptr;
  const TBoxItem* item = ChckListBox1->BoxItem(ChckListBox1->FirstSelected());
  return item ? static_cast<TEntry*>(item->Data) : nullptr;
}

// --- The key viewer.

void TFormRegFix::OpenInRegistryEditor(const std::string& keyPath, const std::string& valueName) {
  if (!keyViewer_) keyViewer_ = new TKeyViewer(context_.Registry, this);
  // A lone backslash names no key: the viewer is shown as it is.
  if (keyPath != "\\" && !keyViewer_->ShowKey(keyPath, valueName)) {
    Dialogs::ShowMessage(this, QStringLiteral("Unable to open \"%1\"").arg(Q(keyPath)));
    return;
  }
  keyViewer_->setWindowTitle(TitleText() + QStringLiteral(" - ") + tr("Registry"));
  keyViewer_->show();
  keyViewer_->raise();
  keyViewer_->activateWindow();
}

void TFormRegFix::miOpenRegistryKeyClick() {
  const TEntry* entry = SelectedEntry();
  if (!entry) return;
  const TRootKeyText key = ParseRootKeyText(entry->KeyText);
  OpenInRegistryEditor(key.RootName + key.KeyPath, entry->ValueName);
}

// --- The folder.

void TFormRegFix::miOpenFolderClick() {
  const TEntry* entry = SelectedEntry();
  if (!entry) return;
  const QString folder = Q(FolderOf(*entry, engine_));
  if (folder.isEmpty()) return;
  // ShellOpen maps the prefix path to the host and tells why it failed.
  if (!ShellOpen(this, context_.Files, QStringLiteral("open"), folder))
    Dialogs::ShowMessage(this, FormatText(Message(16), folder));
}

// --- Exclusions.

void TFormRegFix::miAddtoexcludedentrieslistClick() {
  TEntry* entry = SelectedEntry();
  if (!entry) return;
  const int row = ChckListBox1->FirstSelected();
  const auto category = static_cast<TAnalyzCategory>(entry->Category);
  const std::string text = TExclusionLists::FindingText(
      category, ParseRootKeyText(entry->KeyText).KeyPath, entry->ValueName);
  if (Dialogs::MessageDlg(this, FormatText(Message(28), Q(text)), TMsgDlgType::mtConfirmation,
                          mbYes | mbNo) != mbYes)
    return;
  const int covering = exclusions_.CoveringEntry(category, text);
  if (covering >= 0) {
    const std::string& by = exclusions_.List(category).Items[static_cast<std::size_t>(covering)];
    Dialogs::ShowMessage(this, FormatText(Message(35), Q(by)));
    return;
  }
  bool added = false;
  try {
    // Stored at once, whatever becomes of the Settings2 page.
    settingsStore_.SaveLists(
        [&](TStoredLists& stored) { added = exclusions_.AddUserEntry(category, text, &stored); });
  } catch (const ESettingsNotSaved& failure) {
    Dialogs::ShowMessage(this, QString::fromUtf8(failure.what()));
    return;
  }
  if (!added) return;  // a key path of nothing but backslashes
  // The entry stays listed, no longer picked for repair.
  ChckListBox1->SetChecked(row, false);
  table_[category].Entries->SetPicked(entry, false);
  UpdateControls();
  RefreshResultCounts();
}

// --- The report.

bool TFormRegFix::WriteReport(const std::string& fileName) {
  const TReportSource source{table_,
                             engine_.Categories,
                             lang_,
                             {TitleText().toStdString(), version::kVersionText,
                              std::to_string(version::kRelease), HomepageUrl()}};
  try {
    WriteFoundEntriesReport(fileName, source);
  } catch (const platform::FileError& failure) {
    // "Error deleting file" for a file that may not be replaced; any other
    // write failure is told the same way instead of ending the program.
    Dialogs::ShowMessage(this, QString::fromUtf8(failure.what()));
    return false;
  }
  return true;
}

void TFormRegFix::miSavefoundentriesintextfileClick() {
  // The menu item's caption, without its accelerator and dots, names the dialog.
  QString title = miSavefoundentriesintextfile->text().remove('&');
  while (title.endsWith('.')) title.chop(1);
  const auto chosen = Dialogs::SaveFileName(this, title, Q(LastTextDir),
                                            QStringLiteral("Text Files (*.txt);;Any Files (*)"));
  if (!chosen) return;
  const QString path = WithDefaultExtension(*chosen, QStringLiteral(".txt"));
  if (QFileInfo::exists(path) &&
      Dialogs::MessageDlg(this, tr("%1 already exists.\rDo you want to replace it?").arg(path),
                          TMsgDlgType::mtConfirmation, mbYes | mbNo) != mbYes)
    return;
  if (!WriteReport(path.toStdString())) return;
  LastTextDir = QFileInfo(path).absolutePath().toStdString();
}

void TFormRegFix::miPrintallfoundentriesClick() {
  // A folder of our own in the temporary folder: a fixed name there could be
  // another user's file, or another copy of the program's report.
  QTemporaryDir folder(Q(context_.Files.GetTempPathA()) + QStringLiteral("hivewarden-XXXXXX"));
  if (!folder.isValid()) {
    Dialogs::ShowMessage(
        this, tr("The found entries could not be printed: %1").arg(folder.errorString()));
    return;
  }
  const QString fileName = folder.filePath(QStringLiteral("entries.txt"));
  if (!WriteReport(fileName.toStdString())) return;
  std::unique_ptr<QPrinter> printer = ReportPrinter ? ReportPrinter() : DefaultPrinter();
  if (!printer) {
    Dialogs::ShowMessage(
        this, tr("No printer is set up on this system, so the found entries cannot be printed."));
    return;
  }
  QFile file(fileName);
  if (!file.open(QIODevice::ReadOnly)) {
    Dialogs::ShowMessage(this,
                         tr("The found entries could not be printed: %1").arg(file.errorString()));
    return;
  }
  QTextDocument document;
  document.setDefaultFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  document.setPlainText(QString::fromUtf8(file.readAll()));
  file.close();
  printer->setDocName(QStringLiteral("entries.txt"));
  // Returns once the job is handed to the print system; the file and its
  // folder go when `folder` does.
  document.print(printer.get());
  if (printer->printerState() == QPrinter::Error)
    Dialogs::ShowMessage(this, tr("The found entries could not be printed."));
}

}  // namespace hw::app
