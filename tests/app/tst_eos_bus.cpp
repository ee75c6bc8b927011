// The publish/subscribe bus: same-thread delivery inside the publish call,
// delivery across threads in publication order, argument-less slots, and
// the two sides of a topic made at once in two threads wired only once.
#include "app/GEosObserver.h"
#include "QtWait.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

class BusReceiver : public QObject {
    Q_OBJECT
public:
    std::mutex lock;                       // guards got and threads
    std::vector<int> got;                  // first list element of each delivery
    std::vector<QThread*> threads;         // the thread each delivery ran on
    std::atomic<int> bare{0};              // deliveries to the argument-less slot

public slots:
    void onList(const QVariantList& args)
    {
        std::lock_guard<std::mutex> g(lock);
        got.push_back(args.isEmpty() ? -1 : args.first().toInt());
        threads.push_back(QThread::currentThread());
    }
    void onBare() { ++bare; }

public:
    size_t count()
    {
        std::lock_guard<std::mutex> g(lock);
        return got.size();
    }
};

namespace {

using testsupport::waitUntil;

// A thread with an event loop and a receiver living on it.
struct LoopThread {
    QThread thread;
    BusReceiver* receiver = new BusReceiver;
    LoopThread()
    {
        receiver->moveToThread(&thread);
        QObject::connect(&thread, &QThread::finished, receiver, &QObject::deleteLater);
        thread.start();
    }
    ~LoopThread()
    {
        thread.quit();
        thread.wait();
    }
    // Runs f on the thread and waits for it.
    template <typename F>
    void run(F f)
    {
        QMetaObject::invokeMethod(receiver, f, Qt::BlockingQueuedConnection);
    }
};

}  // namespace

TEST(EosBus, SameThreadDeliveryIsSynchronous)
{
    BusReceiver r;
    GEosPublish("t.sync", {0});  // nobody listens yet: nothing delivered, later ones are
    GEosSubscribe("t.sync", &r, SLOT(onList(const QVariantList&)));
    GEosSubscribe("t.sync", &r, SLOT(onBare()));
    GEosPublish("t.sync", {1, "x"});
    ASSERT_EQ(r.count(), 1u);  // before GEosPublish returned
    EXPECT_EQ(r.got[0], 1);
    EXPECT_EQ(r.bare.load(), 1);
    EXPECT_EQ(r.threads[0], QThread::currentThread());

    // A second subscription of the same slot is a second call.
    GEosSubscribe("t.sync", &r, SLOT(onList(const QVariantList&)));
    GEosPublish("t.sync", {2});
    EXPECT_EQ(r.got, (std::vector<int>{1, 2, 2}));

    // Other topics do not leak in.
    GEosPublish("t.other", {9});
    EXPECT_EQ(r.count(), 3u);
}

TEST(EosBus, AcrossThreadsInOrderWhicheverSideComesFirst)
{
    LoopThread sub;
    BusReceiver mainReceiver;
    // The worker subscribes before anyone publishes; the main thread after
    // the worker published once (publisher made first).
    sub.run([&] { GEosSubscribe("t.cross", sub.receiver, SLOT(onList(const QVariantList&))); });

    LoopThread pub;
    pub.run([&] { GEosPublish("t.cross", {0}); });
    GEosSubscribe("t.cross", &mainReceiver, SLOT(onList(const QVariantList&)));

    constexpr int kCount = 500;
    pub.run([&] {
        for (int i = 1; i <= kCount; ++i)
            GEosPublish("t.cross", {i});
    });
    ASSERT_TRUE(waitUntil([&] { return sub.receiver->count() == kCount + 1 && mainReceiver.count() == kCount; }));
    std::vector<int> expectMain;
    for (int i = 1; i <= kCount; ++i)
        expectMain.push_back(i);
    EXPECT_EQ(mainReceiver.got, expectMain);
    expectMain.insert(expectMain.begin(), 0);
    EXPECT_EQ(sub.receiver->got, expectMain);
    for (QThread* t : sub.receiver->threads)
        ASSERT_EQ(t, &sub.thread);  // slots run on the thread that subscribed
    for (QThread* t : mainReceiver.threads)
        ASSERT_EQ(t, QThread::currentThread());

    // The main thread publishes; the worker receives it through its loop.
    GEosPublish("t.cross", {-5});
    ASSERT_TRUE(waitUntil([&] { return sub.receiver->count() == kCount + 2; }));
    EXPECT_EQ(sub.receiver->got.back(), -5);
}

TEST(EosBus, EndedThreadsLeaveTheBus)
{
    BusReceiver r;
    GEosSubscribe("t.ended", &r, SLOT(onBare()));
    for (int round = 0; round < 3; ++round) {
        QThread* t = QThread::create([] { GEosPublish("t.ended", {}); });
        t->start();
        ASSERT_TRUE(t->wait(10000));
        delete t;
    }
    ASSERT_TRUE(waitUntil([&] { return r.bare.load() == 3; }));
    // A topic subscribed anew after those threads ended wires without touching them.
    BusReceiver late;
    GEosSubscribe("t.ended2", &late, SLOT(onBare()));
    GEosPublish("t.ended2", {});
    EXPECT_EQ(late.bare.load(), 1);
}

TEST(EosBus, DispatcherSlotWiresAnArgumentlessSignal)
{
    BusReceiver r;
    GEosSubscribe("t.noargs", &r, SLOT(onList(const QVariantList&)));
    GEosObserverDispatcher* p = GEosObserverScheduler::instance()->GetPublisherDispatcher("t.noargs", true);
    EXPECT_EQ(p, GEosObserverScheduler::instance()->GetPublisherDispatcher("t.noargs", false));
    EXPECT_EQ(GEosObserverScheduler::instance()->GetPublisherDispatcher("t.none", false), nullptr);
    p->emitUpdatedSignalWithoutArgs();
    EXPECT_EQ(r.got, (std::vector<int>{-1}));
}

TEST(EosBus, PublisherAndSubscriberMadeAtOnceAreWiredOnce)
{
    // Two threads make the two sides of a new topic at the same moment;
    // whichever wires second must see the first, and only one of them may
    // connect the pair, so each publication arrives exactly once.
    LoopThread sub;
    for (int round = 0; round < 200; ++round) {
        const QByteArray topic = "t.race." + QByteArray::number(round);
        std::atomic<bool> go{false};
        std::atomic<int> ready{0};
        std::atomic<bool> subscribed{false};
        QMetaObject::invokeMethod(sub.receiver, [&] {
            ++ready;
            while (!go.load())
                std::this_thread::yield();
            GEosSubscribe(topic.constData(), sub.receiver, SLOT(onBare()));
            subscribed = true;
        }, Qt::QueuedConnection);
        std::thread pub([&] {
            ++ready;
            while (!go.load())
                std::this_thread::yield();
            GEosObserverScheduler::instance()->GetPublisherDispatcher(QString::fromLatin1(topic), true);
            // Wait for the other side, then publish once from this thread.
            while (!subscribed.load())
                std::this_thread::yield();
            GEosPublish(topic.constData(), {});
        });
        while (ready.load() < 2)
            std::this_thread::yield();
        sub.receiver->bare = 0;
        go = true;
        pub.join();
        sub.run([] {});  // every delivery posted by the publication has run
        ASSERT_EQ(sub.receiver->bare.load(), 1) << "round " << round;
    }
}

#include "tst_eos_bus.moc"
