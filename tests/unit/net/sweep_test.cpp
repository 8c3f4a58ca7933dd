// Many servers measured at once: the loopback answers, a silent host does not, a name that
// cannot be looked up gets nothing sent, and a connect stands in beside the echo.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "net/NetSpeedSweep.h"
#include "tests/unit/net/LoopbackServer.h"

TEST(SweepLive, EveryServerGetsItsEchoesAndTheConnectsStandBeside) {
  const char* silent = std::getenv("VPN_SILENT_HOST");
  ASSERT_NE(silent, nullptr) << "needs VPN_SILENT_HOST (tests/unit/net/silent-host.sh, via ctest)";
  // A port that takes connections (nobody accepts them: the system's queue does) and one
  // on which nothing listens.
  LoopbackServer listening([](PeerSocket&) {}, 8, false);
  const int closed = LoopbackServer::ClosedPort();
  TNetSpeedSweep sweep;
  const std::vector<TSweepTarget> targets = {{"127.0.0.1", listening.Port()},
                                             {"LocalHost", 0},
                                             {silent, 0},
                                             {std::string(40, 'q') + ".invalid", 1723},
                                             {"127.0.0.1", closed}};
  const auto outcomes = sweep.Run(targets, {.Echoes = 3, .TimeoutMs = 500, .SpacingMs = 10});
  ASSERT_EQ(outcomes.size(), targets.size());
  for (size_t i : {0u, 1u, 4u}) {
    EXPECT_TRUE(outcomes[i].Resolved) << i;
    EXPECT_EQ(outcomes[i].Sent, 3) << i;
    EXPECT_EQ(outcomes[i].Answered, 3) << i;
    EXPECT_GE(outcomes[i].BestEchoMs, 0) << i;
    EXPECT_LE(outcomes[i].BestEchoMs * 3, outcomes[i].EchoTotalMs + 1e-9) << i;
  }
  EXPECT_GE(outcomes[0].TcpMs, 0) << "the connect to the listening port";
  EXPECT_LT(outcomes[4].TcpMs, 0) << "a refused connect measured as a round trip";
  EXPECT_LT(outcomes[1].TcpMs, 0);
  EXPECT_TRUE(outcomes[2].Resolved);
  EXPECT_EQ(outcomes[2].Sent, 3);
  EXPECT_EQ(outcomes[2].Answered, 0);
  EXPECT_LT(outcomes[2].BestEchoMs, 0);
  EXPECT_FALSE(outcomes[3].Resolved);
  EXPECT_EQ(outcomes[3].Sent, 0);
  EXPECT_LT(outcomes[3].TcpMs, 0);
  EXPECT_FALSE(sweep.EchoUnavailable());
}

TEST(SweepLive, AnAbortEndsTheWaitForASilentHostEarly) {
  const char* silent = std::getenv("VPN_SILENT_HOST");
  ASSERT_NE(silent, nullptr) << "needs VPN_SILENT_HOST (tests/unit/net/silent-host.sh, via ctest)";
  std::atomic<bool> abort{false};
  std::thread stopper([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    abort = true;
  });
  TNetSpeedSweep sweep;
  const auto start = std::chrono::steady_clock::now();
  // Without the abort this would wait ten minutes.
  const auto outcomes = sweep.Run({{silent, 0}}, {.Echoes = 2, .TimeoutMs = 600000}, &abort);
  const auto waited = std::chrono::steady_clock::now() - start;
  stopper.join();
  EXPECT_LT(waited, std::chrono::seconds(60));
  ASSERT_EQ(outcomes.size(), 1u);
  EXPECT_EQ(outcomes[0].Answered, 0);
}
