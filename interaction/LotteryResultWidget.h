#pragma once
// The teacher's lottery result panel: the number of winners asked for and
// drawn, the winners (from the room's result command 148), their export to
// a text file, and the stop of the draw through the client library. A draw
// runs while the lottery id is not 0. GUI thread only.
#include <QVariant>
#include <QWidget>

#include "widgets/TitleDrag.h"

namespace Ui {
class LotteryResultWidget;
}

class LotteryResultWidget : public QWidget {
    Q_OBJECT
public:
    explicit LotteryResultWidget(QWidget* parent = nullptr);
    ~LotteryResultWidget() override;

    qint64 GetLotteryId() const { return m_lotteryId; }
    // A draw was started here: count asked for, its id.
    void ShowWidget(int count, qint64 lotteryId);
    // The room's result map: "id", "count", "listdata" [{"userid", "username"}].
    void SetLotteryResult(const QVariant& result);
    void ResetData(bool hide);

    // What the panel holds, as a result map.
    QVariantMap Result() const;

public slots:
    void on_btnOk_clicked();
    void on_btnExport_clicked();
    void on_btnClose_clicked();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void AddWinnerRow(const QVariantMap& winner);

    Ui::LotteryResultWidget* ui;  // GUI thread only, like every member
    static constexpr int kDragBand = 40;  // the top band the window is dragged by
    TitleDrag m_drag{this, kDragBand};  // frameless drag by the top band
    QVariantList m_winners;       // the last "listdata" received
    qint64 m_lotteryId = 0;       // the running draw; 0 = none
    int m_count = 0;              // the number of winners asked for
};
