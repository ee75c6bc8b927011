// test-labels: e2e
// test-sources: UploadServices.cpp
// The one rule of the program's workers: started for a receiver, a download
// or an upload frees itself after its report, whether the receiver read it
// or went away first, and workers still running when the program ends are
// waited for and freed.
#include "tests/app/UploadServices.h"

#include "app/DownThread.h"
#include "app/UploadDoc.h"
#include "app/UploadFile.h"
#include "app/WorkerLifetime.h"

#include <QFile>
#include <QPointer>
#include <QVariantMap>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using uploadtest::Services;

namespace {

const bool kServicesReady = (Services::instance(), true);

// A receiver that notes what it was told.
class Receiver : public QObject {
    Q_OBJECT
public:
    int reports = 0;
    bool workerAliveInSlot = false;
public slots:
    void OnDown(DownThread* d) { Note(d); }
    void OnUploadDoc(UploadDoc* u) { Note(u); }
    void OnUploadFile(UploadFile* u) { Note(u); }

private:
    void Note(QObject* worker)
    {
        ++reports;
        workerAliveInSlot = worker != nullptr && worker->objectName() == "worker";
    }
};

struct Kind {
    const char* name;
    const char* path;  // the service path the worker reaches, stalled by the test
    std::function<QObject*(Receiver*)> start;
};

std::string PictureFile()
{
    const std::string path = Services::instance().home().home() + "/picture.png";
    QFile f(QString::fromStdString(path));
    f.open(QIODevice::WriteOnly);
    f.write("\x89PNG\r\n\x1a\n");
    return path;
}

const Kind kKinds[] = {
    {"download", "/slow.png",
     [](Receiver* r) -> QObject* {
         auto* d = new DownThread(Services::instance().url("/slow.png"), 0, true);
         WorkerLifetime::Start(d, r, &Receiver::OnDown);
         return d;
     }},
    {"report upload", "/openapi/eventrp",
     [](Receiver* r) -> QObject* {
         auto* u = new UploadDoc(UploadDoc::Report, QString(), QVariantMap{{"type", 5}, {"postData", "{}"}});
         WorkerLifetime::Start(u, r, &Receiver::OnUploadDoc);
         return u;
     }},
    {"picture upload thread", "/upload",
     [](Receiver* r) -> QObject* {
         auto* u = new UploadFile(QVariantList{1, QString::fromStdString(PictureFile())}, 0);
         u->SetRetryPause(0);
         WorkerLifetime::Start(u, r, &Receiver::OnUploadFile);
         return u;
     }},
};

void Stall(const char* path)
{
    Services::instance().reset();
    Services::instance().script(path, {{200, "{}", true}});
}

}  // namespace

TEST(WorkerLifetime, AWorkerFreesItselfAfterItsReceiverReadIt)
{
    for (const Kind& k : kKinds) {
        Services::instance().reset();
        Services::instance().script(k.path, 404, "");
        Receiver receiver;
        QPointer<QObject> worker = k.start(&receiver);
        worker->setObjectName("worker");
        ASSERT_TRUE(testsupport::waitUntil([&] { return worker.isNull(); }, uploadtest::kWaitMs)) << k.name;
        EXPECT_EQ(receiver.reports, 1) << k.name;
        EXPECT_TRUE(receiver.workerAliveInSlot) << k.name << ": freed only after the slot";
        EXPECT_EQ(WorkerLifetime::InFlight(), 0) << k.name;
    }
}

TEST(WorkerLifetime, AWorkerWhoseReceiverIsGoneFreesItself)
{
    for (const Kind& k : kKinds) {
        Stall(k.path);
        auto receiver = std::make_unique<Receiver>();
        QPointer<QObject> worker = k.start(receiver.get());
        ASSERT_TRUE(testsupport::waitUntil([&] { return !Services::instance().seen(k.path).empty(); },
                                           uploadtest::kWaitMs))
            << k.name;
        receiver.reset();  // the row, panel or room goes while the transfer runs
        Services::instance().release();
        ASSERT_TRUE(testsupport::waitUntil([&] { return worker.isNull(); }, uploadtest::kWaitMs)) << k.name;
        EXPECT_EQ(WorkerLifetime::InFlight(), 0) << k.name;
    }
}

TEST(WorkerLifetime, WorkersRunningWhenTheProgramEndsAreWaitedForAndFreed)
{
    // The application's end: the post routine runs with transfers in flight
    // whose reports can no longer be delivered.
    auto receiver = std::make_unique<Receiver>();
    QList<QPointer<QObject>> workers;
    Services::instance().reset();
    for (const Kind& k : kKinds)
        Services::instance().script(k.path, {{200, "{}", true}});
    for (const Kind& k : kKinds)
        workers << k.start(receiver.get());
    ASSERT_TRUE(testsupport::waitUntil(
        [&] {
            for (const Kind& k : kKinds)
                if (Services::instance().seen(k.path).empty())
                    return false;
            return true;
        },
        uploadtest::kWaitMs));
    EXPECT_EQ(WorkerLifetime::InFlight(), 3);
    Services::instance().release();
    WorkerLifetime::FreeAll();
    // As at the end, no event is delivered after the workers went: the
    // receiver goes with whatever reports were still queued for it.
    receiver.reset();
    for (const QPointer<QObject>& w : workers)
        EXPECT_TRUE(w.isNull());
    EXPECT_EQ(WorkerLifetime::InFlight(), 0);
}

#include "tst_worker_lifetime.moc"
