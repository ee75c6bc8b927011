// Kernel objects over POSIX: files, find handles, threads and processes in
// one handle table; folders, file times, local time and sleeping.
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

extern char** environ;

namespace winapi {


KernelObject::~KernelObject() = default;

FileObject::~FileObject()
{
    if (fd >= 0)
        ::close(fd);
}

HANDLE addKernelObject(std::shared_ptr<KernelObject> o)
{
    HandleTable& t = handles();
    std::lock_guard<std::mutex> lock(t.mutex);
    t.next += 4;
    t.objects[t.next] = std::move(o);
    return reinterpret_cast<HANDLE>(t.next);
}

std::shared_ptr<KernelObject> kernelObject(HANDLE h)
{
    HandleTable& t = handles();
    std::lock_guard<std::mutex> lock(t.mutex);
    auto it = t.objects.find(reinterpret_cast<uintptr_t>(h));
    return it == t.objects.end() ? nullptr : it->second;
}

bool removeKernelObject(HANDLE h)
{
    std::shared_ptr<KernelObject> keep;
    HandleTable& t = handles();
    std::lock_guard<std::mutex> lock(t.mutex);
    auto it = t.objects.find(reinterpret_cast<uintptr_t>(h));
    if (it == t.objects.end())
        return false;
    keep = it->second;
    t.objects.erase(it);
    return true;
}

DWORD errnoToError(int e)
{
    switch (e) {
    case ENOENT:
        return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
        return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
        return ERROR_ACCESS_DENIED;
    case EEXIST:
        return ERROR_ALREADY_EXISTS;
    case ENOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    default:
        return ERROR_INVALID_PARAMETER;
    }
}


std::vector<std::string> splitCommandLine(const std::u16string& line)
{
    // The rules of the Windows C runtime: blanks separate arguments; quotes
    // group; 2n backslashes before a quote give n backslashes, 2n+1 give n
    // and a literal quote.
    std::vector<std::string> args;
    std::u16string cur;
    bool inQuotes = false, any = false;
    for (size_t i = 0; i < line.size(); ++i) {
        char16_t c = line[i];
        if (c == u'\\') {
            size_t n = 0;
            while (i < line.size() && line[i] == u'\\') {
                ++n;
                ++i;
            }
            if (i < line.size() && line[i] == u'"') {
                cur.append(n / 2, u'\\');
                if (n % 2) {
                    cur.push_back(u'"');
                } else {
                    inQuotes = !inQuotes;
                }
                any = true;
            } else {
                cur.append(n, u'\\');
                --i;
                any = true;
            }
            continue;
        }
        if (c == u'"') {
            inQuotes = !inQuotes;
            any = true;
            continue;
        }
        if (!inQuotes && (c == u' ' || c == u'\t')) {
            if (any || !cur.empty())
                args.push_back(toUtf8(cur));
            cur.clear();
            any = false;
            continue;
        }
        cur.push_back(c);
        any = true;
    }
    if (any || !cur.empty())
        args.push_back(toUtf8(cur));
    return args;
}


bool spawnDetached(const std::string& program, const std::vector<std::string>& args, const char* directory,
                   pid_t* pidOut)
{
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (directory)
        posix_spawn_file_actions_addchdir_np(&actions, directory);
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID);
    pid_t pid = 0;
    int rc = posix_spawn(&pid, program.c_str(), &actions, &attr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    if (rc != 0) {
        SetLastError(errnoToError(rc));
        return false;
    }
    if (pidOut)
        *pidOut = pid;
    return true;
}

}  // namespace winapi

using namespace winapi;

