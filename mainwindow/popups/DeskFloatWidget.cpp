#include "mainwindow/popups/DeskFloatWidget.h"
#include "ui_DeskFloatWidget.h"

#include "widgets/StyledBackground.h"

#include <QEvent>

DeskFloatWidget::DeskFloatWidget(QWidget* parent) : QWidget(parent), ui(new Ui::DeskFloatWidget), m_parent(parent)
{
    ui->setupUi(this);
    setFixedSize(160, 40);
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    if (m_parent)
        m_parent->installEventFilter(this);
    Centre();
}

DeskFloatWidget::~DeskFloatWidget() { delete ui; }

void DeskFloatWidget::Centre()
{
    const int parentWidth = m_parent ? m_parent->width() : 0;
    move(parentWidth / 2 - width() / 2, 0);
}

void DeskFloatWidget::on_pushButton_clicked() { emit sgStopDeskShare(); }

bool DeskFloatWidget::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_parent && event->type() == QEvent::Resize)
        Centre();
    return QWidget::eventFilter(watched, event);
}

void DeskFloatWidget::paintEvent(QPaintEvent*)
{
    PaintStyledBackground(this);
}
