#include "widgets/QRoundProgressBar.h"

#include <QConicalGradient>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

QRoundProgressBar::QRoundProgressBar(QWidget* parent) : QWidget(parent) {}

QRoundProgressBar::~QRoundProgressBar() = default;

void QRoundProgressBar::setRange(double min, double max)
{
    m_min = min;
    m_max = max;
    if (m_max < m_min)
        std::swap(m_min, m_max);
    rangeChanged();
}

void QRoundProgressBar::setMinimum(double min)
{
    m_min = min;
    if (m_min > m_max)
        std::swap(m_min, m_max);
    rangeChanged();
}

void QRoundProgressBar::setMaximum(double max)
{
    m_max = max;
    if (m_max < m_min)
        std::swap(m_min, m_max);
    rangeChanged();
}

void QRoundProgressBar::rangeChanged()
{
    m_value = qBound(m_min, m_value, m_max);
    if (!m_gradientData.isEmpty())
        m_rebuildBrush = true;
    update();
}

void QRoundProgressBar::setValue(double value)
{
    if (std::isnan(value))
        value = m_min;  // NaN compares false with everything: it would stay unclamped
    if (m_value == value)
        return;
    if (value < m_min)
        m_value = m_min;
    else if (value > m_max)
        m_value = m_max;
    else
        m_value = value;
    update();
}

void QRoundProgressBar::setValue(int value)
{
    setValue(double(value));
}

void QRoundProgressBar::setDrawStyle(int style)
{
    if (m_style == style)
        return;
    m_style = style;
    update();
}

void QRoundProgressBar::setOutlineWidth(double width)
{
    if (m_outlinePenWidth == width)
        return;
    m_outlinePenWidth = width;
    update();
}

void QRoundProgressBar::setTextFormat(const QString& format)
{
    if (m_format == format)
        return;
    m_format = format;
    onFormatChanged();
}

void QRoundProgressBar::setDecimals(int decimals)
{
    if (m_decimals == decimals || decimals < 0)
        return;
    m_decimals = decimals;
    update();
}

void QRoundProgressBar::setDataColors(const QVector<QPair<double, QColor>>& stops)
{
    m_gradientData = stops;
    m_rebuildBrush = true;
    update();
}

double QRoundProgressBar::arcDegrees() const
{
    const double range = m_max - m_min;
    if (range <= 0.0)
        return 0.0;
    return 360.0 / range * (m_value - m_min);
}

void QRoundProgressBar::paintEvent(QPaintEvent*)
{
    const double outerRadius = qMin(width(), height());
    const QRectF baseRect(1, 1, outerRadius - 2, outerRadius - 2);

    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    if (m_rebuildBrush) {
        m_rebuildBrush = false;
        rebuildDataBrush();
    }
    paintBackground(p, rect());

    double innerRadius = 0;
    QRectF innerRect;
    innerCircleRect(baseRect, outerRadius, innerRect, innerRadius);
    const double arc = arcDegrees();

    paintBase(p, baseRect, innerRect);
    paintValue(p, baseRect, m_value, arc, innerRect, innerRadius);
    paintInnerBackground(p, innerRect);
    paintValueText(p, innerRect, innerRadius, m_value);
    p.end();
}

void QRoundProgressBar::rebuildDataBrush()
{
    QConicalGradient gradient(0.5, 0.5, m_nullPosition);
    gradient.setCoordinateMode(QGradient::StretchToDeviceMode);
    for (const auto& stop : qAsConst(m_gradientData))
        gradient.setColorAt(1.0 - stop.first, stop.second);
    QPalette pal = palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        pal.setBrush(group, QPalette::Highlight, QBrush(gradient));
    setPalette(pal);
}

void QRoundProgressBar::paintBackground(QPainter& p, const QRectF& baseRect)
{
    p.fillRect(baseRect, palette().window());
}

