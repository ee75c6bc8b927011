#pragma once
// Places the room's tool windows (quiz, statistics, countdown, lottery,
// notice editor): each time one of them opens it is centred over the room
// window, inside the screen's available area. It moves the window before it
// is mapped, so the place holds with and without a window manager. GUI
// thread only.
#include <QObject>
#include <QPointer>

class QWidget;

class ToolWindowPlacer : public QObject {
    Q_OBJECT
public:
    // room: the window the tools belong to; the placer is its child.
    explicit ToolWindowPlacer(QWidget* room);

    // Watches a tool window from now on.
    void Watch(QWidget* tool);
    // Moves tool to the centre of the room window (clamped to the screen).
    void Place(QWidget* tool) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> m_room;
};
