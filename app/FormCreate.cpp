// Start-up and shut-down of the window: FormCreate's steps, the first page,
// the "/uninstall" clean-up and FormClose.

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSplitter>
#include <QTranslator>
#include <iostream>

#include "Version.h"
#include "app/Dialogs.h"
#include "app/FormRegFix.h"
#include "app/HelpWindow.h"
#include "app/KeyViewer.h"
#include "app/ResultsView.h"
#include "app/WizardWork.h"
#include "controls/PictureListBox.h"
#include "platform/Text.h"

namespace hw::app {

namespace fs = std::filesystem;

namespace {

constexpr char kTitle[] = "Hivewarden";

// With '/' between the names on Windows too, as the window's texts split them.
std::string FolderText(const fs::path& folder) {
  std::string text = folder.generic_string();
  if (text.empty() || text.back() != '/') text += '/';
  return text;
}

}  // namespace

TFormRegFix::TFormRegFix(TAppContext& context, QWidget* parent)
    : QWidget(parent),
      context_(context),
      engine_(context.Scan ? *context.Scan : context.Registry, context.Files, context.Pump),
      table_(engine_.ExclusionSets),
      exclusions_(engine_.ExclusionSets, context.ProgramFolder),
      editor_(exclusions_),
      settingsStore_(context.Settings, FolderText(context.ProgramFolder)),
      lang_(context.Registry, context.Files, context.Pump) {
  setObjectName(QStringLiteral("FormRegFix"));
  CreateControls();
  table_.SetView(CreateResultsView());
}

TFormRegFix::~TFormRegFix() = default;

QString TFormRegFix::InterfaceText(int n) const {
  return QString::fromStdString(lang_.GetInterfaceText(n));
}
QString TFormRegFix::InterfaceText(int n, const char* design) const {
  return lang_.Loaded() ? InterfaceText(n) : QString::fromLatin1(design);
}
QString TFormRegFix::Message(int n) const { return QString::fromStdString(lang_.GetMessage(n)); }
QString TFormRegFix::TitleText() const { return QString::fromLatin1(kTitle); }

QString TFormRegFix::VersionLine() const {
  return QStringLiteral("version %1.%2 build %3")
      .arg(QString::fromLatin1(version::kVersionText))
      .arg(version::kRelease)
      .arg(version::kBuild);
}

bool TFormRegFix::FormCreate() {
  // 1. The lock file stands in for the mutex named after the title.
  instanceLock_ = std::make_unique<TInstanceLock>(kTitle);
  // 2.-4. Folders, version texts, caption. The help pages lie in help/.
  backupFolder_ = hw::app::BackupFolder(context_.ProgramFolder);
  UndoPath.clear();
  LastTextDir = FolderText(context_.ProgramFolder);
  setWindowTitle(TitleText());
  Dialogs::SetApplicationTitle(TitleText());
  // 5. The update check compares major, minor and release as one number.
  UpdateRevision = std::stoi(std::to_string(version::kMajor) + std::to_string(version::kMinor) +
                             std::to_string(version::kRelease));
  // 6.-8. The search folders start empty; engine and records exist already.
  searchPaths_.clear();
  engine_.OnKey = [this](TAnalyzClass& engine) { ScanStatus(engine); };
  engine_.SkipReadOnlyKeys = false;
  engine_.Stop = true;
  // 9. The language pack.
  lang_.SetRootKey(lgHKCU);
  lang_.SetIniKey(settingsStore_.SettingsKey());
  lang_.SetProgramDir(FolderText(context_.ProgramFolder));
  lang_.SetLangExt(".lng");
  lang_.SetDefaultLangFile("renglish.lng");
  lang_.SetDefaultLangName("English");
  lang_.SetProgramName(kTitle);
  ApplyTexts();
  FillLanguageList();
  // 10.
  if (HasParam(context_.Args, "/uninstall")) {
    Uninstall();
    closing_ = true;
    return false;
  }
  // 11.
  settingsStore_.MigrateSettings();
  LoadSettings();
  // 12. The program does not run without the default lists it loads.
  try {
    exclusions_.Load(kWelcomeCategories, &settingsStore_.StoredLists());
  } catch (const EMissingDefaultsFile& missing) {
    const QString text = Message(3) + " \"" + QString::fromStdString(missing.FileName()) + "\"";
    // Also for whoever started the program from a script or a terminal.
    std::cerr << "hivewarden: " << text.toStdString() << "\n";
    Dialogs::MessageDlg(this, text, TMsgDlgType::mtError, mbOK);
    exitStatus_ = 2;
    FormClose();
    return false;
  }
  CopyDefaultCounts();
  // 13.
  FillDefaultSearchPaths(searchPaths_, context_.Files);
  // 14.-16.
  FillExclusionCombo();
  for (int c = 0; c < kCategoryCount; ++c)
    CategoryCheckBox(c)->setChecked(engine_.Categories.Contains(static_cast<TAnalyzCategory>(c)));
  ShownListIndex = -1;
  EditDriveLetter->clear();
  // 17. The About box is built with the controls.
  RefreshAbout();
  // 18.
  if (!FolderExists(backupFolder_)) {
    std::error_code error;
    fs::create_directories(backupFolder_, error);
    if (error)
      SetStatus(1, tr("The backup folder %1 could not be created: %2")
                       .arg(QString::fromStdString(backupFolder_.string()),
                            QString::fromStdString(error.message())));
  }
  created_ = true;
  return true;
}

void TFormRegFix::FormShow() {
  if (closing_) return;
  ShowPage(pgWelcome);
}

void TFormRegFix::closeEvent(QCloseEvent* event) {
  // Saving the settings writes the prefix, which must not happen halfway
  // through a repair: the close is refused until the run is over.
  if (RepairRunning) {
    event->ignore();
    return;
  }
  FormClose();
  // A scan or search still running further up the stack returns first; the
  // window only hides, so nothing it owns goes away under them.
  event->accept();
}

void TFormRegFix::FormClose() {
  if (closing_) return;
  closing_ = true;
  emit WindowClosing();
  BitBtnCancelClick();
  SaveSettings();
  if (help_) help_->close();
  if (about_) about_->close();
  if (keyViewer_) keyViewer_->close();
}

void TFormRegFix::Uninstall() {
  if (settingsStore_.Uninstalled() || !FolderExists(backupFolder_)) return;
  const QString text =
      Message(26) + '\r' + QString::fromStdString(backupFolder_.string()) + "?\r" + Message(27);
  if (Dialogs::MessageDlg(this, text, TMsgDlgType::mtConfirmation, mbYes | mbNo) == mbYes) {
    std::error_code error;
    fs::remove_all(backupFolder_, error);
    if (error) Dialogs::ShowMessage(this, QString::fromStdString(error.message()));
    return;
  }
  try {
    settingsStore_.SetUninstalled();
  } catch (const ESettingsNotSaved& failure) {
    Dialogs::ShowMessage(this, QString::fromUtf8(failure.what()));
  }
}

void TFormRegFix::LoadSettings() {
  TSettings settings = CurrentSettings();
  settingsStore_.LoadSettings(settings);
  const TWindowSettings& w = settings.Window;
  // A window closed minimized comes back in its normal state, so it is
  // never started out of sight.
  if (w.WindowState == wsMaximized) {
    setWindowState(Qt::WindowMaximized);
  } else {
    resize(w.Width, w.Height);
    if (w.Left && w.Top) move(*w.Left, *w.Top);
  }
  outWidth_ = w.OutWidth;
  Splitter1->setSizes({outWidth_, std::max(1, width() - outWidth_)});
  ChBSaveUndo->setChecked(w.SaveUndo);
  UndoPath = settings.UndoPath;
  LastTextDir = settings.LastTextDir;
  // Only the categories the Welcome page offers can be chosen.
  engine_.Categories = settings.Categories & kWelcomeCategories;
  searchPaths_ = settings.SearchPaths;
  engine_.ExcludedDrives = settings.ExcludedDrives;
}

TSettings TFormRegFix::CurrentSettings() const {
  TSettings settings = TSettings::Fresh(LastTextDir);
  TWindowSettings& w = settings.Window;
  w.WindowState = isMaximized() ? wsMaximized : isMinimized() ? wsMinimized : wsNormal;
  w.Width = width();
  w.Height = height();
  if (isVisible()) {
    w.Left = x();
    w.Top = y();
  }
  w.OutWidth = outWidth_;
  w.SaveUndo = ChBSaveUndo->isChecked();
  settings.UndoPath = UndoPath;
  settings.Categories = engine_.Categories;
  settings.SearchPaths = searchPaths_;
  settings.ExcludedDrives = engine_.ExcludedDrives;
  return settings;
}

void TFormRegFix::SaveSettings() {
  try {
    settingsStore_.SaveSettings(CurrentSettings());
  } catch (const ESettingsNotSaved& failure) {
    Dialogs::ShowMessage(this, QString::fromUtf8(failure.what()));
  }
}

void TFormRegFix::CopyDefaultCounts() {
  for (int c = 0; c < kCategoryCount; ++c)
    table_[c].DefaultCount = exclusions_.DefaultCount(static_cast<TAnalyzCategory>(c));
}

void TFormRegFix::FillExclusionCombo() {
  const int shown = ComboBoxExcludedEntries->currentIndex();
  ComboBoxExcludedEntries->blockSignals(true);
  ComboBoxExcludedEntries->clear();
  for (int c = 0; c < kCategoryCount; ++c)
    if (CategoryVisible(c))
      ComboBoxExcludedEntries->addItem(
          FormatText(InterfaceText(69), QString::fromStdString(table_[c].DisplayName)));
  ComboBoxExcludedEntries->setCurrentIndex(shown < 0 ? 0 : shown);
  ComboBoxExcludedEntries->blockSignals(false);
}

}  // namespace hw::app
