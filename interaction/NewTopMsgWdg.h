#pragma once
// The notice editor: the teacher writes a room notice of up to 300
// characters with embedded links, and publishes it through the client
// library. It also owns the notice's wire form, the notice JSON text:
//   {"msg":[{"content":"...","index":1,"type":1}, {"content":"link text",
//            "index":2,"type":2,"url":"https://..."}]}
// (type 1 a text run, 2 a link; items numbered 1..N in reading order) and
// the two conversions around it: the editor's document to JSON, and any
// notice JSON (the teacher's own or one the room delivered) to HTML.
// GUI thread only; GetHtmlMsgByJsMsg keeps no state and runs anywhere.
#include "interaction/QuestionPanel.h"

#include <QString>
#include <QTextCursor>
#include <QUrl>
#include <QWidget>

#include <string>

class QTextBrowser;

namespace Ui {
class NewTopMsgWdg;
}

class NewTopMsgWdg : public QuestionPanel {
    Q_OBJECT
public:
    static constexpr int kMaxNoticeChars = 300;

    explicit NewTopMsgWdg(QWidget* parent = nullptr);
    ~NewTopMsgWdg() override;

    // Notice JSON -> UTF-8 HTML; empty (and a warning log line) for text that
    // does not parse. Texts, link texts and addresses are HTML-escaped, so a
    // notice shows what its author typed and never injects markup.
    static std::string GetHtmlMsgByJsMsg(QString jsMsg);
    // The frame holding `cursor` -> notice JSON (UTF-8, compact, keys sorted).
    static std::string GetJsMsgByTextCursor(QTextCursor cursor);
    // Opens a notice's link with the system's handler: web addresses only (a
    // notice comes from the room; any other scheme is refused with a log
    // line under `caller`). False when refused or not opened.
    static bool OpenNoticeLink(const QUrl& url, const char* caller);
    // Lays a notice's document out at its browser's width; its height in pixels.
    static int FitNoticeHeight(QTextBrowser* browser);

    // Empties the text and the link fields, hides the link panel, focuses the
    // text box and shows the counter at 0/300.
    void ResetWidget();
    // The notice board's name for ResetWidget.
    void ResetData() { ResetWidget(); }

    bool eventFilter(QObject* watched, QEvent* event) override;

public slots:
    // The counter: plain-text length "/300", not capped.
    void UpdateEditInfo();

signals:
    // After an accepted publish: the notice id (ms since the epoch) and JSON.
    void sgNewTopMsg(qlonglong id, QString msg);

protected:

private slots:
    void on_btnClose_clicked();
    void on_btnCancel_clicked();
    void on_btnOk_clicked();
    void on_btnAddHref_released();

private:
    Ui::NewTopMsgWdg* ui;     // GUI thread only, like every member
    QWidget* m_parent;        // the parent it was given
};
