// test-labels: tsan
// The blocking FIFO and the delayed-command queue built on it.
#include "app/CDataWaitFiFo.h"
#include "common/Clock.h"
#include "app/DelayCommand.h"
#include "app/Logger.h"
#include "QtWait.h"
#include "TempDir.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

// Every run logs into a private data folder.
testsupport::TempHome g_home;  // goes, and cleans up, when the program ends

std::string logText()
{
    return testsupport::readFile(Logger::instance()->fileName().toStdString());
}

struct Item {
    int value;
};

}  // namespace

TEST(DataWaitFiFo, CrossThreadOrderAndWakeUp)
{
    CDataWaitFiFo<int> q;
    constexpr int kCount = 2000;
    std::vector<int> got;
    std::thread consumer([&] {
        while (int(got.size()) < kCount) {
            int v = q.PopData(30000);  // woken by each push, never runs out the time-out
            if (v)
                got.push_back(v);
        }
    });
    std::thread producer([&] {
        for (int i = 1; i <= kCount; ++i)
            q.PushData(i);
    });
    producer.join();
    consumer.join();
    ASSERT_EQ(int(got.size()), kCount);
    for (int i = 0; i < kCount; ++i)
        ASSERT_EQ(got[i], i + 1);
    EXPECT_EQ(q.Size(), 0u);
}

TEST(DataWaitFiFo, EmptyPopsAnswerNothing)
{
    CDataWaitFiFo<Item*> q;
    QElapsedTimer t;
    t.start();
    EXPECT_EQ(q.PopData(0), nullptr);  // no wait at all
    EXPECT_EQ(q.PopData(40), nullptr);
    EXPECT_GE(t.elapsed(), 35);  // the time-out was waited for (lower bound only)

    Item a{1};
    q.PushData(&a);
    EXPECT_EQ(q.Size(), 1u);
    EXPECT_EQ(q.PopData(0), &a);
    EXPECT_EQ(q.PopData(0), nullptr);
}

TEST(DataWaitFiFo, LogsLongQueuesAndEmptyPopsThinnedOut)
{
    CDataWaitFiFo<int> q("fifoA", 30);
    for (int i = 1; i <= 501; ++i)
        q.PushData(i);
    EXPECT_EQ(logText().find("fifoA push more"), std::string::npos);
    for (int i = 502; i <= 700; ++i)
        q.PushData(i);
    std::string log = logText();
    EXPECT_NE(log.find("CDataWaitFiFo<int>::PushData"), std::string::npos);
    EXPECT_NE(log.find("fifoA push more num:600"), std::string::npos);
    EXPECT_NE(log.find("fifoA push more num:700"), std::string::npos);
    EXPECT_EQ(log.find("fifoA push more num:500"), std::string::npos);
    EXPECT_EQ(log.find("fifoA push more num:650"), std::string::npos);

    while (q.Size() > 0)
        q.PopData(0);
    for (int i = 0; i < 29; ++i)
        q.PopData(0);
    EXPECT_EQ(logText().find("fifoA pop null times"), std::string::npos);
    q.PopData(0);
    EXPECT_NE(logText().find("fifoA pop null times:30"), std::string::npos);

    // A pop that gets an element starts the count again.
    q.PushData(5);
    q.PopData(0);
    for (int i = 0; i < 29; ++i)
        q.PopData(0);
    EXPECT_EQ(logText().find("fifoA pop null times:31"), std::string::npos);

    CDataWaitFiFo<Item*> named("fifoB", 10000000);
    for (int i = 0; i < 100; ++i)
        named.PopData(0);
    named.PushData(nullptr);
    named.PopData(0);
    EXPECT_EQ(logText().find("fifoB pop null"), std::string::npos);
}

TEST(DataWaitFiFo, StructElementsNameTheStructInLogs)
{
    CDataWaitFiFo<DelayCommand::TaskInfo*> q("fifoC", 5);
    for (int i = 0; i < 5; ++i)
        q.PopData(0);
    EXPECT_NE(logText().find("CDataWaitFiFo<struct DelayCommand::TaskInfo>::PopData"), std::string::npos);
}

