#include "platform/PulseVolumeBackend.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;

struct ListRequest {
    std::vector<VolumeLine>* out;
    bool capture;
};

struct InfoRequest {
    bool found = false;
    uint32_t volume = 0;
    uint8_t channels = 0;
};

struct ServerRequest {
    std::string defaultSink;
    std::string defaultSource;
    bool done = false;
};

struct SuccessRequest {
    bool success = false;
};

// Monitors of playback devices are no microphones.
bool isMonitor(const pa_source_info* i) { return i->monitor_of_sink != PA_INVALID_INDEX; }
bool isMonitor(const pa_sink_info*) { return false; }

// One list entry of a source or sink list.
template <typename Info>
void onListEntry(pa_context*, const Info* i, int eol, void* user)
{
    auto* r = static_cast<ListRequest*>(user);
    if (eol > 0 || !i || isMonitor(i))
        return;
    r->out->push_back({i->description ? i->description : i->name, i->name});
}

// The one answer of a source or sink lookup by name.
template <typename Info>
void onInfo(pa_context*, const Info* i, int eol, void* user)
{
    auto* r = static_cast<InfoRequest*>(user);
    if (eol > 0 || !i)
        return;
    r->found = true;
    r->volume = pa_cvolume_avg(&i->volume);
    r->channels = i->volume.channels;
}

}  // namespace

PulseVolumeBackend::PulseVolumeBackend(std::string server, int timeoutMs)
    : m_server(std::move(server)), m_timeoutMs(timeoutMs > 0 ? timeoutMs : 2000)
{
}

PulseVolumeBackend::~PulseVolumeBackend()
{
    std::lock_guard<std::mutex> g(m_lock);
    disconnectLocked();
}

uint32_t PulseVolumeBackend::MaxVolume() const
{
    return PA_VOLUME_NORM;
}

bool PulseVolumeBackend::Connect()
{
    std::lock_guard<std::mutex> g(m_lock);
    return connectLocked();
}

void PulseVolumeBackend::disconnectLocked()
{
    if (m_context) {
        pa_context_disconnect(m_context);
        pa_context_unref(m_context);
        m_context = nullptr;
    }
    if (m_loop) {
        pa_mainloop_free(m_loop);
        m_loop = nullptr;
    }
}

bool PulseVolumeBackend::iterateLocked(int timeoutMs)
{
    if (pa_mainloop_prepare(m_loop, timeoutMs * 1000) < 0)
        return false;
    if (pa_mainloop_poll(m_loop) < 0)
        return false;
    return pa_mainloop_dispatch(m_loop) >= 0;
}

bool PulseVolumeBackend::connectLocked()
{
    if (m_context && pa_context_get_state(m_context) == PA_CONTEXT_READY)
        return true;
    disconnectLocked();
    m_loop = pa_mainloop_new();
    if (!m_loop)
        return false;
    pa_proplist* props = pa_proplist_new();
    pa_proplist_sets(props, PA_PROP_APPLICATION_NAME, "Veltora");
    m_context = pa_context_new_with_proplist(pa_mainloop_get_api(m_loop), "Veltora", props);
    pa_proplist_free(props);
    if (!m_context) {
        disconnectLocked();
        return false;
    }
    if (pa_context_connect(m_context, m_server.empty() ? nullptr : m_server.c_str(), PA_CONTEXT_NOAUTOSPAWN,
                           nullptr) < 0) {
        disconnectLocked();
        return false;
    }
    const auto deadline = Clock::now() + std::chrono::milliseconds(m_timeoutMs);
    for (;;) {
        pa_context_state_t state = pa_context_get_state(m_context);
        if (state == PA_CONTEXT_READY)
            return true;
        if (!PA_CONTEXT_IS_GOOD(state) || Clock::now() >= deadline)
            break;
        if (!iterateLocked(50))
            break;
    }
    disconnectLocked();
    return false;
}

