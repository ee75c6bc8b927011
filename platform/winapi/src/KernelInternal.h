#pragma once
// Helpers shared by the files of Kernel*.cpp.
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

namespace winapi {

struct HandleTable {
    std::mutex mutex;
    std::map<uintptr_t, std::shared_ptr<KernelObject>> objects;  // guarded by mutex
    uintptr_t next = 0x100;                                     // guarded by mutex
};

inline HandleTable& handles()
{
    static HandleTable* t = new HandleTable;
    return *t;
}


// 100-ns intervals between 1601-01-01 and 1970-01-01.
constexpr uint64_t kEpochDiff = 116444736000000000ULL;

inline FILETIME toFileTime(const timespec& ts)
{
    uint64_t v = kEpochDiff + uint64_t(ts.tv_sec) * 10000000ULL + uint64_t(ts.tv_nsec) / 100;
    return FILETIME{DWORD(v & 0xFFFFFFFF), DWORD(v >> 32)};
}

inline timespec fromFileTime(const FILETIME& ft)
{
    uint64_t v = (uint64_t(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    timespec ts{};
    if (v < kEpochDiff)
        return ts;
    v -= kEpochDiff;
    ts.tv_sec = time_t(v / 10000000ULL);
    ts.tv_nsec = long((v % 10000000ULL) * 100);
    return ts;
}

inline SYSTEMTIME systemTime(const tm& t, long milliseconds)
{
    SYSTEMTIME st{};
    st.wYear = WORD(t.tm_year + 1900);
    st.wMonth = WORD(t.tm_mon + 1);
    st.wDayOfWeek = WORD(t.tm_wday);
    st.wDay = WORD(t.tm_mday);
    st.wHour = WORD(t.tm_hour);
    st.wMinute = WORD(t.tm_min);
    st.wSecond = WORD(t.tm_sec);
    st.wMilliseconds = WORD(milliseconds);
    return st;
}

inline DWORD attributesOf(const std::string& path, const struct stat& st)
{
    DWORD a = 0;
    if (S_ISDIR(st.st_mode))
        a |= FILE_ATTRIBUTE_DIRECTORY;
    if (!(st.st_mode & S_IWUSR))
        a |= FILE_ATTRIBUTE_READONLY;
    size_t slash = path.find_last_of('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (!name.empty() && name[0] == '.' && name != "." && name != "..")
        a |= FILE_ATTRIBUTE_HIDDEN;
    return a ? a : FILE_ATTRIBUTE_NORMAL;
}

inline HANDLE openFile(const std::string& path, DWORD access, DWORD disposition)
{
    int flags = O_CLOEXEC;
    if ((access & GENERIC_READ) && (access & GENERIC_WRITE))
        flags |= O_RDWR;
    else if (access & GENERIC_WRITE)
        flags |= O_WRONLY;
    else
        flags |= O_RDONLY;
    switch (disposition) {
    case CREATE_NEW:
        flags |= O_CREAT | O_EXCL;
        break;
    case CREATE_ALWAYS:
        flags |= O_CREAT | O_TRUNC;
        break;
    case OPEN_ALWAYS:
        flags |= O_CREAT;
        break;
    case TRUNCATE_EXISTING:
        flags |= O_TRUNC;
        break;
    default:
        break;
    }
    int fd = ::open(path.c_str(), flags, 0644);
    if (fd < 0) {
        SetLastError(errnoToError(errno));
        return INVALID_HANDLE_VALUE;
    }
    struct stat st;
    if (fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    auto f = std::make_shared<FileObject>();
    f->fd = fd;
    return addKernelObject(f);
}

inline std::shared_ptr<FileObject> fileOf(HANDLE h)
{
    auto o = kernelObject(h);
    if (!o || o->kind != KernelObject::File) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return std::static_pointer_cast<FileObject>(o);
}

inline bool copyFile(const std::string& from, const std::string& to, bool failIfExists)
{
    int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) {
        SetLastError(errnoToError(errno));
        return false;
    }
    struct stat st;
    fstat(in, &st);
    int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | (failIfExists ? O_EXCL : O_TRUNC),
                     st.st_mode & 0777);
    if (out < 0) {
        SetLastError(errnoToError(errno));
        ::close(in);
        return false;
    }
    char buf[65536];
    bool ok = true;
    for (;;) {
        ssize_t n = ::read(in, buf, sizeof buf);
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ok = false;
            break;
        }
        for (ssize_t done = 0; done < n;) {
            ssize_t w = ::write(out, buf + done, size_t(n - done));
            if (w < 0 && errno == EINTR)
                continue;
            if (w <= 0) {
                ok = false;
                break;
            }
            done += w;
        }
        if (!ok)
            break;
    }
    ::close(in);
    if (::close(out) != 0)
        ok = false;
    if (!ok) {
        SetLastError(ERROR_ACCESS_DENIED);
        ::unlink(to.c_str());
    }
    return ok;
}

struct FindObject : KernelObject {
    FindObject() { kind = Find; }
    std::string dir;
    std::string pattern;
    std::vector<std::string> names;
    size_t next = 0;
};

template <typename Data, typename Conv>
inline bool fillFind(FindObject& f, Data* data, Conv conv)
{
    while (f.next < f.names.size()) {
        const std::string& name = f.names[f.next++];
        std::string full = f.dir + "/" + name;
        struct stat st;
        if (lstat(full.c_str(), &st) != 0 && stat(full.c_str(), &st) != 0)
            continue;
        std::memset(data, 0, sizeof *data);
        data->dwFileAttributes = attributesOf(full, st);
        data->ftCreationTime = toFileTime(st.st_ctim);
        data->ftLastAccessTime = toFileTime(st.st_atim);
        data->ftLastWriteTime = toFileTime(st.st_mtim);
        uint64_t size = S_ISDIR(st.st_mode) ? 0 : uint64_t(st.st_size);
        data->nFileSizeHigh = DWORD(size >> 32);
        data->nFileSizeLow = DWORD(size & 0xFFFFFFFF);
        conv(name, data->cFileName);
        return true;
    }
    SetLastError(ERROR_NO_MORE_FILES);
    return false;
}

inline HANDLE findFirst(const std::string& patternPath, std::shared_ptr<FindObject>& out)
{
    std::string p = posixPath(patternPath);
    size_t slash = p.find_last_of('/');
    auto f = std::make_shared<FindObject>();
    f->dir = slash == std::string::npos ? "." : (slash == 0 ? "/" : p.substr(0, slash));
    f->pattern = slash == std::string::npos ? p : p.substr(slash + 1);
    if (f->pattern == "*.*")
        f->pattern = "*";
    DIR* d = opendir(f->dir.c_str());
    if (!d) {
        SetLastError(errnoToError(errno));
        return INVALID_HANDLE_VALUE;
    }
    while (dirent* e = readdir(d)) {
        if (fnmatch(f->pattern.c_str(), e->d_name, FNM_CASEFOLD) == 0)
            f->names.push_back(e->d_name);
    }
    closedir(d);
    std::sort(f->names.begin(), f->names.end());
    if (f->names.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    out = f;
    return addKernelObject(f);
}

inline void narrowName(const std::string& name, CHAR* dst)
{
    size_t n = std::min<size_t>(name.size(), MAX_PATH - 1);
    std::memcpy(dst, name.data(), n);
    dst[n] = 0;
}

inline void wideName(const std::string& name, WCHAR* dst)
{
    std::u16string w = fromUtf8(name);
    size_t n = std::min<size_t>(w.size(), MAX_PATH - 1);
    std::memcpy(dst, w.data(), n * sizeof(WCHAR));
    dst[n] = 0;
}

struct ThreadObject : KernelObject {
    ThreadObject() { kind = Thread; }
    std::mutex mutex;
    std::condition_variable cv;
    bool done = false;   // guarded by mutex
    DWORD exitCode = 0;  // guarded by mutex
};

struct ProcessObject : KernelObject {
    ProcessObject() { kind = Process; }
    pid_t pid = 0;
    std::mutex mutex;
    bool reaped = false;  // guarded by mutex
    int status = 0;       // guarded by mutex
};

inline bool reap(ProcessObject& p, bool wait)
{
    std::lock_guard<std::mutex> lock(p.mutex);
    if (p.reaped)
        return true;
    int status = 0;
    pid_t r = waitpid(p.pid, &status, wait ? 0 : WNOHANG);
    if (r == p.pid) {
        p.reaped = true;
        p.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
        return true;
    }
    if (r < 0) {
        p.reaped = true;
        p.status = 0;
        return true;
    }
    return false;
}


inline bool isExecutable(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

// The program named by a path, or the same without ".exe".
inline std::string resolveProgram(const std::string& path)
{
    std::string p = posixPath(path);
    if (isExecutable(p))
        return p;
    if (p.size() > 4) {
        std::string ext = p.substr(p.size() - 4);
        for (char& c : ext)
            c = char(std::tolower(static_cast<unsigned char>(c)));
        if (ext == ".exe" && isExecutable(p.substr(0, p.size() - 4)))
            return p.substr(0, p.size() - 4);
    }
    return std::string();
}

}  // namespace winapi
