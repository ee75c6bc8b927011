// Process-wide store of the room documents behind wbdocs:: (WBRoomDocs.h),
// with change listeners for the whiteboards that entered a room.
#pragma once

#include "WhiteBoardLib.h"

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

class RoomDocHub
{
public:
    using Listener = std::function<void(const std::string& roomId)>;

    static RoomDocHub& instance();

    void setDocs(const std::string& roomId, const std::vector<WBDocInfo>& docs);
    bool addDoc(const std::string& roomId, const WBDocInfo& doc);
    bool removeDoc(const std::string& roomId, const std::string& docId);
    std::vector<WBDocInfo> docs(const std::string& roomId) const;
    void clear();

    // A listener is told the room id after every change; it must only post
    // work elsewhere (it runs on the changing thread, under the listener lock,
    // so that unsubscribe() returns only when no call is running).
    int subscribe(Listener listener);
    void unsubscribe(int id);

private:
    void notify(const std::string& roomId);

    mutable std::mutex m_docLock;                             // guards m_rooms
    std::map<std::string, std::vector<WBDocInfo>> m_rooms;    // guarded by m_docLock
    std::mutex m_listenerLock;                                // guards m_listeners, m_nextId
    std::map<int, Listener> m_listeners;                      // guarded by m_listenerLock
    int m_nextId = 1;                                         // guarded by m_listenerLock
};
