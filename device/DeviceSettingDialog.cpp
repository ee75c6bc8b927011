#include "device/DeviceSettingDialog.h"
#include <QCloseEvent>

DeviceSettingDialog::DeviceSettingDialog(QWidget* parent) : QWidget(parent)
{
    setObjectName("DeviceSettingDialog");
    hide();
}

void DeviceSettingDialog::initDevice() {}

void DeviceSettingDialog::showSetting()
{
    emit sgStartDeviceSetting(true);
    show();
    raise();
}

void DeviceSettingDialog::closeEvent(QCloseEvent* event)
{
    emit sgStartDeviceSetting(false);
    QWidget::closeEvent(event);
}
