// The wizard end to end on a demo prefix: Start scans and searches, "Fix it!"
// backs up, repairs and writes the prefix; Cancel and closing during the long
// work; the backup file checks; the update check.

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>

#include "app/WizardRun.h"
#include "platform/wine/WinePrefixStore.h"
#include "registry/NTRegistry.h"
#include "results/Entries.h"
#include "tests/app/FormFixture.h"
#include "tests/support/FakeWineserver.h"
#include "tests/support/TextFiles.h"
#include "update/UpdateAddresses.h"
#include "update/UpdateTransport.h"

namespace hw::test {
namespace {

namespace fs = std::filesystem;

constexpr char kStarPilotKey[] = "Software\\Skyward\\Star Pilot";
constexpr char kPhotoViewerKey[] = "Software\\Oldsoft\\Photo Viewer";

class FakeTransport : public UpdateTransport {
 public:
  std::optional<std::string> Fetch(const std::string& url, std::size_t) override {
    urls.push_back(url);
    return page;
  }
  std::optional<std::string> page;
  std::vector<std::string> urls;
};

class WizardRunTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    ASSERT_TRUE(Start());
    run_ = std::make_unique<app::TWizardRun>(session().Store(), transport_);
    run_->OpenUrl = [this](const QString& url) {
      opened_.push_back(url);
      return openWorks_;
    };
    form().SetWizardWork(run_.get());
    // The pump runs the window's events, then whatever the test wants done
    // in the middle of a scan, search or repair.
    app::InstallEventPump(form().Context().Pump);
    form().Context().Pump.SetHook([this] {
      QCoreApplication::processEvents();
      if (duringWork_) duringWork_();
    });
    // Only the prefix's own drive: the demo maps Z: to the host's root.
    form().SearchPaths() = {"C:\\"};
    for (const char* box :
         {"CheckBoxInvalidPaths", "CheckBoxInvalidFonts", "CheckBoxObsoleteSM",
          "CheckBoxInvalidAppPath", "CheckBoxInvalidHelpFile", "CheckBoxInvalidSharedDLLs"})
      Child<QCheckBox>(box)->setChecked(true);
  }
  void TearDown() override {
    duringWork_ = nullptr;
    FormTest::TearDown();
  }

  TEntries& Entries(int category) { return *form().Categories()[category].Entries; }
  // The entry of a category whose key ends in key (and whose value is named value).
  TEntry* Find(int category, const std::string& key, const std::string& value) {
    for (const auto& entry : Entries(category).List())
      if (entry->KeyText.ends_with(key) && entry->ValueName == value) return entry.get();
    return nullptr;
  }
  // Leaves exactly the given entries picked.
  void PickOnly(std::initializer_list<TEntry*> entries) {
    for (int c = 0; c < kCategoryCount; ++c)
      for (const auto& entry : Entries(c).List()) Entries(c).SetPicked(entry.get(), false);
    for (TEntry* entry : entries) Entries(entry->Category).SetPicked(entry, true);
    form().UpdateControls();
  }
  // From the Registry page to Fix_it with the backup going to path.
  void ToFixIt(const fs::path& backup) {
    Click("BitBtnNext");
    ASSERT_EQ(form().PageName(), "Fix_it");
    SetBackup(backup.string());
  }
  void SetBackup(const std::string& path) {
    Child<QLineEdit>("EUndoFile")->setText(QString::fromStdString(path));
  }
  std::string Hives() {
    return ReadTextFile(prefix_ / "system.reg") + ReadTextFile(prefix_ / "user.reg");
  }
  // A value of the current user as the window's registry sees it now.
  bool ValueThere(const std::string& key, const std::string& value) {
    TNTRegistry reg(form().Context().Registry);
    reg.SetRootKey(HKEY_CURRENT_USER);
    return reg.OpenKeyWithAccess("\\" + key, KEY_READ) && reg.ValueExists(value);
  }
  QString LastText() {
    auto shown = TakeShown();
    return shown.empty() ? QString() : shown.back().text;
  }

  FakeTransport transport_;
  std::unique_ptr<app::TWizardRun> run_;
  std::function<void()> duringWork_;
  std::vector<QString> opened_;
  bool openWorks_ = true;
};

