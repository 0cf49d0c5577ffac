#include "lang/Lang.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "lang/LangPack.h"
#include "platform/CodePage.h"
#include "platform/RegistryTarget.h"
#include "tests/support/RegistryFixture.h"
#include "tests/support/TempDir.h"

namespace hw {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

constexpr const char* kIniKey = "Software\\Quornel Software\\HVW\\1.0";

// Writes lines (UTF-8) as a pack file in Windows-1252.
void WritePack(const fs::path& file, const Lines& lines, const std::string& lineEnd = "\r\n") {
  std::string bytes;
  for (const std::string& line : lines) bytes += platform::Windows1252().Encode(line) + lineEnd;
  std::ofstream(file, std::ios::binary) << bytes;
}

// A pack of this program for a language, with the given text lines after the header.
Lines Pack(const std::string& language, Lines texts = {"I0=1", "I1=x", "M0=0"}) {
  Lines lines{"[General]", "Program=Hivewarden", "Language=" + language};
  lines.insert(lines.end(), texts.begin(), texts.end());
  return lines;
}

class LangTest : public test::RegistryFixture {
 protected:
  LangTest() {
    pump.SetHook([this] { ++pumped; });
    lang.SetRootKey(lgHKCU);
    lang.SetIniKey(kIniKey);
    lang.SetProgramDir(folder.path().string() + "/");
    lang.SetDefaultLangFile("renglish.lng");
    lang.SetProgramName("Hivewarden");
  }
  void Write(const std::string& name, const Lines& lines) {
    WritePack(folder.path() / name, lines);
  }

