#include "libs/whiteboardlib/src/RoomDocHub.h"

#include "WBRoomDocs.h"

#include <algorithm>

RoomDocHub& RoomDocHub::instance()
{
    // Never destroyed: a board the program releases during its own static
    // tear-down (a room object that outlives main) still unsubscribes here,
    // after a static hub made later than that object would already be gone.
    static RoomDocHub* hub = new RoomDocHub;
    return *hub;
}

void RoomDocHub::setDocs(const std::string& roomId, const std::vector<WBDocInfo>& docs)
{
    {
        std::lock_guard<std::mutex> lock(m_docLock);
        m_rooms[roomId] = docs;
    }
    notify(roomId);
}

bool RoomDocHub::addDoc(const std::string& roomId, const WBDocInfo& doc)
{
    if (roomId.empty() || doc.docId.empty())
        return false;
    {
        std::lock_guard<std::mutex> lock(m_docLock);
        auto& list = m_rooms[roomId];
        auto it = std::find(list.begin(), list.end(), doc);
        if (it != list.end())
            *it = doc;
        else
            list.push_back(doc);
    }
    notify(roomId);
    return true;
}

bool RoomDocHub::removeDoc(const std::string& roomId, const std::string& docId)
{
    {
        std::lock_guard<std::mutex> lock(m_docLock);
        auto room = m_rooms.find(roomId);
        if (room == m_rooms.end() || docId.empty())
            return false;
        auto it = std::find(room->second.begin(), room->second.end(), WBDocInfo(docId));
        if (it == room->second.end())
            return false;
        room->second.erase(it);
    }
    notify(roomId);
    return true;
}

std::vector<WBDocInfo> RoomDocHub::docs(const std::string& roomId) const
{
    std::lock_guard<std::mutex> lock(m_docLock);
    auto room = m_rooms.find(roomId);
    return room == m_rooms.end() ? std::vector<WBDocInfo>() : room->second;
}

void RoomDocHub::clear()
{
    std::vector<std::string> rooms;
    {
        std::lock_guard<std::mutex> lock(m_docLock);
        for (const auto& r : m_rooms)
            rooms.push_back(r.first);
        m_rooms.clear();
    }
    for (const auto& r : rooms)
        notify(r);
}

int RoomDocHub::subscribe(Listener listener)
{
    std::lock_guard<std::mutex> lock(m_listenerLock);
    const int id = m_nextId++;
    m_listeners[id] = std::move(listener);
    return id;
}

void RoomDocHub::unsubscribe(int id)
{
    std::lock_guard<std::mutex> lock(m_listenerLock);
    m_listeners.erase(id);
}

void RoomDocHub::notify(const std::string& roomId)
{
    std::lock_guard<std::mutex> lock(m_listenerLock);
    for (const auto& l : m_listeners)
        l.second(roomId);
}

namespace wbdocs {

void SetRoomDocs(const std::string& roomId, const std::vector<WBDocInfo>& docs)
{
    RoomDocHub::instance().setDocs(roomId, docs);
}

bool AddRoomDoc(const std::string& roomId, const WBDocInfo& doc)
{
    return RoomDocHub::instance().addDoc(roomId, doc);
}

bool RemoveRoomDoc(const std::string& roomId, const std::string& docId)
{
    return RoomDocHub::instance().removeDoc(roomId, docId);
}

std::vector<WBDocInfo> RoomDocs(const std::string& roomId)
{
    return RoomDocHub::instance().docs(roomId);
}

void ClearAllRooms()
{
    RoomDocHub::instance().clear();
}

} // namespace wbdocs
