// The writing lock's dialog, the power commands offered while it holds and
// the random-name panel.

#include "CUiManager.h"

#include "common/Utility.h"

#include "platform/PowerCommands.h"
#include "platform/ProgramPath.h"
#include "platform/SessionAutostart.h"
#include "ui/creation/Dialog_Reboot.h"
#include "ui/creation/Dialog_WritingLock.h"
#include "ui/creation/Widget_RandomName.h"

#include <QDebug>
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
    settings.beginGroup(QStringLiteral("system"));
    const QString key = QStringLiteral("exeAuto");
    if (on)
        settings.setValue(key, 1);
    else if (!settings.childKeys().contains(key))
        settings.setValue(key, 0);
    // The session's autostart entry follows the stored choice: a start-up
    // the author asked for outlives the lock.
    const bool startWithSession = settings.value(key).toInt() == 1;
    settings.endGroup();
    settings.sync();
    if (settings.status() != QSettings::NoError) {
        // The entry never runs ahead of the stored choice.
        qWarning() << "could not write the start-up setting to" << settings.fileName();
        return;
    }
    if (!SessionAutostart::setEnabled(startWithSession))
        qWarning() << "start with the session not" << (startWithSession ? "registered" : "unregistered");
}
