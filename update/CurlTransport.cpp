#include <curl/curl.h>

#include <memory>
#include <mutex>

#include "update/UpdateTransport.h"

namespace hw {

namespace {

struct Download {
  std::string bytes;
  std::size_t maxBytes = 0;
  bool full = false;
};

// Keeps what fits and then ends the transfer: the rest of the page is not needed.
std::size_t Receive(char* data, std::size_t size, std::size_t count, void* user) {
  auto& download = *static_cast<Download*>(user);
  const std::size_t given = size * count;
  const std::size_t room = download.maxBytes - download.bytes.size();
  download.bytes.append(data, given < room ? given : room);
  if (download.bytes.size() < download.maxBytes) return given;
  download.full = true;
  return 0;  // less than given: libcurl stops with CURLE_WRITE_ERROR
}

// libcurl asks this about once a second, also while it waits for an answer.
int Progress(void* transport, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  return static_cast<const UpdateTransport*>(transport)->Aborted() ? 1 : 0;
}

void InitCurlOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct EasyDeleter {
  void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};
struct ListDeleter {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

}  // namespace

std::optional<std::string> CurlTransport::Fetch(const std::string& url, std::size_t maxBytes) {
  if (Aborted()) return std::nullopt;
  InitCurlOnce();
  std::unique_ptr<CURL, EasyDeleter> curl(curl_easy_init());
  if (!curl) return std::nullopt;
  std::unique_ptr<curl_slist, ListDeleter> headers(
      curl_slist_append(nullptr, "Cache-Control: no-cache"));
  if (!headers) return std::nullopt;
  if (curl_slist* more = curl_slist_append(headers.get(), "Pragma: no-cache"); !more)
    return std::nullopt;

  Download download;
  download.maxBytes = maxBytes;
  CURL* c = curl.get();
  curl_easy_setopt(c, CURLOPT_URL, url.c_str());
  curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(c, CURLOPT_MAXREDIRS, 5L);
  curl_easy_setopt(c, CURLOPT_PROXY, "");  // direct, whatever http_proxy says
  curl_easy_setopt(c, CURLOPT_USERAGENT, kUserAgent);
  curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers.get());
  curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, kConnectSeconds);
  curl_easy_setopt(c, CURLOPT_TIMEOUT, kTotalSeconds);
  curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
  // A missing page is not a page without news: 404 and the like fail the check.
  curl_easy_setopt(c, CURLOPT_FAILONERROR, 1L);
  curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, Receive);
  curl_easy_setopt(c, CURLOPT_WRITEDATA, &download);
  curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, Progress);
  curl_easy_setopt(c, CURLOPT_XFERINFODATA, static_cast<UpdateTransport*>(this));
  const CURLcode result = curl_easy_perform(c);
  if (result == CURLE_OK || (result == CURLE_WRITE_ERROR && download.full))
    return std::move(download.bytes);
  return std::nullopt;
}

std::unique_ptr<UpdateTransport> MakeWebTransport() { return std::make_unique<CurlTransport>(); }

}  // namespace hw
