#pragma once
// The simulated students' cameras: every student with a camera on publishes
// a generated picture and a tone of its own (one pitch per student) to the
// room's stream server through the push library, as a student's own client
// would. The room tells the program the address; the program plays it.
//
// Threads: every method may be called from any thread; start and stop block
// while the push library starts or joins its threads, so the library calls
// them on its own thread, never under the service lock.
#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <mutex>

namespace clientlib {

class StudentStreams {
public:
    using LogFn = std::function<void(const QString&)>;

    explicit StudentStreams(LogFn log);
    ~StudentStreams();  // stops every push
    StudentStreams(const StudentStreams&) = delete;
    StudentStreams& operator=(const StudentStreams&) = delete;

    // The server's address up to the stream name ("rtmp://host:port/app/");
    // empty: students have no camera. A missing final "/" is added.
    void setBase(const QString& rtmpBase);
    QString base() const;
    // Where the student publishes in that room; empty without a base.
    QString urlFor(const QString& roomId, const QString& userId) const;

    // Starts publishing to url (a running push of the student stops first);
    // false, with a log line, when the push cannot start.
    bool start(const QString& userId, const QString& url);
    void stop(const QString& userId);
    void stopAll();
    // The address the student is publishing to, empty when it is not.
    QString publishing(const QString& userId) const;
    // The tone's pitch of a student (Hz), fixed by the id.
    static int toneOf(const QString& userId);

private:
    struct Student;

    LogFn m_log;                 // read-only after construction
    mutable std::mutex m_lock;   // guards m_base and m_students (never held while a push starts or stops)
    QString m_base;              // guarded by m_lock
    std::map<QString, std::shared_ptr<Student>> m_students;  // guarded by m_lock
    std::mutex m_startStop;      // serialises start and stop of pushes
};

}  // namespace clientlib
