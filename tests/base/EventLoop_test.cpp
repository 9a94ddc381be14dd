#include "base/EventLoop.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <thread>
#include <vector>

namespace tusko {
namespace {

using namespace std::chrono_literals;

constexpr auto kGenerousLimit = 5000ms;

TEST(EventLoop, PostedTasksFromOtherThreadsRunOnTheLoopInOrder) {
  EventLoop loop;
  std::vector<int> seen;
  const auto loopThread = std::this_thread::get_id();
  bool allOnLoopThread = true;
  std::thread poster([&] {
    for (int i = 0; i < 100; ++i) {
      loop.Post([&, i] {
        allOnLoopThread = allOnLoopThread && std::this_thread::get_id() == loopThread;
        seen.push_back(i);
      });
    }
  });
  EXPECT_TRUE(loop.RunUntil([&] { return seen.size() == 100; }, kGenerousLimit));
  poster.join();
  EXPECT_TRUE(allOnLoopThread);
  for (int i = 0; i < 100; ++i) EXPECT_EQ(seen[i], i);
}

TEST(EventLoop, CancelledTimersNeverFireAndRepeatingTimersRepeat) {
  EventLoop loop;
  int cancelledFired = 0, repeats = 0;
  loop.CancelTimer(loop.StartTimer(1ms, [&] { ++cancelledFired; }));
  EventLoop::TimerId second = 0;
  loop.StartTimer(0ms, [&] { loop.CancelTimer(second); });  // a callback cancels a timer already due
  second = loop.StartTimer(0ms, [&] { ++cancelledFired; });
  const auto repeating = loop.StartTimer(1ms, [&] { ++repeats; }, true);
  EXPECT_TRUE(loop.RunUntil([&] { return repeats >= 3; }, kGenerousLimit));
  loop.CancelTimer(repeating);
  EXPECT_EQ(cancelledFired, 0);
}

TEST(EventLoop, ReadableDescriptorWakesItsWatcherAndQuitEndsRun) {
  EventLoop loop;
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  char received = 0;
  loop.WatchReadable(fds[0], [&] { ASSERT_EQ(read(fds[0], &received, 1), 1); });
  std::thread writer([&] { ASSERT_EQ(write(fds[1], "x", 1), 1); });
  EXPECT_TRUE(loop.RunUntil([&] { return received == 'x'; }, kGenerousLimit));
  writer.join();
  loop.Unwatch(fds[0]);
  close(fds[0]);
  close(fds[1]);
  std::thread quitter([&] { loop.Quit(7); });
  EXPECT_EQ(loop.Run(), 7);
  quitter.join();
}

}  // namespace
}  // namespace tusko
