#pragma once
// The engine of live ("big") class rooms (type 2): as the client-library
// engine, but a camera or microphone choice is also written into the room
// pusher's parameters, participants' audio and video switches do nothing,
// and the camera is only switched while the voice interaction is open.
#include "media/ClientLibMediaEngine.h"

class BigRoomMediaEngine : public ClientLibMediaEngine {
    Q_OBJECT
public:
    BigRoomMediaEngine();

    bool setCurInputAudioDevice(const QString& name) override;
    bool setCurVideoDevice(const QString& name) override;
    bool setUserVideoState(const QString&, bool) override { return false; }
    bool setUserAudioState(const QString&, bool) override { return false; }
    bool enableVideoCapture(bool on) override;
    int getEngineType() override { return kMediaEngineBigRoom; }
};
