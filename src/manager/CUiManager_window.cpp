// The window manager's shell: boss key, tray, window placement, themes and quitting.

#include "CUiManager.h"

#include "common/QxtGlobalShortcut.h"
#include "db/CTessaneDb.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "manager/CQssManager.h"
#include "manager/DbFaultText.h"
#include "platform/SessionAutostart.h"
#include "platform/WindowManagerState.h"
#include "ui/bookshelf/Widget_Bookshelf.h"
#include "ui/common/BkMessageBox.h"
#include "ui/common/HiddenWindows.h"
#include "ui/creation/Widget_Creation.h"
#include "ui/creation/memo/MemoItemManager.h"
#include "ui/login/Dialog_LoginMain.h"
#include "ui/shell/Dialog_Unlock.h"
#include "volume/CBookVolumeController.h"

#include <QApplication>
#include <QCursor>
#include <QDebug>
#include <QDesktopWidget>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QSettings>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWindow>

void CUiManager::initBoosKey()
{
    if (!m_bossKey) {
        m_bossKey = new QxtGlobalShortcut(this);
        connect(m_bossKey, &QxtGlobalShortcut::activated, this, [this]() { toggleMainWindow(); });
        connect(m_bossKey, &QxtGlobalShortcut::sig_globalKeyDown, this, &CUiManager::sig_GlobalKeyPressed);
        // Typing counts as activity for the idle lock.
        connect(m_bossKey, &QxtGlobalShortcut::sig_globalKeyDown, this, [this]() { m_idleSeconds = 0; });
    }
    setBoosKey(CPublicManager::instance()->userConf.systemConf.hideKey);
}

bool CUiManager::setBoosKey(const QString& key)
{
    if (!m_bossKey)
        return false;
    const bool ok = m_bossKey->setShortcut(QKeySequence(key));
    qDebug() << "setShortcut:" << key << ok;
    return ok;
}

void CUiManager::toggleMainWindow()
{
    // While the application lock holds, what it hid comes back only through
    // its password: the key hides the lock screen and brings it back, never
    // the windows behind it.
    if (m_unlockOpen) {
        QWindow* lock = m_lockScreen ? m_lockScreen->windowHandle() : nullptr;
        if (!lock)
            return;
        // Through the native window: hiding the dialog would end its exec().
        const bool show = !lock->isVisible();
        lock->setVisible(show);
        if (m_tray)
            m_tray->setVisible(show);
        return;
    }
    // A lock screen closed unanswered comes back as the tray brings it, once
    // the key's own event is over: it runs a loop of its own.
    if (m_idleLocked) {
        QTimer::singleShot(0, this, &CUiManager::showMainWindow);
        return;
    }
    const QSharedPointer<QWidget> window = windowToBringBack();
    if (!window)
        return;
    if (window->isVisible()) {
        if (isLocked()) {
            showMessage(tr("Currently locked"), 0, 1000);
            return;
        }
        // No trace of the program stays on screen: its tools, memos and
        // dialogs go with the window (a dialog's exec() goes on).
        m_putAway->hide();
        if (m_tray)
            m_tray->hide();
        return;
    }
    // The key shows the program as the author hid it.
    bringForward(window.data(), true);
}

void CUiManager::putInTray()
{
    m_putAway->hide();
}

void CUiManager::initTray()
{
    if (m_tray)
        return;
    m_tray = new QSystemTrayIcon(QIcon(QStringLiteral(":/res/skin/logo.svg")), this);
    m_tray->setToolTip(tr("Vellora"));
    m_trayMenu = new QMenu();
    m_trayMenu->setWindowFlags(Qt::Popup | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint);
    m_trayMenu->setAttribute(Qt::WA_TranslucentBackground);
    m_trayMenu->setObjectName(QStringLiteral("trayMenu"));
    m_trayMenu->addAction(tr("Main Client"), this, &CUiManager::showMainWindow);
    m_trayMenu->addAction(tr("Quick"), this, [this]() {
        // The writing lock keeps the author in the program.
        if (!isLocked())
            exitApp();
    });
    m_tray->setContextMenu(m_trayMenu);
    connect(m_tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
            showMainWindow();
    });
    m_tray->setVisible(true);
}

