#pragma once
// Places the page-turning controls of the document on the whiteboard at the
// right end of the drawing bar strip (the host) and keeps them there. The
// controls are widgets the whiteboard library makes and reports (an add
// widget, a page widget and two floating ones); the bar reparents them onto
// the host, positions them and shows the main classroom's set or that of a
// dual-teacher sub-classroom. It never makes or deletes a widget, and acts
// only in live rooms. GUI thread only (the library's commands arrive there).
#include <QObject>
#include <QPointer>
#include <QVariant>

class QWidget;

class DocTurnPageCtrl : public QObject {
    Q_OBJECT
public:
    // One classroom's controls; none of the pointers owns its widget, and
    // each one forgets a widget the library deletes.
    struct PageSet {
        QPointer<QWidget> addWdg;
        QPointer<QWidget> pageWdg;
        QPointer<QWidget> overlayWdg1;  // from RsWB_ShowPageWidget
        QPointer<QWidget> overlayWdg2;  // from RsWB_HidePageWidget
    };

    explicit DocTurnPageCtrl(QWidget* host);

    void Reset();
    void SetSubRoomMode(bool subRoom);
    bool IsSubRoomMode() const { return m_subRoomMode; }
    void UpdateLayout();

    bool eventFilter(QObject* watched, QEvent* event) override;

    // For checks.
    const PageSet& MainSet() const { return m_main; }
    const PageSet& SubSet() const { return m_sub; }

public slots:
    void onWBLibCmd(int cmd, const QVariant& var);

private:
    QWidget* m_host;               // the drawing bar strip
    bool m_subRoomMode = false;
    bool m_subPageVisible = false;
    PageSet m_sub;
    bool m_mainPageVisible = false;
    PageSet m_main;
};
