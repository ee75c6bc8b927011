// CreateClientLib / ReleaseClientLib and the test-control entry points.
#include "libs/clientlib/src/ClientLibImpl.h"

#include <QMetaType>

#include <cstdio>
#include <functional>
#include <thread>

using clientlib::ClientLibImpl;
using clientlib::LibConfig;

namespace {

// A 64-bit integer in the map that holds an address; anything else (a
// missing key, text, 0) gives 0 and, when present, a problem line.
quintptr addressOf(const QVariantMap& map, const char* key, QStringList* problems)
{
    const QVariant v = map.value(QLatin1String(key));
    if (!v.isValid()) return 0;
    switch (v.userType()) {
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Long:
    case QMetaType::ULong:
        return static_cast<quintptr>(v.toULongLong());
    default:
        problems->append(QStringLiteral("\"%1\" is not a 64-bit integer; ignored").arg(QLatin1String(key)));
        return 0;
    }
}

QString textOf(const QVariantMap& map, const char* key, QStringList* problems)
{
    const QVariant v = map.value(QLatin1String(key));
    if (!v.isValid()) return QString();
    if (v.userType() != QMetaType::QString) {
        problems->append(QStringLiteral("\"%1\" is not text; ignored").arg(QLatin1String(key)));
        return QString();
    }
    return v.toString();
}

ClientLibImpl* impl(ClientLib* lib) { return static_cast<ClientLibImpl*>(lib); }

}  // namespace

ClientLib* CreateClientLib(ClientLibCallbackFn callback, const QVariant& config)
{
    if (!callback) {
        fprintf(stderr, "clientlib: CreateClientLib without a callback\n");
        return nullptr;
    }
    if (config.userType() != QMetaType::QVariantMap) {
        fprintf(stderr, "clientlib: CreateClientLib: the configuration is not a map\n");
        return nullptr;
    }
    const QVariantMap map = config.toMap();
    QStringList problems;
    LibConfig cfg;
    cfg.appData = textOf(map, "appData", &problems);
    cfg.urlRoom = textOf(map, "urlRoom", &problems);
    cfg.urlWB = textOf(map, "urlWB", &problems);
    cfg.urlChat = textOf(map, "urlChat", &problems);
    cfg.urlMedia = textOf(map, "urlMedia", &problems);
    cfg.appGuid = textOf(map, "appGuid", &problems);
    const QVariant urls = map.value(QStringLiteral("urlUserHttp"));
    if (urls.isValid() && urls.userType() != QMetaType::QStringList && urls.userType() != QMetaType::QVariantList)
        problems << QStringLiteral("\"urlUserHttp\" is not a list; ignored");
    else
        cfg.urlUserHttp = urls.toStringList();
    cfg.userType = map.value(QStringLiteral("userType")).toInt();
    cfg.onAudio = reinterpret_cast<ClientLibAudioFn>(addressOf(map, "onAudioCB", &problems));
    cfg.onVideo = reinterpret_cast<ClientLibVideoFn>(addressOf(map, "onVideoCB", &problems));
    cfg.playCatch = reinterpret_cast<ClientLibPlayCatchFn>(addressOf(map, "playCatchMsFunc", &problems));
    cfg.curlLock = reinterpret_cast<QReadWriteLock*>(addressOf(map, "curlLocker", &problems));
    return new ClientLibImpl(callback, cfg, problems);
}

void ReleaseClientLib(ClientLib* lib)
{
    if (!lib) return;
    // From inside the callback the library would have to join its own
    // thread: refused (the object stays) rather than crash.
    if (impl(lib)->dispatcher().onLibraryThread()) {
        fprintf(stderr, "clientlib: ReleaseClientLib called from the library's own thread; refused\n");
        return;
    }
    delete lib;
}

namespace ClientLibTestControl {

void InjectCommand(ClientLib* lib, int code, const QVariant& payload)
{
    if (lib) impl(lib)->injectCommand(code, payload);
}

void FailNextRequest(ClientLib* lib, int code)
{
    if (lib) impl(lib)->failNextRequest(code);
}

void DelayNextRequest(ClientLib* lib, int ms)
{
    if (lib) impl(lib)->delayNextRequest(ms);
}

void SetRequestTimeout(ClientLib* lib, int ms)
{
    if (lib) impl(lib)->setRequestTimeout(ms);
}

void HoldNextCall(ClientLib* lib)
{
    if (lib) impl(lib)->holdNextCall();
}

bool WaitCallHeld(ClientLib* lib, int ms) { return lib && impl(lib)->waitCallHeld(ms); }

void ResumeCall(ClientLib* lib)
{
    if (lib) impl(lib)->resumeCall();
}

QList<ClientLibCall> Calls(ClientLib* lib) { return lib ? impl(lib)->calls() : QList<ClientLibCall>(); }

void ClearCalls(ClientLib* lib)
{
    if (lib) impl(lib)->clearCalls();
}

// Runs one student action on the library thread, delivering its events.
static bool studentAction(ClientLib* lib, std::function<bool(clientlib::ClassroomService*, clientlib::Events*)> fn)
{
    if (!lib || !impl(lib)->service()) return false;
    ClientLibImpl* l = impl(lib);
    auto events = std::make_shared<clientlib::Events>();
    if (!fn(l->service(), events.get())) return false;
    l->dispatcher().post([l, events] { l->deliver(*events); });
    return true;
}

bool StudentJoin(ClientLib* lib, const QString& userId)
{
    return studentAction(lib, [&](clientlib::ClassroomService* s, clientlib::Events* ev) {
        return s->inRoom() && s->studentJoin(userId, ev);
    });
}

bool StudentLeave(ClientLib* lib, const QString& userId)
{
    return studentAction(lib, [&](clientlib::ClassroomService* s, clientlib::Events* ev) {
        return s->studentLeave(userId, ev);
    });
}

bool StudentChat(ClientLib* lib, const QString& userId, const QString& text)
{
    return studentAction(lib, [&](clientlib::ClassroomService* s, clientlib::Events* ev) {
        return s->studentChat(userId, text, ev);
    });
}

bool StudentRaiseHand(ClientLib* lib, const QString& userId, bool raised)
{
    return studentAction(lib, [&](clientlib::ClassroomService* s, clientlib::Events* ev) {
        return s->studentHand(userId, raised, ev);
    });
}

bool StudentCamera(ClientLib* lib, const QString& userId, bool on)
{
    return studentAction(lib, [&](clientlib::ClassroomService* s, clientlib::Events* ev) {
        return s->studentCamera(userId, on, ev);
    });
}

void SetStudentStreamBase(ClientLib* lib, const QString& rtmpBase)
{
    if (lib) impl(lib)->studentStreams().setBase(rtmpBase);
}

QString StudentStreamUrl(ClientLib* lib, const QString& userId)
{
    return lib ? impl(lib)->studentStreams().publishing(userId) : QString();
}

quint64 LibraryThreadId(ClientLib* lib)
{
    return lib ? quint64(std::hash<std::thread::id>()(impl(lib)->dispatcher().threadId())) : 0;
}

QVariantMap ServiceState(ClientLib* lib)
{
    return (lib && impl(lib)->service()) ? impl(lib)->service()->state() : QVariantMap();
}

void FailNextCallOf(ClientLib* lib, const QString& operation)
{
    if (lib) impl(lib)->failNextCallOf(operation);
}

}  // namespace ClientLibTestControl
