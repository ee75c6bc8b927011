#pragma once
// What the player benchmarks share: starting a program in the background,
// reading a process's CPU time and memory from /proc, and the median.
#include <string>
#include <vector>

namespace benchplayer {

// Starts args[0] (searched in PATH) with stdin and stdout on /dev/null and
// stderr into stderrPath; the child's pid.
int spawn(const std::vector<std::string>& args, const char* stderrPath = "/dev/null");
// user + system CPU seconds of a process (0 when it is gone).
double processCpu(int pid);
// Resident memory now and its high-water mark, in MB (0 when unknown).
double residentMb(int pid);
double peakResidentMb(int pid);
// The middle value (NAN for none).
double median(std::vector<double> values);

}  // namespace benchplayer
