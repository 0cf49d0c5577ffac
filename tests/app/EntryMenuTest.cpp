// The Registry page's pop-up actions on a found entry: its folder, its key in
// the key viewer, excluding it, and saving or printing the report.

#include <sys/stat.h>

#include <QApplication>
#include <QPrinter>
#include <QTableWidget>
#include <QTreeWidget>
#include <cstdlib>

#include "app/KeyViewer.h"
#include "controls/ChckLBCB.h"
#include "registry/StoredList.h"
#include "tests/app/FormFixture.h"
#include "tests/support/FakeWineserver.h"
#include "tests/support/TextFiles.h"

namespace hw::test {
namespace {

namespace fs = std::filesystem;
using app::Dialogs;
using app::TFormRegFix;
using app::TShownDialog;

// Sets an environment variable for the life of the object.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    ::setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (old_)
      ::setenv(name_, old_->c_str(), 1);
    else
      ::unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

// An xdg-open first on PATH that notes what it was asked to open and exits
// with the given status, so no desktop program starts.
class FakeXdgOpen {
 public:
  explicit FakeXdgOpen(int status)
      : log_(bin_.path() / "calls"),
        path_("PATH", bin_.path().string() + ":" + std::getenv("PATH")) {
    const fs::path script = bin_.path() / "xdg-open";
    WriteTextFile(script, "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" + log_.string() + "'\nexit " +
                              std::to_string(status) + "\n");
    fs::permissions(script, fs::perms::owner_all);
  }
  std::string Calls() const { return ReadTextFile(log_); }

 private:
  TempDir bin_;
  fs::path log_;
  ScopedEnv path_;
};

class EntryMenuTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    ASSERT_TRUE(Start());
  }

  // A picked entry with its row, the only row selected.
  TEntry& AddRow(TAnalyzCategory category, const std::string& keyText,
                 const std::string& valueName = {}, const std::string& badPath = {}) {
    TEntries& entries = *form().Categories()[category].Entries;
    TEntry& entry = entries.AddEntry();
    entry.Category = category;
    entry.KeyText = keyText;
    entry.ValueName = valueName;
    entry.BadPath = badPath;
    entry.Choices = {"Leave it", "Delete it"};
    entry.SetChoice(1);
    entries.SetPicked(&entry, true);
    TChckLBCB* list = form().ChckListBox1;
    for (int i = 0; i < list->Count(); ++i) list->SetSelected(i, false);
    row = list->AddItem(QString::fromStdString(keyText));
    list->BoxItem(row)->Data = &entry;
    entry.BoxItem = list->BoxItem(row);
    list->SetChecked(row, true);
    list->SetSelected(row, true);
    return entry;
  }

  std::vector<std::string> ShownTexts() {
    std::vector<std::string> texts;
    for (const TShownDialog& shown : TakeShown()) texts.push_back(shown.text.toStdString());
    return texts;
  }

  std::string Message(int n, const std::string& arg) {
    return TFormRegFix::FormatText(form().Message(n), QString::fromStdString(arg)).toStdString();
  }

  int row = -1;
};

TEST_F(EntryMenuTest, OpensTheEntrysFolderOnTheHost) {
  const TAnalyzClass& engine = form().Engine();
  ASSERT_FALSE(engine.FontsDir.empty());
  ASSERT_FALSE(engine.ProgramsDir.empty());
  const struct {
    TAnalyzCategory category;
    std::string badPath;
    bool notInPath;
    std::string folder;
  } rows[] = {
      {acInvalidPaths, "C:\\Program Files\\Tidy Editor\\gone.exe", false,
       "C:\\Program Files\\Tidy Editor\\"},
      {acInvalidFonts, "", false, engine.FontsDir},
      {acInvalidFonts, "C:\\Fonts2\\gone.ttf", false, "C:\\Fonts2\\"},
      {acObsoleteStartMenu, "C:\\ignored\\", false, engine.ProgramsDir},
      {acInvalidAppPaths, "C:\\Games\\Star Pilot", true, "C:\\Games\\Star Pilot"},
      {acInvalidAppPaths, "C:\\Games\\Star Pilot\\sp.exe", false, "C:\\Games\\Star Pilot\\"},
      {acInvalidHelpFiles, "C:\\Help", false, "C:\\Help"},
  };
  for (const auto& want : rows) {
    SCOPED_TRACE(want.folder);
    FakeXdgOpen xdg(0);
    TEntry& entry = AddRow(want.category, "[HKEY_CURRENT_USER] Software\\X", "v", want.badPath);
    if (want.notInPath) entry.Flags.Include(etAppNotInPath);
    form().miOpenFolderClick();
    EXPECT_EQ(xdg.Calls(), *form().Context().Files.ToHostPath(want.folder) + "\n");
    EXPECT_TRUE(ShownTexts().empty());
  }
}

