// The window's controls as designed: the five pages of Notebook1, the button
// panel, the status bar and the menus, each named as in the design.

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSplitter>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "app/Dialogs.h"
#include "app/FormRegFix.h"
#include "app/HelpWindow.h"
#include "controls/ChckLBCB.h"
#include "controls/PictureListBox.h"
#include "controls/XPBitBtn.h"

namespace hw::app {

namespace {

constexpr int kButtonWidth = 90;
constexpr int kButtonGap = 10;
constexpr int kInfoWidth = 31;
constexpr int kSidePictureWidth = 160;
constexpr int kStatusPanel0Width = 200;
// The offset of the lists and buttons from their panel's edges.
constexpr int kInset = 8;

template <typename T>
T* Named(T* widget, const char* name) {
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

QLabel* Text(QWidget* parent, const char* name) {
  auto* label = Named(new QLabel(parent), name);
  label->setWordWrap(true);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  return label;
}

QPushButton* Button(QWidget* parent, const char* name, const char* caption) {
  return Named(new TXPBitBtn(QString::fromLatin1(caption), parent), name);
}

QAction* Item(QMenu* menu, const char* name, const char* caption) {
  return Named(menu->addAction(QString::fromLatin1(caption)), name);
}

QListWidget* List(QWidget* parent, const char* name, bool multi) {
  auto* list = Named(new QListWidget(parent), name);
  if (multi) list->setSelectionMode(QAbstractItemView::ExtendedSelection);
  return list;
}

}  // namespace

void TFormRegFix::CreateControls() {
  setMinimumSize(560, 400);
  setWindowIcon(QIcon(Picture(QStringLiteral("logo"))));
  resize(kDesignWidth, kDesignHeight);

  Notebook1 = Named(new QStackedWidget(this), "Notebook1");
  Notebook1->addWidget(CreateWelcome());
  Notebook1->addWidget(CreateSettings1());
  Notebook1->addWidget(CreateSettings2());
  Notebook1->addWidget(CreateRegistry());
  Notebook1->addWidget(CreateFixIt());

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(Notebook1, 1);
  layout->addWidget(CreateButtonPanel());
  layout->addWidget(CreateStatusBar());
  CreateMenus();

  connect(Notebook1, &QStackedWidget::currentChanged, this, [this] { Notebook1PageChanged(); });
  help_ = std::make_unique<THelpWindow>(context_.ProgramFolder / "help", this);
}

QWidget* TFormRegFix::CreateWelcome() {
  auto* page = Named(new QWidget, "Welcome");
  ImageStart = Named(new QLabel(page), "ImageStart");
  ImageStart->setFixedWidth(kSidePictureWidth);
  ImageStart->setAlignment(Qt::AlignLeft | Qt::AlignTop);

  StaticText1 = Text(page, "StaticText1");
  Label2 = Text(page, "Label2");
  QFont bold = Label2->font();
  bold.setBold(true);
  Label2->setFont(bold);

  auto* boxes = new QGridLayout;
  auto box = [&](QCheckBox*& member, const char* name, const char* caption, int row, int column) {
    member = Named(new QCheckBox(QString::fromLatin1(caption), page), name);
    boxes->addWidget(member, row, column);
  };
  box(CheckBoxInvalidPaths, "CheckBoxInvalidPaths", "Invalid paths", 0, 0);
  box(CheckBoxObsoleteSM, "CheckBoxObsoleteSM", "Obsolete Start menu items", 1, 0);
  box(CheckBoxInvalidFonts, "CheckBoxInvalidFonts", "Invalid fonts", 2, 0);
  box(CheckBoxInvalidAppPath, "CheckBoxInvalidAppPath", "Invalid application paths", 0, 1);
  box(CheckBoxInvalidHelpFile, "CheckBoxInvalidHelpFile", "Invalid help files", 1, 1);
  box(CheckBoxInvalidSharedDLLs, "CheckBoxInvalidSharedDLLs", "Invalid shared DLLs", 2, 1);
  box(CheckBoxEmptyKeys, "CheckBoxEmptyKeys", "Empty keys", 3, 0);
  box(CheckBoxInvalidExts, "CheckBoxInvalidExts", "", 3, 1);
  // The engine checks these two, the window never offers them.
  CheckBoxEmptyKeys->hide();
  CheckBoxInvalidExts->hide();

  BitBtnSettings = Button(page, "BitBtnSettings", "Advanced settings");
  connect(BitBtnSettings, &QPushButton::clicked, this, [this] { BitBtnNextClick(BitBtnSettings); });
  StaticText6 = Text(page, "StaticText6");
  StaticText6->setFont(bold);
  LLang = Named(new QLabel(QStringLiteral("Language:"), page), "LLang");
  CBLang = Named(new QComboBox(page), "CBLang");
  connect(CBLang, &QComboBox::activated, this, [this](int index) { CBLangChange(index); });
  LLang->setBuddy(CBLang);

  auto* settingsRow = new QHBoxLayout;
  settingsRow->addWidget(BitBtnSettings);
  settingsRow->addStretch();
  auto* langRow = new QHBoxLayout;
  langRow->addWidget(LLang);
  langRow->addWidget(CBLang);
  langRow->addStretch();

  auto* right = new QVBoxLayout;
  right->setContentsMargins(kInset, kInset, kInset, kInset);
  right->addLayout(CreatePrefixRow(page));
  right->addWidget(StaticText1);
  right->addWidget(Label2);
  right->addLayout(boxes);
  right->addLayout(settingsRow);
  right->addStretch();
  right->addWidget(StaticText6);
  right->addLayout(langRow);

  auto* layout = new QHBoxLayout(page);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(ImageStart);
  layout->addLayout(right, 1);
  return page;
}

QWidget* TFormRegFix::CreateSettings1() {
  // The two halves are placed by FormResize, not by a layout.
  auto* page = Named(new QWidget, "Settings1");
  PanelDrives = Named(new QWidget(page), "PanelDrives");
  PanelPaths = Named(new QWidget(page), "PanelPaths");

  ListBoxExcludedDrives = List(PanelDrives, "ListBoxExcludedDrives", true);
  Label1 = Text(PanelDrives, "Label1");
  EditDriveLetter = Named(new QLineEdit(PanelDrives), "EditDriveLetter");
  EditDriveLetter->setMaxLength(1);
  EditDriveLetter->setFixedWidth(40);
  BitBtnAddLetter = Button(PanelDrives, "BitBtnAddLetter", "Add");
  BitBtnRemoveLetter = Button(PanelDrives, "BitBtnRemoveLetter", "Remove");
  StaticText7 = Text(PanelDrives, "StaticText7");
  auto* letterRow = new QHBoxLayout;
  letterRow->addWidget(EditDriveLetter);
  letterRow->addWidget(BitBtnAddLetter);
  letterRow->addWidget(BitBtnRemoveLetter);
  letterRow->addStretch();
  auto* drivesRight = new QVBoxLayout;
  drivesRight->addWidget(Label1);
  drivesRight->addLayout(letterRow);
  drivesRight->addWidget(StaticText7, 1);
  auto* drives = new QHBoxLayout(PanelDrives);
  drives->setContentsMargins(kInset, kInset, kInset, kInset);
  drives->addWidget(ListBoxExcludedDrives, 0, Qt::AlignTop);
  drives->addLayout(drivesRight, 1);
  ListBoxExcludedDrives->setFixedWidth(120);

  LBPaths = List(PanelPaths, "LBPaths", true);
  BIn = Button(PanelPaths, "BIn", "Add");
  BOut = Button(PanelPaths, "BOut", "Remove");
  StaticText3 = Text(PanelPaths, "StaticText3");
  auto* pathButtons = new QHBoxLayout;
  pathButtons->addWidget(BIn);
  pathButtons->addWidget(BOut);
  pathButtons->addStretch();
  auto* pathsRight = new QVBoxLayout;
  pathsRight->addLayout(pathButtons);
  pathsRight->addWidget(StaticText3, 1);
  auto* paths = new QHBoxLayout(PanelPaths);
  paths->setContentsMargins(kInset, kInset, kInset, kInset);
  paths->addWidget(LBPaths, 3, Qt::AlignTop);
  paths->addLayout(pathsRight, 2);

  connect(BitBtnAddLetter, &QPushButton::clicked, this, [this] { BitBtnAddLetterClick(); });
  connect(BitBtnRemoveLetter, &QPushButton::clicked, this, [this] { BitBtnRemoveLetterClick(); });
  connect(ListBoxExcludedDrives, &QListWidget::itemClicked, this,
          [this] { ListBoxExcludedDrivesClick(); });
  connect(ListBoxExcludedDrives, &QListWidget::itemSelectionChanged, this,
          [this] { UpdateControls(); });
  connect(BIn, &QPushButton::clicked, this, [this] { BInClick(); });
  connect(BOut, &QPushButton::clicked, this, [this] { BOutClick(); });
  connect(LBPaths, &QListWidget::itemSelectionChanged, this, [this] { UpdateControls(); });
  LBPaths->installEventFilter(this);
  return page;
}

QWidget* TFormRegFix::CreateSettings2() {
  auto* page = Named(new QWidget, "Settings2");
  StaticText4 = Text(page, "StaticText4");
  PanelExclCombo = Named(new QWidget(page), "PanelExclCombo");
  ComboBoxExcludedEntries = Named(new QComboBox(PanelExclCombo), "ComboBoxExcludedEntries");
  ComboBoxExcludedEntries->move(kInset, 0);
  PanelExclCombo->setFixedHeight(ComboBoxExcludedEntries->sizeHint().height());
  PanelExclCombo->installEventFilter(this);

  ListBoxExcludedEntries = List(page, "ListBoxExcludedEntries", false);
  ListBoxExcludedEntries->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  PanelExclButtons = Named(new QWidget(page), "PanelExclButtons");
  BitBtnAddExcludedEntry = Button(PanelExclButtons, "BitBtnAddExcludedEntry", "Add");
  BitBtnEditExcludedEntry = Button(PanelExclButtons, "BitBtnEditExcludedEntry", "Edit");
  BitBtnRemoveExcludedEntry = Button(PanelExclButtons, "BitBtnRemoveExcludedEntry", "Remove");
  BitBtnRestoreDefault = Button(PanelExclButtons, "BitBtnRestoreDefault", "Restore defaults");
  auto* buttons = new QVBoxLayout(PanelExclButtons);
  buttons->setContentsMargins(kInset, 0, kInset, 0);
  for (QPushButton* b : {BitBtnAddExcludedEntry, BitBtnEditExcludedEntry, BitBtnRemoveExcludedEntry,
                         BitBtnRestoreDefault})
    buttons->addWidget(b);
  buttons->addStretch();

  auto* lists = new QHBoxLayout;
  lists->setContentsMargins(kInset, 0, 0, 0);
  lists->addWidget(ListBoxExcludedEntries, 1);
  lists->addWidget(PanelExclButtons);
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(0, kInset, 0, kInset);
  layout->addWidget(StaticText4);
  layout->addWidget(PanelExclCombo);
  layout->addLayout(lists, 1);
  StaticText4->setContentsMargins(kInset, 0, kInset, 0);

  connect(ComboBoxExcludedEntries, &QComboBox::currentIndexChanged, this,
          [this](int index) { ComboBoxExcludedEntriesChange(index); });
  connect(ListBoxExcludedEntries, &QListWidget::itemSelectionChanged, this,
          [this] { UpdateControls(); });
  connect(BitBtnAddExcludedEntry, &QPushButton::clicked, this,
          [this] { BitBtnAddExcludedEntryClick(); });
  connect(BitBtnEditExcludedEntry, &QPushButton::clicked, this,
          [this] { BitBtnEditExcludedEntryClick(); });
  connect(BitBtnRemoveExcludedEntry, &QPushButton::clicked, this,
          [this] { BitBtnRemoveExcludedEntryClick(); });
  connect(BitBtnRestoreDefault, &QPushButton::clicked, this,
          [this] { BitBtnRestoreDefaultClick(); });
  return page;
}

QWidget* TFormRegFix::CreateRegistry() {
  auto* page = Named(new QWidget, "Registry");
  StaticText2 = Text(page, "StaticText2");
  Splitter1 = Named(new QSplitter(Qt::Horizontal, page), "Splitter1");
  Splitter1->setHandleWidth(3);
  PictureListBox1 = Named(new TPictureListBox(Splitter1), "PictureListBox1");
  ChckListBox1 = Named(new TChckLBCB(Splitter1), "ChckListBox1");
  ChckListBox1->SetMultiSelect(true);
  // One picture per category, by category index (file types share the first).
  QList<QPixmap> pictures;
  for (const char* name :
       {"category-invalid-paths", "category-empty-keys", "category-fonts", "category-start-menu",
        "category-app-paths", "category-help-files", "category-shared-dlls"})
    pictures << Picture(QString::fromLatin1(name));
  PictureListBox1->SetImageList(pictures);
  // Its complaint about a bad picture index is a box like every other.
  PictureListBox1->OnShowMessage = [this](const QString& text) {
    Dialogs::ShowMessage(this, text);
  };
  Splitter1->addWidget(PictureListBox1);
  Splitter1->addWidget(ChckListBox1);
  Splitter1->setStretchFactor(1, 1);
  Splitter1->setSizes({outWidth_, kDesignWidth - outWidth_});
  connect(Splitter1, &QSplitter::splitterMoved, this, [this] { Splitter1Moved(); });
  for (QWidget* list :
       {static_cast<QWidget*>(PictureListBox1), static_cast<QWidget*>(ChckListBox1)}) {
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list, &QWidget::customContextMenuRequested, this,
            [this, list](const QPoint& at) { PopupMenu1->popup(list->mapToGlobal(at)); });
  }
  connect(ChckListBox1->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this] { UpdateControls(); });

  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(kInset, kInset, kInset, kInset);
  layout->addWidget(StaticText2);
  layout->addWidget(Splitter1, 1);
  return page;
}

