#include "GEosObserver.h"

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
    // Only this thread changes the map, so reading it here needs no lock.
    GEosObserverDispatcher* d = subscribers.value(topic, nullptr);
    if (d || !create)
        return d;
    d = new GEosObserverDispatcher(this);
    {
        std::lock_guard<std::mutex> g(subscriberLock);
        subscribers.insert(topic, d);
    }
    Registry* r = g_registry();
    std::lock_guard<std::mutex> g(r->lock);
    for (GEosObserverScheduler* s : r->schedulers) {
        std::lock_guard<std::mutex> pg(s->publisherLock);
        if (GEosObserverDispatcher* p = s->publishers.value(topic, nullptr))
            QObject::connect(p, &GEosObserverDispatcher::updated, d, &GEosObserverDispatcher::updated);
    }
    return d;
}

GEosObserverDispatcher* GEosObserverScheduler::GetPublisherDispatcher(const QString& topic, bool create)
{
    GEosObserverDispatcher* p = publishers.value(topic, nullptr);
    if (p || !create)
        return p;
    p = new GEosObserverDispatcher(this);
    {
        std::lock_guard<std::mutex> g(publisherLock);
        publishers.insert(topic, p);
    }
    Registry* r = g_registry();
    std::lock_guard<std::mutex> g(r->lock);
    for (GEosObserverScheduler* s : r->schedulers) {
        std::lock_guard<std::mutex> sg(s->subscriberLock);
        if (GEosObserverDispatcher* d = s->subscribers.value(topic, nullptr)) {
            bool ok = bool(QObject::connect(p, &GEosObserverDispatcher::updated, d, &GEosObserverDispatcher::updated));
            qDebug() << "Eos connect " << topic << " :" << ok;
        }
    }
    return p;
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
