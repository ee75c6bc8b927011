#include "interaction/QuestionWidget.h"
#include "ui_QuestionWidget.h"

#include "app/Room.h"
#include "ClientLib.h"
#include "interaction/QuestionLabels.h"
#include "widgets/Toast.h"

#include <QDateTime>

namespace {

constexpr int kToastMs = 3000;
constexpr int kCmdQuestionPublished = 2;

}  // namespace

QuestionWidget::QuestionWidget(QWidget* parent) : QuestionPanel(parent), ui(new Ui::QuestionWidget), m_parent(parent)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    m_pairs[0] = {ui->btnOpt11, ui->btnOpt12};
    m_pairs[1] = {ui->btnOpt21, ui->btnOpt22};
    m_pairs[2] = {ui->btnOpt31, ui->btnOpt32};
    m_letters = {ui->btnA, ui->btnB, ui->btnC, ui->btnD, ui->btnE, ui->btnF};
    m_numbers = {ui->btn1, ui->btn2, ui->btn3, ui->btn4, ui->btn5, ui->btn6};
    m_answers = {ui->btnRes1, ui->btnRes2, ui->btnRes3, ui->btnRes4, ui->btnRes5, ui->btnRes6};
    for (const QList<QPushButton*>& list : {m_pairs[0], m_pairs[1], m_pairs[2], m_letters, m_numbers, m_answers})
        for (QPushButton* button : list)
            connect(button, &QPushButton::clicked, this, &QuestionWidget::OnButtonClick);
    ui->chkShowNum->setChecked(true);
    ui->btnOpt11->click();
    hide();
}

QuestionWidget::~QuestionWidget() { delete ui; }

void QuestionWidget::OnButtonClick()
{
    auto* button = qobject_cast<QPushButton*>(sender());
    if (!button)
        return;
    for (int type = quizlabels::kTrueFalse; type <= quizlabels::kUnderstood; ++type)
        if (m_pairs[type].contains(button)) {
            ChooseType(type, 2, m_pairs[type]);
            return;
        }
    if (int i = m_letters.indexOf(button); i >= 0) {
        ChooseType(quizlabels::kLetters, qMax(i + 1, 2), m_letters);
        return;
    }
    if (int i = m_numbers.indexOf(button); i >= 0) {
        ChooseType(quizlabels::kNumbers, qMax(i + 1, 2), m_numbers);
        return;
    }
    if (m_answers.contains(button))
        MarkAnswer(button);
}

// `source`: the chosen type's selector buttons, whose texts label the answers.
void QuestionWidget::ChooseType(int type, int count, const QList<QPushButton*>& source)
{
    for (int i = 0; i < source.size(); ++i)
        m_answers[i]->setText(source[i]->text());
    m_type = type;
    m_count = count;
    for (const QList<QPushButton*>& list : {m_pairs[0], m_pairs[1], m_pairs[2], m_letters, m_numbers})
        for (int i = 0; i < list.size(); ++i)
            quizlabels::SetOn(list[i], list == source && i < count);
    for (int i = 0; i < m_answers.size(); ++i) {
        quizlabels::SetOn(m_answers[i], false);
        m_answers[i]->setVisible(i < count);
    }
}

void QuestionWidget::MarkAnswer(QPushButton* button)
{
    // On means checkable: a click has already toggled "checked".
    const bool wasOn = button->isCheckable();
    if (!wasOn && m_count <= 2)
        for (int i = 0; i < m_count; ++i) {
            quizlabels::SetOn(m_answers[i], false);
            m_answers[i]->show();
        }
    quizlabels::SetOn(button, !wasOn);
}

void QuestionWidget::on_btnClose_clicked() { hide(); }

void QuestionWidget::on_btnStart_clicked()
{
    QVariantList answers;
    for (int i = 0; i < m_answers.size(); ++i)
        if (m_answers[i]->isChecked())
            answers << i + 1;
    if (answers.isEmpty()) {
        Toast::ShowToast(tr("请设置答案"), this, kToastMs);
        return;
    }
    const bool showNum = ui->chkShowNum->isChecked();
    ClientLib* lib = Room::instance()->GetClientLib();
    if (lib && lib->PublishQuestion(m_type, m_count, QVariant(answers), QDateTime::currentMSecsSinceEpoch(), showNum))
        emit sgControlCmd(kCmdQuestionPublished,
                          QVariantMap{{"type", m_type}, {"num", m_count}, {"listRes", answers}, {"showNum", showNum}});
    ui->btnOpt11->click();
    hide();
}

bool QuestionWidget::eventFilter(QObject* watched, QEvent* event) { return QWidget::eventFilter(watched, event); }
