#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QSvgRenderer>
#include <filesystem>
#include <regex>
#include <string>
#include <utility>

#include "tests/support/TextFiles.h"

namespace hw {
namespace {

namespace fs = std::filesystem;

// The window lays pictures out by these sizes, so a picture drawn at another size would
// be scaled or misplaced; every picture must also parse.
TEST(ShippedAssetsTest, EveryPictureParsesAtItsLayoutSize) {
  int argc = 1;
  char name[] = "assets_tests";
  char* argv[] = {name, nullptr};
  QGuiApplication app(argc, argv);  // the caption's text needs the font database

  const struct {
    std::string prefix;
    QSize size;
  } kSizes[] = {
      {"category-", {32, 32}},     {"button-", {16, 16}},        {"side-background", {160, 48}},
      {"side-caption", {32, 200}}, {"side-welcome", {120, 140}}, {"side-fixit", {120, 140}},
      {"logo", {96, 96}}};
  int checked = 0;
  for (const auto& entry : fs::directory_iterator(HW_IMAGES_DIR)) {
    if (entry.path().extension() != ".svg") continue;
    const std::string file = entry.path().filename().string();
    SCOPED_TRACE(file);
    QSvgRenderer renderer(QString::fromStdString(entry.path().string()));
    ASSERT_TRUE(renderer.isValid());
    bool known = false;
    for (const auto& [prefix, size] : kSizes) {
      if (file.rfind(prefix, 0) != 0) continue;
      known = true;
      const QSize actual = renderer.defaultSize();
      EXPECT_EQ(std::pair(actual.width(), actual.height()), std::pair(size.width(), size.height()));
    }
    EXPECT_TRUE(known) << "picture without a layout size";
    ++checked;
  }
  EXPECT_GE(checked, 20);
}

// The help window opens topics by number and follows links between pages: every topic the
// pages' Help button names must exist, and no link may lead nowhere.
TEST(ShippedAssetsTest, HelpTopicsExistAndLinksResolve) {
  const fs::path dir = HW_HELP_DIR;
  for (const char* topic : {"index", "topic100", "topic140", "topic150", "topic230"})
    EXPECT_TRUE(fs::exists(dir / (std::string(topic) + ".html"))) << topic;

  const std::regex link(R"(href="([^"#]*)(?:#([^"]*))?")");
  for (const auto& entry : fs::directory_iterator(dir)) {
    if (entry.path().extension() != ".html") continue;
    const std::string page = test::ReadTextFile(entry.path());
    for (std::sregex_iterator it(page.begin(), page.end(), link), end; it != end; ++it) {
      const std::string target = (*it)[1].str();
      const std::string anchor = (*it)[2].str();
      SCOPED_TRACE(entry.path().filename().string() + " -> " + (*it)[0].str());
      const fs::path file = target.empty() ? entry.path() : dir / target;
      ASSERT_TRUE(fs::exists(file));
      if (!anchor.empty()) {
        EXPECT_NE(test::ReadTextFile(file).find("name=\"" + anchor + "\""), std::string::npos);
      }
    }
  }
}

}  // namespace
}  // namespace hw
