#pragma once
// A frameless picture window: shows one picture of a list of local image
// files, steps through the list, zooms with the wheel (the zoom shows for a
// second in a label), shows the natural size, turns the picture in quarter
// turns, pans a picture larger than the window, moves and resizes itself by
// its edges, maximizes on a double-click and saves the picture as loaded.
// Closing only hides it; its owner keeps it. GUI thread only.
#include <QPixmap>
#include <QPoint>
#include <QSize>
#include <QStringList>
#include <QTransform>
#include <QWidget>

namespace Ui {
class ImageViewer;
}

class ImageViewer : public QWidget {
    Q_OBJECT
public:
    // The window edges under the mouse (edgeRegion).
    enum EdgeRegion { EdgeTop = 0, EdgeBottom, EdgeLeft, EdgeRight, EdgeTopLeft, EdgeBottomLeft,
                      EdgeBottomRight, EdgeTopRight, EdgeNone };
    // What a left press started (dragMode).
    enum DragMode { DragNone = 0, DragResize = 1, DragMove = 2, DragPanBoth = 3, DragPanX = 4, DragPanY = 5 };

    static constexpr int TitleHeight = 30;     // the image area starts below it
    static constexpr int MinZoomSide = 20;     // the wheel stops before a side drops below it
    static constexpr int MaxZoomSide = 3000;   // ... or grows above it
    static const QSize LoadSize;               // the window size of every new picture

    explicit ImageViewer(QWidget* parent = nullptr);
    ~ImageViewer() override;

    // Shows entry index of paths; an index outside the list changes nothing.
    void SetImageList(const QStringList& paths, int index);

    // State, as painted.
    float GetScale() const { return scale; }
    QPoint GetPicturePos() const { return curPos; }
    QSize GetPictureSize() const { return displayPixmap.size(); }
    int GetImageIndex() const { return imageIndex; }
    int GetEdgeRegion() const { return edgeRegion; }
    int GetDragMode() const { return dragMode; }
    // The band between the title bar and the bottom bar, in window coordinates.
    QRect ImageArea() const;

public slots:
    void on_closeBtn_clicked();
    void on_rightPushBtn_clicked();
    void on_leftPushBtn_clicked();
    void onDelayDo();
    void on_rotateBtn_clicked();
    void on_originalProportionBtn_clicked();
    void on_saveBtn_clicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void showPicture();
    void fit();
    void rescale();
    void centre();
    void showZoom();
    void updateArrows();
    void updateEdgeRegion(const QPoint& globalPos);
    void resizeByEdge(const QPoint& globalPos);
    void pan(const QPoint& pos);
    int bottomBarHeight() const;

    QPixmap sourcePixmap;      // as loaded
    QPixmap displayPixmap;     // rotated, then scaled
    float scale = 1.0f;
    QPoint basePos;            // picture's top-left while no drag runs
    QPoint curPos;             // picture's top-left as painted
    QPoint pressPos;           // window coordinates of the last left press
    bool pressed = false;
    int edgeRegion = EdgeNone;
    int dragMode = DragNone;
    QSize normalSize;          // size before maximizing
    Ui::ImageViewer* ui = nullptr;
    QTransform rotation;
    QStringList imageList;
    int imageIndex = 0;
};
