#pragma once
// The microphone's recording level (CMixerInfo, over every capture line) and
// the speaker's master volume (GetVolume, SetVolume, on the default playback
// device), both on a 0..100 scale, through the platform's volume backend
// (PulseAudio, or volumes kept in memory when no sound server runs).
// GUI thread.
#include <cstdint>
#include <map>
#include <string>

class VolumeBackend;

class CMixerInfo {
public:
    // Line types of Init and component types of InitVolumeInfo.
    static constexpr unsigned kWaveInDestination = 7;   // microphones
    static constexpr unsigned kSpeakersDestination = 4; // speakers
    static constexpr uint32_t kMicrophoneComponent = 0x1003;
    static constexpr uint32_t kSpeakersComponent = 4;
    // GetValue's answer when a line has no volume control it can read.
    static constexpr int kNoControl = 101;

    // backend: null uses the process-wide backend (VolumeBackend::instance).
    explicit CMixerInfo(VolumeBackend* backend = nullptr);
    virtual ~CMixerInfo();

    // The process-wide microphone mixer, empty until first initialised.
    static CMixerInfo& instance();

    // Once: stores the scale and scans the lines of type (7 microphones,
    // 4 speakers; any other type scans nothing). False when already
    // initialised; else whether any line was found.
    bool Init(unsigned type, int minValue, int maxValue);
    bool IsInited() const { return !lines.empty(); }
    // The volume of the first line (by name) on 0..maxValue; 0 when not
    // initialised or the range is empty, kNoControl when it cannot be read.
    int GetValue();
    // Sets every line to value (0..maxValue).
    void SetValue(int value);
    // Adds every line of that component type, by its name.
    void InitVolumeInfo(uint32_t lineComponentType);

private:
    VolumeBackend& backend();

    VolumeBackend* m_backend;   // set by the constructor only; null: the process-wide one
    int minValue = 0;           // lower end of the caller's scale (stored only)
    int maxValue = 100;         // upper end of the caller's scale
    uint32_t component = 0;     // component type of the controlled lines
    std::map<std::string, std::string> lines;  // device name -> backend id, ordered by name
};

// The default playback device's master volume as 0..100; 60 when it cannot
// be read.
int GetVolume();
// Sets the default playback device's master volume from 0..100.
void SetVolume(int volume);
