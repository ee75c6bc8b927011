#pragma once
// The problem feedback dialog: one of four kinds and a description of 10 to
// 100 characters. "提交" uploads the program's logs and crash dumps, hands
// kind and text to the client library and waits for its answer, which the
// home window's result handler passes to OnSubmitResult: a success closes
// the dialog, a failure leaves it open with a toast so the teacher can send
// again. Each opening is a new dialog that deletes itself when closed.
// GUI thread only, like the class-wide list of awaited answers.
#include "widgets/TitleDrag.h"

#include <QDialog>
#include <QPointer>

#include <deque>

namespace Ui {
class ProblemFeedback;
}

class ProblemFeedback : public QDialog {
    Q_OBJECT
public:
    // Kinds of feedback, the ids of the radio buttons as sent.
    enum Kind { kFunctionFault = 1, kSuggestion = 2, kSecurity = 3, kOther = 4 };
    static constexpr int MinChars = 10;
    static constexpr int MaxChars = 100;

    explicit ProblemFeedback(QWidget* parent);
    ~ProblemFeedback() override;

    // The answer of a submission. Answers come in the order the submissions
    // went out: each belongs to the oldest dialog still waiting (a dialog
    // closed meanwhile takes its answer with it).
    static void OnSubmitResult(int code, const QString& errMsg);

public slots:
    void onButtonClick();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void submit();
    void cutToLimit();
    void failed(const QString& why);

    TitleDrag m_drag{this, kSmallDialogBand};  // frameless drag by the top band
    Ui::ProblemFeedback* ui;    // the form, owned

    static std::deque<QPointer<ProblemFeedback>> s_awaiting;  // submissions not yet answered, oldest first
};
