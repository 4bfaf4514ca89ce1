#include "TextRecovery.h"

#include "common/PrivateFiles.h"
#include "common/Utility.h"
#include "platform/DurableFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QDebug>

namespace {
// The mark of a file the author has not been told about yet.
const QString kUntold = QStringLiteral(".untold");
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
    const QString path = keepIn(folder(), bookName, chapterName, text);
    if (path.isEmpty())
        return path;
    // An empty mark beside it: the next start still has to tell the author.
    QSaveFile mark(QDir::fromNativeSeparators(path) + kUntold);
    if (!mark.open(QIODevice::WriteOnly) || !mark.commit())
        qWarning() << "recovered text kept in" << path << "but not marked for the next start";
    return path;
}

QString TextRecovery::keepIn(const QString& folder, const QString& bookName, const QString& chapterName,
                             const QString& text)
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss-zzz"));
    const QString base = QDir(folder).filePath(QStringLiteral("chapter-") + stamp);
    QString path = base + QStringLiteral(".txt");
    for (int n = 2; QFile::exists(path); ++n)
        path = base + QLatin1Char('-') + QString::number(n) + QStringLiteral(".txt");
    const QByteArray bytes = (bookName + QLatin1Char('\n') + chapterName + QStringLiteral("\n\n") + text).toUtf8();
    if (!DurableFile::write(path, bytes))
        return QString();
    PrivateFiles::narrow(path);
    return QDir::toNativeSeparators(path);
}

QStringList TextRecovery::takeUntold()
{
    QStringList untold;
    QDir dir(folder());
    const QStringList marks = dir.entryList({QStringLiteral("*") + kUntold}, QDir::Files, QDir::Name);
    for (const QString& name : marks) {
        const QString mark = dir.filePath(name);
        const QString path = mark.left(mark.size() - kUntold.size());
        if (QFile::exists(path))
            untold.append(QDir::toNativeSeparators(path));
        QFile::remove(mark);
    }
    return untold;
}
