#pragma once
// A sandbox registry for tests: an in-memory store with the calls over it,
// helpers that build keys and values directly in the store, and checks that
// read the store back (AssertionResults, so a failure names the caller's line).
// FaultyRegistryApi makes chosen calls fail, for the failure paths a store
// cannot produce on its own.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <memory>

#include "platform/MemoryStore.h"
#include "platform/StoreRegistryApi.h"
#include "tests/support/TempDir.h"

namespace hw::test {

// The stores a registry test runs over: every behaviour of the registry layer
// and the scan must hold over both.
enum class StoreKind { Memory, WinePrefix };
std::string StoreName(const ::testing::TestParamInfo<StoreKind>& info);
void PrintTo(StoreKind kind, std::ostream* out);
// A fresh store of that kind; a Wine-prefix store keeps its files in dir.
std::unique_ptr<platform::RegistryStore> MakeStore(StoreKind kind, const TempDir& dir);

class RegistryFixture : public ::testing::TestWithParam<StoreKind> {
 private:
  // Declared first: the store outlives the calls over it.
  std::unique_ptr<TempDir> dir_;
  std::unique_ptr<platform::RegistryStore> owned_;

 protected:
  RegistryFixture();
  ~RegistryFixture() override;
  // Over the Wine-prefix store every test ends by saving the registry and
  // reading it back: whatever the test left must survive that unchanged.
  void TearDown() override;

  // Keys are created below HKEY_CURRENT_USER unless a root is given.
  platform::KeyNode& AddKey(std::string_view path, HKEY root = HKEY_CURRENT_USER);
  // String types take UTF-8 text; the terminating zero is added.
  void AddString(std::string_view path, std::string_view name, std::string_view text,
                 DWORD type = REG_SZ, HKEY root = HKEY_CURRENT_USER);
  void AddDword(std::string_view path, std::string_view name, std::uint32_t value,
                HKEY root = HKEY_CURRENT_USER);
  // Data as the store holds it (strings in UTF-16LE).
  void AddRaw(std::string_view path, std::string_view name, DWORD type, std::string data,
              HKEY root = HKEY_CURRENT_USER);

  // Null when the key does not exist.
  platform::KeyNode* FindKey(std::string_view path, HKEY root = HKEY_CURRENT_USER);

  ::testing::AssertionResult KeyPresent(std::string_view path, HKEY root = HKEY_CURRENT_USER);
  ::testing::AssertionResult KeyAbsent(std::string_view path, HKEY root = HKEY_CURRENT_USER);
  ::testing::AssertionResult ValueAbsent(std::string_view path, std::string_view name,
                                         HKEY root = HKEY_CURRENT_USER);
  // A string value (of the given string type) holding text plus its zero.
  ::testing::AssertionResult StringIs(std::string_view path, std::string_view name,
                                      std::string_view text, DWORD type = REG_SZ,
                                      HKEY root = HKEY_CURRENT_USER);
  // Any value, compared as the store holds it.
  ::testing::AssertionResult RawIs(std::string_view path, std::string_view name, DWORD type,
                                   std::string_view data, HKEY root = HKEY_CURRENT_USER);

  platform::RegistryStore& store;
  platform::StoreRegistryApi api{store};
};

// Runs a suite derived from RegistryFixture over every store (on Windows there
// are no Wine prefixes to store in).
#ifdef _WIN32
#define HW_STORE_KINDS ::testing::Values(::hw::test::StoreKind::Memory)
#else
#define HW_STORE_KINDS \
  ::testing::Values(::hw::test::StoreKind::Memory, ::hw::test::StoreKind::WinePrefix)
#endif
#define HW_INSTANTIATE_OVER_STORES(Suite) \
  INSTANTIATE_TEST_SUITE_P(Stores, Suite, HW_STORE_KINDS, ::hw::test::StoreName)

// The little-endian bytes of a REG_DWORD.
std::string DwordBytes(std::uint32_t value);

class FaultyRegistryApi final : public platform::RegistryApi {
 public:
  enum class Call {
    Open,
    Create,
    QueryInfo,
    EnumKey,
    EnumValue,
    QueryValue,
    SetValue,
    DeleteKey,
    DeleteValue
  };

  // Does not take ownership; inner must outlive this object.
  explicit FaultyRegistryApi(platform::RegistryApi& inner) : inner_(inner) {}

  // Makes the call fail with ERROR_ACCESS_DENIED; with a name, only when its
  // subkey path or value name equals it.
  void FailCall(Call call, std::string name = {});
  void ClearFailures() { failures_.clear(); }

  LSTATUS RegOpenKeyExA(HKEY key, const char* subKey, REGSAM access, HKEY* result) override;
  LSTATUS RegOpenLinkKeyA(HKEY key, const char* subKey, REGSAM access, HKEY* result) override {
    return Fails(Call::Open, subKey) ? ERROR_ACCESS_DENIED
                                     : inner_.RegOpenLinkKeyA(key, subKey, access, result);
  }
  LSTATUS RegCreateKeyExA(HKEY key, const char* subKey, REGSAM access, HKEY* result,
                          DWORD* disposition) override;
  LSTATUS RegCloseKey(HKEY key) override;
  LSTATUS RegQueryInfoKeyA(HKEY key, DWORD* subKeys, DWORD* maxSubKeyLen, DWORD* values,
                           DWORD* maxValueNameLen, DWORD* maxValueLen,
                           FILETIME* lastWriteTime) override;
  LSTATUS RegEnumKeyExA(HKEY key, DWORD index, char* name, DWORD* nameLen) override;
  LSTATUS RegEnumValueA(HKEY key, DWORD index, char* name, DWORD* nameLen) override;
  LSTATUS RegQueryValueExA(HKEY key, const char* valueName, DWORD* type, BYTE* data,
                           DWORD* size) override;
  LSTATUS RegQueryStoredValueA(HKEY key, const char* valueName, DWORD* type, BYTE* data,
                               DWORD* size) override {
    return Fails(Call::QueryValue, valueName)
               ? ERROR_ACCESS_DENIED
               : inner_.RegQueryStoredValueA(key, valueName, type, data, size);
  }
  LSTATUS RegSetValueExA(HKEY key, const char* valueName, DWORD type, const BYTE* data,
                         DWORD size) override;
  LSTATUS RegDeleteKeyA(HKEY key, const char* subKey) override;
  LSTATUS RegDeleteValueA(HKEY key, const char* valueName) override;
  std::string CurrentUserSid() override { return inner_.CurrentUserSid(); }

 private:
  struct Failure {
    Call call;
    std::string name;
  };
  bool Fails(Call call, const char* name) const;

  platform::RegistryApi& inner_;
  std::vector<Failure> failures_;
};

}  // namespace hw::test
