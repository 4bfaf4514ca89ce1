#include "CUiManager.h"

#include "ui/bookshelf/Widget_Bookshelf.h"
#include "ui/creation/Widget_Creation_Left.h"
#include "ui/creation/memo/MemoItemManager.h"

#include "common/DPIAdapter.h"
#include "db/records/T_Chapter.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "manager/TextRecovery.h"
#include "ui/common/BkMessageBox.h"
#include "ui/common/FileDialogs.h"
#include "ui/common/NcFramelessHelper.h"
#include "ui/creation/Creation_TextEdit.h"
#include "ui/creation/Widget_Creation.h"
#include "ui/creation/Widget_Creation_Content.h"

#include "platform/WindowPlacement.h"
#include "ui/bookshelf/Widget_Bookshelf.h"

#include <QApplication>
#include <QDebug>
#include <QTimer>
#include <QDesktopWidget>
#include <QDir>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTextBlock>
#include <QTextEdit>

Widget_Creation* CUiManager::creationWindow() const
{
    // Null while the window is being destroyed: once its own destructor has
    // run it is no writing window any more, and nothing may reach it as one.
    return qobject_cast<Widget_Creation*>(m_creation.data());
}

Widget_Creation_Content* CUiManager::editorShowing(int localChapterId) const
{
    const Widget_Creation* writing = creationWindow();
    if (writing == nullptr || localChapterId < 1)
        return nullptr;
    Widget_Creation_Content* content = writing->getContent();
    return content->currentChapterId() == localChapterId ? content : nullptr;
}

QWidget* CUiManager::creationWidget() const
{
    return m_creation.data();
}

void CUiManager::showCreationMessage(const QString& text, int kind, int msecs)
{
    if (Widget_Creation* writing = creationWindow())
        writing->showMessage(text, kind, msecs);
}

void CUiManager::openCreation(T_Book* book)
{
    if (book == nullptr)
        return;
    if (!m_creation) {
        m_creation = new Widget_Creation();
        // Parentless top-level window: the window manager owns it for the run.
        // Created hidden at the main window's size with 1.12 times its
        // height, centred on the screen.
        QSize size = DPIAdapter::instance()->mainWindowSize();
        size.setHeight(int(size.height() * DPIAdapter::kWritingHeightFactor));
        QScreen* screen = QGuiApplication::primaryScreen();
        if (screen)
            size = size.boundedTo(screen->availableGeometry().size());
        creationWindow()->resize(size);
        if (screen) {
            const QRect area = screen->availableGeometry();
            creationWindow()->move(area.center() - QPoint(size.width() / 2, size.height() / 2));
        }
        creationWindow()->setProperty("CG", creationWindow()->geometry());
        // Quitting from the tray or the session must not drop the words typed
        // since the last automatic save.
        connect(qApp, &QCoreApplication::aboutToQuit, this, &CUiManager::saveChapterOnQuit, Qt::UniqueConnection);
        // The chapter tree reaches the window through these two signals.
        connect(this, &CUiManager::sig_OpenChapter, creationWindow(), &Widget_Creation::openChapter);
        connect(this, &CUiManager::sig_SelectChapter, creationWindow(), &Widget_Creation::selectChapter);
    }
    // Memo windows belong to the page they were opened on.
    MemoItemManager::instance()->closeAll();
    if (m_bookshelf) {
        m_bookshelf->closeOutline();
        m_bookshelf->hide();
    }
    m_mainMode = 1;
    m_currentPage = 6;
    // A writing lock keeps its full-screen, always-on-top window whichever
    // book is opened; otherwise the window takes the author's size mode.
    if (isLocked())
        setWritingLock(true, false);
    else if (!isFullScreen())
        setWindowSize();
    creationWindow()->updateFullScreenLayout();
    creationWindow()->setBook(book);
    creationWindow()->show();
    creationWindow()->raise();
    emit sig_openCreation(book);
}

void CUiManager::closeCreation()
{
    Widget_Creation* writing = creationWindow();
    if (writing == nullptr)
        return;
    // The open chapter is saved before anything is torn down; words that
    // cannot be stored keep the window open.
    if (!writing->on_creation_close())
        return;
    emit sig_CleanCreationScroll();
    writing->chapterPane()->closePreview();
    writing->hide();
    MemoItemManager::instance()->closeAll();
    m_mainMode = 0;
    m_currentPage = 1;
    if (m_bookshelf) {
        // The writing lock's window mode carries over to the bookshelf.
        if (isLocked()) {
            if (!m_bookshelfLockMode)
                setWritingLock(true, false);
            m_bookshelf->show();
        } else {
            if (m_bookshelfLockMode)
                setWritingLock(false, false);
            setWindowSize();
        }
        m_bookshelf->raise();
        m_bookshelf->activateWindow();
        m_bookshelf->updateMargins();
        // The notice mark is made fresh whenever the bookshelf comes back.
        requestNotice();
    }
}

