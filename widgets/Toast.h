#pragma once
// The program's passing notice: a dark pill-shaped bubble with a short white
// text in the middle of a window. It fades in over a second, stays, fades
// out over a second and deletes itself; clicks go through it. Every call
// makes a new toast (toasts are not queued or stacked).
// The fades and the stay are animations, so they follow Qt's animation
// clock. GUI thread only.
#include <QWidget>

namespace Ui {
class ToastClass;
}

class Toast : public QWidget {
    Q_OBJECT
public:
    static constexpr int FadeMs = 1000;

    // Shows text for msec milliseconds (the fade-in takes the first second of
    // them), centred on parent's top-level window, or on the screen when
    // parent is null. The toast lives msec + 1000 ms.
    static void ShowToast(const QString& text, QWidget* parent, int msec);

    ~Toast() override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    explicit Toast(QWidget* parent);
    void placeOn(QWidget* parent);
    void startLifetime(int msec);

    Ui::ToastClass* ui;
};
