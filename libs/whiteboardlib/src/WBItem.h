// One object on a board page and how it is painted and hit.
//
// Geometry is kept in board fractions (0..1 of the board's width and height)
// so that a page keeps its drawing when the board is resized; pen widths and
// font sizes are pixels.
#pragma once

#include <QColor>
#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QVector>

class QPainter;

struct WBItem
{
    enum Kind { Stroke, Highlight, Line, Rect, Ellipse, Text, Picture, Media };

    Kind kind = Stroke;
    QVector<QPointF> points; // Stroke, Highlight: the path; Line: the two ends
    QRectF rect;             // Rect, Ellipse, Picture, Media: the box; Text: its anchor (top-left)
    QColor color;
    int width = 2;           // pen width in pixels
    int fontSize = 18;       // Text: pixel size
    QString text;            // Text: the text; Media: the file name
    bool video = false;      // Media: video rather than audio
    QImage image;            // Picture

    void paint(QPainter& p, const QSizeF& board) const;
    // The item's outline on a board of this size, in pixels.
    QRectF bounds(const QSizeF& board) const;
    // Whether a point (pixels) touches the item, with some slack.
    bool hit(const QPointF& pos, const QSizeF& board) const;
    // Moves by a distance in board fractions.
    void moveBy(const QPointF& delta);
};

// Converts between board fractions and pixels.
inline QPointF toPixels(const QPointF& f, const QSizeF& board)
{
    return QPointF(f.x() * board.width(), f.y() * board.height());
}
inline QPointF toFraction(const QPointF& px, const QSizeF& board)
{
    return QPointF(board.width() > 0 ? px.x() / board.width() : 0,
                   board.height() > 0 ? px.y() / board.height() : 0);
}
QRectF toPixels(const QRectF& f, const QSizeF& board);
