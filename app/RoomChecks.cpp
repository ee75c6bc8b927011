// Room: the work on the session's once-a-second tick: the network speed
// test, the speed, CPU and memory report, the desktop snapshot of a desktop
// class, and the CPU and memory sampling.
#include "app/Room.h"

#include "app/CData.h"
#include "app/DownThread.h"
#include "app/Logger.h"
#include "app/PubUtils.h"
#include "app/SystemInfo.h"
#include "app/UrlProxy.h"
#include "app/WorkerLifetime.h"

#include <QApplication>
#include <QDesktopWidget>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QThreadPool>
#include <QWidget>

#include <nlohmann/json.hpp>

#include <numeric>

namespace {

constexpr int kSpeedReportType = 2001;
constexpr int kSpeedTimeoutSec = 5;
constexpr qint64 kFailedDelayMs = 10000;
constexpr int kAverageWindow = 10;
constexpr int kLoadAlarm = 70;
constexpr int kDesktopLiveMode = 3;

}  // namespace

int Room::SpeedLevel(qint64 delayMs)
{
    if (delayMs < 100)
        return 5;
    if (delayMs < 200)
        return 4;
    if (delayMs < 300)
        return 3;
    if (delayMs < 500)
        return 2;
    if (delayMs < 700)
        return 1;
    return 0;
}

void Room::UpdateAverage(qint64 sample, std::deque<qint64>& window, qint64& average)
{
    if (window.size() >= size_t(kAverageWindow))
        window.pop_front();
    window.push_back(sample);
    const qint64 mean = std::accumulate(window.begin(), window.end(), qint64(0)) / qint64(window.size());
    average = std::max(sample, mean);
}

void Room::onTimerUpdate(int index)
{
    CData* data = CData::instance();
    const bool teacher = data->IsTeacher();
    const int speedEvery = teacher ? 5 : 15;
    const int reportEvery = teacher ? 30 : 60;
    if (index % speedEvery == 0)
        StartSpeedTest();
    if (index % reportEvery == 0 && !data->GetLoginVar().isEmpty()) {
        ReportLog(kSpeedReportType, nlohmann::json{{"cpu", std::to_string(m_cpuAvg)},
                                                   {"memory", std::to_string(m_memAvg)},
                                                   {"speed", std::to_string(m_delayAvg)}});
    }
    if (index % 60 == 0 && teacher && data->GetLiveMode() == kDesktopLiveMode)
        SnapshotDesktop();
    if (index % 10 == 0)
        SampleLoad();
}

void Room::StartSpeedTest()
{
    const int key = m_speedTests++;
    const char* base = UrlProxy::GetUrl(kUrlSpeedMirror);
    if (!base || !*base) {
        Logger::instance()->Log(LOG_WARN, "Room::onTimerUpdate", "no speed-test address (key %d)", key);
        return;
    }
    auto* down = new DownThread(std::string(base) + "?key=" + std::to_string(key), 0, false);
    down->timeoutSec = kSpeedTimeoutSec;
    down->maxTries = 1;
    down->setProperty("startTime", NowMs());
    down->setProperty("indexKey", QString::number(key));
    WorkerLifetime::Start(down, this, &Room::onDownFinish);
}

void Room::onDownFinish(DownThread* down)
{
    if (!down)
        return;
    if (down->type != 0)
        return;
    const QString key = down->property("indexKey").toString();
    qint64 delay = kFailedDelayMs;
    // Any answer counts: its content is not read.
    if (!down->GetData().isEmpty()) {
        delay = (NowMs() - down->property("startTime").toLongLong()) / 2;
    }
    if (m_speedTests % 10 == 0 || delay > 200)
        Logger::instance()->Log(LOG_INFO, "Room::onDownFinish", "dospeed %s delay %lld", key.toUtf8().constData(),
                                delay);
    const int level = SpeedLevel(delay);
    UpdateAverage(delay, m_delays, m_delayAvg);
    emit sgRoomSpeed(level, int(delay));
}

void Room::SnapshotDesktop()
{
    QScreen* screen = nullptr;
    if (QWidget* top = m_libParent ? PubUtils::GetTopWidget(m_libParent) : nullptr) {
        const int number = QApplication::desktop()->screenNumber(top);
        const QList<QScreen*> screens = QGuiApplication::screens();
        if (number >= 0 && number < screens.size())
            screen = screens.at(number);
    }
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    Logger::instance()->Log(LOG_INFO, "Room::onTimerUpdate", "desk grabWindow screen pre");
    const QPixmap shot = screen->grabWindow(0);
    if (shot.isNull())
        return;
    const QImage image = shot.toImage().scaled(800, 600, Qt::KeepAspectRatio, Qt::FastTransformation);
    UploadShadowImage(QString::fromStdString(CData::instance()->GetLocalUser()->userId), image);
}

void Room::SampleLoad()
{
    const int cpu = GetProcessCpuUsage();
    const int memory = int(GetMemoryLoad());
    UpdateAverage(cpu, m_cpus, m_cpuAvg);
    UpdateAverage(memory, m_mems, m_memAvg);
    if (cpu > kLoadAlarm || memory > kLoadAlarm)
        Logger::instance()->Log(LOG_INFO, "Room::onTimerUpdate", "check cpu memory %d %d avg %lld %lld", cpu, memory,
                                m_cpuAvg, m_memAvg);
}
