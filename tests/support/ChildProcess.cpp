#include "ChildProcess.h"

#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <thread>

namespace testsupport {

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
