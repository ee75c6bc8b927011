#pragma once
// The teacher's own camera in a small frameless window that stays on top
// while the desktop is shared: the picture of a Qt multimedia camera, and
// under it a tool bar with a switch that shows or collapses the picture and
// the list of the system's cameras. The window moves by dragging and resizes
// at its edges and corners. The chosen camera is kept by its device id
// under "App/CamPreviewSel", so it stays chosen when cameras are plugged in
// or out. A camera that fails says so in the picture's place.
// GUI thread only, like every member.
#include <QCameraInfo>
#include <QPoint>
#include <QRect>
#include <QStringList>
#include <QVariant>
#include <QWidget>

#include <functional>

class QCamera;
class QCameraViewfinder;
class QLabel;

namespace Ui {
class CamPreviewWdg;
}

class CamPreviewWdg : public QWidget {
    Q_OBJECT
public:
    explicit CamPreviewWdg(QWidget* parent = nullptr);
    ~CamPreviewWdg() override;

    // Refreshes the camera list, places the window (on its first showing)
    // on the screen that holds ref and shows it with the picture on or off;
    // false when the system has no camera.
    bool showPreview(bool bOpen, QWidget* pRef);
    // Switches the picture off and hides the window.
    void hidePreview();
    // Replaces the camera and starts it on the viewfinder.
    void setCamera(const QCameraInfo& info);

    // The entry of ids to choose for the stored choice: the camera whose id
    // it holds, else (an index stored by older versions) the camera at that
    // index, else the first one; -1 when ids is empty.
    static int PickCamera(const QStringList& ids, const QVariant& stored);

    // The cameras listed: the system's by default (tests set their own).
    void SetCameraSource(std::function<QList<QCameraInfo>()> source) { m_cameraSource = std::move(source); }
    // The text shown in the picture's place, empty while the picture shows.
    QString CameraMessage() const;

public slots:
    void on_hideBtn_clicked(bool checked);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void InitCameraList();
    void onCameraSelected(int index);
    void ShowCameraMessage(const QString& text);
    // Which edges of the window lie under the global point; the cursor is
    // set to match when one does. False when none does.
    bool HitEdges(const QPoint& global);
    void ResizeTo(const QPoint& global);

    Ui::CamPreviewWdg* ui;
    QCameraViewfinder* viewfinder = nullptr;
    QLabel* m_message = nullptr;      // in the picture's place when the camera fails
    QCamera* camera = nullptr;
    QList<QCameraInfo> m_cameras;     // the entries of comboBox, in order
    int currentIndex = -1;
    bool m_placed = false;            // placed on the screen once
    bool m_collapsed = false;         // only the tool bar shows
    int dragBandHeight = 10000;
    QPoint pressPoint;
    bool dragging = false;
    quint8 edgeMargin = 5;
    QRect pressGeometry;
    bool resizing = false;
    bool edgeTop = false;
    bool edgeLeft = false;
    bool edgeRight = false;
    bool edgeBottom = false;
    int openHeight = 200;
    std::function<QList<QCameraInfo>()> m_cameraSource;
};
