#pragma once
// The confirmation bar under a finished screen-area selection: an OK and a
// cancel button, both reported as signals. GUI thread only.
#include <QWidget>

namespace Ui {
class screenshotControlWidget;
}

class ScreenshotControlWidget : public QWidget {
    Q_OBJECT
public:
    explicit ScreenshotControlWidget(QWidget* parent = nullptr);
    ~ScreenshotControlWidget() override;

signals:
    void sigOkBtnClicked();
    void sigCancelBtnCliked();

public slots:
    void on_okBtn_clicked();
    void on_cancelBtn_clicked();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Ui::screenshotControlWidget* ui = nullptr;
};
