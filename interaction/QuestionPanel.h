#pragma once
// The frame shared by the quiz panels and the notice editor: a frameless
// room panel dragged with the left button pressed within its top 40 pixels,
// whose style-sheet background (colour, border) is painted. GUI thread only.
#include "widgets/TitleDrag.h"

#include <QPainter>
#include <QStyleOption>
#include <QWidget>

// The style sheet's background of `w` (also for the notice board and banner).
inline void PaintStyledBackground(QWidget* w)
{
    QStyleOption option;
    option.initFrom(w);
    QPainter painter(w);
    w->style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, w);
}

class QuestionPanel : public QWidget {
public:
    static constexpr int kDragBand = 40;

protected:
    explicit QuestionPanel(QWidget* parent) : QWidget(parent) {}

    void mousePressEvent(QMouseEvent* event) override
    {
        m_drag.Press(this, event, kDragBand);
        QWidget::mousePressEvent(event);
    }
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        m_drag.Release(event);
        QWidget::mouseReleaseEvent(event);
    }
    void mouseMoveEvent(QMouseEvent* event) override
    {
        m_drag.Move(this, event);
        QWidget::mouseMoveEvent(event);
    }
    void paintEvent(QPaintEvent*) override { PaintStyledBackground(this); }

private:
    TitleDrag m_drag;  // GUI thread only
};
