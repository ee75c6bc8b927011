#pragma once
// The grey "语音直播" pill that floats over the whiteboard while the teacher
// broadcasts voice only. The teacher can drag it, but only within the
// whiteboard's rectangle; a resize of the whiteboard puts it back near the
// whiteboard's bottom-right corner. GUI thread only.
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QWidget>

namespace Ui {
class AudioFloatWidget;
}

class AudioFloatWidget : public QWidget {
    Q_OBJECT
public:
    // board: the whiteboard widget; null takes the room's whiteboard.
    explicit AudioFloatWidget(QWidget* parent, QWidget* board = nullptr);
    ~AudioFloatWidget() override;

    // The whiteboard's rectangle in the parent's coordinates; empty when
    // there is no whiteboard.
    QRect BoardRect() const;
    double RelativeX() const { return m_relX; }
    double RelativeY() const { return m_relY; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void MoveToCorner();
    void MoveInside(QPoint pos);

    Ui::AudioFloatWidget* ui;   // GUI thread only, like every member
    QWidget* m_parent;
    QPointer<QWidget> m_board;
    QPoint m_pressPoint;
    bool m_pressed = false;
    double m_relX = 0;
    double m_relY = 0;
};
