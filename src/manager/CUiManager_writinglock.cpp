// The writing lock's dialog, the power commands offered while it holds and
// the random-name panel.

#include "CUiManager.h"

#include "common/Utility.h"

#include "platform/PowerCommands.h"
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
    const QString key = QStringLiteral("system/exeAuto");
    const QString own = lockStartUpKey();
    const QVariant before = QSettings(settingFilePath(), QSettings::IniFormat).value(key);
    const QVariant kept = QSettings(settingFilePath(), QSettings::IniFormat).value(own);
    QVariantMap change;
    if (on) {
        // The author's own choice is kept while the lock holds the flag; a
        // lock engaged again (another book, a restart) keeps the first.
        change.insert(key, 1);
        if (!kept.isValid())
            change.insert(own, before.toInt() == 1 ? 1 : 0);
    } else if (kept.isValid()) {
        change.insert(key, kept.toInt() == 1 ? 1 : 0);
        change.insert(own, QVariant());
    } else if (!before.isValid()) {
        change.insert(key, 0);
    }
    // Qt would hand an unwritten value to every later reader in this process
    // and write it with the next setting stored: storeSettings takes it
    // back, and the entry never runs ahead of the stored choice.
    if (!storeSettings(change)) {
        if (on)
            tellLockWontSurviveRestart(settingFilePath());
        return;
    }
    const bool startWithSession = QSettings(settingFilePath(), QSettings::IniFormat).value(key).toInt() == 1;
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