QWidget* TFormRegFix::CreateFixIt() {
  auto* page = Named(new QWidget, "Fix_it");
  ImageEnd = Named(new QLabel(page), "ImageEnd");
  ImageEnd->setFixedWidth(kSidePictureWidth);
  ImageEnd->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  StaticText5 = Text(page, "StaticText5");
  ChBSaveUndo = Named(new QCheckBox(page), "ChBSaveUndo");
  ChBSaveUndo->setChecked(true);
  // EUndoFile is widened by FormResize; BUndoFile sits below it.
  PanelUndo = Named(new QWidget(page), "PanelUndo");
  EUndoFile = Named(new QLineEdit(PanelUndo), "EUndoFile");
  BUndoFile = Button(PanelUndo, "BUndoFile", "Browse...");
  EUndoFile->move(0, 0);
  BUndoFile->move(0, EUndoFile->sizeHint().height() + 6);
  PanelUndo->setFixedHeight(BUndoFile->y() + BUndoFile->sizeHint().height());
  PanelUndo->installEventFilter(this);
  connect(ChBSaveUndo, &QCheckBox::clicked, this, [this] { ChBSaveUndoClick(); });
  connect(BUndoFile, &QPushButton::clicked, this, [this] { BUndoFileClick(); });

  auto* right = new QVBoxLayout;
  right->setContentsMargins(kInset, kInset, kInset, kInset);
  right->addWidget(StaticText5);
  right->addWidget(ChBSaveUndo);
  right->addWidget(PanelUndo);
  right->addStretch();
  auto* layout = new QHBoxLayout(page);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(ImageEnd);
  layout->addLayout(right, 1);
  return page;
}

