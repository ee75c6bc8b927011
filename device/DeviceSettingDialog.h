#pragma once
// The room's camera, microphone and speaker dialog (the gear "设备选择"):
// the three lists, both volumes and a local camera preview, each choice
// applied at once through the current media engine. GUI thread only.
#include "device/DeviceSettingBase.h"

namespace Ui {
class DeviceSettingForm;
}

class DeviceSettingDialog : public DeviceSettingBase {
    Q_OBJECT
public:
    explicit DeviceSettingDialog(QWidget* parent = nullptr);
    ~DeviceSettingDialog() override;

private:
    Ui::DeviceSettingForm* ui;
};
