#pragma once

#include <functional>

#include "remote/records/AccountRecords.h"
#include "remote/records/BookRecords.h"

#include <QObject>
#include <QPointer>
#include <QSharedPointer>
#include <QStringList>
#include <QVariant>

class Dialog_LoginMain;
class QMenu;
class QSystemTrayIcon;
class QVariant;
class QWidget;
class QTimer;
class QEvent;
class Dialog_Unlock;
class QxtGlobalShortcut;
class Widget_Bookshelf;
struct TS_UpdateOnline;
struct T_Book;
struct T_Chapter;

// The window manager: owns the top-level windows, the tray icon and the
// application-wide font. Managers reach screens only through it.
class CUiManager : public QObject
{
    Q_OBJECT
public:
    static CUiManager* instance();
    ~CUiManager() override;

    // Application font; called before the window manager exists.
    static void initFont();
    void initTray();

    // The current main window (bookshelf or writing window), empty when none.
    QSharedPointer<QWidget> currentWindow() const;
    // What the tray, the boss key and a second start bring back: the login
    // dialog while nobody is signed in, else the current main window.
    QSharedPointer<QWidget> windowToBringBack() const;

    void emitCleanCreationScroll() { emit sig_CleanCreationScroll(); }

    // Rebuilds a text from its paragraphs: empty ones dropped, each opened
    // with two ideographic spaces when indenting, joined by one line feed (two
    // with blank lines). The paragraphs themselves are not trimmed.
    static void formatTextWith(const QString& text, QString& out, bool indent, bool blankLine);

    void showError(const QString& text, int msecs);
    void showSuccess(const QString& text, int msecs);
    void showTips(const QString& text, bool flag, int msecs);
    // The job manager's last change was refused by the database: the author
    // is told what was refused (what), why and what to do. False, telling
    // nothing, when it failed for a reason of its own.
    bool tellRefusedChange(const QString& what);

    QSystemTrayIcon* trayIcon() const { return m_tray; }

    // Set while a text file is being imported as a book; one import at a time.
    bool isBookImporting() const { return m_bookImporting; }
    void setBookImporting(bool importing) { m_bookImporting = importing; }

    // Sign-in state: 0 before the first sign-in, 1 while signed in, 2 after a
    // sign-out. The job manager's after-sign-in start runs once per sign-in.
    int signInState() const { return m_signInState; }
    void setSignInState(int state) { m_signInState = state; }

    // Set while a change-feed pull runs; a new pull starts only while clear.
    int syncRunning() const { return m_syncRunning; }
    void setSyncRunning(int running) { m_syncRunning = running; }
    // Whether the bookshelf shows the sync indicator (not for the automatic sync).
    bool syncIndicatorAllowed() const { return m_syncIndicatorAllowed; }
    void setSyncIndicatorAllowed(bool allowed) { m_syncIndicatorAllowed = allowed; }
    void startSyncAnimation();
    // Ends the indicator with its result and clears the sync-running flag.
    // resultLater: the pass still sends edits it held for its feed, and its
    // result waits for them (tellSyncResult); only the flag is cleared now.
    void stopSyncAnimation(bool ok, bool resultLater = false);
    // The result a pass held for its edits after the feed, now that they are
    // answered (ok: none failed or was refused). Nothing while none is held.
    void tellSyncResult(bool ok);
    // A change of this machine was refused: a synchronisation whose result
    // is not shown yet ends as a failure.
    void syncMetRefusal();

