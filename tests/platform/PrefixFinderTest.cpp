// The prefix finder on a home folder laid out as the launchers lay theirs out.
#include "platform/wine/PrefixFinder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/wine/KeyValues.h"
#include "tests/support/FakeWineserver.h"
#include "tests/support/PrefixFolders.h"
#include "tests/support/TempDir.h"

namespace hw::platform {
namespace {

namespace fs = std::filesystem;

using test::MakeFakePrefix;
constexpr auto& Write = test::WriteWithFolders;

// As Steam writes it now: a block per library with its path and its games.
std::string LibraryFolders(const fs::path& main, const fs::path& second) {
  return "\"libraryfolders\"\n{\n"
         "\t\"0\"\n\t{\n\t\t\"path\"\t\t\"" +
         main.string() +
         "\"\n"
         "\t\t\"label\"\t\t\"\"\n\t\t\"contentid\"\t\t\"4206467338071366046\"\n"
         "\t\t\"totalsize\"\t\t\"0\"\n\t\t\"apps\"\n\t\t{\n\t\t\t\"228980\"\t\t\"441012524\"\n\t\t}"
         "\n\t}\n"
         "\t\"1\"\n\t{\n\t\t\"path\"\t\t\"" +
         second.string() +
         "\"\n"
         "\t\t\"label\"\t\t\"Games\"\n\t\t\"apps\"\n\t\t{"
         "\n\t\t\t\"1091500\"\t\t\"70000000000\"\n\t\t}\n\t}\n"
         "}\n";
}

std::string AppManifest(const std::string& appId, const std::string& name) {
  return "\"AppState\"\n{\n\t\"appid\"\t\t\"" + appId +
         "\"\n\t\"Universe\"\t\t\"1\"\n\t\"name\"\t\t\"" + name +
         "\"\n\t\"StateFlags\"\t\t\"4\"\n\t\"installdir\"\t\t\"" + name +
         "\"\n\t\"UserConfig\"\n\t{\n\t\t\"language\"\t\t\"english\"\n\t}\n}\n";
}

TEST(KeyValuesTest, ReadsSteamFilesByTheirGrammar) {
  const KeyValues root = ParseKeyValues(
      "\xEF\xBB\xBF// written by Steam\n"
      "\"LibraryFolders\"\n{\n"
      "\t\"TimeNextStatsReport\"\t\"1700000000\"\n"
      "\t\"1\"\t\"D:\\\\Games\\\\Steam \\\"Library\\\"\" [$WIN32]\n"
      "\tbare_key bare_value // a comment after a pair\n"
      "\t\"multi\"\t\"one\\ntwo\\tthree\"\n"
      "\t\"nested\" { \"deeper\" { \"name\" \"x\" } }\n"
      "}\n");
  const KeyValues* folders = root.Find("libraryfolders");  // keys ignore case
  ASSERT_NE(folders, nullptr);
  ASSERT_TRUE(folders->IsBlock);
  EXPECT_EQ(folders->Text("1"), "D:\\Games\\Steam \"Library\"");
  EXPECT_EQ(folders->Text("BARE_KEY"), "bare_value");
  EXPECT_EQ(folders->Text("multi"), "one\ntwo\tthree");
  ASSERT_NE(folders->Find("nested"), nullptr);
  EXPECT_EQ(folders->Find("nested")->Find("deeper")->Text("name"), "x");
  EXPECT_EQ(folders->Children.size(), 5u);
  // A block is no text, and a missing key is nothing.
  EXPECT_EQ(folders->Text("nested"), "");
  EXPECT_EQ(folders->Find("absent"), nullptr);
}

TEST(KeyValuesTest, RefusesBrokenFilesNamingTheLine) {
  auto message = [](const std::string& text) {
    try {
      ParseKeyValues(text);
    } catch (const KeyValuesError& error) {
      return std::string(error.what());
    }
    return std::string("parsed");
  };
  EXPECT_EQ(message("\"a\"\n{\n\"b\" \"never ends\n}\n"), "line 3: a quoted text that never ends");
  EXPECT_EQ(message("\"a\"\n{\n\"b\" \"c\"\n"), "line 4: a block that is never closed");
  EXPECT_EQ(message("\"a\" \"b\"\n}\n"), "line 2: a } without its {");
  EXPECT_EQ(message("\"a\"\n{\n\"b\"\n}\n"), "line 4: the key \"b\" has no value");
  EXPECT_EQ(message("{ \"a\" \"b\" }"), "line 1: a { without a key");
  // Hostile nesting is refused, not followed down the stack.
  std::string deep;
  for (int i = 0; i < 100000; ++i) deep += "k {";
  EXPECT_NE(message(deep).find("nested too deep"), std::string::npos);
}

class PrefixFinderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    home_ = temp_.path() / "home";
    places_.Home = home_;
    places_.DataHome = home_ / ".local" / "share";
    places_.ConfigHome = home_ / ".config";
  }

