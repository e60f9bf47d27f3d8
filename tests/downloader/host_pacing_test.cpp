#include "downloader/host_pacing.h"

#include <gtest/gtest.h>

namespace harvel {
namespace {

using namespace std::chrono_literals;
using Kind = HostPacing::Turn::Kind;

// A clock the test moves by hand, and a spread it sets.
struct FakeTime {
  HostPacing::Clock::time_point now{std::chrono::hours(1)};
  double spread = 1.0;
  HostPacing pacing{[this] { return now; }, [this] { return spread; }};
};

TEST(HostPacing, TheBuiltInMannersNeverHoldATransferBack) {
  FakeTime time;
  for (int i = 0; i < 20; ++i) {
    EXPECT_EQ(time.pacing.turn("a.example", {}).kind, Kind::Now);
    time.pacing.started("a.example");
  }
  EXPECT_EQ(time.pacing.running("a.example"), 20);
}

TEST(HostPacing, HostJobsBoundTheTransfersAtOnceToOneHostOnly) {
  FakeTime time;
  const HostManners two{2, 0ms, false};
  time.pacing.started("a.example");
  time.pacing.started("a.example");
  EXPECT_EQ(time.pacing.turn("a.example", two).kind, Kind::AfterAnEnd);
  EXPECT_EQ(time.pacing.turn("b.example", two).kind, Kind::Now);
  time.pacing.ended("a.example");
  EXPECT_EQ(time.pacing.turn("a.example", two).kind, Kind::Now);
}

TEST(HostPacing, TheWaitRunsFromTheLastStartAndARandomWaitIsSpread) {
  FakeTime time;
  const HostManners wait{0, 2000ms, false};
  EXPECT_EQ(time.pacing.turn("a.example", wait).kind, Kind::Now);  // the first one goes at once
  time.pacing.started("a.example");
  time.pacing.ended("a.example");
  HostPacing::Turn turn = time.pacing.turn("a.example", wait);
  EXPECT_EQ(turn.kind, Kind::At);
  EXPECT_EQ(turn.at, time.now + 2s);
  EXPECT_EQ(time.pacing.turn("b.example", wait).kind, Kind::Now);
  time.now += 2s;
  EXPECT_EQ(time.pacing.turn("a.example", wait).kind, Kind::Now);

  time.spread = 0.5;
  time.pacing.started("a.example");
  EXPECT_EQ(time.pacing.turn("a.example", {0, 2000ms, true}).at, time.now + 1s);
  time.spread = 1.5;
  time.pacing.started("a.example");
  EXPECT_EQ(time.pacing.turn("a.example", {0, 2000ms, true}).at, time.now + 3s);
  // Without random-wait the drawn spread is not used.
  EXPECT_EQ(time.pacing.turn("a.example", wait).at, time.now + 2s);
}

TEST(HostPacing, AServersPauseHoldsItsHostAndOneBeyondTheBoundRefusesIt) {
  FakeTime time;
  EXPECT_TRUE(time.pacing.pause("a.example", 3s, 600s));
  EXPECT_EQ(time.pacing.turn("a.example", {}).kind, Kind::At);
  EXPECT_EQ(time.pacing.turn("a.example", {}).at, time.now + 3s);
  EXPECT_EQ(time.pacing.turn("b.example", {}).kind, Kind::Now);
  // A shorter pause asked later does not shorten it.
  EXPECT_TRUE(time.pacing.pause("a.example", 1s, 600s));
  EXPECT_EQ(time.pacing.turn("a.example", {}).at, time.now + 3s);
  time.now += 3s;
  EXPECT_EQ(time.pacing.turn("a.example", {}).kind, Kind::Now);

  EXPECT_FALSE(time.pacing.pause("a.example", 1000000s, 600s));
  time.now += 10s;
  const HostPacing::Turn refused = time.pacing.turn("a.example", {});
  EXPECT_EQ(refused.kind, Kind::Refused);
  EXPECT_EQ(refused.asked, 1000000s);
  EXPECT_EQ(refused.left, 999990s);
  time.now += 999990s;
  EXPECT_EQ(time.pacing.turn("a.example", {}).kind, Kind::Now);
}

TEST(HostPacing, AHeldHostWaitsForEveryReleaseAndARaisedWaitIsTheLeastForAll) {
  FakeTime time;
  time.pacing.hold("a.example");
  time.pacing.hold("a.example");
  EXPECT_EQ(time.pacing.turn("a.example", {}).kind, Kind::Held);
  time.pacing.release("a.example");
  EXPECT_EQ(time.pacing.turn("a.example", {}).kind, Kind::Held);
  time.pacing.release("a.example");
  EXPECT_EQ(time.pacing.turn("a.example", {}).kind, Kind::Now);

  time.pacing.raiseWait("a.example", 5s);
  time.pacing.raiseWait("a.example", 1s);  // never lowered
  time.pacing.started("a.example");
  EXPECT_EQ(time.pacing.turn("a.example", {}).at, time.now + 5s);
  EXPECT_EQ(time.pacing.turn("a.example", {0, 8000ms, false}).at, time.now + 8s);
}

}  // namespace
}  // namespace harvel
