#pragma once
// Facts about the machine and the process, read from /proc, /sys and
// os-release, and a few actions on the process: processor, memory, system
// version, the process's CPU load, audio capture devices, microphone and
// speaker volume shortcuts, and a restart of the program. GUI thread.
#include <QString>

#include <cstdint>
#include <string>
#include <vector>

// The processor's name ("model name" of /proc/cpuinfo); empty when unknown.
QString GetCpuName();
// "Total:%1MB Available:%2MB" of physical memory.
QString GetMemoryInfo();
// Percent of physical memory in use (0-100).
unsigned GetMemoryLoad();
// This process's CPU time since the previous call in percent of one
// processor (200 = two processors busy); 0 on the first call.
int GetProcessCpuUsage();
// "window %1.%2 Build %3 (Revision:%4)" with the numbers of the running
// kernel's version (see GetKernel32Version).
QString GetSystemVersion();
// The running kernel's version as four numbers: "6.1.0-18-amd64" gives
// 6, 1, 0 and 18. False (numbers untouched) when it cannot be read.
bool GetKernel32Version(uint32_t& major, uint32_t& minor, uint32_t& build, uint32_t& revision);
// The operating system's name (PRETTY_NAME of os-release); empty when unknown.
QString GetOsName();
// The display adapters, "; "-separated (lspci's names, else sysfs vendor and
// device numbers); empty when none is known.
QString GetGpuName();
// Appends the audio capture devices' names and ids (same length, paired by
// index). Always true.
bool GetAudioInputDevices(std::vector<std::string>& names, std::vector<std::string>& ids);
// The microphone volume 0-100; 100 when no microphone line can be opened.
int GetMicVolume();
void SetMicVolume(int volume);
// The default playback device's volume 0-100 (GetVolume, SetVolume).
int GetSpeakerVolume();
void SetSpeakerVolume(int volume);
// Gives up the single-instance claim and starts the program anew (no
// arguments); the caller then ends this one. A failed start is not reported.
void RestartProgram();

// The parsing and arithmetic behind the functions above, for tests.
namespace sysinfo {

QString CpuNameFrom(const std::string& cpuinfo);
// Total and available physical memory in bytes from /proc/meminfo text.
bool MemoryFrom(const std::string& meminfo, uint64_t& total, uint64_t& available);
QString FormatMemoryInfo(uint64_t totalBytes, uint64_t availableBytes);
unsigned MemoryLoad(uint64_t totalBytes, uint64_t availableBytes);
bool KernelVersionFrom(const std::string& release, uint32_t& major, uint32_t& minor, uint32_t& build,
                       uint32_t& revision);
QString OsNameFrom(const std::string& osRelease);
QString FormatSystemVersion(uint32_t major, uint32_t minor, uint32_t build, uint32_t revision);

// The CPU-load sample: the first Sample answers 0; later ones the CPU time
// since the previous sample as percent of one processor. A sample without
// elapsed wall time keeps the previous answer.
class CpuLoadSampler {
public:
    int Sample(int64_t wallNs, int64_t cpuNs, unsigned processors);

private:
    bool m_started = false;
    int64_t m_lastWall = 0;
    int64_t m_lastCpu = 0;
    int m_lastUsage = 0;
};

}  // namespace sysinfo
