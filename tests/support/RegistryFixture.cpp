#include "tests/support/RegistryFixture.h"

#include "platform/Text.h"

namespace hw::test {

using ::testing::AssertionFailure;
using ::testing::AssertionResult;
using ::testing::AssertionSuccess;

namespace {

bool isStringType(DWORD type) {
  return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

std::string describe(DWORD type, std::string_view data) {
  std::string text = "type " + std::to_string(type) + ", ";
  if (isStringType(type)) return text + "\"" + platform::utf16ToUtf8(data) + "\"";
  text += std::to_string(data.size()) + " bytes";
  return text;
}

}  // namespace

std::string DwordBytes(std::uint32_t value) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  return bytes;
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
