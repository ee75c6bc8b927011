#include "widgets/ToastQuestionButton.h"

#include <QEvent>
#include <QPainter>
#include <QStyleOption>
#include <QHBoxLayout>
#include <QLabel>

ToastQuestionButton::ToastQuestionButton(QWidget* parent) : QWidget(parent), m_watched(parent)
{
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setFixedSize(Side, Side);
    if (m_watched)
        m_watched->installEventFilter(this);
    installEventFilter(this);
    placeInCorner();
    setStyleSheet(QStringLiteral("QWidget\n{\n\tborder-radius:20px;\n\tbackground: #67c0ba;\n}"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_label = new QLabel(this);
    m_label->setStyleSheet(QStringLiteral("font: 14px;\ncolor: #ffffff;"));
    m_label->setAlignment(Qt::AlignCenter);
    m_label->setText(tr("问题"));
    m_label->setCursor(Qt::PointingHandCursor);
    layout->addWidget(m_label);
}

ToastQuestionButton::~ToastQuestionButton() = default;

bool ToastQuestionButton::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_watched && event->type() == QEvent::Resize)
        placeInCorner();
    else if (watched == this && event->type() == QEvent::MouseButtonPress)
        emit sgControlCmd(FoldQuizCmd, QVariant(0));
    return QWidget::eventFilter(watched, event);
}

void ToastQuestionButton::placeInCorner()
{
    if (m_watched)
        move(m_watched->width() - Side - RightGap, m_watched->height() - Side - BottomGap);
}

void ToastQuestionButton::paintEvent(QPaintEvent*)
{
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
}