TEST_F(WizardRunTest, StartScansSearchesAndFixItRepairsWithBackup) {
  Click("BitBtnNext");
  ASSERT_EQ(form().PageName(), "Registry");
  EXPECT_TRUE(form().Engine().Stop);
  EXPECT_FALSE(form().SearchRunning());
  EXPECT_EQ(Child<QPushButton>("BitBtnCancel")->text(), "Cancel");
  // Every chosen category found its stale entries; the unchosen found none.
  for (int c : {acInvalidPaths, acInvalidFonts, acObsoleteStartMenu, acInvalidAppPaths,
                acInvalidHelpFiles, acInvalidSharedDLLs})
    EXPECT_GT(Entries(c).Count(), 0) << c;
  EXPECT_EQ(Entries(acEmptyKeys).Count(), 0);
  EXPECT_EQ(form().Categories().PickedTotal(), form().Categories().CountTotal());

  // The moved program was found where it is now and is the chosen repair.
  TEntry* moved = Find(acInvalidPaths, kStarPilotKey, "Path");
  ASSERT_NE(moved, nullptr);
  EXPECT_EQ(moved->ChoiceText(), "C:\\Games\\Star Pilot\\starpilot.exe");
  TEntry* gone = Find(acInvalidPaths, kPhotoViewerKey, "LastFile");
  ASSERT_NE(gone, nullptr);
  EXPECT_EQ(gone->Choice(), 1);
  PickOnly({moved, gone});
  const int before = form().Categories().CountTotal();
  TakeShown();

  // A backup name without a dot gets ".reg".
  ToFixIt(program_ / "undo");
  Click("BitBtnNext");
  EXPECT_EQ(form().PageName(), "Registry");
  EXPECT_EQ(LastText(), "2 entries repaired.");
  EXPECT_EQ(form().Categories().CountTotal(), before - 2);
  EXPECT_EQ(form().UndoPath, program_.string() + "/");

  const std::string user = ReadTextFile(prefix_ / "user.reg");
  EXPECT_NE(user.find("\"Path\"=\"C:\\\\Games\\\\Star Pilot\\\\starpilot.exe\""),
            std::string::npos);
  EXPECT_EQ(user.find("holiday.pvx"), std::string::npos);
  EXPECT_NE(user.find("Photo Viewer"), std::string::npos);  // unpicked entries stay
  const std::string backup = ReadTextFile(program_ / "undo.reg");
  EXPECT_EQ(backup.rfind("REGEDIT4", 0), 0u);
  EXPECT_NE(backup.find("C:\\\\Program Files\\\\Star Pilot\\\\starpilot.exe"), std::string::npos);
  EXPECT_NE(backup.find("holiday.pvx"), std::string::npos);
}

TEST_F(WizardRunTest, APrefixThatLostItsDrivesIsNotScanned) {
  // A copy that lost its links: every path would seem missing.
  fs::remove_all(prefix_ / "dosdevices");
  TakeShown();
  Click("BitBtnNext");
  auto shown = TakeShown();
  ASSERT_EQ(shown.size(), 1u);
  const std::string text = shown[0].text.toStdString();
  EXPECT_NE(text.find(prefix_.string()), std::string::npos) << text;
  EXPECT_NE(text.find("dosdevices"), std::string::npos) << text;
  EXPECT_EQ(form().PageName(), "Welcome");
  EXPECT_EQ(form().Categories().CountTotal(), 0);
}

