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
#include "platform/WinePrefixStore.h"
#include "registry/NTRegistry.h"
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
  // A prefix whose registry holds HKCU\Software\V\E1\E2 without values.
  void MakePrefix() {
    auto store = platform::WinePrefixStore::createEmpty(dir.path());
    platform::StoreRegistryApi api(*store);
    TNTRegistry reg(api);
    reg.SetRootKey(HKEY_CURRENT_USER);
    ASSERT_TRUE(reg.OpenKey("\\Software\\V\\E1\\E2", true));
    ASSERT_TRUE(reg.OpenKey("\\Software\\V", false));
    reg.WriteString("keeps V non-empty", "x");
    reg.CloseKey();
    store->save();
  }

  ExitStatus Run(ScanOptions options) {
    options.prefix = dir.path().string();
    return RunScan(options, out, err, false);
  }

  std::vector<std::string> Lines() const {
    std::vector<std::string> lines;
    std::istringstream in(out.str());
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  test::TempDir dir;
  std::ostringstream out, err;
};

TEST_F(ScanCommandTest, EmptyKeysAreListedInnermostFirstUnderBothRoots) {
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
      "[HKEY_USERS] S-1-5-21-0-0-0-1000\\\\Software\\\\V\\\\E1\\\\E2",
      "[HKEY_USERS] S-1-5-21-0-0-0-1000\\\\Software\\\\V\\\\E1",
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

}  // namespace
}  // namespace hw::cli
