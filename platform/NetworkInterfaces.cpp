// The interfaces as getifaddrs lists them.
#include <ifaddrs.h>
#include <net/if.h>

#include <algorithm>

#include "platform/NetworkState.h"

namespace platform {

std::vector<NetworkInterface> ListNetworkInterfaces() {
  std::vector<NetworkInterface> interfaces;
  ifaddrs* list = nullptr;
  if (::getifaddrs(&list) != 0) return interfaces;
  // An interface appears once per address it has (link, IPv4, IPv6), always
  // with the same flags.
  for (const ifaddrs* entry = list; entry; entry = entry->ifa_next) {
    if (!entry->ifa_name) continue;
    const std::string name = entry->ifa_name;
    if (std::any_of(interfaces.begin(), interfaces.end(),
                    [&](const NetworkInterface& known) { return known.name == name; }))
      continue;
    const unsigned flags = entry->ifa_flags;
    interfaces.push_back(
        {name, (flags & IFF_UP) != 0, (flags & IFF_RUNNING) != 0, (flags & IFF_LOOPBACK) != 0});
  }
  ::freeifaddrs(list);
  return interfaces;
}

}  // namespace platform
