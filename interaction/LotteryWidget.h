#pragma once
// The teacher's lottery editor. Its form comes later; what stands is the
// online count it shows and its reset. GUI thread only.
#include <QWidget>
#include <QVariant>

class LotteryWidget : public QWidget {
    Q_OBJECT
public:
    explicit LotteryWidget(QWidget* parent = nullptr);
    void ResetData(bool hide);
    void SetOnlineNum(qint64 n) { m_online = n; }
    qint64 OnlineNum() const { return m_online; }

signals:
    void sgControlCmd(int cmd, const QVariant& var);

private:
    qint64 m_online = 0;  // GUI thread only
};
