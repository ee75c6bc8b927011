#pragma once
// One version order for Veltora and the updater: dotted versions compare
// component by component as numbers, so "1.0.10" is newer than "1.0.9".
#include <string>

namespace version {

// <0 when a is older than b, 0 when equal, >0 when a is newer.
// Missing components count as 0 ("1.2" == "1.2.0"). A component's leading
// digits are its value; a component without digits counts as 0, so garbage
// never throws and never compares above a real release.
int compare(const std::string& a, const std::string& b);

inline bool isNewer(const std::string& candidate, const std::string& current)
{
    return compare(candidate, current) > 0;
}

}  // namespace version