QWidget* TFormRegFix::CreateButtonPanel() {
  Panel1 = Named(new QWidget(this), "Panel1");
  Panel1->setFixedHeight(kPanelHeight);
  BitBtnBack = Button(Panel1, "BitBtnBack", "Back");
  BitBtnNext = Button(Panel1, "BitBtnNext", "Next");
  BitBtnCancel = Button(Panel1, "BitBtnCancel", "Cancel");
  BitBtnHelp = Button(Panel1, "BitBtnHelp", "Help");
  BitBtnInfo = Button(Panel1, "BitBtnInfo", "");
  BitBtnBack->setIcon(QIcon(Picture(QStringLiteral("button-back"))));
  BitBtnHelp->setIcon(QIcon(Picture(QStringLiteral("button-help"))));
  BitBtnInfo->setIcon(QIcon(Picture(QStringLiteral("button-info"))));
  auto* layout = new QHBoxLayout(Panel1);
  layout->setContentsMargins(kInset, 4, kInset, 4);
  layout->setSpacing(kButtonGap);
  for (QPushButton* b : {BitBtnBack, BitBtnNext, BitBtnCancel, BitBtnHelp}) {
    b->setFixedWidth(kButtonWidth);
    layout->addWidget(b);
  }
  layout->addStretch();
  BitBtnInfo->setFixedWidth(kInfoWidth);
  layout->addWidget(BitBtnInfo);
  connect(BitBtnNext, &QPushButton::clicked, this, [this] { BitBtnNextClick(BitBtnNext); });
  connect(BitBtnBack, &QPushButton::clicked, this, [this] { BitBtnBackClick(); });
  connect(BitBtnCancel, &QPushButton::clicked, this, [this] { BitBtnCancelClick(); });
  connect(BitBtnHelp, &QPushButton::clicked, this, [this] { BitBtnHelpClick(); });
  connect(BitBtnInfo, &QPushButton::clicked, this, [this] { BitBtnInfoClick(); });
  return Panel1;
}

