#pragma once
// The problem feedback dialog: one of four kinds and a description of 10 to
// 100 characters. "提交" uploads the program's logs and crash dumps, hands
// kind and text to the client library and waits for both answers (the
// library's comes through the home window's result handler to
// OnSubmitResult): when both succeeded the dialog closes; a failure of
// either leaves it open with a toast, and "提交" again retries only what
// failed (a feedback the library took is not sent twice). Each opening is a
// new dialog that deletes itself when closed.
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
    void onLogUpload(bool accepted);
    // Closes once the feedback and the logs are both through; else lets the
    // teacher retry when nothing is awaited any more.
    void finishIfDone();

    TitleDrag m_drag{this, kSmallDialogBand};  // frameless drag by the top band
    Ui::ProblemFeedback* ui;    // the form, owned
    bool m_sent = false;            // the library took this dialog's feedback
    bool m_logsUploaded = false;    // the server took the log archive
    bool m_awaitingSent = false;    // a submission is out, unanswered
    bool m_awaitingUpload = false;  // a log upload is running

    static std::deque<QPointer<ProblemFeedback>> s_awaiting;  // submissions not yet answered, oldest first
};
