// Entry points not implemented yet: each reports failure.
#include <cstdlib>
#include "winapi/winapi.h"

int wsprintfW(LPWSTR , LPCWSTR , ...) { return {}; }
int wvsprintfW(LPWSTR , LPCWSTR , va_list ) { return {}; }
HMODULE GetModuleHandleW(LPCWSTR ) { return {}; }
HMODULE GetModuleHandleA(LPCSTR ) { return {}; }
DWORD GetModuleFileNameW(HMODULE , LPWSTR , DWORD ) { return {}; }
DWORD GetModuleFileNameA(HMODULE , LPSTR , DWORD ) { return {}; }
HMODULE LoadLibraryW(LPCWSTR ) { return {}; }
HMODULE LoadLibraryA(LPCSTR ) { return {}; }
FARPROC GetProcAddress(HMODULE , LPCSTR ) { return {}; }
BOOL FreeLibrary(HMODULE ) { return {}; }
BOOL CloseHandle(HANDLE ) { return {}; }
BOOL DuplicateHandle(HANDLE , HANDLE , HANDLE , LPHANDLE , DWORD , BOOL , DWORD ) { return {}; }
HANDLE GetCurrentProcess() { return {}; }
DWORD GetCurrentProcessId() { return {}; }
DWORD WaitForSingleObject(HANDLE , DWORD ) { return {}; }
BOOL GetExitCodeThread(HANDLE , LPDWORD ) { return {}; }
BOOL GetExitCodeProcess(HANDLE , LPDWORD ) { return {}; }
void Sleep(DWORD ) {  }
HANDLE CreateFileW(LPCWSTR , DWORD , DWORD , LPSECURITY_ATTRIBUTES , DWORD , DWORD , HANDLE ) { return {}; }
HANDLE CreateFileA(LPCSTR , DWORD , DWORD , LPSECURITY_ATTRIBUTES , DWORD , DWORD , HANDLE ) { return {}; }
BOOL ReadFile(HANDLE , LPVOID , DWORD , LPDWORD , LPOVERLAPPED ) { return {}; }
BOOL WriteFile(HANDLE , LPCVOID , DWORD , LPDWORD , LPOVERLAPPED ) { return {}; }
DWORD GetFileSize(HANDLE , LPDWORD ) { return {}; }
DWORD SetFilePointer(HANDLE , LONG , LONG* , DWORD ) { return {}; }
DWORD GetFileType(HANDLE ) { return {}; }
BOOL SetFileTime(HANDLE , const FILETIME* , const FILETIME* , const FILETIME* ) { return {}; }
BOOL GetFileTime(HANDLE , LPFILETIME , LPFILETIME , LPFILETIME ) { return {}; }
BOOL DosDateTimeToFileTime(WORD , WORD , LPFILETIME ) { return {}; }
BOOL FileTimeToLocalFileTime(const FILETIME* , LPFILETIME ) { return {}; }
BOOL LocalFileTimeToFileTime(const FILETIME* , LPFILETIME ) { return {}; }
BOOL SystemTimeToFileTime(const SYSTEMTIME* , LPFILETIME ) { return {}; }
BOOL FileTimeToSystemTime(const FILETIME* , LPSYSTEMTIME ) { return {}; }
DWORD GetFileAttributesW(LPCWSTR ) { return {}; }
DWORD GetFileAttributesA(LPCSTR ) { return {}; }
BOOL SetFileAttributesW(LPCWSTR , DWORD ) { return {}; }
BOOL DeleteFileW(LPCWSTR ) { return {}; }
BOOL DeleteFileA(LPCSTR ) { return {}; }
BOOL CopyFileW(LPCWSTR , LPCWSTR , BOOL ) { return {}; }
BOOL CopyFileA(LPCSTR , LPCSTR , BOOL ) { return {}; }
BOOL MoveFileW(LPCWSTR , LPCWSTR ) { return {}; }
BOOL MoveFileA(LPCSTR , LPCSTR ) { return {}; }
BOOL CreateDirectoryW(LPCWSTR , LPSECURITY_ATTRIBUTES ) { return {}; }
BOOL CreateDirectoryA(LPCSTR , LPSECURITY_ATTRIBUTES ) { return {}; }
BOOL RemoveDirectoryW(LPCWSTR ) { return {}; }
DWORD GetCurrentDirectoryW(DWORD , LPWSTR ) { return {}; }
DWORD GetCurrentDirectoryA(DWORD , LPSTR ) { return {}; }
BOOL SetCurrentDirectoryW(LPCWSTR ) { return {}; }
DWORD GetTempPathW(DWORD , LPWSTR ) { return {}; }
DWORD GetTempPathA(DWORD , LPSTR ) { return {}; }
HANDLE FindFirstFileA(LPCSTR , LPWIN32_FIND_DATAA ) { return {}; }
BOOL FindNextFileA(HANDLE , LPWIN32_FIND_DATAA ) { return {}; }
HANDLE FindFirstFileW(LPCWSTR , LPWIN32_FIND_DATAW ) { return {}; }
BOOL FindNextFileW(HANDLE , LPWIN32_FIND_DATAW ) { return {}; }
BOOL FindClose(HANDLE ) { return {}; }
DWORD GetPrivateProfileStringW(LPCWSTR , LPCWSTR , LPCWSTR , LPWSTR , DWORD , LPCWSTR ) { return {}; }
DWORD GetPrivateProfileStringA(LPCSTR , LPCSTR , LPCSTR , LPSTR , DWORD , LPCSTR ) { return {}; }
UINT GetPrivateProfileIntW(LPCWSTR , LPCWSTR , INT , LPCWSTR ) { return {}; }
HANDLE CreateThread(LPSECURITY_ATTRIBUTES , SIZE_T , LPTHREAD_START_ROUTINE , LPVOID , DWORD , LPDWORD ) { return {}; }
void InitializeCriticalSection(LPCRITICAL_SECTION ) {  }
void DeleteCriticalSection(LPCRITICAL_SECTION ) {  }
void EnterCriticalSection(LPCRITICAL_SECTION ) {  }
void LeaveCriticalSection(LPCRITICAL_SECTION ) {  }
LONG InterlockedIncrement(LONG volatile* ) { return {}; }
LONG InterlockedDecrement(LONG volatile* ) { return {}; }
BOOL CreateProcessW(LPCWSTR , LPWSTR , LPSECURITY_ATTRIBUTES , LPSECURITY_ATTRIBUTES , BOOL , DWORD , LPVOID , LPCWSTR , LPSTARTUPINFOW , LPPROCESS_INFORMATION ) { return {}; }
void GetLocalTime(LPSYSTEMTIME ) {  }
void GetSystemTime(LPSYSTEMTIME ) {  }
void GetSystemTimeAsFileTime(LPFILETIME ) {  }
int MultiByteToWideChar(UINT , DWORD , LPCSTR , int , LPWSTR , int ) { return {}; }
int WideCharToMultiByte(UINT , DWORD , LPCWSTR , int , LPSTR , int , LPCSTR , LPBOOL ) { return {}; }
int lstrlenW(LPCWSTR ) { return {}; }
LPWSTR lstrcpyW(LPWSTR , LPCWSTR ) { return {}; }
LPWSTR lstrcpynW(LPWSTR , LPCWSTR , int ) { return {}; }
LPWSTR lstrcatW(LPWSTR , LPCWSTR ) { return {}; }
int lstrcmpW(LPCWSTR , LPCWSTR ) { return {}; }
int lstrcmpiW(LPCWSTR , LPCWSTR ) { return {}; }
size_t wcslen(const char16_t* ) { return {}; }
int wcscmp(const char16_t* , const char16_t* ) { return {}; }
int wcsncmp(const char16_t* , const char16_t* , size_t ) { return {}; }
int _wcsicmp(const char16_t* , const char16_t* ) { return {}; }
int _wcsnicmp(const char16_t* , const char16_t* , size_t ) { return {}; }
const char16_t* wcschr(const char16_t* , char16_t ) { return {}; }
const char16_t* wcsrchr(const char16_t* , char16_t ) { return {}; }
const char16_t* wcsstr(const char16_t* , const char16_t* ) { return {}; }
char16_t* wcscpy(char16_t* , const char16_t* ) { return {}; }
char16_t* wcsncpy(char16_t* , const char16_t* , size_t ) { return {}; }
char16_t* wcscat(char16_t* , const char16_t* ) { return {}; }
long wcstol16(const char16_t* , char16_t** , int ) { return {}; }
unsigned long wcstoul16(const char16_t* , char16_t** , int ) { return {}; }
double wcstod16(const char16_t* , char16_t** ) { return {}; }
int _wtoi(const char16_t* ) { return {}; }
long _wtol(const char16_t* ) { return {}; }
double _wtof(const char16_t* ) { return {}; }
char16_t* _wcslwr(char16_t* ) { return {}; }
char16_t* _wcsupr(char16_t* ) { return {}; }
int swprintf16(char16_t* , size_t , const char16_t* , ...) { return {}; }
int vswprintf16(char16_t* , size_t , const char16_t* , va_list ) { return {}; }
BOOL SHGetSpecialFolderPathW(HWND , LPWSTR , int , BOOL ) { return {}; }
BOOL SHGetSpecialFolderPathA(HWND , LPSTR , int , BOOL ) { return {}; }
HINSTANCE ShellExecuteW(HWND , LPCWSTR , LPCWSTR , LPCWSTR , LPCWSTR , INT ) { return {}; }

namespace winapi {
namespace headless {
}
}
