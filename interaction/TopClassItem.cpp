#include "interaction/TopClassItem.h"
#include "ui_TopClassItem.h"

#include "app/CData.h"
#include "app/DownThread.h"
#include "app/Logger.h"
#include "app/WorkerLifetime.h"
#include "app/Room.h"
#include "ClientLib.h"
#include "interaction/NewTopMsgWdg.h"

#include <QPainter>
#include <QStyleOption>
#include <QUrl>

const char* const g_styleBtnGreen =
    "QPushButton{min-width:80px;min-height:22px;max-height:22px;border-radius:11px;font:12px;color:#ffffff;"
    "padding:0px 8px;border:none;background:#67c0ba;}"
    "QPushButton:hover{background:#67c0ba;}QPushButton:pressed{background:#67c0ba;}"
    "QPushButton:disabled{background-color:rgba(93,192,186,0.4);}";
const char* const g_styleBtnOrange =
    "QPushButton{min-width:80px;min-height:22px;max-height:22px;border-radius:11px;font:12px;color:#ffffff;"
    "padding:0px 8px;border:none;background:#f59a23;}"
    "QPushButton:hover{background:#f59a23;}QPushButton:pressed{background:#f59a23;}"
    "QPushButton:disabled{background-color:rgba(93,192,186,0.4);}";

namespace productcard {

namespace {

const char* const kDefaultPicture = ":/widget/res/widget/topClassImage.png";

void ShowScaled(QLabel* label, const QPixmap& picture)
{
    label->setPixmap(picture.scaled(label->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

}  // namespace

DownThread* ShowPicture(QLabel* label, const QString& url)
{
    const QString scheme = QUrl(url).scheme().toLower();
    if (!url.isEmpty() && scheme != "http" && scheme != "https") {
        Logger::instance()->Log(LOG_WARN, "productcard::ShowPicture", "picture refused, not a web address: %s",
                                url.toUtf8().constData());
        ShowScaled(label, QPixmap(kDefaultPicture));
        return nullptr;
    }
    const std::string where = url.toLocal8Bit().toStdString();
    const QPixmap picture = DownThread::GetLoadPixmap(where);
    if (!picture.isNull()) {
        ShowScaled(label, picture);
        return nullptr;
    }
    return new DownThread(where, 0, true);
}

void ShowDownloaded(QLabel* label, DownThread* down)
{
    QPixmap picture = DownThread::GetLoadPixmap(down->GetLocalFile().toLocal8Bit().toStdString());
    if (picture.isNull())
        picture.load(kDefaultPicture);
    ShowScaled(label, picture);
}

void SetElided(QLabel* label, const QString& text)
{
    label->setText(label->fontMetrics().elidedText(text, Qt::ElideRight, label->width()));
    label->setToolTip(text);
}

DownThread* ShowProduct(const ProductLabels& labels, const QVariantMap& product)
{
    SetElided(labels.title, product.value("productname").toString());
    SetElided(labels.des, product.value("productdesc").toString());
    labels.price->setText(product.value("productprice").toString());
    labels.num->setText(product.value("productcount").toString());
    return ShowPicture(labels.image, product.value("productimgurl").toString());
}

bool OpenDetail(const QVariantMap& product, const char* caller)
{
    return NewTopMsgWdg::OpenNoticeLink(QUrl(product.value("productdetailurl").toString(), QUrl::TolerantMode), caller);
}

}  // namespace productcard

TopClassItem::TopClassItem(QWidget* parent) : QWidget(parent), ui(new Ui::TopClassItem)
{
    ui->setupUi(this);
}

TopClassItem::~TopClassItem() { delete ui; }

void TopClassItem::SetData(const QVariant& data)
{
    m_data = data.toMap();
    adjustSize();
    layout()->activate();
    if (DownThread* down = productcard::ShowProduct(
            {ui->labTitle, ui->labDes, ui->labPrice, ui->labNum, ui->labImage}, m_data)) {
        WorkerLifetime::Start(down, this, &TopClassItem::OnDownFinish);
    }
    if (!CData::instance()->IsTeacher()) {
        ui->btnUpDown->hide();
        return;
    }
    const bool up = m_data.value("upstatus").toString() == g_strOne;
    if (m_classMode)
        ui->btnUpDown->setText(up ? tr("下架") : tr("上架"));
    else
        ui->btnUpDown->setText(up ? tr("撤销") : tr("发布"));
    ui->btnUpDown->setStyleSheet(up ? g_styleBtnGreen : g_styleBtnOrange);
}

void TopClassItem::OnDownFinish(DownThread* down) { productcard::ShowDownloaded(ui->labImage, down); }

void TopClassItem::on_btnUpDown_clicked()
{
    ClientLib* lib = Room::instance()->GetClientLib();
    if (!lib)
        return;
    const bool up = m_data.value("upstatus").toString() == g_strOne;
    const QVariant product(m_data);
    if (m_classMode)
        up ? lib->ProductDown(product) : lib->ProductUp(product);
    else
        up ? lib->AdProductDown(product) : lib->AdProductUp(product);
}

void TopClassItem::on_btnInfo_clicked() { productcard::OpenDetail(m_data, "TopClassItem::on_btnInfo_clicked"); }

void TopClassItem::paintEvent(QPaintEvent*)
{
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
}
