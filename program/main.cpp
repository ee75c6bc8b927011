// The entry of Veltora: application set-up in a fixed order, then the main
// window and the event loop.
#include "app/CData.h"
#include "app/CSettings.h"
#include "common/CrashDumper.h"
#include "app/GlobalConstants.h"
#include "app/Logger.h"
#include "mainwindow/MainWindow.h"
#include "media/RoomMediaSetup.h"
#include "app/PubUtils.h"
#include "app/StartupChecks.h"

#include <QApplication>
#include <QFile>
#include <QFont>
#include <QLocale>
#include <QTranslator>

#include <curl/curl.h>

#include <memory>

namespace {

// The style sheet of this build: the teacher's (the student sheet serves the
// student build of the same code).
QString loadStyleSheet(bool teacher)
{
    QFile f(teacher ? ":/pub/respub/teacher.qss" : ":/pub/respub/student.qss");
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll());
}

}  // namespace

int main(int argc, char** argv)
{
    if (IsBelowWindows10())
        QCoreApplication::setAttribute(Qt::AA_UseSoftwareOpenGL, true);
    PrepareRasterGraphics();

    auto app = std::make_unique<QApplication>(argc, argv);
    if (!CheckSingleInstance("vtmaintea"))
        return 0;

    // Crash dumps go to the data folder's "crashDumps"; no message boxes.
    const std::string dumpFolder = PubUtils::GetAppData() + "/crashDumps";
    CrashDumper crashDumper(false, dumpFolder.c_str());

    QGuiApplication::setQuitOnLastWindowClosed(false);

    // The UI font; fontconfig and the substitution below map it to the
    // installed CJK font.
    QFont::insertSubstitution("Microsoft YaHei", "WenQuanYi Micro Hei");
    QFont::insertSubstitution(QString::fromUtf8("微软雅黑"), "WenQuanYi Micro Hei");
    QFont font = QApplication::font();
    font.setFamily("Microsoft YaHei");
    QApplication::setFont(font);

    app->setStyleSheet(loadStyleSheet(CData::instance()->IsTeacher()));

    QTranslator translator;
    const char* qm = QLocale::system().language() == QLocale::Chinese ? vt::kTranslationChinese : vt::kTranslationOther;
    if (translator.load(QCoreApplication::applicationDirPath() + "/" + qm))
        QCoreApplication::installTranslator(&translator);

    curl_global_init(CURL_GLOBAL_ALL);
    // The room's live pusher and player, before any library calls back.
    InstallRoomMedia();

    int result = 0;
    {
        MainWindow w;
        result = app->exec();
    }
    // The data model outlives the application object (a process-wide
    // instance): its tick must not outlive the event loop.
    CData::instance()->StopTimer();
    return result;
}