    // Builds the main user interface after sign-in; false when the start lock
    // sent the user away.
    bool initMain();
    // Signs the user out of the interface: every dialog, box, menu and
    // chooser of the client ends with no answer, and once their exec() has
    // returned the windows go and the login dialog shows. A second call
    // before the next sign-in does nothing.
    void logout();
    // Saves the chapter open in the writing window, if any.
    void saveChapter();
    // At quit: words the editor cannot store go to a recovery file.
    void saveChapterOnQuit();
    // Before a sign-out the author asked for: saves the open chapter; false,
    // with the reason shown, while the editor holds words it cannot store.
    bool signOutKeepsWords();
    // Before a sign-out the program must make: words the editor cannot store
    // go to a recovery file, which the next sign-in points to.
    void keepWordsBeforeSignOut();
    // The editor shows that chapter with words its row does not hold.
    bool holdsUnsavedText(int localChapterId) const;
    // What the author sees of that chapter: the editor's text while the
    // editor shows it (true), whether or not it is stored yet.
    bool shownChapterText(int localChapterId, QString* text) const;
    // Tells the author where texts kept at an earlier failure are, in a box
    // that stays until the author closes it; closed, they are not told again.
    void tellRecoveredText();

    // The bookshelf. The model's book lists change here whether or not the
    // bookshelf is open, so the data stays right with no window.
    // A book just stored under the request's local id: the model's record
    // at the head of the shelf (null for a local id below 1).
    T_Book* addBook(const TC_Books_AddBook& request, int row, bool busy);
    // The book at that row left the shelf for the recycle bin.
    void removeBook(int row, const TC_Books_Delete& request);
    void insertBook(int row);
    void updateBookItem(int row);
    // The platform delivered the chapter's text: the editor reloads it when
    // it shows that chapter.
    void chapterContent(T_Book* book, T_Chapter* chapter);

    // A toast in the current main window, and in a modal dialog over it, once
    // its turn comes: one the author has yet to read is not cut short.
    void showMessage(const QString& text, int kind, int msecs);
    void showDbError(const QString& text);
    // A database fault the author must act on (a damaged file, books that
    // could not be read): a message box that stays until it is closed, over
    // the current main window. Without windows it is only logged.
    void showDbFault(const QString& text);
    class BkMessageBox* dbFaultBox() const;
    // The start-up could not bring the database up: says why, modally,
    // before the program ends.
    static void showStartFailure(const QString& text);
    void updateUserInfo(const TS_Author_Info* info);
    void loadUserHeadImg(const QString& fileName);
    void pollingWx(const TS_Author_PollingWx& reply);
    void pollingBindWx(const TS_Author_PollingBindWx& reply);

public slots:
    // A second instance was started: bring the program's window forward.
    void activeWindows(const QString& message);

signals:
    void sig_CleanCreationScroll();
    void sig_changeSkin();
    void sig_UserNotice(int status, int num);
    void sig_UserSign(int sign, int vipTime, QString msg);
    // The author was signed out of the interface; the login dialog follows.
    void sig_LoginRequired();
    // The bookshelf's sync indicator starts, or ends with its result.
    void sig_SyncAnimation(bool running, bool ok);
    // A bookshelf row changed (title, cover, synchronisation state).
    void sig_BookItemChanged(int row);
    // A message for the author (kind as the toasts have it: 0 error,
    // 1 success, 2 and 3 information), also when no window is open to show it.
    void sig_Message(const QString& text, int kind);

private:
    explicit CUiManager(QObject* parent = nullptr);
    // The editor after a save of its chapter failed with words on screen
    // that no row holds; null when there is none or the save worked.
    class Widget_Creation_Content* editorWithUnstorableWords();
    // Writes the editor's words to a recovery file in the first of the
    // recovery, home and temporary folders that takes them; when none does,
    // offers the author another folder until one does, the author lets them
    // go, or a quit ends the question. The file's path, empty when lost.
    QString keepUnsavedWords(class Widget_Creation_Content* content);
    // The same for words of a book and chapter (or memo) that name them.
    QString keepUnsavedWords(const QString& book, const QString& chapter, const QString& text);

