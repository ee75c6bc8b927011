// The current media engine and the default device choice of the real engines.
#include "media/IMediaEngine.h"

#include "app/Room.h"
#include "media/BigRoomMediaEngine.h"
#include "media/ClientLibMediaEngine.h"
#include "media/NoneAccessMediaEngine.h"
#include "ClientLib.h"

#include <QCoreApplication>

#include <new>

namespace {

IMediaEngine* g_engine = nullptr;  // GUI thread only

// The engine goes with the application: deleted while Qt still stands.
void deleteEngineAtExit()
{
    delete g_engine;
    g_engine = nullptr;
}

void setEngine(IMediaEngine* engine)
{
    static bool cleanupRegistered = false;
    if (engine && !cleanupRegistered && QCoreApplication::instance()) {
        qAddPostRoutine(deleteEngineAtExit);
        cleanupRegistered = true;
    }
    g_engine = engine;
}

// The id of the first entry whose id is wanted, else of the first entry;
// empty when the list is empty. matched tells which.
QString pick(const QList<DevicePair>& list, const QString& wanted, bool* matched)
{
    for (const DevicePair& d : list) {
        if (d.second == wanted) {
            *matched = true;
            return wanted;
        }
    }
    *matched = false;
    return list.isEmpty() ? QString() : list.first().second;
}

}  // namespace

IMediaEngine* IMediaEngine::instance()
{
    if (!g_engine)
        setEngine(new (std::nothrow) NoneAccessMediaEngine());
    return g_engine;
}

bool IMediaEngine::selectEngine(int type)
{
    if (g_engine && g_engine->getEngineType() == type)
        return false;
    delete g_engine;
    g_engine = nullptr;
    switch (type) {
    case kMediaEngineNone:
        setEngine(new (std::nothrow) NoneAccessMediaEngine());
        break;
    case kMediaEngineClientLib:
        setEngine(new (std::nothrow) ClientLibMediaEngine());
        break;
    case kMediaEngineBigRoom:
        setEngine(new (std::nothrow) BigRoomMediaEngine());
        break;
    default:
        break;
    }
    return true;
}

void IMediaEngine::initDefaultDevices()
{
    ClientLib* lib = Room::instance()->GetClientLib();
    bool matched = false;

    // Camera: the stored one when it is listed, else the first listed.
    QList<DevicePair> list;
    getVideoDevices(list);
    QString id = pick(list, getCurVideoDevice(), &matched);
    if (lib && !id.isEmpty())
        setCurVideoDevice(id);

    // Speaker: a stored one that is listed is applied without being stored again.
    list.clear();
    getOutputAudioDevices(list);
    id = pick(list, getCurOutputAudioDevice(), &matched);
    if (matched) {
        if (ClientLib* now = Room::instance()->GetClientLib())
            now->SetOutputAudioDevice(id);
    } else if (lib && !id.isEmpty()) {
        lib->SetOutputAudioDevice(id);
    }

    // Microphone: through the engine's own choice, so the settings, the
    // broadcast window and the big room's pusher follow.
    list.clear();
    getInputAudioDevices(list);
    id = pick(list, getCurInputAudioDevice(), &matched);
    if (matched) {
        if (Room::instance()->GetClientLib())
            setCurInputAudioDevice(id);
    } else if (lib && !id.isEmpty()) {
        setCurInputAudioDevice(id);
    }
}
