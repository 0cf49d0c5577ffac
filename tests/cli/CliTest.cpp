#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/CliOptions.h"
#include "cli/JsonLines.h"
#include "cli/ScanCommand.h"
#include "platform/StoreRegistryApi.h"
#include "platform/wine/WinePrefixStore.h"
#include "registry/NTRegistry.h"
#include "registry/StoredList.h"
#include "scan/CategoryStorage.h"
#include "tests/support/TempDir.h"

namespace hw::cli {
namespace {

namespace fs = std::filesystem;

TEST(CliOptionsTest, ScanDefaultsToTheCategoriesTheWindowOffers) {
  ParsedCommand command = ParseCommandLine({"scan"});
  ASSERT_EQ(command.kind, ParsedCommand::Kind::Scan);
  EXPECT_EQ(command.scan.categories, DefaultCliCategories());
  EXPECT_FALSE(command.scan.categories.Contains(acEmptyKeys));
  EXPECT_FALSE(command.scan.categories.Contains(acInvalidExts));
  EXPECT_EQ(command.scan.format, OutputFormat::Jsonl);

  command = ParseCommandLine({"scan", "--categories", "empty,extensions", "--prefix", "/p",
                              "--no-exclusions", "--output", "out.jsonl"});
  EXPECT_EQ(command.scan.categories, (TAnalyzCategories{acEmptyKeys, acInvalidExts}));
  EXPECT_EQ(command.scan.prefix, "/p");
  EXPECT_FALSE(command.scan.useExclusions);
  EXPECT_EQ(command.scan.output, "out.jsonl");

  EXPECT_EQ(ParseCommandLine({"scan", "--data-dir", "/usr/share/hw"}).scan.dataDir,
            "/usr/share/hw");
}

TEST(CliOptionsTest, BadArgumentsAreRefusedWithAReason) {
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"clean"},
                                             {"scan", "--categories", "paths,bogus"},
                                             {"scan", "--categories", ","},
                                             {"scan", "--prefix"},
                                             {"scan", "--format", "xml"},
                                             {"scan", "--verbose"}}) {
    EXPECT_THROW(ParseCommandLine(args), std::invalid_argument) << args.back();
  }
}

TEST(JsonLinesTest, StringsAreEscapedAndValidUtf8) {
  EXPECT_EQ(JsonString("C:\\a \"b\"\n\x01"), "\"C:\\\\a \\\"b\\\"\\n\\u0001\"");
  EXPECT_EQ(JsonString("Müller"), "\"Müller\"");
  EXPECT_EQ(JsonString("bad \xFF byte"), "\"bad \xEF\xBF\xBD byte\"");
}

class ScanCommandTest : public ::testing::Test {
 protected:
  ScanCommandTest() {
    // Every default file, empty, unless a test says otherwise.
    fs::create_directory(data);
    for (const TCategoryStorage& storage : kCategoryStorage)
      std::ofstream(data / storage.DefaultsFile);
  }

  // A prefix whose registry holds HKCU\Software\V\E1\E2 without values, and
  // the stored exclusion lists given.
  void MakePrefix(const std::vector<std::pair<std::string, std::string>>& stored = {}) {
    auto store = platform::WinePrefixStore::createEmpty(dir.path());
    platform::StoreRegistryApi api(*store);
    TNTRegistry reg(api);
    reg.SetRootKey(HKEY_CURRENT_USER);
    ASSERT_TRUE(reg.OpenKey("\\Software\\V\\E1\\E2", true));
    ASSERT_TRUE(reg.OpenKey("\\Software\\V", false));
    reg.WriteString("keeps V non-empty", "x");
    reg.CloseKey();
    if (!stored.empty()) {
      TStoredLists lists(api, SettingsKeyPath());
      for (const auto& [name, entry] : stored) lists.SaveListToRegistry(name, {entry});
    }
    store->save();
    fs::create_directories(dir.path() / "drive_c");
    fs::create_directories(dir.path() / "dosdevices");
    fs::create_directory_symlink("../drive_c", dir.path() / "dosdevices" / "c:");
  }

  ExitStatus Run(ScanOptions options) {
    options.prefix = dir.path().string();
    if (options.dataDir.empty()) options.dataDir = data.string();
    return RunScan(options, out, err, false);
  }

  // The keys of the findings that lie below Software\V.
  std::vector<std::string> FoundBelowV() const {
    std::vector<std::string> keys;
    for (const std::string& line : Lines()) {
      std::size_t at = line.find("\"key\":\"");
      std::string key = line.substr(at + 7, line.find('"', at + 7) - at - 7);
      if (key.find("\\\\V\\\\") != std::string::npos) keys.push_back(key);
    }
    return keys;
  }

