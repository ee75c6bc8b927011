#pragma once
// The orange "结束分享屏幕" pill centred at the top of its parent while the
// desktop is shared; a click is reported by sgStopDeskShare(). It follows its
// parent's resizes. GUI thread only.
#include <QWidget>

namespace Ui {
class DeskFloatWidget;
}

class DeskFloatWidget : public QWidget {
    Q_OBJECT
public:
    explicit DeskFloatWidget(QWidget* parent);
    ~DeskFloatWidget() override;

signals:
    void sgStopDeskShare();

public slots:
    void on_pushButton_clicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void Centre();

    Ui::DeskFloatWidget* ui;   // GUI thread only, like every member
    QWidget* m_parent;
};
