#include "home/ProblemFeedback.h"

#include "ui_ProblemFeedback.h"

#include "ClientLib.h"
#include "app/CUpLoadLog.h"
#include "app/Logger.h"
#include "app/Room.h"
#include "widgets/Toast.h"

#include <QCloseEvent>
#include <QTextCursor>

#include <algorithm>

namespace {

const int kToastMs = 3000;

}  // namespace

std::deque<QPointer<ProblemFeedback>> ProblemFeedback::s_awaiting;

ProblemFeedback::ProblemFeedback(QWidget* parent) : QDialog(parent), ui(new Ui::ProblemFeedback)
{
    ui->setupUi(this);
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setFixedSize(width(), height());
    setAttribute(Qt::WA_DeleteOnClose);

    ui->radioButton->setChecked(true);
    ui->buttonGroup->setId(ui->radioButton, kFunctionFault);
    ui->buttonGroup->setId(ui->radioButton_2, kSuggestion);
    ui->buttonGroup->setId(ui->radioButton_3, kSecurity);
    ui->buttonGroup->setId(ui->radioButton_4, kOther);

    connect(ui->textEdit, &QTextEdit::textChanged, this, &ProblemFeedback::cutToLimit);
    connect(ui->btnOk, &QPushButton::clicked, this, &ProblemFeedback::onButtonClick);
    connect(ui->btnClose, &QPushButton::clicked, this, &ProblemFeedback::onButtonClick);
}

ProblemFeedback::~ProblemFeedback() { delete ui; }

// The newest input goes: the characters over the limit that end at the
// cursor are removed, and the cursor stays where the kept text ends.
void ProblemFeedback::cutToLimit()
{
    const QString text = ui->textEdit->toPlainText();
    const int extra = text.size() - MaxChars;
    if (extra <= 0)
        return;
    const int cursor = ui->textEdit->textCursor().position();
    const int from = std::max(0, cursor - extra);
    QString kept = text;
    kept.remove(from, extra);
    // Plain text back as plain text: a description that looks like markup
    // stays what the teacher typed.
    ui->textEdit->setPlainText(kept);
    QTextCursor c = ui->textEdit->textCursor();
    c.setPosition(std::min(from, int(kept.size())));
    ui->textEdit->setTextCursor(c);
}

void ProblemFeedback::onButtonClick()
{
    if (sender() == ui->btnOk)
        submit();
    else if (sender() == ui->btnClose)
        close();
}

void ProblemFeedback::submit()
{
    const QString text = ui->textEdit->toPlainText();
    if (text.size() < MinChars) {
        Toast::ShowToast(tr("问题描述不能少于10个字符"), this, kToastMs);
        return;
    }
    if (!m_logsUploaded) {
        m_awaitingUpload = true;
        const std::string archive =
            CUpLoadLog::CheckUpload(true, this, [this](bool accepted) { onLogUpload(accepted); });
        if (archive.empty())
            onLogUpload(false);  // nothing to post, or nowhere to post it
    }
    if (!m_sent) {
        const int kind = ui->buttonGroup->checkedId();
        ClientLib* lib = Room::instance()->GetClientLib();
        if (lib && lib->SubmitFeedback(QVariant(kind), text)) {
            m_awaitingSent = true;
            s_awaiting.push_back(this);
        } else {
            failed(tr("请稍后再试"));
        }
    }
    finishIfDone();
}

void ProblemFeedback::failed(const QString& why)
{
    Logger::instance()->Log(200, "ProblemFeedback", "feedback not sent: %s", why.toUtf8().constData());
    m_awaitingSent = false;
    Toast::ShowToast(tr("反馈提交失败，%1").arg(why), this, kToastMs);
    finishIfDone();
}

void ProblemFeedback::onLogUpload(bool accepted)
{
    m_awaitingUpload = false;
    m_logsUploaded = accepted;
    if (!accepted) {
        Logger::instance()->Log(200, "ProblemFeedback", "log upload failed");
        Toast::ShowToast(m_sent ? tr("反馈已提交，日志上传失败，请重试") : tr("日志上传失败，请重试"), this, kToastMs);
    }
    finishIfDone();
}

void ProblemFeedback::finishIfDone()
{
    if (m_awaitingSent || m_awaitingUpload)
        ui->btnOk->setEnabled(false);
    else if (m_sent && m_logsUploaded)
        close();
    else
        ui->btnOk->setEnabled(true);
}

void ProblemFeedback::OnSubmitResult(int code, const QString& errMsg)
{
    if (s_awaiting.empty()) {
        Logger::instance()->Log(200, "ProblemFeedback", "feedback answer %d without a submission, ignored", code);
        return;
    }
    const QPointer<ProblemFeedback> dialog = s_awaiting.front();
    s_awaiting.pop_front();
    if (!dialog)
        return;
    if (code == 0) {
        dialog->m_awaitingSent = false;
        dialog->m_sent = true;
        dialog->finishIfDone();
    } else {
        dialog->failed(QString("%1(code=%2)").arg(errMsg).arg(code));
    }
}

void ProblemFeedback::closeEvent(QCloseEvent* event) { QDialog::closeEvent(event); }
