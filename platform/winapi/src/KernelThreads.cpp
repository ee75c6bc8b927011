// Kernel: threads.
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

// ---------------------------------------------------------------- threads
HANDLE CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE start, LPVOID param, DWORD,
                    LPDWORD threadId)
{
    if (!start)
        return nullptr;
    auto t = std::make_shared<ThreadObject>();
    HANDLE h = addKernelObject(t);
    try {
        std::thread([t, start, param] {
            DWORD code = start(param);
            std::lock_guard<std::mutex> lock(t->mutex);
            t->exitCode = code;
            t->done = true;
            t->cv.notify_all();
        }).detach();
    } catch (...) {
        removeKernelObject(h);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if (threadId)
        *threadId = 0;
    return h;
}

void InitializeCriticalSection(LPCRITICAL_SECTION cs)
{
    if (cs)
        cs->impl = new std::recursive_mutex;
}

void DeleteCriticalSection(LPCRITICAL_SECTION cs)
{
    if (cs) {
        delete static_cast<std::recursive_mutex*>(cs->impl);
        cs->impl = nullptr;
    }
}

void EnterCriticalSection(LPCRITICAL_SECTION cs)
{
    if (cs && cs->impl)
        static_cast<std::recursive_mutex*>(cs->impl)->lock();
}

void LeaveCriticalSection(LPCRITICAL_SECTION cs)
{
    if (cs && cs->impl)
        static_cast<std::recursive_mutex*>(cs->impl)->unlock();
}

LONG InterlockedIncrement(LONG volatile* value) { return __atomic_add_fetch(value, 1, __ATOMIC_SEQ_CST); }
LONG InterlockedDecrement(LONG volatile* value) { return __atomic_sub_fetch(value, 1, __ATOMIC_SEQ_CST); }
