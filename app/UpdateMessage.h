#pragma once
// A report of the update check, delivered to the window that asked for it as
// a posted event (the update message 0x800): the kind and, for kinds 0 to 2,
// a record.
#include <QEvent>

#include <memory>
#include <string>

struct UpdateMessage {
    std::wstring message;  // the failure text (kind 2), else empty
    std::string text;      // the folder (kind 0) or the latest version (kind 1), else empty
};

class UpdateMessageEvent : public QEvent {
public:
    static constexpr QEvent::Type kType = static_cast<QEvent::Type>(QEvent::User + 0x800);

    // Takes the record (may be null).
    UpdateMessageEvent(int kind, UpdateMessage* record) : QEvent(kType), m_kind(kind), m_record(record) {}

    int kind() const { return m_kind; }
    const UpdateMessage* record() const { return m_record.get(); }
    // Hands the record to the receiver, who frees it; a record not taken is
    // freed with the event (also when the receiver is gone before delivery).
    UpdateMessage* takeRecord() { return m_record.release(); }

private:
    int m_kind;
    std::unique_ptr<UpdateMessage> m_record;
};
