#pragma once
// Shared pieces of the home tests: a private data folder, the client
// library of the demo school wired to a receiver of HTTP results as the
// main window wires it, the program's style sheet and screenshots.
#include "ClientLib.h"
#include "ClientLibTestControl.h"
#include "QtWait.h"
#include "TempDir.h"
#include "TestPaths.h"
#include "app/Room.h"

#include <QApplication>
#include <QFile>
#include <QWidget>

#include <functional>

namespace hometest {

// One data folder for the whole test process (settings are a singleton).
inline testsupport::TempHome& home()
{
    static testsupport::TempHome h;
    return h;
}

// The client library of the demo school, made once per process.
inline ClientLib* lib()
{
    home();
    static QWidget board;
    Room* room = Room::instance();
    if (!room->GetClientLib())
        room->InitLib(&board);
    return room->GetClientLib();
}

// Calls receive(type, data) on the GUI thread for every HTTP result.
inline QMetaObject::Connection onHttpResult(QObject* context, std::function<void(int, QVariant)> receive)
{
    return QObject::connect(Room::instance(), &Room::sgClientLibCmd, context, [receive](int code, QVariant data) {
        if (code >= RsC_Http_Login && code <= RsC_Http_AppAuth)
            receive(code, data);
    });
}

inline void useProgramStyle()
{
    QFile f(":/pub/respub/teacher.qss");
    if (f.open(QIODevice::ReadOnly))
        qApp->setStyleSheet(QString::fromUtf8(f.readAll()));
}

inline void screenshot(QWidget* w, const std::string& name)
{
    w->grab().save(QString::fromStdString(testsupport::screenshotPath(name)));
}

// Calls made to the library with the given operation name.
inline QList<ClientLibCall> callsNamed(const QString& name)
{
    QList<ClientLibCall> out;
    for (const ClientLibCall& c : ClientLibTestControl::Calls(lib()))
        if (c.name == name)
            out << c;
    return out;
}

}  // namespace hometest
