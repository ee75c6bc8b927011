#pragma once
// Shell calls the updater uses: special folders and opening web pages.
#include "winapi/wintypes.h"

#define CSIDL_APPDATA 0x001a
#define CSIDL_LOCAL_APPDATA 0x001c
#define CSIDL_COMMON_APPDATA 0x0023
#define CSIDL_PERSONAL 0x0005
#define CSIDL_FLAG_CREATE 0x8000

// CSIDL_LOCAL_APPDATA and CSIDL_APPDATA: the per-user data base
// ($XDG_DATA_HOME or ~/.local/share), created when asked.
BOOL SHGetSpecialFolderPathW(HWND owner, LPWSTR path, int csidl, BOOL create);
BOOL SHGetSpecialFolderPathA(HWND owner, LPSTR path, int csidl, BOOL create);

#define SE_ERR_FNF 2
#define SE_ERR_ACCESSDENIED 5
#define SE_ERR_NOASSOC 31
// "open" (or no verb) with an http or https URL starts the desktop's
// opener (xdg-open) with the URL as its one argument; anything else is
// refused. Returns a value above 32 on success, as Windows does.
HINSTANCE ShellExecuteW(HWND owner, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory,
                        INT showCmd);
