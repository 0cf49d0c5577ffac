#include "update/UpdateAddresses.h"

namespace hw {

const char* UpdatePageUrl() { return HW_UPDATE_URL; }
const char* HomepageUrl() { return HW_HOMEPAGE_URL; }

}  // namespace hw
