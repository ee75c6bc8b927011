#pragma once
// Helpers for the servers that test fixtures start as child processes.

namespace testsupport {

// In a freshly forked child, before exec: the child is killed when the test
// process ends, however it ends (so no server outlives a crashed test and
// holds the test runner's output open), and its standard streams go to
// /dev/null (keepStderr leaves standard error alone).
void prepareChild(bool keepStderr = false);

// True (and pid cleared) when the child has ended; never blocks.
bool childEnded(int& pid);
// Asks a child to end (SIGTERM), waits up to graceMs, then kills it;
// pid is 0 afterwards. Nothing happens for pid <= 0.
void stopChild(int& pid, int graceMs);

}  // namespace testsupport
