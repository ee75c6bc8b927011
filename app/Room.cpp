// Room: life, binding of the two libraries and the callback-to-signal road.
#include "app/Room.h"

#include "app/CData.h"
#include "app/CSettings.h"
#include "ClientLib.h"
#include "app/CurlHandleGuard.h"
#include "app/DelayCommand.h"
#include "app/Logger.h"
#include "app/PubUtils.h"
#include "app/UrlProxy.h"
#include "WhiteBoardLib.h"

#include <QThreadPool>
#include <QUuid>

namespace {

void writeLibraryLog(const QVariant& var)
{
    Logger::instance()->WriteLine(var.toMap().value("log").toString().toStdString());
}

void clientLibThunk(ClientLibRs code, const QVariant& var) { ClientLibCallback(static_cast<int>(code), var); }
void wbLibThunk(WBRs code, const QVariant& var) { WBLibCallback(static_cast<int>(code), var); }

}  // namespace

Room* Room::instance()
{
    static Room room;
    return &room;
}

Room::Room(QObject* parent) : QObject(parent)
{
    connect(CData::instance(), &CData::sgTimerUpdate, this, &Room::onTimerUpdate, Qt::UniqueConnection);
    QThreadPool::globalInstance()->setMaxThreadCount(8);
    m_delayCommand = new DelayCommand();
    connect(m_delayCommand, &DelayCommand::sgDelayCommand, this, &Room::onDelayCommand);
    m_delayCommand->SetDelayProvider(&Room::PlayCatchMs);
}

Room::~Room()
{
    // A program that never left its room still has both libraries: their
    // threads stop here, before the data they call back into goes. The
    // board's widgets went with their parents; the board only stops
    // following them.
    ReleaseLibraries();
    if (m_delayCommand) {
        m_delayCommand->Stop();
        m_delayCommand->wait();
        delete m_delayCommand;
    }
}

QString Room::EnsureAppGuid()
{
    QString guid = CSettings::instance()->GetValue("App/AppExtGuid", "").toString();
    if (guid.isEmpty()) {
        guid = QUuid::createUuid().toString();
        guid.remove('{').remove('}');
        CSettings::instance()->SetValue("App/AppExtGuid", guid);
        Logger::instance()->Log(LOG_INFO, "Room::InitLib", "init guid %s", guid.toUtf8().constData());
    }
    return guid;
}

QVariantMap Room::BuildLibConfig() const
{
    auto url = [](int key) { return QString::fromUtf8(UrlProxy::GetUrl(key)); };
    QVariantMap map;
    map["appData"] = QString::fromStdString(PubUtils::GetAppData());
    map["urlRoom"] = url(kUrlRoomProxy);
    map["urlWB"] = url(kUrlWhiteboardProxy);
    map["urlChat"] = url(kUrlChatServer);
    map["urlMedia"] = url(kUrlMediaGateway);
    map["urlUserHttp"] = QStringList{url(kUrlUserHttp1), url(kUrlUserHttp2), url(kUrlUserHttp3), url(kUrlUserHttp4),
                                     url(kUrlReportHost)};
    map["userType"] = CData::instance()->GetLocalUser()->type;
    map["onAudioCB"] = qlonglong(reinterpret_cast<quintptr>(static_cast<ClientLibAudioFn>(&Room::OnAudioCB)));
    map["onVideoCB"] = qlonglong(reinterpret_cast<quintptr>(static_cast<ClientLibVideoFn>(&Room::OnVideoCB)));
    map["playCatchMsFunc"] = qlonglong(reinterpret_cast<quintptr>(static_cast<ClientLibPlayCatchFn>(&Room::PlayCatchMs)));
    map["curlLocker"] = qlonglong(reinterpret_cast<quintptr>(CurlHandleGuard::instance()->GetLock()));
    map["appGuid"] = CSettings::instance()->GetValue("App/AppExtGuid", "").toString();
    return map;
}

void Room::InitLib(QWidget* parent)
{
    EnsureAppGuid();
    m_libParent = parent;
    const QVariantMap map = BuildLibConfig();
    m_clientLib = CreateClientLib(&clientLibThunk, QVariant(map));
    if (!m_clientLib)
        Logger::instance()->Log(LOG_WARN, "Room::InitLib", "CreateClientLib failed!");
    m_wbLib = WBCreateLib(parent, &wbLibThunk, QVariant(map));
    if (!m_wbLib)
        Logger::instance()->Log(LOG_WARN, "Room::InitLib", "WBCreateLib failed!");
}

void Room::ExitRoom()
{
    InitDisplayWidget(nullptr);
    if (m_delayCommand)
        m_delayCommand->Stop();
    ResetMixer();
}

void Room::ReleaseLibraries()
{
    // Each library is released and cleared on its own, so a failed factory
    // on one side never leaves the other one alive.
    if (m_clientLib) {
        ReleaseClientLib(m_clientLib);
        m_clientLib = nullptr;
    }
    if (m_wbLib) {
        WBReleaseLib(m_wbLib);
        m_wbLib = nullptr;
    }
}

void Room::ReleaseLib()
{
    ReleaseLibraries();
    // The libraries no longer call back: the pusher and the player go.
    ReleaseLiveMedia();
}

void Room::onDelayCommand(QVariant cmd, QVariant var) { emit sgClientLibCmd(cmd.toInt(), var); }

void ClientLibCallback(int code, const QVariant& var)
{
    if (code == RsC_Log) {
        writeLibraryLog(var);
        return;
    }
    CData* data = CData::instance();
    // This runs on the library thread. IsTeacher is a constant (true in this
    // program), so the GUI-thread state behind IsLiveRoom is never read here.
    if (!data->IsTeacher() && data->IsLiveRoom() && (code == RsC_Countdown || code == RsC_Question_Start || code == RsC_Question_Stop)) {
        Room::instance()->GetDelayCommand()->AddTask(QVariant(code), var);
        return;
    }
    emit Room::instance()->sgClientLibCmd(code, var);
}

void WBLibCallback(int code, const QVariant& var)
{
    if (code == RsWB_Log) {
        writeLibraryLog(var);
        return;
    }
    emit Room::instance()->sgWBLibCmd(code, var);
}