namespace {

// Waits (processing events) until pred holds; false after maxMs.
using testsupport::waitUntil;

struct DelayFixture : ::testing::Test {
    ManualClock clock{1000000};
    std::atomic<qint64> delay{5000};
    DelayCommand dc{clock};
    // The released commands, recorded on this thread through a queued
    // connection, as the room controller receives them.
    struct Released {
        QList<QList<QVariant>> items;
        int count() const { return items.size(); }
        const QList<QVariant>& at(int i) const { return items.at(i); }
    } spy;
    QObject receiver;

    void SetUp() override
    {
        dc.SetDelayProvider([this] { return delay.load(); });
        QObject::connect(&dc, &DelayCommand::sgDelayCommand, &receiver,
                         [this](QVariant cmd, QVariant var) { spy.items.append({cmd, var}); },
                         Qt::QueuedConnection);
    }
    // Lets the worker look at the clock at least twice more.
    void settle()
    {
        quint64 c = dc.Checks();
        ASSERT_TRUE(waitUntil([&] { return dc.Checks() >= c + 2; }));
        QCoreApplication::processEvents();
    }
};

}  // namespace

TEST(DelayCommandRule, RemainingInThirtyTwoBits)
{
    struct Case {
        qint64 time, now, delay;
        int remaining;
    } cases[] = {
        {1000, 1000, 5000, 5000},
        {1000, 5900, 5000, 100},
        {1000, 7000, 0, -6000},
        {0x100000000LL + 10, 0x100000000LL + 10, 0x100000005LL, 5},  // high bits dropped
    };
    for (const Case& c : cases)
        EXPECT_EQ(DelayCommand::Remaining(c.time, c.now, c.delay), c.remaining);
}

TEST_F(DelayFixture, ReleasesAtDueTimeInArrivalOrder)
{
    dc.Start();
    dc.AddTask(101, QVariant(QString("a")));
    clock.advance(1000);
    dc.AddTask(102, QVariant(QString("b")));

    clock.advance(3899);  // first task due in 101 ms: still held
    settle();
    EXPECT_EQ(spy.count(), 0);

    clock.advance(1);  // within 100 ms of arrival + 5000
    ASSERT_TRUE(waitUntil([&] { return spy.count() == 1; }));
    EXPECT_EQ(spy.at(0).at(0).toInt(), 101);
    EXPECT_EQ(spy.at(0).at(1).toString(), "a");
    settle();
    EXPECT_EQ(spy.count(), 1);  // the second one arrived 1000 ms later

    // A grown delay holds the waiting task longer.
    delay = 8000;
    clock.advance(1000);
    settle();
    EXPECT_EQ(spy.count(), 1);
    clock.advance(3000);
    ASSERT_TRUE(waitUntil([&] { return spy.count() == 2; }));
    EXPECT_EQ(spy.at(1).at(0).toInt(), 102);

    // With no delay a command leaves at once.
    delay = 0;
    dc.AddTask(103, QVariant());
    ASSERT_TRUE(waitUntil([&] { return spy.count() == 3; }));
    dc.Stop();
}

TEST_F(DelayFixture, StoppedQueueDropsAndStopsPromptly)
{
    dc.AddTask(1, QVariant());  // not running: dropped
    dc.Start();
    dc.AddTask(2, QVariant());
    dc.AddTask(3, QVariant());
    settle();  // task 2 is being held back, 3 waits behind it

    QElapsedTimer t;
    t.start();
    dc.Stop();
    dc.AddTask(4, QVariant());  // after Stop: dropped
    ASSERT_TRUE(dc.wait(5000));
    EXPECT_LT(t.elapsed(), 5000);
    QCoreApplication::processEvents();
    EXPECT_EQ(spy.count(), 0);  // nothing held back was sent

    // A new run starts empty: nothing of the former one appears.
    delay = 0;
    dc.Start();
    dc.AddTask(5, QVariant());
    ASSERT_TRUE(waitUntil([&] { return spy.count() == 1; }));
    EXPECT_EQ(spy.at(0).at(0).toInt(), 5);
    dc.Stop();
    ASSERT_TRUE(dc.wait(5000));
}

TEST_F(DelayFixture, StopWhileIdleEndsWithoutWaitingForThePopTimeOut)
{
    dc.Start();
    ASSERT_TRUE(waitUntil([&] { return dc.isRunning(); }));
    dc.Stop();  // the worker sits in a one-second pop; Stop wakes it
    ASSERT_TRUE(dc.wait(5000));
    EXPECT_FALSE(dc.IsRunning());
}
