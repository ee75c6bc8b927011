#pragma once
// The student notice banner: a light frameless strip over the main window,
// near the top and centred, with the current notice's rich text, its links
// (opened in the system's browser) and a small close button. The notice
// board drives it in the student build. GUI thread only.
#include <QString>
#include <QUrl>
#include <QWidget>

namespace Ui {
class StuTopMsgWidget;
}

class StuTopMsgWidget : public QWidget {
    Q_OBJECT
public:
    explicit StuTopMsgWidget(QWidget* parent = nullptr);
    ~StuTopMsgWidget() override;

    // Shows the notice (hides for one without HTML); always true.
    bool SetTopMsg(qint64 id, QString jsonMsg);
    // Forgets the notice (the text stays on screen); hides with hide.
    void ResetData(bool hide);

    qint64 CurrentId() const { return m_id; }
    QString CurrentMsg() const { return m_msg; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

private slots:
    void on_closeBtn_clicked();
    void anchorClickedSlot(const QUrl& url);

private:
    void AdjustHeight();

    Ui::StuTopMsgWidget* ui;  // GUI thread only, like every member
    qint64 m_id = 0;          // 0 = no notice
    QString m_msg;            // the notice JSON, carried as is
    QString m_html;           // the HTML of m_msg
};
