#include "Widget_Creation_Content.h"

#include "Creation_TextEdit.h"
#include "Dialog_Remuneration.h"
#include "EditorMarks.h"
#include "Widget_Creation_Bottom.h"
#include "common/CLCustomEvent.h"
#include "common/CMessageDispatcher.h"
#include "common/DPIAdapter.h"
#include "common/ServerClock.h"
#include "common/Utility.h"
#include "db/records/T_Book.h"
#include "db/records/T_Chapter.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "manager/CQssManager.h"
#include "manager/CUiManager.h"
#include "ui/common/CColorDialog.h"

#include <QApplication>
#include <QClipboard>
#include <QDebug>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextFrame>
#include <QTimer>
#include <QVBoxLayout>

namespace {
// Ids the tool bar sends; 1008 belongs to the tool bar alone.
const quint16 kBusIds[] = {1001, 1002, 1003, 1004, 1005, 1006, 1007, 1009, 1010,
                           1011, 1012, 1013, 1014, 1015, 1016, 1017, 1018};
// Saves in a row that only met the write lock before the author is told: the
// ticks of a few seconds.
const int kQuietLockedSaves = 10;
}

Widget_Creation_Content::Widget_Creation_Content(QWidget* parent)
    : QWidget(parent),
      m_jobs(CJobManager::instance()),
      m_public(CPublicManager::instance()),
      m_ui(CUiManager::instance()),
      m_settings(CPublicManager::instance()->userConf.creationConf),
      m_writing(CPublicManager::instance()->writing)
{
    setObjectName(QStringLiteral("Widget_Creation_Content"));
    setAttribute(Qt::WA_StyledBackground);
    resize(669, 468);
    auto* outer = new QHBoxLayout(this);
    outer->setObjectName(QStringLiteral("horizontalLayout_2"));
    outer->setSpacing(0);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* content = new QWidget(this);
    content->setObjectName(QStringLiteral("widget_creation_content"));
    outer->addWidget(content);
    auto* column = new QVBoxLayout(content);
    column->setObjectName(QStringLiteral("verticalLayout_2"));
    column->setSpacing(0);
    column->setContentsMargins(0, 0, 0, 0);
    auto* editArea = new QWidget(content);
    editArea->setObjectName(QStringLiteral("widget_creation_textedit"));
    auto* editLayout = new QHBoxLayout(editArea);
    editLayout->setObjectName(QStringLiteral("horizontalLayout"));
    editLayout->setSpacing(0);
    editLayout->setContentsMargins(0, 0, 0, 0);
    m_edit = new Creation_TextEdit(editArea);
    m_edit->setObjectName(QStringLiteral("tedit_creation"));
    m_edit->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    m_edit->setContextMenuPolicy(Qt::NoContextMenu);
    m_edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_edit->setAcceptRichText(false);
    m_marks = new EditorMarks(m_edit);
    editLayout->addWidget(m_edit);
    column->addWidget(editArea, 1);
    auto* line = new QWidget(content);
    line->setObjectName(QStringLiteral("CommonLine"));
    line->setFixedHeight(1);
    column->addWidget(line);

    m_bottom = new Widget_Creation_Bottom(content);
    m_bottom->setObjectName(QStringLiteral("widget_creation_bottom_origin"));
    m_bottom->setFixedHeight(int(39 * DPIAdapter::instance()->scale()));
    column->addWidget(m_bottom);

    m_timer = new QTimer(this);
    m_timer->setInterval(1000);
    connect(m_timer, &QTimer::timeout, this, &Widget_Creation_Content::onCreationTimer);
    connect(m_bottom, &Widget_Creation_Bottom::sig_openSetMoneyDlg, this, &Widget_Creation_Content::on_OpenSetMoneyDlg);
    connect(m_edit, &QTextEdit::textChanged, this, &Widget_Creation_Content::onTextChanged);
    initFocusMode();
    connect(m_ui, &CUiManager::sig_Creation_Btn_Press, this, &Widget_Creation_Content::creation_btnPress,
            Qt::DirectConnection);
    connect(m_edit, &Creation_TextEdit::sig_fontColor, this, [this]() { creation_command(25, QString(), QString()); });
    connect(m_ui, &CUiManager::sig_Creation_HotKey_Press, this, &Widget_Creation_Content::creation_hotKeyPress);
    connect(m_edit, &QTextEdit::selectionChanged, this, [this]() {
        const QString selected = m_edit->textCursor().selectedText();
        m_writing.selectedWords = CUiManager::wordCount(selected);
        refreshBottom();
        CMessageDispatcher::instance()->PostBkMessage(1101, !selected.isEmpty());
    });
    connect(m_edit, &QTextEdit::undoAvailable, this,
            [](bool on) { CMessageDispatcher::instance()->PostBkMessage(1103, on); });
    connect(m_edit, &QTextEdit::redoAvailable, this,
            [](bool on) { CMessageDispatcher::instance()->PostBkMessage(1104, on); });
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this,
            [this]() { CMessageDispatcher::instance()->PostBkMessage(1102, m_edit->canPaste()); });
    m_edit->installEventFilter(this);
    // Text colours come from the theme unless the author chose one.
    connect(m_ui, &CUiManager::sig_changeSkin, this, [this]() {
        applyTextStyle();
        onCurrentLine();
    });

    for (quint16 id : kBusIds)
        CMessageDispatcher::instance()->Register(id, this);
    m_edit->setEnabled(false);
}

