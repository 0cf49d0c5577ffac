#pragma once
// The update check's transport on Windows: WinINet, which comes with the system.

#ifdef _WIN32

#include "update/UpdateTransport.h"

namespace hw {

// WinINet: a plain direct GET (no proxy) that follows redirects, bypasses
// caches (reloads and stores nothing), gives up after kConnectSeconds to
// connect and kTotalSeconds without an answer, refuses schemes other than
// http and https and answers an HTTP error status as a page that cannot be
// opened, as CurlTransport does.
class WinInetTransport : public UpdateTransport {
 public:
  std::optional<std::string> Fetch(const std::string& url, std::size_t maxBytes) override;
};

}  // namespace hw

#endif  // _WIN32
