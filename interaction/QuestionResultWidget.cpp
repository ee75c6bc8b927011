#include "interaction/QuestionResultWidget.h"
#include "ui_QuestionResultWidget.h"

#include "app/CData.h"
#include "app/CSettings.h"
#include "app/Logger.h"
#include "app/PubUtils.h"
#include "app/Room.h"
#include "ClientLib.h"
#include "interaction/QuestionLabels.h"
#include "widgets/QRoundProgressBar.h"

#include <QStyle>

#include <cmath>

namespace {

constexpr int kCmdStatisticsFolded = 3;
// Any share above zero shows at least a tenth of the bar.
constexpr double kEmptyShare = 0.00001;
constexpr int kLeastBar = 10;

}  // namespace

QuestionResultWidget::QuestionResultWidget(QWidget* parent)
    : QuestionPanel(parent), ui(new Ui::QuestionResultWidget), m_parent(parent)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    m_gauge = new QRoundProgressBar(ui->wdgPercent);
    m_gauge->setGeometry(ui->wdgPercent->rect());
    m_gauge->setDrawStyle(QRoundProgressBar::StyleDonut);
    m_gauge->setRange(0, 100);
    m_gauge->setTextFormat(QString());
    m_gauge->setOutlineWidth(2.0);
    QPalette palette = m_gauge->palette();
    palette.setBrush(QPalette::All, QPalette::Window, Qt::NoBrush);
    palette.setBrush(QPalette::All, QPalette::AlternateBase, Qt::NoBrush);
    palette.setBrush(QPalette::All, QPalette::Highlight, QBrush(QColor("#ff9933")));
    palette.setColor(QPalette::All, QPalette::Text, Qt::black);
    palette.setBrush(QPalette::All, QPalette::Shadow, QBrush(QColor("#eaeaea")));
    palette.setBrush(QPalette::All, QPalette::Base, QBrush(QColor("#eaeaea")));
    m_gauge->setPalette(palette);
    m_gauge->lower();  // under the rate and its caption
    m_rows = {ui->wdgOpt1, ui->wdgOpt2, ui->wdgOpt3, ui->wdgOpt4, ui->wdgOpt5, ui->wdgOpt6};
    m_marks = {ui->btnOpt1, ui->btnOpt2, ui->btnOpt3, ui->btnOpt4, ui->btnOpt5, ui->btnOpt6};
    m_bars = {ui->proBar1, ui->proBar2, ui->proBar3, ui->proBar4, ui->proBar5, ui->proBar6};
    m_nums = {ui->labNum1, ui->labNum2, ui->labNum3, ui->labNum4, ui->labNum5, ui->labNum6};
    m_pros = {ui->labPro1, ui->labPro2, ui->labPro3, ui->labPro4, ui->labPro5, ui->labPro6};
    connect(CData::instance(), &CData::sgTimerUpdate, this, &QuestionResultWidget::onTimerUpdate);
    ResetData(true);
    ui->btnStop->setText(CData::instance()->IsTeacher() ? tr("停止答题") : tr("关闭"));
    hide();
}

QuestionResultWidget::~QuestionResultWidget() { delete ui; }

void QuestionResultWidget::SetBarStatus(QProgressBar* bar, int status)
{
    bar->setProperty("status", status);
    bar->style()->unpolish(bar);
    bar->style()->polish(bar);
}

void QuestionResultWidget::InitQuestion(int type, int num, QVariant listRes, bool showNum)
{
    const QVariantList rights = listRes.toList();
    m_type = type;
    m_num = num;
    m_started = true;
    m_showNum = CData::instance()->IsTeacher() ? true : showNum;
    if (m_elapsed < 0)
        m_elapsed = 0;
    for (int i = 0; i < m_rows.size(); ++i) {
        m_rows[i]->setVisible(i < num);
        if (i >= num)
            continue;
        m_marks[i]->setChecked(false);
        m_marks[i]->setCheckable(false);
        m_nums[i]->setVisible(m_showNum);
    }
    ui->labTotal->setVisible(m_showNum);
    quizlabels::Label(m_marks, type);
    for (const QVariant& v : rights) {
        const int n = v.toInt();
        if (n < 1 || n > quizlabels::kMaxOptions) {
            Logger::instance()->Log(LOG_WARN, "QuestionResultWidget::InitQuestion", "right answer %d out of range", n);
            continue;
        }
        m_marks[n - 1]->setCheckable(true);
        m_marks[n - 1]->setChecked(true);
        SetBarStatus(m_bars[n - 1], 1);
    }
    show();
}

