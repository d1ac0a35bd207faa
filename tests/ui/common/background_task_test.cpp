// Work off the window's thread: results arrive on the window's thread, a cancelled or replaced
// job never delivers, and an object destroyed while its job runs stops it and waits.
#include <gtest/gtest.h>

#include <QTest>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "ui/common/background_task.hpp"

namespace spot {
namespace {

/// A job that runs until it is stopped, then returns `value` (delivered only if not cancelled).
BackgroundTask::Work untilStopped(std::atomic<int>& stopsSeen, int value, int& delivered) {
  return [&stopsSeen, value, &delivered](const std::atomic<bool>& stop) {
    while (!stop.load())
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ++stopsSeen;
    return std::function<void()>([value, &delivered] { delivered = value; });
  };
}

TEST(BackgroundTask, DeliversOnTheWindowThreadAndDropsWhatWasCancelledOrReplaced) {
  BackgroundTask task;
  QList<bool> states;
  QObject::connect(&task, &BackgroundTask::runningChanged, [&states](bool on) { states << on; });
  int delivered = 0;
  std::thread::id deliveredOn;

  task.start([&](const std::atomic<bool>&) {
    return std::function<void()>([&] {
      delivered = 1;
      deliveredOn = std::this_thread::get_id();
    });
  });
  EXPECT_TRUE(task.isRunning());
  EXPECT_EQ(delivered, 0); // never before the event loop runs
  ASSERT_TRUE(QTest::qWaitFor([&] { return delivered == 1; }, 5000));
  EXPECT_EQ(deliveredOn, std::this_thread::get_id());
  EXPECT_FALSE(task.isRunning());
  EXPECT_EQ(states, (QList<bool>{true, false}));

  // A job replaced by another is stopped and its result dropped; only the second delivers.
  std::atomic<int> stopsSeen{0};
  task.start(untilStopped(stopsSeen, 2, delivered));
  task.start([](const std::atomic<bool>&) { return std::function<void()>(); });
  EXPECT_EQ(stopsSeen.load(), 1); // the first thread was stopped and waited for
  QTest::qWait(20);
  EXPECT_EQ(delivered, 1);

  // A cancelled job: the window does not wait, and the result never comes.
  task.start(untilStopped(stopsSeen, 3, delivered));
  task.cancel();
  EXPECT_FALSE(task.isRunning());
  ASSERT_TRUE(QTest::qWaitFor([&] { return stopsSeen.load() == 2; }, 5000));
  QTest::qWait(20);
  EXPECT_EQ(delivered, 1);

  // A failing job says why and delivers nothing.
  QString why;
  QObject::connect(&task, &BackgroundTask::failed, [&why](const QString& w) { why = w; });
  task.start([](const std::atomic<bool>&) -> std::function<void()> {
    throw std::runtime_error("no memory left");
  });
  ASSERT_TRUE(QTest::qWaitFor([&] { return !why.isEmpty(); }, 5000));
  EXPECT_EQ(why, QStringLiteral("no memory left"));
  EXPECT_FALSE(task.isRunning());
}

TEST(BackgroundTask, DestroyedWhileRunningStopsTheJobAndWaitsForIt) {
  std::atomic<int> stopsSeen{0};
  int delivered = 0;
  {
    BackgroundTask task;
    task.start(untilStopped(stopsSeen, 4, delivered));
  }
  EXPECT_EQ(stopsSeen.load(), 1);
  QTest::qWait(20); // a result posted by the last moments of the thread goes nowhere
  EXPECT_EQ(delivered, 0);
}

} // namespace
} // namespace spot