BOOL CloseHandle(HANDLE handle)
{
    if (!removeKernelObject(handle)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

BOOL DuplicateHandle(HANDLE, HANDLE source, HANDLE, LPHANDLE target, DWORD, BOOL, DWORD options)
{
    auto o = kernelObject(source);
    if (!o || !target) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (o->kind == KernelObject::File) {
        auto f = std::static_pointer_cast<FileObject>(o);
        int fd = fcntl(f->fd, F_DUPFD_CLOEXEC, 0);
        if (fd < 0) {
            SetLastError(errnoToError(errno));
            return FALSE;
        }
        auto d = std::make_shared<FileObject>();
        d->fd = fd;
        *target = addKernelObject(d);
    } else {
        *target = addKernelObject(o);
    }
    if (options & DUPLICATE_CLOSE_SOURCE)
        CloseHandle(source);
    return TRUE;
}

HANDLE GetCurrentProcess() { return reinterpret_cast<HANDLE>(LONG_PTR(-1)); }
DWORD GetCurrentProcessId() { return DWORD(getpid()); }

DWORD WaitForSingleObject(HANDLE handle, DWORD ms)
{
    auto o = kernelObject(handle);
    if (!o)
        return WAIT_FAILED;
    if (o->kind == KernelObject::Thread) {
        auto t = std::static_pointer_cast<ThreadObject>(o);
        std::unique_lock<std::mutex> lock(t->mutex);
        if (ms == INFINITE)
            t->cv.wait(lock, [&] { return t->done; });
        else if (!t->cv.wait_for(lock, std::chrono::milliseconds(ms), [&] { return t->done; }))
            return WAIT_TIMEOUT;
        return WAIT_OBJECT_0;
    }
    if (o->kind == KernelObject::Process) {
        auto p = std::static_pointer_cast<ProcessObject>(o);
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms == INFINITE ? 0 : ms);
        if (ms == INFINITE)
            return reap(*p, true) ? WAIT_OBJECT_0 : WAIT_FAILED;
        while (!reap(*p, false)) {
            if (std::chrono::steady_clock::now() >= deadline)
                return WAIT_TIMEOUT;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return WAIT_OBJECT_0;
    }
    return WAIT_OBJECT_0;
}

BOOL GetExitCodeThread(HANDLE thread, LPDWORD code)
{
    auto o = kernelObject(thread);
    if (!o || o->kind != KernelObject::Thread || !code)
        return FALSE;
    auto t = std::static_pointer_cast<ThreadObject>(o);
    std::lock_guard<std::mutex> lock(t->mutex);
    *code = t->done ? t->exitCode : STILL_ACTIVE;
    return TRUE;
}

BOOL GetExitCodeProcess(HANDLE process, LPDWORD code)
{
    auto o = kernelObject(process);
    if (!o || o->kind != KernelObject::Process || !code)
        return FALSE;
    auto p = std::static_pointer_cast<ProcessObject>(o);
    bool done = reap(*p, false);
    std::lock_guard<std::mutex> lock(p->mutex);
    *code = done ? DWORD(p->status) : STILL_ACTIVE;
    return TRUE;
}

void Sleep(DWORD ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// ---------------------------------------------------------------- files
HANDLE CreateFileW(LPCWSTR name, DWORD access, DWORD, LPSECURITY_ATTRIBUTES, DWORD disposition, DWORD, HANDLE)
{
    if (!name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    return openFile(posixPath(name), access, disposition);
}

HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD, LPSECURITY_ATTRIBUTES, DWORD disposition, DWORD, HANDLE)
{
    if (!name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    return openFile(posixPath(std::string(name)), access, disposition);
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED)
{
    auto f = fileOf(file);
    if (read)
        *read = 0;
    if (!f || (!buffer && toRead))
        return FALSE;
    size_t done = 0;
    while (done < toRead) {
        ssize_t n = ::read(f->fd, static_cast<char*>(buffer) + done, toRead - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            SetLastError(errnoToError(errno));
            return FALSE;
        }
        if (n == 0)
            break;
        done += size_t(n);
    }
    if (read)
        *read = DWORD(done);
    return TRUE;
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written, LPOVERLAPPED)
{
    auto f = fileOf(file);
    if (written)
        *written = 0;
    if (!f || (!buffer && toWrite))
        return FALSE;
    size_t done = 0;
    while (done < toWrite) {
        ssize_t n = ::write(f->fd, static_cast<const char*>(buffer) + done, toWrite - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            SetLastError(errnoToError(errno));
            return FALSE;
        }
        done += size_t(n);
    }
    if (written)
        *written = DWORD(done);
    return TRUE;
}

DWORD GetFileSize(HANDLE file, LPDWORD high)
{
    auto f = fileOf(file);
    struct stat st;
    if (!f || fstat(f->fd, &st) != 0)
        return INVALID_FILE_SIZE;
    uint64_t size = uint64_t(st.st_size);
    if (high)
        *high = DWORD(size >> 32);
    return DWORD(size & 0xFFFFFFFF);
}

DWORD SetFilePointer(HANDLE file, LONG distance, LONG* high, DWORD method)
{
    auto f = fileOf(file);
    if (!f)
        return INVALID_SET_FILE_POINTER;
    off_t d = high ? off_t((uint64_t(uint32_t(*high)) << 32) | uint32_t(distance)) : off_t(distance);
    int whence = method == FILE_END ? SEEK_END : (method == FILE_CURRENT ? SEEK_CUR : SEEK_SET);
    off_t r = lseek(f->fd, d, whence);
    if (r < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    if (high)
        *high = LONG(uint64_t(r) >> 32);
    return DWORD(uint64_t(r) & 0xFFFFFFFF);
}

DWORD GetFileType(HANDLE file)
{
    auto f = fileOf(file);
    struct stat st;
    if (!f || fstat(f->fd, &st) != 0)
        return FILE_TYPE_UNKNOWN;
    if (S_ISREG(st.st_mode))
        return FILE_TYPE_DISK;
    if (S_ISCHR(st.st_mode))
        return FILE_TYPE_CHAR;
    if (S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode))
        return FILE_TYPE_PIPE;
    return FILE_TYPE_UNKNOWN;
}

BOOL SetFileTime(HANDLE file, const FILETIME*, const FILETIME* access, const FILETIME* write)
{
    auto f = fileOf(file);
    if (!f)
        return FALSE;
    timespec times[2];
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_nsec = UTIME_OMIT;
    if (access)
        times[0] = fromFileTime(*access);
    if (write)
        times[1] = fromFileTime(*write);
    if (futimens(f->fd, times) != 0) {
        SetLastError(errnoToError(errno));
        return FALSE;
    }
    return TRUE;
}

BOOL GetFileTime(HANDLE file, LPFILETIME creation, LPFILETIME access, LPFILETIME write)
{
    auto f = fileOf(file);
    struct stat st;
    if (!f || fstat(f->fd, &st) != 0)
        return FALSE;
    if (creation)
        *creation = toFileTime(st.st_ctim);
    if (access)
        *access = toFileTime(st.st_atim);
    if (write)
        *write = toFileTime(st.st_mtim);
    return TRUE;
}

BOOL SystemTimeToFileTime(const SYSTEMTIME* st, LPFILETIME ft)
{
    if (!st || !ft || st->wMonth < 1 || st->wMonth > 12 || st->wDay < 1 || st->wDay > 31 || st->wYear < 1601)
        return FALSE;
    tm t{};
    t.tm_year = st->wYear - 1900;
    t.tm_mon = st->wMonth - 1;
    t.tm_mday = st->wDay;
    t.tm_hour = st->wHour;
    t.tm_min = st->wMinute;
    t.tm_sec = st->wSecond;
    time_t secs = timegm(&t);
    timespec ts{secs, long(st->wMilliseconds) * 1000000L};
    if (secs < 0) {
        // Before 1970: count from 1601 directly.
        int64_t v = int64_t(kEpochDiff) + int64_t(secs) * 10000000LL + st->wMilliseconds * 10000LL;
        *ft = FILETIME{DWORD(uint64_t(v) & 0xFFFFFFFF), DWORD(uint64_t(v) >> 32)};
        return TRUE;
    }
    *ft = toFileTime(ts);
    return TRUE;
}

BOOL FileTimeToSystemTime(const FILETIME* ft, LPSYSTEMTIME st)
{
    if (!ft || !st)
        return FALSE;
    timespec ts = fromFileTime(*ft);
    tm t{};
    gmtime_r(&ts.tv_sec, &t);
    *st = systemTime(t, ts.tv_nsec / 1000000);
    return TRUE;
}

BOOL DosDateTimeToFileTime(WORD fatDate, WORD fatTime, LPFILETIME ft)
{
    SYSTEMTIME st{};
    st.wYear = WORD(1980 + (fatDate >> 9));
    st.wMonth = WORD((fatDate >> 5) & 0xF);
    st.wDay = WORD(fatDate & 0x1F);
    st.wHour = WORD(fatTime >> 11);
    st.wMinute = WORD((fatTime >> 5) & 0x3F);
    st.wSecond = WORD((fatTime & 0x1F) * 2);
    if (st.wHour > 23 || st.wMinute > 59 || st.wSecond > 59)
        return FALSE;
    return SystemTimeToFileTime(&st, ft);
}

BOOL FileTimeToLocalFileTime(const FILETIME* ft, LPFILETIME local)
{
    if (!ft || !local)
        return FALSE;
    timespec ts = fromFileTime(*ft);
    tm t{};
    localtime_r(&ts.tv_sec, &t);
    int64_t v = int64_t((uint64_t(ft->dwHighDateTime) << 32) | ft->dwLowDateTime) + int64_t(t.tm_gmtoff) * 10000000LL;
    *local = FILETIME{DWORD(uint64_t(v) & 0xFFFFFFFF), DWORD(uint64_t(v) >> 32)};
    return TRUE;
}

BOOL LocalFileTimeToFileTime(const FILETIME* local, LPFILETIME ft)
{
    if (!ft || !local)
        return FALSE;
    timespec ts = fromFileTime(*local);
    tm t{};
    localtime_r(&ts.tv_sec, &t);
    int64_t v = int64_t((uint64_t(local->dwHighDateTime) << 32) | local->dwLowDateTime) -
                int64_t(t.tm_gmtoff) * 10000000LL;
    *ft = FILETIME{DWORD(uint64_t(v) & 0xFFFFFFFF), DWORD(uint64_t(v) >> 32)};
    return TRUE;
}

DWORD GetFileAttributesA(LPCSTR name)
{
    if (!name)
        return INVALID_FILE_ATTRIBUTES;
    std::string p = posixPath(std::string(name));
    struct stat st;
    if (stat(p.c_str(), &st) != 0) {
        SetLastError(errnoToError(errno));
        return INVALID_FILE_ATTRIBUTES;
    }
    return attributesOf(p, st);
}

DWORD GetFileAttributesW(LPCWSTR name) { return name ? GetFileAttributesA(toUtf8(name).c_str()) : INVALID_FILE_ATTRIBUTES; }

BOOL SetFileAttributesW(LPCWSTR name, DWORD attributes)
{
    if (!name)
        return FALSE;
    std::string p = posixPath(name);
    struct stat st;
    if (stat(p.c_str(), &st) != 0)
        return FALSE;
    mode_t m = st.st_mode & 07777;
    m = (attributes & FILE_ATTRIBUTE_READONLY) ? (m & ~mode_t(0222)) : (m | S_IWUSR);
    return chmod(p.c_str(), m) == 0;
}

BOOL DeleteFileA(LPCSTR name)
{
    if (!name || ::unlink(posixPath(std::string(name)).c_str()) != 0) {
        SetLastError(name ? errnoToError(errno) : ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return TRUE;
}

BOOL DeleteFileW(LPCWSTR name) { return name ? DeleteFileA(toUtf8(name).c_str()) : FALSE; }

BOOL CopyFileA(LPCSTR from, LPCSTR to, BOOL failIfExists)
{
    if (!from || !to)
        return FALSE;
    return copyFile(posixPath(std::string(from)), posixPath(std::string(to)), failIfExists) ? TRUE : FALSE;
}

BOOL CopyFileW(LPCWSTR from, LPCWSTR to, BOOL failIfExists)
{
    if (!from || !to)
        return FALSE;
    return copyFile(posixPath(from), posixPath(to), failIfExists) ? TRUE : FALSE;
}

BOOL MoveFileA(LPCSTR from, LPCSTR to)
{
    if (!from || !to)
        return FALSE;
    std::string a = posixPath(std::string(from)), b = posixPath(std::string(to));
    struct stat st;
    if (stat(b.c_str(), &st) == 0) {
        SetLastError(ERROR_ALREADY_EXISTS);
        return FALSE;
    }
    if (::rename(a.c_str(), b.c_str()) != 0) {
        SetLastError(errnoToError(errno));
        return FALSE;
    }
    return TRUE;
}

BOOL MoveFileW(LPCWSTR from, LPCWSTR to)
{
    if (!from || !to)
        return FALSE;
    return MoveFileA(toUtf8(from).c_str(), toUtf8(to).c_str());
}

BOOL CreateDirectoryA(LPCSTR name, LPSECURITY_ATTRIBUTES)
{
    if (!name)
        return FALSE;
    if (::mkdir(posixPath(std::string(name)).c_str(), 0755) != 0) {
        SetLastError(errnoToError(errno));
        return FALSE;
    }
    return TRUE;
}

BOOL CreateDirectoryW(LPCWSTR name, LPSECURITY_ATTRIBUTES sa) { return name ? CreateDirectoryA(toUtf8(name).c_str(), sa) : FALSE; }

BOOL RemoveDirectoryW(LPCWSTR name)
{
    if (!name || ::rmdir(posixPath(name).c_str()) != 0) {
        SetLastError(name ? errnoToError(errno) : ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return TRUE;
}

DWORD GetCurrentDirectoryA(DWORD size, LPSTR buffer)
{
    char buf[4096];
    if (!getcwd(buf, sizeof buf))
        return 0;
    size_t n = std::strlen(buf);
    if (!buffer || size <= n)
        return DWORD(n + 1);
    std::memcpy(buffer, buf, n + 1);
    return DWORD(n);
}

DWORD GetCurrentDirectoryW(DWORD size, LPWSTR buffer)
{
    char buf[4096];
    if (!getcwd(buf, sizeof buf))
        return 0;
    std::u16string w = fromUtf8(buf);
    if (!buffer || size <= w.size())
        return DWORD(w.size() + 1);
    std::memcpy(buffer, w.c_str(), (w.size() + 1) * sizeof(char16_t));
    return DWORD(w.size());
}

BOOL SetCurrentDirectoryW(LPCWSTR name) { return name && chdir(posixPath(name).c_str()) == 0; }

namespace {
std::string tempDir()
{
    const char* t = getenv("TMPDIR");
    std::string d = (t && *t) ? t : "/tmp";
    if (d.back() != '/')
        d += '/';
    return d;
}
}  // namespace

DWORD GetTempPathA(DWORD size, LPSTR buffer)
{
    std::string d = tempDir();
    if (!buffer || size <= d.size())
        return DWORD(d.size() + 1);
    std::memcpy(buffer, d.c_str(), d.size() + 1);
    return DWORD(d.size());
}

DWORD GetTempPathW(DWORD size, LPWSTR buffer)
{
    std::u16string d = fromUtf8(tempDir());
    if (!buffer || size <= d.size())
        return DWORD(d.size() + 1);
    std::memcpy(buffer, d.c_str(), (d.size() + 1) * sizeof(char16_t));
    return DWORD(d.size());
}

namespace {
template <typename Data, typename Conv>
HANDLE findFirstOf(const std::string& pattern, Data* data, Conv conv)
{
    if (!data)
        return INVALID_HANDLE_VALUE;
    std::shared_ptr<FindObject> f;
    HANDLE h = findFirst(pattern, f);
    if (h == INVALID_HANDLE_VALUE)
        return h;
    if (!fillFind(*f, data, conv)) {
        CloseHandle(h);
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    return h;
}

template <typename Data, typename Conv>
BOOL findNextOf(HANDLE find, Data* data, Conv conv)
{
    auto o = kernelObject(find);
    if (!o || o->kind != KernelObject::Find || !data)
        return FALSE;
    return fillFind(static_cast<FindObject&>(*o), data, conv) ? TRUE : FALSE;
}
}  // namespace

HANDLE FindFirstFileA(LPCSTR pattern, LPWIN32_FIND_DATAA data)
{
    return pattern ? findFirstOf(pattern, data, narrowName) : INVALID_HANDLE_VALUE;
}

BOOL FindNextFileA(HANDLE find, LPWIN32_FIND_DATAA data) { return findNextOf(find, data, narrowName); }

HANDLE FindFirstFileW(LPCWSTR pattern, LPWIN32_FIND_DATAW data)
{
    return pattern ? findFirstOf(toUtf8(pattern), data, wideName) : INVALID_HANDLE_VALUE;
}

BOOL FindNextFileW(HANDLE find, LPWIN32_FIND_DATAW data) { return findNextOf(find, data, wideName); }

BOOL FindClose(HANDLE find) { return CloseHandle(find); }