TEST_F(EntryMenuTest, AFolderThatCannotBeOpenedIsReportedTwice) {
  FakeXdgOpen xdg(2);  // xdg-open: the folder does not exist
  AddRow(acInvalidPaths, "[HKEY_CURRENT_USER] Software\\X", "v", "C:\\Gone\\app.exe");
  form().miOpenFolderClick();
  EXPECT_EQ(ShownTexts(), (std::vector<std::string>{"The specified path was not found",
                                                    Message(16, "C:\\Gone\\")}));
  // No selection, or nothing to open: nothing happens.
  form().ChckListBox1->SetSelected(row, false);
  form().miOpenFolderClick();
  AddRow(acInvalidPaths, "[HKEY_CURRENT_USER] Software\\X", "v", "no folder");
  form().miOpenFolderClick();
  EXPECT_EQ(xdg.Calls(),
            *form().Context().Files.ToHostPath("C:\\Gone\\") + "\n");  // the first only
  EXPECT_TRUE(ShownTexts().empty());
}

TEST_F(EntryMenuTest, ExcludingAnEntryAsksWithTheTextForItsCategory) {
  const struct {
    TAnalyzCategory category;
    std::string keyText, valueName, text;
  } rows[] = {
      {acInvalidPaths, "[HKEY_CURRENT_USER] Software\\Tidy\\Editor", "Path",
       "\\Software\\Tidy\\Editor\\Path\\"},
      {acInvalidPaths, "[HKEY_CURRENT_USER] Software\\Tidy\\Editor\\", "",
       "\\Software\\Tidy\\Editor\\"},
      {acInvalidAppPaths, "[HKEY_LOCAL_MACHINE] Software\\App Paths\\x.exe", "Path",
       "\\Software\\App Paths\\x.exe\\"},
      {acInvalidSharedDLLs, "[HKEY_LOCAL_MACHINE] Software\\SharedDLLs", "C:\\a.dll",
       "\\Software\\SharedDLLs\\C:\\a.dll\\"},
  };
  for (const auto& want : rows) {
    SCOPED_TRACE(want.text);
    const std::size_t before = form().Exclusions().List(want.category).Items.size();
    AddRow(want.category, want.keyText, want.valueName);
    Dialogs::setNextAnswer(app::mbNo);
    form().miAddtoexcludedentrieslistClick();
    EXPECT_EQ(ShownTexts(), std::vector<std::string>{Message(28, want.text)});
    EXPECT_EQ(form().Exclusions().List(want.category).Items.size(), before);
    EXPECT_TRUE(form().ChckListBox1->GetChecked(row));
  }
}

