#pragma once
// The styled-background paint that plain QWidget subclasses need for their
// style-sheet background and border to show: an option initialised from the
// widget, drawn by the widget's style.
#include <QPainter>
#include <QStyleOption>
#include <QWidget>

inline void PaintStyledBackground(QWidget* w)
{
    QStyleOption opt;
    opt.initFrom(w);
    QPainter p(w);
    w->style()->drawPrimitive(QStyle::PE_Widget, &opt, &p, w);
}
