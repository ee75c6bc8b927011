#pragma once
// The program's servers on a private nginx (HTTP and RTMP application
// "video"), for the tests that run the whole room: the media lines and the
// live configuration on its HTTP site, and an endpoints file that names it
// for every role and lets the demo students publish their cameras there.
#include "NginxFixture.h"
#include "tests/mainwindow/ShellTestSupport.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace localservices {

inline void WriteFile(const std::string& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(QString::fromStdString(path)).path());
    QFile f(QString::fromStdString(path));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// The live configuration as the server encodes it (each byte + 3, Base64).
inline QByteArray EncodeConfig(const QByteArray& json)
{
    QByteArray shifted = json;
    for (char& c : shifted)
        c = static_cast<char>(static_cast<unsigned char>(c) + 3);
    return shifted.toBase64();
}

// "127.0.0.1:<rtmp port>"
inline QString RtmpHost(const testsupport::NginxFixture& nginx)
{
    return QString("127.0.0.1:%1").arg(nginx.rtmpPort());
}

// Writes the server's files and the endpoints file (in the test's home);
// returns the endpoints file's path, for VELTORA_ENDPOINTS.
inline std::string WriteServices(const testsupport::NginxFixture& nginx)
{
    const QString rtmpHost = RtmpHost(nginx);
    const QByteArray lines = QString(R"({"mediaLine":[{"key":"local","title":"本机线路","pushUrl":"%1",)"
                                     R"("pullUrl":"%1","deskTopPushUrl":"%1","deskTopPullUrl":"%1","default":true}]})")
                                 .arg(rtmpHost)
                                 .toUtf8();
    WriteFile(nginx.httpRoot() + "/pc/TeaMediaLine.json", lines);
    WriteFile(nginx.httpRoot() + "/pc/TestTeaMediaLine.json", lines);
    WriteFile(nginx.httpRoot() + "/rqs/liveconfig",
              EncodeConfig(R"({"layout":"1","showUserNumByChat":"1","openSyncLive":"0"})"));
    QByteArray endpoints;
    for (const char* table : {"[production]", "[test]"}) {
        endpoints += QByteArray(table) + "\n";
        for (const char* role : {"config", "web", "room", "cms", "docs", "mirror", "live", "snapshot", "report", "log",
                                 "dump", "files", "monitor", "update"})
            endpoints += QByteArray(role) + "=" + QByteArray::fromStdString(nginx.httpUrl()) + "\n";
    }
    endpoints += "[demo]\nstudentStreams=rtmp://" + rtmpHost.toUtf8() + "/video/\n";
    const std::string endpointsFile = shelltest::Home().home() + "/endpoints.ini";
    WriteFile(endpointsFile, endpoints);
    return endpointsFile;
}

// The private nginx with those files, named by VELTORA_ENDPOINTS while this
// object lives.
class LocalServices {
public:
    LocalServices() : m_nginx(Options()) {}

    // Starts nginx and writes the files; false (with error()) when nginx
    // does not come up.
    bool start()
    {
        shelltest::Home();
        if (!m_nginx.start())
            return false;
        m_endpoints = std::make_unique<testsupport::ScopedEnv>("VELTORA_ENDPOINTS", WriteServices(m_nginx));
        return true;
    }
    const std::string& error() const { return m_nginx.error(); }
    QString rtmpHost() const { return RtmpHost(m_nginx); }

private:
    static testsupport::NginxFixture::Options Options()
    {
        testsupport::NginxFixture::Options options;
        options.rtmp = true;
        options.rtmpApp = "video";
        return options;
    }

    testsupport::NginxFixture m_nginx;
    std::unique_ptr<testsupport::ScopedEnv> m_endpoints;
};

}  // namespace localservices
