#pragma once
// Process-wide constants that many parts of the program read: settings keys,
// translation files, colours and button style sheets, lunar calendar names,
// fixed strings and layout rectangles.
#include <QColor>
#include <QRectF>
#include <QString>

#include <map>
#include <string>

namespace vt {

// Settings keys of the chosen devices.
extern const char* const kCameraKey;      // "SelectCamera/DeviceName"
extern const char* const kMicrophoneKey;  // "SelectMicropone/DeviceName"
extern const char* const kSpeakerKey;     // "SelectSpeaker/DeviceName"

// Translation files beside the program.
extern const char* const kTranslationChinese;  // "veltora_ch.qm"
extern const char* const kTranslationOther;    // "veltora_en.qm"

// Device-check form values and report colours.
extern const char* const kFormAccount;
extern const char* const kFormEven;
extern const char* const kFormOdd;
extern const char* const kColorFail;     // "#ff0000"
extern const char* const kColorSuccess;  // "#00ff00"

// Product card states and button looks.
extern const char* const kProductStateOff;  // "0"
extern const char* const kProductStateOn;   // "1"
extern const char* const kSmallGreenButtonStyle;
extern const char* const kSmallOrangeButtonStyle;

// Lunar calendar names: index 0 is "*".
extern const char* const kLunarDayNames[31];
extern const char* const kLunarMonthNames[13];

extern const char* const kPhoneAreaCode;  // "86"
// Key handed to the client library to encrypt the remembered password and
// session id.
extern const char* const kPasswordKey;
// Table that wraps the scrambled log report.
extern const char* const kReportWrapTable;

// The temporary-room sharing map (GUI thread only).
std::map<std::string, std::string>& SharingMap();

// Big video placement, as fractions of the parent.
extern const QRectF kWholeParentRect;
extern const QRectF kCornerRect;

// Courseware folder kinds.
extern const char* const kFolderNone;     // ""
extern const char* const kFolderClass;    // "class"
extern const char* const kFolderGroup;    // "group"
extern const char* const kFolderTeacher;  // "teacher"
extern const char* const kFlagNo;         // "0"
extern const char* const kFlagYes;        // "1"

// Microphone level meter look.
extern const char* const kMicMeterBackground;  // ":/main/res/main/mic_bg.png"
extern const char* const kMicMeterLevelColor;  // "#26BB75"
extern const char* const kMicMeterEmptyColor;  // "#25262A"

extern const QColor kScreenshotMarkerColor;      // (0, 255, 0, 255)
extern const char* const kNoCameraLabelStyle;
extern const char* const kChatLineBegin;
extern const char* const kChatLineEnd;

}  // namespace vt
