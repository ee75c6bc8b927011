// Kernel: processes.
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

// ---------------------------------------------------------------- processes
BOOL CreateProcessW(LPCWSTR applicationName, LPWSTR commandLine, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES, BOOL,
                    DWORD, LPVOID, LPCWSTR currentDirectory, LPSTARTUPINFOW, LPPROCESS_INFORMATION info)
{
    std::u16string line = commandLine ? std::u16string(commandLine) : std::u16string();
    std::vector<std::string> args = splitCommandLine(line);
    std::string program;
    if (applicationName) {
        program = resolveProgram(toUtf8(applicationName));
        if (args.empty())
            args.push_back(program);
    } else if (!args.empty()) {
        const size_t first = line.find_first_not_of(u" \t");
        const bool quoted = first != std::u16string::npos && line[first] == u'"';
        if (quoted) {
            program = resolveProgram(args[0]);  // exactly the quoted path
        } else {
            // An unquoted path with blanks: the longest prefix that names a
            // program wins and the rest are its arguments, so a program named
            // like the path's first word ("<dir>/my" beside "<dir>/my app")
            // never runs in its place.
            for (size_t n = args.size(); n >= 1 && program.empty(); --n) {
                std::string joined = args[0];
                for (size_t i = 1; i < n; ++i)
                    joined += " " + args[i];
                std::string p = resolveProgram(joined);
                if (!p.empty()) {
                    program = p;
                    args.erase(args.begin(), args.begin() + long(n));
                    args.insert(args.begin(), joined);
                }
            }
        }
    }
    if (program.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    args[0] = program;
    std::string dir = currentDirectory ? posixPath(currentDirectory) : std::string();
    pid_t pid = 0;
    if (!spawnDetached(program, args, currentDirectory ? dir.c_str() : nullptr, &pid))
        return FALSE;
    auto p = std::make_shared<ProcessObject>();
    p->pid = pid;
    if (info) {
        info->hProcess = addKernelObject(p);
        info->hThread = addKernelObject(p);
        info->dwProcessId = DWORD(pid);
        info->dwThreadId = 0;
    } else {
        // Nobody waits: reap it in the background so no zombie stays.
        std::thread([p] { reap(*p, true); }).detach();
    }
    return TRUE;
}
