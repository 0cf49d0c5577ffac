#pragma once
// A sandbox key for tests of the registry calls themselves, so that one test
// checks that our stores answer as Windows does: it runs over the in-memory
// store, the Wine-prefix store (on Linux) and, on Windows, the real registry.
// There the sandbox is HKCU\Software\HivewardenTest-<pid>, whose whole tree is
// deleted before and after each test.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/RegistryApi.h"
#include "platform/RegistryStore.h"
#include "tests/support/RegistryFixture.h"

namespace hw::test {

enum class ApiKind { Memory, WinePrefix, Windows };

class RegistrySandbox : public ::testing::TestWithParam<ApiKind> {
 protected:
  RegistrySandbox();
  ~RegistrySandbox() override;
  void SetUp() override;
  // Over a store, also checks that every handle was closed.
  void TearDown() override;

  platform::RegistryApi& api() { return *api_; }
  // The store behind the calls; null over the real registry.
  platform::RegistryStore* store() { return store_.get(); }
  // Where Wine is known to answer otherwise than Windows (checked ones only).
  bool underWine() const;

  // Below base unless another key is given; KEY_ALL_ACCESS, the caller closes.
  HKEY Create(const std::string& path, HKEY parent = nullptr);
  HKEY Open(const std::string& path, REGSAM access = KEY_READ, HKEY parent = nullptr);
  void SetString(HKEY key, const char* name, const std::string& text, DWORD type = REG_SZ);
  // The data as the UTF-8 calls return it, zeros included.
  std::string Read(HKEY key, const char* name, DWORD* type = nullptr);
  std::vector<std::string> SubKeys(HKEY key);
  std::vector<std::string> Values(HKEY key);
  // A symbolic link at path (below base) to target (below base).
  void MakeLink(const std::string& path, const std::string& target);

  HKEY base = nullptr;  // the sandbox, open with KEY_ALL_ACCESS

 private:
  std::unique_ptr<TempDir> dir_;
  std::unique_ptr<platform::RegistryStore> store_;
  std::unique_ptr<platform::RegistryApi> api_;
};

// The sandbox below HKEY_CURRENT_USER, without outer backslashes: one per
// test program, so that programs run side by side on one registry never meet.
const std::string& SandboxPath();

std::string ApiName(const ::testing::TestParamInfo<ApiKind>& info);
void PrintTo(ApiKind kind, std::ostream* out);

#ifdef _WIN32  // no Wine-prefix store there
#define HW_SANDBOX_APIS ::testing::Values(::hw::test::ApiKind::Memory, ::hw::test::ApiKind::Windows)
#else
#define HW_SANDBOX_APIS \
  ::testing::Values(::hw::test::ApiKind::Memory, ::hw::test::ApiKind::WinePrefix)
#endif

// Runs a suite derived from RegistrySandbox over every backend of the calls.
#define HW_INSTANTIATE_OVER_APIS(Suite) \
  INSTANTIATE_TEST_SUITE_P(Apis, Suite, HW_SANDBOX_APIS, ::hw::test::ApiName)

}  // namespace hw::test
