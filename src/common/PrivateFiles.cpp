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
constexpr QFileDevice::Permissions kOwner =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;

// The mode bits of the path with the group's and others' taken off. Only
// the owner bits are kept: the "User" flags tell what this process may do
// (root may write a 0555 folder), and Qt would set them as owner bits.
QFileDevice::Permissions ownerPart(const QString& path)
{
    return QFile::permissions(path) & kOwner;
}
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
    if ((QFile::permissions(path) & kShared) == 0)
        return true;
    if (!QFile::setPermissions(path, ownerPart(path))) {
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
    if (!QFileInfo(folder).isDir())
        return false;
    // Only bits are taken away: a folder the author made read-only stays so.
    narrow(folder);
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
