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
