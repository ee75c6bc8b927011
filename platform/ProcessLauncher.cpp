#include "platform/ProcessLauncher.h"

#include <QProcess>

bool ProcessLauncher::startDetached(const QString& program, const QStringList& arguments,
                                    const QString& workingDirectory, qint64* pid)
{
    if (program.isEmpty())
        return false;
    return QProcess::startDetached(program, arguments, workingDirectory, pid);
}
