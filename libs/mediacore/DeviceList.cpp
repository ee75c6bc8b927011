#include "libs/mediacore/DeviceList.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <chrono>
#include <dirent.h>
#include <fcntl.h>
#include <linux/videodev2.h>
#include <sys/ioctl.h>
#include <thread>
#include <unistd.h>

namespace mediacore {

std::vector<DeviceInfo> listCameras()
{
    std::vector<DeviceInfo> out;
    DIR* dir = opendir("/dev");
    if (!dir)
        return out;
    std::vector<std::string> paths;
    while (dirent* e = readdir(dir)) {
        if (std::string(e->d_name).rfind("video", 0) == 0)
            paths.push_back(std::string("/dev/") + e->d_name);
    }
    closedir(dir);
    std::sort(paths.begin(), paths.end());
    for (const std::string& path : paths) {
        int fd = open(path.c_str(), O_RDWR | O_NONBLOCK);
        if (fd < 0)
            continue;
        v4l2_capability cap = {};
        if (ioctl(fd, VIDIOC_QUERYCAP, &cap) == 0) {
            const uint32_t caps = (cap.capabilities & V4L2_CAP_DEVICE_CAPS) ? cap.device_caps : cap.capabilities;
            if (caps & V4L2_CAP_VIDEO_CAPTURE)
                out.push_back({reinterpret_cast<const char*>(cap.card), path});
        }
        close(fd);
    }
    return out;
}

namespace {

// One synchronous question to the sound server, within a few seconds.
class PulseQuery {
public:
    PulseQuery()
    {
        m_loop = pa_mainloop_new();
        m_context = pa_context_new(pa_mainloop_get_api(m_loop), "veltora-devices");
        if (pa_context_connect(m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
            return;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
        while (std::chrono::steady_clock::now() < deadline) {
            pa_mainloop_iterate(m_loop, 0, nullptr);
            const pa_context_state_t state = pa_context_get_state(m_context);
            if (state == PA_CONTEXT_READY) {
                m_ready = true;
                return;
            }
            if (!PA_CONTEXT_IS_GOOD(state))
                return;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }
    ~PulseQuery()
    {
        pa_context_disconnect(m_context);
        pa_context_unref(m_context);
        pa_mainloop_free(m_loop);
    }
    bool ready() const { return m_ready; }
    pa_context* context() { return m_context; }
    void wait(pa_operation* op)
    {
        if (!op)
            return;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
        while (pa_operation_get_state(op) == PA_OPERATION_RUNNING && std::chrono::steady_clock::now() < deadline) {
            if (pa_mainloop_iterate(m_loop, 0, nullptr) == 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        pa_operation_cancel(op);
        pa_operation_unref(op);
    }

private:
    pa_mainloop* m_loop = nullptr;
    pa_context* m_context = nullptr;
    bool m_ready = false;
};

void onSource(pa_context*, const pa_source_info* info, int eol, void* user)
{
    if (eol || !info || info->monitor_of_sink != PA_INVALID_INDEX)
        return;
    static_cast<std::vector<DeviceInfo>*>(user)->push_back({info->description ? info->description : info->name, info->name});
}

void onSink(pa_context*, const pa_sink_info* info, int eol, void* user)
{
    if (eol || !info)
        return;
    static_cast<std::vector<DeviceInfo>*>(user)->push_back({info->description ? info->description : info->name, info->name});
}

}  // namespace

std::vector<DeviceInfo> listAudioSources()
{
    std::vector<DeviceInfo> out;
    PulseQuery query;
    if (query.ready())
        query.wait(pa_context_get_source_info_list(query.context(), onSource, &out));
    return out;
}

std::vector<DeviceInfo> listAudioSinks()
{
    std::vector<DeviceInfo> out;
    PulseQuery query;
    if (query.ready())
        query.wait(pa_context_get_sink_info_list(query.context(), onSink, &out));
    return out;
}

DeviceInfo pickDevice(const std::vector<DeviceInfo>& devices, const std::string& wanted)
{
    for (const DeviceInfo& d : devices) {
        if (!wanted.empty() && (d.name == wanted || d.id == wanted))
            return d;
    }
    return devices.empty() ? DeviceInfo() : devices.front();
}

}  // namespace mediacore