TEST_F(WizardRunTest, CancelStopsTheScanThenTheSearchWithoutClosing) {
  const fs::path documents = prefix_ / "drive_c" / "users" / "Public" / "Documents";
  fs::create_directories(documents);
  WriteTextFile(documents / "holiday.pvx", "");
  int keys = 0, keysAfterCancel = 0;
  form().Engine().OnKey = [&](TAnalyzClass&) {
    if (form().Engine().Stop) ++keysAfterCancel;
    if (++keys == 40) Click("BitBtnCancel");
  };
  bool searchCancelled = false;
  duringWork_ = [&] {
    if (!form().SearchRunning() || searchCancelled) return;
    searchCancelled = true;
    EXPECT_EQ(Child<QPushButton>("BitBtnCancel")->text(), "Stop");
    Click("BitBtnCancel");
  };
  Click("BitBtnNext");
  ASSERT_GE(keys, 40);
  EXPECT_EQ(keysAfterCancel, 0);
  EXPECT_TRUE(searchCancelled);
  EXPECT_TRUE(form().isVisible());
  EXPECT_FALSE(form().SearchRunning());
  EXPECT_EQ(Child<QPushButton>("BitBtnCancel")->text(), "Cancel");
  // The search walks C:\ in name order and was stopped after Games: the
  // program there was found, the picture under users was not.
  TEntry* moved = Find(acInvalidPaths, kStarPilotKey, "Path");
  TEntry* picture = Find(acInvalidPaths, kPhotoViewerKey, "LastFile");
  ASSERT_TRUE(moved && picture);
  EXPECT_EQ(moved->Choice(), 2);
  EXPECT_LT(picture->Choice(), 2);
  // Idle again: Cancel closes.
  Click("BitBtnCancel");
  EXPECT_FALSE(form().isVisible());
}

TEST_F(WizardRunTest, ClosingDuringTheScanStopsItAndStartsNoSearch) {
  int keys = 0, keysAfterClose = 0;
  form().Engine().OnKey = [&](TAnalyzClass&) {
    if (form().Closing()) ++keysAfterClose;
    if (++keys == 40) form().close();
  };
  bool searched = false;
  duringWork_ = [&] { searched = searched || form().SearchRunning(); };
  Click("BitBtnNext");
  EXPECT_TRUE(form().Closing());
  EXPECT_EQ(keysAfterClose, 0);
  EXPECT_FALSE(searched);
  EXPECT_GT(form().Categories().CountTotal(), 0);
  // The settings were saved on close, with the scan's categories.
  EXPECT_NE(ReadTextFile(prefix_ / "user.reg").find("\"ScanFor\""), std::string::npos);
}

TEST_F(WizardRunTest, BackupFileChecksAndTheExistingFileQuestion) {
  Click("BitBtnNext");
  TEntry* moved = Find(acInvalidPaths, kStarPilotKey, "Path");
  ASSERT_NE(moved, nullptr);
  PickOnly({moved});
  const std::string hives = Hives();

  ToFixIt(program_ / "");
  TakeShown();
  Click("BitBtnNext");
  EXPECT_EQ(LastText(), form().Message(17));
  SetBackup((program_ / "no such folder" / "b.reg").string());
  Click("BitBtnNext");
  EXPECT_EQ(LastText(), form().Message(18));
  EXPECT_TRUE(form().UndoPath.empty());
  // Wine started in the prefix after it was read: nothing can be written, so
  // nothing is tried.
  SetBackup((program_ / "b.reg").string());
  {
    FakeWineserver wine(prefix_);
    Click("BitBtnNext");
  }
  EXPECT_EQ(LastText().toStdString(), platform::wineRunningMessage(prefix_));
  session().Store().refuseWrites({});
  EXPECT_EQ(form().PageName(), "Fix_it");
  EXPECT_EQ(Hives(), hives);
  EXPECT_FALSE(fs::exists(program_ / "b.reg"));

  // The browse button starts at the typed path and asks with its own title.
  app::Dialogs::setNextFileName({});
  Click("BUndoFile");
  auto browsed = TakeShown();
  ASSERT_EQ(browsed.size(), 1u);
  EXPECT_EQ(browsed[0].kind, app::TShownDialog::SaveFile);
  EXPECT_EQ(browsed[0].title, form().InterfaceText(9));
  EXPECT_EQ(browsed[0].text.toStdString(), (program_ / "b.reg").string());

  // An existing backup: cancel, then append, then replace.
  const fs::path file = program_ / "old.reg";
  const std::string old = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Old]\r\n\r\n";
  WriteTextFile(file, old);
  SetBackup(file.string());
  app::Dialogs::setNextAnswer(2);
  Click("BitBtnNext");
  auto shown = TakeShown();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].kind, app::TShownDialog::Choice);
  EXPECT_EQ(shown[0].title, form().windowTitle());
  EXPECT_EQ(shown[0].text.toStdString(),
            (form().Message(22) + ": \n" + QString::fromStdString(file.string()) + '\n' +
             form().Message(23))
                .toStdString());
  EXPECT_EQ(shown[0].buttons, (QStringList{"Append", "Replace", "Cancel"}));
  EXPECT_EQ(form().PageName(), "Fix_it");
  EXPECT_EQ(ReadTextFile(file), old);
  EXPECT_EQ(Hives(), hives);

  // Append to what is no REGEDIT4 file, the editor's UTF-16 export: refused,
  // and its content kept (it used to be dropped).
  const fs::path exported = program_ / "export.reg";
  const std::string utf16("\xFF\xFEW\0i\0n\0\r\0\n\0", 12);
  WriteTextFile(exported, utf16);
  SetBackup(exported.string());
  app::Dialogs::setNextAnswer(0);
  Click("BitBtnNext");
  shown = TakeShown();
  ASSERT_EQ(shown.size(), 2u);  // the question, then the refusal
  EXPECT_NE(shown[1].text.toStdString().find("is not a REGEDIT4 file"), std::string::npos)
      << shown[1].text.toStdString();
  EXPECT_EQ(form().PageName(), "Fix_it");
  EXPECT_EQ(ReadTextFile(exported), utf16);
  EXPECT_EQ(Hives(), hives);

  SetBackup(file.string());
  app::Dialogs::setNextAnswer(0);
  Click("BitBtnNext");
  EXPECT_EQ(LastText(), "1 entries repaired.");
  const std::string appended = ReadTextFile(file);
  EXPECT_NE(appended.find("Star Pilot"), std::string::npos);
  EXPECT_LT(appended.find("Star Pilot"), appended.find("[HKEY_CURRENT_USER\\Old]"));

  TEntry* gone = Find(acInvalidPaths, kPhotoViewerKey, "LastFile");
  ASSERT_NE(gone, nullptr);
  PickOnly({gone});
  ToFixIt(file);
  app::Dialogs::setNextAnswer(1);
  Click("BitBtnNext");
  const std::string replaced = ReadTextFile(file);
  EXPECT_NE(replaced.find("holiday.pvx"), std::string::npos);
  EXPECT_EQ(replaced.find("Star Pilot"), std::string::npos);
  EXPECT_EQ(replaced.find("[HKEY_CURRENT_USER\\Old]"), std::string::npos);
}

