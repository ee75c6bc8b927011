#include "interaction/LotteryWidget.h"
#include "ui_LotteryWidget.h"

#include "app/Room.h"
#include "ClientLib.h"
#include "widgets/Toast.h"

#include <QDateTime>
#include <QPainter>
#include <QRegularExpressionValidator>
#include <QStyleOption>

namespace {

constexpr int kToastMs = 3000;
constexpr int kCmdLotteryStarted = 5;

}  // namespace

LotteryWidget::LotteryWidget(QWidget* parent) : QWidget(parent), ui(new Ui::LotteryWidget)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    ui->lineNum->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{10}"), ui->lineNum));
    hide();
}

LotteryWidget::~LotteryWidget() { delete ui; }

void LotteryWidget::SetOnlineNum(qint64 n)
{
    m_online = n;
    ui->labNum->setText(QString::number(n));
}

void LotteryWidget::ResetData(bool hideIt)
{
    ui->lineNum->clear();
    if (hideIt)
        hide();
}

void LotteryWidget::on_btnOk_clicked()
{
    // Empty text and numbers beyond the int range read as 0.
    const int count = ui->lineNum->text().toInt(nullptr, 10);
    if (count < 1) {
        Toast::ShowToast(tr("请设置中奖人数"), this, kToastMs);
        return;
    }
    const qint64 id = QDateTime::currentMSecsSinceEpoch();
    ClientLib* lib = Room::instance()->GetClientLib();
    if (!lib || !lib->SetLottery(count, id, true))
        return;
    emit sgControlCmd(kCmdLotteryStarted, QVariantMap{{"id", id}, {"count", count}});
    hide();
}

void LotteryWidget::on_btnClose_clicked() { hide(); }

void LotteryWidget::paintEvent(QPaintEvent*)
{
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
}
