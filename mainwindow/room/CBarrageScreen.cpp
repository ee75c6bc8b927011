#include "mainwindow/room/CBarrageScreen.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QPropertyAnimation>
#include <QWidget>

const char* const CBarrageScreen::kFaceTag = "<img source = \":/face/res/face";

namespace {

// Milliseconds of a steady clock since the program's first comment overlay.
qint64 MonotonicMs()
{
    static QElapsedTimer timer = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return timer.elapsed();
}

}  // namespace

CBarrageScreen::CBarrageScreen(QWidget* screen) : QObject(screen), m_screen(screen), m_clock(&MonotonicMs)
{
    QFont font = screen->font();
    font.setPointSize(15);
    QPalette palette;
    palette.setBrush(QPalette::All, QPalette::WindowText, QBrush(Qt::red));
    for (int i = 0; i < kLabels; ++i) {
        auto* label = new QLabel(screen);
        label->setPalette(palette);
        label->setFont(font);
        label->hide();
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
        m_free.push_back(label);
    }
}

CBarrageScreen::~CBarrageScreen()
{
    m_busy.clear();
    m_free.clear();
}

int CBarrageScreen::RowFor(qint64 clockMs, int screenHeight, int labelHeight)
{
    const int range = screenHeight - labelHeight;
    if (range <= 0)
        return 0;
    return int((clockMs < 0 ? -clockMs : clockMs) % range);
}

void CBarrageScreen::AddMessage(const std::string& text)
{
    if (!m_enabled || !m_screen->isVisible() || text.find(kFaceTag) != std::string::npos || m_free.empty())
        return;
    QLabel* label = m_free.front();
    m_free.pop_front();
    const QString shown = QString::fromStdString(text);
    label->setText(shown);
    label->adjustSize();  // the height of the text, also before the first show
    label->setFixedWidth(label->fontMetrics().horizontalAdvance(shown) + 4);
    const int y = RowFor(m_clock(), m_screen->height(), label->height());

    auto* flight = new QPropertyAnimation(label, "pos", label);  // goes with its label at the latest
    flight->setDuration(m_flightMs);
    flight->setEasingCurve(QEasingCurve::InQuad);
    flight->setStartValue(QPoint(m_screen->width() - 10, y));
    flight->setEndValue(QPoint(-label->width(), y));
    connect(flight, &QPropertyAnimation::finished, this, [this, label, flight] {
        label->hide();
        m_free.push_back(label);
        m_busy.remove(label);
        flight->deleteLater();
    });
    flight->start();
    label->show();
    m_busy.push_back(label);
}
