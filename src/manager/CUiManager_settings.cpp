#include "CUiManager.h"

#include "common/Utility.h"
#include "platform/GlobalHotKey.h"
#include "remote/records/SystemRecords.h"
#include "ui/setting/Dialog_UpdateOnline.h"
#include "ui/shell/Dialog_ChangeLockPwd.h"

#include <QDebug>
#include <QDialog>
#include <QKeySequence>
#include <QSettings>
#include <QWidget>

void CUiManager::setSettingWidget(QWidget* widget)
{
    m_settingWidget = widget;
}

QWidget* CUiManager::settingWidget() const
{
    return m_settingWidget;
}

namespace {
QString g_settingsFile;
}

void CUiManager::setSettingsFile(const QString& path)
{
    g_settingsFile = path;
}

QString CUiManager::settingFilePath()
{
    if (!g_settingsFile.isEmpty())
        return g_settingsFile;
    return appDirPath() + QStringLiteral("/data/config/setting.ini");
}

bool CUiManager::storeSetting(const QString& key, const QVariant& value)
{
    return storeSettings({{key, value}});
}

bool CUiManager::storeSettings(const QVariantMap& values)
{
    QSettings settings(settingFilePath(), QSettings::IniFormat);
    QVariantMap before;
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        before.insert(it.key(), settings.value(it.key()));
        if (it.value().isValid())
            settings.setValue(it.key(), it.value());
        else
            settings.remove(it.key());
    }
    settings.sync();
    if (settings.status() == QSettings::NoError)
        return true;
    qWarning() << "settings" << values.keys() << "not stored in" << settings.fileName() << settings.status();
    // Qt hands a change it could not write to the file's next reader in this
    // process; taken back, every reader sees what the file holds.
    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        if (it.value().isValid())
            settings.setValue(it.key(), it.value());
        else
            settings.remove(it.key());
    }
    return false;
}

int CUiManager::runLockPwdDialog(int mode, QWidget* parent, QString* newPassword)
{
    Dialog_ChangeLockPwd dialog(mode, parent);
    const int result = dialog.exec();
    // Only setting or changing hands a password back; confirming leaves the
    // caller's text untouched.
    if (result == QDialog::Accepted && newPassword && mode != Dialog_ChangeLockPwd::Verify)
        *newPassword = dialog.newPassword();
    return result;
}

bool CUiManager::showUpdateOnline(const TS_UpdateOnline& info)
{
    const QSharedPointer<QWidget> window = currentWindow();
    if (!window)
        return false;
    Dialog_UpdateOnline dialog(&info, window.data());
    // Accepted only when the installer is running; otherwise the author was
    // told why and goes on working.
    if (dialog.exec() == QDialog::Accepted)
        saveAndQuit();
    return true;
}
