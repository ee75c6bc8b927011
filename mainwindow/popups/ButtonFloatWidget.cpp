#include "mainwindow/popups/ButtonFloatWidget.h"
#include "ui_ButtonFloatWidget.h"

#include "widgets/StyledBackground.h"

#include <QEvent>

ButtonFloatWidget::ButtonFloatWidget(QWidget* parent)
    : QWidget(parent), ui(new Ui::ButtonFloatWidget), m_parent(parent)
{
    ui->setupUi(this);
    setFixedSize(160, 40);
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    if (m_parent)
        m_parent->installEventFilter(this);
}

ButtonFloatWidget::~ButtonFloatWidget() { delete ui; }

void ButtonFloatWidget::Place()
{
    const int parentWidth = m_parent ? m_parent->width() : 0;
    move(parentWidth / 2 - width() / 2 + m_dx, m_top);
}

void ButtonFloatWidget::SetPos(int top, int dx)
{
    m_top = top;
    m_dx = dx;
    if (isVisible())
        Place();
}

void ButtonFloatWidget::SetText(QString text) { ui->pushButton->setText(text); }

void ButtonFloatWidget::ShowAtPos()
{
    Place();
    show();
    raise();
}

void ButtonFloatWidget::on_pushButton_clicked() { emit sgClickButton(); }

bool ButtonFloatWidget::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_parent && event->type() == QEvent::Resize)
        Place();
    return QWidget::eventFilter(watched, event);
}

void ButtonFloatWidget::paintEvent(QPaintEvent*)
{
    PaintStyledBackground(this);
}