  std::vector<std::string> Lines() const {
    std::vector<std::string> lines;
    std::istringstream in(out.str());
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  test::TempDir dir;
  fs::path data = dir.path() / "data";
  std::ostringstream out, err;
};

TEST_F(ScanCommandTest, EmptyKeysAreListedInnermostFirstOnceEach) {
  MakePrefix();
  ScanOptions options;
  options.categories = {acEmptyKeys};
  EXPECT_EQ(Run(options), kFound);
  std::vector<std::string> keys;
  for (const std::string& line : Lines()) {
    std::size_t at = line.find("\"key\":\"");
    keys.push_back(line.substr(at + 7, line.find('"', at + 7) - at - 7));
    EXPECT_NE(line.find("\"category\":1,"), std::string::npos) << line;
    EXPECT_NE(line.find("\"flags\":[]"), std::string::npos) << line;
  }
  std::vector<std::string> expected = {
      "[HKEY_CURRENT_USER] Software\\\\V\\\\E1\\\\E2",
      "[HKEY_CURRENT_USER] Software\\\\V\\\\E1",
  };
  std::vector<std::string> ours;
  for (const std::string& key : keys)
    if (key.find("\\\\V\\\\") != std::string::npos) ours.push_back(key);
  EXPECT_EQ(ours, expected);
}

TEST_F(ScanCommandTest, NothingFoundExitsZero) {
  MakePrefix();
  ScanOptions options;
  options.categories = {acInvalidFonts};
  EXPECT_EQ(Run(options), kNothingFound);
  EXPECT_EQ(out.str(), "");
}

TEST_F(ScanCommandTest, AMissingPrefixIsAnErrorThatNamesIt) {
  ScanOptions options;
  options.categories = {acEmptyKeys};
  options.prefix = (dir.path() / "nowhere").string();
  EXPECT_EQ(RunScan(options, out, err, false), kError);
  EXPECT_NE(err.str().find("nowhere"), std::string::npos) << err.str();
  EXPECT_EQ(out.str(), "");
}

TEST_F(ScanCommandTest, APrefixWithoutUsableDrivesIsRefusedWhenPathsAreJudged) {
  MakePrefix();
  fs::remove_all(dir.path() / "dosdevices");
  ScanOptions options;
  options.categories = {acInvalidPaths};
  EXPECT_EQ(Run(options), kError);
  EXPECT_NE(err.str().find(dir.path().string() + " has no dosdevices"), std::string::npos)
      << err.str();
  EXPECT_EQ(out.str(), "");

  // A C: link that leads nowhere, and none at all.
  fs::create_directories(dir.path() / "dosdevices");
  fs::create_directory_symlink("../gone", dir.path() / "dosdevices" / "c:");
  err.str("");
  EXPECT_EQ(Run(options), kError);
  EXPECT_NE(err.str().find("drive C: leads nowhere"), std::string::npos) << err.str();
  fs::remove(dir.path() / "dosdevices" / "c:");
  fs::create_directory_symlink("/", dir.path() / "dosdevices" / "z:");
  err.str("");
  EXPECT_EQ(Run(options), kError);
  EXPECT_NE(err.str().find("has no drive C:"), std::string::npos) << err.str();
  EXPECT_EQ(out.str(), "");

  // Empty keys name no paths: that scan still runs.
  options.categories = {acEmptyKeys};
  err.str("");
  EXPECT_EQ(Run(options), kFound) << err.str();

  // A copy that followed the links holds C: as a folder, which Wine uses.
  fs::create_directories(dir.path() / "dosdevices" / "c:");
  options.categories = {acInvalidPaths};
  EXPECT_EQ(Run(options), kNothingFound) << err.str();
}

TEST_F(ScanCommandTest, OutputFileIsWrittenWholeOrNotAtAll) {
  MakePrefix();
  fs::path file = dir.path() / "found.jsonl";
  ScanOptions options;
  options.categories = {acEmptyKeys};
  options.output = file.string();
  EXPECT_EQ(Run(options), kFound);
  EXPECT_EQ(out.str(), "");
  std::ifstream in(file);
  std::string first;
  ASSERT_TRUE(std::getline(in, first));
  EXPECT_EQ(first.front(), '{');
  for (const auto& entry : fs::directory_iterator(dir.path()))
    EXPECT_EQ(entry.path().filename().string().find(".found"), std::string::npos)
        << "a temporary file was left: " << entry.path();

  // A failing run leaves the earlier file as it was.
  std::ofstream(file) << "earlier\n";
  options.prefix = (dir.path() / "nowhere").string();
  EXPECT_EQ(RunScan(options, out, err, false), kError);
  std::ifstream again(file);
  std::string kept;
  std::getline(again, kept);
  EXPECT_EQ(kept, "earlier");
}

TEST_F(ScanCommandTest, DefaultAndStoredExclusionsHideTheirKeysUnlessTurnedOff) {
  // The default list hides E2, the list stored in the
  // prefix's settings hides E1.
  std::ofstream(data / "exclempt.def") << "\\Software\\V\\E1\\E2\\\r\n";
  MakePrefix({{"Excluded_empty_entries", "\\V\\E1\\"}});
  ScanOptions options;
  options.categories = {acEmptyKeys};
  Run(options);
  EXPECT_EQ(FoundBelowV(), std::vector<std::string>{}) << err.str();

  out.str("");
  options.useExclusions = false;
  options.dataDir = (dir.path() / "nowhere").string();
  EXPECT_EQ(Run(options), kFound) << "no default file is needed without exclusions";
  EXPECT_EQ(FoundBelowV().size(), 2u);
}

TEST_F(ScanCommandTest, AMissingDefaultFileOfAScannedCategoryStopsWithItsName) {
  MakePrefix();
  fs::remove(data / "exclfont.def");
  ScanOptions options;
  options.categories = {acInvalidPaths, acInvalidFonts};
  EXPECT_EQ(Run(options), kError);
  EXPECT_NE(err.str().find((data / "exclfont.def").string()), std::string::npos) << err.str();
  EXPECT_EQ(out.str(), "");

  err.str("");
  options.categories = {acInvalidPaths};
  EXPECT_NE(Run(options), kError) << "only the scanned categories' files are read: " << err.str();
}

TEST_F(ScanCommandTest, TheDefaultFilesShipBesideTheExecutable) {
  for (const TCategoryStorage& storage : kCategoryStorage)
    EXPECT_TRUE(fs::exists(ExecutableFolder() / storage.DefaultsFile)) << storage.DefaultsFile;
}

}  // namespace
}  // namespace hw::cli
