#include "ui/common/FileDialogs.h"

#include "manager/CUiManager.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace FileDialogs {
namespace {

QString settingKey(Kind kind)
{
    static const char* const names[] = {"bookImport", "chapterImport", "textExport", "picture", "backupFolder"};
    return QStringLiteral("lastFolder/") + QLatin1String(names[kind]);
}

QString documentsFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QFileInfo(documents).isDir())
        return documents;
    return QDir::homePath();
}

} // namespace

QString startFolder(Kind kind)
{
    QSettings settings(CUiManager::settingFilePath(), QSettings::IniFormat);
    const QString last = settings.value(settingKey(kind)).toString();
    if (!last.isEmpty() && QFileInfo(last).isDir())
        return last;
    return documentsFolder();
}

void remember(Kind kind, const QString& chosenPath)
{
    if (chosenPath.isEmpty())
        return;
    const QFileInfo info(chosenPath);
    const QString folder = info.isDir() ? info.absoluteFilePath() : info.absolutePath();
    QSettings settings(CUiManager::settingFilePath(), QSettings::IniFormat);
    settings.setValue(settingKey(kind), folder);
}

QString withTextSuffix(const QString& path)
{
    if (path.isEmpty() || path.endsWith(QLatin1String(".txt"), Qt::CaseInsensitive))
        return path;
    return path + QLatin1String(".txt");
}

QString textFilter()
{
    return QCoreApplication::translate("FileDialogs", "Text files (*.txt)");
}

QString openFile(QWidget* parent, const QString& title, Kind kind, const QString& filter)
{
    const QString path = QFileDialog::getOpenFileName(parent, title, startFolder(kind), filter);
    remember(kind, path);
    return path;
}

QString saveTextFile(QWidget* parent, const QString& title, const QString& proposedName, const QString& filter)
{
    // A title may hold characters that would make the proposal a path elsewhere.
    QString name = proposedName;
    name.replace(QLatin1Char('/'), QLatin1Char('_')).replace(QLatin1Char('\\'), QLatin1Char('_'));
    const QString proposed = QDir(startFolder(TextExport)).filePath(withTextSuffix(name));
    const QString path = withTextSuffix(QFileDialog::getSaveFileName(parent, title, proposed, filter));
    remember(TextExport, path);
    return path;
}

QString existingFolder(QWidget* parent, const QString& title, const QString& current)
{
    const QString start = !current.isEmpty() && QFileInfo(current).isDir() ? current : startFolder(BackupFolder);
    const QString dir = QFileDialog::getExistingDirectory(parent, title, start,
                                                          QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
    remember(BackupFolder, dir);
    return dir;
}

} // namespace FileDialogs
