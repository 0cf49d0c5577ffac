#pragma once
// An open registry key that is closed when it goes out of scope, so that every
// path out of an operation, exceptions included, releases what it opened.

#include "platform/RegistryApi.h"

namespace hw {

class TKeyHandle {
 public:
  TKeyHandle() = default;
  // Does not take ownership of api; takes ownership of key (may be null).
  TKeyHandle(platform::RegistryApi& api, HKEY key) : api_(&api), key_(key) {}
  ~TKeyHandle() { reset(); }

  TKeyHandle(TKeyHandle&& other) noexcept : api_(other.api_), key_(other.release()) {}
  TKeyHandle& operator=(TKeyHandle&& other) noexcept {
    if (this != &other) {
      reset();
      api_ = other.api_;
      key_ = other.release();
    }
    return *this;
  }
  TKeyHandle(const TKeyHandle&) = delete;
  TKeyHandle& operator=(const TKeyHandle&) = delete;

  HKEY get() const { return key_; }
  explicit operator bool() const { return key_ != nullptr; }

  HKEY release() {
    HKEY key = key_;
    key_ = nullptr;
    return key;
  }
  void reset() {
    if (key_ != nullptr) api_->RegCloseKey(key_);
    key_ = nullptr;
  }

 private:
  platform::RegistryApi* api_ = nullptr;
  HKEY key_ = nullptr;
};

}  // namespace hw