  test::TempDir folder;
  // Host folders are read as they are, whatever the prefix.
  std::unique_ptr<platform::FileSystem> files = platform::ProgramFileSystem(folder.path(), api);
  platform::EventPump pump;
  int pumped = 0;
  TLang lang{api, *files, pump};
};

TEST_P(LangTest, TextsAreNumberedUpToTheCountEntry) {
  Write("renglish.lng",
        Pack("English", {"I0=3", "I1=one", "I2=", "I3=three", "I4=beyond", "M0=2", "M2=second"}));
  ASSERT_EQ(lang.Load(), TLang::kLoaded);
  EXPECT_EQ(lang.GetInterfaceText(0), "3");
  EXPECT_EQ(lang.GetInterfaceText(1), "one");
  EXPECT_EQ(lang.GetInterfaceText(2), "");  // present but empty
  EXPECT_EQ(lang.GetInterfaceText(3), "three");
  EXPECT_EQ(lang.GetInterfaceText(4), TLang::kMissingText);
  EXPECT_EQ(lang.GetInterfaceText(-1), TLang::kMissingText);
  EXPECT_EQ(lang.GetMessage(1), "");  // missing entry below the count
  EXPECT_EQ(lang.GetMessage(2), "second");
  EXPECT_EQ(lang.GetMessage(3), TLang::kMissingText);
  EXPECT_EQ(lang.LangFile(), folder.path().string() + "/renglish.lng");
}

TEST_P(LangTest, OnlyPacksOfThisProgramWithALanguageAreOffered) {
  Write("a.lng", {"Program=HiveWarden", "Language=Wrong case"});
  Write("b.lng", {"Program=Hivewarden", "Language="});
  Write("c.lng", Pack("Nederlands"));
  Write("d.LNG", Pack("Svenska"));
  Write("e.txt", Pack("Suomi"));
  Write("f.lng", {"Program =Hivewarden", "Language=Blank in the name"});
  fs::create_directory(folder.path() / "g.lng");
  Write("renglish.lng", Pack("English"));
  ASSERT_EQ(lang.Load(), TLang::kLoaded);
  const std::string dir = folder.path().string() + "/";
  EXPECT_EQ(lang.LanguageNames(), (Lines{"Nederlands", "Svenska", "English"}));
  EXPECT_EQ(lang.LanguagePaths(), (Lines{dir + "c.lng", dir + "d.LNG", dir + "renglish.lng"}));
  EXPECT_EQ(lang.LanguageIndex(), 2);
  EXPECT_EQ(pumped, 6);  // once per pack file; the folder is passed over

  // A second load starts the lists afresh.
  fs::remove(folder.path() / "c.lng");
  lang.Load();
  EXPECT_EQ(lang.LanguageNames(), (Lines{"Svenska", "English"}));
}

TEST_P(LangTest, WithoutAPackForTheLanguageTheFallbackFileIsLoadedAsItIs) {
  // The fallback file is not checked for its Program and Language entries.
  Write("renglish.lng", {"Program=Something else", "I0=1", "I1=fallback", "M0=0"});
  Write("rgerman.lng", Pack("Deutsch", {"I0=1", "I1=deutsch"}));
  ASSERT_EQ(lang.Load(), TLang::kLoaded);
  EXPECT_EQ(lang.GetInterfaceText(1), "fallback");
  EXPECT_EQ(lang.LanguageIndex(), -1);
  EXPECT_EQ(lang.LanguageNames(), (Lines{"Deutsch"}));
  EXPECT_EQ(lang.DefaultLangName(), "English");
}

TEST_P(LangTest, AMissingPackLeavesTheTextsAsTheyWere) {
  EXPECT_EQ(lang.Load(), TLang::kPackMissing);
  EXPECT_EQ(lang.GetInterfaceText(1), TLang::kMissingText);

  Write("renglish.lng", Pack("English", {"I0=1", "I1=kept"}));
  ASSERT_EQ(lang.Load(), TLang::kLoaded);
  fs::remove(folder.path() / "renglish.lng");
  EXPECT_EQ(lang.Load(), TLang::kPackMissing);
  EXPECT_EQ(lang.GetInterfaceText(1), "kept");
  EXPECT_TRUE(lang.LanguageNames().empty());
  EXPECT_EQ(lang.LanguageIndex(), -1);
}

TEST_P(LangTest, TheFirstPackOfALanguageWins) {
  Write("a.lng", Pack("Deutsch", {"I0=1", "I1=first"}));
  Write("b.lng", Pack("DEUTSCH", {"I0=1", "I1=second"}));
  lang.SetDefaultLangName("deutsch");
  ASSERT_EQ(lang.Load(), TLang::kLoaded);
  EXPECT_EQ(lang.LanguageIndex(), 0);
  EXPECT_EQ(lang.GetInterfaceText(1), "first");
  // The language in use takes the spelling of its pack.
  EXPECT_EQ(lang.DefaultLangName(), "Deutsch");
}

TEST_P(LangTest, NamesMatchInAnyCaseAndTheFirstLineWins) {
  Write("renglish.lng",
        {"program=Hivewarden", "LANGUAGE=English", "i0=5", "I1=a=b", "I1=second line", "i2=lower",
         "I3 =blank", "I4= lead and trail ", "no equals sign I5", "I5=five", "m0=0"});
  ASSERT_EQ(lang.Load(), TLang::kLoaded);
  EXPECT_EQ(lang.LanguageNames(), (Lines{"English"}));
  EXPECT_EQ(lang.GetInterfaceText(1), "a=b");  // split at the first "="
  EXPECT_EQ(lang.GetInterfaceText(2), "lower");
  EXPECT_EQ(lang.GetInterfaceText(3), "");  // "I3 " is another name
  EXPECT_EQ(lang.GetInterfaceText(4), " lead and trail ");
  EXPECT_EQ(lang.GetInterfaceText(5), "five");
  EXPECT_EQ(lang.GetMessage(0), "0");
  EXPECT_EQ(lang.GetMessage(1), TLang::kMissingText);
}

TEST_P(LangTest, LineEndsAndCodePageAreReadAsWindowsWritesThem) {
  const std::string longText(300, 'x');
  WritePack(folder.path() / "renglish.lng",
            Pack("Français",
                 {"I0=3", "I1=Größe €", "I2=" + longText, "I3=" + std::string(300, 'e'), "M0=1"}),
            "\n");
  // The last line without a line end still counts.
  std::ofstream(folder.path() / "renglish.lng", std::ios::binary | std::ios::app) << "M1=\xE9t\xE9";
  lang.SetDefaultLangName("français");
  ASSERT_EQ(lang.Load(), TLang::kLoaded);
  EXPECT_EQ(lang.LanguageNames(), (Lines{"Français"}));
  EXPECT_EQ(lang.LanguageIndex(), 0);
  EXPECT_EQ(lang.GetInterfaceText(1), "Größe €");
  EXPECT_EQ(lang.GetInterfaceText(2), longText.substr(0, 255));
  EXPECT_EQ(lang.GetInterfaceText(3).size(), 255u);
  EXPECT_EQ(lang.GetMessage(1), "été");

  // Cutting counts characters, not bytes, and never splits one.
  WritePack(folder.path() / "renglish.lng",
            Pack("English", {"I0=1", "I1=" + std::string(254, 'x') + "ÄÖ"}));
  lang.SetDefaultLangName("English");
  ASSERT_EQ(lang.Load(), TLang::kLoaded);
  EXPECT_EQ(lang.GetInterfaceText(1), std::string(254, 'x') + "Ä");
}

TEST_P(LangTest, APackWhoseCountIsNoNumberIsRefusedAndChangesNothing) {
  Write("renglish.lng", Pack("English", {"I0=1", "I1=english", "M0=1", "M1=message"}));
  Write("rgerman.lng", Pack("Deutsch", {"I0=1", "I1=deutsch", "M0=1", "M1=meldung"}));
  ASSERT_EQ(lang.Load(), TLang::kLoaded);
  const std::string englishFile = lang.LangFile();
  for (const Lines& broken :
       {Lines{"I0=three", "I1=one", "M0=1", "M1=m1"}, Lines{"I0=1", "I1=one", "M0=zwei"},
        Lines{"I0=", "I1=one"}, Lines{"I0=-1"}, Lines{"I0=+2"}, Lines{"I0=1x"},
        Lines{"I0=99999999999999999999"}, Lines{"I0=10000"},
        Lines{"I1=one", "M1=no counts at all"}}) {
    SCOPED_TRACE(broken.front());
    Write("rgerman.lng", Pack("Deutsch", broken));
    lang.UseLanguage("Deutsch");
    EXPECT_EQ(lang.Load(), TLang::kPackBroken);
    EXPECT_EQ(lang.GetInterfaceText(1), "english");
    EXPECT_EQ(lang.GetMessage(1), "message");
    EXPECT_EQ(lang.LangFile(), englishFile);
    EXPECT_EQ(lang.DefaultLangName(), "English");
    ASSERT_GE(lang.LanguageIndex(), 0);
    EXPECT_EQ(lang.LanguageNames()[static_cast<std::size_t>(lang.LanguageIndex())], "English")
        << "English stays the language in use";
  }
  // A count with blanks around it is a number; a missing one gives no texts of its kind.
  Write("rgerman.lng", Pack("Deutsch", {"I0= 1 ", "I1=deutsch"}));
  ASSERT_EQ(lang.Load(), TLang::kLoaded);
  EXPECT_EQ(lang.GetInterfaceText(1), "deutsch");
  EXPECT_EQ(lang.GetMessage(1), TLang::kMissingText);

  // Without any pack loaded before, a broken one leaves nothing in use.
  TLang fresh(api, *files, pump);
  fresh.SetProgramDir(lang.ProgramDir());
  fresh.SetDefaultLangFile("rgerman.lng");
  fresh.SetDefaultLangName("Klingon");
  fresh.SetProgramName("Hivewarden");
  Write("rgerman.lng", Pack("Deutsch", {"I0=x"}));
  EXPECT_EQ(fresh.Load(), TLang::kPackBroken);
  EXPECT_FALSE(fresh.Loaded());
  EXPECT_EQ(fresh.LanguageIndex(), -1);
}

TEST_P(LangTest, ALanguageUsedForTheSessionNeedsNoStoredChoice) {
  Write("renglish.lng", Pack("English", {"I0=1", "I1=english", "Locale=en"}));
  Write("rgerman.lng", Pack("Deutsch", {"I0=1", "I1=deutsch", "Locale=de"}));
  AddString(kIniKey, "DefLang", "English");
  lang.UseLanguage("deutsch");
  ASSERT_EQ(lang.Load(), TLang::kLoaded);
  EXPECT_EQ(lang.GetInterfaceText(1), "deutsch");
  EXPECT_EQ(lang.Locale(), "de");
  EXPECT_TRUE(StringIs(kIniKey, "DefLang", "English")) << "nothing is stored";
}

TEST_P(LangTest, TheStoredChoiceIsReadBelowTheRootKey) {
  Write("renglish.lng", Pack("English", {"I0=1", "I1=english"}));
  Write("rgerman.lng", Pack("Deutsch", {"I0=1", "I1=deutsch"}));
  AddString(kIniKey, "DefLang", "deutsch");
  ASSERT_EQ(lang.Load(), TLang::kLoaded);
  EXPECT_EQ(lang.GetInterfaceText(1), "deutsch");
  EXPECT_EQ(lang.DefaultLangName(), "Deutsch");
  EXPECT_EQ(lang.LanguageIndex(), 1);

  // The same key below another root holds no choice.
  lang.SetRootKey(lgHKLM);
  lang.SetDefaultLangName("English");
  ASSERT_EQ(lang.Load(), TLang::kLoaded);
  EXPECT_EQ(lang.GetInterfaceText(1), "english");
  AddString(kIniKey, "DefLang", "Deutsch", REG_SZ, HKEY_LOCAL_MACHINE);
  ASSERT_EQ(lang.Load(), TLang::kLoaded);
  EXPECT_EQ(lang.GetInterfaceText(1), "deutsch");
  // Reading never creates the key.
  lang.SetRootKey(lgHKU);
  lang.Load();
  EXPECT_TRUE(KeyAbsent(kIniKey, HKEY_USERS));
}

TEST_P(LangTest, AStoredChoiceForAMissingPackFallsBack) {
  Write("renglish.lng", Pack("English", {"I0=1", "I1=english"}));
  AddString(kIniKey, "DefLang", "Klingon");
  ASSERT_EQ(lang.Load(), TLang::kLoaded);
  EXPECT_EQ(lang.GetInterfaceText(1), "english");
  EXPECT_EQ(lang.LanguageIndex(), -1);
}

TEST_P(LangTest, AStoredChoiceOfAnotherTypeIsIgnored) {
  Write("renglish.lng", Pack("English", {"I0=1", "I1=english"}));
  AddDword(kIniKey, "DefLang", 7);
  EXPECT_EQ(lang.Load(), TLang::kLoaded);
  EXPECT_EQ(lang.LanguageIndex(), 0);
  EXPECT_EQ(lang.GetInterfaceText(1), "english");
}

TEST_P(LangTest, SelectLanguageStoresTheChoiceBelowTheCurrentUser) {
  Write("renglish.lng", Pack("English", {"I0=1", "I1=english"}));
  Write("rgerman.lng", Pack("Deutsch", {"I0=1", "I1=deutsch"}));
  lang.SetRootKey(lgHKLM);  // does not move where the choice is written
  lang.SelectLanguage("Deutsch");
  EXPECT_TRUE(StringIs(kIniKey, "DefLang", "Deutsch"));
  EXPECT_TRUE(KeyAbsent(kIniKey, HKEY_LOCAL_MACHINE));
  EXPECT_EQ(lang.DefaultLangName(), "Deutsch");

  // Read back by the next start, which uses the current user's key.
  TLang next(api, *files, pump);
  next.SetRootKey(lgHKCU);
  next.SetIniKey(kIniKey);
  next.SetProgramDir(lang.ProgramDir());
  next.SetDefaultLangFile("renglish.lng");
  next.SetProgramName("Hivewarden");
  ASSERT_EQ(next.Load(), TLang::kLoaded);
  EXPECT_EQ(next.GetInterfaceText(1), "deutsch");
  EXPECT_EQ(next.LanguageIndex(), 1);
}

HW_INSTANTIATE_OVER_STORES(LangTest);

}  // namespace
}  // namespace hw
