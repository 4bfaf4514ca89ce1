#include "DurableFile.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <fcntl.h>
#include <unistd.h>

namespace {
// The rename that makes the file appear is on the disk only once its folder is.
bool syncFolder(const QString& path)
{
    const int fd = ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}
}

bool DurableFile::write(const QString& path, const QByteArray& bytes)
{
    // Unbuffered: a buffered write is only flushed inside commit(), whose
    // failure QSaveFile does not report, and a full disk then leaves an empty
    // file that commit() calls written.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    if (file.write(bytes) != bytes.size() || !file.flush() || ::fsync(file.handle()) != 0) {
        qWarning() << "DurableFile: cannot write" << path << file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        qWarning() << "DurableFile: cannot commit" << path << file.errorString();
        return false;
    }
    if (!syncFolder(path))
        qWarning() << "DurableFile: the folder of" << path << "could not be synced";
    QFile back(path);
    const bool whole = back.open(QIODevice::ReadOnly) && back.readAll() == bytes;
    back.close();
    if (!whole) {
        qWarning() << "DurableFile: what reached the disk differs from what was written:" << path;
        QFile::remove(path);
    }
    return whole;
}
