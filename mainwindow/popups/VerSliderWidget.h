#pragma once
// The vertical volume pop-up of the room's microphone and speaker buttons:
// one instance drives the speaker's system volume, another the microphone's
// recording level. A new value is applied when the slider moves, when the
// pop-up loses activation or closes, and on a click on its icon (mute, or
// back to the level before muting). It opens above its button and closes on
// any click outside it, with or without a window manager; a click on its
// own button only closes it. GUI thread only.
#include <QWidget>

class QTimer;

namespace Ui {
class VerSliderWidget;
}

class VerSliderWidget : public QWidget {
    Q_OBJECT
public:
    explicit VerSliderWidget(QWidget* parent = nullptr);
    ~VerSliderWidget() override;

    // true: speaker; false: microphone. Re-reads the system value.
    void SetMode(bool speaker);
    bool IsSpeakerMode() const { return m_speakerMode; }
    // The last applied value.
    int Value() const { return m_value; }
    // Opens with its bottom just above button, centred on it, and remembers
    // the button: a press on it while open closes the pop-up and goes no
    // further (the button would open it again).
    void ShowAbove(QWidget* button);

signals:
    void sgValueChange(int value);

public slots:
    // The apply step: a slider value that differs from the last applied one
    // goes to the system and is announced.
    void onUpdateTimer();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    Ui::VerSliderWidget* ui;     // GUI thread only, like every member
    QTimer* m_timer = nullptr;   // runs the apply step when someone starts it
    QWidget* m_button = nullptr;  // the button it opened from; not owned
    bool m_speakerMode = true;
    int m_value = 30;
};
