#include "widgets/ToastHandupButton.h"

#include "app/CData.h"
#include "app/Logger.h"
#include "app/Room.h"
#include "ClientLib.h"

#include <QEvent>
#include <QPainter>
#include <QStyleOption>

namespace {

QString handupStyle(const char* image)
{
    return QStringLiteral("QWidget\n{\n\tbackground:transparent; \n\tborder-image: url(%1);\n\tborder-radius: 15px;\n}")
        .arg(QLatin1String(image));
}

}  // namespace

ToastHandupButton::ToastHandupButton(QWidget* parent) : QWidget(parent), m_watched(parent)
{
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setFixedSize(Side, Side);
    if (m_watched)
        m_watched->installEventFilter(this);
    installEventFilter(this);
    placeInCorner();
}

ToastHandupButton::~ToastHandupButton() = default;

void ToastHandupButton::setHandupCall(HandupCall call)
{
    m_handup = std::move(call);
}

bool ToastHandupButton::callHandup(bool raised)
{
    if (m_handup)
        return m_handup(raised);
    ClientLib* lib = Room::instance()->GetClientLib();
    if (!lib) {
        LOG_WARN_F("ToastHandupButton::callHandup", "no client library: hand-up %d not sent", int(raised));
        return false;
    }
    return lib->SetHandup(raised);
}

void ToastHandupButton::setHandupState(bool raised)
{
    if (!raised && !m_raised)
        return;
    m_raised = raised;
    if (raised) {
        setStyleSheet(handupStyle(":/video/res/video/handup.png"));
        m_countDown = CountDownTicks;
        connect(CData::instance(), &CData::sgTimerUpdate, this, &ToastHandupButton::onTimerUpdate,
                Qt::UniqueConnection);
    } else {
        setStyleSheet(handupStyle(":/video/res/video/handup2.png"));
        m_countDown = 0;
        disconnect(CData::instance(), &CData::sgTimerUpdate, this, &ToastHandupButton::onTimerUpdate);
    }
}

void ToastHandupButton::onTimerUpdate(int)
{
    if (!m_raised)
        return;
    const int before = m_countDown--;
    if (before >= 1)
        return;
    if (callHandup(false) && m_raised)
        setHandupState(false);
}

bool ToastHandupButton::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_watched && event->type() == QEvent::Resize) {
        placeInCorner();
    } else if (watched == this && event->type() == QEvent::MouseButtonPress) {
        const bool next = !m_raised;
        if (callHandup(next))
            setHandupState(next);
    }
    return QWidget::eventFilter(watched, event);
}

void ToastHandupButton::placeInCorner()
{
    if (m_watched)
        move(m_watched->width() - Side - CornerGap, m_watched->height() - Side - CornerGap);
}

void ToastHandupButton::paintEvent(QPaintEvent*)
{
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
}
