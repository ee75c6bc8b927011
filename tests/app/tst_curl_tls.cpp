// test-labels: e2e
// HTTPS against a server with a private certificate: refused (and said why)
// until the deployment file names the CA bundle that signed it.
#include "app/CurlOptions.h"
#include "common/CurlTls.h"
#include "common/Deployment.h"
#include "ChildProcess.h"
#include "QtWait.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

namespace {

int freePort()
{
    int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
    close(s);
    return ntohs(a.sin_port);
}

size_t discard(char*, size_t size, size_t n, void*) { return size * n; }

CURLcode fetch(const std::string& url, std::string* described)
{
    CURL* h = curl_easy_init();
    curlopts::SetHttpOptions(h, url, curlopts::TransferLimits{});
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, discard);
    char err[CURL_ERROR_SIZE] = {0};
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, err);
    CURLcode rc = curl_easy_perform(h);
    *described = curltls::Describe(rc, err);
    curl_easy_cleanup(h);
    return rc;
}

}  // namespace

TEST(CurlTls, PrivateCertificateIsTrustedOnlyThroughTheDeploymentFile)
{
    testsupport::TempDir dir;
    const std::string key = dir.file("key.pem"), cert = dir.file("cert.pem");
    const std::string make = "openssl req -x509 -newkey rsa:2048 -nodes -keyout " + key + " -out " + cert
        + " -days 2 -subj /CN=127.0.0.1 -addext subjectAltName=IP:127.0.0.1 >/dev/null 2>&1";
    ASSERT_EQ(std::system(make.c_str()), 0);

    const int port = freePort();
    int pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        testsupport::prepareChild();
        const std::string accept = "127.0.0.1:" + std::to_string(port);
        execlp("openssl", "openssl", "s_server", "-quiet", "-www", "-accept", accept.c_str(), "-cert",
               cert.c_str(), "-key", key.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    const std::string url = "https://127.0.0.1:" + std::to_string(port) + "/";

    // No deployment file: the system bundle does not know the certificate.
    testsupport::ScopedEnv none("VELTORA_ENDPOINTS", dir.file("absent.ini"));
    deployment::Reload();
    std::string said;
    CURLcode rc = CURLE_COULDNT_CONNECT;
    ASSERT_TRUE(testsupport::waitUntil([&] { return (rc = fetch(url, &said)) != CURLE_COULDNT_CONNECT; }, 20000));
    EXPECT_EQ(rc, CURLE_PEER_FAILED_VERIFICATION) << said;
    EXPECT_NE(said.find("certificate not accepted; CA bundle: system default"), std::string::npos) << said;

    // The deployment file names the bundle: verified and accepted.
    const std::string ini = dir.file("endpoints.ini");
    std::ofstream(ini) << "[production]\nconfig=https://config.example\n[tls]\ncabundle=" << cert << "\n";
    testsupport::ScopedEnv named("VELTORA_ENDPOINTS", ini);
    deployment::Reload();
    EXPECT_EQ(deployment::CaBundle(), cert);
    EXPECT_EQ(fetch(url, &said), CURLE_OK) << said;

    // Verification stays on: the name must match the certificate too.
    const std::string byName = "https://localhost:" + std::to_string(port) + "/";
    rc = fetch(byName, &said);
    EXPECT_NE(rc, CURLE_OK);
    EXPECT_NE(said.find(cert), std::string::npos) << said;

    deployment::Reload();
    testsupport::stopChild(pid, 2000);
}
