#pragma once

#include <QString>
#include <QStringList>

// Words the editor could not store in the database (a failing disk, a
// chapter taken away while its save failed, a quit at such a moment) go to a
// plain text file under the per-user data folder, so that they survive the
// program. The next start tells the author where each file is.
class TextRecovery
{
public:
    // The folder the files are kept in (created on demand).
    static QString folder();
    // Writes the text into folder(); the file's path, empty when it could not
    // be written whole. The first lines name the book and the chapter.
    static QString keep(const QString& bookName, const QString& chapterName, const QString& text);
    // The same into a folder the author chose when folder() could not take
    // the text; the next start does not point to it.
    static QString keepIn(const QString& folder, const QString& bookName, const QString& chapterName,
                          const QString& text);
    // Where words go when nobody chose a place for them, in order: folder(),
    // the author's home folder, the system's temporary folder.
    static QStringList fallbackFolders();
    // keep() into the first of fallbackFolders() that takes the text whole,
    // marked for the next start; empty when none could.
    static QString keepSomewhere(const QString& bookName, const QString& chapterName, const QString& text);
    // Files kept in fallbackFolders() that the author has not read about yet.
    static QStringList untold();
    // The author has read where these files are.
    static void markTold(const QStringList& paths);
    // untold(), each then marked as told.
    static QStringList takeUntold();
};