TEST_F(EntryMenuTest, AnExcludedEntryIsStoredAtOnceAndUnpicked) {
  TEntry& entry = AddRow(acInvalidPaths, "[HKEY_CURRENT_USER] Software\\Tidy\\Editor", "Path");
  Dialogs::setNextAnswer(app::mbYes);
  form().miAddtoexcludedentrieslistClick();
  const std::string text = "\\Software\\Tidy\\Editor\\Path\\";
  EXPECT_EQ(ShownTexts(), std::vector<std::string>{Message(28, text)});
  EXPECT_EQ(form().Exclusions().List(acInvalidPaths).Items.back(), text);
  EXPECT_FALSE(form().ChckListBox1->GetChecked(row));
  EXPECT_FALSE(entry.Picked());
  EXPECT_EQ(form().Categories()[acInvalidPaths].Entries->IndexOf(&entry), 0);

  // On disk already, as another program reading the prefix would find it.
  auto session = app::TPrefixSession::Open(prefix_);
  app::TAppContext context = session->Context(program_, {});
  TStoredLists stored(context.Registry, SettingsKeyPath());
  std::vector<std::string> list;
  ASSERT_TRUE(stored.LoadListFromRegistry("Excluded_paths_entries", list));
  EXPECT_EQ(list, std::vector<std::string>{text});

  // The same location again, or one below it, is covered by the new entry.
  AddRow(acInvalidPaths, "[HKEY_CURRENT_USER] Software\\Tidy\\Editor\\Path\\Sub", "x");
  Dialogs::setNextAnswer(app::mbYes);
  form().miAddtoexcludedentrieslistClick();
  EXPECT_EQ(ShownTexts(),
            (std::vector<std::string>{Message(28, text + "Sub\\x\\"), Message(35, text)}));
  EXPECT_TRUE(form().ChckListBox1->GetChecked(row));
  EXPECT_EQ(form().Exclusions().UserEntries(acInvalidPaths), std::vector<std::string>{text});
}

TEST_F(EntryMenuTest, AnExclusionThePrefixCannotStoreChangesNothing) {
  Stop();
  FakeWineserver server(prefix_);
  ASSERT_TRUE(server.locked());
  ASSERT_TRUE(Start());
  TakeShown();
  AddRow(acInvalidPaths, "[HKEY_CURRENT_USER] Software\\Tidy\\Editor", "Path");
  Dialogs::setNextAnswer(app::mbYes);
  form().miAddtoexcludedentrieslistClick();
  const std::vector<std::string> shown = ShownTexts();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_NE(shown[1].find("Wine is running in"), std::string::npos) << shown[1];
  EXPECT_TRUE(form().Exclusions().UserEntries(acInvalidPaths).empty());
  EXPECT_TRUE(form().ChckListBox1->GetChecked(row));
}

TEST_F(EntryMenuTest, SavesTheReportWhereTheUserChooses) {
  TempDir folder;
  AddRow(acInvalidPaths, "[HKEY_CURRENT_USER] Software\\Tidy\\Editor", "Path");
  form().LastTextDir = "/start/here";

  Dialogs::setNextFileName({});  // cancelled
  form().miSavefoundentriesintextfileClick();
  const std::vector<TShownDialog> asked = TakeShown();
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].kind, TShownDialog::SaveFile);
  EXPECT_EQ(asked[0].text, "/start/here");

  // A name without an extension gets ".txt".
  Dialogs::setNextFileName(QString::fromStdString((folder.path() / "found").string()));
  form().miSavefoundentriesintextfileClick();
  const std::string report = ReadTextFile(folder.path() / "found.txt");
  EXPECT_EQ(report.rfind(form().TitleText().toStdString() + " ", 0), 0u) << report;
  EXPECT_NE(report.find("Software\\Tidy\\Editor\r\n"), std::string::npos);
  EXPECT_EQ(form().LastTextDir, folder.path().string());

  // An existing file is replaced only when the user says so, and only when it may be.
  form().LastTextDir = "/start/here";
  const fs::path kept = folder.path() / "kept.txt";
  WriteTextFile(kept, "old");
  Dialogs::setNextFileName(QString::fromStdString(kept.string()));
  Dialogs::setNextAnswer(app::mbNo);
  form().miSavefoundentriesintextfileClick();
  fs::permissions(kept, fs::perms::owner_read);
  Dialogs::setNextFileName(QString::fromStdString(kept.string()));
  Dialogs::setNextAnswer(app::mbYes);
  form().miSavefoundentriesintextfileClick();
  EXPECT_EQ(ReadTextFile(kept), "old");
  EXPECT_EQ(ShownTexts().back(), "Error deleting file " + kept.string());
  EXPECT_EQ(form().LastTextDir, "/start/here");
}