void CUiManager::saveChapter()
{
    if (Widget_Creation* writing = creationWindow())
        writing->getContent()->saveChapter(true);
}

Widget_Creation_Content* CUiManager::editorWithUnstorableWords()
{
    Widget_Creation* writing = creationWindow();
    if (writing == nullptr)
        return nullptr;
    Widget_Creation_Content* content = writing->getContent();
    if (content->saveChapter(true) || !content->holdsUnsavedText())
        return nullptr;
    return content;
}

void CUiManager::saveChapterOnQuit()
{
    // The last chance for these words: a file the next start points to.
    if (Widget_Creation_Content* content = editorWithUnstorableWords())
        keepUnsavedWords(content);
}

bool CUiManager::signOutKeepsWords()
{
    // The author's import ends with the session; its write lock would hold
    // up the saves below.
    CJobManager::instance()->stopImport();
    if (!memosStored())
        return false;
    if (editorWithUnstorableWords() == nullptr)
        return true;
    showError(tr("The chapter could not be saved; you stay signed in so that no word is lost"), 3000);
    return false;
}

void CUiManager::keepWordsBeforeSignOut()
{
    // The memo windows go with the session too, before the user's memos do.
    keepMemoWords();
    Widget_Creation_Content* content = editorWithUnstorableWords();
    if (content == nullptr)
        return;
    keepUnsavedWords(content);
    // The windows go with the session: what they held is in the file now
    // (or the author let it go), and no later save may try again.
    content->dropChapter();
}

namespace {
// How the box about words no place would take was ended.
enum class WordsAnswer { ChooseFolder, LoseWords, Closed, Ended };

WordsAnswer askWhereWordsGo(const QString& chapter, const QStringList& refused)
{
    QStringList folders;
    for (const QString& folder : refused)
        folders.append(QDir::toNativeSeparators(folder));
    const QString why = CUiManager::tr("The words of the chapter \"%1\" could not be saved, and they could not be kept "
                                       "on disk in %2 either: the disk may be full or failing. Choose another folder "
                                       "(another disk or a USB stick) to keep them in, or they are lost.")
                            .arg(chapter, folders.join(QStringLiteral(", ")));
    BkMessageBox box(CUiManager::tr("Text not saved"), why);
    QPushButton* choose = box.addButton(CUiManager::tr("Choose another folder"));
    box.addButton(CUiManager::tr("Lose the words"));
    choose->setDefault(true);
    choose->setFocus(Qt::OtherFocusReason);
    // Only a click on a named button is an answer; the author's Escape or
    // close asks again. A box that ended without the author is a quit, after
    // which no box can be shown any more.
    const int result = box.exec();
    if (BkMessageBox::isAnswer(result))
        return result == 0 ? WordsAnswer::ChooseFolder : WordsAnswer::LoseWords;
    return result == BkMessageBox::kNoAnswer ? WordsAnswer::Ended : WordsAnswer::Closed;
}
}

QString CUiManager::keepUnsavedWords(Widget_Creation_Content* content)
{
    return keepUnsavedWords(content->shownBookName(), content->shownChapterName(), content->toPlainText());
}

QString CUiManager::keepUnsavedWords(const QString& book, const QString& chapter, const QString& text)
{
    // The words are the signed-in author's: that author's next sign-in names the file.
    const int uid = CPublicManager::instance()->userInfo.uid;
    // Nobody is asked while a place the next start looks in takes the words.
    QString path = TextRecovery::keepSomewhere(uid, book, chapter, text);
    QStringList refused = TextRecovery::fallbackFolders();
    while (path.isEmpty()) {
        // The words are about to go with the program or the session: the
        // author hears it while another disk can still take them.
        const WordsAnswer answer = askWhereWordsGo(chapter, refused);
        if (answer == WordsAnswer::LoseWords)
            break;
        if (answer == WordsAnswer::ChooseFolder) {
            const QString folder = FileDialogs::existingFolder(nullptr, tr("Keep the words in"), QString());
            if (!folder.isEmpty()) {
                refused = QStringList{folder};
                path = TextRecovery::keepIn(folder, book, chapter, text);
            }
            continue;
        }
        // No answer never lets the words go; a place may have room by now.
        path = TextRecovery::keepSomewhere(uid, book, chapter, text);
        refused = TextRecovery::fallbackFolders();
        // The program must end.
        if (answer == WordsAnswer::Ended)
            break;
    }
    if (path.isEmpty())
        qCritical() << "unsaved chapter text could not be kept on disk";
    else
        qWarning() << "unsaved chapter text kept in" << path;
    return path;
}

