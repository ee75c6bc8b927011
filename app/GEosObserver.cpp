#include "app/GEosObserver.h"

#include <QDebug>
#include <QGlobalStatic>
#include <QSharedPointer>
#include <QThreadStorage>

#include <algorithm>
#include <vector>

namespace {

// Every living scheduler, in any thread.
struct Registry {
    std::mutex lock;                        // guards schedulers; always taken before a scheduler's map lock
    std::vector<GEosObserverScheduler*> schedulers;  // guarded by lock
};

Q_GLOBAL_STATIC(Registry, g_registry)

// The calling thread's scheduler; freed by Qt when the thread ends.
QThreadStorage<QSharedPointer<GEosObserverScheduler>> g_perThread;

}  // namespace

GEosObserverScheduler::GEosObserverScheduler()
{
    if (Registry* r = g_registry()) {
        std::lock_guard<std::mutex> g(r->lock);
        r->schedulers.push_back(this);
    }
}

GEosObserverScheduler::~GEosObserverScheduler()
{
    if (!g_registry.isDestroyed()) {
        Registry* r = g_registry();
        std::lock_guard<std::mutex> g(r->lock);
        r->schedulers.erase(std::remove(r->schedulers.begin(), r->schedulers.end(), this), r->schedulers.end());
    }
    {
        std::lock_guard<std::mutex> g(publisherLock);
        publishers.clear();
    }
    {
        std::lock_guard<std::mutex> g(subscriberLock);
        subscribers.clear();
    }
    // The dispatchers are children and go with this object.
}

GEosObserverScheduler* GEosObserverScheduler::instance()
{
    if (g_perThread.hasLocalData())
        return g_perThread.localData().data();
    QSharedPointer<GEosObserverScheduler> s(new GEosObserverScheduler);
    g_perThread.setLocalData(s);
    return s.data();
}

GEosObserverDispatcher* GEosObserverScheduler::GetSubscriberDispatcher(const QString& topic, bool create)
{
    return GetDispatcher(topic, create, false);
}

GEosObserverDispatcher* GEosObserverScheduler::GetPublisherDispatcher(const QString& topic, bool create)
{
    return GetDispatcher(topic, create, true);
}

GEosObserverDispatcher* GEosObserverScheduler::GetDispatcher(const QString& topic, bool create, bool publisher)
{
    QHash<QString, GEosObserverDispatcher*>& mine = publisher ? publishers : subscribers;
    std::mutex& mineLock = publisher ? publisherLock : subscriberLock;
    // Only this thread changes its own maps, so reading here needs no lock.
    GEosObserverDispatcher* d = mine.value(topic, nullptr);
    if (d || !create)
        return d;
    d = new GEosObserverDispatcher(this);
    // The new dispatcher is listed and wired under the registry lock, so
    // that of two sides of a topic made at once in two threads, the second
    // finds the first and only it connects the pair (never twice, never
    // not at all).
    Registry* r = g_registry();
    std::lock_guard<std::mutex> g(r->lock);
    {
        std::lock_guard<std::mutex> mg(mineLock);
        mine.insert(topic, d);
    }
    // Wire it to the other side's dispatchers of the topic in every thread
    // (this one included): publishers to subscribers.
    for (GEosObserverScheduler* s : r->schedulers) {
        std::mutex& theirLock = publisher ? s->subscriberLock : s->publisherLock;
        const QHash<QString, GEosObserverDispatcher*>& theirs = publisher ? s->subscribers : s->publishers;
        std::lock_guard<std::mutex> tg(theirLock);
        GEosObserverDispatcher* other = theirs.value(topic, nullptr);
        if (!other)
            continue;
        GEosObserverDispatcher* from = publisher ? d : other;
        GEosObserverDispatcher* to = publisher ? other : d;
        bool ok = bool(QObject::connect(from, &GEosObserverDispatcher::updated, to, &GEosObserverDispatcher::updated));
        if (publisher)
            qDebug() << "Eos connect " << topic << " :" << ok;
    }
    return d;
}

void GEosSubscribe(const char* topic, QObject* receiver, const char* slot)
{
    GEosObserverDispatcher* d =
        GEosObserverScheduler::instance()->GetSubscriberDispatcher(QString::fromLatin1(topic), true);
    QObject::connect(d, SIGNAL(updated(QVariantList)), receiver, slot);
}

void GEosPublish(const char* topic, const QVariantList& args)
{
    GEosObserverDispatcher* p = GEosObserverScheduler::instance()->GetPublisherDispatcher(QString::fromLatin1(topic), true);
    emit p->updated(args);
}
