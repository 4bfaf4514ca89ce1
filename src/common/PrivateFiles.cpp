#include "PrivateFiles.h"

#include <QDebug>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace {
constexpr QFileDevice::Permissions kShared =
    QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup
    | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
constexpr QFileDevice::Permissions kOwnerFolder =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
    | QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser;
}

namespace PrivateFiles {

bool isPrivate(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() && (info.permissions() & kShared) == 0;
}

bool narrow(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists() || info.isSymLink())
        return !info.exists();
    const QFileDevice::Permissions current = QFile::permissions(path);
    if ((current & kShared) == 0)
        return true;
    if (!QFile::setPermissions(path, current & ~kShared)) {
        qWarning() << "cannot make private:" << path;
        return false;
    }
    return true;
}

bool makeFolder(const QString& folder)
{
    if (folder.isEmpty())
        return false;
    if (!QFileInfo::exists(folder) && !QDir().mkpath(folder))
        return false;
    const QFileInfo info(folder);
    if (!info.isDir())
        return false;
    if ((info.permissions() & kShared) != 0
        && !QFile::setPermissions(folder, (info.permissions() & kOwnerFolder) | kOwnerFolder)) {
        qWarning() << "cannot make private:" << folder;
    }
    return true;
}

void narrowTree(const QString& folder)
{
    if (!QFileInfo(folder).isDir())
        return;
    narrow(folder);
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        narrow(it.next());
}

}
