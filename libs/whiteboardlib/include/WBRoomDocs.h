// The documents of each room, as the class-room service knows them.
//
// The class-room service (the client library's in-process service, or a test)
// publishes a room's documents here; every whiteboard that entered that room
// lists them (CWhiteBoardLib::GetCurDocInfo) and reports RsWB_DocChanged from
// its own thread when they change. A room is keyed by its room id (login
// variable 1). Thread-safe: callable from any thread.
#pragma once

#include "WhiteBoardLib.h"

#include <string>
#include <vector>

namespace wbdocs {

// Replaces the whole list of a room.
WBLIB_EXPORT void SetRoomDocs(const std::string& roomId, const std::vector<WBDocInfo>& docs);
// Appends a document, or replaces the one with the same id in place.
// False for an empty room id or document id.
WBLIB_EXPORT bool AddRoomDoc(const std::string& roomId, const WBDocInfo& doc);
// False when the room has no such document.
WBLIB_EXPORT bool RemoveRoomDoc(const std::string& roomId, const std::string& docId);
WBLIB_EXPORT std::vector<WBDocInfo> RoomDocs(const std::string& roomId);
// Forgets every room (tests).
WBLIB_EXPORT void ClearAllRooms();

} // namespace wbdocs
