// The downloader's host turns over the event loop: what reads robots.txt holds
// a host at its first contact, and the transfers kept waiting are woken.
#include "downloader/host_queue.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>

namespace harvel {
namespace {

using namespace std::chrono_literals;
using Kind = HostPacing::Turn::Kind;
using Strings = std::vector<std::string>;

// Runs the event loop until `wakes` has grown past `seen`, for at most 5 s.
bool WokenAfter(const int& wakes, int seen) {
  QDeadlineTimer deadline(5000);
  while (wakes == seen && !deadline.hasExpired())
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
  return wakes > seen;
}

TEST(HostQueue, AHostHeldAtEachCrawlsFirstContactWaitsForItsRelease) {
  HostQueue hosts;
  Strings contacts;
  hosts.setFirstContact([&](const std::string& host, const auto&) {
    contacts.push_back(host);
    hosts.hold(host);
  });
  int wakes = 0;
  hosts.addWaker(&wakes, [&] { ++wakes; });

  EXPECT_EQ(hosts.turn("http://a.example/1.gif", nullptr).kind, Kind::Held);
  EXPECT_EQ(hosts.turn("http://A.example:8080/2.gif", nullptr).kind, Kind::Held);
  EXPECT_EQ(hosts.turn("b.example/3.gif", nullptr).kind, Kind::Held);  // taken for http
  EXPECT_EQ(contacts, (Strings{"a.example", "b.example"}));

  hosts.release("a.example");
  ASSERT_TRUE(WokenAfter(wakes, 0));
  EXPECT_EQ(hosts.turn("http://a.example/1.gif", nullptr).kind, Kind::Now);
  EXPECT_EQ(hosts.turn("http://b.example/3.gif", nullptr).kind, Kind::Held);

  // Another crawl's settings meet the host for the first time again.
  SettingsAnswer answer;
  const auto crawl = ConnectionSetup::Make(SettingsOrder{}, answer);
  EXPECT_EQ(hosts.turn("http://a.example/4.gif", crawl).kind, Kind::Held);
  EXPECT_EQ(contacts, (Strings{"a.example", "b.example", "a.example"}));
  hosts.removeWaker(&wakes);
}

TEST(HostQueue, ATransferKeptWaitingIsWokenWhenItsHostsPauseHasPassed) {
  HostQueue hosts;
  int wakes = 0;
  hosts.addWaker(&wakes, [&] { ++wakes; });
  ASSERT_TRUE(hosts.pause("http://a.example/", 100ms, 1s));
  const auto asked = HostPacing::Clock::now();
  EXPECT_EQ(hosts.turn("http://a.example/1.gif", nullptr).kind, Kind::At);
  EXPECT_EQ(hosts.turn("http://b.example/1.gif", nullptr).kind, Kind::Now);
  // Woken by a timer, not a loop: at most a wake or two, the last one once it has passed.
  while (hosts.turn("http://a.example/1.gif", nullptr).kind != Kind::Now)
    ASSERT_TRUE(WokenAfter(wakes, wakes)) << "no wake";
  EXPECT_GE(HostPacing::Clock::now() - asked, 100ms);
  EXPECT_GE(wakes, 1);
  EXPECT_LE(wakes, 2);
  hosts.removeWaker(&wakes);
}

}  // namespace
}  // namespace harvel
