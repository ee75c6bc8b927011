#pragma once
// The local camera preview drawn into a widget, and the microphone level:
// the client library's capture threads hand over pictures and levels here,
// and the GUI thread draws the newest picture into the target widget and
// reports the newest level. Older pictures or levels not yet taken are
// replaced, so a slow GUI never queues a backlog.
#include "ClientLib.h"

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <memory>
#include <mutex>

class LocalPreview : public QObject {
    Q_OBJECT
public:
    explicit LocalPreview(QObject* parent = nullptr);
    ~LocalPreview() override;

    // GUI thread: draws the pictures of the sink() made after this call into
    // target (replacing what the widget paints itself) until stop().
    void start(QWidget* target);
    void stop();
    QWidget* target() const { return m_target; }
    // The function for the library; any thread. Pictures of an earlier
    // start are dropped.
    ClientLibPreviewFn sink();
    // The function for the library's microphone level; any thread.
    ClientLibLevelFn levelSink();

signals:
    // The first picture of this start has been drawn into window.
    void pictureDrawn(quintptr window);
    // The camera or the microphone stopped; message says which.
    void deviceLost(const QString& message);
    void level(float value);
    // The target widget was destroyed while previewing.
    void targetGone();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Shared {
        std::mutex lock;        // guards the members below
        quint64 generation = 0; // the current start
        QImage picture;         // newest picture not yet taken
        QString error;          // the camera's stop reason not yet taken
        bool posted = false;    // a take is queued
        float level = 0.0f;     // newest level not yet taken
        QString levelError;     // the microphone's stop reason not yet taken
        bool levelPosted = false;
    };
    void takePicture();
    void takeLevel();

    std::shared_ptr<Shared> m_shared;  // shared with the library's threads; guarded by its lock
    QPointer<QWidget> m_target;         // GUI thread only
    QImage m_shown;                     // GUI thread only: the picture drawn into the target
    QString m_error;                    // GUI thread only: shown in place of pictures
    bool m_drawn = false;               // GUI thread only: the first picture of this start was drawn
    QMetaObject::Connection m_gone;     // GUI thread only
};
