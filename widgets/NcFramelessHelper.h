#pragma once
// Lets the mouse move and resize top-level windows that have no system frame.
// A window attached to the helper is made frameless and tracked: a left-button
// drag inside it moves it, a drag starting within BorderWidth pixels of its
// edge resizes it (with the matching resize cursor on hover). Detaching, or
// destroying the helper, gives the window its saved flags back.
// GUI thread only.
#include <QHash>
#include <QObject>
#include <QPoint>

class QWidget;
class QMouseEvent;

class NcFramelessHelper : public QObject {
    Q_OBJECT
public:
    static constexpr int BorderWidth = 5;

    explicit NcFramelessHelper(QObject* parent = nullptr);
    ~NcFramelessHelper() override;

    void attachWidget(QWidget* window);
    void detachWidget(QWidget* window);
    void setMovable(bool movable);
    void setResizable(bool resizable);
    bool isMovable() const { return m_movable; }
    bool isResizable() const { return m_resizable; }
    // How many windows are attached now.
    int attachedCount() const { return m_widgets.size(); }

    // Where a global point lies on a frame rectangle (inclusive bounds).
    struct Position {
        bool onEdges = false;
        bool onLeftEdge = false;
        bool onRightEdge = false;
        bool onTopEdge = false;
        bool onBottomEdge = false;
        bool onTopLeftCorner = false;
        bool onBottomLeftCorner = false;
        bool onTopRightCorner = false;
        bool onBottomRightCorner = false;
        void recalculate(const QPoint& globalPos, const QRect& frame);
        void reset() { *this = Position(); }
    };

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class WidgetData;
    QHash<QWidget*, WidgetData*> m_widgets;  // owned values
    bool m_movable = true;
    bool m_resizable = true;
};
