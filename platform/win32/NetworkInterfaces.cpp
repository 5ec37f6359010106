// The network adapters as GetAdaptersAddresses lists them.
#include <winsock2.h>
// After winsock2.h, which must come before windows.h.
#include <iphlpapi.h>
#include <windows.h>

#include "platform/NetworkState.h"
#include "platform/TextEncoding.h"

namespace platform {

std::vector<NetworkInterface> ListNetworkInterfaces() {
  std::vector<NetworkInterface> interfaces;
  const ULONG flags = GAA_FLAG_SKIP_UNICAST | GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST |
                      GAA_FLAG_SKIP_DNS_SERVER | GAA_FLAG_SKIP_FRIENDLY_NAME;
  ULONG size = 16 * 1024;
  std::vector<unsigned char> buffer;
  ULONG status = ERROR_BUFFER_OVERFLOW;
  // The list may grow between the two calls: a few tries.
  for (int attempt = 0; attempt < 4 && status == ERROR_BUFFER_OVERFLOW; ++attempt) {
    buffer.resize(size);
    status = GetAdaptersAddresses(AF_UNSPEC, flags, nullptr,
                                  reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()), &size);
  }
  if (status != NO_ERROR) return interfaces;
  for (auto* adapter = reinterpret_cast<const IP_ADAPTER_ADDRESSES*>(buffer.data()); adapter;
       adapter = adapter->Next) {
    const bool up = adapter->OperStatus == IfOperStatusUp;
    interfaces.push_back({adapter->AdapterName ? adapter->AdapterName : "", up, up,
                          adapter->IfType == IF_TYPE_SOFTWARE_LOOPBACK});
  }
  return interfaces;
}

}  // namespace platform