Widget_Creation_Content::~Widget_Creation_Content()
{
    for (quint16 id : kBusIds)
        CMessageDispatcher::instance()->UnRegister(id, this);
    delete m_searchDialog;
}

bool Widget_Creation_Content::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_edit && (event->type() == QEvent::KeyPress || event->type() == QEvent::InputMethod)) {
        // Marks are for looking, not for writing: the first key takes them off.
        if (m_marked)
            clearHighlights();
        if (m_ui->isFullScreen())
            emit sig_full_editing();
    }
    return QWidget::eventFilter(watched, event);
}

QString Widget_Creation_Content::toPlainText() const
{
    return currentText();
}

const QString& Widget_Creation_Content::currentText() const
{
    if (m_textSerial != m_edit->editSerial()) {
        m_text = m_edit->writtenText();
        m_textSerial = m_edit->editSerial();
    }
    return m_text;
}

int Widget_Creation_Content::currentWordCount() const
{
    return m_edit->wordCount();
}

void Widget_Creation_Content::setEditFocus()
{
    m_edit->setFocus(Qt::OtherFocusReason);
}

bool Widget_Creation_Content::isTickRunning() const
{
    return m_timer->isActive();
}

T_Book* Widget_Creation_Content::currentBook() const
{
    return m_localBookId > 0 ? m_public->findBookByLocalId(m_localBookId) : nullptr;
}

T_Chapter* Widget_Creation_Content::currentChapter() const
{
    if (m_localChapterId < 1)
        return nullptr;
    const T_Book* book = currentBook();
    return book != nullptr ? book->findChapterByLocalId(m_localChapterId) : nullptr;
}

bool Widget_Creation_Content::holdsUnsavedText() const
{
    // Words on their way to the disk count as saved once they are there.
    m_jobs->settleChapterSave();
    if (m_localChapterId < 1 || m_savedSerial == m_edit->editSerial())
        return false;
    const T_Chapter* chapter = currentChapter();
    return chapter == nullptr || currentText() != chapter->content;
}

bool Widget_Creation_Content::showChapter(T_Book* book, T_Chapter* chapter, bool reloadFromRecord)
{
    if (book == nullptr || chapter == nullptr) {
        // Whatever the editor held belongs to the chapter it showed.
        if (!saveChapter(true))
            return false;
        dropChapter();
        return true;
    }
    qDebug() << "showChapter" << book->bookName << chapter->name;
    const bool same = book->localId == m_localBookId && chapter->localId == m_localChapterId;
    if (!reloadFromRecord && !chapter->contentLoaded && !m_jobs->getChapterContent(chapter)) {
        // The shown chapter stays current and on screen: emptying the
        // editor here would let the next save wipe that chapter.
        qWarning() << "getChapterContent db error!";
        m_ui->showError(tr("The chapter could not be read"), 2000);
        return false;
    }
    // The shown chapter is saved even when it is chosen again: its text is
    // about to be replaced by the record's. A reload of the same chapter
    // comes after its caller stored the editor's words.
    if ((!reloadFromRecord || !same) && !saveChapter(true)) {
        m_ui->showError(tr("The chapter could not be saved; it stays open so that no word is lost"), 3000);
        return false;
    }
    if (reloadFromRecord && same && holdsUnsavedText())
        return false;
    m_chapterShown = false;
    m_edit->setEnabled(true);

    m_writing.active = false;
    m_writing.started = false;
    m_writing.idleSeconds = 0;
    m_writing.bucketWords = 0;
    m_writing.changedWords = 0;
    m_writing.selectedWords = 0;
    m_writing.lastWordCount = chapter->wordCount;

    m_localBookId = book->localId;
    m_localChapterId = chapter->localId;
    m_bookName = book->bookName;
    m_chapterName = chapter->name;
    m_public->userConf.curBookLocalId = book->localId;
    m_public->userConf.curChapterLocalId = chapter->localId;
    m_ui->setMemoChapter(book->localId, chapter->localId);
    m_public->feeRate = book->money;

    setChapterText(chapter->content, true);
    onCreationTimer();
    if (!m_timer->isActive())
        m_timer->start();
    m_chapterShown = true;
    recentreLater(20);
    return true;
}

