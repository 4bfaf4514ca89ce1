// The application lock: the start lock, the re-show lock and the idle lock.

#include "CUiManager.h"

#include "common/QxtGlobalShortcut.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "ui/common/BkMessageBox.h"
#include "ui/common/HiddenWindows.h"
#include "ui/shell/Dialog_Unlock.h"

#include <QApplication>
#include <QDebug>
#include <QEvent>
#include <QGuiApplication>
#include <QScopedValueRollback>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>
#include <QWindow>

void CUiManager::initShell()
{
    m_idleTimer = new QTimer(this);
    m_idleTimer->setInterval(1000);
    connect(m_idleTimer, &QTimer::timeout, this, [this]() { checkPwdLock(4); });
    if (QCoreApplication* app = QCoreApplication::instance()) {
        app->installEventFilter(this);
        // This object is a static that outlives the application object.
        connect(app, &QCoreApplication::aboutToQuit, this, &CUiManager::shutdown);
    }
    if (canBuildWindows())
        initBoosKey();
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        // A task bar that moves or resizes changes what "filling the screen" means.
        connect(screen, &QScreen::availableGeometryChanged, this, [this]() {
            const QSharedPointer<QWidget> window = currentWindow();
            if (window && !isFullScreen() && CPublicManager::instance()->userInfo.windowSize == 2)
                setWindowSize();
        });
    }
}

Dialog_Unlock* CUiManager::unlockDialog() const
{
    return m_unlockDialog.data();
}

bool CUiManager::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::MouseButtonPress || type == QEvent::MouseMove || type == QEvent::KeyPress)
        m_idleSeconds = 0;
    // Whatever window of the program comes up (the sign-in after a forced
    // sign-out over windows the boss key hid, a lock screen, a box), the way
    // back to it comes with it: Escape there must not leave a program with
    // neither.
    if (type == QEvent::Show && m_tray != nullptr && !m_tray->isVisible() && watched->isWidgetType()) {
        const auto* widget = static_cast<const QWidget*>(watched);
        if (HiddenWindows::isProgramWindow(widget) && widget->windowType() != Qt::ToolTip)
            m_tray->show();
    }
    return QObject::eventFilter(watched, event);
}

bool CUiManager::isWindowHidden(const QSharedPointer<QWidget>& window) const
{
    return !window->isVisible();
}

bool CUiManager::checkPwdLock(int type)
{
    if (isLocked())
        return false;
    T_SystemConf& conf = CPublicManager::instance()->userConf.systemConf;
    // What a lock screen closed unanswered hid comes back only through it,
    // whichever locks the author chose.
    const bool lockHid = type == 2 && m_idleLocked;
    if ((conf.pwdLockType & type) == 0 && !lockHid)
        return false;
    const QSharedPointer<QWidget> window = currentWindow();
    if (!window)
        return false;

    if (type == 4) {
        // A window in the tray or hidden by the boss key does not count idle time.
        if (isWindowHidden(window)) {
            m_idleSeconds = 0;
            return false;
        }
        ++m_idleSeconds;
        if (m_idleSeconds < conf.pwdLockTime)
            return false;
        hideOwnWindows(window.data());
        m_idleLocked = true;
    } else if (type == 2) {
        if (!isWindowHidden(window))
            return false;
    }

    // A second occasion while the lock screen is up is absorbed.
    if (m_unlockOpen)
        return true;

    if (!m_unlockDialog)
        m_unlockDialog = new Dialog_Unlock(window.data());
    m_unlockOpen = true;
    const int kind = runUnlock(m_unlockDialog);
    const bool accepted = kind == 0;
    if (kind == 2)
        logout();
    m_unlockOpen = false;

    // The window the lock hid comes back first, so that the others come
    // over it and the keys go back to where they were.
    if (accepted && (type == 4 || lockHid)) {
        if (const QSharedPointer<QWidget> current = currentWindow()) {
            current->setWindowState((current->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
            current->show();
        }
        m_idleSeconds = 0;
    }
    // A lock left unanswered keeps its windows hidden until the re-show lock
    // (tray, boss key, second start) is answered.
    if (accepted)
        m_lockHidden->show();
    if (accepted || kind == 2) {
        m_lockHidden->clear();
        m_idleLocked = false;
    }
    return !accepted;
}

int CUiManager::runUnlock(const QPointer<Dialog_Unlock>& dialog)
{
    const QScopedValueRollback<QPointer<Dialog_Unlock>> shown(m_lockScreen, dialog);
    for (;;) {
        dialog->resetInput();
        dialog->activateWindow();
        dialog->exec();
        if (!dialog)
            return 1;
        const int kind = dialog->resultKind();
        // A sign-out the file would not take leaves the lock as it was, so
        // the lock screen is up again once the author read why.
        if (kind != 2 || forgetLockAndSignOut())
            return kind;
        if (!dialog)
            return 1;
    }
}

void CUiManager::hideOwnWindows(QWidget* main)
{
    m_lockHidden->clear();
    m_lockHidden->hide({main, m_unlockDialog.data()});
    main->hide();
}

bool CUiManager::forgetLockAndSignOut()
{
    T_SystemConf& conf = CPublicManager::instance()->userConf.systemConf;
    const T_SystemConf before = conf;
    conf.pwdLockPwd = T_SystemConf().pwdLockPwd;
    conf.pwdLockType = 0;
    conf.pwdLockTime = 0;
    if (CJobManager::instance()->author_logout())
        return true;
    conf = before;
    // The lock hides every window a toast could show in.
    BkMessageBox::information(nullptr, tr("Forget Password"),
                              tr("The sign-out could not be stored, so the lock stays.\n%1")
                                  .arg(CJobManager::instance()->lastDbError()));
    return false;
}

bool CUiManager::runStartLock()
{
    T_SystemConf& conf = CPublicManager::instance()->userConf.systemConf;
    if (conf.pwdLockType == 0)
        return true;
    if (!canBuildWindows()) {
        // No screen to ask on: a data-only process cannot be unlocked.
        qDebug() << "start lock: no windows in this process; the start stops here";
        return false;
    }
    Dialog_Unlock dialog(nullptr);
    m_unlockOpen = true;
    const int kind = runUnlock(&dialog);
    m_unlockOpen = false;
    // A sign-out while the lock was up ended it: the login dialog follows.
    if (m_signInState == 2)
        return false;
    if (kind == 0)
        return true;
    if (kind == 2) {
        logout();
        return false;
    }
    QTimer::singleShot(500, this, &CUiManager::saveAndQuit);
    return false;
}
