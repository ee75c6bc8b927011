#pragma once
// The paint handler body of widgets whose look comes from a style sheet:
// the style draws the plain-widget primitive (background, border, radius).
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QWidget>

inline void PaintStyledBackground(QWidget* w)
{
    QStyleOption opt;
    opt.initFrom(w);
    QPainter painter(w);
    w->style()->drawPrimitive(QStyle::PE_Widget, &opt, &painter, w);
}
