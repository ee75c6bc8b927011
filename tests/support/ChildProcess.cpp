#include "ChildProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>
#include <sys/wait.h>

#include <chrono>
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

}  // namespace testsupport
