#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <utility>

#include "PresetTestSupport.h"
#include "plugin/AboutInfo.h"
#include "plugin/UpdateCheckFlow.h"
#include "support/LoopbackHttpServer.h"

namespace kalvo5::test {
namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Plug-ins with an open editor whose checks ask a server on loopback.
class UpdateFlow : public PresetTest {
 protected:
  void SetUp() override {
    PresetTest::SetUp();
    gUpdateCheckDone = false;
    gUpdateAvailable = false;
    Open(*plugin);
  }
  void TearDown() override {
    unsetenv("KALVO5_UPDATE_SERVER");
    PresetTest::TearDown();
    gUpdateCheckDone = false;
    gUpdateAvailable = false;
  }

  static void Open(PresetKalvo5& p) {
    p.editorExists = true;
    p.ShowEditor(true);
  }
  static void UseServer(const LoopbackHttpServer& server) {
    setenv("KALVO5_UPDATE_SERVER", server.BaseAddress().c_str(), 1);
  }

  // Ticks every 10 ms until the plug-in's checks are done; returns the
  // longest tick in seconds.
  static double TickUntilIdle(PresetKalvo5& p, double limitSeconds = 10.0) {
    const auto start = Clock::now();
    double slowest = 0.0;
    do {
      const auto tick = Clock::now();
      p.Tick();
      slowest = std::max(slowest, SecondsSince(tick));
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    } while (p.UpdateChecks().Busy() && SecondsSince(start) < limitSeconds);
    p.Tick();
    return slowest;
  }
};

TEST_F(UpdateFlow, AutomaticCheckRunsOncePerProcess) {
  LoopbackHttpServer server(200, "5.4.0\n");
  UseServer(server);
  TickUntilIdle(*plugin);
  EXPECT_TRUE(gUpdateCheckDone);
  EXPECT_TRUE(gUpdateAvailable);
  EXPECT_EQ(server.RequestCount(), 1);
  EXPECT_EQ(server.LastRequestLine(), "GET /versioncheck?productname=Kalvo5 HTTP/1.1");
  EXPECT_TRUE(plugin->boxes.empty());  // the automatic check shows nothing

  auto second = MakePlugin();
  Open(*second);
  TickUntilIdle(*second);
  EXPECT_EQ(server.RequestCount(), 1);
  EXPECT_TRUE(gUpdateAvailable);
}

TEST_F(UpdateFlow, SwitchedOffOrClosedNoRequestIsMade) {
  LoopbackHttpServer server(200, "5.4.0");
  UseServer(server);
  plugin->ShowEditor(false);
  TickUntilIdle(*plugin);
  plugin->ShowEditor(true);
  plugin->EditorSets(kOnlineUpdateCheck, 0.0);
  TickUntilIdle(*plugin);
  EXPECT_EQ(server.RequestCount(), 0);
  EXPECT_FALSE(gUpdateCheckDone);

  // Switching it on later starts it on the next tick.
  plugin->EditorSets(kOnlineUpdateCheck, 1.0);
  TickUntilIdle(*plugin);
  EXPECT_EQ(server.RequestCount(), 1);
}

TEST_F(UpdateFlow, ManualCheckAnswersEveryReplyInAMessageBox) {
  gUpdateCheckDone = true;
  const struct {
    int status;
    std::string body;
    const char* message;
    bool available;
  } cases[] = {
      {200, "5.3.6", "Plugin is up to date", false},
      {200, "5.4.0\n", "Plugin update is available", true},
      {200, "5.3.5", "Older plugin version available", false},
      {200, "v5.4.0", "Product not found", false},
      {200, "6", "Product not found", false},
      {500, "<html><body><h1>500 Internal Server Error</h1></body></html>", "Product not found", false},
      {404, "Not Found", "Product not found", false},
  };
  for (const auto& c : cases) {
    LoopbackHttpServer server(c.status, c.body);
    UseServer(server);
    gUpdateAvailable = !c.available;
    plugin->boxes.clear();
    plugin->Command(kCmdCheckUpdate);
    TickUntilIdle(*plugin);
    ASSERT_EQ(plugin->boxes.size(), 1u) << c.body;
    EXPECT_EQ(plugin->boxes[0].text, c.message) << c.body;
    EXPECT_EQ(plugin->boxes[0].caption, "Check for update");
    EXPECT_EQ(gUpdateAvailable, c.available) << c.body;
    EXPECT_EQ(server.RequestCount(), 1);
  }

  std::string gone;
  {
    LoopbackHttpServer server(200, "5.4.0");
    gone = server.BaseAddress();
  }
  setenv("KALVO5_UPDATE_SERVER", gone.c_str(), 1);
  plugin->boxes.clear();
  plugin->Command(kCmdCheckUpdate);
  TickUntilIdle(*plugin);
  ASSERT_EQ(plugin->boxes.size(), 1u);
  EXPECT_EQ(plugin->boxes[0].text, "Service not available");
  EXPECT_NE(plugin->UpdateChecks().LastReply().status, 0);
}

TEST_F(UpdateFlow, ASilentServerNeverHoldsATick) {
  gUpdateCheckDone = true;
  LoopbackHttpServer server(200, "5.4.0", LoopbackHttpServer::Behaviour::NeverAnswer);
  UseServer(server);
  plugin->Command(kCmdCheckUpdate);
  double slowest = 0.0;
  for (int i = 0; i < 30; ++i) {
    const auto tick = Clock::now();
    plugin->Tick();
    slowest = std::max(slowest, SecondsSince(tick));
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_TRUE(plugin->UpdateChecks().Busy());
  EXPECT_LT(slowest, 0.05);
  EXPECT_TRUE(plugin->boxes.empty());
  // Closing the plug-in meanwhile does not wait for the server either.
  const auto start = Clock::now();
  plugin.reset();
  EXPECT_LT(SecondsSince(start), 0.05);
}

// A host closes the instance while the server has sent part of its reply and
// then stalls: the close never waits on the network, the abandoned check
// reports nothing, and the next instance runs the automatic check again.
TEST_F(UpdateFlow, ClosingDuringAStalledReplyDoesNotWait) {
  LoopbackHttpServer server(200, "5.4.0" + std::string(4000, ' '),
                            LoopbackHttpServer::Behaviour::StallMidReply);
  UseServer(server);
  for (int round = 0; round < 3; ++round) {
    plugin->Tick();  // starts the automatic check
    ASSERT_TRUE(gUpdateCheckDone);
    const auto waitStart = Clock::now();
    while (server.RequestCount() <= round && SecondsSince(waitStart) < 5.0)
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    // Closed at a different moment of the stalled transfer each time.
    std::this_thread::sleep_for(std::chrono::milliseconds(100 + 300 * round));
    ASSERT_TRUE(plugin->UpdateChecks().Busy());
    const auto start = Clock::now();
    plugin.reset();
    EXPECT_LT(SecondsSince(start), 0.05);
    EXPECT_FALSE(gUpdateCheckDone);
    plugin = MakePlugin();
    Open(*plugin);
  }
  EXPECT_EQ(server.RequestCount(), 3);
  EXPECT_FALSE(gUpdateAvailable);
}

TEST_F(UpdateFlow, ASilentServerEndsAsUnavailableAfterTheTimeOut) {
  LoopbackHttpServer server(200, "5.4.0", LoopbackHttpServer::Behaviour::NeverAnswer);
  UseServer(server);
  UpdateCheckFlow flow;
  flow.SetTimeout(1);
  bool requested = true;
  const auto take = [&requested] { return std::exchange(requested, false); };
  const auto start = Clock::now();
  std::optional<UpdateCheckFlow::Message> message;
  while (!message && SecondsSince(start) < 10.0) {
    message = flow.Tick(false, take);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ASSERT_TRUE(message);
  EXPECT_EQ(message->text, "Service not available");
  EXPECT_FALSE(requested);
  EXPECT_NEAR(SecondsSince(start), 1.0, 1.0);
}

TEST_F(UpdateFlow, AboutBoxShowsTheCurrentContextOncePerRequest) {
  plugin->ShowEditor(false);
  plugin->Command(kCmdAbout);
  plugin->Command(kCmdAbout);
  plugin->Tick();
  EXPECT_TRUE(plugin->boxes.empty());  // waits for the editor to open
  plugin->ShowEditor(true);
  gUpdateCheckDone = true;
  plugin->Tick();
  plugin->Tick();
  ASSERT_EQ(plugin->boxes.size(), 1u);
  EXPECT_EQ(plugin->boxes[0].caption, "About");
  const std::string& text = plugin->boxes[0].text;
  EXPECT_EQ(text, BuildAboutText(GatherAboutFacts(*plugin, *plugin)));
  EXPECT_NE(text.find("\nHost: Unknown\n"), std::string::npos);
  EXPECT_NE(text.find("\nPlugin delay: 0 smp (0.0 ms)\n"), std::string::npos);
  EXPECT_NE(text.find("\nChannels: 6-6 (6-6)\n"), std::string::npos);
  EXPECT_NE(text.find("\nSample Rate: 48000.00 Hz\n"), std::string::npos);

  // Without an editor window the request is not even taken.
  plugin->editorExists = false;
  plugin->Command(kCmdAbout);
  plugin->Tick();
  EXPECT_EQ(plugin->boxes.size(), 1u);
}

TEST_F(UpdateFlow, APendingMessageIsShownOnTheNextTick) {
  gUpdateCheckDone = true;
  plugin->RequestMessageBox("text", "caption");
  plugin->Tick();
  plugin->Tick();
  ASSERT_EQ(plugin->boxes.size(), 1u);
  EXPECT_EQ(plugin->boxes[0].text, "text");
  EXPECT_EQ(plugin->boxes[0].caption, "caption");
}

}  // namespace
}  // namespace kalvo5::test
