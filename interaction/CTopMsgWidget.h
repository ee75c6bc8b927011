#pragma once
// The room notice panel. Its form comes later; what stands is the current
// notice the room shell sets and clears. GUI thread only.
#include <QWidget>
#include <QString>

class CTopMsgWidget : public QWidget {
    Q_OBJECT
public:
    explicit CTopMsgWidget(QWidget* parent = nullptr);
    // false when id and text equal the current notice.
    bool SetTopMsg(qint64 id, QString jsonMsg);
    void ResetData(bool hide);
    qint64 CurrentId() const { return m_id; }
    QString CurrentMsg() const { return m_msg; }

private:
    qint64 m_id = 0;  // GUI thread only, like every member
    QString m_msg;
};
