#pragma once
// Starting other programs: detached from this process, by program and
// argument list, never through a shell.
#include <QString>
#include <QStringList>

class ProcessLauncher {
public:
    // True when the program started. workingDirectory empty: this process's.
    static bool startDetached(const QString& program, const QStringList& arguments = {},
                              const QString& workingDirectory = {}, qint64* pid = nullptr);
};
