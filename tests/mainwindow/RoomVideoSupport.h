#pragma once
// Helpers of the room video tests: a stand-in room window (a top-level
// widget with the tile strip and the whiteboard area under it) with the
// room's libraries made on its whiteboard area, and commands as the room
// delivers them.
#include "app/Room.h"
#include "ClientLib.h"
#include "ClientLibTestControl.h"
#include "mainwindow/room/RoomWhiteboard.h"
#include "mainwindow/room/UserItem.h"
#include "mainwindow/room/UserListCtrl.h"
#include "tests/mainwindow/ShellTestSupport.h"

#include <QVariantMap>
#include <QWidget>

namespace roomvideo {

// The libraries of a process are made once, on the first window's area.
inline QWidget* Board()
{
    static QWidget* board = [] {
        auto* b = new QWidget;
        Room::instance()->InitLib(b);
        return b;
    }();
    return board;
}

// 1000 x 760: the strip (600 x 120 at x 200) and the whiteboard area
// (1000 x 640 under it).
struct RoomWindow {
    QWidget top;
    UserListCtrl* list;
    RoomWindow()
    {
        top.resize(1000, 760);
        list = new UserListCtrl(&top);
        list->setGeometry(200, 0, 600, 120);
        QWidget* board = Board();
        board->setParent(&top);
        board->setGeometry(0, 120, 1000, 640);
        board->show();
        if (QWidget* wb = RoomWhiteboardWidget())
            wb->setGeometry(board->rect());
    }
    ~RoomWindow()
    {
        list->clearUsers();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        Board()->setParent(nullptr);
    }
    // A command as the room delivers it.
    void cmd(int code, const QVariantMap& m) { list->onClientLibCmd(code, m); }
    void addUser(const QString& id, bool cam = true, int type = 0, const QString& name = QString())
    {
        cmd(RsC_UserVideo_State, {{"userid", id}, {"cam", cam}, {"mic", true}, {"type", type},
                                  {"userName", name.isEmpty() ? "user " + id : name}});
    }
    QStringList barIds() const
    {
        QStringList ids;
        for (UserItem* item : list->barItems()) ids << item->userInfo()->userId;
        return ids;
    }
};

inline ClientLib* Lib() { return Room::instance()->GetClientLib(); }

// The calls named `name` the program made since the last ClearCalls.
inline QList<QVariantList> CallsOf(const QString& name)
{
    QList<QVariantList> out;
    for (const ClientLibCall& c : ClientLibTestControl::Calls(Lib()))
        if (c.name == name) out << c.args;
    return out;
}

}  // namespace roomvideo
