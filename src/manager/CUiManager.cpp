#include "CUiManager.h"

#include "ui/creation/Widget_ClientTips.h"

#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "outline/COutlineController.h"
#include "platform/PendingInput.h"
#include "remote/records/AccountRecords.h"
#include "ui/bookshelf/BookshelfTips.h"
#include "ui/bookshelf/Widget_BookShelfList.h"
#include "ui/bookshelf/Widget_Bookshelf.h"
#include "ui/bookshelf/Widget_Bookshelf_Top.h"
#include "ui/common/ActivationWatch.h"
#include "ui/common/BkMessageBox.h"
#include "ui/common/HiddenWindows.h"
#include "ui/common/ToastTurns.h"
#include "ui/creation/Widget_ClientTips.h"
#include "ui/creation/Widget_Creation.h"
#include "ui/login/Dialog_LoginMain.h"
#include "ui/shell/Dialog_Unlock.h"
#include "volume/CBookVolumeController.h"

#include <QApplication>
#include <QDebug>
#include <QDirIterator>
#include <QFont>
#include <QFontDatabase>
#include <QMenu>
#include <QMessageBox>
#include <QScopedValueRollback>
#include <QSystemTrayIcon>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <QWindow>

CUiManager::CUiManager(QObject* parent) : QObject(parent)
{
    m_toastTurns = new ToastTurns(
        [this](const ToastTurns::Toast& toast) {
            if (!currentWindow())
                return false;
            presentMessage(toast.text, toast.kind, toast.msecs);
            return true;
        },
        this);
    m_lockHidden = new HiddenWindows(this);
    m_putAway = new HiddenWindows(this);
    new ActivationWatch(this);
    initShell();
}

CUiManager::~CUiManager()
{
    delete m_trayMenu;
}

CUiManager* CUiManager::instance()
{
    static CUiManager manager;
    return &manager;
}

void CUiManager::initFont()
{
    QDirIterator fonts(QStringLiteral(":/res/fonts"), {QStringLiteral("*.ttf"), QStringLiteral("*.TTF"),
                                                      QStringLiteral("*.otf")});
    while (fonts.hasNext()) {
        const QString path = fonts.next();
        if (QFontDatabase::addApplicationFont(path) < 0)
            qWarning() << "font not registered:" << path;
    }
    // The skins name the Windows CJK family; map it to what this system has.
    const QString family = QStringLiteral("Microsoft YaHei");
    QFont::insertSubstitutions(family, {QStringLiteral("WenQuanYi Micro Hei"),
                                        QStringLiteral("Noto Sans CJK SC"),
                                        QStringLiteral("Source Han Sans SC")});
    QFont font(family);
    font.setPointSize(12);
    QApplication::setFont(font);
}

QSharedPointer<QWidget> CUiManager::currentWindow() const
{
    // A strong handle that never deletes: the window manager owns the windows.
    if (m_mainMode == 0 && m_bookshelf)
        return QSharedPointer<QWidget>(m_bookshelf.data(), [](QWidget*) {});
    if (m_mainMode == 1 && m_creation)
        return QSharedPointer<QWidget>(creationWidget(), [](QWidget*) {});
    return QSharedPointer<QWidget>();
}

QSharedPointer<QWidget> CUiManager::windowToBringBack() const
{
    // The login dialog stays hidden for a moment after a sign-in: it is
    // not what the author comes back to then.
    if (m_signInState == 1)
        return currentWindow();
    return m_loginDialog ? QSharedPointer<QWidget>(m_loginDialog.data(), [](QWidget*) {}) : QSharedPointer<QWidget>();
}

void CUiManager::activeWindows(const QString& message)
{
    qDebug() << "second instance says:" << message;
    // The boss key may have hidden the lock screen with the tray icon.
    if (m_unlockOpen && m_lockScreen && m_lockScreen->windowHandle() && !m_lockScreen->windowHandle()->isVisible()) {
        toggleMainWindow();
        return;
    }
    if (checkPwdLock(2))
        return;
    const QSharedPointer<QWidget> window = windowToBringBack();
    if (!window) {
        qDebug() << "no window to bring forward";
        return;
    }
    if (m_tray && QSystemTrayIcon::isSystemTrayAvailable())
        m_tray->setVisible(true);
    bringForward(window.data());
}