QWidget* TFormRegFix::CreateStatusBar() {
  StatusBar1 = Named(new QWidget(this), "StatusBar1");
  StatusBar1->setFixedHeight(kStatusHeight);
  auto* layout = new QHBoxLayout(StatusBar1);
  layout->setContentsMargins(2, 0, 2, 0);
  layout->setSpacing(2);
  for (int panel = 0; panel < 2; ++panel) {
    auto* label = new QLabel(StatusBar1);
    label->setObjectName(QStringLiteral("StatusPanel%1").arg(panel));
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    StatusPanels[panel] = label;
    layout->addWidget(label, panel);
  }
  StatusPanels[0]->setFixedWidth(kStatusPanel0Width);
  return StatusBar1;
}

void TFormRegFix::CreateMenus() {
  PMInfo = Named(new QMenu(this), "PMInfo");
  miAbout = Item(PMInfo, "miAbout", "About Hivewarden");
  miHelpindex = Item(PMInfo, "miHelpindex", "Help");
  miCheckwebsitefornewversion =
      Item(PMInfo, "miCheckwebsitefornewversion", "Check for a new version");
  connect(miAbout, &QAction::triggered, this, [this] { miAboutClick(); });
  connect(miHelpindex, &QAction::triggered, this, [this] { miHelpindexClick(); });
  connect(miCheckwebsitefornewversion, &QAction::triggered, this,
          [this] { miCheckwebsitefornewversionClick(); });

  PopupMenu1 = Named(new QMenu(this), "PopupMenu1");
  QMenu* pick = PopupMenu1->addMenu(QStringLiteral("Pick"));
  miPick = Named(pick->menuAction(), "miPick");
  miPickselectedentries = Item(pick, "miPickselectedentries", "Pick selected entries");
  miUnPickselectedentries = Item(pick, "miUnPickselectedentries", "Unpick selected entries");
  miPickallentries = Item(pick, "miPickallentries", "Pick all entries");
  miUnpickallentries = Item(pick, "miUnpickallentries", "Unpick all entries");
  PopupMenu1->addSeparator();
  miOpenRegistryKey = Item(PopupMenu1, "miOpenRegistryKey", "Show the registry key");
  miOpenFolder = Item(PopupMenu1, "miOpenFolder", "Open the folder");
  miAddtoexcludedentrieslist = Item(PopupMenu1, "miAddtoexcludedentrieslist", "Never report");
  PopupMenu1->addSeparator();
  miSavefoundentriesintextfile =
      Item(PopupMenu1, "miSavefoundentriesintextfile", "Save found entries to a text file...");
  miPrintallfoundentries = Item(PopupMenu1, "miPrintallfoundentries", "Print all found entries");
  connect(PopupMenu1, &QMenu::aboutToShow, this, [this] { PopupMenu1Popup(); });
  connect(miOpenRegistryKey, &QAction::triggered, this, [this] { miOpenRegistryKeyClick(); });
  connect(miOpenFolder, &QAction::triggered, this, [this] { miOpenFolderClick(); });
  connect(miAddtoexcludedentrieslist, &QAction::triggered, this,
          [this] { miAddtoexcludedentrieslistClick(); });
  connect(miSavefoundentriesintextfile, &QAction::triggered, this,
          [this] { miSavefoundentriesintextfileClick(); });
  connect(miPrintallfoundentries, &QAction::triggered, this,
          [this] { miPrintallfoundentriesClick(); });

  // The About box: title, version line and the publisher's lines.
  auto* about = Named(new QDialog(this), "AboutBox");
  about_ = about;
  aboutTitle_ = Named(new QLabel(TitleText(), about_), "AboutTitle");
  QFont big = aboutTitle_->font();
  big.setPointSize(big.pointSize() + 6);
  big.setBold(true);
  aboutTitle_->setFont(big);
  aboutVersion_ = Named(new QLabel(about_), "AboutVersion");
  auto* publisher = new QLabel(tr("A registry cleaner for Wine prefixes."), about_);
  auto* ok = new QPushButton(tr("OK"), about_);
  connect(ok, &QPushButton::clicked, about, &QDialog::accept);
  auto* layout = new QVBoxLayout(about_);
  layout->addWidget(aboutTitle_);
  layout->addWidget(aboutVersion_);
  layout->addWidget(publisher);
  layout->addWidget(ok, 0, Qt::AlignRight);
}

bool TFormRegFix::eventFilter(QObject* watched, QEvent* event) {
  if ((watched == PanelUndo || watched == PanelExclCombo) && event->type() == QEvent::Resize)
    FitPanels();
  if (watched == LBPaths && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Delete && key->modifiers() == Qt::NoModifier) {
      LBPathsKeyDelete();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace hw::app