void QRoundProgressBar::paintBase(QPainter& p, const QRectF& baseRect, const QRectF& innerRect)
{
    switch (m_style) {
    case StyleDonut: {
        QPainterPath path;
        path.setFillRule(Qt::OddEvenFill);
        path.moveTo(baseRect.center());
        path.addEllipse(baseRect);
        path.addEllipse(innerRect);
        p.setPen(QPen(palette().shadow().color(), m_outlinePenWidth, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
        p.setBrush(palette().base());
        p.drawPath(path);
        break;
    }
    case StylePie:
        p.setPen(QPen(palette().base().color(), m_outlinePenWidth, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
        p.setBrush(palette().base());
        p.drawEllipse(baseRect);
        break;
    case StyleLine: {
        const double half = m_outlinePenWidth / 2;
        p.setPen(QPen(palette().base().color(), m_outlinePenWidth, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(baseRect.adjusted(half, half, -half, -half));
        break;
    }
    default:
        break;
    }
}

void QRoundProgressBar::paintValue(QPainter& p, const QRectF& baseRect, double value, double arcLength,
                                   const QRectF& innerRect, double)
{
    if (value == m_min)
        return;
    if (m_style == StyleLine) {
        const double half = m_outlinePenWidth / 2;
        p.setPen(QPen(palette().highlight().color(), m_dataPenWidth, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
        p.setBrush(Qt::NoBrush);
        p.drawArc(baseRect.adjusted(half, half, -half, -half), int(m_nullPosition * 16), int(-arcLength * 16));
        return;
    }
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    const QPointF c = baseRect.center();
    path.moveTo(c);
    path.arcTo(baseRect, m_nullPosition, -arcLength);
    if (m_style == StylePie) {
        path.lineTo(c);
        p.setPen(QPen(palette().shadow().color(), m_dataPenWidth));
    }
    if (m_style == StyleDonut) {
        const QPointF pt = path.currentPosition();
        path.lineTo(c + (pt - c) * double(m_innerOuterRate));
        path.moveTo(c);
        path.arcTo(innerRect, m_nullPosition - arcLength, arcLength);
        const QPointF q = path.currentPosition();
        path.lineTo(c + (q - c) * (2.0 - double(m_innerOuterRate)));
        p.setPen(Qt::NoPen);
    }
    p.setBrush(palette().highlight());
    p.drawPath(path);
}

void QRoundProgressBar::innerCircleRect(const QRectF&, double outerRadius, QRectF& innerRect, double& innerRadius)
{
    if (m_style == StyleLine)
        innerRadius = outerRadius - m_outlinePenWidth;
    else
        innerRadius = outerRadius * double(m_innerOuterRate);
    const double delta = (outerRadius - innerRadius) / 2;
    innerRect = QRectF(delta, delta, innerRadius, innerRadius);
}

void QRoundProgressBar::paintInnerBackground(QPainter& p, const QRectF& innerRect)
{
    if (m_style != StyleDonut)
        return;
    p.setBrush(palette().alternateBase());
    p.drawEllipse(innerRect);
}

void QRoundProgressBar::paintValueText(QPainter& p, const QRectF& innerRect, double innerRadius, double value)
{
    if (m_format.isEmpty())
        return;
    QFont f(font());
    f.setPixelSize(qMax(1, int(qMax(0.35 - m_decimals * 0.08, 0.05) * innerRadius)));
    p.setFont(f);
    p.setPen(palette().text().color());
    p.drawText(innerRect, Qt::AlignCenter, formatValueText(value));
}

QString QRoundProgressBar::formatValueText(double value)
{
    QString text = m_format;
    if (m_updateFlags & FormatValue)
        text.replace(QStringLiteral("%v"), QString::number(value, 'f', m_decimals));
    if (m_updateFlags & FormatPercent) {
        const double range = m_max - m_min;
        const double percent = range > 0.0 ? (value - m_min) / range * 100.0 : 0.0;
        text.replace(QStringLiteral("%p"), QString::number(percent, 'f', m_decimals));
    }
    if (m_updateFlags & FormatMax)
        text.replace(QStringLiteral("%m"), QString::number(m_max - m_min + 1, 'f', m_decimals));
    return text;
}

void QRoundProgressBar::onFormatChanged()
{
    m_updateFlags = 0;
    if (m_format.contains(QLatin1String("%v")))
        m_updateFlags |= FormatValue;
    if (m_format.contains(QLatin1String("%p")))
        m_updateFlags |= FormatPercent;
    if (m_format.contains(QLatin1String("%m")))
        m_updateFlags |= FormatMax;
    update();
}
