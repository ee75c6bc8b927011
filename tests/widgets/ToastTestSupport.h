#pragma once
// The toasts a test can see, and their texts.
#include "widgets/Toast.h"

#include <QApplication>
#include <QLabel>
#include <QList>
#include <QStringList>
#include <QWidget>

namespace widgettest {

// The toasts that exist (only the shown ones when visibleOnly).
inline QList<QWidget*> Toasts(bool visibleOnly = false)
{
    QList<QWidget*> out;
    for (QWidget* w : QApplication::allWidgets())
        if (qobject_cast<Toast*>(w) && (!visibleOnly || w->isVisible()))
            out << w;
    return out;
}

// Texts of the toasts.
inline QStringList ToastTexts(bool visibleOnly = false)
{
    QStringList texts;
    for (QWidget* w : Toasts(visibleOnly))
        for (QLabel* label : w->findChildren<QLabel*>())
            texts << label->text();
    return texts;
}

}  // namespace widgettest
