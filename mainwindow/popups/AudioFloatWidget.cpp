#include "mainwindow/popups/AudioFloatWidget.h"
#include "ui_AudioFloatWidget.h"

#include "app/Room.h"
#include "widgets/StyledBackground.h"
#include "WhiteBoardLib.h"

#include <QEvent>
#include <QMouseEvent>

AudioFloatWidget::AudioFloatWidget(QWidget* parent, QWidget* board)
    : QWidget(parent), ui(new Ui::AudioFloatWidget), m_parent(parent)
{
    ui->setupUi(this);
    setFixedSize(125, 40);
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    if (!board && Room::instance()->GetWBLib())
        board = Room::instance()->GetWBLib()->GetWBWidget();
    m_board = board;
    if (m_board)
        m_board->installEventFilter(this);
    MoveToCorner();
}

AudioFloatWidget::~AudioFloatWidget() { delete ui; }

QRect AudioFloatWidget::BoardRect() const
{
    if (!m_board)
        return QRect();
    QPoint topLeft = m_board->mapToGlobal(QPoint(0, 0));
    if (m_parent)
        topLeft = m_parent->mapFromGlobal(topLeft);
    return QRect(topLeft, m_board->size());
}

void AudioFloatWidget::MoveToCorner()
{
    const QRect r = BoardRect();
    const QPoint corner(r.x() + r.width() - 150, r.y() + r.height() - 50);
    move(corner);
    if (r.width() > 0 && r.height() > 0) {
        m_relX = double(corner.x() - r.x()) / r.width();
        m_relY = double(corner.y() - r.y()) / r.height();
    }
}

void AudioFloatWidget::MoveInside(QPoint pos)
{
    const QRect r = BoardRect();
    if (pos.x() < r.x())
        pos.setX(r.x());
    if (pos.x() + width() > r.x() + r.width())
        pos.setX(r.x() + r.width() - width());
    if (pos.y() < r.y())
        pos.setY(r.y());
    if (pos.y() + height() > r.y() + r.height())
        pos.setY(r.y() + r.height() - height());
    if (r.width() > 0 && r.height() > 0) {
        m_relX = double(pos.x() - r.x()) / r.width();
        m_relY = double(pos.y() - r.y()) / r.height();
    }
    move(pos);
}

bool AudioFloatWidget::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_board && event->type() == QEvent::Resize)
        MoveToCorner();
    return QWidget::eventFilter(watched, event);
}

void AudioFloatWidget::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        m_pressed = true;
        m_pressPoint = event->globalPos();
    }
    QWidget::mousePressEvent(event);
}

void AudioFloatWidget::mouseMoveEvent(QMouseEvent* event)
{
    if ((event->buttons() & Qt::LeftButton) && m_pressed) {
        const QPoint target = pos() + (event->globalPos() - m_pressPoint);
        m_pressPoint = event->globalPos();
        MoveInside(target);
    }
    QWidget::mouseMoveEvent(event);
}

void AudioFloatWidget::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_pressed = false;
    QWidget::mouseReleaseEvent(event);
}

void AudioFloatWidget::paintEvent(QPaintEvent*)
{
    PaintStyledBackground(this);
}
