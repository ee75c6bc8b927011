#include "widgets/MicrophoneVolumeCtrl.h"

#include "app/Logger.h"

#include <QPainter>
#include <QPixmap>
#include <QStyleOption>

#include <cmath>

namespace {

const char* const kLitColor = "#26BB75";
const char* const kIcon = ":/main/res/main/mic_bg.png";

QPointer<QObject>& levelSource()
{
    static QPointer<QObject> source;  // GUI thread only
    return source;
}

QPointer<QObject>& microphoneLevelSource()
{
    static QPointer<QObject> source;  // GUI thread only
    return source;
}

}  // namespace

MicrophoneVolumeCtrl::MicrophoneVolumeCtrl(QWidget* parent) : QWidget(parent) {}

MicrophoneVolumeCtrl::~MicrophoneVolumeCtrl() = default;

void MicrophoneVolumeCtrl::SetAudioLevelSource(QObject* source)
{
    levelSource() = source;
}

QObject* MicrophoneVolumeCtrl::AudioLevelSource()
{
    return levelSource();
}

void MicrophoneVolumeCtrl::SetBarStyle(int barWidth, int barHeight, bool showIcon)
{
    m_barWidth = barWidth;
    m_barHeight = barHeight;
    m_showIcon = showIcon;
    m_unlitColor = QStringLiteral("#DBDBE2");
}

void MicrophoneVolumeCtrl::StartMonitor()
{
    disconnect(m_connection);
    disconnect(m_engineConnection);
    QObject* source = levelSource();
    if (!source) {
        LOG_WARN_F("MicrophoneVolumeCtrl::StartMonitor", "no audio level source: %s shows no level",
                   m_deviceName.toUtf8().constData());
        return;
    }
    m_connection = connect(source, SIGNAL(signalAudioVolume(QString, float, float, float)), this,
                           SLOT(onAudioVolume(QString, float, float, float)));
    if (!m_connection)
        LOG_WARN_F("MicrophoneVolumeCtrl::StartMonitor", "the audio level source has no level signal");
}

void MicrophoneVolumeCtrl::StartMonitorDefaultDevice()
{
    m_deviceName = QString::fromLatin1(DefaultDevice);
    StartMonitor();
    if (QObject* source = microphoneLevelSource())
        m_engineConnection =
            connect(source, SIGNAL(sigMicrophoneVolumeChange(float)), this, SLOT(onMicrophoneLevel(float)));
}

void MicrophoneVolumeCtrl::SetMicrophoneLevelSource(QObject* source) { microphoneLevelSource() = source; }

void MicrophoneVolumeCtrl::onMicrophoneLevel(float level)
{
    if (m_enabled)
        slotUpdateVolume(level);
}

float MicrophoneVolumeCtrl::clampLevel(float level)
{
    if (std::isnan(level) || level < 0.0f)
        return 0.0f;
    return level > 1.0f ? 1.0f : level;
}

void MicrophoneVolumeCtrl::slotUpdateVolume(float level)
{
    m_level = clampLevel(level);
    update();
}

void MicrophoneVolumeCtrl::onAudioVolume(const QString& sourceName, float, float, float peakHold)
{
    if (sourceName != m_deviceName || !m_enabled)
        return;
    m_level = clampLevel(peakHold);
    update();
}

int MicrophoneVolumeCtrl::barCount() const
{
    const int icon = m_showIcon ? m_iconSize.width() : 0;
    const int step = m_barWidth + m_spacing;
    if (step <= 0)
        return 0;
    return qMax(0, (width() - icon - m_leftMargin - m_spacing) / step);
}

int MicrophoneVolumeCtrl::litBarCount() const
{
    return int(float(barCount()) * m_level);
}

QRect MicrophoneVolumeCtrl::barRect(int index) const
{
    const int icon = m_showIcon ? m_iconSize.width() : 0;
    const int top = m_showIcon ? m_barTop : (height() - m_barHeight) / 2;
    return QRect((m_barWidth + m_spacing) * index + m_leftMargin + m_spacing + icon, top, m_barWidth, m_barHeight);
}

void MicrophoneVolumeCtrl::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QStyleOption option;
    option.initFrom(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
    if (m_showIcon) {
        const QPixmap icon(QString::fromLatin1(kIcon));
        if (!icon.isNull())
            painter.drawPixmap(QRect(QPoint(m_leftMargin, m_iconTop), m_iconSize), icon);
    }
    const int n = barCount();
    const int lit = litBarCount();
    const QColor litColor(kLitColor);
    const QColor unlitColor(m_unlitColor);
    for (int i = 0; i < n; ++i)
        painter.fillRect(barRect(i), i < lit ? litColor : unlitColor);
}
