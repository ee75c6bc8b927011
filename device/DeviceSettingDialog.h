#pragma once
// The camera, microphone and speaker dialog. Its form comes later; opening
// and closing it already announce the device-setting state. GUI thread only.
#include <QWidget>

class DeviceSettingDialog : public QWidget {
    Q_OBJECT
public:
    explicit DeviceSettingDialog(QWidget* parent = nullptr);
    void initDevice();
    void showSetting();

protected:
    void closeEvent(QCloseEvent* event) override;

signals:
    void sgStartDeviceSetting(bool on);
};
