// The writing lock's dialog, the power commands offered while it holds and
// the random-name panel.

#include "CUiManager.h"

#include "common/Utility.h"

#include "platform/PowerCommands.h"
#include "platform/ProgramPath.h"
#include "platform/SessionAutostart.h"
#include "ui/common/BkMessageBox.h"
#include "ui/creation/Dialog_Reboot.h"
#include "ui/creation/Dialog_WritingLock.h"
#include "ui/creation/Widget_RandomName.h"

#include <QDebug>
#include <QDir>
#include <QMessageBox>
#include <QSettings>

bool CUiManager::openWritingLock(QWidget* parent)
{
    if (isLocked()) {
        showSuccess(tr("Currently locked"), 1000);
        return false;
    }
    Dialog_WritingLock dialog(parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    setWritingLock(true, true);
    return true;
}

bool CUiManager::runRebootDialog(QWidget* parent)
{
    saveChapter();
    Dialog_Reboot dialog(parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    return PowerCommands(m_powerRunner).run(dialog.checkedId());
}

void CUiManager::setPowerRunner(const std::function<bool(const QString&, const QStringList&)>& runner)
{
    m_powerRunner = runner;
}

Widget_RandomName* CUiManager::showRandomNames(QWidget* parent)
{
    if (!m_randomNames)
        m_randomNames = new Widget_RandomName(parent);
    // Over the pane it was opened from: the chapter tree beside it stays in view.
    if (!m_randomNames->isVisible())
        moveOverPaneCenter(m_randomNames, parent);
    m_randomNames->show();
    m_randomNames->raise();
    return m_randomNames;
}

void CUiManager::applyLockStartUp(bool on)
{
    QSettings settings(m_settingsFile.isEmpty() ? ProgramPath::settingsFile() : m_settingsFile, QSettings::IniFormat);
    const QString key = QStringLiteral("system/exeAuto");
    const QVariant before = settings.value(key);
    if (on)
        settings.setValue(key, 1);
    else if (!before.isValid())
        settings.setValue(key, 0);
    // The session's autostart entry follows the stored choice: a start-up
    // the author asked for outlives the lock.
    const bool startWithSession = settings.value(key).toInt() == 1;
    settings.sync();
    if (settings.status() != QSettings::NoError) {
        qWarning() << "could not write the start-up setting to" << settings.fileName();
        // Qt would hand the unwritten value to every later reader in this
        // process and write it with the next setting stored: taken back,
        // the choice is what the file holds. The entry never runs ahead of
        // the stored choice.
        if (before.isValid())
            settings.setValue(key, before);
        else
            settings.remove(key);
        if (on)
            tellLockWontSurviveRestart(settings.fileName());
        return;
    }
    if (!SessionAutostart::setEnabled(startWithSession))
        qWarning() << "start with the session not" << (startWithSession ? "registered" : "unregistered");
}

void CUiManager::tellLockWontSurviveRestart(const QString& settingsFile)
{
    if (!canBuildWindows())
        return;
    // A box, not a toast: the lock's own toast follows at once, and the
    // author must know before a restart ends the lock.
    const QString text = tr("The writing lock is on, but it will not come back after a restart: "
                            "the settings file %1 cannot be written.")
                             .arg(QDir::toNativeSeparators(settingsFile));
    auto* box = new BkMessageBox(tr("Writing lock"), text, currentWindow().data());
    box->addStandardButton(QMessageBox::Ok);
    box->setDefaultButton(QMessageBox::Ok);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->show();
    box->raise();
}
