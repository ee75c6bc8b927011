#pragma once
// The frame shared by the quiz panels and the notice editor: a frameless
// room panel dragged with the left button pressed within its top 40 pixels,
// whose style-sheet background (colour, border) is painted. GUI thread only.
#include "widgets/TitleDrag.h"

#include <QPainter>
#include <QStyleOption>
#include <QWidget>

class QuestionPanel : public QWidget {
public:
    static constexpr int kDragBand = 40;

    // The style sheet's background of `w` (also the notice board's and banner's).
    static void PaintBackground(QWidget* w)
    {
        QStyleOption option;
        option.initFrom(w);
        QPainter painter(w);
        w->style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, w);
    }

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
    void paintEvent(QPaintEvent*) override { PaintBackground(this); }

private:
    TitleDrag m_drag;  // GUI thread only
};