bool CUiManager::holdsUnsavedText(int localChapterId) const
{
    const Widget_Creation_Content* content = editorShowing(localChapterId);
    return content != nullptr && content->holdsUnsavedText();
}

bool CUiManager::shownChapterText(int localChapterId, QString* text) const
{
    const Widget_Creation_Content* content = editorShowing(localChapterId);
    if (content == nullptr)
        return false;
    if (text != nullptr)
        *text = content->toPlainText();
    return true;
}

void CUiManager::tellRecoveredText()
{
    // Only the signed-in author's files, and files whose author is unknown.
    const int uid = CPublicManager::instance()->userInfo.uid;
    const QStringList files = TextRecovery::untold(uid);
    if (files.isEmpty() || !canBuildWindows())
        return;
    // A box, not a toast: no later message may take its place before the
    // author has read where the words are. Until it is closed the files stay
    // untold, and a start after a crash or a quit names them again.
    if (!m_recoveredBox) {
        m_recoveredBox = new BkMessageBox(tr("Text not saved"), QString(), currentWindow().data());
        m_recoveredBox->addStandardButton(QMessageBox::Ok);
        m_recoveredBox->setDefaultButton(QMessageBox::Ok);
        m_recoveredBox->setAttribute(Qt::WA_DeleteOnClose);
        BkMessageBox* box = m_recoveredBox.data();
        // Read: the author's OK, Escape or close, not a box ended by a quit
        // or a sign-out. Read by the author it was shown to.
        connect(box, &QDialog::finished, this, [box](int result) {
            if (result == QMessageBox::Ok || result == BkMessageBox::kEscape
                || result == BkMessageBox::kClosedByTitleBar)
                TextRecovery::markTold(box->property("uid").toInt(), box->property("files").toStringList());
        });
    }
    m_recoveredBox->setProperty("uid", uid);
    m_recoveredBox->setProperty("files", files);
    m_recoveredBox->setText(
        tr("Text that could not be saved last time was kept in %1").arg(files.join(QLatin1Char('\n'))));
    m_recoveredBox->show();
    m_recoveredBox->raise();
}

void CUiManager::chapterContent(T_Book* book, T_Chapter* chapter)
{
    // The platform replaced the text: the editor shows it only when it shows
    // that very chapter (its unsent words were kept beside it as a copy).
    // Words the editor could not store stay on screen instead.
    Widget_Creation_Content* content = chapter != nullptr ? editorShowing(chapter->localId) : nullptr;
    if (content != nullptr && !content->holdsUnsavedText())
        content->showChapter(book, chapter, true);
}

void CUiManager::showChapter(T_Book* book, T_Chapter* chapter)
{
    if (Widget_Creation* writing = creationWindow())
        writing->getContent()->showChapter(book, chapter, false);
}

void CUiManager::focusEditor()
{
    if (Widget_Creation* writing = creationWindow())
        writing->getContent()->setEditFocus();
}

void CUiManager::updateChapterTitle(int localChapterId, const QString& name)
{
    if (Widget_Creation* writing = creationWindow())
        writing->renameChapterTab(localChapterId, name);
}

T_Chapter* CUiManager::currentChapter() const
{
    const Widget_Creation* writing = creationWindow();
    return writing ? writing->getContent()->currentChapter() : nullptr;
}

void CUiManager::editorCopy()
{
    Widget_Creation* writing = creationWindow();
    if (writing != nullptr && m_mainMode == 1)
        writing->getContent()->copy();
}

void CUiManager::editorPaste()
{
    Widget_Creation* writing = creationWindow();
    if (writing != nullptr && m_mainMode == 1)
        writing->getContent()->paste();
}

void CUiManager::editorMoveCursor(int where)
{
    Widget_Creation* writing = creationWindow();
    if (writing != nullptr && m_mainMode == 1)
        writing->getContent()->moveCursorToEdge(where);
}

bool CUiManager::isFullScreen() const
{
    const QSharedPointer<QWidget> window = currentWindow();
    return window && window->windowState().testFlag(Qt::WindowFullScreen);
}