TEST_F(WizardRunTest, AFailedBackupLeavesThePrefixAsItWas) {
  Click("BitBtnNext");
  TEntry* moved = Find(acInvalidPaths, kStarPilotKey, "Path");
  TEntry* gone = Find(acInvalidPaths, kPhotoViewerKey, "LastFile");
  ASSERT_TRUE(moved && gone);
  PickOnly({moved, gone});
  const std::string hives = Hives();
  const fs::path folder = program_ / "backups";
  fs::create_directories(folder);
  ToFixIt(folder / "undo.reg");
  // The folder goes away during the run: the backup, written before the first
  // change, cannot be, and nothing is changed or taken off the list.
  bool inputDuringRun = false;
  duringWork_ = [&] {
    if (!form().RepairRunning) return;
    // Nothing may start a second run, or close the window, meanwhile.
    inputDuringRun = inputDuringRun || form().BitBtnNext->isEnabled() ||
                     form().BitBtnCancel->isEnabled() || form().EUndoFile->isEnabled();
    if (fs::exists(folder)) fs::rename(folder, program_ / "moved away");
    form().close();
  };
  TakeShown();
  Click("BitBtnNext");
  duringWork_ = nullptr;
  EXPECT_FALSE(inputDuringRun);
  EXPECT_FALSE(form().Closing());
  const QString text = LastText();
  EXPECT_TRUE(text.contains("not changed")) << text.toStdString();
  EXPECT_TRUE(text.contains("nothing was changed")) << text.toStdString();
  EXPECT_FALSE(text.contains("scan again")) << text.toStdString();
  EXPECT_FALSE(text.contains("entries repaired."));
  EXPECT_EQ(Find(acInvalidPaths, kStarPilotKey, "Path"), moved);
  EXPECT_EQ(Find(acInvalidPaths, kPhotoViewerKey, "LastFile"), gone);
  EXPECT_EQ(form().PageName(), "Registry");
  EXPECT_EQ(Hives(), hives);
  // The window's registry is the prefix's again, so a later save keeps both values.
  EXPECT_TRUE(ValueThere(kPhotoViewerKey, "LastFile"));
  Stop();
  const std::string user = ReadTextFile(prefix_ / "user.reg");
  EXPECT_NE(user.find("holiday.pvx"), std::string::npos);
  EXPECT_NE(user.find("C:\\\\Program Files\\\\Star Pilot\\\\starpilot.exe"), std::string::npos);
}

