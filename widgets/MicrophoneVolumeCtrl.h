#pragma once
// A row of equal rectangular bars showing the current microphone level, the
// first part of them lit, optionally behind a microphone icon. It is fed
// through slotUpdateVolume, or by the broadcast engine's audio level signal
// for its own source name (StartMonitor).
//
// The engine lives in a feature folder this widget cannot reach, so the
// program registers it once with SetAudioLevelSource; its signal must be
//   signalAudioVolume(QString sourceName, float magnitude, float peak, float peakHold)
// with the source name carried by value (it is queued across threads).
// Levels are clamped into [0, 1]; a NaN level lights nothing.
// GUI thread only.
#include <QMetaObject>
#include <QPointer>
#include <QSize>
#include <QString>
#include <QWidget>

class MicrophoneVolumeCtrl : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* DefaultDevice = "standard_audio_input_device";

    explicit MicrophoneVolumeCtrl(QWidget* parent = nullptr);
    ~MicrophoneVolumeCtrl() override;

    // The object whose signalAudioVolume feeds every bar (null: none yet).
    static void SetAudioLevelSource(QObject* source);
    static QObject* AudioLevelSource();

    void SetBarStyle(int barWidth, int barHeight, bool showIcon);
    // Shows the levels the engine reports for the device name; one
    // connection at a time (a second call replaces the first).
    void StartMonitor();
    // The default input: as StartMonitor, and also the levels of the chosen
    // microphone that the media engine registered as microphone level
    // source reports while its monitor runs, so the bar moves outside a
    // broadcast too.
    void StartMonitorDefaultDevice();
    // The object whose sigMicrophoneVolumeChange(float) feeds the bars of
    // StartMonitorDefaultDevice (null: none).
    static void SetMicrophoneLevelSource(QObject* source);

    void SetDeviceName(const QString& name) { m_deviceName = name; }
    QString DeviceName() const { return m_deviceName; }
    void SetMonitorEnabled(bool enabled) { m_enabled = enabled; }
    float level() const { return m_level; }
    // Number of bars that fit and how many of them are lit now.
    int barCount() const;
    int litBarCount() const;
    QRect barRect(int index) const;

public slots:
    void slotUpdateVolume(float level);
    void onAudioVolume(const QString& sourceName, float magnitude, float peak, float peakHold);
    void onMicrophoneLevel(float level);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    static float clampLevel(float level);

    float m_level = 0.0f;
    int m_barWidth = 6;
    int m_barHeight = 16;
    int m_spacing = 6;
    int m_leftMargin = 6;
    int m_iconTop = 2;
    int m_barTop = 4;
    QSize m_iconSize{20, 20};
    bool m_showIcon = true;
    QString m_unlitColor = QStringLiteral("#25262A");
    QMetaObject::Connection m_connection;
    QMetaObject::Connection m_engineConnection;
    QString m_deviceName;
    bool m_enabled = true;
};
