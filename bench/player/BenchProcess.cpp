#include "bench/player/BenchProcess.h"

#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>

namespace benchplayer {

namespace {

// A "Vm...:" line of /proc/<pid>/status in MB.
double statusMb(int pid, const std::string& key)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(key, 0) == 0)
            return std::stod(line.substr(key.size())) / 1024.0;
    return 0;
}

}  // namespace

int spawn(const std::vector<std::string>& args, const char* stderrPath)
{
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        freopen("/dev/null", "w", stdout);
        freopen(stderrPath, "w", stderr);
        freopen("/dev/null", "r", stdin);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

double processCpu(int pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(in, line);
    const size_t close = line.rfind(')');
    if (close == std::string::npos)
        return 0;
    std::vector<std::string> fields;
    size_t pos = close + 2;
    while (pos < line.size()) {
        const size_t next = line.find(' ', pos);
        fields.push_back(line.substr(pos, next - pos));
        if (next == std::string::npos)
            break;
        pos = next + 1;
    }
    if (fields.size() < 13)
        return 0;
    return (std::stod(fields[11]) + std::stod(fields[12])) / double(sysconf(_SC_CLK_TCK));
}

double residentMb(int pid) { return statusMb(pid, "VmRSS:"); }

double peakResidentMb(int pid) { return statusMb(pid, "VmHWM:"); }

double median(std::vector<double> values)
{
    if (values.empty())
        return NAN;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace benchplayer
