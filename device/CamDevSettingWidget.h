#pragma once
// The camera settings of the HD camera mode. Its form comes later; opening
// and closing it already announce the device-setting state. GUI thread only.
#include <QWidget>

class CamDevSettingWidget : public QWidget {
    Q_OBJECT
public:
    explicit CamDevSettingWidget(QWidget* parent = nullptr);
    void initDevice();
    void showSetting();

protected:
    void closeEvent(QCloseEvent* event) override;

signals:
    void sgStartDeviceSetting(bool on);
};
