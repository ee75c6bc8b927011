#pragma once
// The record of one user video tile, shared by the user video list and the
// tile (std::shared_ptr). GUI thread only.
#include "app/SessionRecords.h"

#include <QString>

struct UserTileInfo {
    QString userId;    // the key of every lookup
    QString userName;  // from the room's user video state
    int isTeacher = 0; // 1 when the user's type is 1
    int x = 0;         // the tile's bar slot in top-level-window coordinates,
    int y = 0;         // written by every relayout of the bar
    UserInfo user;     // copy of the session's record: type, mic, cam, praise count
    QString stream;    // the address of the user's camera as the room gives it; empty when none
};