TEST_F(EntryMenuTest, PrintsTheReportFromAFileThatIsDeletedAfterwards) {
  TempDir temp;
  ScopedEnv tmp("TMPDIR", temp.path().string());
  AddRow(acInvalidPaths, "[HKEY_CURRENT_USER] Software\\Tidy\\Editor", "Path");
  const fs::path pdf = temp.path() / "printed.pdf";
  std::string printed;
  form().ReportPrinter = [&] {
    for (const auto& file : fs::recursive_directory_iterator(temp.path()))
      if (file.path().filename() == "entries.txt") printed = ReadTextFile(file.path());
    auto printer = std::make_unique<QPrinter>();
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(QString::fromStdString(pdf.string()));
    return printer;
  };
  form().miPrintallfoundentriesClick();
  EXPECT_NE(printed.find("Software\\Tidy\\Editor\r\n"), std::string::npos);
  EXPECT_EQ(ReadTextFile(pdf).rfind("%PDF", 0), 0u);
  EXPECT_TRUE(ShownTexts().empty());
  fs::remove(pdf);
  EXPECT_TRUE(fs::is_empty(temp.path()));

  // Without a printer the user is told, and nothing is left behind.
  form().ReportPrinter = [] { return std::unique_ptr<QPrinter>(); };
  form().miPrintallfoundentriesClick();
  const std::vector<std::string> shown = ShownTexts();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_NE(shown[0].find("No printer"), std::string::npos);
  EXPECT_TRUE(fs::is_empty(temp.path()));
}

TEST_F(EntryMenuTest, ShowsTheEntrysKeyAndValueInTheKeyViewer) {
  AddRow(acInvalidPaths, "[HKEY_CURRENT_USER] Software\\tidy\\Editor", "path");
  form().miOpenRegistryKeyClick();
  app::TKeyViewer* viewer = form().KeyViewer();
  ASSERT_NE(viewer, nullptr);
  EXPECT_TRUE(viewer->isVisible());
  EXPECT_EQ(viewer->CurrentKeyPath(), "HKEY_CURRENT_USER\\Software\\Tidy\\Editor");
  EXPECT_EQ(viewer->SelectedValueName(), "Path");
  // Keys off the path are not read until they are expanded.
  const auto machine = viewer->KeyTree->findItems("HKEY_LOCAL_MACHINE", Qt::MatchExactly);
  ASSERT_EQ(machine.size(), 1);
  EXPECT_EQ(machine[0]->childCount(), 0);
  machine[0]->setExpanded(true);
  EXPECT_GT(machine[0]->childCount(), 0);
  QApplication::processEvents();
  viewer->grab().save(QStringLiteral(HW_SHOTS_DIR "/key-viewer.png"));

  // An entry about a key selects no value; a key that is gone is reported
  // and the viewer stays where it was.
  AddRow(acEmptyKeys, "[HKEY_CURRENT_USER] Software\\Oldsoft");
  form().miOpenRegistryKeyClick();
  EXPECT_EQ(viewer->CurrentKeyPath(), "HKEY_CURRENT_USER\\Software\\Oldsoft");
  EXPECT_FALSE(viewer->SelectedValueName());
  AddRow(acEmptyKeys, "[HKEY_CURRENT_USER] Software\\Gone");
  form().miOpenRegistryKeyClick();
  EXPECT_EQ(ShownTexts(),
            std::vector<std::string>{"Unable to open \"HKEY_CURRENT_USER\\Software\\Gone\""});
  EXPECT_EQ(viewer->CurrentKeyPath(), "HKEY_CURRENT_USER\\Software\\Oldsoft");
  // It goes with the window, like the help window.
  form().close();
  EXPECT_FALSE(viewer->isVisible());
}

}  // namespace
}  // namespace hw::test
