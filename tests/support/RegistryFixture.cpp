#include "tests/support/RegistryFixture.h"

#include "platform/Text.h"
#ifndef _WIN32
#include "platform/wine/WinePrefixStore.h"
#endif

namespace hw::test {

using ::testing::AssertionFailure;
using ::testing::AssertionResult;
using ::testing::AssertionSuccess;

namespace {

std::string describe(DWORD type, std::string_view data) {
  std::string text = "type " + std::to_string(type) + ", ";
  if (platform::isStringType(type)) return text + "\"" + platform::utf16ToUtf8(data) + "\"";
  text += std::to_string(data.size()) + " bytes";
  return text;
}

}  // namespace

std::string DwordBytes(std::uint32_t value) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  return bytes;
}

std::string StoreName(const ::testing::TestParamInfo<StoreKind>& info) {
  return info.param == StoreKind::Memory ? "Memory" : "WinePrefix";
}

void PrintTo(StoreKind kind, std::ostream* out) {
  *out << (kind == StoreKind::Memory ? "the in-memory store" : "the Wine-prefix store");
}

std::unique_ptr<platform::RegistryStore> MakeStore(StoreKind kind, const TempDir& dir) {
  if (kind == StoreKind::Memory) return std::make_unique<platform::MemoryStore>();
#ifdef _WIN32
  (void)dir;
  throw std::logic_error("no Wine-prefix store on Windows");
#else
  auto store = platform::WinePrefixStore::createEmpty(dir.path());
  // The keys every Wine prefix has for the aliased roots.
  store->ensureKey(HKEY_LOCAL_MACHINE, "Software\\Classes");
  store->ensureKey(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Hardware Profiles\\Current");
  return store;
#endif
}

namespace {

// The first difference between two trees, by path; success when alike.
[[maybe_unused]] AssertionResult SameTree(const platform::KeyNode& a, const platform::KeyNode& b,
                         const std::string& path) {
  if (a.name() != b.name()) return AssertionFailure() << path << ": named " << b.name();
  if (a.isLink != b.isLink || a.hasClass != b.hasClass || a.className != b.className)
    return AssertionFailure() << path << ": link or class differs";
  if (a.valueCount() != b.valueCount())
    return AssertionFailure() << path << ": " << b.valueCount() << " values, expected "
                              << a.valueCount();
  for (std::size_t i = 0; i < a.valueCount(); ++i) {
    const platform::RegValue& x = a.value(i);
    const platform::RegValue& y = b.value(i);
    if (x.name != y.name || x.type != y.type || x.data != y.data)
      return AssertionFailure() << path << ": value \"" << x.name << "\" read back as \"" << y.name
                                << "\", " << describe(y.type, y.data) << ", expected "
                                << describe(x.type, x.data);
  }
  if (a.childCount() != b.childCount())
    return AssertionFailure() << path << ": " << b.childCount() << " subkeys, expected "
                              << a.childCount();
  for (std::size_t i = 0; i < a.childCount(); ++i) {
    AssertionResult child = SameTree(*a.child(i), *b.child(i), path + "\\" + a.child(i)->name());
    if (!child) return child;
  }
  return AssertionSuccess();
}

}  // namespace

RegistryFixture::RegistryFixture()
    : dir_(std::make_unique<TempDir>()), owned_(MakeStore(GetParam(), *dir_)), store(*owned_) {}

RegistryFixture::~RegistryFixture() = default;

void RegistryFixture::TearDown() {
#ifndef _WIN32
  if (GetParam() != StoreKind::WinePrefix || HasFatalFailure() || store.readOnly()) return;
  auto& wine = static_cast<platform::WinePrefixStore&>(store);
  // Every file is written, whatever the test changed or only built.
  platform::KeyNode& users = store.hiveRoot(platform::Hive::Users);
  store.markChanged(store.hiveRoot(platform::Hive::Machine));
  for (const std::string& user : {store.currentUserSid(), std::string(".Default")})
    if (platform::KeyNode* key = users.findChild(user)) store.markChanged(*key);
  ASSERT_NO_THROW(wine.save());
  std::unique_ptr<platform::WinePrefixStore> reread;
  ASSERT_NO_THROW(reread = platform::WinePrefixStore::open(dir_->path()));
  EXPECT_TRUE(SameTree(store.hiveRoot(platform::Hive::Machine),
                       reread->hiveRoot(platform::Hive::Machine), "HKLM"));
  for (const std::string& user : {store.currentUserSid(), std::string(".Default")}) {
    platform::KeyNode* before = users.findChild(user);
    platform::KeyNode* after = reread->hiveRoot(platform::Hive::Users).findChild(user);
    ASSERT_EQ(before != nullptr, after != nullptr) << user;
    if (before) {
      EXPECT_TRUE(SameTree(*before, *after, "HKU\\" + user));
    }
  }
#endif
}

platform::KeyNode& RegistryFixture::AddKey(std::string_view path, HKEY root) {
  return store.ensureKey(root, path);
}

void RegistryFixture::AddString(std::string_view path, std::string_view name, std::string_view text,
                                DWORD type, HKEY root) {
  std::string withZero(text);
  withZero += '\0';
  AddRaw(path, name, type, platform::utf8ToUtf16(withZero), root);
}

void RegistryFixture::AddDword(std::string_view path, std::string_view name, std::uint32_t value,
                               HKEY root) {
  AddRaw(path, name, REG_DWORD, DwordBytes(value), root);
}

void RegistryFixture::AddRaw(std::string_view path, std::string_view name, DWORD type,
                             std::string data, HKEY root) {
  store.loadValue(AddKey(path, root), name, type, std::move(data));
}

platform::KeyNode* RegistryFixture::FindKey(std::string_view path, HKEY root) {
  platform::KeyNode* base = store.predefinedKey(root);
  return base ? store.resolve(base, path) : nullptr;
}

AssertionResult RegistryFixture::KeyPresent(std::string_view path, HKEY root) {
  if (FindKey(path, root)) return AssertionSuccess();
  return AssertionFailure() << "key \"" << path << "\" does not exist";
}

AssertionResult RegistryFixture::KeyAbsent(std::string_view path, HKEY root) {
  if (!FindKey(path, root)) return AssertionSuccess();
  return AssertionFailure() << "key \"" << path << "\" exists";
}

AssertionResult RegistryFixture::ValueAbsent(std::string_view path, std::string_view name,
                                             HKEY root) {
  platform::KeyNode* key = FindKey(path, root);
  if (!key) return AssertionFailure() << "key \"" << path << "\" does not exist";
  const platform::RegValue* value = key->findValue(name);
  if (!value) return AssertionSuccess();
  return AssertionFailure() << "value \"" << name
                            << "\" exists: " << describe(value->type, value->data);
}

AssertionResult RegistryFixture::StringIs(std::string_view path, std::string_view name,
                                          std::string_view text, DWORD type, HKEY root) {
  std::string withZero(text);
  withZero += '\0';
  return RawIs(path, name, type, platform::utf8ToUtf16(withZero), root);
}

AssertionResult RegistryFixture::RawIs(std::string_view path, std::string_view name, DWORD type,
                                       std::string_view data, HKEY root) {
  platform::KeyNode* key = FindKey(path, root);
  if (!key) return AssertionFailure() << "key \"" << path << "\" does not exist";
  const platform::RegValue* value = key->findValue(name);
  if (!value) return AssertionFailure() << "value \"" << name << "\" does not exist";
  if (value->type == type && value->data == data) return AssertionSuccess();
  return AssertionFailure() << "value \"" << name << "\" is " << describe(value->type, value->data)
                            << ", expected " << describe(type, data);
}

void FaultyRegistryApi::FailCall(Call call, std::string name) {
  failures_.push_back({call, std::move(name)});
}

bool FaultyRegistryApi::Fails(Call call, const char* name) const {
  for (const Failure& failure : failures_) {
    if (failure.call == call && (failure.name.empty() || (name && failure.name == name))) {
      return true;
    }
  }
  return false;
}

LSTATUS FaultyRegistryApi::RegOpenKeyExA(HKEY key, const char* subKey, REGSAM access,
                                         HKEY* result) {
  if (Fails(Call::Open, subKey)) return ERROR_ACCESS_DENIED;
  return inner_.RegOpenKeyExA(key, subKey, access, result);
}

LSTATUS FaultyRegistryApi::RegCreateKeyExA(HKEY key, const char* subKey, REGSAM access,
                                           HKEY* result, DWORD* disposition) {
  if (Fails(Call::Create, subKey)) return ERROR_ACCESS_DENIED;
  return inner_.RegCreateKeyExA(key, subKey, access, result, disposition);
}

LSTATUS FaultyRegistryApi::RegCloseKey(HKEY key) { return inner_.RegCloseKey(key); }

LSTATUS FaultyRegistryApi::RegQueryInfoKeyA(HKEY key, DWORD* subKeys, DWORD* maxSubKeyLen,
                                            DWORD* values, DWORD* maxValueNameLen,
                                            DWORD* maxValueLen, FILETIME* lastWriteTime) {
  if (Fails(Call::QueryInfo, nullptr)) return ERROR_ACCESS_DENIED;
  return inner_.RegQueryInfoKeyA(key, subKeys, maxSubKeyLen, values, maxValueNameLen, maxValueLen,
                                 lastWriteTime);
}

LSTATUS FaultyRegistryApi::RegEnumKeyExA(HKEY key, DWORD index, char* name, DWORD* nameLen) {
  if (Fails(Call::EnumKey, nullptr)) return ERROR_ACCESS_DENIED;
  return inner_.RegEnumKeyExA(key, index, name, nameLen);
}

LSTATUS FaultyRegistryApi::RegEnumValueA(HKEY key, DWORD index, char* name, DWORD* nameLen) {
  if (Fails(Call::EnumValue, nullptr)) return ERROR_ACCESS_DENIED;
  return inner_.RegEnumValueA(key, index, name, nameLen);
}

LSTATUS FaultyRegistryApi::RegQueryValueExA(HKEY key, const char* valueName, DWORD* type,
                                            BYTE* data, DWORD* size) {
  if (Fails(Call::QueryValue, valueName)) return ERROR_ACCESS_DENIED;
  return inner_.RegQueryValueExA(key, valueName, type, data, size);
}

LSTATUS FaultyRegistryApi::RegSetValueExA(HKEY key, const char* valueName, DWORD type,
                                          const BYTE* data, DWORD size) {
  if (Fails(Call::SetValue, valueName)) return ERROR_ACCESS_DENIED;
  return inner_.RegSetValueExA(key, valueName, type, data, size);
}

LSTATUS FaultyRegistryApi::RegDeleteKeyA(HKEY key, const char* subKey) {
  if (Fails(Call::DeleteKey, subKey)) return ERROR_ACCESS_DENIED;
  return inner_.RegDeleteKeyA(key, subKey);
}

LSTATUS FaultyRegistryApi::RegDeleteValueA(HKEY key, const char* valueName) {
  if (Fails(Call::DeleteValue, valueName)) return ERROR_ACCESS_DENIED;
  return inner_.RegDeleteValueA(key, valueName);
}

}  // namespace hw::test
