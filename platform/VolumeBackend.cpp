#include "platform/VolumeBackend.h"

#include "platform/MemoryVolumeBackend.h"
#include "platform/PulseVolumeBackend.h"

#include <QDebug>

#include <mutex>

namespace {

std::mutex g_lock;                         // guards g_backend
std::unique_ptr<VolumeBackend> g_backend;  // guarded by g_lock; made at first use

}  // namespace

VolumeBackend& VolumeBackend::instance()
{
    std::lock_guard<std::mutex> g(g_lock);
    if (!g_backend) {
        std::unique_ptr<PulseVolumeBackend> pulse(new PulseVolumeBackend);
        if (pulse->Connect()) {
            g_backend = std::move(pulse);
            qDebug() << "volume: PulseAudio server";
        } else {
            g_backend.reset(new MemoryVolumeBackend);
            qDebug() << "volume: no sound server answers, volumes are kept in memory";
        }
    }
    return *g_backend;
}

void VolumeBackend::Install(std::unique_ptr<VolumeBackend> backend)
{
    std::lock_guard<std::mutex> g(g_lock);
    g_backend = std::move(backend);
}
