#pragma once
// The notice board: the teacher's panel for the room's one current notice,
// shown as rich text with links that open in the system's browser. It opens
// the notice editor to publish a new notice and deletes the current one
// (publishing an empty notice under its id) after a confirmation. It takes
// the notices the room announces and the teacher's own just published; in
// the student build it also drives the student notice banner.
// GUI thread only; GetHtmlMsg keeps no state and runs anywhere.
#include <QString>
#include <QUrl>
#include <QWidget>

#include <string>

class MsgBox;
class NewTopMsgWdg;
class StuTopMsgWidget;

namespace Ui {
class TopMsgWidget;
}

class CTopMsgWidget : public QWidget {
    Q_OBJECT
public:
    explicit CTopMsgWidget(QWidget* parent = nullptr);
    ~CTopMsgWidget() override;

    // Makes (id, text) the current notice; false when it is already.
    bool SetTopMsg(qint64 id, QString jsonMsg);
    // Forgets the notice; with hide also hides the board, its editor and its
    // confirmation box (which then reports no close).
    void ResetData(bool hide);
    // The notice JSON as UTF-8 HTML (the chat's notice line).
    static std::string GetHtmlMsg(QString jsonMsg);

    qint64 CurrentId() const { return m_id; }
    QString CurrentMsg() const { return m_msg; }
    QString CurrentHtml() const { return m_html; }
    NewTopMsgWdg* Editor() const { return m_editor; }
    StuTopMsgWidget* StudentBanner() const { return m_stuBanner; }

    bool eventFilter(QObject* watched, QEvent* event) override;

public slots:
    void OnMyNewTopMsg(qlonglong id, QString msg);

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

private slots:
    void on_closeBtn_clicked();
    void on_btnOk_clicked();
    void on_btnDelete_clicked();
    void anchorClickedSlot(const QUrl& url);

private:
    void OnDeleteAnswer(bool ok);
    void AdjustHeight();
    void RefreshView();

    Ui::TopMsgWidget* ui;                  // GUI thread only, like every member
    qint64 m_id = 0;                       // 0 = no notice
    QString m_msg;                         // the notice JSON, carried as is
    QString m_html;                        // always the HTML of m_msg
    NewTopMsgWdg* m_editor;                // owned by the parent widget
    MsgBox* m_msgBox = nullptr;            // made on the first delete; owned by the parent widget
    StuTopMsgWidget* m_stuBanner;          // owned by the parent widget
};