void CUiManager::showMessage(const QString& text, int kind, int msecs)
{
    emit sig_Message(text, kind);
    // Toasts need a current main window; without one they are dropped.
    if (!currentWindow())
        return;
    if (m_toastTurns->mayShow({text, kind, msecs}))
        presentMessage(text, kind, msecs);
    else
        qDebug() << "toast waits its turn" << kind << text << msecs;
}

void CUiManager::presentMessage(const QString& text, int kind, int msecs)
{
    qDebug() << "toast" << kind << text << msecs;
    QWidget* own = nullptr;
    if (m_mainMode == 0 && m_bookshelf) {
        m_bookshelf->showClientTips(text, kind, msecs);
        own = m_bookshelf->tips();
    } else if (m_mainMode == 1) {
        showCreationMessage(text, kind, msecs);
        own = creationWindow() ? creationWindow()->tips() : nullptr;
    }
    // A modal dialog over the main window (the settings page) shows the toast
    // in itself, where the author is looking, at a place that covers none of
    // its own texts. The window keeps its copy only where the dialog hides
    // it, so that it is still there when the dialog closes right after. A
    // dialog with no such place (the writing lock) leaves the message to the
    // window's copy beside it. The author sees the message once.
    QWidget* modal = QApplication::activeModalWidget();
    Widget_ClientTips* inside = nullptr;
    if (modal != nullptr && modal->isVisible() && modal != currentWindow().data()) {
        inside = Widget_ClientTips::showOver(modal, text, kind, msecs);
        const bool ownSeen = own != nullptr && own->isVisible()
            && !modal->frameGeometry().intersects(QRect(own->mapToGlobal(QPoint(0, 0)), own->size()));
        if (ownSeen && inside != nullptr && !inside->coversNothing())
            inside->hide();
        else if (ownSeen)
            own->hide();
    }
    m_toastTurns->shown({text, kind, msecs}, {own, inside});
}

void CUiManager::showError(const QString& text, int msecs)
{
    showMessage(text, 0, msecs);
}

void CUiManager::showSuccess(const QString& text, int msecs)
{
    showMessage(text, 1, msecs);
}

void CUiManager::showTips(const QString& text, bool flag, int msecs)
{
    showMessage(text, flag ? 2 : 3, msecs);
}

bool CUiManager::tellRefusedChange(const QString& what)
{
    CJobManager* jobs = CJobManager::instance();
    if (!jobs->takeRefusedByStore())
        return false;
    // Long enough to be read while the author looks for where the change went.
    showError(jobs->refusedText(what), 6000);
    return true;
}

void CUiManager::showDbError(const QString& text)
{
    qDebug() << text;
}

