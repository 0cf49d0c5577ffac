// Wine's short names: made as Wine makes them, found as Wine finds them, and
// checked against Wine itself over many generated names.

#include "platform/wine/WineShortNames.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <sstream>

#include "platform/MemoryStore.h"
#include "platform/StoreRegistryApi.h"
#include "platform/Text.h"
#include "platform/wine/FolderCache.h"
#include "platform/wine/PrefixFileSystem.h"
#include "tests/support/TempDir.h"

namespace hw::platform {
namespace {

namespace fs = std::filesystem;

void writeFile(const fs::path& path, const std::string& content) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << content;
}

// Short names GetShortPathNameW gave under Wine 8.
TEST(WineShortNamesTest, NamesAreMadeAsWineMakesThem) {
  EXPECT_EQ(WineShortName("Program Files"), "PROG~FBU");
  EXPECT_EQ(WineShortName("Program Files (x86)"), "PROG~5P2");
  EXPECT_EQ(WineShortName("Common Files"), "COMM~CP1");
  EXPECT_EQ(WineShortName("x.toolong"), "X~~~~L3V.TOO");
  EXPECT_EQ(WineShortName("a b.txt"), "A_B~~QSV.TXT") << "a blank makes a short name";
  EXPECT_EQ(WineShortName(".hidden"), "_HID~45N");
  EXPECT_EQ(WineShortName("café.txt"), "CAF_~CRT.TXT") << "any non-ASCII name is hashed";
  EXPECT_EQ(WineShortName("Привет.txt"), "____~Y3L.TXT");
  EXPECT_EQ(WineShortName("ａｂ.txt"), "__~~~012.TXT");
  EXPECT_EQ(WineShortName("README.TXT"), std::nullopt) << "a valid 8.3 name is its own";
  EXPECT_EQ(WineShortName("tilde~1.txt"), std::nullopt);

  EXPECT_TRUE(MayBeHashedShortName("PROG~FBU"));
  EXPECT_TRUE(MayBeHashedShortName("prog~fbu.txt"));
  EXPECT_FALSE(MayBeHashedShortName("PROGRA~1")) << "no tilde fifth";
  EXPECT_FALSE(MayBeHashedShortName("PROG~FB U")) << "a blank";
  EXPECT_FALSE(MayBeHashedShortName("PROG~FBUX")) << "longer than eight";
}

// A prefix whose C: holds the folders programs name by their short names.
class ShortPathTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const fs::path c = prefix_.path() / "drive_c";
    writeFile(c / "Program Files" / "Common Files" / "Shared" / "x.dll", "x");
    writeFile(c / "Program Files (x86)" / "App" / "app.exe", "a");
    writeFile(c / "PROG~FBU.TXT", "a real 8.3 name that looks hashed");
    fs::create_directories(prefix_.path() / "dosdevices");
    fs::create_directory_symlink("../drive_c", prefix_.path() / "dosdevices" / "c:");
  }

  test::TempDir prefix_;
  MemoryStore store_;
  StoreRegistryApi api_{store_};
  PrefixFileSystem files_{prefix_.path(), api_};
};

TEST_F(ShortPathTest, PathsWrittenWithWinesShortNamesAreFound) {
  EXPECT_TRUE(files_.FileExists("C:\\PROG~FBU\\COMM~CP1\\Shared\\x.dll"));
  EXPECT_TRUE(files_.FileExists("c:\\prog~fbu\\comm~cp1\\shared\\X.DLL"));
  EXPECT_TRUE(files_.FileExists("C:\\PROG~5P2\\App\\app.exe"));
  EXPECT_TRUE(files_.SetCurrentDirectoryA("C:\\PROG~FBU\\COMM~CP1"));
  EXPECT_EQ(files_.ToHostPath("C:\\PROG~5P2\\App\\app.exe"),
            (prefix_.path() / "drive_c" / "Program Files (x86)" / "App" / "app.exe").string());
  EXPECT_TRUE(files_.FileExists("C:\\PROG~FBU.TXT")) << "a real name wins";
}

