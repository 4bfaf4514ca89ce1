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

// What a mark says: whose the words are (0: unknown), and, for words of
// an unknown author, which authors have read about them.
struct Mark
{
    int owner = 0;
    QList<int> told;
};

Mark readMark(const QString& path)
{
    Mark mark;
    QFile file(path);
    // An unreadable mark names nobody: every author hears of the words.
    if (!file.open(QIODevice::ReadOnly))
        return mark;
    const QList<QByteArray> lines = file.readAll().split('\n');
    mark.owner = lines.value(0).trimmed().toInt();
    for (int i = 1; i < lines.size(); ++i) {
        if (const int uid = lines.at(i).trimmed().toInt(); uid > 0)
            mark.told.append(uid);
    }
    return mark;
}

QByteArray markBytes(const Mark& mark)
{
    QByteArray bytes = mark.owner > 0 ? QByteArray::number(mark.owner) : QByteArray();
    for (int uid : mark.told)
        bytes += '\n' + QByteArray::number(uid);
    return bytes + '\n';
}

// The text and its mark, both on the disk, or neither: a file the next
// start would not name is no place for the words.
QString keepMarked(const QString& folder, int uid, const QString& bookName, const QString& chapterName,
                   const QString& text)
{
    const QString path = writeIn(folder, prefixIn(folder), bookName, chapterName, text);
    if (path.isEmpty())
        return path;
    Mark mark;
    mark.owner = qMax(uid, 0);
    if (!DurableFile::write(path + kUntold, markBytes(mark))) {
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

QString TextRecovery::keep(int uid, const QString& bookName, const QString& chapterName, const QString& text)
{
    return keepMarked(folder(), uid, bookName, chapterName, text);
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

QString TextRecovery::keepSomewhere(int uid, const QString& bookName, const QString& chapterName,
                                    const QString& text)
{
    for (const QString& place : fallbackFolders()) {
        const QString path = keepMarked(place, uid, bookName, chapterName, text);
        if (!path.isEmpty())
            return path;
    }
    return QString();
}

QStringList TextRecovery::untold(int uid)
{
    QStringList untold;
    if (uid < 1)
        return untold;
    for (const QString& place : fallbackFolders()) {
        const QDir dir(place);
        // Every mark in the program's own folder; elsewhere only its own files'.
        const QString pattern = place == folder() ? QStringLiteral("*") : prefixIn(place) + QStringLiteral("*.txt");
        const QStringList marks = dir.entryList({pattern + kUntold}, QDir::Files, QDir::Name);
        for (const QString& name : marks) {
            const QString path = dir.filePath(name.left(name.size() - kUntold.size()));
            if (!QFile::exists(path)) {
                QFile::remove(dir.filePath(name));
                continue;
            }
            const Mark mark = readMark(dir.filePath(name));
            if (mark.owner == uid || (mark.owner == 0 && !mark.told.contains(uid)))
                untold.append(QDir::toNativeSeparators(path));
        }
    }
    return untold;
}

void TextRecovery::markTold(int uid, const QStringList& paths)
{
    if (uid < 1)
        return;
    for (const QString& path : paths) {
        const QString markPath = QDir::fromNativeSeparators(path) + kUntold;
        // Read already (a box can end twice): nothing to mark again.
        if (!QFile::exists(markPath))
            continue;
        Mark mark = readMark(markPath);
        if (mark.owner == uid) {
            QFile::remove(markPath);
        } else if (mark.owner == 0 && !mark.told.contains(uid)) {
            // Whose they are stays unknown: the others are still told. A
            // mark that cannot be rewritten tells this author again.
            mark.told.append(uid);
            if (DurableFile::write(markPath, markBytes(mark)))
                PrivateFiles::narrow(markPath);
            else
                qWarning() << "recovered text stays marked for this author too:" << markPath;
        }
    }
}

QStringList TextRecovery::takeUntold(int uid)
{
    const QStringList files = untold(uid);
    markTold(uid, files);
    return files;
}
