#include "device/DeviceSettingDialog.h"
#include "ui_DeviceSettingForm.h"

DeviceSettingDialog::DeviceSettingDialog(QWidget* parent) : DeviceSettingBase(parent), ui(new Ui::DeviceSettingForm)
{
    ui->setupUi(this);
    BindForm();
}

DeviceSettingDialog::~DeviceSettingDialog() { delete ui; }
