#include "widgets/ShadowDialogBase.h"

#include <QPainter>

ShadowDialogBase::ShadowDialogBase(QWidget* parent)
    : QDialog(parent), m_shadow(QStringLiteral(":/main/res/main/windowShadow.png"))
{
}

ShadowDialogBase::~ShadowDialogBase() = default;

void ShadowDialogBase::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const int W = width();
    const int H = height();
    const int PW = m_shadow.width();
    const int PH = m_shadow.height();
    const int L = m_left;
    const int R = m_right;
    const int T = m_top;
    const int B = m_bottom;
    struct Piece {
        QRect target;
        QRect source;
    };
    const Piece pieces[] = {
        {{0, 0, L, T}, {0, 0, L, T}},                                      // top-left corner
        {{L, 0, W - R - L, T}, {L, 0, PW - R - L, T}},                      // top edge
        {{W - R, 0, R, T}, {PW - R, 0, R, T}},                              // top-right corner
        {{0, H - B, L, B}, {0, PH - B, L, B}},                              // bottom-left corner
        {{L, H - B, W - R - L, B}, {L, PH - B, PW - R - L, B}},             // bottom edge
        {{W - R, H - B, R, B}, {PW - R, PH - B, R, B}},                     // bottom-right corner
        {{0, T, L, H - B - T}, {0, T, L, PH - B - T}},                      // left edge
        {{W - R, T, R, H - B - T}, {PW - R, T, R, PH - B - T}},             // right edge
    };
    if (!m_shadow.isNull()) {
        for (const Piece& piece : pieces) {
            if (piece.target.width() > 0 && piece.target.height() > 0 && piece.source.width() > 0 &&
                piece.source.height() > 0)
                painter.drawPixmap(piece.target, m_shadow, piece.source);
        }
    }
    const QRect inside(L, T, W - R - L, H - B - T);
    if (inside.width() > 0 && inside.height() > 0) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(m_fill);
        painter.drawRect(inside);
    }
}
