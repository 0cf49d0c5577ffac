#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include "cli/CliOptions.h"
#include "cli/ScanCommand.h"
#include "cli/UpdateCommand.h"
#include "platform/StoreRegistryApi.h"
#include "platform/wine/WinePrefixStore.h"
#include "registry/NTRegistry.h"
#include "tests/results/ResultsFakes.h"
#include "tests/support/TempDir.h"
#include "update/UpdateAddresses.h"
#include "update/UpdateTransport.h"

namespace hw::cli {
namespace {

namespace fs = std::filesystem;

// A prefix whose only empty key is HKCU\Software\V\E (found under HKCU and
// under HKU), and the shipped packs in a data folder of its own.
class ReportCommandTest : public ::testing::Test {
 protected:
  ReportCommandTest() {
    auto store = platform::WinePrefixStore::createEmpty(dir.path());
    platform::StoreRegistryApi api(*store);
    TNTRegistry reg(api);
    reg.SetRootKey(HKEY_CURRENT_USER);
    EXPECT_TRUE(reg.OpenKey("\\Software\\V\\E", true));
    EXPECT_TRUE(reg.OpenKey("\\Software\\V", false));
    reg.WriteString("keeps V non-empty", "x");
    reg.CloseKey();
    store->save();
    fs::create_directory(data);
    for (const char* pack : {"renglish.lng", "rgerman.lng"})
      fs::copy_file(ExecutableFolder() / pack, data / pack);

    options.prefix = dir.path().string();
    options.dataDir = data.string();
    options.categories = {acEmptyKeys};
    options.useExclusions = false;
    options.format = OutputFormat::Report;
  }

  // The report's block of the empty keys below Software\V, CR LF kept.
  std::string BlockOfV(const std::string& report, const std::string& keyLabel) {
    std::size_t at = report.find("\r\n\r\n0     ");
    EXPECT_NE(at, std::string::npos) << report;
    std::string ours;
    std::istringstream lines(report.substr(at));
    for (std::string line; std::getline(lines, line);) {
      if (line.find(keyLabel) != std::string::npos && line.find("\\V\\E") != std::string::npos) {
        std::string action;
        std::getline(lines, action);
        ours += line.substr(line.find(keyLabel)) + "\n" + action + "\n";
      }
    }
    return ours;
  }

  test::TempDir dir;
  fs::path data = dir.path() / "data";
  ScanOptions options;
  std::ostringstream out, err;
};

TEST_F(ReportCommandTest, TheReportGoesToStandardOutputInThePacksLanguage) {
  ASSERT_EQ(RunScan(options, out, err, false), kFound) << err.str();
  const std::string report = out.str();
  EXPECT_EQ(report.rfind("Hivewarden 1.", 0), 0u) << report;
  EXPECT_NE(report.find("\r\n *** Empty keys ***  Entries found: "), std::string::npos);
  EXPECT_EQ(BlockOfV(report, "Key:"),
            "Key: [HKEY_CURRENT_USER] Software\\V\\E\r\nAction: Delete empty key\r\n");

  out.str("");
  options.language = "Deutsch";
  ASSERT_EQ(RunScan(options, out, err, false), kFound) << err.str();
  EXPECT_NE(out.str().find(" *** Leere Schlüssel ***  Gefundene Einträge: "), std::string::npos)
      << out.str();

  options.language = "Klingon";
  EXPECT_EQ(RunScan(options, out, err, false), kError);
  EXPECT_NE(err.str().find("Klingon"), std::string::npos) << err.str();
}

TEST_F(ReportCommandTest, TheReportFileIsReplacedUnlessReadOnly) {
  const fs::path file = dir.path() / "found.txt";
  options.output = file.string();
  std::ofstream(file) << "old";
  ASSERT_EQ(RunScan(options, out, err, false), kFound) << err.str();
  EXPECT_EQ(out.str(), "");
  std::ifstream written(file, std::ios::binary);
  std::string first;
  std::getline(written, first);
  EXPECT_EQ(first.rfind("Hivewarden 1.", 0), 0u);
  EXPECT_EQ(first.back(), '\r');

  fs::permissions(file, fs::perms::owner_read);
  EXPECT_EQ(RunScan(options, out, err, false), kError);
  EXPECT_NE(err.str().find("Error deleting file " + file.string()), std::string::npos) << err.str();
}

class CannedTransport : public UpdateTransport {
 public:
  std::optional<std::string> Fetch(const std::string& url, std::size_t) override {
    asked = url;
    return page;
  }
  std::optional<std::string> page;
  std::string asked;
};

TEST(CheckUpdateCommandTest, ExitStatusTellsWhetherANewerVersionIsPublished) {
  EXPECT_EQ(ParseCommandLine({"check-update", "--url", "http://h/p"}).update.url, "http://h/p");
  EXPECT_THROW(ParseCommandLine({"check-update", "--url"}), std::invalid_argument);

  test::FakeTextSource texts;
  CannedTransport transport;
  std::ostringstream out, err;
  transport.page = "<!--HVW_VER=99999-->";
  EXPECT_EQ(RunCheckUpdate({}, transport, texts, out, err, "http://built/in"), kFound);
  EXPECT_EQ(transport.asked, "http://built/in");
  EXPECT_NE(out.str().find("99999"), std::string::npos) << out.str();
  EXPECT_NE(out.str().find(HomepageUrl()), std::string::npos) << out.str();

  transport.page = "<!--hvw_ver=1-->";
  EXPECT_EQ(RunCheckUpdate({"http://elsewhere/"}, transport, texts, out, err), kNothingFound);
  EXPECT_EQ(transport.asked, "http://elsewhere/");

  transport.page.reset();
  EXPECT_EQ(RunCheckUpdate({"http://elsewhere/"}, transport, texts, out, err), kError);
  EXPECT_NE(err.str().find("M38"), std::string::npos) << err.str();
}

TEST(CheckUpdateCommandTest, ABuildWithoutAnUpdateAddressSaysSoAndAsksNothing) {
  test::FakeTextSource texts;
  CannedTransport transport;
  std::ostringstream out, err;
  EXPECT_EQ(RunCheckUpdate({}, transport, texts, out, err, ""), kError);
  EXPECT_TRUE(transport.asked.empty());
  EXPECT_NE(err.str().find("M42"), std::string::npos) << err.str();
  EXPECT_NE(err.str().find("HW_UPDATE_URL"), std::string::npos) << err.str();
  EXPECT_TRUE(out.str().empty());
  // --url still asks.
  transport.page = "<!--hvw_ver=1-->";
  EXPECT_EQ(RunCheckUpdate({"http://elsewhere/"}, transport, texts, out, err, ""), kNothingFound);
}

}  // namespace
}  // namespace hw::cli
