#include "tests/support/RegistrySandbox.h"

#include "platform/StoreRegistryApi.h"
#include "platform/Text.h"

#ifdef _WIN32
#include "platform/windows/WinRegistryApi.h"
#else
#include <unistd.h>
#endif

namespace hw::test {

namespace {


std::vector<std::string> NamesOf(platform::RegistryApi& api, HKEY key, bool values) {
  std::vector<std::string> names;
  char name[1024];
  for (DWORD i = 0;; ++i) {
    DWORD length = sizeof name;
    if ((values ? api.RegEnumValueA(key, i, name, &length)
                : api.RegEnumKeyExA(key, i, name, &length)) != ERROR_SUCCESS)
      break;
    names.emplace_back(name, length);
  }
  return names;
}

// Deletes a key with everything below it. Unlike RegDeleteTreeW, which would
// follow a link and empty its target, a link is removed and its target kept.
void DeleteTree(platform::RegistryApi& api, HKEY parent, const std::string& name) {
  HKEY key = nullptr;
  if (api.RegOpenLinkKeyA(parent, name.c_str(), KEY_READ, &key) != ERROR_SUCCESS) return;
  for (const std::string& child : NamesOf(api, key, false)) DeleteTree(api, key, child);
  api.RegCloseKey(key);
  api.RegDeleteKeyA(parent, name.c_str());
}

#ifdef _WIN32

// The native path of an open key, \REGISTRY\User\<sid>\...
std::string NativePath(HKEY key) {
  using NtQueryKey = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
  auto query = reinterpret_cast<NtQueryKey>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQueryKey")));
  alignas(ULONG) char info[2048];
  ULONG size = 0;
  constexpr int kKeyNameInformation = 3;
  if (!query || query(key, kKeyNameInformation, info, sizeof info, &size) != 0) return {};
  ULONG length = *reinterpret_cast<ULONG*>(info);
  return platform::utf16ToUtf8(std::string_view(info + sizeof(ULONG), length));
}
#endif

}  // namespace

const std::string& SandboxPath() {
#ifdef _WIN32
  static const std::string path =
      "Software\\HivewardenTest-" + std::to_string(::GetCurrentProcessId());
#else
  static const std::string path = "Software\\HivewardenTest-" + std::to_string(::getpid());
#endif
  return path;
}

std::string ApiName(const ::testing::TestParamInfo<ApiKind>& info) {
  switch (info.param) {
    case ApiKind::Memory: return "Memory";
    case ApiKind::WinePrefix: return "WinePrefix";
    case ApiKind::Windows: return "Windows";
  }
  return "Unknown";
}

void PrintTo(ApiKind kind, std::ostream* out) {
  *out << (kind == ApiKind::Windows  ? "the system's registry"
           : kind == ApiKind::Memory ? "the in-memory store"
                                     : "the Wine-prefix store");
}

RegistrySandbox::RegistrySandbox() {
  if (GetParam() == ApiKind::Windows) {
#ifdef _WIN32
    api_ = std::make_unique<platform::WinRegistryApi>();
#endif
    return;
  }
  dir_ = std::make_unique<TempDir>();
  store_ =
      MakeStore(GetParam() == ApiKind::Memory ? StoreKind::Memory : StoreKind::WinePrefix, *dir_);
  api_ = std::make_unique<platform::StoreRegistryApi>(*store_);
}

RegistrySandbox::~RegistrySandbox() {
  api_.reset();  // before the store it refers to
}

void RegistrySandbox::SetUp() {
  DeleteTree(api(), HKEY_CURRENT_USER, SandboxPath().c_str());  // left by a test that crashed
  ASSERT_EQ(api().RegCreateKeyExA(HKEY_CURRENT_USER, SandboxPath().c_str(), KEY_ALL_ACCESS, &base,
                                  nullptr),
            ERROR_SUCCESS);
}

void RegistrySandbox::TearDown() {
  if (base) api().RegCloseKey(base);
  DeleteTree(api(), HKEY_CURRENT_USER, SandboxPath().c_str());
  HKEY left = nullptr;
  EXPECT_EQ(api().RegOpenKeyExA(HKEY_CURRENT_USER, SandboxPath().c_str(), KEY_READ, &left),
            ERROR_FILE_NOT_FOUND);
  if (left) api().RegCloseKey(left);
  if (store_) {
    EXPECT_EQ(static_cast<platform::StoreRegistryApi&>(api()).openHandleCount(), 0u)
        << "a handle was leaked";
  }
}

bool RegistrySandbox::underWine() const {
#ifdef _WIN32
  return !store_ && ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version");
#else
  return false;
#endif
}

HKEY RegistrySandbox::Create(const std::string& path, HKEY parent) {
  HKEY key = nullptr;
  EXPECT_EQ(
      api().RegCreateKeyExA(parent ? parent : base, path.c_str(), KEY_ALL_ACCESS, &key, nullptr),
      ERROR_SUCCESS)
      << path;
  return key;
}

HKEY RegistrySandbox::Open(const std::string& path, REGSAM access, HKEY parent) {
  HKEY key = nullptr;
  EXPECT_EQ(api().RegOpenKeyExA(parent ? parent : base, path.c_str(), access, &key), ERROR_SUCCESS)
      << path;
  return key;
}

void RegistrySandbox::SetString(HKEY key, const char* name, const std::string& text, DWORD type) {
  EXPECT_EQ(api().RegSetValueExA(key, name, type, reinterpret_cast<const BYTE*>(text.c_str()),
                                 static_cast<DWORD>(text.size() + 1)),
            ERROR_SUCCESS)
      << name;
}

std::string RegistrySandbox::Read(HKEY key, const char* name, DWORD* type) {
  DWORD size = 0;
  EXPECT_EQ(api().RegQueryValueExA(key, name, type, nullptr, &size), ERROR_SUCCESS) << name;
  std::string data(size, '\0');
  BYTE spare = 0;
  EXPECT_EQ(api().RegQueryValueExA(key, name, type,
                                   size ? reinterpret_cast<BYTE*>(data.data()) : &spare, &size),
            ERROR_SUCCESS)
      << name;
  data.resize(size);
  return data;
}

std::vector<std::string> RegistrySandbox::SubKeys(HKEY key) { return NamesOf(api(), key, false); }

std::vector<std::string> RegistrySandbox::Values(HKEY key) { return NamesOf(api(), key, true); }

void RegistrySandbox::MakeLink(const std::string& path, const std::string& target) {
  std::string native;
  if (store_) {
    platform::KeyNode* sandbox =
        store_->resolve(store_->predefinedKey(HKEY_CURRENT_USER), SandboxPath().c_str());
    ASSERT_NE(sandbox, nullptr);
    native = store_->nativePath(sandbox) + "\\" + target;
    platform::KeyNode* parent = store_->resolve(sandbox, path.substr(0, path.rfind('\\') + 1));
    ASSERT_NE(parent, nullptr);
    platform::KeyNode* link = store_->createChild(*parent, path.substr(path.rfind('\\') + 1));
    link->isLink = true;
    store_->setValue(*link, "SymbolicLinkValue", REG_LINK, platform::utf8ToUtf16(native));
    return;
  }
#ifdef _WIN32
  native = NativePath(base) + "\\" + target;
  HKEY link = nullptr;
  std::string wide = platform::utf8ToUtf16(path) + std::string(2, '\0');
  ASSERT_EQ(::RegCreateKeyExW(base, reinterpret_cast<const wchar_t*>(wide.c_str()), 0, nullptr,
                              REG_OPTION_CREATE_LINK, KEY_ALL_ACCESS, nullptr, &link, nullptr),
            ERROR_SUCCESS);
  std::string data = platform::utf8ToUtf16(native);
  EXPECT_EQ(
      ::RegSetValueExW(link, L"SymbolicLinkValue", 0, REG_LINK,
                       reinterpret_cast<const BYTE*>(data.data()), static_cast<DWORD>(data.size())),
      ERROR_SUCCESS);
  ::RegCloseKey(link);
#endif
}

}  // namespace hw::test
