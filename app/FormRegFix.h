#pragma once
// TFormRegFix: the program's one window, a five-page wizard over a Wine
// prefix. It owns the scan engine, the eight category records, the exclusion
// lists, the search folders and the language pack for the life of the
// process. Its controls carry their design names as objectName, so tests and
// the language texts find them by name.

#include <QPixmap>
#include <QWidget>
#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/AppContext.h"
#include "app/settings/SettingsStore.h"
#include "controls/OwnerDrawState.h"
#include "lang/Lang.h"
#include "platform/wine/PrefixFinder.h"
#include "results/CategoryTable.h"
#include "scan/AnalyzClass.h"
#include "scan/ExclusionEditor.h"
#include "scan/ExclusionLists.h"
#include "search/SearchFolders.h"

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLayout;
class QLineEdit;
class QListWidget;
class QMenu;
class QPrinter;
class QPainter;
class QRect;
class QPushButton;
class QSplitter;
class QStackedWidget;
class QTextBrowser;
class QTranslator;

namespace hw {
class TChckLBCB;
class TEntriesView;
class TEntry;
class TLBComboBox;
class TPictureListBox;
}  // namespace hw

namespace hw::app {

class THelpWindow;
class TKeyViewer;
class TResultsView;
class TWizardWork;

// The pages of Notebook1, in their order.
enum TPage : int { pgWelcome, pgSettings1, pgSettings2, pgRegistry, pgFixIt, kPageCount };

class TFormRegFix : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kPanelHeight = 35;
  static constexpr int kStatusHeight = 19;
  static constexpr int kDesignWidth = 599;
  static constexpr int kDesignHeight = 450;

  // context must outlive the window. Builds the controls only; FormCreate
  // does the start-up.
  explicit TFormRegFix(TAppContext& context, QWidget* parent = nullptr);
  ~TFormRegFix() override;

  // The start-up steps; false when the program ends without showing the
  // window (the "/uninstall" clean-up, a missing default file).
  bool FormCreate();
  // What the process ends with when FormCreate returned false: 0 after the
  // "/uninstall" clean-up, 2 when a default exclusion file is missing.
  int ExitStatus() const { return exitStatus_; }
  void FormShow();
  void FormClose();

  // The prefix chooser on Welcome (FormPrefix.cpp): the prefix open and the
  // prefixes found; whether Wine runs in each is asked again each time the
  // list opens. Hidden until this is called.
  void SetPrefixChoices(const std::filesystem::path& current,
                        std::vector<platform::FoundPrefix> found);
  // Called with the prefix the user chose in its place; unset: nothing happens.
  std::function<void(const std::filesystem::path&)> PrefixChosen;
  void CBPrefixChange(int index);

  // The work behind Start and "Fix it!" (not owned; null: those do nothing).
  void SetWizardWork(TWizardWork* work) { work_ = work; }

  // --- State the wizard, the results view and the orchestration share.
  TAnalyzClass& Engine() { return engine_; }
  CategoryTable& Categories() { return table_; }
  TExclusionLists& Exclusions() { return exclusions_; }
  TSettingsStore& Settings() { return settingsStore_; }
  TLang& Lang() { return lang_; }
  std::vector<std::string>& SearchPaths() { return searchPaths_; }
  TAppContext& Context() { return context_; }
  bool Closing() const { return closing_; }
  const std::filesystem::path& ProgramFolder() const { return context_.ProgramFolder; }
  const std::filesystem::path& BackupFolder() const { return backupFolder_; }
  std::string UndoPath;
  std::string LastTextDir;
  std::string BackupFileName;
  int ShownListIndex = -1;
  // A repair run is under way: the window waits for it before it closes.
  bool RepairRunning = false;
  int UpdateRevision = 0;  // major, minor and release as one number (1.0.0 gives 100)

  // Texts of the language pack in use.
  QString InterfaceText(int n) const;
  // The same, or the control's design text while no pack is in use.
  QString InterfaceText(int n, const char* design) const;
  QString Message(int n) const;
  QString TitleText() const;
  // "version 1.0.0 build 1"
  QString VersionLine() const;

