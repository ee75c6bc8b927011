#pragma once
// The praise animation. Mode 1: an image grows from the bottom of the parent
// to 300 x 300 in its middle while turning twice, then flips through three
// frames and fades out. Any other mode: a frameless, input-transparent tool
// window over the parent fades the image in and out (4 seconds). The widget
// deletes itself when its last animation ends, or with its parent. The animations follow Qt's
// animation clock; the frame flips are a 500 ms timer. GUI thread only.
#include <QImage>
#include <QWidget>

namespace Ui {
class AniToast;
}

class AniToast : public QWidget {
    Q_OBJECT
    Q_PROPERTY(double rotation READ rotation WRITE setRotation)
public:
    enum Mode { GrowAndSpin = 1, FadeOver = 2 };
    static constexpr int FrameMs = 500;

    // Makes an AniToast on parent and starts the animation of the mode;
    // returns it (it deletes itself when done).
    static AniToast* ShowAni(int mode, QWidget* parent);
    static AniToast* showPraise(int type, QWidget* parent) { return ShowAni(type, parent); }

    ~AniToast() override;

    double rotation() const { return m_rotation; }
    void setRotation(double degrees);
    int mode() const { return m_mode; }
    int frameCount() const { return m_frameCount; }

public slots:
    void onShowAniFinish();

protected:
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    explicit AniToast(QWidget* parent);
    void startGrowAndSpin();
    void startFadeOver();
    void fadeOutAndClose();

    Ui::AniToast* ui;
    int m_mode = FadeOver;
    QWidget* m_parent;  // not owned
    QImage m_image;
    double m_rotation = 0.0;
    int m_frameTimerId = -1;
    int m_frameCount = 0;
};
