#pragma once
// Kernel objects behind HANDLE values and process start-up helpers.
#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>

#include "winapi/wintypes.h"

namespace winapi {

struct KernelObject {
    enum Kind { File, Find, Thread, Process } kind = File;
    virtual ~KernelObject();
};

struct FileObject : KernelObject {
    FileObject() { kind = File; }
    ~FileObject() override;
    int fd = -1;
};

HANDLE addKernelObject(std::shared_ptr<KernelObject> o);
std::shared_ptr<KernelObject> kernelObject(HANDLE h);
bool removeKernelObject(HANDLE h);
DWORD errnoToError(int e);
// Splits a command line by the Windows C runtime rules.
std::vector<std::string> splitCommandLine(const std::u16string& line);
// Starts a program in a session of its own, without a shell.
bool spawnDetached(const std::string& program, const std::vector<std::string>& args, const char* directory,
                   pid_t* pid);

}  // namespace winapi
