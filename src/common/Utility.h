#pragma once

// Shared free functions: JSON and SQL helpers, digests, the program's folders,
// dates and a few widget helpers. None keeps state between calls.

#include <QJsonObject>
#include <QString>
#include <QStringList>

class QObject;
class QRect;
class QWidget;

QJsonObject emptyJsonObject();
void jsonInsertString(QJsonObject& object, const QString& key, const QString& value);
void jsonInsertInt64(QJsonObject& object, const QString& key, qint64 value);

// Doubles every single quote so the text can stand between quotes in SQL.
QString sqlEscape(const QString& text);

// Prose keeps line feeds, carriage returns and tabs; any other control
// character (U+0000..U+001F, U+007F..U+009F) is a keystroke or a byte that
// slipped in, shows as a box and is taken out. A text without one comes back
// as the same shared string, without a copy.
QString withoutControlChars(const QString& text);
bool hasControlChars(const QString& text);

QString fileMd5(const QString& path);
QString bytesMd5(const QByteArray& bytes);
QString stringMd5(const QString& text);
// What a waiting edit of a note keeps of a text it replaced: the md5 of an
// outline entry's title and text (a memo's text with an empty title),
// control characters left out as the rows leave them out.
QString noteTextMd5(const QString& text, const QString& title = QString());

// Creates the missing folders and an empty file (an existing file is emptied).
bool createFile(const QString& path, bool textMode = false);

QString appDirPath();
QString getAppDataDir();
QString getDbDir();
QString getBackupDir();
// The log folder below the program directory, or the same layout below the
// per-user data folder when the program directory is not writable.
QString getLogDir();
// The same choice for a given program directory.
QString getLogDirBelow(const QString& programDir);
bool mkpathIfMissing(const QString& folder);
// True when files can be created in the folder (creating it when missing).
bool isWritableFolder(const QString& folder);

QString getFileName(const QString& path);
QString getFileSuffix(const QString& path);
// Replaces the list with every file below the folder, depth first.
void listFilesRecursive(const QString& folder, QStringList& files);

QString getCurrentDate();
QString getCurrentDateTime();
QString timeToString(quint32 secondsSinceEpoch);
QString secondsToTimeString(qint64 seconds);
qint64 currentMsecsOfDay();

QStringList getEditorFontFamilies();
// The choice behind getEditorFontFamilies, given the installed Chinese families.
QStringList pickEditorFontFamilies(const QStringList& installedChineseFamilies);

void imageToBase64Url(const QString& picturePath, QString& result);
void moveToScreenCenter(QWidget* widget);
// Centres a top-level panel over the window that holds `over`.
void moveOverWindowCenter(QWidget* panel, const QWidget* over);
// Centres a top-level panel over the pane `over` itself, so that it leaves
// the panes beside it in view; where it is larger it keeps to the pane's left
// and top edges.
void moveOverPaneCenter(QWidget* panel, const QWidget* over);
// The same over a rectangle of the screen.
void moveOverArea(QWidget* panel, const QRect& area);
// Places a top-level panel beside the window that holds `beside`:
// right of it where the screen has room, else left of it, else inside it
// along its right edge, below the buttons there; never off the screen. A
// panel that may be shorter is made to end where the window ends.
void moveBesideWindow(QWidget* panel, const QWidget* beside);
QObject* topLevelParent(QObject* object);
