#include "update/UpdateTransport.h"

#ifdef _WIN32
#include "update/WinInetTransport.h"
#endif

namespace hw {

std::unique_ptr<UpdateTransport> MakeWebTransport() {
#ifdef _WIN32
  return std::make_unique<WinInetTransport>();
#else
  return std::make_unique<CurlTransport>();
#endif
}

}  // namespace hw
