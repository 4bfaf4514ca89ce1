#include "TextRecovery.h"

#include "common/PrivateFiles.h"
#include "common/Utility.h"
#include "platform/DurableFile.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QDebug>

namespace {
// The mark of a file the author has not been told about yet.
const QString kUntold = QStringLiteral(".untold");

// In the home or temporary folder a file must say whose it is, and the next
// start must not take another program's files for the author's.
QString prefixIn(const QString& folder)
{
    if (folder == TextRecovery::folder())
        return QStringLiteral("chapter-");
    return QCoreApplication::applicationName() + QStringLiteral("-chapter-");
}

QString writeIn(const QString& folder, const QString& prefix, const QString& bookName, const QString& chapterName,
                const QString& text)
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss-zzz"));
    const QString base = QDir(folder).filePath(prefix + stamp);
    QString path = base + QStringLiteral(".txt");
    for (int n = 2; QFile::exists(path); ++n)
        path = base + QLatin1Char('-') + QString::number(n) + QStringLiteral(".txt");
    const QByteArray bytes = (bookName + QLatin1Char('\n') + chapterName + QStringLiteral("\n\n") + text).toUtf8();
    if (!DurableFile::write(path, bytes))
        return QString();
    PrivateFiles::narrow(path);
    return path;
}

// The text and its mark, both on the disk, or neither: a file the next
// start would not name is no place for the words.
QString keepMarked(const QString& folder, const QString& bookName, const QString& chapterName, const QString& text)
{
    const QString path = writeIn(folder, prefixIn(folder), bookName, chapterName, text);
    if (path.isEmpty())
        return path;
    if (!DurableFile::write(path + kUntold, QByteArray())) {
        qWarning() << "recovered text could not be marked for the next start in" << folder;
        QFile::remove(path);
        return QString();
    }
    PrivateFiles::narrow(path + kUntold);
    return QDir::toNativeSeparators(path);
}
}

QString TextRecovery::folder()
{
    // The author's unpublished words: private like every per-user folder.
    const QString path = getAppDataDir() + QStringLiteral("/recovered");
    PrivateFiles::makeFolder(path);
    return path;
}

QString TextRecovery::keep(const QString& bookName, const QString& chapterName, const QString& text)
{
    return keepMarked(folder(), bookName, chapterName, text);
}

QString TextRecovery::keepIn(const QString& folder, const QString& bookName, const QString& chapterName,
                             const QString& text)
{
    return QDir::toNativeSeparators(writeIn(folder, QStringLiteral("chapter-"), bookName, chapterName, text));
}

QStringList TextRecovery::fallbackFolders()
{
    QStringList folders;
    for (const QString& path : {folder(), QDir::homePath(), QDir::tempPath()}) {
        if (!folders.contains(path))
            folders.append(path);
    }
    return folders;
}

QString TextRecovery::keepSomewhere(const QString& bookName, const QString& chapterName, const QString& text)
{
    for (const QString& place : fallbackFolders()) {
        const QString path = keepMarked(place, bookName, chapterName, text);
        if (!path.isEmpty())
            return path;
    }
    return QString();
}

QStringList TextRecovery::untold()
{
    QStringList untold;
    for (const QString& place : fallbackFolders()) {
        const QDir dir(place);
        // Every mark in the program's own folder; elsewhere only its own files'.
        const QString pattern = place == folder() ? QStringLiteral("*") : prefixIn(place) + QStringLiteral("*.txt");
        const QStringList marks = dir.entryList({pattern + kUntold}, QDir::Files, QDir::Name);
        for (const QString& name : marks) {
            const QString path = dir.filePath(name.left(name.size() - kUntold.size()));
            if (QFile::exists(path))
                untold.append(QDir::toNativeSeparators(path));
            else
                QFile::remove(dir.filePath(name));
        }
    }
    return untold;
}

void TextRecovery::markTold(const QStringList& paths)
{
    for (const QString& path : paths)
        QFile::remove(QDir::fromNativeSeparators(path) + kUntold);
}

QStringList TextRecovery::takeUntold()
{
    const QStringList files = untold();
    markTold(files);
    return files;
}
