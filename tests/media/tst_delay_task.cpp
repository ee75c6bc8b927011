// test-labels: tsan
// Room media commands held back by the live stream's delay, on a virtual
// clock that moves only when the worker sleeps.
#include "media/DelayTask.h"

#include <QCoreApplication>
#include <QVariantMap>
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include "QtWait.h"

namespace {

struct Released {
    QString cmd;
    qint64 at;
};

class DelayTaskTest : public ::testing::Test {
protected:
    std::atomic<qint64> now{1000000};
    std::atomic<qint64> delay{5000};
    std::atomic<qint64> growAt{0};       // from this virtual time on the delay reads grownDelay
    std::atomic<qint64> grownDelay{0};
    std::mutex lock;
    std::vector<Released> released;  // guarded by lock

    std::unique_ptr<DelayTask> make()
    {
        DelayTask::Clock clock;
        clock.nowMs = [this] { return now.load(); };
        clock.sleepMs = [this](int ms) {
            now += ms;
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        };
        auto task = std::make_unique<DelayTask>(
            [this] { return growAt.load() && now.load() >= growAt.load() ? grownDelay.load() : delay.load(); },
            clock);
        QObject::connect(task.get(), &DelayTask::sgDelayTask, task.get(), [this](QVariant v) {
            std::lock_guard<std::mutex> g(lock);
            released.push_back({v.toMap().value("cmd").toString(), now.load()});
        }, Qt::DirectConnection);
        return task;
    }
    static QVariant command(const char* word) { return QVariantMap{{"cmd", word}}; }
    size_t count()
    {
        std::lock_guard<std::mutex> g(lock);
        return released.size();
    }
};

}  // namespace

TEST_F(DelayTaskTest, CommandsLeaveAfterTheDelayAPauseAtOnceInOrder)
{
    auto task = make();
    const qint64 t = now;
    task->Start();
    task->AddTask(command("play"));
    task->AddTask(command("pause"));  // due at once, but behind the play
    ASSERT_TRUE(testsupport::waitUntil([&] { return count() == 2; }, 10000));
    std::lock_guard<std::mutex> g(lock);
    EXPECT_EQ(released[0].cmd, "play");
    EXPECT_GE(released[0].at, t + 4900);
    EXPECT_LE(released[0].at, t + 5000);
    EXPECT_EQ(released[1].cmd, "pause");
    EXPECT_EQ(released[1].at, released[0].at);
}

TEST_F(DelayTaskTest, AGrowingDelayMovesTheDueTime)
{
    auto task = make();
    const qint64 t = now;
    delay = 2000;
    // The delay grows to 8 s while the item waits: it is read again each step.
    grownDelay = 8000;
    growAt = t + 1000;
    task->Start();
    task->AddTask(command("open"));
    ASSERT_TRUE(testsupport::waitUntil([&] { return count() == 1; }, 10000));
    std::lock_guard<std::mutex> g(lock);
    EXPECT_GE(released[0].at, t + 7900);
    EXPECT_LE(released[0].at, t + 8000);
}

TEST_F(DelayTaskTest, NothingIsQueuedBeforeStartOrAfterStop)
{
    auto task = make();
    task->AddTask(command("play"));  // not running: dropped
    delay = 1000000000;              // what is queued now waits "for ever"
    task->Start();
    task->AddTask(command("play"));
    ASSERT_TRUE(testsupport::waitUntil([&] { return now.load() > 1000000 + 1000; }, 10000));
    task->Stop();
    EXPECT_TRUE(task->wait(5000));
    EXPECT_EQ(count(), 0u);
    task->AddTask(command("play"));  // stopped: dropped

    // A new start runs again with an empty queue.
    delay = 0;
    task->Start();
    task->AddTask(command("close"));
    ASSERT_TRUE(testsupport::waitUntil([&] { return count() == 1; }, 10000));
    std::lock_guard<std::mutex> g(lock);
    EXPECT_EQ(released[0].cmd, "close");
}

TEST_F(DelayTaskTest, StartRightAfterStopWaitsForTheOldWorker)
{
    auto task = make();
    delay = 0;
    for (int i = 0; i < 5; ++i) {
        task->Start();
        task->AddTask(command("play"));
        ASSERT_TRUE(testsupport::waitUntil([&] { return count() == size_t(i + 1); }, 10000));
        task->Stop();
    }
    // Destroyed while running: it stops and waits, nothing leaks or races.
    task->Start();
    delay = 1000000000;
    task->AddTask(command("play"));
    task.reset();
    EXPECT_EQ(count(), 5u);
}
