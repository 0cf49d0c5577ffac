#pragma once
// How the update check fetches its page: an interface, so that tests can hand
// in a page without a network.

#include <atomic>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>

namespace hw {

class UpdateTransport {
 public:
  virtual ~UpdateTransport() = default;
  // At most maxBytes from the start of the page at url (a shorter page comes
  // whole); nullopt when the page cannot be opened.
  virtual std::optional<std::string> Fetch(const std::string& url, std::size_t maxBytes) = 0;

  // Called from another thread when the program ends during a Fetch: the
  // Fetch gives up soon (within about a second) with nullopt, and every later
  // one at once. Transports that cannot interrupt a transfer check it before
  // they start.
  virtual void Abort() { aborted_ = true; }
  bool Aborted() const { return aborted_; }

  // What every transport keeps to: the waits before giving up and the agent named.
  static constexpr long kConnectSeconds = 10;
  static constexpr long kTotalSeconds = 30;
  static constexpr const char* kUserAgent = "Mozilla/2.0 (Update)";

 private:
  std::atomic<bool> aborted_{false};
};

// The system's web client: libcurl on Linux (CurlTransport), WinINet on
// Windows (WinInetTransport).
std::unique_ptr<UpdateTransport> MakeWebTransport();

// libcurl: a plain direct GET (no proxy) that follows redirects, bypasses caches, gives up
// after kConnectSeconds to connect and kTotalSeconds in all, refuses
// schemes other than http and https and answers with an HTTP error status
// as a page that cannot be opened.
class CurlTransport : public UpdateTransport {
 public:
  std::optional<std::string> Fetch(const std::string& url, std::size_t maxBytes) override;
};

}  // namespace hw
