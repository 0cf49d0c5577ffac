// The file-type check run through the walk over HKEY_CLASSES_ROOT: which
// keys it judges, each problem kind, and the one report per key.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/EventPump.h"
#include "registry/NTRegistry.h"
#include "registry/RegistryException.h"
#include "scan/AnalyzClass.h"
#include "tests/support/FakeFileSystem.h"
#include "tests/support/RegistryFixture.h"

namespace hw {
namespace {

constexpr const char* kGoodClsid = "{00000000-0000-0000-0000-0000000000AA}";

struct Finding {
  std::string key;
  TEntryTypes flags;
  bool operator==(const Finding&) const = default;
};

void PrintTo(const Finding& f, std::ostream* out) {
  *out << f.key << " {";
  for (int kind = 0; kind < kEntryTypeCount; ++kind)
    if (f.flags.Contains(static_cast<TEntryType>(kind))) *out << " " << kEntryTypeNames[kind];
  *out << " }";
}

// A key to create below HKEY_CLASSES_ROOT; with a name, a string value in it.
struct Entry {
  const char* key;
  const char* name = nullptr;
  const char* data = "";
};

struct Case {
  const char* what;
  std::vector<Entry> entries;
  std::vector<Finding> expected;
};

class ExtensionCheckTest : public test::RegistryFixture {
 protected:
  ExtensionCheckTest() {
    // What a sound registration refers to.
    AddKey("txtfile", HKEY_CLASSES_ROOT);
    AddKey(std::string("CLSID\\") + kGoodClsid, HKEY_CLASSES_ROOT);
    AddKey("MIME\\Database\\Content Type\\text/plain", HKEY_CLASSES_ROOT);
  }

  void Add(const std::vector<Entry>& entries) {
    for (const Entry& e : entries) {
      if (e.name)
        AddString(e.key, e.name, e.data, REG_SZ, HKEY_CLASSES_ROOT);
      else
        AddKey(e.key, HKEY_CLASSES_ROOT);
    }
  }

  // Scans with the file-type category over the whole of HKEY_CLASSES_ROOT,
  // unless the window's own root list is asked for.
  std::vector<Finding> Scan(bool windowRoots = false) {
    TAnalyzClass engine(api, files, pump);
    if (!windowRoots) engine.RootKeys = {{HKEY_CLASSES_ROOT, "\\", {acInvalidExts}}};
    engine.Categories = {acInvalidExts};
    engine.ExclusionSets[acInvalidExts].Items = exclusions;
    std::vector<Finding> found;
    engine.OnInvalidExt = [&](TAnalyzClass& e) {
      found.push_back({e.KeyPath, e.Flags});
      badPaths.push_back(e.BadPath);
      EXPECT_EQ(e.RootName, "HKEY_CLASSES_ROOT");
      EXPECT_EQ(e.PathCount, 1);
      EXPECT_EQ(e.ValueName, "");
      EXPECT_EQ(e.Data, "");
    };
    engine.Analyze();
    return found;
  }

