#include "platform/NetworkState.h"

#include <algorithm>

namespace platform {

bool AnyInterfaceConnects(const std::vector<NetworkInterface>& interfaces) {
  return std::any_of(interfaces.begin(), interfaces.end(), [](const NetworkInterface& candidate) {
    return candidate.up && candidate.running && !candidate.loopback;
  });
}

bool InternetConnected() { return AnyInterfaceConnects(ListNetworkInterfaces()); }

}  // namespace platform
