#pragma once
// Where the tests find the source tree, the build tree and helper programs.
#include <string>

namespace testsupport {

std::string sourceDir();   // $VELTORA_SOURCE_DIR (set by CTest), else the compile-time source dir
std::string binaryDir();   // $VELTORA_BINARY_DIR, else the compile-time build dir
// Full path of a program on PATH or in /usr/sbin, /usr/bin; empty when missing.
std::string findProgram(const std::string& name);
// <build>/screenshots/<name>, the folder made: where tests keep a picture of
// every window they show, for a reviewer to look at.
std::string screenshotPath(const std::string& name);
// A TCP port on 127.0.0.1 that was free a moment ago.
int freeTcpPort();

}  // namespace testsupport