  // --- Wizard.
  TPage Page() const;
  QString PageName() const;
  void ShowPage(TPage page);  // and the page-changed update
  void Notebook1PageChanged();
  void UpdateControls();
  void SetStatus(int panel, const QString& text);
  int HelpContext() const { return helpContext_; }
  bool ScanRunning() const { return !engine_.Stop; }
  bool SearchRunning() const;
  // The engine's OnKey: status panel 1 follows the key being opened.
  void ScanStatus(TAnalyzClass& engine);

  // The index mappings between categories, the combo box of Settings2 and the
  // category list of the Registry page.
  int CategoryToComboIndex(int category) const;
  int ComboIndexToCategory(int index) const;
  int CategoryToListIndex(int category) const;
  int ListIndexToCategory(int index) const;
  bool CategoryVisible(int category) const;

  // --- Handlers, named after the control and its event.
  void BitBtnNextClick(QObject* sender);
  void BitBtnBackClick();
  void BitBtnCancelClick();
  void BitBtnHelpClick();
  void BitBtnInfoClick();
  void ChBSaveUndoClick();
  void BUndoFileClick();
  void FormResize();
  void Splitter1Moved();
  void PopupMenu1Popup();
  void miAboutClick();
  void miHelpindexClick();
  void miCheckwebsitefornewversionClick();
  void CBLangChange(int index);
  void BInClick();
  void BOutClick();
  void LBPathsKeyDelete();
  void ListBoxExcludedDrivesClick();
  void BitBtnAddLetterClick();
  void BitBtnRemoveLetterClick();
  void ComboBoxExcludedEntriesChange(int index);
  void BitBtnAddExcludedEntryClick();
  void BitBtnEditExcludedEntryClick();
  void BitBtnRemoveExcludedEntryClick();
  void BitBtnRestoreDefaultClick();

  // --- Results view of the Registry page (FormResults.cpp).
  // Before every scan: empties the lists and shows the scanned categories.
  void PrepareResultLists();
  // After the moved-file search: the invalid paths' choices follow the finds.
  void ApplySearchDefaults();
  // The category captions and the status bar total.
  void RefreshResultCounts();
  void PictureListBox1Click();
  void ChckListBox1StateChanged();
  void ChckListBox1Click();
  void ChckListBox1ChangeComboBox(TLBComboBox* sender);
  void ChckListBox1AfterDrawItem(TChckLBCB* sender, QPainter& canvas, int index, const QRect& rect,
                                 TOwnerDrawState state);
  void ChckListBox1DrawComboBox(TLBComboBox* sender, QPainter& canvas, int index, const QRect& rect,
                                TOwnerDrawState state);
  // Shared by the four pick commands; sender tells which.
  void miPickClick(QObject* sender);
  TResultsView& ResultsView() const { return *results_; }

  // Language texts into the controls; false, after saying so, when the pack
  // could not be loaded and every text stayed. FillLanguageList after a load.
  bool ApplyTexts();
  void FillLanguageList();
  // Shows a help topic by context number; 0 is the index.
  void ShowHelp(int context);
  THelpWindow* HelpWindow() const { return help_.get(); }
  QWidget* AboutBox() const { return about_; }
  // The horizontal scroll range FitListBoxExtent gave the list.
  static int HorizontalExtent(const QListWidget* list);
  static void FitListBoxExtent(QListWidget* list);
  // A text of the pack with its "%s" replaced by arg; unchanged without one.
  static QString FormatText(QString format, const QString& arg);

  // The designed picture of the Welcome or Fix_it page at the notebook's height.
  QPixmap PaintSidePicture(bool welcome) const;

