#pragma once
// Rounded window outlines: a 1-bit mask of the widget's size holding an
// antialiased rounded rectangle of the given radius, set as its mask.
#include <QBitmap>
#include <QPainter>
#include <QWidget>

inline void SetRoundedMask(QWidget* w, qreal radius)
{
    QBitmap mask(w->size());
    mask.fill(Qt::color0);
    QPainter p(&mask);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::color1);
    p.drawRoundedRect(mask.rect(), radius, radius, Qt::AbsoluteSize);
    p.end();
    w->setMask(mask);
}
