#include "interaction/CTopClassWidget.h"
#include "ui_CTopClassWidget.h"

#include "app/CData.h"
#include "app/Room.h"
#include "ClientLib.h"
#include "interaction/StuTopClassWidget.h"
#include "interaction/TopClassItem.h"

#include <QEvent>
#include <QPainter>
#include <QStyleOption>

#include <algorithm>

CTopClassWidget::CTopClassWidget(QWidget* parent) : QWidget(parent), ui(new Ui::CTopClassWidget)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    installEventFilter(this);
    setFixedWidth(350);
    ui->listWidget->setFocusPolicy(Qt::NoFocus);
    ui->listWidget->setFrameShape(QFrame::NoFrame);
    ui->listWidget->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ui->listWidget->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    ui->listWidget->setSpacing(10);
    m_card = new StuTopClassWidget(parent);
    ResetData(true);
}

CTopClassWidget::~CTopClassWidget() { delete ui; }

void CTopClassWidget::SetClassMode(bool classMode)
{
    m_classMode = classMode;
    m_card->SetClassMode(classMode);
    if (!classMode) {
        ui->labTitle->setText(tr("广告"));
        ui->labNoData->setText(tr("暂无广告"));
    }
}

void CTopClassWidget::ShowWidget()
{
    if (CData::instance()->IsTeacher()) {
        if (ClientLib* lib = Room::instance()->GetClientLib())
            m_classMode ? lib->GetProductList(m_lastTs) : lib->GetAdProductList(m_lastTs);
    } else {
        if (m_card->ShowWidget())
            return;
        ui->listWidget->clear();
        ui->wdgNull->show();
    }
    show();
    raise();
}

void CTopClassWidget::SetProductList(const QVariant& data)
{
    if (!CData::instance()->IsTeacher())
        return;
    const QVariantMap map = data.toMap();
    const QString lastTs = map.value("lastts").toString();
    if (lastTs != m_lastTs) {
        m_lastTs = lastTs;
        m_productList = map.value("listdata").toList();
        ui->listWidget->clear();
        for (QVariant& product : m_productList) {
            // The panel's own up state, learnt from the commands, wins over
            // what the list says.
            QVariantMap p = product.toMap();
            p.insert("upstatus", p.value("productid") == QVariant(m_curProductId) ? g_strOne : g_strZero);
            product = p;
            auto* row = new TopClassItem;
            row->SetClassMode(m_classMode);
            if (!m_classMode) {
                for (const char* name : {"labPrice0", "labPrice", "labNum0", "labNum"})
                    if (QWidget* w = row->findChild<QWidget*>(name))
                        w->hide();
            }
            row->SetData(p);
            auto* item = new QListWidgetItem(ui->listWidget);
            item->setSizeHint(QSize(ui->listWidget->width(), row->height()));
            ui->listWidget->setItemWidget(item, row);
        }
    }
    ui->wdgNull->setVisible(ui->listWidget->count() == 0);
}

void CTopClassWidget::RefreshRows()
{
    const int n = std::min(ui->listWidget->count(), int(m_productList.size()));
    for (int j = 0; j < n; ++j)
        if (auto* row = qobject_cast<TopClassItem*>(ui->listWidget->itemWidget(ui->listWidget->item(j))))
            row->SetData(m_productList.at(j));
}

void CTopClassWidget::OnProductUp(const QVariant& data)
{
    const QVariantMap map = data.toMap();
    m_curProductId = map.value("productid").toString();
    // At most one product of a panel is up.
    for (QVariant& product : m_productList) {
        QVariantMap p = product.toMap();
        p.insert("upstatus", p.value("productid") == QVariant(m_curProductId) ? g_strOne : g_strZero);
        product = p;
    }
    RefreshRows();
    if (!CData::instance()->IsTeacher())
        m_card->ShowProduct(map);
}

void CTopClassWidget::OnProductDown(const QVariant& data)
{
    const QVariant productId = data.toMap().value("productid");
    m_curProductId.clear();
    for (QVariant& product : m_productList) {
        QVariantMap p = product.toMap();
        if (p.value("productid") == productId) {
            p.insert("upstatus", g_strZero);
            product = p;
        }
    }
    RefreshRows();
    m_card->ResetData(true);
}

void CTopClassWidget::ResetData(bool hideIt)
{
    m_curProductId.clear();
    m_lastTs = "0";
    m_productList.clear();
    ui->listWidget->clear();
    ui->wdgNull->hide();
    m_card->ResetData(hideIt);
    if (hideIt)
        hide();
}

void CTopClassWidget::on_closeBtn_clicked() { hide(); }

bool CTopClassWidget::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == this && event->type() == QEvent::WindowDeactivate)
        hide();
    return QWidget::eventFilter(watched, event);
}

void CTopClassWidget::paintEvent(QPaintEvent*)
{
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
}
