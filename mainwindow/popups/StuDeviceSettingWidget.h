#pragma once
// The student's pop-up for the teacher's invitation to an audio interaction
// ("老师邀请您音频互动"): the microphone and its volume with a live level, and
// "拒绝" / "同意". The answer leaves once per showing through sgWidgetClose.
// The camera and speaker rows stay hidden but work all the same. Every
// device operation goes through the current media engine. GUI thread only.
#include "mainwindow/popups/TitleDrag.h"

#include <QDialog>
#include <QPoint>

#include <functional>

class IMediaEngine;
class QComboBox;

namespace Ui {
class StuDeviceSettingWidget;
}

class StuDeviceSettingWidget : public QDialog {
    Q_OBJECT
public:
    explicit StuDeviceSettingWidget(QWidget* parent);
    ~StuDeviceSettingWidget() override;

    // Refreshes the lists and shows the pop-up; the next close answers.
    void showSetting();
    // Fills the three lists without triggering a device change, then
    // connects the controls.
    void initDevice();
    void InitCameraList();
    void InitMicrophoneList();
    void InitSpeakerList();
    void connectDevice();

    // The engine asked at each call: the current one by default.
    void SetEngineSource(std::function<IMediaEngine*()> engine) { m_engine = std::move(engine); }

signals:
    void sgWidgetClose(bool bAccept);

public slots:
    void on_closeBtn_clicked();
    void on_btnCancel_clicked();
    void on_btnOk_clicked();
    void slotStartPreviewVideo(bool bPreview);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    using DeviceList = QList<QPair<QString, QString>>;
    // Adds the devices (label shown, key as data; each key once) and answers
    // the index of the current key, or -1.
    int FillList(QComboBox* box, const DeviceList& devices, const QString& current, const char* kind);
    void OnCameraChanged(int index);
    void OnMicrophoneChanged(int index);
    void OnSpeakerChanged(int index);
    void OnMicVolume(int value);
    void OnSpeakerVolume(int value);

    Ui::StuDeviceSettingWidget* ui;   // GUI thread only, like every member
    TitleDrag m_drag{this, 60};  // frameless drag by the top band
    bool m_closePending = false;
    bool m_accepted = false;
    std::function<IMediaEngine*()> m_engine;
};
