#pragma once
// TCheckUpdate: asks a web page whether a newer revision of the program is
// published, and tells its owner through two events.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace hw {

class UpdateTransport;

class TCheckUpdate {
 public:
  // The transport is not owned and must outlive the component.
  explicit TCheckUpdate(UpdateTransport& transport);

  std::string ChkURL = "https://example.org/version.html";  // the page with the marker
  std::string Homepage = "https://example.org/";            // opened when the user wants the update
  std::int32_t Revision = 1;                                // the program's own revision
  std::string ChkStr = "<!--rev";                           // the marker, at most 255 characters

  // A higher revision is published; setting go asks for Homepage to be opened.
  std::function<void(TCheckUpdate& sender, bool& go)> OnFound;
  std::function<void(TCheckUpdate& sender)> OnNotFound;
  // Opens a web page; the window passes the platform shell's. Without it,
  // nothing is opened.
  std::function<void(const std::string& url)> OpenUrl;

  // One check: false when the page cannot be opened (no event fires),
  // otherwise true after OnFound or OnNotFound.
  bool Check();

  // What the last successful check read: nullopt when the page had no marker.
  std::optional<std::int32_t> Published() const { return published_; }

 private:
  UpdateTransport& transport_;
  std::optional<std::int32_t> published_;
};

}  // namespace hw