    QSystemTrayIcon* m_tray = nullptr;
    QMenu* m_trayMenu = nullptr;
    bool m_bookImporting = false;
    int m_signInState = 0;
    int m_syncRunning = 0;
    bool m_syncIndicatorAllowed = true;
    // A pass's result held for its edits after the feed, and what it was.
    bool m_syncResultHeld = false;
    bool m_heldSyncOk = false;
    void endSyncIndicator(bool ok);
    // A toast shown in the current main window, and in a modal dialog over
    // it, once its turn has come.
    void presentMessage(const QString& text, int kind, int msecs);
    class ToastTurns* m_toastTurns = nullptr;
    QPointer<class BkMessageBox> m_dbFaultBox;
    QPointer<class BkMessageBox> m_recoveredBox;

    // Ends every open window of the client but the login dialog with no answer.
    void endOpenWindows();
    // The sign-out's end: releases the windows and shows the login dialog.
    void finishSignOut();
    // Runs the work once no event loop but the program's own runs: no
    // exec() of a dialog, menu or chooser and no wait for a reply is on the
    // stack, whose callers may still use the windows the work releases.
    void whenUnwound(const std::function<void()>& work);
    // The signed-out author's windows, until the sign-out releases them.
    QList<QPointer<QWidget>> m_leavingWindows;
    // Set while a sign-out waits: ends what opens meanwhile.
    QPointer<QObject> m_endsWhatOpens;
    // Set while logout() runs.
    bool m_signingOut = false;

    // --- volume/chapter tree: reaching the writing window ---
public:
    // The writing window shows the chapter in its editor (null empties it);
    // without a writing window nothing listens and nothing happens.
    void openChapter(T_Book* book, T_Chapter* chapter) { emit sig_OpenChapter(book, chapter); }
    // The writing window adds the chapter to its chapter tabs.
    void selectChapter(T_Book* book, T_Chapter* chapter) { emit sig_SelectChapter(book, chapter); }
    // Runs the chapter's version history modally over the writing window;
    // nothing without a writing window or a chapter.
    void showTimeMachine(T_Chapter* chapter);
signals:
    void sig_OpenChapter(T_Book* book, T_Chapter* chapter);
    void sig_SelectChapter(T_Book* book, T_Chapter* chapter);

    // --- the login dialog ---
public:
    // The login dialog while it exists, else null.
    Dialog_LoginMain* loginDialog() const;
    // Creates the login dialog on first need and shows it; without a widget
    // application (headless runs) there is nothing to show.
    void showLoginDialog();
    // Hides the login dialog and deletes it 500 ms later, or once no wait of
    // its pages is left on the stack.
    void hideLoginDialog();

private:
    QPointer<Dialog_LoginMain> m_loginDialog;

    // ---- memo windows ----
public:
    // A new memo window stays above the current main window: it becomes a
    // dialog child of it (a free dialog window while there is none).
    void setDialogParent(QWidget* widget);
    // The chapter open in the writing window, which a memo is pinned to;
    // the writing window keeps it up to date (0 = none open).
    void setMemoChapter(int localBookId, int localChapterId);
    int memoLocalBookId() const { return m_memoLocalBookId; }
    int memoLocalChapterId() const { return m_memoLocalChapterId; }
    // Every open memo window stores its text; false, with the reason shown,
    // while one holds text the database refuses.
    bool memosStored();
    // The session or the program ends: every open memo window stores its
    // text, text the database refuses goes to a recovery file, and the
    // windows close.
    void keepMemoWords();

private:
    int m_memoLocalBookId = 0;
    int m_memoLocalChapterId = 0;

    // --- writing tools: sensitive words, time machine, chapter recycle bin ---
public:
    // The chapter shown in the writing window's editor; null without a writing window.
    T_Chapter* currentChapter() const;
    // Makes the writing window's editor show the chapter again with its text
    // reloaded; nothing without a writing window.
    void showChapter(T_Book* book, T_Chapter* chapter);
    // Scans the open editor's text with the sensitive-word matcher; 0 and no
    // scan without a writing window.
    int countSensitiveWords(int flags);
    // Hands a treatment of the last scan's hits to the writing window's
    // editor; nothing without a writing window.
    void sensitiveWordsAction(int treatment);
    // Moves a menu to the mouse cursor; with flag 0 raised by its height where
    // it would pass the bottom of the current main window.
    void moveToCursor(QWidget* menu, int flag);
    // Paragraphs of a text: CR LF made LF, CR, tab and U+3000 removed, split
    // on LF, empty parts dropped.
    static QStringList splitParagraphs(const QString& text);
    // The plain text as one HTML document, one <p> per paragraph, each trimmed
    // and escaped.
    static void chapterToHtml(const QString& content, QString& html, int fontSize, int lineHeight,
                              int textIndent, int margin);

