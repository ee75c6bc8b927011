#pragma once
// A private PulseAudio server for tests: a null sink "veltora_null_sink" and
// a null source "veltora_null_source", reachable only through its own unix
// socket in a temporary folder (server()). Started with fork/exec, stopped by
// its pid; nothing of the user's sound set-up is touched.
#include "TempDir.h"

#include <string>

namespace testsupport {

class PulseFixture {
public:
    PulseFixture() = default;
    ~PulseFixture();
    PulseFixture(const PulseFixture&) = delete;
    PulseFixture& operator=(const PulseFixture&) = delete;

    // False (with error()) when pulseaudio is missing or does not come up
    // within a few seconds.
    bool start();
    void stop();

    bool installed() const;
    const std::string& error() const { return m_error; }
    // "unix:<socket>", for PULSE_SERVER or a libpulse server string.
    std::string server() const { return "unix:" + socketPath(); }
    std::string socketPath() const { return m_dir.path() + "/native"; }
    // Adds a microphone named sourceName (shown as description) that hears
    // what is played into the null sink; the module's id for
    // "pactl unload-module", empty when it could not be added.
    std::string addSinkMicrophone(const std::string& sourceName, const std::string& description) const;
    // A child playing a 440 Hz tone (amplitude 1/8) into the null sink for
    // up to seconds; its pid (end it with stopChild), <= 0 when not started.
    int playTone(int seconds) const;

    static constexpr const char* kSink = "veltora_null_sink";
    static constexpr const char* kSource = "veltora_null_source";

private:
    TempDir m_dir;
    int m_pid = 0;
    std::string m_error;
};

}  // namespace testsupport
