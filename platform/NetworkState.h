// Whether the computer is connected to a network.
#pragma once

#include <string>
#include <vector>

namespace platform {

struct NetworkInterface {
  std::string name;
  bool up = false;        // switched on
  bool running = false;   // has a carrier / link
  bool loopback = false;  // talks only to this computer
};

// The network interfaces of the computer, one entry each. Empty when they
// cannot be listed.
std::vector<NetworkInterface> ListNetworkInterfaces();

// The rule: some interface that is not a loopback is up and running.
bool AnyInterfaceConnects(const std::vector<NetworkInterface>& interfaces);

// AnyInterfaceConnects over the computer's interfaces. Cheap enough to ask
// on a user's click; no packet is sent.
bool InternetConnected();

}  // namespace platform
