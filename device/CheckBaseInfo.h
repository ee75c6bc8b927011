#pragma once
// The result records of the device check, one per page, held by the dialog
// as QSharedPointer<CheckBaseInfo> under the page number (0 system, 1 camera,
// 2 speaker, 3 microphone). The pages set the answer flags; the report turns
// them into a verdict and a detail text. Plain data, GUI thread only.
#include <QString>

class QWidget;

struct CheckBaseInfo {
    virtual ~CheckBaseInfo() = default;
    bool checked = false;       // the teacher has answered this page
    QWidget* widget = nullptr;  // the page in the stacked area (not owned)
    QString name;               // the check's title in the report
    QString failReason;         // detail text, filled by the report
    bool passed = true;         // verdict, set by the report
};

struct CheckSystemInfo : CheckBaseInfo {
    bool networkOk = true;  // a network delay was measured
};

struct CheckCameraInfo : CheckBaseInfo {
    bool cannotSee = true;  // the teacher saw no picture
};

struct CheckSpeakerInfo : CheckBaseInfo {
    bool cannotHear = true;    // the teacher heard nothing
    bool answerRight = false;  // the animal picked is the one played
    bool played = false;       // the current sound's playback window has ended
};

struct CheckMicrophoneInfo : CheckBaseInfo {
    bool cannotSeeLevel = true;  // the teacher saw the level bar stand still
    bool answerEnabled = false;  // the two answer buttons may be used
    bool noDevice = false;       // no microphone was listed
};
