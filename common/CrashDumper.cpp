#include "common/CrashDumper.h"

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <execinfo.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <ucontext.h>
#include <unistd.h>

namespace {

const int kSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT};

std::atomic<CrashDumper*> g_handler{nullptr};  // written at start and at closing, read by the handler
std::atomic<bool> g_dumping{false};            // the first faulting thread writes; others wait for the exit

// --- async-signal-safe text helpers (no allocation, no locale, no stdio) ---

struct Out {
    int fd;
    void str(const char* s) const
    {
        size_t n = std::strlen(s);
        while (n > 0) {
            ssize_t w = ::write(fd, s, n);
            if (w < 0 && errno == EINTR)
                continue;
            if (w <= 0)
                return;
            s += w;
            n -= size_t(w);
        }
    }
    void dec(long long v) const
    {
        char buf[24];
        int i = sizeof buf - 1;
        buf[i] = 0;
        bool neg = v < 0;
        unsigned long long u = neg ? 0ULL - (unsigned long long)v : (unsigned long long)v;
        do {
            buf[--i] = char('0' + u % 10);
            u /= 10;
        } while (u && i > 1);
        if (neg)
            buf[--i] = '-';
        str(buf + i);
    }
    void hex(unsigned long long v) const
    {
        char buf[19] = "0x";
        for (int i = 0; i < 16; ++i)
            buf[2 + i] = "0123456789abcdef"[(v >> (60 - 4 * i)) & 0xF];
        buf[18] = 0;
        str(buf);
    }
};

void append(char* out, size_t size, const char* s)
{
    size_t len = std::strlen(out);
    while (*s && len + 1 < size)
        out[len++] = *s++;
    out[len] = 0;
}

void appendDigits(char* out, size_t size, long long v, int width)
{
    char buf[24];
    for (int i = width - 1; i >= 0; --i) {
        buf[i] = char('0' + v % 10);
        v /= 10;
    }
    buf[width] = 0;
    append(out, size, buf);
}

// yyyyMMddhhmmss of a UNIX time shifted by the local offset (civil date from
// a day count, valid for the Gregorian calendar).
void appendStamp(char* out, size_t size, long long t)
{
    long long days = t / 86400;
    long long secs = t % 86400;
    if (secs < 0) {
        secs += 86400;
        --days;
    }
    days += 719468;
    long long era = (days >= 0 ? days : days - 146096) / 146097;
    long long doe = days - era * 146097;
    long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    long long y = yoe + era * 400;
    long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    long long mp = (5 * doy + 2) / 153;
    long long d = doy - (153 * mp + 2) / 5 + 1;
    long long m = mp < 10 ? mp + 3 : mp - 9;
    if (m <= 2)
        ++y;
    appendDigits(out, size, y, 4);
    appendDigits(out, size, m, 2);
    appendDigits(out, size, d, 2);
    appendDigits(out, size, secs / 3600, 2);
    appendDigits(out, size, secs / 60 % 60, 2);
    appendDigits(out, size, secs % 60, 2);
}

const char* signalName(int sig)
{
    switch (sig) {
    case SIGSEGV: return "SIGSEGV";
    case SIGBUS: return "SIGBUS";
    case SIGILL: return "SIGILL";
    case SIGFPE: return "SIGFPE";
    case SIGABRT: return "SIGABRT";
    default: return "signal";
    }
}

bool isDirectory(const char* path)
{
    struct stat st;
    return path[0] && ::stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

void copyFile(const Out& out, const char* path)
{
    int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return;
    char buf[4096];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf - 1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        buf[n] = 0;
        out.str(buf);
    }
    ::close(fd);
}

