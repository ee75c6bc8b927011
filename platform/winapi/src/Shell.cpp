// Profile files, special folders and opening web pages.
#include <sys/stat.h>

#include <cstring>
#include <string>

#include "common/DataFolder.h"
#include "common/IniFile.h"
#include "platform/winapi/src/Kernel.h"
#include "platform/winapi/src/TextConv.h"
#include "winapi/shell.h"
#include "winapi/winbase.h"

using namespace winapi;

DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer, DWORD size,
                               LPCSTR fileName)
{
    if (!buffer || size == 0)
        return 0;
    std::string def = defaultValue ? defaultValue : "";
    std::string value = def;
    if (section && key && fileName) {
        IniFile ini(posixPath(std::string(fileName)));
        value = ini.value(section, key, def, size);
    }
    if (value.size() > size - 1)
        value.resize(size - 1);
    std::memcpy(buffer, value.c_str(), value.size() + 1);
    return DWORD(value.size());
}

DWORD GetPrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR defaultValue, LPWSTR buffer, DWORD size,
                               LPCWSTR fileName)
{
    if (!buffer || size == 0)
        return 0;
    std::u16string value = defaultValue ? defaultValue : u"";
    if (section && key && fileName) {
        IniFile ini(posixPath(fileName));
        std::string key8 = toUtf8(key);
        std::string sec8 = toUtf8(section);
        if (ini.has(sec8, key8))
            value = fromUtf8(ini.value(sec8, key8));
    }
    // Cut to the buffer as Windows does: size - 1 characters.
    if (value.size() > size - 1)
        value.resize(size - 1);
    std::memcpy(buffer, value.c_str(), (value.size() + 1) * sizeof(char16_t));
    return DWORD(value.size());
}

UINT GetPrivateProfileIntW(LPCWSTR section, LPCWSTR key, INT defaultValue, LPCWSTR fileName)
{
    WCHAR buf[64];
    if (!GetPrivateProfileStringW(section, key, u"", buf, 64, fileName))
        return UINT(defaultValue);
    return UINT(_wtoi(buf));
}

BOOL SHGetSpecialFolderPathA(HWND, LPSTR path, int csidl, BOOL create)
{
    if (!path)
        return FALSE;
    int folder = csidl & 0xFF;
    if (folder != CSIDL_LOCAL_APPDATA && folder != CSIDL_APPDATA)
        return FALSE;
    std::string base = datafolder::baseDataLocation();
    if ((create || (csidl & CSIDL_FLAG_CREATE)) && !datafolder::makePath(base))
        return FALSE;
    if (base.size() >= MAX_PATH)
        return FALSE;
    std::memcpy(path, base.c_str(), base.size() + 1);
    return TRUE;
}

BOOL SHGetSpecialFolderPathW(HWND owner, LPWSTR path, int csidl, BOOL create)
{
    if (!path)
        return FALSE;
    char narrow[MAX_PATH];
    if (!SHGetSpecialFolderPathA(owner, narrow, csidl, create))
        return FALSE;
    std::u16string w = fromUtf8(narrow);
    if (w.size() >= MAX_PATH)
        return FALSE;
    std::memcpy(path, w.c_str(), (w.size() + 1) * sizeof(char16_t));
    return TRUE;
}

HINSTANCE ShellExecuteW(HWND, LPCWSTR verb, LPCWSTR file, LPCWSTR, LPCWSTR, INT)
{
    auto fail = [](uintptr_t code) { return reinterpret_cast<HINSTANCE>(code); };
    if (!file)
        return fail(SE_ERR_FNF);
    std::string v = verb ? toUtf8(verb) : "open";
    if (v != "open")
        return fail(SE_ERR_NOASSOC);
    std::string url = toUtf8(file);
    std::string lower = url;
    for (char& c : lower)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    // Only web pages are opened; a file or another scheme is refused.
    if (lower.rfind("http://", 0) != 0 && lower.rfind("https://", 0) != 0)
        return fail(SE_ERR_ACCESSDENIED);
    const char* opener = std::getenv("WINAPI_URL_OPENER");
    std::string program = opener && *opener ? opener : "/usr/bin/xdg-open";
    pid_t pid = 0;
    if (!spawnDetached(program, {program, url}, nullptr, &pid))
        return fail(SE_ERR_FNF);
    return reinterpret_cast<HINSTANCE>(uintptr_t(42));
}
