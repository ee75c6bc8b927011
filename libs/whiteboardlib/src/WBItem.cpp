#include "libs/whiteboardlib/src/WBItem.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>

namespace {

const qreal kHitSlack = 4.0;
const int kHighlightAlpha = 96;

QFont textFont(int pixelSize)
{
    QFont f;
    f.setPixelSize(pixelSize > 0 ? pixelSize : 18);
    return f;
}

QPainterPath outlinePath(const WBItem& item, const QSizeF& board)
{
    QPainterPath path;
    switch (item.kind) {
    case WBItem::Stroke:
    case WBItem::Highlight:
    case WBItem::Line:
        if (!item.points.isEmpty()) {
            path.moveTo(toPixels(item.points.first(), board));
            for (int i = 1; i < item.points.size(); ++i)
                path.lineTo(toPixels(item.points[i], board));
            if (item.points.size() == 1) // a dot
                path.lineTo(toPixels(item.points.first(), board) + QPointF(0.01, 0));
        }
        break;
    case WBItem::Rect:
        path.addRect(toPixels(item.rect, board));
        break;
    case WBItem::Ellipse:
        path.addEllipse(toPixels(item.rect, board));
        break;
    default:
        path.addRect(item.bounds(board));
        break;
    }
    return path;
}

} // namespace

QRectF toPixels(const QRectF& f, const QSizeF& board)
{
    return QRectF(toPixels(f.topLeft(), board), toPixels(f.bottomRight(), board)).normalized();
}

void WBItem::paint(QPainter& p, const QSizeF& board) const
{
    p.save();
    switch (kind) {
    case Stroke:
    case Line:
    case Rect:
    case Ellipse:
        p.setPen(QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPath(outlinePath(*this, board));
        break;
    case Highlight: {
        QColor c = color;
        c.setAlpha(kHighlightAlpha);
        p.setPen(QPen(c, width, Qt::SolidLine, Qt::SquareCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPath(outlinePath(*this, board));
        break;
    }
    case Text:
        p.setFont(textFont(fontSize));
        p.setPen(color);
        p.drawText(bounds(board), Qt::AlignLeft | Qt::AlignTop, text);
        break;
    case Picture:
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(toPixels(rect, board), image);
        break;
    case Media: {
        const QRectF r = toPixels(rect, board);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(QColor(0x5D, 0xC0, 0xBA), 2));
        p.setBrush(QColor(0x2B, 0x32, 0x3A));
        p.drawRoundedRect(r, 6, 6);
        // A play triangle for video, a note head and stem for audio.
        const QPointF c(r.left() + r.height() / 2, r.center().y());
        const qreal s = r.height() / 4;
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x7A, 0xFC, 0xF4));
        if (video) {
            const QPointF tri[3] = {c + QPointF(-s, -s), c + QPointF(-s, s), c + QPointF(s, 0)};
            p.drawPolygon(tri, 3);
        } else {
            p.drawEllipse(QRectF(c.x() - s, c.y(), s, s * 0.8));
            p.drawRect(QRectF(c.x() - 2, c.y() - s * 1.2, 2.5, s * 1.6));
        }
        p.setPen(Qt::white);
        p.setFont(textFont(14));
        p.drawText(r.adjusted(r.height(), 0, -6, 0), Qt::AlignVCenter | Qt::AlignLeft,
                   QFontMetricsF(textFont(14)).elidedText(text, Qt::ElideMiddle, r.width() - r.height() - 6));
        break;
    }
    }
    p.restore();
}

QRectF WBItem::bounds(const QSizeF& board) const
{
    switch (kind) {
    case Text: {
        const QFontMetricsF fm(textFont(fontSize));
        const QPointF tl = toPixels(rect.topLeft(), board);
        return QRectF(tl, QSizeF(fm.horizontalAdvance(text) + 2, fm.height()));
    }
    case Picture:
    case Media:
        return toPixels(rect, board);
    default: {
        const qreal half = width / 2.0;
        return outlinePath(*this, board).boundingRect().adjusted(-half, -half, half, half);
    }
    }
}

bool WBItem::hit(const QPointF& pos, const QSizeF& board) const
{
    switch (kind) {
    case Text:
    case Picture:
    case Media:
        return bounds(board).adjusted(-kHitSlack, -kHitSlack, kHitSlack, kHitSlack).contains(pos);
    default: {
        QPainterPathStroker stroker;
        stroker.setWidth(width + 2 * kHitSlack);
        stroker.setCapStyle(Qt::RoundCap);
        return stroker.createStroke(outlinePath(*this, board)).contains(pos);
    }
    }
}

void WBItem::moveBy(const QPointF& delta)
{
    for (auto& pt : points)
        pt += delta;
    rect.translate(delta);
}
