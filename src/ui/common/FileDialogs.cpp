#include "ui/common/FileDialogs.h"

#include "common/DPIAdapter.h"
#include "manager/CUiManager.h"
#include "ui/common/BkMessageBox.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QTreeView>

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

QFileDialog* makeDialog(QWidget* parent, const QString& title, const QString& folder, const QString& filter)
{
    auto* dialog = new QFileDialog(parent, title, folder, filter);
    // Qt's own chooser opens at the size of its form at 100 %: at a larger
    // scale its columns crowd and the folder's path is cut short.
    const double scale = DPIAdapter::instance()->scale();
    const int pathRoom = dialog->fontMetrics().horizontalAdvance(folder) + int(360 * scale);
    QSize size(qMax(int(820 * scale), pathRoom), int(520 * scale));
    QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    if (screen)
        size = size.boundedTo(screen->availableGeometry().size() * 0.9);
    dialog->resize(size.expandedTo(dialog->minimumSizeHint()));
    // The detail view's columns take what their texts need (a date is not
    // cut short); the name takes the rest.
    if (auto* details = dialog->findChild<QTreeView*>()) {
        details->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
        details->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    }
    return dialog;
}

namespace {
// The chosen path, or nothing when the author cancelled.
QString run(QFileDialog* dialog)
{
    // The chooser goes with its parent if that goes while it runs.
    QPointer<QFileDialog> alive = dialog;
    const bool chosen = dialog->exec() == QDialog::Accepted && alive && !alive->selectedFiles().isEmpty();
    const QString path = chosen ? alive->selectedFiles().constFirst() : QString();
    delete alive.data();
    return path;
}
} // namespace

QString textFilter()
{
    return QCoreApplication::translate("FileDialogs", "Text files (*.txt)");
}

QString openFile(QWidget* parent, const QString& title, Kind kind, const QString& filter)
{
    QFileDialog* dialog = makeDialog(parent, title, startFolder(kind), filter);
    dialog->setFileMode(QFileDialog::ExistingFile);
    const QString path = run(dialog);
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
        QFileDialog* dialog = makeDialog(parent, title, QFileInfo(proposed).absolutePath(), filter);
        dialog->setAcceptMode(QFileDialog::AcceptSave);
        // The chooser would ask about the name as typed, but the file written
        // is the one with ".txt": that one is asked about, here, once.
        dialog->setOption(QFileDialog::DontConfirmOverwrite);
        dialog->selectFile(proposed);
        const QString path = withTextSuffix(run(dialog));
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
    QFileDialog* dialog = makeDialog(parent, title, start, QString());
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOptions(QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
    const QString dir = run(dialog);
    remember(BackupFolder, dir);
    return dir;
}

} // namespace FileDialogs