void QuestionResultWidget::SetQuestionResult(QVariant result)
{
    const QVariantMap map = result.toMap();
    const qint64 id = map.value("id").toLongLong();
    if (!CData::instance()->IsTeacher() &&
        !CSettings::instance()->GetValue("App/MyQuestionId", QString()).toString().contains(QString::number(id)))
        return;
    const int type = map.value("type").toInt();
    const int totalTs = map.value("totalTs").toInt();
    const bool showNum = map.value("showNum").toInt() != 0;
    const QString rightPercent = map.value("rightPercent").toString();
    const QString totalResult = map.value("totalResult").toString();
    const QVariantList items = map.value("listItem").toList();
    if (items.isEmpty())
        return;
    m_result = map;
    QVariantList rights;
    for (const QVariant& entry : items) {
        const QVariantMap item = entry.toMap();
        const int n = item.value("index").toInt();
        if (n < 1 || n > quizlabels::kMaxOptions) {
            Logger::instance()->Log(LOG_WARN, "QuestionResultWidget::SetQuestionResult", "option %d out of range", n);
            continue;
        }
        if (item.value("isResult").toInt() != 0)
            rights << n;
        const QString percent = item.value("percent").toString();
        // The share is bounded before it becomes a bar length: "inf", "nan"
        // or a huge number from the room must not reach the int conversion.
        double p = percent.toDouble();
        if (!std::isfinite(p)) {
            Logger::instance()->Log(LOG_WARN, "QuestionResultWidget::SetQuestionResult", "option %d percent %s",
                                    n, percent.toUtf8().constData());
            p = 0.0;
        }
        p = qBound(0.0, p, 100.0);
        const int bar = p <= kEmptyShare ? 0 : static_cast<int>(qMax(p, double(kLeastBar)));
        m_bars[n - 1]->setValue(bar);
        m_nums[n - 1]->setText(QString::number(item.value("count").toInt()) + tr("人"));
        m_pros[n - 1]->setText("(" + percent + "%)");
    }
    if (!m_folded || type != m_type || items.size() != m_num) {
        m_elapsed = totalTs;
        InitQuestion(type, items.size(), rights, showNum);
    }
    ui->labTotal->setText(totalResult + tr("人已回答"));
    ui->labPercent->setText(rightPercent + "%");
    m_gauge->setValue(rightPercent.toDouble());
}

void QuestionResultWidget::ResetData(bool hideIt)
{
    m_started = false;
    m_elapsed = -1;
    for (int i = 0; i < m_rows.size(); ++i) {
        m_bars[i]->setMaximum(100);
        m_bars[i]->setValue(0);
        SetBarStatus(m_bars[i], 0);
        m_nums[i]->setText(tr("0人"));
        m_nums[i]->setMinimumWidth(30);
        m_nums[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        m_nums[i]->setVisible(m_showNum);
        m_pros[i]->setText("(0.00%)");
        m_pros[i]->setMinimumWidth(80);
        m_marks[i]->setChecked(false);
        m_marks[i]->setCheckable(false);
        m_marks[i]->setEnabled(false);
    }
    ui->labTime->setText("00:00:00");
    ui->labTotal->setText(tr("0人已回答"));
    ui->labTotal->setVisible(m_showNum);
    ui->labPercent->setText("0.00%");
    m_gauge->setValue(0.0);
    m_result.clear();
    if (hideIt) {
        m_folded = false;
        hide();
    }
}

void QuestionResultWidget::onTimerUpdate(int)
{
    if (m_elapsed < 0)
        return;
    ++m_elapsed;
    ui->labTime->setText(PubUtils::FormatDuration(m_elapsed, true));
}

void QuestionResultWidget::Fold()
{
    m_folded = true;
    hide();
    emit sgControlCmd(kCmdStatisticsFolded, QVariant(1));
}

void QuestionResultWidget::on_btnClose_clicked() { Fold(); }

void QuestionResultWidget::on_btnStop_clicked()
{
    if (!CData::instance()->IsTeacher()) {
        Fold();
        return;
    }
    ClientLib* lib = Room::instance()->GetClientLib();
    if (!lib || !lib->StopQuestion(QVariant(0)))
        return;
    m_folded = false;
    ResetData(false);
    hide();
    emit sgControlCmd(kCmdStatisticsFolded, QVariant(1));
}

bool QuestionResultWidget::eventFilter(QObject* watched, QEvent* event) { return QWidget::eventFilter(watched, event); }





void QuestionResultWidget::showEvent(QShowEvent* event) { QWidget::showEvent(event); }
