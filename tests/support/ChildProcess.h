#pragma once
// Helpers for the servers that test fixtures start as child processes.

namespace testsupport {

// True (and pid cleared) when the child has ended; never blocks.
bool childEnded(int& pid);
// Asks a child to end (SIGTERM), waits up to graceMs, then kills it;
// pid is 0 afterwards. Nothing happens for pid <= 0.
void stopChild(int& pid, int graceMs);

}  // namespace testsupport