    // --- bookshelf window: built by initMain in a widget application ---
public:
    // The bookshelf while it exists, else null.
    Widget_Bookshelf* bookshelf() const;
    bool isBookshelfMode() const { return m_mainMode == 0; }
    // Forwarded to the bookshelf's page stack.
    void setCurrentPage(int page);
    int currentPage() const { return m_currentPage; }
    void showMinimized();
    // Window-size modes 1 (normal) and 2 (filling the screen) alternate.
    void switchWindowSize();
    void closeWindow();
    // Windows are built only in a widget application; a data-only process
    // (a headless tool or test on QCoreApplication) stays windowless.
    static bool canBuildWindows();

signals:
    // A book was opened for writing.
    void sig_openCreation(T_Book* book);

private:
    bool buildBookshelf();
    QPointer<Widget_Bookshelf> m_bookshelf;
    // 0 bookshelf, 1 writing window.
    int m_mainMode = 0;
    int m_currentPage = 1;

    // --- writing window ---
public:
    // Opens the writing window on the book, creating the window on first use;
    // the bookshelf (when shown) is hidden meanwhile.
    void openCreation(T_Book* book);
    // Saves the open chapter and leaves the writing window.
    void closeCreation();
    class Widget_Creation* creationWindow() const;
    // The writing window's editor while it shows that chapter, else null.
    class Widget_Creation_Content* editorShowing(int localChapterId) const;
    // 0 the bookshelf is the current main window, 1 the writing window.
    int windowMode() const { return m_mainMode; }
    void focusEditor();
    void updateChapterTitle(int localChapterId, const QString& name);
    void editorCopy();
    void editorPaste();
    void editorMoveCursor(int where);
    bool isFullScreen() const;
    bool isLocked() const;
    // The toast on entering full screen: how to leave it, or under the
    // writing lock, what ends the lock.
    QString fullScreenHint() const;
    void setWindowFullScreen(bool on);
    // The locked writing mode lives with the writing-lock dialog; here it
    // only keeps the window on top while a lock is in force. Always in one
    // order: engaged, the window goes on top, then full screen, then takes
    // the keys; released, it leaves full screen, then the top, and a dialog
    // open over it stays above it with the keys. Its toast follows only the
    // last change, so a quick release never shows the lock's goal after it.
    void setWritingLock(bool on, bool notify);
    void setIdleSeconds(int seconds) { m_idleSeconds = seconds; }
    int idleSeconds() const { return m_idleSeconds; }
    void emitCreationScrollTimer() { emit sig_CreationScrollTimer(); }
    QWidget* creationWidget() const;
    void showCreationMessage(const QString& text, int kind, int msecs);
    // Characters that are not blanks, tabs, line breaks or ideographic spaces.
    static int wordCount(const QString& text);
    // The text rebuilt from its paragraphs by the user's indent and blank-line settings.
    static QString formatText(const QString& text);
    // Every paragraph: proportional line height and a top margin of the font size.
    static void setTextFormat(int fontSize, class QTextEdit* edit, double lineSpacing);

signals:
    void sig_Creation_HotKey_Press(class QKeyEvent* event);
    // Every key-down the boss-key object sees, in the window system's own
    // key code. The editor takes typing from its own key events instead.
    void sig_GlobalKeyPressed(int keyCode);
    void sig_CreationScrollTimer();

private:
    // Guarded: the window may be destroyed at sign-out.
    QPointer<QWidget> m_creation;
    int m_idleSeconds = 0;

