#pragma once
// The room's current media file as the room media commands describe it:
// made on the first command, then updated in place. GUI thread only.
#include <string>

struct RoomMediaFileInfo {
    std::string fileName;  // display name (UTF-8)
    std::string docid;     // the shared document's identifier
    std::string type;      // "audio", or any other word for a video; kept when a command brings none
    std::string url;       // where the file is played from
    int totalTs = 3000;    // length in ms, never below 3000
    float position = 0;    // playing position in ms, kept up to date from the player
    float ts = 0;          // position in ms at which the last command applies
    float pauseAt = -1;    // pause target in ms; -1 none
    int cmdState = -1;     // last room command applied: 1 play, 2 pause (or open), 3 closed; -1 none yet
};
