#pragma once
// What the room's video panels (the display widget and the user tiles) share:
// the pale panel with a picture centred on it, and pictures at half size.
// GUI thread only.
#include <QColor>
#include <QImage>
#include <QPainter>
#include <QWidget>

// A picture at half its width and height (aspect kept, smooth).
inline QImage HalfSizeImage(const QImage& image)
{
    return image.scaled(image.width() / 2, image.height() / 2, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

// The panel's rectangle (one pixel beyond each edge) in the default pen and
// the panel colour, then the picture, when there is one, centred in it.
inline void PaintVideoPanel(QWidget* panel, const QImage& picture)
{
    QPainter painter(panel);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRect r = panel->rect().adjusted(-1, -1, 2, 2);
    painter.setBrush(QColor("#D4E8E7"));
    painter.drawRect(r);
    if (picture.isNull())
        return;
    QRect target(QPoint(0, 0), picture.size());
    target.moveCenter(r.center());
    painter.drawImage(target, picture);
}
