// The page controls the library hands to the program: a page widget
// (previous, "page/count", next) and an add widget (a new board page), for
// one classroom, plus the two overlay notices shown over them while a page
// image loads or after it failed. The program may reparent them; the library
// keeps only guarded pointers and never deletes them (their Qt parent does).
// While the program leaves them where they were made, the library shows them
// itself over the board's bottom left corner, so pages can be turned in
// every room. GUI thread only.
#pragma once

#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QString>

class QLabel;
class QToolButton;
class QWidget;
class WBCanvas;

class WBPageControls : public QObject
{
public:
    // The widgets start hidden, as children of container.
    WBPageControls(WBCanvas* canvas, QWidget* container);
    ~WBPageControls(); // the widgets stop following the board

    QWidget* pageWidget() const { return m_page; }
    QWidget* addWidget() const { return m_add; }
    // Follows the board's page state.
    void refresh();
    // Entering a room (true): the controls return to where they were made
    // and, until the program takes them, are shown over the board. Leaving
    // (false): the controls the program did not take are hidden.
    void setSelfShown(bool shown);
    bool adopted() const; // the program took the controls

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void placeOnBoard();

    QPointer<QWidget> m_container; // where the controls were made
    QPointer<WBCanvas> m_canvas;
    QPointer<QWidget> m_page;
    QPointer<QLabel> m_label;
    QPointer<QToolButton> m_prev;
    QPointer<QToolButton> m_next;
    QPointer<QWidget> m_add;
    QMetaObject::Connection m_follow; // the board's page state to refresh()
    bool m_selfShown = false;
};

// A small notice label (loading, failure) that the program places over the
// page controls.
QWidget* makeNotice(QWidget* container, const QString& objectName, const QString& text);
