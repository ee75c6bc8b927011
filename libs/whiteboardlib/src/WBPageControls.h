// The page controls the library hands to the program: a page widget
// (previous, "page/count", next) and an add widget (a new board page), for
// one classroom, plus the two overlay notices shown over them while a page
// image loads or after it failed. The program reparents them; the library
// keeps only guarded pointers and never deletes them (their Qt parent does).
// GUI thread only.
#pragma once

#include <QMetaObject>
#include <QPointer>
#include <QString>

class QLabel;
class QToolButton;
class QWidget;
class WBCanvas;

class WBPageControls
{
public:
    // The widgets start hidden, as children of container.
    WBPageControls(WBCanvas* canvas, QWidget* container);
    ~WBPageControls(); // the widgets stop following the board

    QWidget* pageWidget() const { return m_page; }
    QWidget* addWidget() const { return m_add; }
    // Follows the board's page state.
    void refresh();

private:
    QPointer<WBCanvas> m_canvas;
    QPointer<QWidget> m_page;
    QPointer<QLabel> m_label;
    QPointer<QToolButton> m_prev;
    QPointer<QToolButton> m_next;
    QPointer<QWidget> m_add;
    QMetaObject::Connection m_follow; // the board's page state to refresh()
};

// A small notice label (loading, failure) that the program places over the
// page controls.
QWidget* makeNotice(QWidget* container, const QString& objectName, const QString& text);
