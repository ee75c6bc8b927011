#include "home/CaleItem.h"

#include "home/CalendarRules.h"
#include "widgets/StyledBackground.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

const char* const kPlainStyle = "border:0px solid transparent;";

}  // namespace

CaleItem::CaleItem(int index) : m_index(index)
{
    m_labMark = new QLabel;
    m_labMark->setFixedSize(10, 10);
    m_labMark->setAlignment(Qt::AlignRight);
    m_labMark->setStyleSheet(kPlainStyle);

    QFont dayFont(QString::fromUtf8("微软雅黑"));
    dayFont.setPixelSize(16);
    m_labDay = new QLabel;
    m_labDay->setAlignment(Qt::AlignCenter);
    m_labDay->setFont(dayFont);
    m_labDay->setTextFormat(Qt::PlainText);

    QFont lunarFont(QString::fromUtf8("微软雅黑"));
    lunarFont.setPixelSize(14);
    m_labLunar = new QLabel;
    m_labLunar->setAlignment(Qt::AlignCenter);
    m_labLunar->setFont(lunarFont);
    m_labLunar->setTextFormat(Qt::PlainText);
    m_labLunar->hide();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(5, 7, 5, 5);
    layout->setSpacing(0);
    layout->addStretch(1);
    layout->addWidget(m_labDay);
    layout->addWidget(m_labLunar);
    auto* markRow = new QHBoxLayout;
    markRow->setContentsMargins(0, 0, 0, 0);
    markRow->setSpacing(0);
    markRow->addStretch(1);
    markRow->addWidget(m_labMark);
    markRow->addStretch(1);
    layout->addLayout(markRow);
    layout->addStretch(1);
}

void CaleItem::applyStyle(int radius)
{
    const QString background = m_bSelect ? "#5DC0BA;" : "#ffffff";
    const QString border = m_bToday ? "#52a9ff" : background;
    setStyleSheet(QString("background: %1; border: 1px solid %2; border-radius: %3;")
                      .arg(background, border)
                      .arg(radius));
}

void CaleItem::SetToday(bool today)
{
    m_bToday = today;
    if (width() > 0)
        applyStyle(width() / 2);
}

void CaleItem::SetCurMonth(bool inMonth)
{
    m_bCurMonth = inMonth;
    const QString tmpl = "border:0px solid transparent;color: %1;";
    m_labDay->setStyleSheet(tmpl.arg(inMonth ? "rgba(103,117,126,1)" : "rgba(196,205,213,1)"));
    m_labLunar->setStyleSheet(tmpl.arg(IsFestival(m_labLunar->text()) ? "#ff3333" : "#999999"));
}

void CaleItem::SetText(const QString& day, const QString& lunar)
{
    m_labDay->setText(day);
    m_labLunar->setText(lunar);
    m_labMark->setStyleSheet(kPlainStyle);
}

void CaleItem::SetMark(const std::string& image)
{
    m_strMark = image;
    if (image.empty()) {
        m_labMark->setStyleSheet(kPlainStyle);
        return;
    }
    const std::string& shown = m_bSelect ? m_strSelMark : m_strMark;
    m_labMark->setStyleSheet(QString("border:0px solid transparent; background-image: url(:/class/res/class/%1);")
                                 .arg(QString::fromStdString(shown)));
}

QString CaleItem::DayText() const { return m_labDay->text(); }
QString CaleItem::LunarText() const { return m_labLunar->text(); }
QString CaleItem::LunarStyle() const { return m_labLunar->styleSheet(); }
QString CaleItem::DayStyle() const { return m_labDay->styleSheet(); }
QString CaleItem::MarkStyle() const { return m_labMark->styleSheet(); }

void CaleItem::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const int side = qMin(width(), height());
    if (width() == side && height() == side && minimumWidth() != 0)
        return;
    setFixedSize(side, side);
    setMinimumSize(side, side);
    applyStyle(side / 2);
}

void CaleItem::paintEvent(QPaintEvent*) { PaintStyledBackground(this); }
