#pragma once
// The student's answer panel for a published question: up to six option
// buttons labelled by the question type, single or multiple choice, submitted
// through the client library. The questions answered on this installation
// are remembered in the settings ("App/MyQuestionId": their decimal ids run
// together), so a question is never offered twice. GUI thread only.
#include "interaction/QuestionPanel.h"

#include <QList>
#include <QVariant>
#include <QWidget>

class QPushButton;

namespace Ui {
class QuestionAnswer;
}

class QuestionAnswer : public QuestionPanel {
    Q_OBJECT
public:
    explicit QuestionAnswer(QWidget* parent = nullptr);
    ~QuestionAnswer() override;

    // Offers the question of a start command ({"id", "type", "num", "isMul"})
    // unless it was answered here before.
    void ShowWidget(QVariant question);
    // The current question as {"id", "type", "num", "isMul"}.
    QVariantMap Question() const;

    bool eventFilter(QObject* watched, QEvent* event) override;

public slots:
    void OnButtonClick();

protected:

private slots:
    void on_btnStart_clicked();
    void on_btnClose_clicked();

private:

    Ui::QuestionAnswer* ui;         // GUI thread only, like every member
    QWidget* m_parent;              // the parent it was given
    QList<QPushButton*> m_buttons;  // "btnRes1" .. "btnRes6"
    int m_type = 1;
    int m_num = 2;
    bool m_isMul = false;
    qint64 m_id = 0;
};
