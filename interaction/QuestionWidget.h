#pragma once
// The teacher's quiz set-up panel: the question type (true/false, yes/no,
// understood, letters, numbers) with the number of options, the right
// answer or answers, and whether students see how many have answered. Its
// publish button sends the question through the client library and tells
// the main window (control command 2), which opens the statistics.
// A selector or answer button is "on" when it is checkable and checked.
// GUI thread only.
#include "interaction/QuestionPanel.h"

#include <QList>
#include <QVariant>
#include <QWidget>

class QPushButton;

namespace Ui {
class QuestionWidget;
}

class QuestionWidget : public QuestionPanel {
    Q_OBJECT
public:
    explicit QuestionWidget(QWidget* parent = nullptr);
    ~QuestionWidget() override;

    int Type() const { return m_type; }
    int OptionCount() const { return m_count; }

    bool eventFilter(QObject* watched, QEvent* event) override;

public slots:
    // The one handler of every selector and answer button (the sender).
    void OnButtonClick();

signals:
    void sgControlCmd(int cmd, const QVariant& var);

protected:

private slots:
    void on_btnClose_clicked();
    void on_btnStart_clicked();

private:
    void ChooseType(int type, int count, const QList<QPushButton*>& source);
    void MarkAnswer(QPushButton* button);

    Ui::QuestionWidget* ui;           // GUI thread only, like every member
    QWidget* m_parent;                // the parent it was given
    QList<QPushButton*> m_pairs[3];   // the type 0, 1 and 2 pairs
    QList<QPushButton*> m_letters;    // "btnA" .. "btnF"
    QList<QPushButton*> m_numbers;    // "btn1" .. "btn6"
    QList<QPushButton*> m_answers;    // "btnRes1" .. "btnRes6"
    int m_type = 1;                   // 0 once the constructor has run
    int m_count = 2;                  // option count, 2 to 6
};