void Widget_Creation_Content::dropChapter()
{
    m_chapterShown = false;
    m_localChapterId = 0;
    m_chapterName.clear();
    m_edit->clear();
    m_savedSerial = m_edit->editSerial();
    m_edit->setEnabled(false);
}

void Widget_Creation_Content::setChapterText(const QString& text, bool copyBack)
{
    // A lone "|" is how an empty chapter is stored by older clients. A row
    // written before control characters were kept out shows without them.
    const QString shown = text == QLatin1String("|") ? QString() : withoutControlChars(text);
    if (m_marked)
        clearHighlights();
    stopRecentring();
    setFormattedText(shown);
    if (copyBack) {
        if (T_Chapter* chapter = currentChapter())
            chapter->content = m_edit->writtenText();
    }
    m_savedSerial = m_edit->editSerial();
    m_edit->setFocus(Qt::OtherFocusReason);
    m_followCaret = true;
    m_edit->moveCursor(QTextCursor::End);
    if (!m_settings.isFocusing)
        m_edit->verticalScrollBar()->setValue(m_edit->verticalScrollBar()->maximum());
}

bool Widget_Creation_Content::takeStoredText()
{
    const T_Chapter* chapter = currentChapter();
    // A lone "|" and control characters are what setChapterText handles.
    if (chapter == nullptr || !m_chapterShown || m_savedSerial != m_edit->editSerial()
        || chapter->content == QLatin1String("|") || hasControlChars(chapter->content))
        return false;
    // Line breaks of any kind go in as the editor's own; the record keeps the
    // stored text as it is, and nothing is saved until the author edits.
    const QString text = Creation_TextEdit::asWritten(chapter->content);
    const QString shown = currentText();
    // The common start and end stay.
    const int shorter = qMin(text.size(), shown.size());
    int head = 0;
    while (head < shorter && text.at(head) == shown.at(head))
        ++head;
    int tail = 0;
    while (tail < shorter - head && text.at(text.size() - 1 - tail) == shown.at(shown.size() - 1 - tail))
        ++tail;
    if (m_marked)
        clearHighlights();
    if (head + tail < text.size() || head + tail < shown.size()) {
        QTextCursor cursor(m_edit->document());
        cursor.beginEditBlock();
        cursor.setPosition(head);
        cursor.setPosition(shown.size() - tail, QTextCursor::KeepAnchor);
        cursor.insertText(text.mid(head, text.size() - head - tail));
        cursor.endEditBlock();
    }
    // The editor now reads back exactly the stored text, counted already.
    m_writing.lastWordCount = chapter->wordCount;
    m_text = text;
    m_textSerial = m_edit->editSerial();
    m_savedSerial = m_edit->editSerial();
    m_edit->moveCursor(QTextCursor::End);
    if (!m_settings.isFocusing)
        m_edit->verticalScrollBar()->setValue(m_edit->verticalScrollBar()->maximum());
    return true;
}

bool Widget_Creation_Content::saveChapter(bool withStatistics)
{
    // A save under way on the worker ends first: the record holds its text
    // only then.
    m_jobs->settleChapterSave();
    TC_Chapter_Edit_Content request;
    const SaveStart start = startSave(withStatistics, &request);
    if (start != SaveStart::Ready)
        return start == SaveStart::NothingToSave;
    // The job manager stores row and job together and sets the record's
    // content only then, so a failed save is tried again at the next tick.
    const quint64 serial = m_edit->editSerial();
    if (!m_jobs->chapter_edit_content(request)) {
        saveFailed();
        return false;
    }
    savedUpTo(serial);
    return true;
}

