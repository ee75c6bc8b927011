#include "interaction/LotteryResultWidget.h"
#include "ui_LotteryResultWidget.h"

#include "app/Room.h"
#include "ClientLib.h"
#include "widgets/FilePrompt.h"
#include "widgets/Toast.h"

#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QStyleOption>
#include <QTextStream>

namespace {

constexpr int kToastMs = 3000;
constexpr int kRowHeight = 30;

QString People(qint64 n) { return QString::number(n) + " " + QObject::tr("人"); }

QLabel* RowLabel(const QString& text, int width)
{
    auto* label = new QLabel;
    label->setFixedWidth(width);
    label->setStyleSheet("color:#999999;");
    label->setText(label->fontMetrics().elidedText(text, Qt::ElideRight, width));
    label->setToolTip(text);
    return label;
}

}  // namespace

LotteryResultWidget::LotteryResultWidget(QWidget* parent) : QWidget(parent), ui(new Ui::LotteryResultWidget)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    ui->listWidget->setFocusPolicy(Qt::NoFocus);
    ui->listWidget->setFrameShape(QFrame::NoFrame);
    ui->listWidget->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ui->listWidget->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    ui->listWidget->setSpacing(0);
    ui->listWidget->setStyleSheet(
        "QListWidget{background-color: #ffffff; }QListWidget::Item{border: 0px; }QListWidget::item:selected{ "
        "background-color: #ffffff; }QListWidget::item:selected:!active{ background-color: #ffffff; }");
    ResetData(true);
}

LotteryResultWidget::~LotteryResultWidget() { delete ui; }

void LotteryResultWidget::ShowWidget(int count, qint64 lotteryId)
{
    m_lotteryId = lotteryId;
    m_count = count;
    ui->labTotal->setText(People(count));
    ui->labNum->setText(People(0));
    show();
    raise();
}

void LotteryResultWidget::SetLotteryResult(const QVariant& result)
{
    const QVariantMap map = result.toMap();
    const qint64 id = map.value("id").toLongLong();
    const int count = map.value("count").toInt();
    if (id != m_lotteryId || count != m_count) {
        show();
        raise();
    }
    m_lotteryId = id;
    m_count = count;
    m_winners = map.value("listdata").toList();
    ui->labTotal->setText(People(count));
    ui->labNum->setText(People(m_winners.size()));
    ui->listWidget->clear();
    for (const QVariant& winner : m_winners)
        AddWinnerRow(winner.toMap());
}

void LotteryResultWidget::AddWinnerRow(const QVariantMap& winner)
{
    const int listWidth = ui->listWidget->width();
    auto* row = new QWidget;
    row->setFixedSize(listWidth - 5, kRowHeight);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(RowLabel(winner.value("userid").toString(), listWidth / 2 - 5));
    layout->addWidget(RowLabel(winner.value("username").toString(), listWidth / 2 - 5));
    auto* item = new QListWidgetItem(ui->listWidget);
    item->setSizeHint(QSize(listWidth, kRowHeight));
    ui->listWidget->setItemWidget(item, row);
}

void LotteryResultWidget::ResetData(bool hideIt)
{
    m_winners.clear();
    m_lotteryId = 0;
    m_count = 0;
    ui->listWidget->clear();
    ui->labTotal->setText(People(0));
    ui->labNum->setText(People(0));
    if (hideIt)
        hide();
}

QVariantMap LotteryResultWidget::Result() const
{
    if (m_lotteryId == 0 && m_winners.isEmpty())
        return {};
    return {{"id", m_lotteryId}, {"count", m_count}, {"listdata", m_winners}};
}

void LotteryResultWidget::on_btnOk_clicked()
{
    ClientLib* lib = Room::instance()->GetClientLib();
    if (lib && lib->SetLottery(0, m_lotteryId, false))
        ResetData(true);
}

void LotteryResultWidget::on_btnExport_clicked()
{
    if (m_winners.isEmpty())
        return;
    const QString name = FilePrompt::SaveFileName(this, tr("保存文件"), QString(), "(*.txt)");
    if (name.isEmpty())
        return;
    QFile file(name);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        Toast::ShowToast(tr("文件保存失败"), parentWidget(), kToastMs);
        return;
    }
    const QString gap(6, ' ');
    QTextStream out(&file);
    out << QString::fromUtf8("用户ID") << gap << QString::fromUtf8("用户名") << "\n";
    for (const QVariant& v : m_winners) {
        const QVariantMap winner = v.toMap();
        out << winner.value("userid").toString() << gap << winner.value("username").toString() << "\n";
    }
    out.flush();
    file.close();
}

void LotteryResultWidget::on_btnClose_clicked() { hide(); }

void LotteryResultWidget::paintEvent(QPaintEvent*)
{
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
}
