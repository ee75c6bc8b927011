#pragma once
// The records of the session data model: users of a room, courses, lessons,
// groups and their messages.
#include <cstdint>
#include <string>
#include <vector>

// One user of the class room.
struct UserInfo {
    UserInfo() = default;
    explicit UserInfo(const std::string& id) : userId(id) {}

    std::string userId;      // key of the record ("userid" of the user messages)
    std::string webId;       // carried unchanged
    std::string userName;    // display name
    std::string userHeader;  // avatar URL
    int type = 0;            // 0 student, 1 teacher, 2 assistant
    bool mic = false;        // microphone on
    bool cam = false;        // camera on
    bool noSpeak = false;    // barred from chat
    bool online = false;     // on stage
    bool click = false;      // may click on the whiteboard
    bool draw = false;       // may draw on the whiteboard
    std::int64_t count = 0;  // praise count (the room counts in 64 bits)
};

struct TeacherInfo {
    std::string user_id;
    std::string head_img;
    std::string name;
    std::string nick;
};

// One lesson.
struct RoomInfo {
    bool isTmp = false;
    std::string course_id;
    std::string group_id;
    std::string room_id;
    std::string room_name;
    int room_type = 0;
    int status = 0;
    std::string begin;  // "yyyy-MM-dd hh:mm:ss"
    std::string end;
    int enterts = 0;
    std::vector<TeacherInfo> teacher;
};

struct CourseInfo {
    std::string courseId;
    std::string groupId;
    std::string image;  // URL
    std::string name;
    int32_t total = 0;
    int32_t end = 0;
    std::vector<RoomInfo> rooms;
    bool isTmp = false;
    int32_t free = 0;
    int32_t used = 0;
    int32_t rest = 0;
    bool roomsLoaded = false;
};

struct GroupMsgInfo {
    int64_t msgId = 0;
    std::string groupId;
    std::string msg;         // HTML
    std::string createTime;  // "yyyy-MM-dd hh:mm:ss" as sent
    std::string createUser;
    int64_t createSecs = 0;
};

struct GroupInfo {
    std::string groupId;  // "1" = system messages
    std::string name;
    std::string type;
    std::string logo;  // URL
    std::vector<GroupMsgInfo> msgs;  // newest first
};