  std::vector<FoundPrefix> Find() const { return FindPrefixes(places_); }

  test::TempDir temp_;
  fs::path home_;
  PrefixSearchPlaces places_;
};

TEST_F(PrefixFinderTest, ListsEveryLaunchersPrefixesOnceByName) {
  // Plain Wine, also named by $WINEPREFIX through another spelling.
  MakeFakePrefix(home_ / ".wine");
  places_.WinePrefix = (home_ / "." / ".wine").string();

  // Native Steam with a second library elsewhere; ~/.steam/steam links to it.
  const fs::path steam = places_.DataHome / "Steam";
  const fs::path library = temp_.path() / "mnt" / "SteamLibrary";
  Write(steam / "steamapps" / "libraryfolders.vdf", LibraryFolders(steam, library));
  MakeFakePrefix(steam / "steamapps" / "compatdata" / "228980" / "pfx");  // no manifest anywhere
  MakeFakePrefix(library / "steamapps" / "compatdata" / "1091500" / "pfx");
  Write(library / "steamapps" / "appmanifest_1091500.acf",
        AppManifest("1091500", "Cyberpunk 2077"));
  fs::create_directories(steam / "steamapps" / "compatdata" / "0" /
                         "pfx");  // no registry: no prefix
  fs::create_directories(home_ / ".steam");
  fs::create_directory_symlink(steam, home_ / ".steam" / "steam");
  // Flatpak Steam, whose libraryfolders.vdf still has the old shape, and a
  // broken manifest that leaves the game named by its number.
  const fs::path flatSteam = home_ / ".var/app/com.valvesoftware.Steam/.local/share/Steam";
  const fs::path flatLibrary = temp_.path() / "games";
  Write(flatSteam / "steamapps" / "libraryfolders.vdf",
        "\"LibraryFolders\"\n{\n\t\"TimeNextStatsReport\"\t\t\"1699999999\"\n"
        "\t\"ContentStatsID\"\t\t\"-1\"\n\t\"1\"\t\t\"" +
            flatLibrary.string() + "\"\n}\n");
  MakeFakePrefix(flatLibrary / "steamapps" / "compatdata" / "377160" / "pfx");
  Write(flatLibrary / "steamapps" / "appmanifest_377160.acf", "\"AppState\"\n{\n\t\"name\" \"Fall");

  // Bottles: a bottle named in its bottle.yml, one whose file is broken.
  const fs::path bottles = places_.DataHome / "bottles" / "bottles";
  MakeFakePrefix(bottles / "Office");
  Write(bottles / "Office" / "bottle.yml",
        "Arch: win64\nCustom_Path: false\nEnvironment: Application\nName: Office Tools 2013\n"
        "Path: Office\nRunner: soda-7.0-9\nDLL_Overrides: {}\nParameters:\n  dxvk: false\n");
  MakeFakePrefix(home_ / ".var/app/com.usebottles.bottles/data/bottles/bottles/Games");
  Write(home_ / ".var/app/com.usebottles.bottles/data/bottles/bottles/Games/bottle.yml",
        "Name: [unclosed\n");

  // Lutris: a Wine game, a native game without a prefix, a broken file.
  Write(places_.ConfigHome / "lutris" / "games" / "epic-games-store-1672345678.yml",
        "game:\n  arch: win64\n  exe: drive_c/Program Files (x86)/Epic Games/Launcher/Portal/"
        "Binaries/Win32/EpicGamesLauncher.exe\n  prefix: ~/Games/epic-games-store\n"
        "system:\n  disable_runtime: false\nwine:\n  version: lutris-GE-Proton8-26-x86_64\n");
  MakeFakePrefix(home_ / "Games" / "epic-games-store");
  Write(places_.ConfigHome / "lutris" / "games" / "supertuxkart-1672345679.yml",
        "game:\n  exe: /usr/games/supertuxkart\nsystem: {}\n");
  Write(places_.DataHome / "lutris" / "games" / "broken-1.yml", "game: [prefix: \n");

  // Heroic: a game on Proton (the prefix is the pfx inside), named from the
  // store's library cache.
  const fs::path heroic = places_.ConfigHome / "heroic";
  const fs::path heroicPrefix = home_ / "Games" / "Heroic" / "Prefixes" / "default" / "Hades";
  Write(heroic / "GamesConfig" / "Min.json",
        "{\n  \"Min\": {\n    \"autoInstallDxvk\": true,\n    \"winePrefix\": \"" +
            heroicPrefix.string() +
            "\",\n    \"wineVersion\": {\"bin\": \"/proton\", \"name\": \"Proton - GE\", "
            "\"type\": \"proton\"}\n  },\n  \"version\": \"v0\",\n  \"explicit\": true\n}\n");
  MakeFakePrefix(heroicPrefix / "pfx");
  Write(
      heroic / "store_cache" / "legendary_library.json",
      "{\"library\": [{\"app_name\": \"Min\", \"title\": \"Hades\", \"runner\": \"legendary\"}]}");
  Write(heroic / "GamesConfig" / "broken.json", "{\"x\": ");

  // PlayOnLinux.
  MakeFakePrefix(home_ / ".PlayOnLinux" / "wineprefix" / "Notepad");

  struct Expected {
    fs::path path;
    const char* kind;
    const char* name;
  };
  const std::vector<Expected> expected{
      {home_ / "." / ".wine", "wine", "$WINEPREFIX"},
      {library / "steamapps/compatdata/1091500/pfx", "steam", "Cyberpunk 2077"},
      {steam / "steamapps/compatdata/228980/pfx", "steam", "Steam app 228980"},
      {flatLibrary / "steamapps/compatdata/377160/pfx", "steam", "Steam app 377160"},
      {home_ / ".var/app/com.usebottles.bottles/data/bottles/bottles/Games", "bottles", "Games"},
      {bottles / "Office", "bottles", "Office Tools 2013"},
      {home_ / "Games/epic-games-store", "lutris", "epic-games-store"},
      {heroicPrefix / "pfx", "heroic", "Hades"},
      {home_ / ".PlayOnLinux/wineprefix/Notepad", "playonlinux", "Notepad"},
  };
  const std::vector<FoundPrefix> found = Find();
  ASSERT_EQ(found.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE(found[i].Path.string());
    EXPECT_EQ(found[i].Path, expected[i].path);
    EXPECT_EQ(found[i].Kind, expected[i].kind);
    EXPECT_EQ(found[i].Name, expected[i].name);
    EXPECT_FALSE(found[i].InUse);
  }
}

TEST_F(PrefixFinderTest, TellsWhereWineRuns) {
  MakeFakePrefix(home_ / ".wine");
  MakeFakePrefix(home_ / ".PlayOnLinux" / "wineprefix" / "Office");
  test::FakeWineserver wine(home_ / ".PlayOnLinux" / "wineprefix" / "Office");
  ASSERT_TRUE(wine.locked());
  const std::vector<FoundPrefix> found = Find();
  ASSERT_EQ(found.size(), 2u);
  EXPECT_FALSE(found[0].InUse);
  EXPECT_TRUE(found[1].InUse);
  wine.stop();
  EXPECT_FALSE(Find()[1].InUse);
}

}  // namespace
}  // namespace hw::platform
