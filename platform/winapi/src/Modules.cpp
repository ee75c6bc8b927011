// The program module, the few system libraries that exist here, and the
// module file name.
#include <unistd.h>

#include <climits>
#include <cstring>
#include <string>

#include "platform/winapi/src/TextConv.h"
#include "winapi/wingdi.h"
#include "winapi/winbase.h"
#include "winapi/winuser.h"

using namespace winapi;

namespace {

// Module handles: the program itself, and one per known system library.
HMODULE programModule() { return reinterpret_cast<HMODULE>(uintptr_t(0x400000)); }
HMODULE msimg32() { return reinterpret_cast<HMODULE>(uintptr_t(0x7E000000)); }
HMODULE user32() { return reinterpret_cast<HMODULE>(uintptr_t(0x7E100000)); }
HMODULE kernel32() { return reinterpret_cast<HMODULE>(uintptr_t(0x7E200000)); }

std::string lowerName(const std::string& path)
{
    std::string name = posixPath(path);
    size_t slash = name.find_last_of('/');
    if (slash != std::string::npos)
        name = name.substr(slash + 1);
    for (char& c : name)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    if (name.find('.') == std::string::npos)
        name += ".dll";
    return name;
}

HMODULE knownModule(const std::string& path)
{
    std::string n = lowerName(path);
    if (n == "msimg32.dll")
        return msimg32();
    if (n == "user32.dll")
        return user32();
    if (n == "kernel32.dll")
        return kernel32();
    return nullptr;
}

std::string exePath()
{
    char buf[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0)
        return std::string();
    return std::string(buf, size_t(n));
}

}  // namespace

HMODULE GetModuleHandleW(LPCWSTR name)
{
    if (!name)
        return programModule();
    HMODULE m = knownModule(toUtf8(name));
    if (!m)
        SetLastError(ERROR_MOD_NOT_FOUND);
    return m;
}

HMODULE GetModuleHandleA(LPCSTR name)
{
    if (!name)
        return programModule();
    HMODULE m = knownModule(name);
    if (!m)
        SetLastError(ERROR_MOD_NOT_FOUND);
    return m;
}

DWORD GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size)
{
    if (module && module != programModule()) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return 0;
    }
    return copyTruncated(exePath(), buffer, size);
}

DWORD GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD size)
{
    if (module && module != programModule()) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return 0;
    }
    return copyTruncated(fromUtf8(exePath()), buffer, size);
}

HMODULE LoadLibraryW(LPCWSTR name)
{
    if (!name)
        return nullptr;
    return LoadLibraryA(toUtf8(name).c_str());
}

HMODULE LoadLibraryA(LPCSTR name)
{
    if (!name)
        return nullptr;
    HMODULE m = knownModule(name);
    if (!m)
        SetLastError(ERROR_MOD_NOT_FOUND);
    return m;
}

FARPROC GetProcAddress(HMODULE module, LPCSTR name)
{
    if (!name || IS_INTRESOURCE(name)) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    std::string n = name;
    if (module == msimg32()) {
        if (n == "AlphaBlend")
            return reinterpret_cast<FARPROC>(&AlphaBlend);
        if (n == "GradientFill")
            return reinterpret_cast<FARPROC>(&GradientFill);
    } else if (module == user32()) {
        if (n == "SetLayeredWindowAttributes")
            return reinterpret_cast<FARPROC>(&SetLayeredWindowAttributes);
    }
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
}

BOOL FreeLibrary(HMODULE module) { return module ? TRUE : FALSE; }
