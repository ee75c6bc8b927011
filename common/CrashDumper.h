#pragma once
// Turns a fatal signal (SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT) into a dump
// file and ends the process with a non-zero status. Each program sets up one
// instance at start; the dump holds the signal, the registers, a backtrace
// and the memory map, written with async-signal-safe calls from a handler
// running on an alternate stack (so a stack overflow of the thread that set
// the dumper up is caught as well).
//
// Dump names: <dump folder>/<yyyyMMddhhmmss>.dmp when the folder exists,
// else <program folder>/<program name>.<yyyyMMddhhmmss>.dmp (local time). An
// existing dump is never overwritten: a later one of the same second gets
// "-1", "-2", ... before ".dmp".
//
// Plain C++ (no Qt): the main program and the updater both use it.
#include <csignal>
#include <cstddef>

class CrashDumper {
public:
    // dumpFolder: the folder for dumps (made when missing; its parent must
    // exist), or null. Makes this object the process-wide handler and
    // installs the signal handlers. showMessages: failures of the handler
    // are written to standard error.
    CrashDumper(bool showMessages, const char* dumpFolder);
    // Stops using this object; the handlers stay installed but decline.
    ~CrashDumper();
    CrashDumper(const CrashDumper&) = delete;
    CrashDumper& operator=(const CrashDumper&) = delete;

    // No dump from now on: a fatal signal takes the system's default path.
    static void Disable();
    // The current handler; null when none is set up or after Disable.
    static CrashDumper* Current();

    // The file the next dump would go to (without the "-n" suffix), for the
    // given UNIX time; used by the handler and by tests.
    void DumpPathFor(long long unixTime, char* out, size_t size) const;

    const char* DumpFolder() const { return m_dumpFolder; }

    static constexpr size_t kPathMax = 4096;

private:
    static void OnSignal(int sig, siginfo_t* info, void* context);
    void WriteDump(int sig, const siginfo_t* info, const void* context);

    char m_dumpFolder[kPathMax];     // zero-filled when none was given
    char m_programFolder[kPathMax];  // the executable's folder, with the trailing "/"
    char m_programName[kPathMax];    // the executable's file name
    bool m_showMessages;
    long m_utcOffsetSec;             // local time offset, taken at construction
    void* m_altStack;                // the signal stack of the constructing thread
    size_t m_altStackSize;
    stack_t m_prevAltStack;          // that thread's signal stack before this one
};