void writeRegisters(const Out& out, const void* context)
{
#if defined(__x86_64__)
    const ucontext_t* uc = static_cast<const ucontext_t*>(context);
    if (!uc)
        return;
    static const struct {
        const char* name;
        int index;
    } regs[] = {{"rip", REG_RIP}, {"rsp", REG_RSP}, {"rbp", REG_RBP}, {"rax", REG_RAX}, {"rbx", REG_RBX},
                {"rcx", REG_RCX}, {"rdx", REG_RDX}, {"rsi", REG_RSI}, {"rdi", REG_RDI}, {"r8", REG_R8},
                {"r9", REG_R9},   {"r10", REG_R10}, {"r11", REG_R11}, {"r12", REG_R12}, {"r13", REG_R13},
                {"r14", REG_R14}, {"r15", REG_R15}, {"eflags", REG_EFL}, {"err", REG_ERR}, {"trapno", REG_TRAPNO}};
    for (const auto& r : regs) {
        out.str(r.name);
        out.str(" ");
        out.hex((unsigned long long)uc->uc_mcontext.gregs[r.index]);
        out.str("\n");
    }
#elif defined(__aarch64__)
    const ucontext_t* uc = static_cast<const ucontext_t*>(context);
    if (!uc)
        return;
    for (int i = 0; i < 31; ++i) {
        out.str("x");
        out.dec(i);
        out.str(" ");
        out.hex(uc->uc_mcontext.regs[i]);
        out.str("\n");
    }
    out.str("sp ");
    out.hex(uc->uc_mcontext.sp);
    out.str("\npc ");
    out.hex(uc->uc_mcontext.pc);
    out.str("\n");
#else
    (void)out;
    (void)context;
#endif
}

}  // namespace

CrashDumper::CrashDumper(bool showMessages, const char* dumpFolder)
    : m_showMessages(showMessages), m_altStack(nullptr), m_altStackSize(0)
{
    std::memset(m_dumpFolder, 0, sizeof m_dumpFolder);
    std::memset(m_programFolder, 0, sizeof m_programFolder);
    std::memset(m_programName, 0, sizeof m_programName);
    std::memset(&m_prevAltStack, 0, sizeof m_prevAltStack);
    if (dumpFolder && *dumpFolder) {
        append(m_dumpFolder, kPathMax, dumpFolder);
        if (!isDirectory(m_dumpFolder))
            ::mkdir(m_dumpFolder, 0755);
    }

    char exe[kPathMax] = {0};
    ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n > 0) {
        exe[n] = 0;
        const char* slash = std::strrchr(exe, '/');
        if (slash) {
            append(m_programName, kPathMax, slash + 1);
            std::memcpy(m_programFolder, exe, size_t(slash - exe + 1));
        } else {
            append(m_programName, kPathMax, exe);
        }
    }

    // The local time offset now, as localtime is not safe inside a handler.
    time_t now = ::time(nullptr);
    struct tm local;
    ::localtime_r(&now, &local);
    m_utcOffsetSec = local.tm_gmtoff;

    // backtrace() loads its unwinder on first use; do that here, not in the
    // handler.
    void* frames[4];
    ::backtrace(frames, 4);

    // A stack of its own for the handler, so that a stack overflow can be
    // reported (this thread's; other threads run the handler on their stack).
    m_altStackSize = size_t(SIGSTKSZ) < 65536 ? 65536 : size_t(SIGSTKSZ);
    m_altStack = std::malloc(m_altStackSize);
    if (m_altStack) {
        stack_t ss;
        std::memset(&ss, 0, sizeof ss);
        ss.ss_sp = m_altStack;
        ss.ss_size = m_altStackSize;
        ::sigaltstack(&ss, &m_prevAltStack);
    }

    g_handler = this;
    struct sigaction sa;
    std::memset(&sa, 0, sizeof sa);
    sa.sa_sigaction = &CrashDumper::OnSignal;
    sa.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&sa.sa_mask);
    for (int sig : kSignals)
        ::sigaction(sig, &sa, nullptr);
}

