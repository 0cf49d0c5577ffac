#ifdef _WIN32

#include "update/WinInetTransport.h"

#include <memory>

#include "platform/windows/WinTypes.h"
// After windows.h, which WinTypes.h includes as the project wants it.
#include <wininet.h>

namespace hw {

namespace {

struct InternetCloser {
  void operator()(void* handle) const { ::InternetCloseHandle(handle); }
};
using InternetHandle = std::unique_ptr<void, InternetCloser>;

// The scheme as WinINet itself reads the address.
bool IsWebAddress(const std::string& url) {
  URL_COMPONENTSA parts{};
  parts.dwStructSize = sizeof parts;
  parts.dwSchemeLength = 1;  // asks for the scheme
  return ::InternetCrackUrlA(url.c_str(), 0, 0, &parts) &&
         (parts.nScheme == INTERNET_SCHEME_HTTP || parts.nScheme == INTERNET_SCHEME_HTTPS);
}

void SetTimeout(HINTERNET handle, DWORD option, long seconds) {
  DWORD milliseconds = static_cast<DWORD>(seconds * 1000);
  ::InternetSetOptionA(handle, option, &milliseconds, sizeof milliseconds);
}

}  // namespace

std::optional<std::string> WinInetTransport::Fetch(const std::string& url, std::size_t maxBytes) {
  if (!IsWebAddress(url) || Aborted()) return std::nullopt;
  InternetHandle session(
      ::InternetOpenA(kUserAgent, INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
  if (!session) return std::nullopt;
  // WinINet has no limit on the whole transfer: each wait for data is bounded instead.
  SetTimeout(session.get(), INTERNET_OPTION_CONNECT_TIMEOUT, kConnectSeconds);
  SetTimeout(session.get(), INTERNET_OPTION_SEND_TIMEOUT, kTotalSeconds);
  SetTimeout(session.get(), INTERNET_OPTION_RECEIVE_TIMEOUT, kTotalSeconds);

  InternetHandle page(::InternetOpenUrlA(
      session.get(), url.c_str(), nullptr, 0,
      INTERNET_FLAG_RELOAD | INTERNET_FLAG_RAW_DATA | INTERNET_FLAG_NO_CACHE_WRITE, 0));
  if (!page) return std::nullopt;
  // A missing page is not a page without news: 404 and the like fail the check.
  DWORD status = 0;
  DWORD length = sizeof status;
  if (!::HttpQueryInfoA(page.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status,
                        &length, nullptr) ||
      status >= 400)
    return std::nullopt;

  std::string bytes;
  char buffer[8192];
  while (bytes.size() < maxBytes) {
    const std::size_t room = maxBytes - bytes.size();
    DWORD read = 0;
    if (!::InternetReadFile(page.get(), buffer,
                            static_cast<DWORD>(room < sizeof buffer ? room : sizeof buffer), &read))
      return std::nullopt;
    if (read == 0) break;  // the end of the page
    bytes.append(buffer, read);
  }
  return bytes;
}

std::unique_ptr<UpdateTransport> MakeWebTransport() { return std::make_unique<WinInetTransport>(); }

}  // namespace hw

#endif  // _WIN32
