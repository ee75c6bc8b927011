// Entry points not implemented yet: each reports failure.
#include <cstdlib>
#include "winapi/winapi.h"

ATOM RegisterClassW(const WNDCLASSW* ) { return {}; }
ATOM RegisterClassExW(const WNDCLASSEXW* ) { return {}; }
BOOL UnregisterClassW(LPCWSTR , HINSTANCE ) { return {}; }
BOOL GetClassInfoW(HINSTANCE , LPCWSTR , LPWNDCLASSW ) { return {}; }
BOOL GetClassInfoExW(HINSTANCE , LPCWSTR , LPWNDCLASSEXW ) { return {}; }
DWORD GetClassLongW(HWND , int ) { return {}; }
int GetClassNameW(HWND , LPWSTR , int ) { return {}; }
HWND CreateWindowExW(DWORD , LPCWSTR , LPCWSTR , DWORD , int , int , int , int , HWND , HMENU , HINSTANCE , LPVOID ) { return {}; }
BOOL DestroyWindow(HWND ) { return {}; }
BOOL IsWindow(HWND ) { return {}; }
BOOL IsWindowVisible(HWND ) { return {}; }
BOOL IsWindowEnabled(HWND ) { return {}; }
BOOL IsIconic(HWND ) { return {}; }
BOOL IsZoomed(HWND ) { return {}; }
BOOL IsChild(HWND , HWND ) { return {}; }
BOOL ShowWindow(HWND , int ) { return {}; }
BOOL EnableWindow(HWND , BOOL ) { return {}; }
BOOL SetWindowPos(HWND , HWND , int , int , int , int , UINT ) { return {}; }
BOOL MoveWindow(HWND , int , int , int , int , BOOL ) { return {}; }
BOOL GetWindowRect(HWND , LPRECT ) { return {}; }
BOOL GetClientRect(HWND , LPRECT ) { return {}; }
BOOL GetWindowPlacement(HWND , WINDOWPLACEMENT* ) { return {}; }
BOOL SetForegroundWindow(HWND ) { return {}; }
HWND GetForegroundWindow() { return {}; }
HWND SetActiveWindow(HWND ) { return {}; }
HWND GetActiveWindow() { return {}; }
BOOL BringWindowToTop(HWND ) { return {}; }
HWND GetWindow(HWND , UINT ) { return {}; }
HWND GetParent(HWND ) { return {}; }
HWND SetParent(HWND , HWND ) { return {}; }
HWND GetAncestor(HWND , UINT ) { return {}; }
HWND GetDesktopWindow() { return {}; }
HWND WindowFromPoint(POINT ) { return {}; }
HWND ChildWindowFromPoint(HWND , POINT ) { return {}; }
HWND GetDlgItem(HWND , int ) { return {}; }
int GetDlgCtrlID(HWND ) { return {}; }
HWND FindWindowW(LPCWSTR , LPCWSTR ) { return {}; }
LONG GetWindowLongW(HWND , int ) { return {}; }
LONG SetWindowLongW(HWND , int , LONG ) { return {}; }
LONG_PTR GetWindowLongPtrW(HWND , int ) { return {}; }
LONG_PTR SetWindowLongPtrW(HWND , int , LONG_PTR ) { return {}; }
BOOL SetPropW(HWND , LPCWSTR , HANDLE ) { return {}; }
HANDLE GetPropW(HWND , LPCWSTR ) { return {}; }
HANDLE RemovePropW(HWND , LPCWSTR ) { return {}; }
BOOL SetWindowTextW(HWND , LPCWSTR ) { return {}; }
int GetWindowTextW(HWND , LPWSTR , int ) { return {}; }
int GetWindowTextLengthW(HWND ) { return {}; }
int SetWindowRgn(HWND , HRGN , BOOL ) { return {}; }
int GetWindowRgn(HWND , HRGN ) { return {}; }
BOOL SetLayeredWindowAttributes(HWND , COLORREF , BYTE , DWORD ) { return {}; }
BOOL GetLayeredWindowAttributes(HWND , COLORREF* , BYTE* , DWORD* ) { return {}; }
LRESULT DefWindowProcW(HWND , UINT , WPARAM , LPARAM ) { return {}; }
LRESULT CallWindowProcW(WNDPROC , HWND , UINT , WPARAM , LPARAM ) { return {}; }
BOOL PostMessageW(HWND , UINT , WPARAM , LPARAM ) { return {}; }
BOOL PostThreadMessageW(DWORD , UINT , WPARAM , LPARAM ) { return {}; }
LRESULT SendMessageW(HWND , UINT , WPARAM , LPARAM ) { return {}; }
BOOL SendNotifyMessageW(HWND , UINT , WPARAM , LPARAM ) { return {}; }
void PostQuitMessage(int ) {  }
BOOL GetMessageW(LPMSG , HWND , UINT , UINT ) { return {}; }
BOOL PeekMessageW(LPMSG , HWND , UINT , UINT , UINT ) { return {}; }
BOOL TranslateMessage(const MSG* ) { return {}; }
LRESULT DispatchMessageW(const MSG* ) { return {}; }
BOOL WaitMessage() { return {}; }
BOOL InSendMessage() { return {}; }
DWORD GetMessageTime() { return {}; }
DWORD GetMessagePos() { return {}; }
BOOL IsDialogMessageW(HWND , LPMSG ) { return {}; }
BOOL InvalidateRect(HWND , const RECT* , BOOL ) { return {}; }
BOOL InvalidateRgn(HWND , HRGN , BOOL ) { return {}; }
BOOL ValidateRect(HWND , const RECT* ) { return {}; }
BOOL ValidateRgn(HWND , HRGN ) { return {}; }
BOOL UpdateWindow(HWND ) { return {}; }
BOOL RedrawWindow(HWND , const RECT* , HRGN , UINT ) { return {}; }
BOOL GetUpdateRect(HWND , LPRECT , BOOL ) { return {}; }
int GetUpdateRgn(HWND , HRGN , BOOL ) { return {}; }
HDC BeginPaint(HWND , LPPAINTSTRUCT ) { return {}; }
BOOL EndPaint(HWND , const PAINTSTRUCT* ) { return {}; }
HDC GetDC(HWND ) { return {}; }
HDC GetWindowDC(HWND ) { return {}; }
int ReleaseDC(HWND , HDC ) { return {}; }
HWND WindowFromDC(HDC ) { return {}; }
HWND SetFocus(HWND ) { return {}; }
HWND GetFocus() { return {}; }
HWND SetCapture(HWND ) { return {}; }
BOOL ReleaseCapture() { return {}; }
HWND GetCapture() { return {}; }
SHORT GetKeyState(int ) { return {}; }
SHORT GetAsyncKeyState(int ) { return {}; }
BOOL GetCursorPos(LPPOINT ) { return {}; }
BOOL SetCursorPos(int , int ) { return {}; }
BOOL ScreenToClient(HWND , LPPOINT ) { return {}; }
BOOL ClientToScreen(HWND , LPPOINT ) { return {}; }
int MapWindowPoints(HWND , HWND , LPPOINT , UINT ) { return {}; }
BOOL TrackMouseEvent(LPTRACKMOUSEEVENT ) { return {}; }
UINT GetDoubleClickTime() { return {}; }
HCURSOR LoadCursorW(HINSTANCE , LPCWSTR ) { return {}; }
HCURSOR SetCursor(HCURSOR ) { return {}; }
HCURSOR GetCursor() { return {}; }
int ShowCursor(BOOL ) { return {}; }
BOOL CreateCaret(HWND , HBITMAP , int , int ) { return {}; }
BOOL DestroyCaret() { return {}; }
BOOL ShowCaret(HWND ) { return {}; }
BOOL HideCaret(HWND ) { return {}; }
BOOL SetCaretPos(int , int ) { return {}; }
BOOL GetCaretPos(LPPOINT ) { return {}; }
BOOL MessageBeep(UINT ) { return {}; }
UINT_PTR SetTimer(HWND , UINT_PTR , UINT , TIMERPROC ) { return {}; }
BOOL KillTimer(HWND , UINT_PTR ) { return {}; }
DWORD GetTickCount() { return {}; }
ULONGLONG GetTickCount64() { return {}; }
HMONITOR MonitorFromWindow(HWND , DWORD ) { return {}; }
HMONITOR MonitorFromPoint(POINT , DWORD ) { return {}; }
HMONITOR MonitorFromRect(LPCRECT , DWORD ) { return {}; }
BOOL GetMonitorInfoW(HMONITOR , LPMONITORINFO ) { return {}; }
int GetSystemMetrics(int ) { return {}; }
DWORD GetSysColor(int ) { return {}; }
HBRUSH GetSysColorBrush(int ) { return {}; }
BOOL SystemParametersInfoW(UINT , UINT , PVOID , UINT ) { return {}; }
HANDLE LoadImageW(HINSTANCE , LPCWSTR , UINT , int , int , UINT ) { return {}; }
HICON LoadIconW(HINSTANCE , LPCWSTR ) { return {}; }
BOOL DestroyIcon(HICON ) { return {}; }
BOOL DestroyCursor(HCURSOR ) { return {}; }
BOOL SetRect(LPRECT , int , int , int , int ) { return {}; }
BOOL SetRectEmpty(LPRECT ) { return {}; }
BOOL CopyRect(LPRECT , const RECT* ) { return {}; }
BOOL IsRectEmpty(const RECT* ) { return {}; }
BOOL EqualRect(const RECT* , const RECT* ) { return {}; }
BOOL PtInRect(const RECT* , POINT ) { return {}; }
BOOL OffsetRect(LPRECT , int , int ) { return {}; }
BOOL InflateRect(LPRECT , int , int ) { return {}; }
BOOL IntersectRect(LPRECT , const RECT* , const RECT* ) { return {}; }
BOOL UnionRect(LPRECT , const RECT* , const RECT* ) { return {}; }
BOOL SubtractRect(LPRECT , const RECT* , const RECT* ) { return {}; }
int MessageBoxW(HWND , LPCWSTR , LPCWSTR , UINT ) { return {}; }
LPWSTR CharNextW(LPCWSTR ) { return {}; }
LPWSTR CharPrevW(LPCWSTR , LPCWSTR ) { return {}; }
LPWSTR CharUpperW(LPWSTR ) { return {}; }
LPWSTR CharLowerW(LPWSTR ) { return {}; }
int wsprintfW(LPWSTR , LPCWSTR , ...) { return {}; }
int wvsprintfW(LPWSTR , LPCWSTR , va_list ) { return {}; }
HDC CreateCompatibleDC(HDC ) { return {}; }
BOOL DeleteDC(HDC ) { return {}; }
int SaveDC(HDC ) { return {}; }
BOOL RestoreDC(HDC , int ) { return {}; }
HGDIOBJ SelectObject(HDC , HGDIOBJ ) { return {}; }
HGDIOBJ GetCurrentObject(HDC , UINT ) { return {}; }
BOOL DeleteObject(HGDIOBJ ) { return {}; }
HGDIOBJ GetStockObject(int ) { return {}; }
int GetObjectW(HGDIOBJ , int , LPVOID ) { return {}; }
int GetObjectA(HGDIOBJ , int , LPVOID ) { return {}; }
DWORD GetObjectType(HGDIOBJ ) { return {}; }
int GetDeviceCaps(HDC , int ) { return {}; }
BOOL SetWindowOrgEx(HDC , int , int , LPPOINT ) { return {}; }
BOOL GetWindowOrgEx(HDC , LPPOINT ) { return {}; }
BOOL SetViewportOrgEx(HDC , int , int , LPPOINT ) { return {}; }
BOOL GetViewportOrgEx(HDC , LPPOINT ) { return {}; }
BOOL OffsetViewportOrgEx(HDC , int , int , LPPOINT ) { return {}; }
BOOL GdiFlush() { return {}; }
HBITMAP CreateCompatibleBitmap(HDC , int , int ) { return {}; }
HBITMAP CreateDIBSection(HDC , const BITMAPINFO* , UINT , void** , HANDLE , DWORD ) { return {}; }
HBITMAP CreateBitmap(int , int , UINT , UINT , const void* ) { return {}; }
BOOL BitBlt(HDC , int , int , int , int , HDC , int , int , DWORD ) { return {}; }
BOOL StretchBlt(HDC , int , int , int , int , HDC , int , int , int , int , DWORD ) { return {}; }
int SetStretchBltMode(HDC , int ) { return {}; }
int GetStretchBltMode(HDC ) { return {}; }
BOOL AlphaBlend(HDC , int , int , int , int , HDC , int , int , int , int , BLENDFUNCTION ) { return {}; }
BOOL GradientFill(HDC , PTRIVERTEX , ULONG , PVOID , ULONG , ULONG ) { return {}; }
BOOL PatBlt(HDC , int , int , int , int , DWORD ) { return {}; }
COLORREF GetPixel(HDC , int , int ) { return {}; }
COLORREF SetPixel(HDC , int , int , COLORREF ) { return {}; }
int GetDIBits(HDC , HBITMAP , UINT , UINT , LPVOID , LPBITMAPINFO , UINT ) { return {}; }
HPEN CreatePen(int , int , COLORREF ) { return {}; }
HPEN ExtCreatePen(DWORD , DWORD , const LOGBRUSH* , DWORD , const DWORD* ) { return {}; }
HBRUSH CreateSolidBrush(COLORREF ) { return {}; }
HBRUSH CreateBrushIndirect(const LOGBRUSH* ) { return {}; }
COLORREF SetTextColor(HDC , COLORREF ) { return {}; }
COLORREF GetTextColor(HDC ) { return {}; }
COLORREF SetBkColor(HDC , COLORREF ) { return {}; }
COLORREF GetBkColor(HDC ) { return {}; }
int SetBkMode(HDC , int ) { return {}; }
int GetBkMode(HDC ) { return {}; }
COLORREF SetDCBrushColor(HDC , COLORREF ) { return {}; }
COLORREF SetDCPenColor(HDC , COLORREF ) { return {}; }
BOOL MoveToEx(HDC , int , int , LPPOINT ) { return {}; }
BOOL LineTo(HDC , int , int ) { return {}; }
BOOL Rectangle(HDC , int , int , int , int ) { return {}; }
BOOL RoundRect(HDC , int , int , int , int , int , int ) { return {}; }
BOOL Ellipse(HDC , int , int , int , int ) { return {}; }
BOOL Polygon(HDC , const POINT* , int ) { return {}; }
BOOL Polyline(HDC , const POINT* , int ) { return {}; }
int FillRect(HDC , const RECT* , HBRUSH ) { return {}; }
int FrameRect(HDC , const RECT* , HBRUSH ) { return {}; }
BOOL InvertRect(HDC , const RECT* ) { return {}; }
BOOL DrawFocusRect(HDC , const RECT* ) { return {}; }
HRGN CreateRectRgn(int , int , int , int ) { return {}; }
HRGN CreateRectRgnIndirect(const RECT* ) { return {}; }
HRGN CreateRoundRectRgn(int , int , int , int , int , int ) { return {}; }
HRGN CreateEllipticRgn(int , int , int , int ) { return {}; }
int CombineRgn(HRGN , HRGN , HRGN , int ) { return {}; }
BOOL SetRectRgn(HRGN , int , int , int , int ) { return {}; }
int OffsetRgn(HRGN , int , int ) { return {}; }
int GetRgnBox(HRGN , LPRECT ) { return {}; }
BOOL PtInRegion(HRGN , int , int ) { return {}; }
BOOL RectInRegion(HRGN , const RECT* ) { return {}; }
BOOL EqualRgn(HRGN , HRGN ) { return {}; }
DWORD GetRegionData(HRGN , DWORD , LPRGNDATA ) { return {}; }
BOOL FillRgn(HDC , HRGN , HBRUSH ) { return {}; }
int SelectClipRgn(HDC , HRGN ) { return {}; }
int ExtSelectClipRgn(HDC , HRGN , int ) { return {}; }
int GetClipBox(HDC , LPRECT ) { return {}; }
int GetClipRgn(HDC , HRGN ) { return {}; }
int IntersectClipRect(HDC , int , int , int , int ) { return {}; }
int ExcludeClipRect(HDC , int , int , int , int ) { return {}; }
BOOL RectVisible(HDC , const RECT* ) { return {}; }
BOOL PtVisible(HDC , int , int ) { return {}; }
HFONT CreateFontIndirectW(const LOGFONTW* ) { return {}; }
HFONT CreateFontW(int , int , int , int , int , DWORD , DWORD , DWORD , DWORD , DWORD , DWORD , DWORD , DWORD , LPCWSTR ) { return {}; }
BOOL GetTextMetricsW(HDC , LPTEXTMETRICW ) { return {}; }
BOOL GetTextExtentPoint32W(HDC , LPCWSTR , int , LPSIZE ) { return {}; }
BOOL GetTextExtentExPointW(HDC , LPCWSTR , int , int , LPINT , LPINT , LPSIZE ) { return {}; }
int GetTextFaceW(HDC , int , LPWSTR ) { return {}; }
BOOL TextOutW(HDC , int , int , LPCWSTR , int ) { return {}; }
BOOL ExtTextOutW(HDC , int , int , UINT , const RECT* , LPCWSTR , UINT , const INT* ) { return {}; }
int DrawTextW(HDC , LPCWSTR , int , LPRECT , UINT ) { return {}; }
UINT SetTextAlign(HDC , UINT ) { return {}; }
UINT GetTextAlign(HDC ) { return {}; }
int SetTextCharacterExtra(HDC , int ) { return {}; }
HMODULE GetModuleHandleW(LPCWSTR ) { return {}; }
HMODULE GetModuleHandleA(LPCSTR ) { return {}; }
DWORD GetModuleFileNameW(HMODULE , LPWSTR , DWORD ) { return {}; }
DWORD GetModuleFileNameA(HMODULE , LPSTR , DWORD ) { return {}; }
HMODULE LoadLibraryW(LPCWSTR ) { return {}; }
HMODULE LoadLibraryA(LPCSTR ) { return {}; }
FARPROC GetProcAddress(HMODULE , LPCSTR ) { return {}; }
BOOL FreeLibrary(HMODULE ) { return {}; }
HRSRC FindResourceW(HMODULE , LPCWSTR , LPCWSTR ) { return {}; }
HGLOBAL LoadResource(HMODULE , HRSRC ) { return {}; }
LPVOID LockResource(HGLOBAL ) { return {}; }
DWORD SizeofResource(HMODULE , HRSRC ) { return {}; }
BOOL FreeResource(HGLOBAL ) { return {}; }
BOOL CloseHandle(HANDLE ) { return {}; }
BOOL DuplicateHandle(HANDLE , HANDLE , HANDLE , LPHANDLE , DWORD , BOOL , DWORD ) { return {}; }
HANDLE GetCurrentProcess() { return {}; }
DWORD GetCurrentProcessId() { return {}; }
DWORD GetCurrentThreadId() { return {}; }
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
void InitCommonControls() {  }
BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* ) { return {}; }
BOOL SHGetSpecialFolderPathW(HWND , LPWSTR , int , BOOL ) { return {}; }
BOOL SHGetSpecialFolderPathA(HWND , LPSTR , int , BOOL ) { return {}; }
HINSTANCE ShellExecuteW(HWND , LPCWSTR , LPCWSTR , LPCWSTR , LPCWSTR , INT ) { return {}; }

namespace winapi {
bool selectBackend(Backend) { return false; }
Backend selectBackendAuto() { return Backend::Headless; }
Backend currentBackend() { return Backend::Headless; }
void setClockMode(ClockMode) {}
ClockMode clockMode() { return ClockMode::Manual; }
void advanceClock(uint32_t) {}
uint32_t clockNow() { return 0; }
int pumpMessages() { return 0; }
bool quitPending(int*) { return false; }
namespace headless {
void setScreen(int, int, const RECT&) {}
void mouseMove(int, int) {}
void mouseDown(int, int, int) {}
void mouseUp(int, int, int) {}
void click(int, int, int) {}
void mouseWheel(int, int, int) {}
void keyDown(int, char16_t) {}
void keyUp(int) {}
void typeText(const std::u16string&) {}
}
Picture captureWindow(HWND) { return {}; }
bool dumpWindowPng(HWND, const std::string&) { return false; }
void registerResource(const char16_t*, const char16_t*, const unsigned char*, size_t) {}
}
