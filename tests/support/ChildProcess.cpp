#include "ChildProcess.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace testsupport {

void prepareChild(bool keepStderr)
{
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    const int devnull = open("/dev/null", O_RDWR);
    if (devnull >= 0) {
        dup2(devnull, 0);
        dup2(devnull, 1);
        if (!keepStderr)
            dup2(devnull, 2);
        if (devnull > 2)
            close(devnull);
    }
}

bool childEnded(int& pid)
{
    if (pid <= 0)
        return true;
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) {
        pid = 0;
        return true;
    }
    return false;
}

void stopChild(int& pid, int graceMs)
{
    if (pid <= 0)
        return;
    kill(pid, SIGTERM);
    for (int waited = 0; waited < graceMs; waited += 10) {
        if (childEnded(pid))
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    pid = 0;
}

std::string commandOutput(const std::string& command)
{
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buf[512];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, p)) > 0)
            out.append(buf, n);
        pclose(p);
    }
    return out;
}

std::vector<int> processesOf(const std::string& path)
{
    std::vector<int> pids;
    DIR* d = opendir("/proc");
    if (!d)
        return pids;
    while (dirent* e = readdir(d)) {
        const int pid = std::atoi(e->d_name);
        if (pid <= 0)
            continue;
        char exe[4096];
        const ssize_t n = readlink(("/proc/" + std::string(e->d_name) + "/exe").c_str(), exe, sizeof exe - 1);
        if (n > 0 && std::string(exe, size_t(n)) == path)
            pids.push_back(pid);
    }
    closedir(d);
    return pids;
}

}  // namespace testsupport