QString CUiManager::fullScreenHint() const
{
    // Under the writing lock Esc is refused: the author learns what ends it.
    const T_WriteLock& lock = CPublicManager::instance()->userConf.writeLock;
    if (lock.lockType == 1)
        return tr("Writing lock: it ends by itself once %1 words are written").arg(lock.lockWords);
    if (lock.lockType == 2)
        return tr("Writing lock: it ends by itself after %1 minutes of writing").arg(lock.lockTime);
    return tr("turn off the full screen by pressing esc key.");
}

bool CUiManager::isLocked() const
{
    return CPublicManager::instance()->userConf.writeLock.lockType != 0;
}

void CUiManager::setWindowFullScreen(bool on)
{
    const QSharedPointer<QWidget> window = currentWindow();
    if (!window)
        return;
    const Qt::WindowStates previous = window->windowState();
    window->showNormal();
    Qt::WindowStates state;
    if (on) {
        state = previous == Qt::WindowMaximized ? (Qt::WindowMaximized | Qt::WindowFullScreen)
                                                : Qt::WindowStates(Qt::WindowFullScreen);
        // Under the writing lock Esc is refused; the lock tells its own goal.
        // A window that left full screen meanwhile needs no hint.
        QTimer::singleShot(500, this, [this]() {
            if (!isLocked() && isFullScreen())
                showMessage(fullScreenHint(), 1, 3000);
        });
    } else {
        // Clearing, not toggling: leaving full screen twice must not enter it.
        state = previous & ~Qt::WindowFullScreen;
    }
    window->setWindowState(state);
    qDebug() << "window state" << state;
    if (m_bookshelf)
        m_bookshelf->updateMargins();
    if (Widget_Creation* writing = creationWindow())
        writing->updateFullScreenLayout();
}

void CUiManager::setWritingLock(bool on, bool notify)
{
    const QSharedPointer<QWidget> window = currentWindow();
    if (!window)
        return;
    // A lock must come back after a restart: engaging it turns start-up with
    // the system on; releasing it gives the author's own choice back.
    applyLockStartUp(on);
    if (m_bookshelf && window.data() == m_bookshelf.data())
        m_bookshelfLockMode = on;
    if (on) {
        WindowPlacement::setAlwaysOnTop(window.data(), true);
        setWindowFullScreen(true);
        window->raise();
    } else {
        setWindowFullScreen(false);
        WindowPlacement::setAlwaysOnTop(window.data(), false);
    }
    // A dialog the author has open over the window stays over it, with the
    // keys; else a locked window has them.
    QWidget* modal = QApplication::activeModalWidget();
    if (modal != nullptr && modal->isVisible() && modal != window.data()) {
        modal->raise();
        modal->activateWindow();
    } else if (on) {
        window->activateWindow();
    }
    if (on != m_lockApplied)
        ++m_lockChanges;
    m_lockApplied = on;
    const int change = m_lockChanges;
    if (notify) {
        const QString text = on ? fullScreenHint() : tr("Client close locked");
        QTimer::singleShot(500, this, [this, text, on, change]() {
            if (change == m_lockChanges)
                showMessage(text, 1, on ? 3000 : 1000);
        });
    }
}

int CUiManager::wordCount(const QString& text)
{
    return T_Chapter::countWords(text);
}

QString CUiManager::formatText(const QString& text)
{
    const T_CreationConf& conf = CPublicManager::instance()->userConf.creationConf;
    QString normalised = text;
    normalised.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    normalised.remove(QLatin1Char('\r'));
    normalised.remove(QLatin1Char('\t'));
    normalised.remove(QChar(0x3000));
    QStringList paragraphs;
    for (const QString& part : normalised.split(QLatin1Char('\n'))) {
        const QString trimmed = part.trimmed();
        if (!trimmed.isEmpty())
            paragraphs.append(conf.isIndent ? QString(2, QChar(0x3000)) + trimmed : trimmed);
    }
    return paragraphs.join(conf.isSpaces ? QStringLiteral("\n\n") : QStringLiteral("\n"));
}

void CUiManager::setTextFormat(int fontSize, QTextEdit* edit, double lineSpacing)
{
    if (edit == nullptr)
        return;
    QTextCursor cursor(edit->document());
    cursor.select(QTextCursor::Document);
    QTextBlockFormat format;
    format.setLineHeight(lineSpacing * 100, QTextBlockFormat::ProportionalHeight);
    format.setTopMargin(fontSize);
    cursor.mergeBlockFormat(format);
}
