#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "update/CheckUpdate.h"
#include "update/UpdatePage.h"
#include "update/UpdateTransport.h"

namespace hw {
namespace {

TEST(UpdatePageTest, RevisionAfterTheMarker) {
  struct Case {
    const char* name;
    std::string page;
    std::optional<std::int32_t> revision;
  };
  const std::string filler(1000, 'x');
  const std::vector<Case> cases = {
      {"marker in upper case", "<html><!--REV=201--></html>", 201},
      {"no separator: the first digit is taken for one", "<!--rev201-->", 1},
      {"blanks before the number", "<!--rev:   300 -->", 300},
      {"blanks among the digits make no number", "<!--rev=2 01-->", 0},
      {"no digits after the separator", "<!--rev=-->", 0},
      {"marker at the very end", "abc<!--rev", 0},
      {"too large for 32 bits", "<!--rev=99999999999", 0},
      {"no marker", "<html>nothing</html>", std::nullopt},
      {"marker within the first 1024 bytes", filler + "<!--rev=7", 7},
      {"marker cut at byte 1024", std::string(1020, 'x') + "<!--rev=7", std::nullopt},
      {"marker past byte 1024", filler + filler + "<!--rev=7", std::nullopt},
      {"digits past byte 1024 are not read", std::string(1014, 'x') + "<!--rev=12345", 12},
  };
  for (const Case& c : cases) EXPECT_EQ(PublishedRevision(c.page, "<!--rev"), c.revision) << c.name;
}

TEST(UpdatePageTest, RevisionOfAVersionJoinsItsFirstThreeNumbers) {
  EXPECT_EQ(RevisionFromVersion(3, 0, 0), 300);
  EXPECT_EQ(RevisionFromVersion(3, 1, 2), 312);
  EXPECT_EQ(RevisionFromVersion(10, 20, 300), 1020300);
  EXPECT_EQ(RevisionFromVersion(9999, 9999, 9999), 0);
}

// Serves one page, or fails to open it when there is none.
class FakeTransport : public UpdateTransport {
 public:
  std::optional<std::string> Fetch(const std::string& url, std::size_t maxBytes) override {
    urls.push_back(url);
    if (!page) return std::nullopt;
    return page->substr(0, maxBytes);
  }
  std::optional<std::string> page;
  std::vector<std::string> urls;
};

class CheckUpdateTest : public ::testing::Test {
 protected:
  CheckUpdateTest() {
    check.ChkURL = "http://host/page";
    check.Homepage = "  http://host/  ";
    check.ChkStr = "<!--hvw_ver";
    check.Revision = 200;
    check.OnFound = [this](TCheckUpdate&, bool& go) {
      events.push_back("found");
      go = answer;
    };
    check.OnNotFound = [this](TCheckUpdate&) { events.push_back("not found"); };
    check.OpenUrl = [this](const std::string& url) { opened.push_back(url); };
  }

  FakeTransport transport;
  TCheckUpdate check{transport};
  bool answer = true;
  std::vector<std::string> events, opened;
};

TEST_F(CheckUpdateTest, AHigherRevisionIsFoundAndTheTrimmedHomepageOpenedOnYes) {
  transport.page = "<html><!--HVW_VER=201--></html>";
  EXPECT_TRUE(check.Check());
  EXPECT_EQ(transport.urls, std::vector<std::string>{"http://host/page"});
  EXPECT_EQ(events, std::vector<std::string>{"found"});
  EXPECT_EQ(opened, std::vector<std::string>{"http://host/"});
  EXPECT_EQ(check.Published(), 201);

  answer = false;
  EXPECT_TRUE(check.Check());
  EXPECT_EQ(opened.size(), 1u) << "No opens nothing";
}

TEST_F(CheckUpdateTest, TheSameRevisionOrNoMarkerIsNoUpdate) {
  for (const char* page : {"<!--hvw_ver=200-->", "<!--rev=999-->", ""}) {
    transport.page = page;
    EXPECT_TRUE(check.Check()) << page;
  }
  EXPECT_EQ(events, std::vector<std::string>(3, "not found"));
  EXPECT_TRUE(opened.empty());
}

TEST_F(CheckUpdateTest, APageThatCannotBeOpenedFiresNoEvent) {
  EXPECT_FALSE(check.Check());
  EXPECT_TRUE(events.empty());
}

}  // namespace
}  // namespace hw
