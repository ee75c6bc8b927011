#pragma once
// The class-room data set: a school as JSON (the built-in demo school, or a
// file), read into plain records. Lesson dates in the file are relative to
// the day the data set is read ("days" offsets, "now+N" minutes), so a
// month of lessons always lies around today.
#include <QDateTime>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariantList>

namespace clientlib {

struct TeacherRec {
    QString account, password, userId, userName, webId, header, sid;
    int userType = 1;
};

struct LessonRec {
    QString roomId, courseId, groupId, name;
    QString liveType;  // login variable 5 of the room
    int roomType = 2;
    bool tmp = false;
    bool playback = false;  // an ended lesson can be watched again
    int fixedStatus = -100; // temporary rooms carry their own status
    QDateTime begin, end;
};

struct CourseRec {
    qint64 classId = 0;
    QString groupId, name, image, liveType;
    int total = 0;
    int roomType = 2;
};

struct GroupMsgRec {
    qint64 id = 0;
    QString msg, createTime, createUser;
};

struct GroupRec {
    qint64 id = 0;
    QString name, logo;
    qint64 type = 0;
    QList<GroupMsgRec> msgs;  // newest first
};

struct DiskEntry {
    QString uuid, puuid, name, extName, createUser, createTime, updateTime, guid;
    QString docType;   // "media" for audio and video
    QString mediaUrl;  // where a media document plays from
    QString pageUrl;   // page images, "xxxx" for the page number
    int fileType = 0;  // 0 folder, 1 document
    qint64 size = 0;
    int pageNum = 0;
    int duration = 0;
    bool converted = true;
    bool convertFailed = false;
};

struct ChatLine {
    int afterMs = 0;
    QString msg;
};

struct StudentRec {
    QString userId, userName, webId, header, phone;
    int joinAfterMs = -1;       // < 0: joins only when asked
    int raiseHandAfterMs = -1;  // < 0: never raises a hand by itself
    int answerAfterMs = 1000;
    QList<int> answers;
    QList<ChatLine> chat;
};

struct SchoolData {
    QString school;
    TeacherRec teacher;
    QString smsCode;
    int requestTimeoutMs = 10000;
    int lotteryDrawMs = 3000;
    int convertMs = 2000;
    QList<CourseRec> courses;
    QList<LessonRec> lessons;  // lessons of the courses, sorted by begin
    QList<LessonRec> tmpRooms;
    QString tmpGroupId;
    int tmpFree = 0, tmpUsed = 0, tmpRest = 0;
    QList<GroupRec> groups;
    QMap<QString, QList<DiskEntry>> disks;  // "teacher" or "group:<id>"
    QStringList roomDocs;                  // guids shown in every room
    QList<StudentRec> students;
    QVariantList products, adProducts;
    QStringList cameras, mics, speakers;
    QStringList warnings;  // entries left out for missing fields
};

// Reads the data set: the file named by VELTORA_CLIENTLIB_DATA when set,
// else the built-in demo school. False with the reason in *error when the
// text is not JSON or lacks a required field.
bool LoadSchoolData(SchoolData* out, QString* source, QString* error);
// Parses one data-set text; `today`/`now` anchor the relative dates.
bool ParseSchoolData(const QByteArray& text, const QDateTime& now, SchoolData* out, QString* error);

}  // namespace clientlib
