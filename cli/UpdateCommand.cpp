#include "cli/UpdateCommand.h"

#include <ostream>

#include "lang/TextSource.h"
#include "update/CheckUpdate.h"
#include "update/UpdateAddresses.h"
#include "update/UpdatePage.h"

namespace hw::cli {

namespace {

constexpr int kMessageNoUpdate = 37;
constexpr int kMessageUnreachable = 38;
constexpr int kMessageNoUpdateAddress = 42;

}  // namespace

ExitStatus RunCheckUpdate(const UpdateOptions& options, UpdateTransport& transport,
                          const TextSource& texts, std::ostream& out, std::ostream& err,
                          const std::string& builtUrl) {
  TCheckUpdate check(transport);
  check.ChkURL = options.url.empty() ? builtUrl : options.url;
  if (check.ChkURL.empty()) {
    err << "hivewarden-cli: " << texts.GetMessage(kMessageNoUpdateAddress)
        << " (this build was made without -DHW_UPDATE_URL; --url names a page)\n";
    return kError;
  }
  check.Homepage = HomepageUrl();
  check.ChkStr = kUpdateMarker;
  check.Revision = ProgramRevision();
  ExitStatus status = kNothingFound;
  // The window asks whether to open the page (message 36); here it is only named.
  check.OnFound = [&](TCheckUpdate& sender, bool&) {
    out << "Revision " << sender.Published().value_or(0) << " is published (this is revision "
        << sender.Revision << "): " << sender.Homepage << "\n";
    status = kFound;
  };
  check.OnNotFound = [&](TCheckUpdate&) { out << texts.GetMessage(kMessageNoUpdate) << "\n"; };
  if (!check.Check()) {
    err << "hivewarden-cli: " << texts.GetMessage(kMessageUnreachable) << " (" << check.ChkURL
        << ")\n";
    return kError;
  }
  return status;
}

}  // namespace hw::cli
