#pragma once
// The teacher's window for putting the class on air through an outside
// encoder instead of the program's own pusher. On the device page the
// encoders that the client library reports online are listed and one of
// them is told, through the library's relay, to push to the selected media
// line's desktop address; on the manual page the teacher copies the address
// and the stream name into an encoder by hand. While pushing, the pushed
// stream can be previewed through the room's live player.
//
// The push state is the session's external-push flag (CData::IsExtPush).
// The main window makes the one instance (parent: the main window) and
// drives it:
//   - its external-push button, while the window is hidden: ShowExtPush;
//   - client-library command 7 (external push message): OnExtPushTranMsg
//     with the payload;
//   - command 2 (connect failed) of type "extpush": SetConnectState(false, "");
//     command 3 (login result) of type "extpush": SetConnectState(isok, result);
//   - leaving the room: ResetData(true);
//   - re-doing share and play while the window is visible: ReStartPush.
// and connects sgExtPushShow, sgExtPushStart and sgExtPushPlay.
// GUI thread only.
#include "widgets/TitleDrag.h"

#include <QPoint>
#include <QVariant>
#include <QWidget>

#include <functional>
#include <memory>

namespace Ui {
class ExtPushWidget;
}

class ExtPushWidget : public QWidget {
    Q_OBJECT
public:
    static constexpr qint64 kOkGuardMs = 3000;
    static constexpr qint64 kPreviewGuardMs = 1000;
    static constexpr int kDragStripHeight = 40;
    static constexpr int kLineCount = 6;

    explicit ExtPushWidget(QWidget* parent);
    ~ExtPushWidget() override;

    // Opens the window for the current media lines (nothing with fewer than
    // two lines).
    void ShowExtPush();
    // A device-list ("DeviceList") or relayed device message ("TransMsg").
    void OnExtPushTranMsg(const QVariant& payload);
    // The relay connection: ok clears the state text, else "连接服务失败 " + reason.
    void SetConnectState(bool ok, QString reason);
    // Clears the device state; with exitRoom also stops a running push
    // (the flag is cleared and the stop announced) and hides the window.
    void ResetData(bool exitRoom);
    // While pushing with a stream name: sgExtPushStart(true, name) again.
    void ReStartPush();

    // The device that commands go to (empty: none).
    QString CurrentDeviceId() const { return m_curDevId; }
    // Wall-clock ms of the click guards; tests replace it.
    using Clock = std::function<qint64()>;
    void SetClockForTests(Clock clock) { m_clock = std::move(clock); }

    static const char* const kStartStyle;
    static const char* const kStopStyle;

signals:
    void sgExtPushShow(bool show);
    void sgExtPushStart(bool start, QString streamName);
    void sgExtPushPlay(bool play);

private slots:
    void on_btnOk_clicked();
    void on_btnPreview_clicked();
    void on_btnClose_clicked();
    void on_btnCopyAddr_clicked();
    void on_btnCopyName_clicked();
    void on_btnCopyGuid_clicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    bool TakeClick(QWidget* button, qint64 guardMs);
    // Flips the push flag and acts on it (start or stop); exitRoom: the room
    // is being left, so a stop is announced at once.
    void TogglePush(bool exitRoom);
    void TogglePreview();
    void SwitchMode();
    void OnDeviceList(const QVariantMap& payload);
    void OnDeviceMessage(const QVariantMap& payload);
    void OnDeviceSelected(int index);
    void SetDevStatus(const QString& text, const char* style);
    bool OnDevicePage() const;
    void ShowMessage(const QString& text);
    void ShowToast(const QString& text);
    qint64 NowMs() const;

    TitleDrag m_drag{this, kDragStripHeight};  // frameless drag by the top strip
    std::unique_ptr<Ui::ExtPushWidget> ui;
    int m_curLine = 0;
    QVariantMap m_devices;     // the list in the combo box: name -> id
    QString m_curDevId;
    bool m_rebuilding = false;  // the combo box is being refilled
    Clock m_clock;
};
