#pragma once
// The deployment file both programs read: $VELTORA_ENDPOINTS, else
// "endpoints.ini" beside the running program, else beside the main program
// under bin/32bit (the updater lives two levels above it). Besides the server
// hosts it may name the CA bundle that every HTTPS transfer trusts:
//
//   [tls]
//   cabundle=/etc/veltora/private-ca.pem
//
// Verification always stays on; without the key libcurl's system bundle is
// used.
#include "common/IniFile.h"

#include <string>
#include <vector>

namespace deployment {

// The candidate files in the order they are tried.
std::vector<std::string> Candidates();

// The first candidate that loads, or an empty IniFile.
IniFile Load();

// The CA bundle named by the deployment file, or "" for the system default.
// Read once per process (thread-safe); Reload() reads it again.
std::string CaBundle();
void Reload();

}  // namespace deployment
