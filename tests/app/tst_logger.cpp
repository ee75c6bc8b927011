#include "app/Logger.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <QStringList>

namespace {

QStringList linesOf(const std::string& path)
{
    QString text = QString::fromStdString(testsupport::readFile(path));
    QStringList lines = text.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

}  // namespace

TEST(Logger, LineFormatAndLevelTags)
{
    testsupport::TempDir dir;
    const std::string path = dir.file("run.log");
    {
        Logger log(QString::fromStdString(path));
        log.Log(300, "PubUtils::GetAppData", "config %s", "/data");
        log.Log(200, "DownThread::doDown", "failed %d", 404);
        log.Log(100, "A::b", "err");
        log.Log(400, "A::c", "dbg");
        log.Log(250, "A::d", "untagged");
        log.Log(500, "A::e", "only on the debug output");
        log.Log(300, "A::f", "%s", "");  // formats to nothing: no line
        log.WriteLine("raw library text");
    }
    QStringList lines = linesOf(path);
    ASSERT_EQ(lines.size(), 6) << lines.join("|").toStdString();
    QRegularExpression head("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3} \\[\\d+\\] ");
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(head.match(lines[i]).hasMatch()) << lines[i].toStdString();
    EXPECT_TRUE(lines[0].endsWith("PubUtils::GetAppData Info config /data"));
    EXPECT_TRUE(lines[1].endsWith("DownThread::doDown Warn>> failed 404"));
    EXPECT_TRUE(lines[2].endsWith("A::b Error>>> err"));
    EXPECT_TRUE(lines[3].endsWith("A::c Debug dbg"));
    EXPECT_TRUE(lines[4].endsWith("A::duntagged"));
    EXPECT_EQ(lines[5], "raw library text");
}

TEST(Logger, LongMessagesAreCutCleanly)
{
    testsupport::TempDir dir;
    const std::string path = dir.file("long.log");
    {
        Logger log(QString::fromStdString(path));
        log.Log(300, "A::a", "%s", std::string(20000, 'x').c_str());
        // A multi-byte character straddling the cut is dropped whole.
        std::string cjk = std::string(10238, 'y') + "\xe4\xb8\xad" + "tail";
        log.Log(300, "A::b", "%s", cjk.c_str());
    }
    QStringList lines = linesOf(path);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].endsWith("A::a Info " + QString(10239, 'x')));
    QByteArray second = lines[1].toUtf8();
    EXPECT_TRUE(second.endsWith(QByteArray(10238, 'y')));
    EXPECT_TRUE(QString::fromUtf8(second).toUtf8() == second);  // valid UTF-8
}

TEST(Logger, LargeExistingFileKeepsItsTail)
{
    testsupport::TempDir dir;
    const std::string path = dir.file("big.log");
    {
        QFile f(QString::fromStdString(path));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        QByteArray head(7 * 1024 * 1024, 'h');
        QByteArray tail(5 * 1024 * 1024, 't');
        f.write(head);
        f.write(tail);
    }
    {
        Logger log(QString::fromStdString(path));
        log.Log(300, "A::a", "after");
    }
    std::string content = testsupport::readFile(path);
    ASSERT_GT(content.size(), 5242880u);
    EXPECT_EQ(content.find('h'), std::string::npos);
    EXPECT_EQ(content.substr(0, 5242880), std::string(5242880, 't'));
    EXPECT_NE(content.find("A::a Info after\n", 5242880), std::string::npos);
}

TEST(Logger, UnwritableFolderStillLogsToDebugOutput)
{
    static QStringList seen;
    seen.clear();
    QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext&, const QString& msg) { seen << msg; });
    {
        Logger log("/proc/veltora-no-such-folder/x.log");
        log.Log(300, "A::a", "goes nowhere but the debug output %d", 7);
    }
    qInstallMessageHandler(previous);
    const QStringList lines = seen.filter("goes nowhere but the debug output 7");
    ASSERT_EQ(lines.size(), 1) << seen.join('\n').toStdString();
    EXPECT_TRUE(lines[0].contains("A::a")) << lines[0].toStdString();
    EXPECT_TRUE(lines[0].contains(" Info ")) << lines[0].toStdString();
    EXPECT_FALSE(QFile::exists("/proc/veltora-no-such-folder/x.log"));
}