void CUiManager::showDbFault(const QString& text)
{
    qCritical().noquote() << text;
    if (!canBuildWindows())
        return;
    // One box at a time: a second fault of the same run replaces the text.
    if (!m_dbFaultBox) {
        m_dbFaultBox = new BkMessageBox(tr("Database error"), text, currentWindow().data());
        m_dbFaultBox->addStandardButton(QMessageBox::Ok);
        m_dbFaultBox->setDefaultButton(QMessageBox::Ok);
        m_dbFaultBox->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_dbFaultBox->setText(text);
    m_dbFaultBox->show();
    m_dbFaultBox->raise();
}

BkMessageBox* CUiManager::dbFaultBox() const
{
    return m_dbFaultBox;
}

void CUiManager::showStartFailure(const QString& text)
{
    qCritical().noquote() << text;
    if (canBuildWindows())
        BkMessageBox::information(nullptr, tr("Database error"), text, QMessageBox::Ok, QMessageBox::Ok);
}

void CUiManager::startSyncAnimation()
{
    if (!m_syncIndicatorAllowed)
        return;
    emit sig_SyncAnimation(true, true);
    if (m_bookshelf)
        m_bookshelf->getTop()->startSync();
}

void CUiManager::stopSyncAnimation(bool ok, bool resultLater)
{
    m_syncRunning = 0;
    if (resultLater) {
        m_heldSyncOk = ok;
        m_syncResultHeld = true;
        return;
    }
    endSyncIndicator(ok);
}

void CUiManager::tellSyncResult(bool ok)
{
    if (m_syncResultHeld)
        endSyncIndicator(m_heldSyncOk && ok);
}

void CUiManager::syncMetRefusal()
{
    if (m_syncResultHeld)
        m_heldSyncOk = false;
    if (m_bookshelf)
        m_bookshelf->getTop()->failSync();
}

void CUiManager::endSyncIndicator(bool ok)
{
    m_syncResultHeld = false;
    emit sig_SyncAnimation(false, ok);
    if (m_bookshelf)
        m_bookshelf->getTop()->endSync(ok);
}

void CUiManager::requestNotice()
{
    TC_Author_Notice request;
    CJobManager::instance()->author_notice(request);
}

bool CUiManager::initMain()
{
    hideLoginDialog();
    // The user's own theme, stored again with the user row.
    changeSkin(CPublicManager::instance()->userInfo.style);
    if (!runStartLock())
        return false;
    m_mainMode = 0;
    if (!buildBookshelf())
        qDebug() << "main interface: no windows in this process; the start goes on without them";
    // The user is loaded now: the boss key becomes the author's own, in
    // place of the default the start registered.
    initBoosKey();
    if (isLocked())
        QTimer::singleShot(500, this, [this]() { setWritingLock(true, true); });
    m_idleSeconds = 0;
    m_idleTimer->start();
    return true;
}

namespace {
// Ends a window of the client with no answer, as a quit ends it: a box
// tells its caller nobody answered, a dialog or chooser is cancelled, a
// menu or other popup closes.
void endUnanswered(QWidget* window)
{
    if (auto* box = qobject_cast<BkMessageBox*>(window))
        box->done(BkMessageBox::kNoAnswer);
    else if (auto* dialog = qobject_cast<QDialog*>(window))
        dialog->reject();
    else if (window->windowType() == Qt::Popup)
        window->close();
}

// The program's own event loop is the first; every loop above it is the
// exec() of a dialog, menu or chooser, or a wait for a reply, whose caller
// still holds its dialog (often on its stack) and the dialog's parent.
bool onlyTheProgramsLoop()
{
    return QThread::currentThread()->loopLevel() <= 1;
}

// While a sign-out waits for those loops to return, a window the code
// behind them opens ends as soon as it shows.
class EndsWhatOpens : public QObject
{
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && watched->isWidgetType()) {
            auto* widget = static_cast<QWidget*>(watched);
            if (widget->isWindow())
                QTimer::singleShot(0, widget, [widget]() { endUnanswered(widget); });
        }
        return false;
    }
};
}

void CUiManager::endOpenWindows()
{
    QList<QPointer<QWidget>> open;
    // What the idle lock, the boss key or the tray hid is still open, though
    // not visible, and so is a lock screen the boss key hid.
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if ((top->isVisible() || m_lockHidden->contains(top) || m_putAway->contains(top) || top == m_lockScreen.data())
            && top != m_loginDialog.data())
            open.append(top);
    }
    for (const QPointer<QWidget>& window : qAsConst(open)) {
        if (window)
            endUnanswered(window);
    }
}

