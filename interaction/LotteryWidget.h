#pragma once
// The teacher's lottery set-up panel: shows how many students are online,
// takes the number of winners and starts the draw through the client
// library; the started draw goes to the main window as control command 5.
// GUI thread only.
#include <QVariant>
#include <QWidget>

#include "widgets/TitleDrag.h"

namespace Ui {
class LotteryWidget;
}

class LotteryWidget : public QWidget {
    Q_OBJECT
public:
    explicit LotteryWidget(QWidget* parent = nullptr);
    ~LotteryWidget() override;

    // The room's count of students online (command 127, "pureStu").
    void SetOnlineNum(qint64 n);
    qint64 OnlineNum() const { return m_online; }
    // Empties the number of winners; hides when asked.
    void ResetData(bool hide);

signals:
    void sgControlCmd(int cmd, const QVariant& var);

public slots:
    void on_btnOk_clicked();
    void on_btnClose_clicked();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Ui::LotteryWidget* ui;  // GUI thread only, like every member
    static constexpr int kDragBand = 40;  // the top band the window is dragged by
    TitleDrag m_drag{this, kDragBand};  // frameless drag by the top band
    qint64 m_online = 0;
};