TEST_F(ShortPathTest, ShortNamesWineDoesNotGiveStayMissing) {
  EXPECT_FALSE(files_.SetCurrentDirectoryA("C:\\PROGRA~1")) << "Windows' numbered form";
  EXPECT_FALSE(files_.SetCurrentDirectoryA("C:\\PROG~FBV")) << "another hash";
  EXPECT_FALSE(files_.FileExists("C:\\PROG~5P2\\App\\APP~AAA.EXE"));
  EXPECT_FALSE(files_.FileExists("C:\\PROG~FBU\\COMM~CP1\\Shared\\x.dll\\more"));
}

// --- Wine as the oracle ------------------------------------------------------

#if defined(HW_SHORTNAME_ORACLE) && defined(HW_WINE64)

// Names of every kind Wine's rules tell apart: blanks, dots, long extensions,
// non-ASCII (also beyond the BMP), letter case, and names that look hashed.
std::vector<std::string> GeneratedNames() {
  std::vector<std::string> names = {"Program Files",
                                    "Program Files (x86)",
                                    "Common Files",
                                    "Mozilla.org Tools",
                                    "Internet Explorer",
                                    "a b.txt",
                                    "A.B.C.txt",
                                    "x.toolong",
                                    "readme",
                                    "README2.TXT",
                                    "Ab+c.txt",
                                    "tilde~1.txt",
                                    ".hidden",
                                    "...dots",
                                    "a..b",
                                    "café.txt",
                                    "Café au lait.txt",
                                    "résumé",
                                    "Привет.txt",
                                    "日本語.doc",
                                    "αβγ.txt",
                                    "ŠKODA.txt",
                                    "ǅ.txt",
                                    "ａｂ.txt",
                                    "x.é",
                                    "emoji😀.txt",
                                    "UPPER CASE.TXT",
                                    "lower case.txt",
                                    "MiXeD.TxT",
                                    "a",
                                    "12345678.123",
                                    "123456789.12",
                                    "semi;colon",
                                    "eq=ual.dat",
                                    "brack[et].ini",
                                    "x.y z"};
  std::mt19937 random(20261209);
  const std::vector<std::string> alphabet = {
      "a", "b", "K", "Z",  "0",      "9",      " ", ".", "+",  "=", ",",  ";", "[", "]",
      "~", "_", "-", "!",  "(",      ")",      "é", "Ü", "ß",  "Ж", "中", "😀", "Ā", "ǅ",
      "ᾈ", "Ω", "İ", "ｘ", "\u212A", "\u212B", "ǈ", "Ⅻ", "Ａ", "Ⴀ", "Ꭰ",  "Ꙁ"};
  while (names.size() < 300) {
    std::string name;
    const int length = 1 + static_cast<int>(random() % 18);
    for (int i = 0; i < length; ++i) name += alphabet[random() % alphabet.size()];
    names.push_back(name);
  }
  // Windows cannot name an entry with a trailing dot or blank; "." and ".."
  // are no entries; names alike but for case are one name to Windows.
  std::vector<std::string> kept;
  std::set<std::string> seen;
  for (const std::string& name : names) {
    if (name.back() == '.' || name.back() == ' ') continue;
    if (seen.insert(toLowerUtf8(name)).second) kept.push_back(name);
  }
  // Two long names with one short name, found by trying.
  std::map<std::string, std::string> byShortName;
  for (int i = 0; i < 100000; ++i) {
    std::string name = "Collide " + std::to_string(i) + ".txt";
    std::string shortName = *WineShortName(name);
    auto [it, added] = byShortName.emplace(shortName, name);
    if (!added) {
      kept.push_back(it->second);
      kept.push_back(name);
      break;
    }
  }
  return kept;
}

