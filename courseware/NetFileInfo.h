#pragma once
// One entry of a cloud folder listing (a folder or a file), as the client
// library's "listFiles" elements carry it. Text is UTF-8. A plain value.
#include <QString>
#include <QVariantMap>

#include <string>

// The owner words of the cloud disks: the teacher's own and the group's.
inline const QString g_strTeacher = QStringLiteral("teacher");
inline const QString g_strGroup = QStringLiteral("group");

struct NetFileInfo {
    std::string uuid;         // "uuid": id of the entry
    std::string puuid;        // "puuid": the folder holding it
    std::string name;         // "name"
    std::string ext_name;     // "ext_name": extension without the dot
    int file_type = -1;       // "file_type": 0 a folder, anything else a file
    std::string file_url;     // "file_url": empty while the server converts it
    std::string create_user;  // "create_user"
    std::string create_time;  // "create_time": "yyyy-MM-dd hh:mm:ss"
    std::string update_time;  // "update_time"
    int pageNum = -1;         // "pageNum"
    int size = -1;            // "size": bytes
    std::string guid;         // "guid"

    NetFileInfo() = default;
    NetFileInfo(const std::string& id) : uuid(id) {}

    // An entry from one listing element; missing keys stay empty (or -1 for
    // the numbers), values of another type are converted as QVariant does.
    static NetFileInfo FromMap(const QVariantMap& m)
    {
        auto text = [&](const char* key) { return m.value(key).toString().toStdString(); };
        auto number = [&](const char* key) {
            bool ok = false;
            const int v = m.value(key).toInt(&ok);
            return ok ? v : -1;
        };
        NetFileInfo e(text("uuid"));
        e.puuid = text("puuid");
        e.file_type = number("file_type");
        e.name = text("name");
        e.ext_name = text("ext_name");
        e.create_user = text("create_user");
        e.create_time = text("create_time");
        e.update_time = text("update_time");
        e.file_url = text("file_url");
        e.guid = text("guid");
        e.size = number("size");
        e.pageNum = number("pageNum");
        return e;
    }
};
