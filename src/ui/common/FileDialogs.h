#pragma once

#include <QString>

class QFileDialog;
class QWidget;

// The client's file choosers. Each kind of file remembers the folder it was
// last taken from; the first time, the author's documents folder is offered,
// never the folder the process happened to be started in.
namespace FileDialogs {

enum Kind { BookImport, ChapterImport, TextExport, Picture, BackupFolder };

// The folder a chooser of this kind opens in.
QString startFolder(Kind kind);
// Remembers the folder of a path the author chose.
void remember(Kind kind, const QString& chosenPath);
// Every export is a plain text file, whatever name the author typed.
QString withTextSuffix(const QString& path);
// The one filter of every text file chooser, in the author's language.
QString textFilter();

// A chooser sized for the display scale and for the folder's path to be read
// whole; the caller owns it.
QFileDialog* makeDialog(QWidget* parent, const QString& title, const QString& folder, const QString& filter);

QString openFile(QWidget* parent, const QString& title, Kind kind, const QString& filter);
// proposedName is a bare file name; it is placed in the start folder.
QString saveTextFile(QWidget* parent, const QString& title, const QString& proposedName,
                     const QString& filter);
QString existingFolder(QWidget* parent, const QString& title, const QString& current);

} // namespace FileDialogs
