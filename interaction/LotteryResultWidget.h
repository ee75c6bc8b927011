#pragma once
// The winners of a lottery. Its form comes later; what stands is the
// running lottery's id and its result. GUI thread only.
#include <QWidget>
#include <QVariant>

class LotteryResultWidget : public QWidget {
    Q_OBJECT
public:
    explicit LotteryResultWidget(QWidget* parent = nullptr);
    qint64 GetLotteryId() const { return m_lotteryId; }
    void ShowWidget(int count, qint64 lotteryId);
    void SetLotteryResult(QVariant result) { m_result = result.toMap(); }
    void ResetData(bool hide);
    QVariantMap Result() const { return m_result; }

private:
    qint64 m_lotteryId = 0;  // GUI thread only, like every member
    QVariantMap m_result;
};