TEST_F(WizardRunTest, UpdateCheckReportsFoundNotFoundAndUnreachable) {
  const std::string newer =
      "<html><!--hvw_ver=" + std::to_string(form().UpdateRevision + 1) + "-->";
  const std::string same = "<html><!--HVW_VER=" + std::to_string(form().UpdateRevision) + "-->";
  struct Case {
    std::optional<std::string> page;
    int answer;
    bool openWorks;
    QString message;  // the last text shown
    bool opens;
  };
  const QString found = form().Message(36);
  const QString homepage = QString::fromLatin1(HomepageUrl());
  const Case cases[] = {
      {newer, app::mbYes, true, found, true},
      {newer, app::mbNo, true, found, false},
      {newer, app::mbYes, false, "The web page " + homepage + " could not be opened.", true},
      {same, 0, true, form().Message(37), false},
      {"no marker here", 0, true, form().Message(37), false},
      {std::nullopt, 0, true, form().Message(38), false},
  };
  run_->UpdateUrl = "http://updates.test/version.html";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.page.value_or("(unreachable)") + " " + std::to_string(c.answer));
    transport_.page = c.page;
    openWorks_ = c.openWorks;
    opened_.clear();
    if (c.answer) app::Dialogs::setNextAnswer(c.answer);
    form().miCheckwebsitefornewversion->trigger();
    EXPECT_EQ(LastText(), c.message);
    EXPECT_EQ(opened_, c.opens ? std::vector<QString>{homepage} : std::vector<QString>{});
    ASSERT_FALSE(transport_.urls.empty());
    EXPECT_EQ(transport_.urls.back(), run_->UpdateUrl);
  }
}

// A page that never answers until the transfer is aborted (or 20 s pass).
class SilentTransport : public UpdateTransport {
 public:
  std::optional<std::string> Fetch(const std::string&, std::size_t) override {
    std::unique_lock<std::mutex> lock(mutex_);
    woken_.wait_for(lock, std::chrono::seconds(20), [this] { return Aborted(); });
    return Aborted() ? std::nullopt : std::optional<std::string>("<!--hvw_ver=99999-->");
  }
  void Abort() override {
    UpdateTransport::Abort();
    std::lock_guard<std::mutex> lock(mutex_);
    woken_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable woken_;
};

TEST_F(WizardRunTest, ClosingTheWindowDuringTheUpdateCheckAbortsItAtOnce) {
  SilentTransport silent;
  app::TWizardRun run(session().Store(), silent);
  run.UpdateUrl = "http://updates.test/version.html";
  form().SetWizardWork(&run);
  TakeShown();
  QTimer::singleShot(0, &form(), [this] { form().close(); });
  const auto start = std::chrono::steady_clock::now();
  form().miCheckwebsitefornewversion->trigger();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_TRUE(silent.Aborted());
  EXPECT_TRUE(form().Closing());
  EXPECT_TRUE(TakeShown().empty()) << "nothing is said after the window closed";
  form().SetWizardWork(run_.get());
}

TEST_F(WizardRunTest, WithoutAnUpdateAddressTheCheckSaysSoAndAsksNothing) {
  run_->UpdateUrl.clear();
  TakeShown();
  form().miCheckwebsitefornewversion->trigger();
  const QString said = LastText();
  EXPECT_EQ(said, form().Message(42));
  EXPECT_TRUE(said.contains("no update address")) << said.toStdString();
  EXPECT_TRUE(transport_.urls.empty());
  // A default build names no page; a build for distribution sets HW_UPDATE_URL.
  EXPECT_EQ(app::TWizardRun(session().Store(), transport_).UpdateUrl, UpdatePageUrl());
}

}  // namespace
}  // namespace hw::test
