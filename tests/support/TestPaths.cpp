#include "TestPaths.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace testsupport {

std::string sourceDir()
{
    if (const char* s = getenv("VELTORA_SOURCE_DIR"))
        return s;
    return VELTORA_SOURCE_DIR_DEFAULT;
}

std::string binaryDir()
{
    if (const char* s = getenv("VELTORA_BINARY_DIR"))
        return s;
    return VELTORA_BINARY_DIR_DEFAULT;
}

std::string findProgram(const std::string& name)
{
    std::string path = getenv("PATH") ? getenv("PATH") : "";
    path += ":/usr/sbin:/usr/bin:/sbin:/bin";
    std::stringstream ss(path);
    std::string dir;
    while (std::getline(ss, dir, ':')) {
        if (dir.empty())
            continue;
        std::string p = dir + "/" + name;
        if (access(p.c_str(), X_OK) == 0)
            return p;
    }
    return {};
}

int freeTcpPort()
{
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        return 0;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    int port = 0;
    socklen_t len = sizeof(addr);
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == 0
        && getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) == 0)
        port = ntohs(addr.sin_port);
    close(fd);
    return port;
}

std::string screenshotPath(const std::string& name)
{
    const std::string folder = binaryDir() + "/screenshots";
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    return folder + "/" + name;
}

}  // namespace testsupport