bool Widget_Creation_Content::saveChapterInBackground()
{
    // Not saved now; the next tick asks again.
    if (m_jobs->chapterSaveRunning())
        return false;
    TC_Chapter_Edit_Content request;
    const SaveStart start = startSave(true, &request);
    if (start != SaveStart::Ready)
        return start == SaveStart::NothingToSave;
    const quint64 serial = m_edit->editSerial();
    const int localChapterId = m_localChapterId;
    const QPointer<Widget_Creation_Content> self(this);
    return m_jobs->chapter_edit_content_soon(request, [self, localChapterId, serial](bool ok) {
        if (self.isNull())
            return;
        // Showing another chapter saves first, which waits for this save, so
        // the editor still shows the chapter the save was of.
        if (localChapterId == self->m_localChapterId) {
            if (ok) {
                self->m_savedSerial = serial;
                self->m_lockedSaves = 0;
                // This can run inside another piece's use of the database,
                // in the middle of a walk over the books: the book goes to
                // the shelf's front in a turn of its own.
                QTimer::singleShot(0, self, [self]() { self->bookToFront(); });
            } else {
                self->saveFailed();
                // The next tick tries again, in writing or out of it.
                self->m_quietEdit = true;
            }
        }
        emit self->sig_chapterSaved(ok);
    });
}

Widget_Creation_Content::SaveStart Widget_Creation_Content::startSave(bool withStatistics,
                                                                      TC_Chapter_Edit_Content* request)
{
    if (m_localChapterId < 1 || m_savedSerial == m_edit->editSerial())
        return SaveStart::NothingToSave;
    T_Chapter* chapter = currentChapter();
    if (chapter == nullptr) {
        // The record went while the editor still held words for it; they
        // stay in the editor until someone keeps them elsewhere.
        m_ui->showError(tr("The chapter could not be saved"), 2000);
        return SaveStart::Failed;
    }
    const QString& text = currentText();
    if (text == chapter->content) {
        m_savedSerial = m_edit->editSerial();
        return SaveStart::NothingToSave;
    }
    qDebug() << "saveChapter" << chapter->content.size() << text.size();
    T_WriteLock& lock = m_public->userConf.writeLock;
    if (lock.lockType != 0)
        m_jobs->updateLock(m_public->userConf.uid, lock);
    if (withStatistics)
        m_jobs->updateStatictics(m_public->userConf.uid, m_public->statistics, StatisticsWriting);

    request->header.localBookId = chapter->localBookId;
    request->header.localChapterId = chapter->localId;
    request->content = text;
    request->wordCount = currentWordCount();
    request->updateTime = static_cast<int>(currentServerTime());
    request->isSendToSrv = withStatistics;
    return SaveStart::Ready;
}

void Widget_Creation_Content::savedUpTo(quint64 serial)
{
    m_savedSerial = serial;
    m_lockedSaves = 0;
    bookToFront();
}

void Widget_Creation_Content::bookToFront()
{
    if (T_Book* book = currentBook()) {
        book->calcWordCount();
        m_jobs->moveBookToFront(book, true);
    }
}

void Widget_Creation_Content::saveFailed()
{
    qWarning() << "chapter save failed:" << m_jobs->lastError();
    // Another connection had the write lock (an import between two turns):
    // the words stay in the editor and the next tick stores them. A lock
    // that lasts is told like any other failure.
    if (m_jobs->lastWriteMetLock() && ++m_lockedSaves < kQuietLockedSaves)
        return;
    m_lockedSaves = 0;
    m_ui->showError(tr("The chapter could not be saved; the text stays in the editor"), 2000);
}

bool Widget_Creation_Content::closeBook()
{
    // Closing would drop words that are stored nowhere else.
    if (holdsUnsavedText())
        return false;
    m_timer->stop();
    if (m_outlinePanel != nullptr)
        m_outlinePanel->hide();
    m_outlineBall->hide();
    if (T_Book* book = currentBook()) {
        book->calcWordCount();
        m_jobs->moveBookToFront(book, true);
    }
    m_localChapterId = 0;
    m_localBookId = 0;
    m_bookName.clear();
    m_chapterName.clear();
    m_chapterShown = false;
    m_ui->setMemoChapter(0, 0);
    m_edit->clear();
    m_savedSerial = m_edit->editSerial();
    return true;
}

void Widget_Creation_Content::onTextChanged()
{
    if (m_localChapterId < 1 || m_settings.isFocusing)
        return;
    if (m_edit->textCursor().atEnd())
        m_edit->verticalScrollBar()->setValue(m_edit->verticalScrollBar()->maximum());
}

void Widget_Creation_Content::on_OpenSetMoneyDlg()
{
    if (currentBook() == nullptr)
        return;
    Dialog_Remuneration dialog(this);
    dialog.setMoney(currentBook()->money);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const double money = dialog.money();
    // The dialog ran its own loop: the book is looked up again.
    T_Book* book = currentBook();
    if (book == nullptr)
        return;
    // The table first: the shown rate changes only once it is stored.
    if (!m_jobs->updateBookMoney(book->localId, money)) {
        m_ui->showError(tr("The fee rate could not be saved"), 2000);
        return;
    }
    book->money = money;
    m_public->feeRate = money;
    refreshBottom();
}
