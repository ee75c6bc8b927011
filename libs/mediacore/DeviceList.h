#pragma once
// Devices as the system lists them, never invented: V4L2 cameras from
// /dev/video*, PulseAudio sources (microphones) and sinks (speakers) from the
// sound server. An empty list when there is none or no sound server runs.
#include <string>
#include <vector>

namespace mediacore {

struct DeviceInfo {
    std::string name;  // what a user reads: card name, device description
    std::string id;    // what capture opens: device path, PulseAudio name
};

std::vector<DeviceInfo> listCameras();
// Microphones: sources that are not the monitor of a sink.
std::vector<DeviceInfo> listAudioSources();
std::vector<DeviceInfo> listAudioSinks();

// The device whose name or id is wanted; the first one when wanted is empty
// or matches none; an empty id when the list is empty.
DeviceInfo pickDevice(const std::vector<DeviceInfo>& devices, const std::string& wanted);

}  // namespace mediacore
