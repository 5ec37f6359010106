#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>

#include "plugin/UpdateCheck.h"
#include "plugin/UpdateCheckTask.h"
#include "support/LoopbackHttpServer.h"

namespace kalvo5 {
namespace {

using Result = VersionCheckResult;
using test::LoopbackHttpServer;

Result Classify(const std::string& reply) { return ClassifyServerReply(reply.data(), reply.size()); }

TEST(UpdateCheck, RepliesAreClassifiedAgainstOurVersion) {
  EXPECT_EQ(Classify("5.3.6"), Result::UpToDate);
  EXPECT_EQ(Classify("5.4.0\n"), Result::UpdateAvailable);
  EXPECT_EQ(Classify("5.3.5"), Result::OlderAvailable);
  EXPECT_EQ(Classify("6.0.0 released"), Result::UpdateAvailable);
  EXPECT_EQ(Classify("v5.4.0"), Result::NotAVersion);
  EXPECT_EQ(Classify("6"), Result::NotAVersion);
  EXPECT_EQ(Classify("5.4"), Result::NotAVersion);
  EXPECT_EQ(Classify(""), Result::NotAVersion);
  EXPECT_EQ(Classify("<html><body>Bad Gateway</body></html>"), Result::NotAVersion);
  // Integers are read as "%d" reads them: leading blanks and signs allowed.
  EXPECT_EQ(Classify(" 5.3.6"), Result::UpToDate);
  EXPECT_EQ(Classify("5. 3.+6"), Result::UpToDate);
  EXPECT_EQ(Classify("-5.3.6"), Result::OlderAvailable);
}

TEST(UpdateCheck, PartsSpillOverAndHugeNumbersDoNotOverflow) {
  EXPECT_EQ(VersionNumber(1, 100, 0), VersionNumber(2, 0, 0));
  EXPECT_EQ(Classify("5.2.106"), Result::UpToDate);
  EXPECT_EQ(Classify("99999999999999999999.0.0"), Result::UpdateAvailable);
  EXPECT_EQ(Classify("2147483647.2147483647.2147483647"), Result::UpdateAvailable);
  EXPECT_EQ(Classify("-99999999999999999999.0.0"), Result::OlderAvailable);
}

TEST(UpdateCheck, ReplyNeedsNoTerminator) {
  const char reply[5] = {'5', '.', '3', '.', '6'};
  EXPECT_EQ(ClassifyServerReply(reply, sizeof reply), Result::UpToDate);
  EXPECT_EQ(ClassifyServerReply(reply, 4), Result::NotAVersion);  // "5.3."
}

TEST(UpdateCheck, AddressComesFromTheEnvironmentWhenSet) {
  ::setenv("KALVO5_UPDATE_SERVER", "http://127.0.0.1:9/", 1);
  EXPECT_EQ(VersionCheckAddress("Kalvo5"), "http://127.0.0.1:9/versioncheck?productname=Kalvo5");
  ::unsetenv("KALVO5_UPDATE_SERVER");
  const std::string built = VersionCheckAddress("Kalvo5");
  EXPECT_NE(built.find("/versioncheck?productname=Kalvo5"), std::string::npos);
  EXPECT_EQ(built.rfind("http", 0), 0u);
}

TEST(UpdateCheck, ManualCheckMessages) {
  EXPECT_STREQ(UpdateCheckMessage(Result::TransferFailed), "Service not available");
  EXPECT_STREQ(UpdateCheckMessage(Result::NotAVersion), "Product not found");
  EXPECT_STREQ(UpdateCheckMessage(Result::UpToDate), "Plugin is up to date");
  EXPECT_STREQ(UpdateCheckMessage(Result::UpdateAvailable), "Plugin update is available");
  EXPECT_STREQ(UpdateCheckMessage(Result::OlderAvailable), "Older plugin version available");
  EXPECT_STREQ(UpdateCheckMessage(Result::NoHandle), "Unknown");
}

Result Ask(LoopbackHttpServer& server, VersionReply& reply) {
  return QueryServerVersion(server.BaseAddress() + "/versioncheck?productname=Kalvo5", reply, 10);
}

TEST(UpdateCheck, RealServerRepliesOverLoopback) {
  const struct {
    int status;
    const char* body;
    Result expected;
  } cases[] = {
      {200, "5.3.6", Result::UpToDate},
      {200, "5.4.0\n", Result::UpdateAvailable},
      {200, "5.3.5", Result::OlderAvailable},
      {200, "v5.4.0", Result::NotAVersion},
      {200, "6", Result::NotAVersion},
      {500, "<!DOCTYPE html><html><body><h1>Internal error</h1></body></html>", Result::NotAVersion},
      {404, "Not Found", Result::NotAVersion},
      // Only a 200 reply carries the version, whatever another one's body says.
      {404, "9.9.9", Result::NotAVersion},
      {500, "9.9.9", Result::NotAVersion},
      {302, "9.9.9", Result::NotAVersion},
  };
  for (const auto& c : cases) {
    LoopbackHttpServer server(c.status, c.body);
    VersionReply reply;
    EXPECT_EQ(Ask(server, reply), c.expected) << c.status << " " << c.body;
    // An HTTP error page is a completed transfer, not a transport error.
    EXPECT_EQ(reply.status, 0);
    EXPECT_EQ(reply.text, "No error");
    EXPECT_EQ(server.LastRequestLine(), "GET /versioncheck?productname=Kalvo5 HTTP/1.1");
  }
}

TEST(UpdateCheck, LongRepliesAreCappedAndStillClassified) {
  LoopbackHttpServer server(200, "5.4.0" + std::string(200000, 'x'));
  VersionReply reply;
  EXPECT_EQ(Ask(server, reply), Result::UpdateAvailable);
}

TEST(UpdateCheck, RefusedConnectionIsATransferFailure) {
  std::string address;
  {
    LoopbackHttpServer gone(200, "5.3.6");
    address = gone.BaseAddress();
  }
  VersionReply reply;
  EXPECT_EQ(QueryServerVersion(address + "/versioncheck?productname=Kalvo5", reply, 10),
            Result::TransferFailed);
  EXPECT_NE(reply.status, 0);
  EXPECT_FALSE(reply.text.empty());
}

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

TEST(UpdateCheckTask, SilentServerNeverBlocksTheAskingThread) {
  LoopbackHttpServer server(200, "5.4.0", LoopbackHttpServer::Behaviour::NeverAnswer);
  UpdateCheckTask task;
  const auto start = Clock::now();
  ASSERT_TRUE(task.Start(server.BaseAddress() + "/versioncheck?productname=Kalvo5", 2));
  EXPECT_FALSE(task.Start("http://127.0.0.1:9/", 2));  // one check at a time

  // Ticks every 20 ms poll without waiting, until the overall time-out ends it.
  Result result = Result::NoHandle;
  VersionReply reply;
  int ticks = 0;
  double slowestTick = 0.0;
  while (SecondsSince(start) < 10.0) {
    const auto tick = Clock::now();
    const bool done = task.TakeResult(result, reply);
    slowestTick = std::max(slowestTick, SecondsSince(tick));
    if (done) break;
    ++ticks;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_EQ(result, Result::TransferFailed);
  EXPECT_EQ(reply.status, 28);  // operation timed out
  EXPECT_GT(ticks, 20);
  EXPECT_LT(slowestTick, 0.05);
  EXPECT_NEAR(SecondsSince(start), 2.0, 1.0);
  EXPECT_FALSE(task.Busy());
}

TEST(UpdateCheckTask, ClosingDuringASilentTransferReturnsAtOnce) {
  LoopbackHttpServer server(200, "5.4.0", LoopbackHttpServer::Behaviour::NeverAnswer);
  auto task = std::make_unique<UpdateCheckTask>();
  task->Start(server.BaseAddress() + "/versioncheck?productname=Kalvo5", 60);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  const auto start = Clock::now();
  task.reset();
  EXPECT_LT(SecondsSince(start), 0.05);
}

// A transfer stalled in the middle of the reply ends soon after it is
// cancelled, so a check left behind by a closed instance lets its
// connection go at once.
TEST(UpdateCheck, ACancelledTransferEndsPromptly) {
  LoopbackHttpServer server(200, "5.4.0" + std::string(4000, ' '),
                            LoopbackHttpServer::Behaviour::StallMidReply);
  std::atomic<bool> cancel{false};
  VersionReply reply;
  Result result = Result::NoHandle;
  Clock::time_point ended;
  std::thread transfer([&] {
    result =
        QueryServerVersion(server.BaseAddress() + "/versioncheck?productname=Kalvo5", reply, 30, &cancel);
    ended = Clock::now();
  });
  const auto asked = Clock::now();
  while (server.RequestCount() == 0 && SecondsSince(asked) < 5.0)
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  const auto cancelled = Clock::now();
  cancel = true;
  transfer.join();
  EXPECT_LT(std::chrono::duration<double>(ended - cancelled).count(), 0.1);
  EXPECT_EQ(result, Result::TransferFailed);
  EXPECT_EQ(reply.status, 42);  // aborted
}

TEST(UpdateCheckTask, ResultIsHandedOverOnce) {
  LoopbackHttpServer server(200, "5.3.6");
  UpdateCheckTask task;
  ASSERT_TRUE(task.Start(server.BaseAddress() + "/versioncheck?productname=Kalvo5", 10));
  Result result = Result::NoHandle;
  VersionReply reply;
  const auto start = Clock::now();
  while (!task.TakeResult(result, reply) && SecondsSince(start) < 10.0)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_EQ(result, Result::UpToDate);
  EXPECT_FALSE(task.TakeResult(result, reply));
  EXPECT_TRUE(task.Start(server.BaseAddress() + "/versioncheck?productname=Kalvo5", 10));
}

}  // namespace
}  // namespace kalvo5
