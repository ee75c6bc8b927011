// The per-thread last error, debugger output and process exit.
#include <cstdio>
#include <cstdlib>

#include "platform/winapi/src/TextConv.h"
#include "winapi/winbase.h"

namespace {
thread_local DWORD t_lastError = 0;  // this thread only
}

DWORD GetLastError() { return t_lastError; }

void SetLastError(DWORD error) { t_lastError = error; }

void OutputDebugStringW(LPCWSTR text)
{
    if (text)
        OutputDebugStringA(winapi::toUtf8(text).c_str());
}

void OutputDebugStringA(LPCSTR text)
{
    if (!text)
        return;
    std::fputs(text, stderr);
    std::fflush(stderr);
}

void ExitProcess(UINT exitCode)
{
    std::fflush(nullptr);
    std::exit(int(exitCode));
}