  // Controls, by their design names.
  QStackedWidget* Notebook1 = nullptr;
  QWidget* Panel1 = nullptr;
  QWidget* StatusBar1 = nullptr;
  std::array<QLabel*, 2> StatusPanels{};
  QPushButton* BitBtnBack = nullptr;
  QPushButton* BitBtnNext = nullptr;
  QPushButton* BitBtnCancel = nullptr;
  QPushButton* BitBtnHelp = nullptr;
  QPushButton* BitBtnInfo = nullptr;
  QMenu* PMInfo = nullptr;
  QAction* miAbout = nullptr;
  QAction* miHelpindex = nullptr;
  QAction* miCheckwebsitefornewversion = nullptr;
  // Welcome
  QLabel* ImageStart = nullptr;
  QLabel* StaticText1 = nullptr;
  QLabel* StaticText6 = nullptr;
  QLabel* Label2 = nullptr;
  QCheckBox* CheckBoxInvalidPaths = nullptr;
  QCheckBox* CheckBoxEmptyKeys = nullptr;
  QCheckBox* CheckBoxInvalidFonts = nullptr;
  QCheckBox* CheckBoxObsoleteSM = nullptr;
  QCheckBox* CheckBoxInvalidAppPath = nullptr;
  QCheckBox* CheckBoxInvalidHelpFile = nullptr;
  QCheckBox* CheckBoxInvalidSharedDLLs = nullptr;
  QCheckBox* CheckBoxInvalidExts = nullptr;
  QPushButton* BitBtnSettings = nullptr;
  QLabel* LLang = nullptr;
  QComboBox* CBLang = nullptr;
  QLabel* LPrefix = nullptr;
  QComboBox* CBPrefix = nullptr;
  // Settings1
  QWidget* PanelDrives = nullptr;
  QWidget* PanelPaths = nullptr;
  QLabel* Label1 = nullptr;
  QLineEdit* EditDriveLetter = nullptr;
  QPushButton* BitBtnAddLetter = nullptr;
  QPushButton* BitBtnRemoveLetter = nullptr;
  QListWidget* ListBoxExcludedDrives = nullptr;
  QLabel* StaticText7 = nullptr;
  QPushButton* BIn = nullptr;
  QPushButton* BOut = nullptr;
  QListWidget* LBPaths = nullptr;
  QLabel* StaticText3 = nullptr;
  // Settings2
  QLabel* StaticText4 = nullptr;
  QWidget* PanelExclCombo = nullptr;
  QComboBox* ComboBoxExcludedEntries = nullptr;
  QListWidget* ListBoxExcludedEntries = nullptr;
  QWidget* PanelExclButtons = nullptr;
  QPushButton* BitBtnAddExcludedEntry = nullptr;
  QPushButton* BitBtnEditExcludedEntry = nullptr;
  QPushButton* BitBtnRemoveExcludedEntry = nullptr;
  QPushButton* BitBtnRestoreDefault = nullptr;
  // Registry
  QLabel* StaticText2 = nullptr;
  QSplitter* Splitter1 = nullptr;
  TPictureListBox* PictureListBox1 = nullptr;
  TChckLBCB* ChckListBox1 = nullptr;
  QMenu* PopupMenu1 = nullptr;
  QAction* miPick = nullptr;
  QAction* miPickselectedentries = nullptr;
  QAction* miUnPickselectedentries = nullptr;
  QAction* miPickallentries = nullptr;
  QAction* miUnpickallentries = nullptr;
  QAction* miOpenRegistryKey = nullptr;
  QAction* miOpenFolder = nullptr;
  QAction* miAddtoexcludedentrieslist = nullptr;
  QAction* miSavefoundentriesintextfile = nullptr;
  QAction* miPrintallfoundentries = nullptr;
  // Fix_it
  QLabel* ImageEnd = nullptr;
  QLabel* StaticText5 = nullptr;
  QCheckBox* ChBSaveUndo = nullptr;
  QLineEdit* EUndoFile = nullptr;
  QPushButton* BUndoFile = nullptr;
  QWidget* PanelUndo = nullptr;

  // The folder picker's title (interface text 11).
  QString PathDialogTitle;

