#pragma once
// Small helpers of the widget tests: mouse events with explicit global
// positions (so drags do not depend on a real pointer), deferred deletes,
// and screenshots under the build folder.
#include "TestPaths.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

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

}  // namespace widgettest
