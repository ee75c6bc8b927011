#include "interaction/LotteryAnswer.h"
#include "ui_LotteryAnswer.h"

#include "app/CData.h"
#include "app/Logger.h"
#include "app/Room.h"
#include "ClientLib.h"

#include <QEvent>
#include <QPainter>
#include <QStyleOption>
#include <QTimer>

LotteryAnswer::LotteryAnswer(QWidget* parent) : QWidget(parent), ui(new Ui::LotteryAnswer)
{
    ui->setupUi(this);
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    installEventFilter(this);
    m_timer = new QTimer(this);
    connect(m_timer, &QTimer::timeout, this, &LotteryAnswer::onUpdateTimer);
    ResetData(false);
    hide();
}

LotteryAnswer::~LotteryAnswer() { delete ui; }

bool LotteryAnswer::Animating() const { return m_timer->isActive(); }

void LotteryAnswer::ShowPicture(const QString& name)
{
    ui->labImage->setStyleSheet(QString("border-image: url(:/widget/res/widget/%1.png);").arg(name));
}

void LotteryAnswer::ShowWidget(qint64 lotteryId)
{
    if (CData::instance()->IsTeacher())
        return;
    if (lotteryId == 0) {
        Logger::instance()->Log(LOG_WARN, "LotteryAnswer::ShowWidget", "lottery id err %lld", lotteryId);
        return;
    }
    ResetData(false);
    m_lotteryId = lotteryId;
    show();
    raise();
}

void LotteryAnswer::ShowResult(bool won)
{
    if (CData::instance()->IsTeacher() || !m_joined)
        return;
    m_won = won;
    ui->btnClose->show();
    ui->btnClose->raise();
    m_timer->start(kFrameMs);
    show();
    raise();
}

void LotteryAnswer::ResetData(bool hideIt)
{
    if (m_timer->isActive())
        m_timer->stop();
    ui->btnClose->hide();
    ShowPicture("Lottery0");
    m_joined = false;
    m_frame = 0;
    m_lotteryId = 0;
    if (hideIt)
        hide();
}

void LotteryAnswer::onUpdateTimer()
{
    if (m_frame < kLastFrame) {
        ++m_frame;
        ShowPicture(QString("Lottery%1").arg(m_frame));
        return;
    }
    ShowPicture(m_won ? "LotteryOk" : "LotteryFailed");
    m_timer->stop();
}

void LotteryAnswer::on_btnClose_clicked() { hide(); }

bool LotteryAnswer::eventFilter(QObject* watched, QEvent* event)
{
    // Presses on the picture reach the panel itself.
    if (watched == this && event->type() == QEvent::MouseButtonPress && !m_joined && m_lotteryId != 0) {
        ClientLib* lib = Room::instance()->GetClientLib();
        if (lib && lib->JoinLottery(m_lotteryId))
            m_joined = true;
    }
    return QWidget::eventFilter(watched, event);
}

void LotteryAnswer::paintEvent(QPaintEvent*)
{
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
    raise();
}

void LotteryAnswer::showEvent(QShowEvent* event)
{
    if (QWidget* p = parentWidget()) {
        const QPoint centre = p->rect().center();
        move(centre.x() - width() / 2, centre.y() - height() / 2);
    }
    QWidget::showEvent(event);
}
