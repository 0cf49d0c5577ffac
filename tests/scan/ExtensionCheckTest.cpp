// The file-type check run through the walk over HKEY_CLASSES_ROOT: which
// keys it judges, each problem kind, and the one report per key.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/EventPump.h"
#include "registry/NTRegistry.h"
#include "scan/AnalyzClass.h"
#include "tests/support/FakeFileSystem.h"
#include "tests/support/RegistryFixture.h"

namespace hw {
namespace {

constexpr const char* kGood = "{00000000-0000-0000-0000-0000000000AA}";
constexpr const char* kGone = "{00000000-0000-0000-0000-0000000000BB}";

// A key below HKEY_CLASSES_ROOT; with a name, a string value in it.
struct Entry {
  const char* key;
  const char* name = nullptr;
  const char* data = "";
};

class ExtensionCheckTest : public test::RegistryFixture {
 protected:
  ExtensionCheckTest() {
    // What a sound registration refers to.
    for (const char* key : {"txtfile", "MIME\\Database\\Content Type\\text/plain"})
      AddKey(key, HKEY_CLASSES_ROOT);
    AddKey(std::string("CLSID\\") + kGood, HKEY_CLASSES_ROOT);
  }

  // Findings as "key: problem text", checking the fields every report sets.
  // The keys of the case are removed again afterwards.
  std::vector<std::string> Scan(const std::vector<Entry>& entries) {
    for (const Entry& e : entries) {
      if (e.name)
        AddString(e.key, e.name, e.data, REG_SZ, HKEY_CLASSES_ROOT);
      else
        AddKey(e.key, HKEY_CLASSES_ROOT);
    }
    TAnalyzClass engine(api, files, pump);
    engine.RootKeys = {{HKEY_CLASSES_ROOT, "\\", {acInvalidExts}}};
    engine.Categories = {acInvalidExts};
    std::vector<std::string> found;
    engine.OnInvalidExt = [&](TAnalyzClass& e) {
      found.push_back(e.KeyPath + ":" + e.BadPath);
      flags = e.Flags;
      EXPECT_EQ(e.RootName + e.ValueName + e.Data, "HKEY_CLASSES_ROOT");
      EXPECT_EQ(e.PathCount, 1);
    };
    engine.Analyze();
    TNTRegistry reg(api);
    reg.SetRootKey(HKEY_CLASSES_ROOT);
    for (const char* key : {".txt", ".foo", "cls", "Word.Document.8"}) reg.DeleteKey(key);
    return found;
  }

  test::FakeFileSystem files;
  platform::EventPump pump;
  TEntryTypes flags;
};

TEST_P(ExtensionCheckTest, EachProblemKindFromAMinimalCase) {
  using Found = std::vector<std::string>;
  const struct {
    std::vector<Entry> entries;
    Found expected;
  } cases[] = {
      {{{".txt", "", "txtfile"},
        {".txt", "Content Type", "text/plain"},
        {"cls\\PersistentHandler", "", kGood},
        {"cls\\ShellEx\\IconHandler", "", kGood},
        {"cls\\Shell\\open\\Command", "", "x.exe"}},
       {}},
      {{{".foo"}}, {".foo:, etExtEmptyName"}},
      {{{".foo", "", "nosuchfile"}}, {".foo:, etExtAbsentNameKey"}},
      {{{"cls\\DefaultIcon", "", ""}}, {"cls:, etExtEmptyDefaultIconValue"}},
      {{{".foo", "", "txtfile"}, {".foo", "Content Type", ""}},
       {".foo:, etExtInvalidContentTypeValue"}},
      {{{".foo", "", "txtfile"}, {".foo", "Content Type", "text/x-foo"}},
       {".foo:, etExtAbsentContentTypeKey"}},
      {{{"cls\\PersistentHandler", "", ""}}, {"cls:, etExtEmptyPersistentHandlerGuid"}},
      {{{"cls\\PersistentHandler", "", kGone}}, {"cls:, etExtAbsentPersistentHandlerGuidKey"}},
      {{{".foo", "", "txtfile"}, {".foo\\ShellNew"}}, {".foo:, etExtEmptyShellNewKey"}},
      // The ShellNew key itself is not taken for an extension without a class.
      {{{".foo", "", "txtfile"}, {".foo\\ShellNew", "NullFile"}}, {}},
      {{{".foo", "", "txtfile"}, {".foo\\ShellNew", "Command"}, {".foo\\ShellNew", "FileName"}},
       {".foo:, etExtEmptyShellNewCommand, etExtEmptyShellNewFileName"}},
      {{{"cls\\ShellEx"}}, {"cls:, etExtEmptyShellExKey"}},
      {{{"cls\\ShellEx\\PropertySheetHandlers", "", kGone}},
       {"cls:, etExtAbsentShellExValueGiudKey"}},
      // An empty handler value tests the key CLSID itself.
      {{{"cls\\ShellEx\\IconHandler", "", ""}}, {}},
      {{{"cls\\Shell"}}, {"cls:, etExtEmptyShellKey"}},
      {{{"cls\\Shell\\open"}}, {"cls:, etExtAbsentShellCommandKey"}},
      {{{"cls\\Shell\\open\\Command", "", ""}}, {"cls:, etExtEmptyShellCommandKey"}},
      {{{"cls\\Shell\\open\\Command", "", "no key"}}, {}},
      {{{"Word.Document.8\\Shell"}}, {}},
      {{{"cls\\Shell\\open\\Command", "", "x.exe"}, {"cls\\Shell\\open\\DefaultIcon", "", ""}},
       {"cls\\Shell\\open:, etExtEmptyDefaultIconValue"}},
  };
  for (const auto& c : cases) EXPECT_EQ(Scan(c.entries), c.expected) << c.entries[0].key;
}

TEST_P(ExtensionCheckTest, OneReportPerKeyListsItsProblemsInOrdinalOrder) {
  EXPECT_EQ(
      Scan({{"cls\\Shell"}, {"cls\\PersistentHandler", "", kGone}, {"cls\\DefaultIcon", "", ""}}),
      std::vector<std::string>{"cls:, etExtEmptyDefaultIconValue, "
                               "etExtAbsentPersistentHandlerGuidKey, etExtEmptyShellKey"});
  EXPECT_EQ(flags, (TEntryTypes{etExtEmptyDefaultIconValue, etExtAbsentPersistentHandlerGuidKey,
                                etExtEmptyShellKey}));
}

// A value that holds no text counts as empty text, and the walk goes on.
TEST_P(ExtensionCheckTest, NonStringValuesReadAsEmptyAndTheScanGoesOn) {
  AddDword(".foo", "", 1, HKEY_CLASSES_ROOT);
  AddDword("cls\\DefaultIcon", "", 2, HKEY_CLASSES_ROOT);
  EXPECT_EQ(Scan({{"cls\\Shell"}}),
            (std::vector<std::string>{".foo:, etExtEmptyName",
                                      "cls:, etExtEmptyDefaultIconValue, etExtEmptyShellKey"}));
}

HW_INSTANTIATE_OVER_STORES(ExtensionCheckTest);

}  // namespace
}  // namespace hw