    // --- tool commands of the writing window ---
signals:
    // A tool item from a tool panel or the editor's context menu; the
    // editor pane carries it out by its tool code.
    void sig_Creation_Btn_Press(struct T_ItemData* item);

    // --- writing lock, reboot dialog and random names (CUiManager_lock.cpp) ---
public:
    // Runs the writing-lock dialog, unless a lock is already in force, and
    // engages the lock when a goal was stored; true when it engaged.
    bool openWritingLock(QWidget* parent);
    // Saves the open chapter, asks shut down / restart / sleep and runs the
    // choice; true only when a command ran and succeeded.
    bool runRebootDialog(QWidget* parent);
    // Tests take the power commands over here; an empty runner restores the real one.
    void setPowerRunner(const std::function<bool(const QString&, const QStringList&)>& runner);
    // Shows the random-name panel, created once under the given parent.
    class Widget_RandomName* showRandomNames(QWidget* parent);
    // For tests: the settings file used in place of the program's own
    // (empty gives the program's own back).
    static void setSettingsFile(const QString& path);

private:
    // A lock must come back after a restart: engaging it turns start-up
    // with the system on; releasing it gives back the author's own choice.
    void applyLockStartUp(bool on);
    void tellLockWontSurviveRestart(const QString& settingsFile);
    std::function<bool(const QString&, const QStringList&)> m_powerRunner;
    QPointer<class Widget_RandomName> m_randomNames;

    // ---- settings page: start-up choice, boss key, lock-password dialog ----
public:
    // "<program directory>/data/config/setting.ini".
    static QString settingFilePath();
    // Stores one key of that file; false (logged) when the file cannot be
    // written, the key then reading as the file holds it.
    static bool storeSetting(const QString& key, const QVariant& value);
    // Several keys at once, all or none; an invalid value removes its key.
    static bool storeSettings(const QVariantMap& values);
    void setSettingWidget(QWidget* widget);
    QWidget* settingWidget() const;
    // Runs the lock-password dialog (0 set, 1 change, 2 confirm); the
    // dialog's result, 0 when it cannot be shown. Fills newPassword on accept.
    int runLockPwdDialog(int mode, QWidget* parent, QString* newPassword);
    // Runs the update dialog modally over the current main window; false
    // (nothing shown) while no main window is current.
    bool showUpdateOnline(const TS_UpdateOnline& info);

private:
    QPointer<QWidget> m_settingWidget;
    // ---- end of the settings page block ----

    // --- application lock, boss key, tray, themes, quitting ---
public:
    // True while the lock is (still) in force, false when the caller may go
    // on; type is one PwdLockType bit (1 start, 2 re-show, 4 idle tick).
    bool checkPwdLock(int type);
    // Mouse presses, moves and keys anywhere count as activity for the idle
    // lock; a window of the program that shows brings the tray icon with it.
    bool eventFilter(QObject* watched, QEvent* event) override;
    QTimer* idleTimer() const { return m_idleTimer; }
    class Dialog_Unlock* unlockDialog() const;
    bool isUnlockDialogOpen() const { return m_unlockOpen; }

    // Registers the boss key; false when there is no key object or the
    // system refuses the sequence (the old key is released either way).
    bool setBoosKey(const QString& key);
    class QxtGlobalShortcut* bossKey() const { return m_bossKey; }
    // The boss key: hides every window of the program and the tray icon, or
    // brings back the same windows (those still open) and the tray icon.
    // While a lock screen is up it hides and brings back only that; one
    // closed unanswered comes back as the tray brings it.
    void toggleMainWindow();
    // The main window goes to the tray with every other window of the
    // program; the tray, the boss key and a second start bring them back.
    void putInTray();
    // Tray click and tray menu: the window comes back after the re-show lock.
    void showMainWindow();
    // Geometry of the current window for its size mode; shows it.
    void setWindowSize();

