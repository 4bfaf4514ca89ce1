#pragma once

#include <QString>
#include <QStringList>

// Words the editor could not store in the database (a failing disk, a
// chapter taken away while its save failed, a quit at such a moment) go to a
// plain text file under the per-user data folder, so that they survive the
// program. The next sign-in of their author tells that author where each
// file is: several authors may write on one machine, and words are told to
// the author whose they are, never to another.
//
// The mark beside a file names its author (uid, first line). A mark an
// earlier build left names none: whose words they are is unknown, so every
// author who signs in hears of the file until that author has read the box
// (the authors who read it follow the first line), and none can hide it from
// the others.
class TextRecovery
{
public:
    // The folder the files are kept in (created on demand).
    static QString folder();
    // Writes the text of that author (uid) into folder(); the file's path,
    // empty when it could not be written whole. The first lines name the book
    // and the chapter.
    static QString keep(int uid, const QString& bookName, const QString& chapterName, const QString& text);
    // The same into a folder the author chose when folder() could not take
    // the text; the next start does not point to it.
    static QString keepIn(const QString& folder, const QString& bookName, const QString& chapterName,
                          const QString& text);
    // Where words go when nobody chose a place for them, in order: folder(),
    // the author's home folder, the system's temporary folder.
    static QStringList fallbackFolders();
    // keep() into the first of fallbackFolders() that takes the text whole,
    // marked for the next start; empty when none could.
    static QString keepSomewhere(int uid, const QString& bookName, const QString& chapterName, const QString& text);
    // Files kept in fallbackFolders() that this author (uid) is to hear of and
    // has not read about yet; none for no author.
    static QStringList untold(int uid);
    // The author has read where these files are.
    static void markTold(int uid, const QStringList& paths);
    // untold(uid), each then marked as told.
    static QStringList takeUntold(int uid);
};
