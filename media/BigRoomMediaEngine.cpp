#include "media/BigRoomMediaEngine.h"

#include "app/CData.h"
#include "app/Room.h"
#include "media/RtmpLivePusher.h"
#include "ClientLib.h"

namespace {

// Reads the room pusher's record, lets change edit it and writes it back.
template <typename Change>
void editPushParam(Change change)
{
    RtmpLivePusher* pusher = Room::instance()->GetLivePusher();
    if (!pusher)
        return;
    RtmpPushParam param = pusher->GetPushParam();
    change(param);
    pusher->SetPushParam(param);
}

}  // namespace

BigRoomMediaEngine::BigRoomMediaEngine() : ClientLibMediaEngine(NoDefaults{}) { initDefaultDevices(); }

bool BigRoomMediaEngine::setCurInputAudioDevice(const QString& name)
{
    editPushParam([&](RtmpPushParam& p) { p.micName = name; });
    return chooseMicrophone(name, "BigRoomMediaEngine::setCurInputAudioDevice");
}

bool BigRoomMediaEngine::setCurVideoDevice(const QString& name)
{
    editPushParam([&](RtmpPushParam& p) { p.cameraName = name; });
    store(kSettingCamera, name);
    ClientLib* l = lib();
    return l ? l->SetVideoDevice(name) : false;
}

bool BigRoomMediaEngine::enableVideoCapture(bool on)
{
    if (!CData::instance()->GetStatus(kStatusVoiceInteraction))
        return true;
    ClientLib* l = lib();
    return l ? l->EnableVideoCapture(on) : false;
}
