// Room: the JSON reports (log or event report, record report) posted
// through the upload jobs.
#include "app/Room.h"

#include "app/CData.h"
#include "app/Logger.h"
#include "app/SystemInfo.h"
#include "app/UploadDoc.h"
#include "app/WorkerLifetime.h"

#include <nlohmann/json.hpp>

#include <cstdlib>

namespace {

const char* const kSdkVersion = "1.4.7";

}  // namespace

QByteArray Room::WrapReport(const QByteArray& json, int r)
{
    const QByteArray table(kReportTable);
    return table.mid(r, 3) + json.toBase64() + table.mid(r + 3, 6);
}

void Room::StartUpload(UploadDoc* job) { WorkerLifetime::Start(job); }

void Room::ReportLog(int type, const nlohmann::json& repoData)
{
    CData* data = CData::instance();
    const QStringList vars = data->GetLoginVar();
    if (vars.isEmpty()) {
        Logger::instance()->Log(LOG_WARN, "Room::ReportLog", "LoginVar invalied.");
        return;
    }
    auto text = [](const QString& s) { return s.toStdString(); };
    // nlohmann's objects keep their keys in ascending byte order.
    nlohmann::json body = {
        {"token", text(vars.value(0))},
        {"liveId", text(vars.value(1))},
        {"userId", text(vars.value(2))},
        {"userName", text(vars.value(3))},
        {"userType", data->GetLocalUser()->type},
        {"liveType", vars.value(5).toInt(nullptr, 10)},
        {"platform", data->GetPlatform()},
        {"systemVer", text(GetSystemVersion())},
        {"sdkVer", kSdkVersion},
        {"type", type},
        {"repoData", repoData},
    };
    const QByteArray inner = QByteArray::fromStdString(body.dump());
    const int tableLength = int(qstrlen(kReportTable));
    const QByteArray param = WrapReport(inner, std::rand() % (tableLength - 16));
    const nlohmann::json outer = {{"param", param.toStdString()}};
    QVariantMap map;
    map["type"] = type;
    map["postData"] = QString::fromStdString(outer.dump());
    StartUpload(new UploadDoc(UploadDoc::Report, QString(), QVariant(map)));
}

void Room::ReportRecord(bool start, QString stream)
{
    const QStringList vars = CData::instance()->GetLoginVar();
    if (vars.isEmpty()) {
        Logger::instance()->Log(LOG_WARN, "Room::ReportRecord", "LoginVar invalied.");
        return;
    }
    const nlohmann::json body = {
        {"action", start ? "start" : "stop"},
        {"stream", stream.toStdString()},
        {"token", vars.value(0).toStdString()},
    };
    QVariantMap map;
    map["postData"] = QString::fromStdString(body.dump());
    StartUpload(new UploadDoc(UploadDoc::RecordReport, QString(), QVariant(map)));
}