std::string WindowsPathOf(const fs::path& host) {
  std::string path = "Z:" + host.string();
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

struct OracleAnswers {
  std::map<std::string, std::string> shortNames;  // long name -> Wine's short name
  std::map<std::string, std::string> probes;      // probe -> file reached, "-" for none
};

OracleAnswers ReadAnswers(const fs::path& file) {
  OracleAnswers answers;
  std::ifstream in(file, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    std::size_t tab1 = line.find('\t'), tab2 = line.find('\t', tab1 + 1);
    if (tab1 == std::string::npos || tab2 == std::string::npos) continue;
    std::string a = line.substr(tab1 + 1, tab2 - tab1 - 1), b = line.substr(tab2 + 1);
    (line[0] == 'S' ? answers.shortNames : answers.probes)[a] = b;
  }
  return answers;
}

TEST(WineShortNamesOracleTest, WineResolvesExactlyWhatWeResolve) {
  const fs::path wine = HW_WINE64;
  if (!fs::exists(wine) || !fs::exists(HW_SHORTNAME_ORACLE))
    GTEST_SKIP() << "wine64 or the MinGW-w64 oracle is missing: short names not checked by Wine";
  test::TempDir temp;
  const fs::path folder = temp.path() / "names";
  const std::vector<std::string> names = GeneratedNames();
  for (const std::string& name : names) writeFile(folder / name, name);

  // What to ask: each short name in both cases, with a wrong hash or
  // extension, the long names in capitals, and names of nothing.
  std::vector<std::string> probes = {"ZZZZ~AAA", "NOPE~123.TXT", "PROGRA~1", "prog~fbu"};
  for (const std::string& name : names) {
    if (std::optional<std::string> shortName = WineShortName(name)) {
      std::string wrongHash = *shortName, wrongExt = *shortName;
      wrongHash[7] = wrongHash[7] == 'A' ? 'B' : 'A';
      if (std::size_t dot = wrongExt.find('.'); dot != std::string::npos) wrongExt[dot + 1] = 'Q';
      probes.insert(probes.end(), {*shortName, toLowerUtf8(*shortName), wrongHash, wrongExt});
    }
    std::string capitals = name;
    for (char& c : capitals)
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    probes.push_back(capitals);
  }
  {
    std::ofstream list(temp.path() / "probes.txt", std::ios::binary);
    for (const std::string& probe : probes) list << probe << "\n";
  }

  // One prefix for every run of this test, made by the first.
  const fs::path prefix = HW_ORACLE_PREFIX;
  const fs::path output = temp.path() / "answers.txt";
  const std::string env =
      "WINEPREFIX='" + prefix.string() + "' WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=' ";
  const std::string command = env + "'" + wine.string() + "' '" + HW_SHORTNAME_ORACLE + "' '" +
                              WindowsPathOf(folder) + "' '" +
                              WindowsPathOf(temp.path() / "probes.txt") + "' >'" + output.string() +
                              "' 2>/dev/null";
  const int status = std::system(command.c_str());
  std::system(
      (env + "'" + (wine.parent_path() / "wineserver").string() + "' -k 2>/dev/null").c_str());
  ASSERT_EQ(status, 0) << command;
  const OracleAnswers answers = ReadAnswers(output);
  ASSERT_EQ(answers.shortNames.size(), names.size());

  for (const auto& [longName, wineShort] : answers.shortNames) {
    std::optional<std::string> ours = WineShortName(longName);
    EXPECT_EQ(ours.value_or(longName), wineShort) << "the short name of \"" << longName << "\"";
  }

  FolderCache cache;
  int reached = 0;
  for (const std::string& probe : probes) {
    auto wineAnswer = answers.probes.find(probe);
    ASSERT_NE(wineAnswer, answers.probes.end()) << probe;
    const std::string& byWine = wineAnswer->second;
    std::optional<FolderCache::Entry> ours = cache.Find(folder.string(), probe);
    const std::string byUs = ours ? ours->data.Name : "-";
    if (byWine != "-") ++reached;
    if (byWine == byUs) continue;
    // Where two names answer to one, each reads the folder in its own order.
    std::set<std::string> answering;
    for (const std::string& name : names)
      if (equalsNoCase(name, probe) ||
          (MayBeHashedShortName(probe) && ShortNameMatches(probe, name)))
        answering.insert(name);
    EXPECT_TRUE(byWine != "-" && byUs != "-" && answering.size() > 1 && answering.count(byWine) &&
                answering.count(byUs))
        << "\"" << probe << "\": Wine reaches \"" << byWine << "\", we \"" << byUs << "\"";
  }
  EXPECT_GT(reached, static_cast<int>(names.size())) << "the probes reached files";
}

#else

TEST(WineShortNamesOracleTest, WineResolvesExactlyWhatWeResolve) {
  GTEST_SKIP() << "built without MinGW-w64 (x86_64-w64-mingw32-g++-posix) or wine64: Wine's "
                  "short names were not checked against Wine";
}

#endif

}  // namespace
}  // namespace hw::platform
