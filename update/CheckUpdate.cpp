#include "update/CheckUpdate.h"

#include "update/UpdatePage.h"
#include "update/UpdateTransport.h"

namespace hw {

namespace {

std::string TrimBlanks(const std::string& text) {
  const std::size_t begin = text.find_first_not_of(" \t\r\n");
  if (begin == std::string::npos) return {};
  return text.substr(begin, text.find_last_not_of(" \t\r\n") - begin + 1);
}

}  // namespace

TCheckUpdate::TCheckUpdate(UpdateTransport& transport) : transport_(transport) {}

bool TCheckUpdate::Check() {
  std::optional<std::string> page = transport_.Fetch(ChkURL, kUpdatePageBytes);
  if (!page) return false;
  published_ = PublishedRevision(*page, ChkStr);
  if (!published_ || Revision >= *published_) {
    if (OnNotFound) OnNotFound(*this);
    return true;
  }
  bool go = false;
  if (OnFound) OnFound(*this, go);
  const std::string homepage = TrimBlanks(Homepage);
  if (go && !homepage.empty() && OpenUrl) OpenUrl(homepage);
  return true;
}

}  // namespace hw
