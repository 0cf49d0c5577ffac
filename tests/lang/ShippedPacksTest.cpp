// The language packs shipped in data/: every text the program asks for is
// there, in both languages, with the placeholders its callers fill in.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "lang/Lang.h"
#include "lang/LangPack.h"
#include "platform/MemoryStore.h"
#include "platform/RegistryTarget.h"
#include "platform/StoreRegistryApi.h"

namespace hw {
namespace {

namespace fs = std::filesystem;

// A text number the program uses, with the placeholders (in order) of the
// arguments it formats the text with.
struct UsedText {
  int number;
  const char* placeholders = "";
};

// Interface texts: captions, labels, menu items, choices, status prefixes and
// the category names.
const std::vector<UsedText> kInterfaceTexts = {
    {1},   {2},   {3},   {4},        {5},   {6},          {7},  {8},  {9},   {10},  {11},
    {12},  {13},  {14},  {15},       {16},  {17},         {18}, {19}, {20},  {21},  {22},
    {23},  {24},  {25},  {26},       {27},  {28},         {29}, {30}, {31},  {32},  {33},
    {34},  {35},  {36},  {37},       {38},  {39},         {40}, {41}, {45},  {47},  {48},
    {52},  {53},  {56},  {57},       {59},  {60},         {61}, {62}, {63},  {64},  {65},
    {66},  {67},  {68},  {69, "%s"}, {70},  {71, "%d%d"}, {72}, {73}, {74},  {75},  {76},
    {77},  {78},  {79},  {80},       {81},  {82, "%s"},   {83}, {84}, {85},  {87},  {88},
    {89},  {93},  {94},  {95},       {96},  {97},         {98}, {99}, {100}, {101}, {102},
    {103}, {104}, {105}, {106},      {107},
};
// Messages: the shell's boxes, the exclusion editing, the search folders, the update check.
const std::vector<UsedText> kMessages = {
    {2},  {3},  {5},  {15},       {16, "%s"}, {17}, {18}, {20}, {22},
    {23}, {26}, {27}, {28, "%s"}, {29, "%s"}, {30}, {31}, {32}, {35, "%s"},
    {36}, {37}, {38}, {39, "%s"}, {40, "%s"}, {41}, {42},
};
// The conversions of a format text in order, "%%" (a literal percent) left out.
std::string Placeholders(const std::string& text) {
  std::string found;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') continue;
    std::string conversion = text.substr(i, 2);
    if (conversion != "%%") found += conversion;
    ++i;
  }
  return found;
}

std::string ReadBytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

struct ShippedPack {
  const char* file;
  const char* language;
};
void PrintTo(const ShippedPack& pack, std::ostream* out) { *out << pack.file; }
const ShippedPack kPacks[] = {{"renglish.lng", "English"}, {"rgerman.lng", "Deutsch"}};

class ShippedPacksTest : public ::testing::TestWithParam<ShippedPack> {
 protected:
  static fs::path Folder() { return HW_DATA_DIR; }
  TLangPack Pack() const { return TLangPack::Parse(ReadBytes(Folder() / GetParam().file)); }
};

TEST_P(ShippedPacksTest, NamesThisProgramAndItsLanguage) {
  TLangPack pack = Pack();
  EXPECT_EQ(pack.Value("Program"), "Hivewarden");
  EXPECT_EQ(pack.Value("Language"), GetParam().language);
  EXPECT_TRUE(pack.CountsValid());
  // The Qt translation of the standard buttons; English needs none.
  EXPECT_FALSE(pack.Value("Locale").empty());
}

TEST_P(ShippedPacksTest, EveryUsedTextIsThereWithItsPlaceholders) {
  TLangPack pack = Pack();
  for (auto [kind, used] : {std::pair{'I', &kInterfaceTexts}, std::pair{'M', &kMessages}}) {
    std::vector<std::string> texts = pack.NumberedTexts(kind);
    ASSERT_FALSE(texts.empty()) << kind << "0 is missing or no number";
    for (const UsedText& text : *used) {
      SCOPED_TRACE(kind + std::to_string(text.number));
      ASSERT_LT(static_cast<std::size_t>(text.number), texts.size());
      EXPECT_FALSE(texts[static_cast<std::size_t>(text.number)].empty());
    }
    // Texts the program does not format hold no "%" either: some are joined
    // into formatted texts (the category names are).
    for (std::size_t n = 1; n < texts.size(); ++n) {
      SCOPED_TRACE(kind + std::to_string(n) + "=" + texts[n]);
      auto it = std::find_if(used->begin(), used->end(),
                             [&](const UsedText& t) { return t.number == static_cast<int>(n); });
      EXPECT_EQ(Placeholders(texts[n]), it == used->end() ? "" : it->placeholders);
    }
  }
}

TEST_P(ShippedPacksTest, LinesEndInCrLfAndNoTextIsCut) {
  const std::string bytes = ReadBytes(Folder() / GetParam().file);
  ASSERT_FALSE(bytes.empty());
  EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
  std::size_t lineStart = 0;
  for (std::size_t pos = bytes.find('\n'); pos != std::string::npos;
       lineStart = pos + 1, pos = bytes.find('\n', lineStart)) {
    ASSERT_GT(pos, lineStart) << "empty line without CR at byte " << pos;
    EXPECT_EQ(bytes[pos - 1], '\r') << "at byte " << pos;
    std::string line = bytes.substr(lineStart, pos - 1 - lineStart);
    EXPECT_EQ(line.find('\r'), std::string::npos) << line;
    std::size_t equals = line.find('=');
    // One byte per character in the pack's code page.
    if (equals != std::string::npos) {
      EXPECT_LE(line.size() - equals - 1, 255u) << line;
    }
  }
}

TEST(ShippedPacksTest, TheTranslationHasTheSameNumbersAndPlaceholders) {
  const fs::path folder = HW_DATA_DIR;
  TLangPack english = TLangPack::Parse(ReadBytes(folder / "renglish.lng"));
  TLangPack german = TLangPack::Parse(ReadBytes(folder / "rgerman.lng"));
  for (char kind : {'I', 'M'}) {
    std::vector<std::string> ours = english.NumberedTexts(kind);
    std::vector<std::string> theirs = german.NumberedTexts(kind);
    ASSERT_EQ(ours.size(), theirs.size()) << kind;
    for (std::size_t n = 1; n < ours.size(); ++n) {
      EXPECT_EQ(Placeholders(ours[n]), Placeholders(theirs[n])) << kind << n;
      EXPECT_EQ(ours[n].empty(), theirs[n].empty()) << kind << n;
    }
  }
}

std::string PackName(const ::testing::TestParamInfo<ShippedPack>& pack) {
  return pack.param.language;
}
INSTANTIATE_TEST_SUITE_P(Packs, ShippedPacksTest, ::testing::ValuesIn(kPacks), PackName);

TEST(ShippedPacksLoadTest, TheLoaderOffersBothAndSwitchesBetweenThem) {
  platform::MemoryStore store;
  platform::StoreRegistryApi api{store};
  std::unique_ptr<platform::FileSystem> files = platform::ProgramFileSystem(HW_DATA_DIR, api);
  platform::EventPump pump;
  TLang lang(api, *files, pump);
  lang.SetRootKey(lgHKCU);
  lang.SetIniKey("Software\\Quornel Software\\HVW\\1.0");
  lang.SetProgramDir(std::string(HW_DATA_DIR) + "/");
  lang.SetDefaultLangFile("renglish.lng");
  lang.SetProgramName("Hivewarden");

  ASSERT_EQ(lang.Load(), TLang::kLoaded);
  EXPECT_EQ(std::set<std::string>(lang.LanguageNames().begin(), lang.LanguageNames().end()),
            (std::set<std::string>{"English", "Deutsch"}));
  EXPECT_EQ(lang.DefaultLangName(), "English");
  EXPECT_EQ(lang.GetInterfaceText(16), "Back");

  lang.SelectLanguage("Deutsch");
  ASSERT_EQ(lang.Load(), TLang::kLoaded);
  EXPECT_EQ(lang.DefaultLangName(), "Deutsch");
  // Decoded from Windows-1252: the umlaut arrives as UTF-8.
  EXPECT_EQ(lang.GetInterfaceText(16), "Zurück");
  // A pack saved as UTF-8 would read as "ZurÃ¼ck": look for that anywhere.
  for (int n = 1, count = std::stoi(lang.GetInterfaceText(0)); n <= count; ++n)
    EXPECT_EQ(lang.GetInterfaceText(n).find("Ã"), std::string::npos) << lang.GetInterfaceText(n);
  for (int n = 1, count = std::stoi(lang.GetMessage(0)); n <= count; ++n)
    EXPECT_EQ(lang.GetMessage(n).find("Ã"), std::string::npos) << lang.GetMessage(n);
}

}  // namespace
}  // namespace hw
