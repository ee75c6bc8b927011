#include "interaction/QuestionAnswer.h"
#include "ui_QuestionAnswer.h"

#include "app/CData.h"
#include "app/CSettings.h"
#include "app/Logger.h"
#include "app/Room.h"
#include "ClientLib.h"
#include "interaction/QuestionLabels.h"
#include "widgets/Toast.h"


namespace {

constexpr int kToastMs = 3000;
constexpr int kMaxRecordChars = 100;
const char* const kAnsweredKey = "App/MyQuestionId";

}  // namespace

QuestionAnswer::QuestionAnswer(QWidget* parent) : QuestionPanel(parent), ui(new Ui::QuestionAnswer), m_parent(parent)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    m_buttons = {ui->btnRes1, ui->btnRes2, ui->btnRes3, ui->btnRes4, ui->btnRes5, ui->btnRes6};
    for (QPushButton* button : m_buttons)
        connect(button, &QPushButton::clicked, this, &QuestionAnswer::OnButtonClick);
    hide();
}

QuestionAnswer::~QuestionAnswer() { delete ui; }

QVariantMap QuestionAnswer::Question() const
{
    return {{"id", m_id}, {"type", m_type}, {"num", m_num}, {"isMul", m_isMul}};
}

void QuestionAnswer::ShowWidget(QVariant question)
{
    const QVariantMap map = question.toMap();
    const qint64 id = map.value("id").toLongLong();
    const QString answered = CSettings::instance()->GetValue(kAnsweredKey, QString()).toString();
    if (answered.contains(QString::number(id)))
        return;
    const int num = map.value("num").toInt();
    if (num < 1 || num > quizlabels::kMaxOptions)
        Logger::instance()->Log(LOG_WARN, "QuestionAnswer::ShowWidget", "question %lld offers %d options, shown as %d",
                                static_cast<long long>(id), num, qBound(1, num, quizlabels::kMaxOptions));
    m_id = id;
    m_type = map.value("type").toInt();
    m_num = qBound(1, num, quizlabels::kMaxOptions);
    m_isMul = map.value("isMul").toBool();
    ui->labMulTip->setText(m_isMul ? tr("(多选)") : tr("(单选)"));
    for (int i = 0; i < m_buttons.size(); ++i) {
        quizlabels::SetOn(m_buttons[i], false);
        m_buttons[i]->setVisible(i < m_num);
    }
    quizlabels::Label(m_buttons, m_type);
    show();
    raise();
}

void QuestionAnswer::OnButtonClick()
{
    auto* button = qobject_cast<QPushButton*>(sender());
    if (!button)
        return;
    // Selected means checkable: a click has already toggled "checked".
    if (button->isCheckable()) {
        quizlabels::SetOn(button, false);
        return;
    }
    if (m_num > 2 && m_isMul) {
        quizlabels::SetOn(button, true);
        return;
    }
    for (int i = 0; i < m_num; ++i) {
        quizlabels::SetOn(m_buttons[i], false);
        m_buttons[i]->show();
    }
    quizlabels::SetOn(button, true);
}

void QuestionAnswer::on_btnStart_clicked()
{
    QVariantList answers;
    for (int i = 0; i < m_buttons.size(); ++i)
        if (m_buttons[i]->isChecked())
            answers << i + 1;
    if (answers.isEmpty()) {
        Toast::ShowToast(tr("请选择答案"), this, kToastMs);
        return;
    }
    ClientLib* lib = Room::instance()->GetClientLib();
    if (!lib)
        return;
    const QStringList login = CData::instance()->GetLoginVar();
    lib->SubmitAnswerRecord(m_type, QVariant(answers), m_id, login.value(0));
    if (!lib->SubmitAnswer(m_type, QVariant(answers), m_id))
        return;
    QString answered = CSettings::instance()->GetValue(kAnsweredKey, QString()).toString();
    if (answered.length() > kMaxRecordChars)
        answered = answered.mid(answered.length() / 2);
    answered += QString::number(m_id);
    CSettings::instance()->SetValue(kAnsweredKey, answered);
    hide();
}

void QuestionAnswer::on_btnClose_clicked() { hide(); }

bool QuestionAnswer::eventFilter(QObject* watched, QEvent* event) { return QWidget::eventFilter(watched, event); }
