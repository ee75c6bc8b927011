#pragma once
// One row of the chat list: an optional centred time stamp above a text
// bubble with the sender's badge and name, a picture thumbnail, or an
// orange system line. Own messages sit on the right, others on the left.
// The row keeps its list item's size hint equal to its height. GUI thread
// only, like every member.
#include "interaction/ChatCtrlMsgInfo.h"

#include <QSharedPointer>
#include <QWidget>

class QLabel;
class QListWidgetItem;
class QTextEdit;
class QHBoxLayout;

namespace Ui {
class ChatMsgItem;
}

class ChatMsgItem : public QWidget {
    Q_OBJECT
public:
    // parent: the chat list; its dynamic property "nChatWidth" gives the width.
    explicit ChatMsgItem(QWidget* parent);
    ~ChatMsgItem() override;

    void SetMsg(QSharedPointer<MsgInfo> msg, QListWidgetItem* item);
    QSharedPointer<MsgInfo> GetMsg() const { return m_msg; }
    // Redraws a picture body from the message's status.
    void UpdateImage();

    // The thumbnail size of a picture (larger ones reduced into 160 x 90).
    static QSize ThumbnailSize(const QSize& picture);
    // The largest picture a thumbnail decodes (either side, pixels).
    static constexpr int kMaxPictureSide = 8192;

    // For tests: the body widgets (null when the body has none).
    QTextEdit* TextView() const { return m_textEdit; }
    QLabel* ImageLabel() const { return m_imageLabel; }
    QLabel* BadgeLabel() const { return m_badgeLabel; }
    QLabel* NameLabel() const { return m_nameLabel; }
    QLabel* TimeLabel() const;
    int RowHeight() const { return m_rowHeight; }

signals:
    void sigImageThumbnailClicked(QString path);

public slots:
    void slotAdjustTextEditSize();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void SetTime();
    void BuildTextBody();
    void BuildSystemBody();
    void BuildImageBody();
    QTextEdit* MakeTextView();
    void FillTextView(QTextEdit* edit);
    QHBoxLayout* MakeNameRow(QWidget* parent);
    void SetRowHeight(int height);

    Ui::ChatMsgItem* ui;
    QSharedPointer<MsgInfo> m_msg;
    QListWidgetItem* m_item = nullptr;  // the list row holding this widget
    int m_timeHeight = 0;               // 0 without a time stamp
    int m_rowHeight = 0;
    bool m_sized = false;               // sized once at the first show
    QLabel* m_badgeLabel = nullptr;
    QLabel* m_nameLabel = nullptr;
    QTextEdit* m_textEdit = nullptr;
    QLabel* m_imageLabel = nullptr;
};