  test::FakeFileSystem files;
  platform::EventPump pump;
  std::vector<std::string> exclusions;
  std::vector<std::string> badPaths;
};

TEST_P(ExtensionCheckTest, EachProblemKindFromAMinimalCase) {
  const char* const handler = "{00000000-0000-0000-0000-0000000000BB}";
  const std::vector<Case> cases = {
      {"sound extension and class", {{".txt", "", "txtfile"}, {"txtfile", "", "Text"}}, {}},
      {"extension without a class", {{".foo"}}, {{".foo", {etExtEmptyName}}}},
      {"extension naming a missing class",
       {{".foo", "", "nosuchfile"}},
       {{".foo", {etExtAbsentNameKey}}}},
      {"empty icon",
       {{"cls"}, {"cls\\DefaultIcon", "", ""}},
       {{"cls", {etExtEmptyDefaultIconValue}}}},
      {"empty content type",
       {{".foo", "", "txtfile"}, {".foo", "Content Type", ""}},
       {{".foo", {etExtInvalidContentTypeValue}}}},
      {"unknown content type",
       {{".foo", "", "txtfile"}, {".foo", "Content Type", "text/x-foo"}},
       {{".foo", {etExtAbsentContentTypeKey}}}},
      {"known content type", {{".foo", "", "txtfile"}, {".foo", "Content Type", "text/plain"}}, {}},
      {"empty persistent handler",
       {{"cls\\PersistentHandler", "", ""}},
       {{"cls", {etExtEmptyPersistentHandlerGuid}}}},
      {"missing persistent handler",
       {{"cls\\PersistentHandler", "", handler}},
       {{"cls", {etExtAbsentPersistentHandlerGuidKey}}}},
      {"persistent handler present", {{"cls\\PersistentHandler", "", kGoodClsid}}, {}},
      {"ShellNew without values",
       {{".foo", "", "txtfile"}, {".foo\\ShellNew"}},
       {{".foo", {etExtEmptyShellNewKey}}}},
      // Its own key is not taken for an extension without a class.
      {"ShellNew with only NullFile",
       {{".foo", "", "txtfile"}, {".foo\\ShellNew", "NullFile"}},
       {}},
      {"empty ShellNew command and file name",
       {{".foo", "", "txtfile"},
        {".foo\\ShellNew", "Command", ""},
        {".foo\\ShellNew", "FileName", ""}},
       {{".foo", {etExtEmptyShellNewCommand, etExtEmptyShellNewFileName}}}},
      {"empty ShellEx", {{"cls\\ShellEx"}}, {{"cls", {etExtEmptyShellExKey}}}},
      {"ShellEx handler of a missing class",
       {{"cls\\ShellEx\\PropertySheetHandlers", "", handler}},
       {{"cls", {etExtAbsentShellExValueGiudKey}}}},
      // The test falls on the key CLSID itself.
      {"ShellEx handler with an empty default", {{"cls\\ShellEx\\IconHandler", "", ""}}, {}},
      {"empty Shell", {{"cls\\Shell"}}, {{"cls", {etExtEmptyShellKey}}}},
      {"verb without Command", {{"cls\\Shell\\open"}}, {{"cls", {etExtAbsentShellCommandKey}}}},
      {"verb with an empty command",
       {{"cls\\Shell\\open\\Command", "", ""}},
       {{"cls", {etExtEmptyShellCommandKey}}}},
      {"verb whose command reads \"no key\"", {{"cls\\Shell\\open\\Command", "", "no key"}}, {}},
      {"dotted class names are not examined", {{"Word.Document.8\\Shell"}}, {}},
      {"class subkeys are judged by what lies below them",
       {{"cls\\Shell\\open\\Command", "", "x.exe"}, {"cls\\Shell\\open\\DefaultIcon", "", ""}},
       {{"cls\\Shell\\open", {etExtEmptyDefaultIconValue}}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TNTRegistry reg(api);
    reg.SetRootKey(HKEY_CLASSES_ROOT);
    for (const char* key : {".txt", ".foo", "cls", "Word.Document.8"}) reg.DeleteKey(key);
    Add(c.entries);
    EXPECT_EQ(Scan(), c.expected);
  }
}

TEST_P(ExtensionCheckTest, OneReportPerKeyNamesItsProblemsInOrdinalOrder) {
  Add({{".foo"}, {"cls\\Shell"}, {"cls\\DefaultIcon", "", ""}});
  EXPECT_EQ(Scan(),
            (std::vector<Finding>{{".foo", {etExtEmptyName}},
                                  {"cls", {etExtEmptyDefaultIconValue, etExtEmptyShellKey}}}));
  EXPECT_EQ(badPaths, (std::vector<std::string>{
                          ", etExtEmptyName", ", etExtEmptyDefaultIconValue, etExtEmptyShellKey"}));
}

TEST_P(ExtensionCheckTest, RunsOnlyWhereARootCarriesItAndTheKeyIsNotExcluded) {
  Add({{".foo", "", "nosuchfile"}, {".bar"}});
  EXPECT_EQ(Scan(/*windowRoots=*/true), std::vector<Finding>{});
  exclusions = {"\\.foo\\"};
  EXPECT_EQ(Scan(), (std::vector<Finding>{{".bar", {etExtEmptyName}}}));
}

TEST_P(ExtensionCheckTest, ANonStringClassNameEndsTheScan) {
  AddDword(".foo", "", 1, HKEY_CLASSES_ROOT);
  EXPECT_THROW(Scan(), ERegistryException);
}

HW_INSTANTIATE_OVER_STORES(ExtensionCheckTest);

}  // namespace
}  // namespace hw
