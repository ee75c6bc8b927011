#include "device/CamDevSettingWidget.h"
#include <QCloseEvent>

CamDevSettingWidget::CamDevSettingWidget(QWidget* parent) : QWidget(parent)
{
    setObjectName("CamDevSettingWidget");
    hide();
}

void CamDevSettingWidget::initDevice() {}

void CamDevSettingWidget::showSetting()
{
    emit sgStartDeviceSetting(true);
    show();
    raise();
}

void CamDevSettingWidget::closeEvent(QCloseEvent* event)
{
    emit sgStartDeviceSetting(false);
    QWidget::closeEvent(event);
}
