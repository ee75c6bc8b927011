#pragma once
// The teacher's statistics of a published quiz question: one row per option
// (answer mark, bar, number of students, share), the right answers marked
// and their bars orange, a clock of the time the question has run, the
// number of answers and the correct rate as a round gauge. The stop button
// ends the question through the client library; the close button folds the
// panel while the question runs on. GUI thread only.
#include "interaction/QuestionPanel.h"

#include <QList>
#include <QVariant>
#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;
class QRoundProgressBar;

namespace Ui {
class QuestionResultWidget;
}

class QuestionResultWidget : public QuestionPanel {
    Q_OBJECT
public:
    explicit QuestionResultWidget(QWidget* parent = nullptr);
    ~QuestionResultWidget() override;

    // Prepares rows 1..num for a question of `type` with the right answers
    // `listRes` (option numbers) and shows the panel.
    void InitQuestion(int type, int num, QVariant listRes, bool showNum);
    bool IsQuestionStarted() const { return m_started; }
    // One result payload of the room ({"id", "type", "totalTs", "showNum",
    // "rightPercent", "totalResult", "listItem"}); one without items is ignored.
    void SetQuestionResult(QVariant result);
    void ResetData(bool hide);
    // The last result payload shown (empty after ResetData).
    QVariantMap Result() const { return m_result; }
    bool IsFolded() const { return m_folded; }

    bool eventFilter(QObject* watched, QEvent* event) override;

public slots:
    void onTimerUpdate(int tick);

signals:
    void sgControlCmd(int cmd, const QVariant& var);

protected:
    void showEvent(QShowEvent* event) override;

private slots:
    void on_btnClose_clicked();
    void on_btnStop_clicked();

private:
    static void SetBarStatus(QProgressBar* bar, int status);
    void Fold();

    Ui::QuestionResultWidget* ui;     // GUI thread only, like every member
    QWidget* m_parent;                // the parent it was given
    QRoundProgressBar* m_gauge;       // the correct rate, child of "wdgPercent"
    QList<QWidget*> m_rows;           // "wdgOpt1" .. "wdgOpt6"
    QList<QPushButton*> m_marks;      // "btnOpt1" .. "btnOpt6"
    QList<QProgressBar*> m_bars;      // "proBar1" .. "proBar6"
    QList<QLabel*> m_nums;            // "labNum1" .. "labNum6"
    QList<QLabel*> m_pros;            // "labPro1" .. "labPro6"
    bool m_folded = false;            // closed while the question runs
    bool m_started = false;
    int m_elapsed = -1;               // seconds; -1 = clock stopped
    int m_type = 0;
    int m_num = 0;
    bool m_showNum = true;
    QVariantMap m_result;
};
