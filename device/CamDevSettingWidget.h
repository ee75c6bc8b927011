#pragma once
// The camera settings of the HD camera mode: the device dialog with a
// clarity choice ("标清", "高清", "超清") handed to the live pusher when it
// closes, the microphones of the system's capture devices, and the speaker
// group collapsed. GUI thread only.
#include "device/DeviceSettingBase.h"

#include <functional>

namespace Ui {
class CamDevSettingWidget;
}

class CamDevSettingWidget : public DeviceSettingBase {
    Q_OBJECT
public:
    explicit CamDevSettingWidget(QWidget* parent = nullptr);
    ~CamDevSettingWidget() override;

    // Where the clarity goes when the dialog closes: the video mode 1 to 3
    // for the live pusher's record (the main window stores it there).
    void SetVideoModeSink(std::function<void(int videoMode)> sink) { m_videoModeSink = std::move(sink); }

protected:
    QList<QPair<QString, QString>> MicrophoneDevices() override;
    void OnClosing() override;

private:
    Ui::CamDevSettingWidget* ui;
    std::function<void(int)> m_videoModeSink;
};