    // Saves, backs up the database and quits 100 ms later; a second request
    // only quits.
    void exitApp();
    // The session is ending (logout, shutdown, a signal from outside): quits
    // as exitApp does, also under the writing lock, which cannot hold the
    // session.
    void endSession();
    // Destroys the windows, the tray icon and its menu while the application
    // object still exists: widgets cannot outlive it. Runs when the event loop
    // ends; a start that ends without one calls it itself.
    void shutdown();
    // Stores the style as the user's, applies it and re-skins the windows.
    void changeSkin(int type);
    // Icon set of the current style: 0 light, 1 dark, 2 green.
    static int skinIconIndex();
    // Asks the platform for the author's notices; the reply sets the
    // bookshelf's community badge through sig_UserNotice.
    void requestNotice();
    void centerWidget(QWidget* w, QWidget* over);

    // The "start with the system" flag of the settings file.
    static bool isExeAuto();
    // Stores the flag and then the session's autostart entry; false, with
    // neither changed and the file that refused in unwritable, when one of
    // them could not be written.
    static bool setExeAuto(bool on, QString* unwritable = nullptr);
    // The settings file's key keeping the author's own start-up choice
    // while a writing lock holds the flag on.
    static QString lockStartUpKey();
    // A dated copy of the database into the backup folder; false when the
    // copy failed (only logged: quitting goes on). The copy is private.
    static bool backupsDb();
    // The author's chosen backup folder, or the default one (made private).
    static QString backupFolder();
    // Takes other users' permissions off the copies found there.
    static void narrowBackups();

public slots:
    void onDockClicked();
    void onOpenUrl(QString url) { Q_UNUSED(url) }

private:
    void initShell();
    void initBoosKey();
    // The start lock of initMain; false when the user was sent away.
    bool runStartLock();
    // The lock's forgotten password: the lock reset and the author signed
    // out of the data; false, with the lock kept and the reason in a box,
    // when the sign-out could not be stored. The interface's sign-out is
    // the caller's.
    bool forgetLockAndSignOut();
    // Runs the lock screen until it is answered: the result kind of
    // Dialog_Unlock, 2 only once the author is signed out of the data (a
    // refused sign-out shows the lock screen again), 1 when the dialog went.
    int runUnlock(const QPointer<class Dialog_Unlock>& dialog);
    // Save the open chapter and the user data, back up, quit after 100 ms.
    void saveAndQuit();
    // Shows the window, out of the task bar, raised and with the keys, and
    // the windows put away with it over it. asLeft: a window the author had
    // minimised before it was put away comes back minimised.
    void bringForward(QWidget* window, bool asLeft = false);
    bool isWindowHidden(const QSharedPointer<QWidget>& window) const;

    QPointer<class Dialog_Unlock> m_unlockDialog;
    bool m_unlockOpen = false;
    // The lock screen in its exec(), whichever lock asks (the start's too).
    QPointer<class Dialog_Unlock> m_lockScreen;
    // The client's windows the idle lock hid; shown again once unlocked.
    class HiddenWindows* m_lockHidden = nullptr;
    // The windows the boss key or a close to the tray put away.
    class HiddenWindows* m_putAway = nullptr;
    // Set from the idle lock's hiding of the windows until it is answered
    // or the author signs out.
    bool m_idleLocked = false;
    // Hides the main window and the client's other windows for the idle lock.
    void hideOwnWindows(QWidget* main);
    QTimer* m_idleTimer = nullptr;
    class QxtGlobalShortcut* m_bossKey = nullptr;
    bool m_bookshelfLockMode = false;
    // Counts the writing lock's changes between on and off: a toast due for
    // an earlier one is dropped.
    int m_lockChanges = 0;
    bool m_lockApplied = false;
    bool m_quitting = false;
    // The session ends the program: its quit waits for nothing.
    bool m_sessionEnding = false;
};
