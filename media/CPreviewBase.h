#pragma once
// The widget the broadcast engine paints its live scene into: it makes (and
// re-makes, on every resize and output-size change) the engine's view on
// its native window and hands it the mouse, so the engine can select, move
// and resize the scene's sources. A right click on a source opens a menu.
// GUI thread only.
#include "libs/broadcast/IBroadcastEngine.h"

#include <QString>
#include <QStringList>
#include <QWidget>

#include <memory>

class QMenu;

class CPreviewBase : public QWidget {
    Q_OBJECT
public:
    explicit CPreviewBase(QWidget* parent = nullptr);
    ~CPreviewBase() override;

    // Destroys the current view and makes a new one for the native window.
    void recreateView();
    // Returns the view to the engine (its painting ends); the window calls it
    // before the engine goes.
    void releaseView();
    ISceneView* view() const { return m_view; }
    // How many views were made so far (tests).
    int viewsMade() const { return m_viewsMade; }

    // The record handed to the view for a mouse event.
    static std::shared_ptr<SceneMouseEvent> makeSceneEvent(const QMouseEvent* event);
    // The texts of the source menu, in order (untranslated).
    static QStringList contextMenuTexts();

signals:
    // The source menu is about to run (tests watch it).
    void contextMenuShown(QMenu* menu, QString source);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void onOutputSizeChange(int width, int height);
    void showSourceMenu(const QString& source, const QPoint& globalPos);

    QString m_sceneName = QStringLiteral("default_scene");
    ISceneView* m_view = nullptr;  // the engine's; returned with DestroyView
    IBroadcastEngine* m_viewEngine = nullptr;  // the engine that made m_view
    bool m_mode = false;
    int m_viewsMade = 0;
};
