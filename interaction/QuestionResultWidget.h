#pragma once
// The statistics of a published question. Its form comes later; what stands
// is whether a question runs and its latest statistics. GUI thread only.
#include <QWidget>
#include <QVariant>

class QuestionResultWidget : public QWidget {
    Q_OBJECT
public:
    explicit QuestionResultWidget(QWidget* parent = nullptr);
    void InitQuestion(int type, int num, QVariant listRes, bool showNum);
    bool IsQuestionStarted() const { return m_started; }
    void SetQuestionResult(QVariant result) { m_result = result.toMap(); }
    void ResetData(bool hide);
    QVariantMap Result() const { return m_result; }

signals:
    void sgControlCmd(int cmd, const QVariant& var);

private:
    bool m_started = false;  // GUI thread only, like every member
    QVariantMap m_result;
};