  // --- The found entry's pop-up actions (FormEntryMenu.cpp).
  // The entry of the first selected row of the results list; null when no
  // row is selected or the row has no entry.
  TEntry* SelectedEntry() const;
  // Shows a key (root name, backslash, path below the root) in the key
  // viewer, with the value selected when valueName names one.
  void OpenInRegistryEditor(const std::string& keyPath, const std::string& valueName);
  // Null until a key was shown.
  TKeyViewer* KeyViewer() const { return keyViewer_; }
  void miOpenRegistryKeyClick();
  void miOpenFolderClick();
  void miAddtoexcludedentrieslistClick();
  void miSavefoundentriesintextfileClick();
  void miPrintallfoundentriesClick();
  // The printer the report goes to, null when there is none; unset: the
  // system's default printer. Called once the report file is written.
  std::function<std::unique_ptr<QPrinter>()> ReportPrinter;

 signals:
  // FormClose has begun: work waiting in a nested event loop stops waiting.
  void WindowClosing();

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Page building (FormPages.cpp).
  void CreateControls();
  QWidget* CreateWelcome();
  QWidget* CreateSettings1();
  QWidget* CreateSettings2();
  QWidget* CreateRegistry();
  QWidget* CreateFixIt();
  QWidget* CreateButtonPanel();
  QWidget* CreateStatusBar();
  void CreateMenus();
  QPixmap Picture(const QString& name) const;
  QIcon Glyph(int index) const;
  // The widths that follow their panel: EUndoFile and ComboBoxExcludedEntries.
  void FitPanels();
  QCheckBox* CategoryCheckBox(int category) const;
  QLayout* CreatePrefixRow(QWidget* page);
  void FillPrefixChoices();
  void SelectCurrentPrefix();

  // Start-up and shut-down parts (FormCreate.cpp).
  void Uninstall();
  void LoadSettings();
  TSettings CurrentSettings() const;
  void SaveSettings();
  void CopyDefaultCounts();
  void FillExclusionCombo();

  // The page-dependent steps of Next (FormSettingsPages.cpp and FormFlow.cpp).
  void NextOnWelcome(bool settings);
  void EnterSettings1();
  void NextOnSettings1();
  void NextOnSettings2();
  void NextOnRegistry();
  void ShowExclusionItems();
  void ShowEditResult(const TExclusionEditor::TEditResult& result);
  void RefreshAbout();
  void SetButton(QPushButton* button, bool visible, bool enabled, const QString& caption,
                 int glyph);

  TAppContext& context_;
  std::filesystem::path currentPrefix_;
  std::vector<platform::FoundPrefix> prefixes_;
  std::filesystem::path backupFolder_;
  TAnalyzClass engine_;
  CategoryTable table_;
  TExclusionLists exclusions_;
  TExclusionEditor editor_;
  TSettingsStore settingsStore_;
  TLang lang_;
  std::vector<std::string> searchPaths_;
  // Settings1's working copies, taken over by Next.
  TSearchFolderList pathsPage_;
  TExcludedDriveList drivesPage_;
  TWizardWork* work_ = nullptr;
  int outWidth_ = 131;  // the category list's width on the Registry page
  bool closing_ = false;
  int exitStatus_ = 0;
  bool created_ = false;
  int helpContext_ = 100;
  std::unique_ptr<THelpWindow> help_;
  QWidget* about_ = nullptr;
  QLabel* aboutVersion_ = nullptr;
  QLabel* aboutTitle_ = nullptr;
  std::unique_ptr<TInstanceLock> instanceLock_;
  // Qt's own texts (standard buttons, stock dialogs) in the pack's language.
  std::unique_ptr<QTranslator> qtTexts_;
  void TranslateQtTexts();
  TKeyViewer* keyViewer_ = nullptr;  // a child window, deleted with the form
  // Writes the found-entries report; false, after telling the user, when it
  // could not be written.
  bool WriteReport(const std::string& fileName);
  // Creates the results view at construction; the view the category records report to.
  TEntriesView* CreateResultsView();
  std::unique_ptr<TResultsView> results_;
};

}  // namespace hw::app