void CUiManager::showMainWindow()
{
    const QSharedPointer<QWidget> window = windowToBringBack();
    if (!window)
        return;
    if (checkPwdLock(2))
        return;
    bringForward(window.data());
}

void CUiManager::bringForward(QWidget* window, bool asLeft)
{
    const bool putAway = m_putAway->contains(window);
    if (!putAway) {
        // Iconified by the window manager along with a window of its own,
        // it may be minimised without Qt knowing: told first, Qt then brings
        // it out of the task bar the usual way.
        if (!window->isMinimized() && WindowManagerState::isIconic(window))
            window->setWindowState(window->windowState() | Qt::WindowMinimized);
        window->setWindowState((window->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
        window->show();
        window->raise();
        window->activateWindow();
    }
    // What was put away comes back as it was, the keys where they were;
    // activated here, the window would take them from a memo or a box. A
    // window the author minimised comes back so with the boss key, and
    // nothing of the program takes the keys then.
    const bool minimised = window->isMinimized();
    m_putAway->show(asLeft && minimised ? nullptr : window);
    // Brought out of the task bar only once it is shown as it went: changed
    // while out of sight, Qt would hand it to the window manager before its
    // show, still minimised for the window manager, and call it shown.
    if (putAway && minimised && !asLeft)
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    m_idleSeconds = 0;
}

void CUiManager::onDockClicked()
{
    qDebug() << "onDockClicked";
    showMainWindow();
}

void CUiManager::setWindowSize()
{
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();
    const QRect full = screen->geometry();
    const int sizeMode = CPublicManager::instance()->userInfo.windowSize;
    qDebug() << "setWindowSize" << available << full << sizeMode;
    QWidget* window = nullptr;
    if (m_mainMode == 0 && m_bookshelf)
        window = m_bookshelf;
    else if (m_mainMode == 1 && m_creation)
        window = creationWidget();
    if (!window)
        return;
    if (sizeMode == 2) {
        // Without a task bar a window the size of the screen would be taken
        // for a full-screen one; keep it two pixels short.
        if (available == full)
            window->setGeometry(0, 0, available.width(), available.height() - 2);
        else
            window->setGeometry(available);
    } else if (sizeMode == 1) {
        const QRect normal = window->property("CG").toRect();
        if (normal.isValid())
            window->setGeometry(normal);
    }
    if (window == m_bookshelf.data())
        m_bookshelf->updateMargins();
    else if (Widget_Creation* writing = creationWindow())
        writing->updateFullScreenLayout();
    window->show();
}

void CUiManager::closeWindow()
{
    if (isLocked()) {
        showMessage(tr("Currently locked"), 0, 1000);
        return;
    }
    const QSharedPointer<QWidget> window = currentWindow();
    if (!window)
        return;
    if (CPublicManager::instance()->userConf.systemConf.isTray == 0)
        exitApp();
    else
        putInTray();
}

void CUiManager::saveAndQuit()
{
    // Saved and backed up once; the quit is asked for again, since a quit
    // that came while a dialog ran before the event loop started is lost.
    if (!m_quitting) {
        m_quitting = true;
        // An import still running is stopped first (it stores nothing): the
        // saves below would wait for its write lock.
        CJobManager::instance()->stopImport();
        if (m_mainMode == 1)
            saveChapter();
        MemoItemManager::instance()->saveAll();
        CJobManager::instance()->saveUserData();
        CTessaneDb* db = CTessaneDb::instance();
        const bool damagedBefore = db->isDamaged();
        backupsDb();
        // Damage only the backup's check of every page found (in a table no
        // start reads): the author reads it before the program goes, or it
        // would go untold start after start. An ending session does not wait.
        if (!damagedBefore && db->isDamaged() && !m_sessionEnding) {
            showDbFault(DbFaultText::damaged(db->dbFilePath()));
            if (m_dbFaultBox) {
                connect(m_dbFaultBox.data(), &QObject::destroyed, qApp, &QCoreApplication::quit);
                return;
            }
        }
    }
    QTimer::singleShot(100, qApp, &QCoreApplication::quit);
}

void CUiManager::exitApp()
{
    saveAndQuit();
}

void CUiManager::endSession()
{
    qInfo() << "the session ends: saving and quitting";
    m_sessionEnding = true;
    saveAndQuit();
}

void CUiManager::shutdown()
{
    m_idleTimer->stop();
    // A title box of the tree still open was never confirmed.
    CBookVolumeController::instance()->dropTitleEditing();
    // Words typed since the quit's own save are kept before the editor goes.
    saveChapterOnQuit();
    keepMemoWords();
    // The writing window first: it may hold the outline panel's view.
    QList<QPointer<QWidget>> windows = {m_unlockDialog.data(), m_dbFaultBox.data(), m_loginDialog.data(),
                                        m_creation, m_bookshelf.data()};
    // A sign-out that was still waiting for its dialogs leaves its windows.
    windows += m_leavingWindows;
    m_leavingWindows.clear();
    delete m_endsWhatOpens.data();
    for (const QPointer<QWidget>& window : qAsConst(windows))
        delete window.data();
    delete m_tray;
    m_tray = nullptr;
    delete m_trayMenu;
    m_trayMenu = nullptr;
}

void CUiManager::changeSkin(int type)
{
    CPublicManager* model = CPublicManager::instance();
    model->userInfo.style = type;
    if (!CTessaneDb::instance()->updateUser(model->userInfo))
        qWarning() << "changeSkin: the user's style was not stored";
    CQssManager::instance()->applyStyle(type);
    emit sig_changeSkin();
    if (m_bookshelf)
        m_bookshelf->changeSkin();
    if (Widget_Creation* writing = creationWindow())
        writing->changeSkin();
}

int CUiManager::skinIconIndex()
{
    const int type = CQssManager::instance()->currentStyleType();
    if (type == 1 || type == 8 || type == 16)
        return 0;
    if (type & 2)
        return 1;
    if (type == 4)
        return 2;
    return 0;
}

void CUiManager::centerWidget(QWidget* w, QWidget* over)
{
    if (!w)
        return;
    if (over) {
        w->move((over->width() - w->width()) / 2, (over->height() - w->height()) / 2);
        return;
    }
    const QSharedPointer<QWidget> window = currentWindow();
    if (!window)
        return;
    w->move((window->width() - w->width()) / 2 + window->x(),
            (window->height() - w->height()) / 2 + window->y());
}

bool CUiManager::isExeAuto()
{
    QSettings settings(settingFilePath(), QSettings::IniFormat);
    settings.beginGroup(QStringLiteral("system"));
    return settings.childKeys().contains(QStringLiteral("exeAuto"))
        && settings.value(QStringLiteral("exeAuto")).toInt() == 1;
}

QString CUiManager::lockStartUpKey()
{
    return QStringLiteral("system/exeAutoBeforeLock");
}

bool CUiManager::setExeAuto(bool on, QString* unwritable)
{
    const QString key = QStringLiteral("system/exeAuto");
    const QVariant before = QSettings(settingFilePath(), QSettings::IniFormat).value(key);
    const QVariant kept = QSettings(settingFilePath(), QSettings::IniFormat).value(lockStartUpKey());
    // The session's entry follows only a stored choice, never runs ahead of
    // it. A choice made while a writing lock holds stands when it ends.
    if (!storeSettings({{key, on ? 1 : 0}, {lockStartUpKey(), QVariant()}})) {
        if (unwritable)
            *unwritable = settingFilePath();
        return false;
    }
    if (SessionAutostart::setEnabled(on))
        return true;
    qWarning() << "start with the session not" << (on ? "registered" : "unregistered");
    if (unwritable)
        *unwritable = SessionAutostart::entryPath();
    // The choice goes back with it: the page shows what the session will do.
    storeSettings({{key, before}, {lockStartUpKey(), kept}});
    return false;
}
