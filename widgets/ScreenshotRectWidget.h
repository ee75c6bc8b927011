#pragma once
// The selection of the screen-area capture: shows its part of the frozen
// screen image with a green outline. While it is dragged out its rectangle
// spans its anchor and the pointer (the capture dialog drives it through
// slotOnMousePosChange); once finished it is moved by its inside and resized
// by its edges and corners. Its size stays within 32 x 32 and 1280 x 590.
// GUI thread only.
#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QWidget>

#include <memory>

class ScreenshotRectWidget : public QWidget {
    Q_OBJECT
public:
    // Where the pointer is over the selection (hit regions).
    enum Region { Top = 0, Bottom, Left, Right, TopLeft, BottomLeft, BottomRight, TopRight, Inside };

    static constexpr int MinSide = 32;
    static const QSize MaxSize;  // 1280 x 590
    static constexpr int Band = 6;  // edge and corner bands, inclusive

    ScreenshotRectWidget(std::shared_ptr<QPixmap> fullScreen, QPoint start, QWidget* parent);

    // Pressed on an edge or a corner (not the inside).
    bool IsResizing() const;
    // The region of p (dialog coordinates); sets the region's cursor.
    int HitTest(const QPoint& p);
    QPoint GetAnchor() const { return m_anchor; }

signals:
    void sigScreenshotAreaChange();

public slots:
    void slotOnMousePosChange(int x, int y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void rebuildAreaImage();

    std::shared_ptr<QPixmap> m_fullScreen;  // shared with the dialog
    QPixmap m_areaImage;                    // the selected part with its outline
    QPoint m_anchor;                        // the corner that stays put
    QRect m_current;                        // geometry in the dialog
    bool m_pressed = false;
    int m_region = Inside;
    QPoint m_dragOffset;                    // global pointer minus widget position at the press
};
