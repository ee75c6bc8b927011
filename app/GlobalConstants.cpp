#include "app/GlobalConstants.h"

namespace vt {

const char* const kCameraKey = "SelectCamera/DeviceName";
const char* const kMicrophoneKey = "SelectMicropone/DeviceName";
const char* const kSpeakerKey = "SelectSpeaker/DeviceName";

const char* const kTranslationChinese = "veltora_ch.qm";
const char* const kTranslationOther = "veltora_en.qm";

const char* const kFormAccount = "account";
const char* const kFormEven = "even";
const char* const kFormOdd = "odd";
const char* const kColorFail = "#ff0000";
const char* const kColorSuccess = "#00ff00";

const char* const kProductStateOff = "0";
const char* const kProductStateOn = "1";

#define VT_SMALL_BUTTON(bg)                                                                          \
    "QPushButton{min-width:80px;min-height:22px;max-height:22px;border-radius:11px;font-size:12px;"  \
    "color:#ffffff;background-color:" bg ";}"                                                        \
    "QPushButton:hover{background-color:" bg ";}"                                                    \
    "QPushButton:pressed{background-color:" bg ";}"                                                  \
    "QPushButton:disabled{background-color:rgba(93,192,186,0.4);}"

const char* const kSmallGreenButtonStyle = VT_SMALL_BUTTON("#67c0ba");
const char* const kSmallOrangeButtonStyle = VT_SMALL_BUTTON("#f59a23");
#undef VT_SMALL_BUTTON

const char* const kLunarDayNames[31] = {
    "*",    "初一", "初二", "初三", "初四", "初五", "初六", "初七", "初八", "初九", "初十",
    "十一", "十二", "十三", "十四", "十五", "十六", "十七", "十八", "十九", "二十",
    "廿一", "廿二", "廿三", "廿四", "廿五", "廿六", "廿七", "廿八", "廿九", "三十"};
const char* const kLunarMonthNames[13] = {"*",    "正月", "二月", "三月", "四月", "五月", "六月",
                                          "七月", "八月", "九月", "十月", "冬月", "腊月"};

const char* const kPhoneAreaCode = "86";
const char* const kPasswordKey = "tamblor592";
const char* const kReportWrapTable = "K7mQz2RtLp9XwVb4NcHy8JsDf3GuE6aTk1PoWi5BnMqZr0YhSxCvLgUeAjFd7KtRm2QwXz";

std::map<std::string, std::string>& SharingMap()
{
    static std::map<std::string, std::string> map;
    return map;
}

const QRectF kWholeParentRect(0, 0, 1, 1);
const QRectF kCornerRect(0.77, 0.05, 0.2, 0.26666668);

const char* const kFolderNone = "";
const char* const kFolderClass = "class";
const char* const kFolderGroup = "group";
const char* const kFolderTeacher = "teacher";
const char* const kFlagNo = "0";
const char* const kFlagYes = "1";

const char* const kMicMeterBackground = ":/main/res/main/mic_bg.png";
const char* const kMicMeterLevelColor = "#26BB75";
const char* const kMicMeterEmptyColor = "#25262A";

const QColor kScreenshotMarkerColor(0, 255, 0, 255);
const char* const kNoCameraLabelStyle = "background-color:#5C687060;color:white;";
const char* const kChatLineBegin = "<p style=\"line-height:20px;font:14px; text-decoration:none;\">";
const char* const kChatLineEnd = "</p>";

}  // namespace vt