void CUiManager::logout()
{
    // A sign-out under way takes no second one, whatever its waits let run.
    if (m_signInState == 2 || m_signingOut)
        return;
    const QScopedValueRollback<bool> signingOut(m_signingOut, true);
    // Keys the author typed before the sign-out began may still wait behind
    // the event that ends the session (a reply): they are typed first, and
    // kept with the rest. A window one of them opens ends unanswered.
    {
        EndsWhatOpens ending;
        if (QCoreApplication* app = QCoreApplication::instance())
            app->installEventFilter(&ending);
        if (!PendingInput::deliver())
            qWarning() << "sign-out: the window system did not hand over the input in time";
    }
    // A title box of the tree still open was never confirmed.
    CBookVolumeController::instance()->dropTitleEditing();
    // The author's import ends with the author's session, before the
    // sign-out stores anything: it holds the database's write lock.
    CJobManager::instance()->stopImport();
    // Every dialog, box, menu and chooser of the author ends first, with no
    // answer: none may act for an author who is gone, and a preview one
    // showed is taken back before the settings are stored.
    endOpenWindows();
    keepWordsBeforeSignOut();
    CJobManager::instance()->saveUserData();
    m_signInState = 2;
    m_idleTimer->stop();
    // What the idle lock, the boss key or the tray hid is ended or goes with
    // the windows.
    m_lockHidden->clear();
    m_putAway->clear();
    m_idleLocked = false;
    // The writing window first: it may hold the outline panel's view.
    for (QPointer<QWidget> window : {m_creation, QPointer<QWidget>(m_bookshelf.data())}) {
        if (window) {
            window->hide();
            m_leavingWindows.append(window);
        }
    }
    m_bookshelf.clear();
    m_creation.clear();
    qDebug() << "signed out of the interface; login required";
    emit sig_LoginRequired();
    m_endsWhatOpens = new EndsWhatOpens(this);
    if (QCoreApplication* app = QCoreApplication::instance())
        app->installEventFilter(m_endsWhatOpens);
    // The windows go only once no exec() of theirs is left on the stack:
    // they own dialogs their callers still hold.
    whenUnwound([this]() { finishSignOut(); });
}

void CUiManager::whenUnwound(const std::function<void()>& work)
{
    if (onlyTheProgramsLoop()) {
        work();
        return;
    }
    QTimer::singleShot(20, this, [this, work]() { whenUnwound(work); });
}

void CUiManager::finishSignOut()
{
    if (!m_endsWhatOpens)
        return;
    delete m_endsWhatOpens.data();
    for (const QPointer<QWidget>& window : qAsConst(m_leavingWindows)) {
        if (window)
            window->deleteLater();
    }
    m_leavingWindows.clear();
    // The outline panel's view lived in the windows just released.
    COutlineController::instance()->reset();
    showLoginDialog();
}

void CUiManager::updateUserInfo(const TS_Author_Info* info)
{
    if (m_bookshelf && info)
        m_bookshelf->setUserInfo(*info);
}

void CUiManager::loadUserHeadImg(const QString& fileName)
{
    if (m_bookshelf)
        m_bookshelf->loadUserHeadImg(fileName);
}

void CUiManager::pollingWx(const TS_Author_PollingWx& reply)
{
    // A reply that arrives after the WeChat window or the dialog went is dropped.
    if (m_loginDialog)
        m_loginDialog->pollingWx(reply);
}

void CUiManager::pollingBindWx(const TS_Author_PollingBindWx&)
{
}

T_Book* CUiManager::addBook(const TC_Books_AddBook& request, int row, bool busy)
{
    // The model's book list changes here with or without a bookshelf; the
    // shelf's own model makes the change so its rows stay in step.
    if (m_bookshelf)
        m_bookshelf->bookList()->addBook(request, row, busy);
    else
        CPublicManager::instance()->addBook(request);
    T_Book* book = CPublicManager::instance()->findBookByLocalId(request.header.localBookId);
    if (book)
        book->isImporting = busy;
    return book;
}

void CUiManager::removeBook(int row, const TC_Books_Delete& request)
{
    if (m_bookshelf)
        m_bookshelf->bookList()->removeBook(row, request);
    else
        CPublicManager::instance()->moveBookToRecycle(request.header.localBookId);
}

void CUiManager::insertBook(int row)
{
    if (m_bookshelf)
        m_bookshelf->bookList()->insertRow(row);
    emit sig_BookItemChanged(row);
}

void CUiManager::updateBookItem(int row)
{
    if (m_bookshelf)
        m_bookshelf->bookList()->updateBook(row);
    emit sig_BookItemChanged(row);
}

