#include "interaction/CTopClassWidget.h"

CTopClassWidget::CTopClassWidget(QWidget* parent) : QWidget(parent)
{
    setObjectName("CTopClassWidget");
    hide();
}

void CTopClassWidget::ResetData(bool hideIt)
{
    m_products.clear();
    m_upProduct.clear();
    if (hideIt)
        hide();
}

void CTopClassWidget::SetProductList(QVariant data) { m_products = data.toMap().value("listdata").toList(); }

void CTopClassWidget::OnProductUp(QVariant data) { m_upProduct = data.toMap().value("productid").toString(); }

void CTopClassWidget::OnProductDown(QVariant data)
{
    if (m_upProduct == data.toMap().value("productid").toString())
        m_upProduct.clear();
}

void CTopClassWidget::ShowWidget()
{
    show();
    raise();
}
