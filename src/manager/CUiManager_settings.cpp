#include "CUiManager.h"

#include "common/Utility.h"
#include "platform/GlobalHotKey.h"
#include "remote/records/SystemRecords.h"
#include "ui/setting/Dialog_UpdateOnline.h"

#include <QDebug>
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

QString CUiManager::settingFilePath()
{
    return appDirPath() + QStringLiteral("/data/config/setting.ini");
}

bool CUiManager::isExeAuto() const
{
    QSettings settings(settingFilePath(), QSettings::IniFormat);
    settings.beginGroup(QStringLiteral("system"));
    if (!settings.contains(QStringLiteral("exeAuto")))
        return false;
    bool ok = false;
    const int value = settings.value(QStringLiteral("exeAuto")).toInt(&ok);
    return ok && value == 1;
}

void CUiManager::setExeAuto(bool on)
{
    // QSettings writes through a temporary file and a rename, so an
    // interrupted write never leaves a truncated settings file behind.
    QSettings settings(settingFilePath(), QSettings::IniFormat);
    settings.setValue(QStringLiteral("system/exeAuto"), on ? 1 : 0);
    settings.sync();
    if (settings.status() != QSettings::NoError)
        qWarning() << "setting.ini could not be written:" << settingFilePath();
}

bool CUiManager::setBoosKey(const QString& keyText)
{
    if (m_bossNativeKey != 0) {
        GlobalHotKey::unregisterShortCut(m_bossNativeKey, m_bossNativeMods);
        m_bossNativeKey = 0;
        m_bossNativeMods = 0;
    }
    const QKeySequence sequence(keyText, QKeySequence::PortableText);
    bool ok = false;
    if (sequence.count() == 1 && GlobalHotKey::isAvailable()) {
        const int combined = sequence[0];
        const auto key = Qt::Key(combined & ~int(Qt::KeyboardModifierMask));
        const auto mods = Qt::KeyboardModifiers(combined & int(Qt::KeyboardModifierMask));
        const quint32 nativeKey = GlobalHotKey::nativeKeycode(key);
        const quint32 nativeMods = GlobalHotKey::nativeModifiers(mods);
        ok = GlobalHotKey::registerShortCut(nativeKey, nativeMods);
        if (ok) {
            m_bossNativeKey = nativeKey;
            m_bossNativeMods = nativeMods;
        }
    }
    qDebug() << "setShortcut:" << keyText << ok;
    return ok;
}

int CUiManager::runLockPwdDialog(int mode, QWidget* parent, QString* newPassword)
{
    Q_UNUSED(parent)
    Q_UNUSED(newPassword)
    // The lock-password dialog belongs to the application lock; until it is
    // wired here the request counts as cancelled, so no lock state changes.
    qWarning() << "lock password dialog is not available, mode" << mode;
    return 0;
}

bool CUiManager::showUpdateOnline(const TS_UpdateOnline& info)
{
    const QSharedPointer<QWidget> window = currentWindow();
    if (!window)
        return false;
    Dialog_UpdateOnline dialog(&info, window.data());
    dialog.exec();
    return true;
}
