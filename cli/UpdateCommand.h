#pragma once
// `hivewarden-cli check-update`: asks the update page whether a newer
// version is published.

#include <iosfwd>
#include <string>

#include "cli/ScanCommand.h"
#include "update/UpdateAddresses.h"

namespace hw {
class TextSource;
class UpdateTransport;
}  // namespace hw

namespace hw::cli {

// kFound with a line naming the published revision and the web page when a
// newer version is published, kNothingFound when not, kError (with message 38
// of texts) when the page cannot be opened, and kError (message 42) when
// neither options nor builtUrl, the page this build was made with, name one.
ExitStatus RunCheckUpdate(const UpdateOptions& options, UpdateTransport& transport,
                          const TextSource& texts, std::ostream& out, std::ostream& err,
                          const std::string& builtUrl = UpdatePageUrl());

}  // namespace hw::cli
