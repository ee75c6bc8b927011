#pragma once
// A room session for the courseware tests: the room controller with the real
// client and whiteboard libraries over a small school (teacher and group
// cloud disks), logged in, with every HTTP result routed to one courseware
// panel as the main window routes them.
#include "QtWait.h"
#include "tests/courseware/DocTestUtil.h"

#include "ClientLib.h"
#include "ClientLibTestControl.h"
#include "app/CData.h"
#include "app/Room.h"
#include "courseware/DocFileItem.h"
#include "courseware/DocWidget.h"

#include <QListWidget>
#include <QWidget>

#include <gtest/gtest.h>

namespace doctest {

inline const char* schoolJson()
{
    return R"({
  "teacher": {"account": "13800000001", "password": "pw-right", "userId": "501", "userName": "周老师",
              "userType": 1, "sid": "sid-501"},
  "courses": [{"class_id": 71, "group_id": "81", "class_name": "数学", "total": 4, "live_type": "3", "room_type": 2,
     "schedule": {"days": [], "time": "10:00:00", "minutes": 45},
     "today": [{"time": "now-5", "minutes": 60, "name": "今日数学"}]}],
  "groups": [{"id": 81, "name": "一班", "type": 2, "messages": []}],
  "disk": {
    "teacher": [
      {"uuid": "f1", "puuid": "0", "file_type": 0, "name": "课件"},
      {"uuid": "f2", "puuid": "f1", "file_type": 1, "name": "a.pdf", "ext_name": "pdf", "pageNum": 2, "guid": "g2"},
      {"uuid": "f3", "puuid": "0", "file_type": 1, "name": "song.mp3", "ext_name": "mp3", "guid": "g3",
       "docType": "media", "duration": 30, "mediaUrl": "http://127.0.0.1:1/a.mp3"}
    ],
    "group:81": [
      {"uuid": "gd1", "puuid": "0", "file_type": 0, "name": "教研组"},
      {"uuid": "gf1", "puuid": "gd1", "file_type": 1, "name": "b.pptx", "ext_name": "pptx", "pageNum": 3, "guid": "gg1"}
    ]
  },
  "students": [],
  "convertMs": 50
})";
}

class DocSession {
public:
    DocSession()
    {
        static bool ready = false;
        if (!ready) {
            static testsupport::TempDir dir;
            static testsupport::ScopedEnv data("VELTORA_CLIENTLIB_DATA", dir.write("school.json", schoolJson()));
            static QWidget board;
            Room::instance()->InitLib(&board);
            ready = true;
            // Log in once: the cloud disks answer only then.
            bool in = false;
            auto c = QObject::connect(Room::instance(), &Room::sgClientLibCmd, [&](int code, QVariant v) {
                in = in || (code == RsC_Http_Login && v.toMap().value("code").toInt() == 0);
            });
            lib()->Login("13800000001", "pw-right", "86");
            EXPECT_TRUE(testsupport::waitUntil([&] { return in; }, 20000));
            QObject::disconnect(c);
        }
        EXPECT_TRUE(CData::instance()->SetLoginVar({"tok|1", "room1", "501", "周老师", "81", "3"}));
        CData::instance()->SetStatusText(kStatusToken, "tok|1");
        panel = new DocWidget();
        QObject::connect(Room::instance(), &Room::sgClientLibCmd, panel, [this](int code, QVariant v) {
            if (code >= 1000 && code <= 1033)
                panel->onUserHttpCmd(code, v);
            results.append(code);
        });
        ClientLibTestControl::ClearCalls(lib());
    }
    ~DocSession()
    {
        closeBoxes();
        delete panel;
        while (QGuiApplication::overrideCursor())
            QGuiApplication::restoreOverrideCursor();
    }
    static ClientLib* lib() { return Room::instance()->GetClientLib(); }

    // The calls of one operation made so far.
    static QList<QVariantList> calls(const QString& name)
    {
        QList<QVariantList> out;
        for (const ClientLibCall& c : ClientLibTestControl::Calls(lib()))
            if (c.name == name)
                out << c.args;
        return out;
    }
    // Waits until `code` has arrived `n` times in all.
    bool waitResult(int code, int n = 1)
    {
        return testsupport::waitUntil([&] { return results.count(code) >= n; }, 20000);
    }

    DocWidget* panel = nullptr;
    QList<int> results;  // every command code, in order of arrival
};

// The names of a list's rows, in order.
inline QStringList rowNames(QListWidget* list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        if (auto* row = qobject_cast<DocFileItem*>(list->itemWidget(list->item(i))))
            out << QString::fromStdString(row->GetMode() == DocFileItem::ModeRoomDoc ? row->GetDocInfo().fileName
                                                                                      : row->GetNetFile().name);
    return out;
}

inline QListWidgetItem* itemNamed(QListWidget* list, const QString& name)
{
    for (int i = 0; i < list->count(); ++i)
        if (rowNames(list).value(i) == name)
            return list->item(i);
    return nullptr;
}

inline DocFileItem* rowNamed(QListWidget* list, const QString& name)
{
    QListWidgetItem* item = itemNamed(list, name);
    return item ? qobject_cast<DocFileItem*>(list->itemWidget(item)) : nullptr;
}

}  // namespace doctest
