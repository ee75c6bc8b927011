#pragma once
// A private Xvfb for one test process: the pointer and the screen are the
// test's own, so tests that move the mouse or read the screen do not
// disturb each other when CTest runs them in parallel. The server picks a
// free display itself (-displayfd) and is killed by its pid.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

extern char** environ;

class PrivateXvfb {
public:
    PrivateXvfb()
    {
        if (access("/usr/bin/Xvfb", X_OK) != 0)
            return;
        int fds[2];
        if (pipe(fds) != 0)
            return;
        fcntl(fds[0], F_SETFD, FD_CLOEXEC);
        std::string fd = std::to_string(fds[1]);
        const char* argv[] = {"Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x800x24", "-nolisten", "tcp",
                              nullptr};
        if (posix_spawn(&m_pid, "/usr/bin/Xvfb", nullptr, nullptr, const_cast<char**>(argv), environ) != 0) {
            m_pid = 0;
            close(fds[0]);
            close(fds[1]);
            return;
        }
        close(fds[1]);
        std::string number;
        pollfd p{fds[0], POLLIN, 0};
        char c;
        while (poll(&p, 1, 10000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n')
            number.push_back(c);
        close(fds[0]);
        if (number.empty()) {
            stop();
            return;
        }
        m_display = ":" + number;
    }
    ~PrivateXvfb() { stop(); }
    PrivateXvfb(const PrivateXvfb&) = delete;
    PrivateXvfb& operator=(const PrivateXvfb&) = delete;

    bool running() const { return !m_display.empty(); }
    const std::string& display() const { return m_display; }
    // Kills the server now (the X connection breaks).
    void stop()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
            m_pid = 0;
        }
    }

private:
    pid_t m_pid = 0;
    std::string m_display;
};
