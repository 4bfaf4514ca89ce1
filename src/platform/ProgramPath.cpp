#include "ProgramPath.h"

#include <QFileInfo>

namespace ProgramPath {

QString executableDir(const char* argv0)
{
    const QFileInfo self(QStringLiteral("/proc/self/exe"));
    const QString target = self.symLinkTarget();
    if (!target.isEmpty())
        return QFileInfo(target).absolutePath();
    if (argv0 && *argv0)
        return QFileInfo(QString::fromLocal8Bit(argv0)).absolutePath();
    return QStringLiteral(".");
}

QString settingsFile(const char* argv0)
{
    return executableDir(argv0) + QStringLiteral("/data/config/setting.ini");
}

}
