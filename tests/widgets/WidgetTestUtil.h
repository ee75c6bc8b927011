#pragma once
// Small helpers of the widget tests: mouse events with explicit global
// positions (so drags do not depend on a real pointer), deferred deletes,
// and screenshots under the build folder.
#include "TestPaths.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace widgettest {

inline void sendMouse(QWidget* w, QEvent::Type type, QPoint local, Qt::MouseButton button,
                      Qt::MouseButtons buttons, QPoint global)
{
    QMouseEvent e(type, local, global, button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

// Global position = the widget's own global mapping of local.
inline void sendMouse(QWidget* w, QEvent::Type type, QPoint local, Qt::MouseButton button, Qt::MouseButtons buttons)
{
    sendMouse(w, type, local, button, buttons, w->mapToGlobal(local));
}

inline void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

inline void saveScreenshot(QWidget* w, const char* name)
{
    QCoreApplication::processEvents();  // pending layout requests first
    w->grab().save(QString::fromStdString(testsupport::screenshotPath(name)));
}

// Runs act once on the next visible top-level widget of type T (a modal
// dialog runs its own event loop, so the test acts from a polling timer).
// The timer goes after acting; the caller may delete it before that.
template <class T>
QTimer* whenShown(std::function<void(T*)> act)
{
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll, act] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->isVisible() && qobject_cast<T*>(w)) {
                poll->stop();
                poll->deleteLater();
                act(static_cast<T*>(w));
                return;
            }
        }
    });
    poll->start(10);
    return poll;
}

}  // namespace widgettest
