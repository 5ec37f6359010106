#include <gtest/gtest.h>

#include <algorithm>

#include "platform/NetworkState.h"

namespace platform::test {
namespace {

TEST(NetworkState, OnlyANonLoopbackInterfaceThatIsUpAndRunningConnects) {
  const NetworkInterface loopback{"lo", true, true, true};
  const NetworkInterface cableOut{"eth0", true, false, false};
  const NetworkInterface switchedOff{"wlan0", false, true, false};
  const NetworkInterface connected{"eth1", true, true, false};
  EXPECT_FALSE(AnyInterfaceConnects({}));
  EXPECT_FALSE(AnyInterfaceConnects({loopback, cableOut, switchedOff}));
  EXPECT_TRUE(AnyInterfaceConnects({loopback, cableOut, connected}));
}

TEST(NetworkState, TheSystemsLoopbackIsListedOnceAsLoopback) {
  const std::vector<NetworkInterface> interfaces = ListNetworkInterfaces();
  const auto count = std::count_if(interfaces.begin(), interfaces.end(),
                                   [](const NetworkInterface& candidate) { return candidate.name == "lo"; });
  if (count == 0) GTEST_SKIP() << "no interface named lo here";
  EXPECT_EQ(count, 1);
  const auto lo = std::find_if(interfaces.begin(), interfaces.end(),
                               [](const NetworkInterface& candidate) { return candidate.name == "lo"; });
  EXPECT_TRUE(lo->loopback);
  EXPECT_EQ(InternetConnected(), AnyInterfaceConnects(interfaces));
}

}  // namespace
}  // namespace platform::test
