#pragma once
// The class room's chat panel: the room's chat as a list of rows (text with
// emoticons, pictures, orange system lines), the input box with its
// 200-byte limit and send throttle, the whole-room chat ban switch and an
// unread tip while the list is scrolled up. It takes the client library's
// commands and CData's tick itself; the main window shows it, feeds it
// system lines and the online count. Two looks: embedded and dark in a live
// room, a floating light 320 x 460 window in a class room.
//
// Threads: GUI thread only, like every member. Picture downloads
// (DownThread, global pool) and uploads (UploadFile threads) report by
// queued signals; the panel releases the workers.
#include "interaction/ChatCtrlMsgInfo.h"

#include <QList>
#include <QPoint>
#include <QSharedPointer>
#include <QStringList>
#include <QVariant>
#include <QWidget>

#include <functional>

class CFaceSelWidget;
class ChatMsgItem;
class DownThread;
class ImageViewer;
class QButtonGroup;
class QLabel;
class QListWidget;
class UploadFile;

namespace Ui {
class ChatWidget;
}

class ChatCtrl : public QWidget {
    Q_OBJECT
public:
    explicit ChatCtrl(QWidget* parent);
    ~ChatCtrl() override;

    void InitStyle();
    void AddSysMsg(QString html);
    void SetTitle(QString text);
    void AddMsg(QSharedPointer<MsgInfo> msg);
    void deleteMsg(QString id);

    // Pictures (ChatCtrlImages.cpp).
    void AddImageMsg(QSharedPointer<ImageMsgInfo> msg);
    bool HasDownloadingImage(QString url) const;
    void UploadImage(QString path);

    // The list's size bounds: at kMaxRows rows the oldest go until
    // kTrimTo - 1 remain.
    static constexpr int kMaxRows = 2000;
    static constexpr int kTrimTo = 1600;
    static constexpr int kMaxTextBytes = 200;
    static constexpr qint64 kSendIntervalMs = 2000;
    static constexpr int kMinHeight = 200;

    // For tests and the main window's checks.
    const QList<ChatMsgItem*>& Rows() const { return m_rows; }
    QLabel* UnreadTip() const { return m_unreadTip; }
    QLabel* ChatOffOverlay() const { return m_chatOff.data(); }
    CFaceSelWidget* FacePicker() const { return m_facePicker.data(); }
    int UnreadCount() const { return m_unread; }
    bool IsAtBottom() const { return m_atBottom; }
    QString OwnChatIds() const { return m_ownChatIds; }
    ImageViewer* Viewer() const { return m_viewer.data(); }
    // The pictures the last preview offered and where it opened.
    QStringList PreviewList() const { return m_previewList; }
    int PreviewIndex() const { return m_previewIndex; }
    // Milliseconds since 1970; the wall clock unless a test sets one.
    void SetClockForTests(std::function<qint64()> clockMs) { m_clockMs = std::move(clockMs); }

signals:
    void sgClickClose();

public slots:
    void onTimerUpdate(int tick);
    void on_closeBtn_clicked();
    void on_sendBtn_clicked();
    void on_screenshotBtn_clicked();
    void on_switchWindowBtn_clicked(bool checked);
    void on_expressionBtn_clicked();
    void on_banBtn_clicked(bool banned);
    void slotOnPreviewImage(QString path);
    void onClientLibCmd(int code, QVariant var);
    void onUpFileFinish(UploadFile* up);
    void onDownFinish(DownThread* down);
    // A captured screen area: shown as an own picture row and uploaded.
    void onScreenshotFinished(QString filePath);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void OnChatMessage(const QVariantMap& v);
    void OnLoginResult(const QVariantMap& v);
    void OnSysNotify(const QVariantMap& v);
    void OnAllNoSpeak(const QVariantMap& v);
    void OnUserJoin(const QVariantMap& v);
    void CheckTextLength();
    void SetInputStatus(int status);
    void SetAtBottom(bool atBottom);
    void ScrollToEnd();
    void PlaceTip();
    void PlaceOverlay();
    void RemoveFirstRow();
    qint64 NowMs() const;

    Ui::ChatWidget* ui;
    QList<ChatMsgItem*> m_rows;            // row widgets in list order
    qint64 m_lastTimeShown = 0;            // seconds; last row with a time stamp
    int m_unread = 0;
    QLabel* m_unreadTip = nullptr;         // child
    bool m_atBottom = true;                // the list follows new rows
    qint64 m_lastSendMs = 0;               // last successful send
    QString m_ownChatIds;                  // "App/MyPreChatIdLT": ids joined by "|"
    bool m_dragging = false;
    QPoint m_dragPos;                      // global position of the last drag step
    QSharedPointer<CFaceSelWidget> m_facePicker;
    QSharedPointer<QLabel> m_chatOff;      // chat-off overlay, made on first use
    QButtonGroup* m_tabs = nullptr;        // child
    QSharedPointer<ImageViewer> m_viewer;  // the image viewer, made on first preview
    QStringList m_previewList;
    int m_previewIndex = -1;
    std::function<qint64()> m_clockMs;
};
