#include "ui/common/FileDialogs.h"

#include "manager/CUiManager.h"
#include "ui/common/BkMessageBox.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
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

// Cancel is the default: Enter pressed by habit keeps the file.
bool confirmReplace(QWidget* parent, const QString& title, const QString& path)
{
    const QString text = QCoreApplication::translate("FileDialogs", "%1 already exists.\nDo you want to replace it?")
                             .arg(QDir::toNativeSeparators(path));
    return BkMessageBox::question(parent, title, text, QCoreApplication::translate("FileDialogs", "Replace"),
                                  BkMessageBox::standardButtonText(QMessageBox::Cancel), 1)
        == 0;
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
    QString proposed = QDir(startFolder(TextExport)).filePath(withTextSuffix(name));
    for (;;) {
        // The chooser would ask about the name as typed, but the file written
        // is the one with ".txt": that one is asked about, here, once.
        const QString path = withTextSuffix(QFileDialog::getSaveFileName(parent, title, proposed, filter, nullptr,
                                                                         QFileDialog::DontConfirmOverwrite));
        if (path.isEmpty() || !QFileInfo::exists(path) || confirmReplace(parent, title, path)) {
            remember(TextExport, path);
            return path;
        }
        // Not replaced: the chooser comes back with that name for another one.
        proposed = path;
    }
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
