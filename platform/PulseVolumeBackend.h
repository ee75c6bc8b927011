#pragma once
// Volumes through a PulseAudio server (libpulse, its own main loop driven
// synchronously under a lock). The connection is made on demand and made
// again after the server went away; every request has a time-out, so a
// server that stops answering cannot hang the caller.
#include "platform/VolumeBackend.h"

#include <mutex>

struct pa_context;
struct pa_mainloop;
struct pa_operation;

class PulseVolumeBackend : public VolumeBackend {
public:
    // server: a PulseAudio server string ("unix:/path"); empty: the default
    // ($PULSE_SERVER, then the user's runtime folder). Never autospawns.
    explicit PulseVolumeBackend(std::string server = std::string(), int timeoutMs = 2000);
    ~PulseVolumeBackend() override;

    // Whether the server answers now.
    bool Connect();

    const char* Kind() const override { return "pulseaudio"; }
    bool ListDevices(VolumeDevice kind, std::vector<VolumeLine>& out) override;
    std::string DefaultDevice(VolumeDevice kind) override;
    bool GetVolume(VolumeDevice kind, const std::string& id, uint32_t& value) override;
    bool SetVolume(VolumeDevice kind, const std::string& id, uint32_t value) override;
    uint32_t MaxVolume() const override;

private:
    bool connectLocked();
    void disconnectLocked();
    bool runLocked(pa_operation* op);
    bool iterateLocked(int timeoutMs);
    bool getInfoLocked(VolumeDevice kind, const std::string& id, uint32_t& volume, uint8_t& channels);

    const std::string m_server;    // set by the constructor only
    const int m_timeoutMs;         // set by the constructor only
    std::mutex m_lock;             // guards the connection and every request on it
    pa_mainloop* m_loop = nullptr;  // guarded by m_lock
    pa_context* m_context = nullptr;  // guarded by m_lock
};
