#include "interaction/StuTopClassWidget.h"
#include "ui_StuTopClassWidget.h"

#include "app/DownThread.h"
#include "app/WorkerLifetime.h"
#include "interaction/TopClassItem.h"

#include <QEvent>
#include <QPainter>
#include <QStyleOption>

namespace {

// The card's distance from the parent's bottom in its lower-left place.
constexpr int kBottomGap = 100;
constexpr int kLeft = 20;

}  // namespace

StuTopClassWidget::StuTopClassWidget(QWidget* parent) : QWidget(parent), ui(new Ui::StuTopClassWidget)
{
    ui->setupUi(this);
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedSize(size());
    if (parent)
        parent->installEventFilter(this);
    hide();
}

StuTopClassWidget::~StuTopClassWidget() { delete ui; }

void StuTopClassWidget::SetClassMode(bool classMode)
{
    m_classMode = classMode;
    if (classMode)
        return;
    ui->labWdgTitle->setText(tr("广告"));
    for (QWidget* w : {ui->labPrice0, ui->labPrice, ui->labNum0, ui->labNum})
        w->hide();
}

bool StuTopClassWidget::ShowProduct(const QVariant& product)
{
    m_data = product.toMap();
    adjustSize();
    layout()->activate();
    if (DownThread* down = productcard::ShowProduct(
            {ui->labTitle, ui->labDes, ui->labPrice, ui->labNum, ui->labImage}, m_data)) {
        WorkerLifetime::Start(down, this, &StuTopClassWidget::OnDownFinish);
    }
    ShowWidget();
    return true;
}

bool StuTopClassWidget::ShowWidget()
{
    if (m_data.isEmpty())
        return false;
    const QRect area = parentWidget() ? parentWidget()->rect() : QRect();
    if (m_classMode)
        PlaceLowerLeft();
    else
        move((area.width() - width()) / 2, (area.height() - height()) / 2);
    show();
    raise();
    return true;
}

void StuTopClassWidget::PlaceLowerLeft()
{
    const int parentHeight = parentWidget() ? parentWidget()->height() : 0;
    move(kLeft, parentHeight - height() - kBottomGap);
}

void StuTopClassWidget::ResetData(bool hideIt)
{
    m_data.clear();
    if (hideIt)
        hide();
}

void StuTopClassWidget::OnDownFinish(DownThread* down) { productcard::ShowDownloaded(ui->labImage, down); }

void StuTopClassWidget::on_btnClose_clicked() { hide(); }

void StuTopClassWidget::on_btnInfo_clicked() { productcard::OpenDetail(m_data, "StuTopClassWidget::on_btnInfo_clicked"); }

bool StuTopClassWidget::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        PlaceLowerLeft();
    return QWidget::eventFilter(watched, event);
}

void StuTopClassWidget::paintEvent(QPaintEvent*)
{
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
}
