#include "device/CamDevSettingWidget.h"
#include "ui_CamDevSettingWidget.h"

#include "app/SystemInfo.h"

CamDevSettingWidget::CamDevSettingWidget(QWidget* parent) : DeviceSettingBase(parent), ui(new Ui::CamDevSettingWidget)
{
    ui->setupUi(this);
    BindForm();
    ui->radioVideo1->setChecked(true);
}

CamDevSettingWidget::~CamDevSettingWidget() { delete ui; }

QList<QPair<QString, QString>> CamDevSettingWidget::MicrophoneDevices()
{
    std::vector<std::string> names;
    std::vector<std::string> ids;
    GetAudioInputDevices(names, ids);
    QList<QPair<QString, QString>> devices;
    for (const std::string& name : names) {
        const QString text = QString::fromStdString(name);
        devices.append({text, text});
    }
    return devices;
}

void CamDevSettingWidget::OnClosing()
{
    int mode = 0;
    if (ui->radioVideo1->isChecked())
        mode = 1;
    else if (ui->radioVideo2->isChecked())
        mode = 2;
    else if (ui->radioVideo3->isChecked())
        mode = 3;
    if (mode != 0 && m_videoModeSink)
        m_videoModeSink(mode);
}
