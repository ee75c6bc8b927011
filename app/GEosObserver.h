#pragma once
// A publish/subscribe bus by topic name, across threads, built from Qt
// signals only. Each thread has one scheduler holding, per topic, one
// publishing and one subscribing dispatcher; every publishing dispatcher is
// wired (signal to signal) to the subscribing dispatchers of the topic in
// every thread, and a subscriber's slot is connected to its own thread's
// subscribing dispatcher. A publication thus reaches a subscriber on the
// publishing thread before GEosPublish returns, and one on another thread
// through that thread's event loop (which it must run).
//
// There is no unsubscribe: a connection ends with its receiver, and a
// thread's dispatchers go with its scheduler when the thread ends.
#include <QHash>
#include <QObject>
#include <QString>
#include <QVariantList>

#include <mutex>

class GEosObserverDispatcher : public QObject {
    Q_OBJECT
public:
    explicit GEosObserverDispatcher(QObject* parent) : QObject(parent) {}

signals:
    void updated(QVariantList args);

public slots:
    // Emits updated with an empty list, for wiring an argument-less signal
    // to a topic.
    void emitUpdatedSignalWithoutArgs() { emit updated(QVariantList()); }
};

class GEosObserverScheduler : public QObject {
public:
    // The calling thread's scheduler, made on the thread's first use and
    // destroyed when the thread ends.
    static GEosObserverScheduler* instance();

    // The dispatcher of that kind for topic; made (and wired to the other
    // side in every thread) when missing and create is set, else null.
    // Called on the scheduler's own thread only.
    GEosObserverDispatcher* GetSubscriberDispatcher(const QString& topic, bool create);
    GEosObserverDispatcher* GetPublisherDispatcher(const QString& topic, bool create);

    ~GEosObserverScheduler() override;

private:
    GEosObserverScheduler();
    GEosObserverDispatcher* GetDispatcher(const QString& topic, bool create, bool publisher);

    std::mutex publisherLock;    // guards publishers while it changes and when other threads read it
    std::mutex subscriberLock;   // guards subscribers likewise
    QHash<QString, GEosObserverDispatcher*> publishers;   // written by the own thread under publisherLock
    QHash<QString, GEosObserverDispatcher*> subscribers;  // written by the own thread under subscriberLock
};

// Connects receiver's slot (in SLOT() form, taking the list or nothing) to
// the topic on the calling thread.
void GEosSubscribe(const char* topic, QObject* receiver, const char* slot);
// Publishes args on the topic from the calling thread.
void GEosPublish(const char* topic, const QVariantList& args);
