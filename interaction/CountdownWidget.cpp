#include "interaction/CountdownWidget.h"
#include "ui_CountdownWidget.h"

#include "app/CData.h"
#include "app/Logger.h"
#include "app/Room.h"
#include "ClientLib.h"
#include "widgets/Toast.h"

#include <QPainter>
#include <QStyleOption>
#include <QTimer>

#include <algorithm>

namespace {

constexpr int kToastMs = 3000;
constexpr int kStartGuardMs = 500;

}  // namespace

CountdownWidget::CountdownWidget(QWidget* parent) : QWidget(parent), ui(new Ui::CountdownWidget), m_parent(parent)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    hide();
}

CountdownWidget::~CountdownWidget() { delete ui; }

void CountdownWidget::StartCountdown(bool start, int seconds)
{
    if (!CData::instance()->IsTeacher()) {
        emit sgBadgeStart(start, seconds);
        return;
    }
    if (start && seconds < 1) {
        // Nothing to count: a running look would never tick, and the next
        // click would start instead of stopping. Taken as the room's stop.
        Logger::instance()->Log(LOG_WARN, "CountdownWidget::StartCountdown", "start with %d seconds, stopped", seconds);
        start = false;
    }
    if (!start) {
        StopSteps(false);
        return;
    }
    m_remaining = seconds;
    SetRunning(true);
    connect(CData::instance(), &CData::sgTimerUpdate, this, &CountdownWidget::onTimerUpdate, Qt::UniqueConnection);
    show();
    raise();
}

void CountdownWidget::StopCountdown(bool hideIt)
{
    StopSteps(hideIt);
    if (hideIt)
        hide();
}

void CountdownWidget::StopSteps(bool hideBadge)
{
    emit sgBadgeStop(hideBadge);
    disconnect(CData::instance(), &CData::sgTimerUpdate, this, &CountdownWidget::onTimerUpdate);
    m_remaining = -1;
    ShowTime(kPresetSeconds);
    SetRunning(false);
}

void CountdownWidget::ShowTime(int seconds)
{
    ui->labMin->setText(QString("%1").arg(seconds / 60, 2, 10, QChar('0')));
    ui->labSec->setText(QString("%1").arg(seconds % 60, 2, 10, QChar('0')));
}

void CountdownWidget::SetRunning(bool running)
{
    ui->btnStart->setText(running ? tr("停止计时") : tr("开始计时"));
    for (QWidget* w : {ui->btnUpMin10, ui->btnUpMin, ui->btnUpSec10, ui->btnUpSec, ui->btnDownMin10, ui->btnDownMin,
                       ui->btnDownSec10, ui->btnDownSec})
        w->setVisible(!running);
}

void CountdownWidget::onTimerUpdate(int)
{
    if (m_remaining < 1)
        return;
    --m_remaining;
    ShowTime(m_remaining);
    SetRunning(true);
    if (m_remaining == 0) {
        ui->btnStart->setText(tr("计时已结束"));
        disconnect(CData::instance(), &CData::sgTimerUpdate, this, &CountdownWidget::onTimerUpdate);
    }
}

// The labels hold the setting while the countdown is stopped.
int CountdownWidget::SetSeconds() const
{
    return ui->labMin->text().toInt(nullptr, 10) * 60 + ui->labSec->text().toInt(nullptr, 10);
}

void CountdownWidget::Step(int delta) { ShowTime(std::clamp(SetSeconds() + delta, 0, kMaxSeconds)); }

void CountdownWidget::on_btnUpMin10_clicked() { Step(600); }
void CountdownWidget::on_btnUpMin_clicked() { Step(60); }
void CountdownWidget::on_btnUpSec10_clicked() { Step(10); }
void CountdownWidget::on_btnUpSec_clicked() { Step(1); }
void CountdownWidget::on_btnDownMin10_clicked() { Step(-600); }
void CountdownWidget::on_btnDownMin_clicked() { Step(-60); }
void CountdownWidget::on_btnDownSec10_clicked() { Step(-10); }
void CountdownWidget::on_btnDownSec_clicked() { Step(-1); }

void CountdownWidget::on_btnClose_clicked() { hide(); }

void CountdownWidget::on_btnStart_clicked()
{
    ClientLib* lib = Room::instance()->GetClientLib();
    if (m_remaining > 0) {
        if (lib && lib->SetCountdown(0, false))
            StopSteps(false);
        return;
    }
    if (m_remaining == 0) {
        StopSteps(false);
        return;
    }
    const int total = SetSeconds();
    if (total < 1) {
        Toast::ShowToast(tr("请先设置时间"), m_parent, kToastMs);
        return;
    }
    // A refused start keeps the stopped look, but the next click asks the
    // library to stop what it may have started.
    m_remaining = total;
    if (lib && lib->SetCountdown(total, true))
        SetRunning(true);
    ui->btnStart->setEnabled(false);
    QTimer::singleShot(kStartGuardMs, this, [this] { ui->btnStart->setEnabled(true); });
}

void CountdownWidget::paintEvent(QPaintEvent*)
{
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
}
