// Kernel: time.
#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <ctime>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include "platform/winapi/src/Kernel.h"
#include "platform/winapi/src/TextConv.h"
#include "winapi/winbase.h"
#include "platform/winapi/src/KernelInternal.h"

using namespace winapi;

// ---------------------------------------------------------------- time
void GetLocalTime(LPSYSTEMTIME st)
{
    if (!st)
        return;
    timeval tv;
    gettimeofday(&tv, nullptr);
    tm t{};
    localtime_r(&tv.tv_sec, &t);
    *st = systemTime(t, tv.tv_usec / 1000);
}

void GetSystemTime(LPSYSTEMTIME st)
{
    if (!st)
        return;
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    FileTimeToSystemTime(&ft, st);
}

void GetSystemTimeAsFileTime(LPFILETIME ft)
{
    if (!ft)
        return;
    timespec ts;
    clock_gettime(CLOCK_REALTIME, &ts);
    *ft = toFileTime(ts);
}
