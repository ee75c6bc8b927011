#pragma once
// The room's media-file player: plays the audio or video file that the class
// room shares, following the room's open, play, pause and close commands so
// that every participant hears or sees the same file at the same position.
// On the teacher's side it carries the controls (play/pause, progress,
// close) and reports each local action to the room through the client
// library. It floats over the whiteboard's display widget (its parent).
//
// Public use (main window):
//   MediaPlayerWidget(QWidget* whiteboardDisplay)   made once, hidden
//   PostRoomMediaCommand(QVariant map)              every room media command
//       (keys "docid", "fileName", "url", "ts", "totalTs", "type", "cmd")
//   IsVideoMedia()                                  the current file is a video
//   SetMicMuteForPlay(bool)                         false once at start-up
//   StopMedia(bool endThread)                       true when the room is left
//   NotifyMediaState(bool suspend)                  the room stops / resumes following
//   sigUpdateMediaShowChange()                      shown or hidden because of the media
//
// Everything runs on the GUI thread; commands held back by the delayed task
// queue come back queued through its sgDelayTask signal.
#include "media/RoomMediaFileInfo.h"

#include <QPoint>
#include <QTimer>
#include <QVariant>
#include <QWidget>

#include <chrono>
#include <memory>

namespace Ui {
class MediaPlayerForm;
}
class DelayTask;
class QAVPlayer;
class VideoRenderWidget;

enum class MediaPlayState { Init = 0, Playing = 1, Paused = 2, Stopped = 3 };

class MediaPlayerWidget : public QWidget {
    Q_OBJECT
public:
    explicit MediaPlayerWidget(QWidget* parent);
    ~MediaPlayerWidget() override;

    void PostRoomMediaCommand(QVariant command);
    bool IsVideoMedia();
    void SetMicMuteForPlay(bool mute);
    void StopMedia(bool endThread);
    void NotifyMediaState(bool suspend);

    // State, for the main window's checks and for tests.
    MediaPlayState playState() const { return m_playState; }
    std::shared_ptr<RoomMediaFileInfo> mediaInfo() const { return m_info; }
    QAVPlayer* player() const { return m_player; }
    DelayTask* delayTask() const { return m_delayTask; }
    VideoRenderWidget* videoPage() const { return m_videoPage; }
    bool isLoading() const { return m_loading; }
    bool isAtEnd() const { return m_atEnd; }
    bool isSyncSuspended() const { return m_syncSuspended; }

    // "mm:ss", or "hh:mm:ss" when hours is set or the time reaches an hour.
    static QString formatTime(int seconds, bool hours);
    // The log name of a play state.
    static const char* stateName(MediaPlayState state);

signals:
    void sigUpdateMediaShowChange();

public slots:
    void on_playBtn_clicked();
    void on_btnClose_clicked();
    void on_midPlayBtn_clicked();
    void DoRoomMediaCommad(QVariant command);
    void slotPositionChange(float ratio);
    void slotBufferCacheChange(float progress);
    void slotPlayerEndReached();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // Commands and the player (MediaPlayerWidget.cpp):
    bool isTeacherSide() const;
    void openMedia(std::shared_ptr<RoomMediaFileInfo> info);
    void recvMediaStatusChangeEvent(std::shared_ptr<RoomMediaFileInfo> info);
    bool playMediaFile(std::shared_ptr<RoomMediaFileInfo> info);
    void pauseMedia();
    void showForMedia();
    bool playerBehindOrAhead(float ts);
    void sendPlayCmd(qint64 position);
    void sendStateCmd();
    void sendCloseCmd();
    void initPlayer();
    void initSliderSignals();
    void onSliderReleased();
    void onLoadingTick();
    // The view (MediaPlayerWidgetView.cpp):
    void updateLayout();
    void updateGeometry();
    void updateTimeLabels();
    void updateProgressBar();
    void updatePlayButton();
    void updateTitle();
    void setCurrentPage(QWidget* page);

    std::unique_ptr<Ui::MediaPlayerForm> ui;          // GUI thread only (as every member)
    VideoRenderWidget* m_videoPage = nullptr;          // first page of the stack
    QAVPlayer* m_player = nullptr;                     // owned
    DelayTask* m_delayTask = nullptr;                  // owned
    MediaPlayState m_playState = MediaPlayState::Init;
    std::shared_ptr<RoomMediaFileInfo> m_info;
    bool m_sliderPressed = false;
    int m_progressSkip = -1;
    bool m_atEnd = false;
    bool m_loading = false;
    std::chrono::steady_clock::time_point m_loadingSince;
    bool m_syncSuspended = false;
    bool m_dragging = false;
    QPoint m_dragPos;
    QTimer m_loadingTimer;
    QTimer m_clickTimer;
    QString m_formStyle;  // the form's own style sheet; the layout adds the background
};
