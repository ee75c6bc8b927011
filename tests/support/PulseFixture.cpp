#include "PulseFixture.h"

#include "ChildProcess.h"
#include "TestPaths.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <thread>

namespace testsupport {

namespace {

bool socketAnswers(const std::string& path)
{
    int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0)
        return false;
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, path.c_str(), sizeof(addr.sun_path) - 1);
    bool ok = connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == 0;
    close(fd);
    return ok;
}

}  // namespace

PulseFixture::~PulseFixture() { stop(); }

bool PulseFixture::installed() const { return !findProgram("pulseaudio").empty(); }

bool PulseFixture::start()
{
    const std::string pulse = findProgram("pulseaudio");
    if (pulse.empty()) {
        m_error = "pulseaudio is not installed";
        return false;
    }
    const std::string d = m_dir.path();
    m_dir.file("runtime/.keep");
    m_dir.file("home/.keep");
    const std::string sink = std::string("module-null-sink sink_name=") + kSink;
    const std::string source = std::string("module-null-source source_name=") + kSource;
    const std::string native = "module-native-protocol-unix auth-anonymous=1 socket=" + socketPath();
    const std::string logFile = d + "/pulse.log";

    pid_t pid = fork();
    if (pid == 0) {
        // Everything the daemon keeps (cookie, runtime files) lives in the
        // temporary folder; as root it needs an explicit non-system mode.
        setenv("HOME", (d + "/home").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", (d + "/runtime").c_str(), 1);
        setenv("PULSE_RUNTIME_PATH", (d + "/runtime").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (d + "/home").c_str(), 1);
        unsetenv("DBUS_SESSION_BUS_ADDRESS");
        unsetenv("DISPLAY");
        prepareChild();
        const std::string logTarget = "--log-target=file:" + logFile;
        execl(pulse.c_str(), pulse.c_str(), "-n", "--daemonize=no", "--system=false", "--exit-idle-time=-1",
              "--disallow-exit", "--use-pid-file=false", logTarget.c_str(), "-L", sink.c_str(), "-L",
              source.c_str(), "-L", native.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    if (pid < 0) {
        m_error = "fork failed";
        return false;
    }
    m_pid = pid;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (std::chrono::steady_clock::now() < deadline) {
        if (socketAnswers(socketPath()))
            return true;
        if (childEnded(m_pid)) {
            m_error = "pulseaudio exited: " + readFile(logFile);
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    m_error = "pulseaudio did not come up: " + readFile(logFile);
    stop();
    return false;
}

void PulseFixture::stop() { stopChild(m_pid, 3000); }

std::string PulseFixture::addSinkMicrophone(const std::string& sourceName, const std::string& description) const
{
    const std::string out = commandOutput("pactl --server=" + server() +
                                          " load-module module-remap-source master=" + kSink +
                                          ".monitor source_name=" + sourceName +
                                          " source_properties=device.description=" + description);
    return out.substr(0, out.find_last_not_of(" \n") + 1);
}

int PulseFixture::playTone(int seconds) const
{
    const std::string length = std::to_string(seconds);
    const std::string where = server();
    const int pid = fork();
    if (pid == 0) {
        prepareChild();
        execlp("ffmpeg", "ffmpeg", "-v", "error", "-re", "-f", "lavfi", "-i", "sine=frequency=440:sample_rate=48000",
               "-t", length.c_str(), "-f", "pulse", "-server", where.c_str(), "-device", kSink, "tone",
               static_cast<char*>(nullptr));
        _exit(127);
    }
    return pid;
}

}  // namespace testsupport