CrashDumper::~CrashDumper()
{
    // A fault after this object is gone takes the default path rather than
    // reading a dead object.
    CrashDumper* self = this;
    g_handler.compare_exchange_strong(self, nullptr);
    // The thread that made this object (the usual destroying thread) gets its
    // former signal stack back and this one is freed. Another thread cannot
    // unregister it, so then it stays for the life of the process.
    stack_t current;
    if (m_altStack && ::sigaltstack(nullptr, &current) == 0 && current.ss_sp == m_altStack &&
        !(current.ss_flags & SS_ONSTACK) && ::sigaltstack(&m_prevAltStack, nullptr) == 0) {
        std::free(m_altStack);
        m_altStack = nullptr;
    }
}

void CrashDumper::Disable()
{
    g_handler = nullptr;
}

CrashDumper* CrashDumper::Current()
{
    return g_handler.load();
}

void CrashDumper::DumpPathFor(long long unixTime, char* out, size_t size) const
{
    if (size == 0)
        return;
    out[0] = 0;
    if (isDirectory(m_dumpFolder)) {
        append(out, size, m_dumpFolder);
        append(out, size, "/");
    } else {
        append(out, size, m_programFolder);
        append(out, size, m_programName);
        append(out, size, ".");
    }
    appendStamp(out, size, unixTime + m_utcOffsetSec);
}

void CrashDumper::OnSignal(int sig, siginfo_t* info, void* context)
{
    CrashDumper* self = g_handler.load();
    if (!self) {
        // Declined: the default action (termination, core dump) follows when
        // the faulting instruction runs again or the signal is raised anew.
        struct sigaction sa;
        std::memset(&sa, 0, sizeof sa);
        sa.sa_handler = SIG_DFL;
        sigemptyset(&sa.sa_mask);
        ::sigaction(sig, &sa, nullptr);
        if (info && info->si_code <= 0)
            ::raise(sig);  // sent by kill/raise/abort: re-deliver
        return;
    }
    if (g_dumping.exchange(true)) {
        // Another thread writes the dump; it ends the process.
        for (;;)
            ::pause();
    }
    self->WriteDump(sig, info, context);
    ::_exit(128 + sig);
}

void CrashDumper::WriteDump(int sig, const siginfo_t* info, const void* context)
{
    char base[kPathMax];
    DumpPathFor((long long)::time(nullptr), base, sizeof base);
    char path[kPathMax + 16];
    int fd = -1;
    for (int n = 0; n < 1000 && fd < 0; ++n) {
        path[0] = 0;
        append(path, sizeof path, base);
        if (n > 0) {
            append(path, sizeof path, "-");
            char num[8] = {0};
            int len = n >= 100 ? 3 : n >= 10 ? 2 : 1;
            int v = n;
            for (int i = len - 1; i >= 0; --i, v /= 10)
                num[i] = char('0' + v % 10);
            append(path, sizeof path, num);
        }
        append(path, sizeof path, ".dmp");
        fd = ::open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0) {
        if (m_showMessages) {
            Out err{2};
            err.str("Failed to create the mini-dump file '");
            err.str(path);
            err.str("' (error ");
            err.dec(errno);
            err.str(")\n");
        }
        return;
    }

    Out out{fd};
    out.str("crash dump\nprogram ");
    out.str(m_programFolder);
    out.str(m_programName);
    out.str("\npid ");
    out.dec(::getpid());
    out.str("\nthread ");
    out.dec((long long)::syscall(SYS_gettid));
    out.str("\nsignal ");
    out.dec(sig);
    out.str(" ");
    out.str(signalName(sig));
    if (info) {
        out.str("\ncode ");
        out.dec(info->si_code);
        out.str("\naddress ");
        out.hex((unsigned long long)(uintptr_t)info->si_addr);
    }
    out.str("\n\n[registers]\n");
    writeRegisters(out, context);
    out.str("\n[backtrace]\n");
    void* frames[128];
    int count = ::backtrace(frames, 128);
    ::backtrace_symbols_fd(frames, count, fd);
    out.str("\n[maps]\n");
    copyFile(out, "/proc/self/maps");
    if (::fsync(fd) != 0 && m_showMessages) {
        Out err{2};
        err.str("Failed to save the mini-dump file to '");
        err.str(path);
        err.str("'\n");
    }
    ::close(fd);
}
