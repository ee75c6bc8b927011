#pragma once
// Helpers of the room window tests: a private data folder, the program's
// style sheet, session set-ups (small room, live room, student side) and
// screenshots under <build>/screenshots/.
#include "app/CData.h"
#include "TempDir.h"
#include "TestPaths.h"

#include <QApplication>
#include <QFile>
#include <QWidget>

namespace shelltest {

inline testsupport::TempHome& Home()
{
    static testsupport::TempHome home;
    return home;
}

// The teacher's style sheet, as the program sets it at start-up.
// Made before any test runs, so the logger and settings use it.
inline testsupport::TempHome& g_home = Home();

inline void UseProgramStyle()
{
    QFile f(":/pub/respub/teacher.qss");
    if (f.open(QIODevice::ReadOnly))
        qApp->setStyleSheet(QString::fromUtf8(f.readAll()));
}

// Login variables of a session: token, live id, user id, user name,
// group id, live type ("1" is a live room, "3" a small room).
inline void SetSession(bool liveRoom, const QString& token = "tok|6", const QString& name = "Ms Lin")
{
    Home();
    CData::instance()->SetLoginVar({token, "42", "1001", name, "7", liveRoom ? "1" : "3"});
}

inline std::string Screenshot(QWidget* w, const std::string& name)
{
    // Pending layout and polish requests first, so the picture is current.
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    const std::string path = testsupport::screenshotPath(name);
    w->grab().save(QString::fromStdString(path));
    return path;
}

}  // namespace shelltest
