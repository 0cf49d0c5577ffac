// The update check after its page has arrived: any page and marker give
// exactly one event, the revision read is that of a marker within the first
// kUpdatePageBytes, and a newer revision is the only thing that opens the
// homepage.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "update/CheckUpdate.h"
#include "update/UpdatePage.h"
#include "update/UpdateTransport.h"

using namespace hw;

namespace {

class PageTransport : public UpdateTransport {
 public:
  explicit PageTransport(std::string page) : page_(std::move(page)) {}
  std::optional<std::string> Fetch(const std::string&, std::size_t maxBytes) override {
    return page_.substr(0, maxBytes);
  }

 private:
  std::string page_;
};

char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool containsNoCase(std::string_view text, std::string_view marker) {
  std::string a(text), b(marker);
  for (char& c : a) c = lowerAscii(c);
  for (char& c : b) c = lowerAscii(c);
  return !b.empty() && a.find(b) != std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const auto revision = input.ConsumeIntegral<std::int32_t>();
  const bool go = input.ConsumeBool();
  std::string marker = input.ConsumeRandomLengthString(40);
  const std::string page = input.ConsumeRemainingBytesAsString();

  PageTransport transport(page);
  TCheckUpdate check(transport);
  check.Revision = revision;
  check.ChkStr = marker;
  check.Homepage = " https://example.org/new ";
  int found = 0, notFound = 0, opened = 0;
  check.OnFound = [&](TCheckUpdate&, bool& answer) {
    ++found;
    answer = go;
  };
  check.OnNotFound = [&](TCheckUpdate&) { ++notFound; };
  check.OpenUrl = [&](const std::string& url) {
    if (url != "https://example.org/new") std::abort();
    ++opened;
  };
  if (!check.Check() || found + notFound != 1) std::abort();

  const std::optional<std::int32_t> published = check.Published();
  if (published != PublishedRevision(page, marker)) std::abort();
  if (published) {
    if (*published < 0) std::abort();
    if (!containsNoCase(std::string_view(page).substr(0, kUpdatePageBytes), marker)) std::abort();
  }
  const bool newer = published && *published > revision;
  if (found != static_cast<int>(newer) || opened != static_cast<int>(newer && go)) std::abort();
  return 0;
}
