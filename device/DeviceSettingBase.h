#pragma once
// What the two device settings dialogs share (the plain one and the HD
// camera mode's): the camera, microphone and speaker lists and the two
// volume sliders filled from the current media engine, every choice applied
// at once, the local camera preview, the speaker test sound, the open/closed
// state announced through sgStartDeviceSetting, and dragging by the title
// band. The dialogs add their forms; the logic finds the widgets by their
// object names. GUI thread only, like every member.
#include "widgets/TitleDrag.h"

#include <QDialog>
#include <QList>
#include <QPair>
#include <QString>

#include <functional>

class IMediaEngine;
class MicrophoneVolumeCtrl;
class QComboBox;
class QLabel;
class QRadioButton;
class QSlider;

class DeviceSettingBase : public QDialog {
    Q_OBJECT
public:
    ~DeviceSettingBase() override;

    // Refreshes the three lists and the two volumes without changing any
    // device; the main window calls it before every showSetting.
    void initDevice();
    // Opens the dialog: device setting starts, capture on, preview queued.
    void showSetting();
    bool IsSettingOpen() const { return m_settingOpen; }

    // The engine asked at each call: the current one by default.
    void SetEngineSource(std::function<IMediaEngine*()> engine) { m_engine = std::move(engine); }
    // Whether the session has an authorised app device (it keeps the
    // capture on when the dialog closes): the session's list by default.
    void SetAppDeviceSource(std::function<bool()> hasAppDevice) { m_hasAppDevice = std::move(hasAppDevice); }

signals:
    void sgStartDeviceSetting(bool bStart);

public slots:
    void slotStartPreviewVideo(bool on);
    void on_closeBtn_clicked();
    void on_finishedBtn_clicked();
    void on_radioButton_clicked(bool checked);

protected:
    explicit DeviceSettingBase(QWidget* parent);
    // After the form is set up: binds the named widgets and sets the fixed
    // state (flags, popup views, hidden labels).
    void BindForm();
    // The microphones listed as (id, name); the engine's by default.
    virtual QList<QPair<QString, QString>> MicrophoneDevices();
    // Runs while the dialog closes, after the preview has stopped.
    virtual void OnClosing() {}

    void closeEvent(QCloseEvent* event) override;
    // Escape closes the dialog as its buttons do.
    void reject() override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

    IMediaEngine* Engine() const { return m_engine(); }

private:
    using DeviceList = QList<QPair<QString, QString>>;
    void DisconnectDeviceSignals();
    void ConnectDeviceSignals();
    void InitCameraList();
    void InitMicrophoneList();
    void InitSpeakerList();
    // Clears the box and fills it: the placeholder when the list is empty
    // (-1), else the index of the entry matching current (a later match
    // wins), or -1 when none matches (the first entry is then shown).
    int FillList(QComboBox* box, const DeviceList& devices, const QString& current, const QString& placeholder);
    void InitVolume(QSlider* slider, QLabel* label, int volume);
    // Applies the chosen entry through set; when the library refuses it the
    // box goes back to the previous choice and a toast says so.
    bool ApplyChoice(QComboBox* box, int& lastIndex, const std::function<bool(const QString&)>& set,
                     const QString& refusedText);
    void onCameraChanged(int index);
    void onMicrophoneChanged(int index);
    void onSpeakerChanged(int index);
    void onMicrophoneVolumeChanged(int value);
    void onSpeakerVolumeChanged(int value);

    QComboBox* m_camera = nullptr;
    QComboBox* m_microphone = nullptr;
    QComboBox* m_speaker = nullptr;
    QSlider* m_micSlider = nullptr;
    QSlider* m_speakerSlider = nullptr;
    QLabel* m_micLevelLabel = nullptr;
    QLabel* m_speakerLevelLabel = nullptr;
    QWidget* m_preview = nullptr;
    QRadioButton* m_testButton = nullptr;
    MicrophoneVolumeCtrl* m_micLevel = nullptr;
    // The entries shown before the teacher's latest choice, for going back
    // when the library refuses a device.
    int m_lastCamera = -1;
    int m_lastMicrophone = -1;
    int m_lastSpeaker = -1;

    TitleDrag m_drag;             // dragPoint, dragging and movable
    bool m_settingOpen = false;   // set by showSetting, cleared by closeEvent
    std::function<IMediaEngine*()> m_engine;
    std::function<bool()> m_hasAppDevice;
};
