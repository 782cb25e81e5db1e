#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/clock.h"
#include "testing/virtual_event_loop.h"

namespace tidora {
namespace {

TEST(VirtualEventLoop, TimersRepeatUntilKilledAndSleepOfPollerLetsWindowRun) {
  VirtualEventLoop loop;
  std::vector<std::pair<int, int64_t>> fired;
  loop.SetTimerHandler([&](int id) {
    fired.push_back({id, loop.NowMs()});
    if (fired.size() == 3) loop.KillTimer(id);
  });
  loop.SetTimer(7, 200);
  loop.RunFor(60000);
  ASSERT_EQ(fired.size(), 3u);
  EXPECT_EQ(fired[0].second, 200);
  EXPECT_EQ(fired[2].second, 600);
  EXPECT_EQ(loop.NowMs(), 60000);

  // A poller that sleeps 1 s: a window timer due meanwhile runs inside that sleep.
  fired.clear();
  int64_t start = loop.NowMs();
  int rounds = 0;
  loop.StartPoller(
      [&] {
        if (++rounds == 1) loop.clock().SleepMs(1000);
      },
      20);
  loop.SetTimer(9, 300);
  loop.RunFor(350);
  ASSERT_FALSE(fired.empty());
  EXPECT_EQ(fired[0].first, 9);
  EXPECT_EQ(fired[0].second, start + 300);
}

TEST(VirtualEventLoop, WindowSleepBlocksThePollerAndCalendarFollowsVirtualTime) {
  VirtualEventLoop loop(1000);
  std::vector<int64_t> polls;
  loop.StartPoller([&] { polls.push_back(loop.NowMs()); }, 20);
  loop.Post([&] { loop.clock().SleepMs(500); });
  loop.RunFor(560);
  ASSERT_GE(polls.size(), 2u);
  EXPECT_EQ(polls[0], 500);  // the posted call ran first and held the poller back
  EXPECT_EQ(polls[1], 520);
  EXPECT_EQ(loop.clock().CalendarSeconds(), 1000);
  loop.RunFor(1000);
  EXPECT_EQ(loop.clock().CalendarSeconds(), 1001);
}

TEST(ThreadedEventLoop, SendFromAnotherThreadRunsOnTheLoopAndWaits) {
  ThreadedEventLoop loop;
  std::atomic<int> value{0};
  std::thread::id runner;
  std::thread t([&] {
    loop.Send([&] {
      runner = std::this_thread::get_id();
      value = 1;
    });
    EXPECT_EQ(value.load(), 1);
    loop.Quit();
  });
  loop.Run();
  t.join();
  EXPECT_EQ(runner, std::this_thread::get_id());

  int timerCount = 0;
  loop.SetTimerHandler([&](int) {
    if (++timerCount == 2) loop.Quit();
  });
  loop.SetTimer(1, 5);
  loop.Run();
  EXPECT_EQ(timerCount, 2);
}

}  // namespace
}  // namespace tidora
