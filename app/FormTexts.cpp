// The language pack's texts in the window: every control's caption, the
// category names and the language list.

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLibraryInfo>
#include <QMenu>
#include <QPushButton>
#include <QTranslator>

#include "app/Dialogs.h"
#include "app/FormRegFix.h"
#include "registry/RegistryException.h"

namespace hw::app {

namespace {

// The warning names what a repair changes: the Wine prefix's registry, or on
// Windows the computer's own.
#ifdef _WIN32
constexpr int kRegistryWarning = 108;
#else
constexpr int kRegistryWarning = 1;
#endif

// Texts beyond the first edition's numbers.
constexpr int kTextEdit = 103;
constexpr int kTextWarning = 104;
constexpr int kTextError = 105;
constexpr int kTextInformation = 106;
constexpr int kTextConfirm = 107;
constexpr int kMessageChoiceNotStored = 41;

}  // namespace

QString TFormRegFix::FormatText(QString format, const QString& arg) {
  return format.replace(QStringLiteral("%s"), arg);
}

bool TFormRegFix::ApplyTexts() {
  if (lang_.Load() != TLang::kLoaded) {
    Dialogs::MessageDlg(this, QStringLiteral("Error in language pack"), TMsgDlgType::mtInformation,
                        mbOK);
    return false;
  }
  auto I = [this](int n) { return InterfaceText(n); };
  const QString br = QStringLiteral("\n"), br2 = QStringLiteral("\n\n");

  table_.ApplyDisplayNames(lang_);
  LLang->setText(I(64));
  BIn->setText(I(14));
  BitBtnAddLetter->setText(I(14));
  for (QPushButton* b : {BOut, BitBtnRemoveLetter, BitBtnRemoveExcludedEntry}) b->setText(I(15));
  BitBtnAddExcludedEntry->setText(I(14));
  BitBtnEditExcludedEntry->setText(I(kTextEdit));
  ChBSaveUndo->setText(I(3));
  BUndoFile->setText(I(2));
  BitBtnBack->setText(I(16));
  BitBtnNext->setText(I(7));
  BitBtnCancel->setText(I(18));
  BitBtnHelp->setText(I(47));
  BitBtnInfo->setToolTip(I(57));
  PathDialogTitle = I(11);
  BitBtnSettings->setText(I(78));
  Label2->setText(' ' + I(79) + ' ');
  const std::pair<QCheckBox*, int> boxes[] = {
      {CheckBoxInvalidPaths, 62},     {CheckBoxEmptyKeys, 67},      {CheckBoxInvalidFonts, 29},
      {CheckBoxObsoleteSM, 52},       {CheckBoxInvalidAppPath, 63}, {CheckBoxInvalidHelpFile, 74},
      {CheckBoxInvalidSharedDLLs, 93}};
  for (const auto& [box, n] : boxes) box->setText(I(n));
  Label1->setText(I(65));
  StaticText1->setText(br + I(24) + br2 + I(12) + br2 + I(28));
  StaticText6->setText(I(kRegistryWarning) + br + I(27));
  StaticText2->setText(I(30) + ' ' + I(31) + ' ' + I(13));
  StaticText3->setText(br + I(34) + br + I(35));
  StaticText5->setText(br + I(39) + ' ' + I(40) + br2 + I(41));
  StaticText7->setText(br + I(36) + br + I(75) + br + I(37));
  StaticText4->setText(I(68) + ' ' + I(73));
  BitBtnRestoreDefault->setText(I(77));
  miAbout->setText(I(48));
  miHelpindex->setText(I(47));
  miCheckwebsitefornewversion->setText(I(94));
  const std::pair<QAction*, int> items[] = {
      {miPick, 83},           {miPickselectedentries, 84},        {miUnPickselectedentries, 88},
      {miPickallentries, 22}, {miUnpickallentries, 23},           {miOpenRegistryKey, 80},
      {miOpenFolder, 81},     {miSavefoundentriesintextfile, 96}, {miPrintallfoundentries, 97}};
  for (const auto& [item, n] : items) item->setText(I(n));
  Dialogs::SetTypeTitles({I(kTextWarning), I(kTextError), I(kTextInformation), I(kTextConfirm)});
  TranslateQtTexts();

  // Texts that depend on the page or on the category names follow at once.
  if (created_) {
    FillExclusionCombo();
    Notebook1PageChanged();
  }
  return true;
}

void TFormRegFix::TranslateQtTexts() {
  if (!qtTexts_) qtTexts_ = std::make_unique<QTranslator>();
  QCoreApplication::removeTranslator(qtTexts_.get());
  // Debian's qt6-translations-l10n; without it Qt's texts stay English.
  const QString locale = QString::fromStdString(lang_.Locale());
  if (!locale.isEmpty() && qtTexts_->load(QStringLiteral("qtbase_") + locale,
                                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QCoreApplication::installTranslator(qtTexts_.get());
}

void TFormRegFix::FillLanguageList() {
  CBLang->clear();
  for (const std::string& name : lang_.LanguageNames())
    CBLang->addItem(QString::fromStdString(name));
  const int inUse = lang_.LanguageIndex();
  if (inUse >= 0) CBLang->setCurrentIndex(inUse);
  LLang->setVisible(inUse >= 0);
  CBLang->setVisible(inUse >= 0);
}

void TFormRegFix::CBLangChange(int index) {
  if (index < 0 || index == lang_.LanguageIndex()) return;
  const std::string name = CBLang->itemText(index).toStdString();
  const std::string previous = lang_.DefaultLangName();
  // The texts change first: a pack that cannot be loaded changes nothing,
  // and a choice that cannot be stored (Wine runs in the prefix) still
  // holds for this session.
  lang_.UseLanguage(name);
  if (!ApplyTexts()) {
    lang_.UseLanguage(previous);
    FillLanguageList();
    return;
  }
  FillLanguageList();
  RefreshAbout();
  QString failure;
  try {
    settingsStore_.SaveLists([&](TStoredLists&) { lang_.SelectLanguage(name); });
  } catch (const ESettingsNotSaved& error) {
    failure = QString::fromUtf8(error.what());
  } catch (const ERegistryException& error) {
    failure = QString::fromUtf8(error.what());
  }
  if (!failure.isEmpty())
    Dialogs::ShowMessage(this, Message(kMessageChoiceNotStored) + '\r' + failure);
}

}  // namespace hw::app