bool PulseVolumeBackend::runLocked(pa_operation* op)
{
    if (!op)
        return false;
    const auto deadline = Clock::now() + std::chrono::milliseconds(m_timeoutMs);
    bool ok = true;
    while (pa_operation_get_state(op) == PA_OPERATION_RUNNING) {
        if (Clock::now() >= deadline || !iterateLocked(50)
            || !PA_CONTEXT_IS_GOOD(pa_context_get_state(m_context))) {
            ok = false;
            break;
        }
    }
    if (ok)
        ok = pa_operation_get_state(op) == PA_OPERATION_DONE;
    else
        pa_operation_cancel(op);
    pa_operation_unref(op);
    if (!ok)
        disconnectLocked();  // a stuck or lost server: connect afresh next time
    return ok;
}

bool PulseVolumeBackend::ListDevices(VolumeDevice kind, std::vector<VolumeLine>& out)
{
    std::lock_guard<std::mutex> g(m_lock);
    if (!connectLocked())
        return false;
    ListRequest req{&out, kind == VolumeDevice::Capture};
    pa_operation* op = req.capture
                           ? pa_context_get_source_info_list(m_context, &onListEntry<pa_source_info>, &req)
                           : pa_context_get_sink_info_list(m_context, &onListEntry<pa_sink_info>, &req);
    return runLocked(op);
}

std::string PulseVolumeBackend::DefaultDevice(VolumeDevice kind)
{
    std::lock_guard<std::mutex> g(m_lock);
    if (!connectLocked())
        return std::string();
    ServerRequest req;
    pa_operation* op = pa_context_get_server_info(
        m_context,
        [](pa_context*, const pa_server_info* i, void* user) {
            auto* r = static_cast<ServerRequest*>(user);
            if (i) {
                r->defaultSink = i->default_sink_name ? i->default_sink_name : "";
                r->defaultSource = i->default_source_name ? i->default_source_name : "";
            }
            r->done = true;
        },
        &req);
    if (!runLocked(op))
        return std::string();
    return kind == VolumeDevice::Capture ? req.defaultSource : req.defaultSink;
}

bool PulseVolumeBackend::getInfoLocked(VolumeDevice kind, const std::string& id, uint32_t& volume,
                                       uint8_t& channels)
{
    InfoRequest req;
    pa_operation* op =
        kind == VolumeDevice::Capture
            ? pa_context_get_source_info_by_name(m_context, id.c_str(), &onInfo<pa_source_info>, &req)
            : pa_context_get_sink_info_by_name(m_context, id.c_str(), &onInfo<pa_sink_info>, &req);
    if (!runLocked(op) || !req.found)
        return false;
    volume = req.volume;
    channels = req.channels;
    return true;
}

bool PulseVolumeBackend::GetVolume(VolumeDevice kind, const std::string& id, uint32_t& value)
{
    std::lock_guard<std::mutex> g(m_lock);
    if (id.empty() || !connectLocked())
        return false;
    uint8_t channels = 0;
    return getInfoLocked(kind, id, value, channels);
}

bool PulseVolumeBackend::SetVolume(VolumeDevice kind, const std::string& id, uint32_t value)
{
    std::lock_guard<std::mutex> g(m_lock);
    if (id.empty() || !connectLocked())
        return false;
    uint32_t current = 0;
    uint8_t channels = 0;
    if (!getInfoLocked(kind, id, current, channels) || channels == 0)
        return false;
    pa_cvolume cv;
    pa_cvolume_set(&cv, channels, std::min<uint32_t>(value, PA_VOLUME_NORM));
    SuccessRequest req;
    auto done = [](pa_context*, int success, void* user) { static_cast<SuccessRequest*>(user)->success = success; };
    pa_operation* op = kind == VolumeDevice::Capture
                           ? pa_context_set_source_volume_by_name(m_context, id.c_str(), &cv, done, &req)
                           : pa_context_set_sink_volume_by_name(m_context, id.c_str(), &cv, done, &req);
    return runLocked(op) && req.success;
}
