#include "app/SystemInfo.h"

#include "app/CMixerInfo.h"
#include "platform/SingleInstance.h"
#include "app/StartupChecks.h"
#include "platform/VolumeBackend.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <cstdlib>
#include <ctime>
#include <sstream>
#include <sys/utsname.h>
#include <unistd.h>

namespace {

std::string readText(const char* path)
{
    QFile f(QString::fromLatin1(path));
    if (!f.open(QIODevice::ReadOnly))
        return std::string();
    return f.readAll().toStdString();
}

std::string trim(const std::string& s)
{
    size_t b = s.find_first_not_of(" \t\r\n");
    size_t e = s.find_last_not_of(" \t\r\n");
    return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

int64_t clockNs(clockid_t id)
{
    timespec ts{};
    clock_gettime(id, &ts);
    return int64_t(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}

// The kernel version, read once (whether or not it could be read).
struct VersionCache {
    bool readOnce = false;
    uint32_t major = 0, minor = 0, build = 0, revision = 0;
};
VersionCache g_version;              // GUI thread only
sysinfo::CpuLoadSampler g_cpuLoad;   // GUI thread only

}  // namespace

namespace sysinfo {

QString CpuNameFrom(const std::string& cpuinfo)
{
    std::istringstream in(cpuinfo);
    std::string line;
    std::string fallback;
    while (std::getline(in, line)) {
        size_t colon = line.find(':');
        if (colon == std::string::npos)
            continue;
        const std::string key = trim(line.substr(0, colon));
        const std::string value = trim(line.substr(colon + 1));
        if (key == "model name" && !value.empty())
            return QString::fromStdString(value);
        if ((key == "Hardware" || key == "Processor" || key == "cpu model") && fallback.empty())
            fallback = value;
    }
    return QString::fromStdString(fallback);
}

bool MemoryFrom(const std::string& meminfo, uint64_t& total, uint64_t& available)
{
    std::istringstream in(meminfo);
    std::string line;
    bool haveTotal = false, haveAvailable = false;
    uint64_t freeKb = 0, buffersKb = 0, cachedKb = 0;
    bool haveFree = false;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string key;
        uint64_t kb = 0;
        if (!(fields >> key >> kb))
            continue;
        if (key == "MemTotal:") {
            total = kb * 1024;
            haveTotal = true;
        } else if (key == "MemAvailable:") {
            available = kb * 1024;
            haveAvailable = true;
        } else if (key == "MemFree:") {
            freeKb = kb;
            haveFree = true;
        } else if (key == "Buffers:") {
            buffersKb = kb;
        } else if (key == "Cached:") {
            cachedKb = kb;
        }
    }
    if (haveTotal && !haveAvailable && haveFree) {
        available = (freeKb + buffersKb + cachedKb) * 1024;  // kernels before 3.14
        haveAvailable = true;
    }
    return haveTotal && haveAvailable;
}

QString FormatMemoryInfo(uint64_t totalBytes, uint64_t availableBytes)
{
    return QString("Total:%1MB Available:%2MB").arg(totalBytes / 1048576).arg(availableBytes / 1048576);
}

unsigned MemoryLoad(uint64_t totalBytes, uint64_t availableBytes)
{
    if (totalBytes == 0 || availableBytes > totalBytes)
        return 0;
    return unsigned((totalBytes - availableBytes) * 100 / totalBytes);
}

bool KernelVersionFrom(const std::string& release, uint32_t& major, uint32_t& minor, uint32_t& build,
                       uint32_t& revision)
{
    // "6.1.0-18-amd64", "5.15.0-91-generic", "6.6.7", "4.19.0"
    uint32_t nums[4] = {0, 0, 0, 0};
    size_t pos = 0;
    int count = 0;
    while (count < 4 && pos < release.size()) {
        if (!isdigit(static_cast<unsigned char>(release[pos])))
            break;
        uint64_t v = 0;
        while (pos < release.size() && isdigit(static_cast<unsigned char>(release[pos])) && v <= 0xFFFFFFFFu)
            v = v * 10 + uint64_t(release[pos++] - '0');
        nums[count++] = uint32_t(v);
        if (pos < release.size() && (release[pos] == '.' || release[pos] == '-'))
            ++pos;
        else
            break;
    }
    if (count < 2)
        return false;
    major = nums[0];
    minor = nums[1];
    build = nums[2];
    revision = nums[3];
    return true;
}

QString OsNameFrom(const std::string& osRelease)
{
    std::istringstream in(osRelease);
    std::string line, name;
    while (std::getline(in, line)) {
        size_t eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        std::string key = trim(line.substr(0, eq));
        std::string value = trim(line.substr(eq + 1));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        if (key == "PRETTY_NAME")
            return QString::fromStdString(value);
        if (key == "NAME" && name.empty())
            name = value;
    }
    return QString::fromStdString(name);
}

QString FormatSystemVersion(uint32_t major, uint32_t minor, uint32_t build, uint32_t revision)
{
    return QString("window %1.%2 Build %3 (Revision:%4)").arg(major).arg(minor).arg(build).arg(revision);
}

int CpuLoadSampler::Sample(int64_t wallNs, int64_t cpuNs, unsigned processors)
{
    if (!m_started) {
        m_started = true;
        m_lastWall = wallNs;
        m_lastCpu = cpuNs;
        return 0;
    }
    const int64_t wall = wallNs - m_lastWall;
    if (wall <= 0 || processors == 0)
        return m_lastUsage;  // no time has passed: the last answer stands
    const int64_t cpu = cpuNs - m_lastCpu;
    m_lastWall = wallNs;
    m_lastCpu = cpuNs;
    double usage = double(cpu) / double(wall) / processors * 100.0;
    m_lastUsage = int(usage * processors);
    return m_lastUsage;
}

}  // namespace sysinfo

QString GetCpuName()
{
    return sysinfo::CpuNameFrom(readText("/proc/cpuinfo"));
}

QString GetMemoryInfo()
{
    uint64_t total = 0, available = 0;
    sysinfo::MemoryFrom(readText("/proc/meminfo"), total, available);
    return sysinfo::FormatMemoryInfo(total, available);
}

unsigned GetMemoryLoad()
{
    uint64_t total = 0, available = 0;
    if (!sysinfo::MemoryFrom(readText("/proc/meminfo"), total, available))
        return 0;
    return sysinfo::MemoryLoad(total, available);
}

int GetProcessCpuUsage()
{
    long n = sysconf(_SC_NPROCESSORS_ONLN);
    return g_cpuLoad.Sample(clockNs(CLOCK_MONOTONIC), clockNs(CLOCK_PROCESS_CPUTIME_ID), n > 0 ? unsigned(n) : 1u);
}

bool GetKernel32Version(uint32_t& major, uint32_t& minor, uint32_t& build, uint32_t& revision)
{
    utsname u{};
    if (uname(&u) != 0)
        return false;
    return sysinfo::KernelVersionFrom(u.release, major, minor, build, revision);
}

QString GetSystemVersion()
{
    if (!g_version.readOnce) {
        g_version.readOnce = true;
        uint32_t a = 0, b = 0, c = 0, d = 0;
        if (GetKernel32Version(a, b, c, d))
            g_version = {true, a, b, c, d};
    }
    return sysinfo::FormatSystemVersion(g_version.major, g_version.minor, g_version.build, g_version.revision);
}

QString GetOsName()
{
    std::string text = readText("/etc/os-release");
    if (text.empty())
        text = readText("/usr/lib/os-release");
    return sysinfo::OsNameFrom(text);
}

QString GetGpuName()
{
    QStringList names;
    const QString lspci = QStandardPaths::findExecutable("lspci");
    if (!lspci.isEmpty()) {
        QProcess p;
        p.start(lspci, {"-mm"});
        if (p.waitForFinished(3000)) {
            for (const QString& line : QString::fromUtf8(p.readAllStandardOutput()).split('\n')) {
                // slot "class" "vendor" "device" ...
                QStringList parts = line.split('"');
                if (parts.size() >= 7 && (parts[1].contains("VGA") || parts[1].contains("3D controller")
                                          || parts[1].contains("Display controller")))
                    names << parts[3] + " " + parts[5];
            }
        } else {
            p.kill();
            p.waitForFinished(1000);
        }
    }
    if (names.isEmpty()) {
        for (const QString& card : QDir("/sys/class/drm").entryList({"card?", "card??"}, QDir::Dirs | QDir::System)) {
            const QString dev = "/sys/class/drm/" + card + "/device/";
            QFile v(dev + "vendor"), d(dev + "device");
            if (v.open(QIODevice::ReadOnly) && d.open(QIODevice::ReadOnly))
                names << QString("PCI %1:%2").arg(QString::fromLatin1(v.readAll().trimmed()).remove("0x"),
                                                  QString::fromLatin1(d.readAll().trimmed()).remove("0x"));
        }
    }
    names.removeDuplicates();
    return names.join("; ");
}

bool GetAudioInputDevices(std::vector<std::string>& names, std::vector<std::string>& ids)
{
    std::vector<VolumeLine> lines;
    VolumeBackend::instance().ListDevices(VolumeDevice::Capture, lines);
    for (const VolumeLine& l : lines) {
        if (l.name.empty())
            continue;
        names.push_back(l.name);
        ids.push_back(l.id);
    }
    return true;
}

int GetMicVolume()
{
    CMixerInfo& mixer = CMixerInfo::instance();
    if (!mixer.IsInited())
        mixer.Init(CMixerInfo::kWaveInDestination, 0, 100);
    if (!mixer.IsInited())
        return 100;
    return mixer.GetValue();
}

void SetMicVolume(int volume)
{
    CMixerInfo& mixer = CMixerInfo::instance();
    if (!mixer.IsInited())
        mixer.Init(CMixerInfo::kWaveInDestination, 0, 100);
    if (mixer.IsInited())
        mixer.SetValue(volume);
}

int GetSpeakerVolume()
{
    return GetVolume();
}

void SetSpeakerVolume(int volume)
{
    SetVolume(volume);
}

void RestartProgram()
{
    // The new process must be able to claim the single instance.
    ReleaseSingleInstance();
    QProcess::startDetached(QCoreApplication::applicationFilePath(), QStringList());
}
