// The tree's context menus and the import and export of one chapter.

#include "CBookVolumeController.h"
#include "ui/common/FileDialogs.h"

#include "CBookChapterModel.h"
#include "CBookChapterSortModel.h"
#include "CBookVolumeModel.h"
#include "CBookVolumeSortModel.h"

#include "common/AfterHandler.h"
#include "common/ServerClock.h"
#include "db/records/T_Book.h"
#include "manager/CBookJobManager.h"
#include "manager/CJobManager.h"
#include "manager/CUiManager.h"
#include "manager/ImportTextCodec.h"
#include "remote/records/ChapterRecords.h"
#include "remote/records/VolumeRecords.h"
#include "ui/common/BkMessageBox.h"

#include <QApplication>
#include <QDebug>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QQuickWidget>
#include <QSaveFile>
#include <QWidgetAction>

#include <functional>

namespace {
// Chapters last written before this moment (2020-06-15 04:00 UTC) were stored
// without paragraph indents and are given them on the way out.
constexpr int kIndentedTextSince = 1592193600;
constexpr int kOk = 0x400;

// The delete entries are labels, which the style sheet draws on their own.
class MenuItemLabel : public QLabel
{
public:
    MenuItemLabel(const QString& text, std::function<void()> onClick)
        : QLabel(text), m_onClick(std::move(onClick))
    {
        setObjectName(QStringLiteral("menuItem"));
        setMouseTracking(true);
    }

protected:
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        QLabel::mouseReleaseEvent(event);
        if (event->button() == Qt::LeftButton && rect().contains(event->pos()))
            m_onClick();
    }

private:
    std::function<void()> m_onClick;
};

QMenu* makeMenu()
{
    auto* menu = new QMenu();
    menu->setMinimumWidth(140);
    menu->setWindowFlags(Qt::Popup | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint);
    menu->setAttribute(Qt::WA_TranslucentBackground);
    return menu;
}

QWidgetAction* addLabelAction(QMenu* menu, const QString& text, const std::function<void()>& handler)
{
    auto* action = new QWidgetAction(menu);
    action->setText(text);
    action->setDefaultWidget(new MenuItemLabel(text, [menu, action]() {
        menu->close();
        action->trigger();
    }));
    QObject::connect(action, &QAction::triggered, menu, handler);
    menu->addAction(action);
    return action;
}
}

void CBookVolumeController::buildMenus()
{
    if (m_chapterMenu != nullptr)
        return;
    m_chapterMenu = makeMenu();
    m_chapterMenu->addAction(tr("Open New Tag"), this, &CBookVolumeController::onOpenNewTag);
    m_chapterMenu->addAction(tr("Creater Chapter"), this, &CBookVolumeController::onCreateChapter);
    m_chapterMenu->addAction(tr("Rename Chapter"), this, &CBookVolumeController::onRenameChapter);
    m_chapterMenu->addAction(tr("Export"), this, &CBookVolumeController::onExportChapter);
    m_chapterMenu->addAction(tr("Time Machine"), this, &CBookVolumeController::onTimeMachine);
    m_chapterMenu->addSeparator();
    m_upChapter = m_chapterMenu->addAction(tr("Up Chapter"), this, [this]() { stepChapter(false); });
    m_downChapter = m_chapterMenu->addAction(tr("Down Chapter"), this, [this]() { stepChapter(true); });
    m_chapterMenu->addSeparator();
    addLabelAction(m_chapterMenu, tr("Delete Chapter"), [this]() { onDeleteChapter(); });

    m_volumeMenu = makeMenu();
    m_volumeMenu->addAction(tr("Creat Volume"), this, &CBookVolumeController::createNewVolume);
    m_volumeMenu->addAction(tr("Creater Chapter"), this, &CBookVolumeController::onCreateChapter);
    m_volumeMenu->addAction(tr("Rename Volume"), this, &CBookVolumeController::onRenameVolume);
    m_volumeMenu->addAction(tr("Import"), this, &CBookVolumeController::onImportChapter);
    m_volumeMenu->addSeparator();
    m_upVolume = m_volumeMenu->addAction(tr("Up Volume"), this, [this]() { stepVolume(false); });
    m_downVolume = m_volumeMenu->addAction(tr("Down Volume"), this, [this]() { stepVolume(true); });
    m_volumeMenu->addSeparator();
    addLabelAction(m_volumeMenu, tr("Delete Volume"), [this]() { onDeleteVolume(); });
}

QMenu* CBookVolumeController::chapterMenu()
{
    buildMenus();
    return m_chapterMenu;
}

QMenu* CBookVolumeController::volumeMenu()
{
    buildMenus();
    return m_volumeMenu;
}

void CBookVolumeController::openMenu(int type, const QPoint& pos, int localVolumeId, int localChapterId)
{
    runAfterHandler(this, [this, type, pos, localVolumeId, localChapterId]() {
        showMenu(type, pos, localVolumeId, localChapterId);
    });
}

void CBookVolumeController::showMenu(int type, const QPoint& pos, int localVolumeId, int localChapterId)
{
    buildMenus();
    // One menu at a time: a request queued while one is open is dropped.
    if (m_chapterMenu->isVisible() || m_volumeMenu->isVisible())
        return;
    if (type == 0) {
        const int row = shownVolumeRow(localVolumeId);
        if (row < 0 || liveVolume(localVolumeId) == nullptr)
            return;
        m_menuVolumeId = localVolumeId;
        m_menuChapterId = -1;
        m_upVolume->setEnabled(row > 0);
        m_downVolume->setEnabled(row < m_volumeSortModel->rowCount() - 1);
        m_volumeMenu->exec(pos);
        if (m_quickWidget)
            m_quickWidget->update();
        return;
    }
    const T_Chapter* chapter = liveChapter(localChapterId);
    const int row = chapter ? shownChapterRow(chapter->localVolumeId, localChapterId) : -1;
    if (row < 0)
        return;
    m_menuVolumeId = chapter->localVolumeId;
    m_menuChapterId = localChapterId;
    m_upChapter->setEnabled(row > 0);
    m_downChapter->setEnabled(row < m_volumeModel->getChapterModelByLocalId(m_menuVolumeId)->rowCount() - 1);
    m_chapterMenu->exec(pos);
}

void CBookVolumeController::onOpenNewTag()
{
    if (T_Chapter* chapter = liveChapter(m_menuChapterId)) {
        m_uiManager->selectChapter(currentBook(), chapter);
        openChapter(chapter);
    }
}

void CBookVolumeController::onRenameChapter()
{
    // Where the chapter is now: the platform may have moved it meanwhile.
    const T_Chapter* chapter = liveChapter(m_menuChapterId);
    CBookChapterModel* model = chapter ? m_volumeModel->getChapterModelByLocalId(chapter->localVolumeId) : nullptr;
    if (model == nullptr)
        return;
    m_volumeModel->setExpand(chapter->localVolumeId, true);
    model->setItemEditing(model->rowOfLocalId(chapter->localId), true);
}

void CBookVolumeController::onExportChapter()
{
    if (T_Chapter* chapter = liveChapter(m_menuChapterId))
        exportChapter(chapter);
}

void CBookVolumeController::onTimeMachine()
{
    // The history shown is the one of the chapter the menu was opened on,
    // whichever chapter the editor shows.
    if (T_Chapter* chapter = liveChapter(m_menuChapterId))
        m_uiManager->showTimeMachine(chapter);
}

void CBookVolumeController::stepChapter(bool down)
{
    const T_Chapter* chapter = liveChapter(m_menuChapterId);
    const int volume = chapter ? chapter->localVolumeId : 0;
    const int row = chapter ? shownChapterRow(volume, chapter->localId) : -1;
    const int to = down ? row + 1 : row - 1;
    if (row >= 0 && to >= 0 && to < m_volumeModel->getChapterModelByLocalId(volume)->rowCount())
        moveChapter(row, volume, to, volume, down);
}

void CBookVolumeController::onDeleteChapter()
{
    const int localChapterId = m_menuChapterId;
    if (liveChapter(localChapterId) == nullptr)
        return;
    const int answer = BkMessageBox::question(nullptr, tr("Delete Chapter"), tr("delete chapter?"),
                                              tr("OK"), tr("Cancel"), 0);
    // The question ran an event loop of its own: the book and the chapter
    // are looked up again, and a chapter gone meanwhile is left alone.
    T_Book* book = currentBook();
    T_Chapter* chapter = liveChapter(localChapterId);
    if (answer != 0 || chapter == nullptr)
        return;
    const int orderNum = chapter->orderNum;
    const int localVolumeId = chapter->localVolumeId;
    TC_Chapter_Recycle recycle;
    recycle.header.localBookId = chapter->localBookId;
    recycle.header.localVolumeId = localVolumeId;
    recycle.header.localChapterId = localChapterId;
    recycle.status = 0;
    recycle.updateTime = static_cast<int>(currentServerTime());
    if (!m_jobManager->chapter_recycle(recycle)) {
        qWarning() << "chapter not recycled" << localChapterId << m_jobManager->lastError();
        tellRefused(tr("The chapter could not be moved to the recycle bin; it stays where it was."));
        return;
    }

    if (localChapterId == m_localChapterId) {
        T_Chapter* next = nullptr;
        T_Chapter* highest = nullptr;
        for (T_Chapter* candidate : qAsConst(book->chapterList)) {
            if (candidate->localVolumeId != localVolumeId)
                continue;
            if (candidate->orderNum > orderNum && (next == nullptr || candidate->orderNum < next->orderNum))
                next = candidate;
            if (highest == nullptr || candidate->orderNum > highest->orderNum)
                highest = candidate;
        }
        if (next == nullptr)
            next = highest;
        if (next != nullptr && m_volumeModel)
            m_volumeModel->selectChapterByLocalId(next->localVolumeId, next->localId);
        makeCurrentAndOpen(book, next);
    }
    dropChapterItem(book, localChapterId);
}

void CBookVolumeController::onRenameVolume()
{
    if (liveVolume(m_menuVolumeId) != nullptr)
        m_volumeModel->setVolumeEditing(m_volumeModel->rowOfLocalId(m_menuVolumeId), true);
}

void CBookVolumeController::stepVolume(bool down)
{
    const int row = liveVolume(m_menuVolumeId) ? shownVolumeRow(m_menuVolumeId) : -1;
    const int to = down ? row + 1 : row - 1;
    if (row >= 0 && to >= 0 && to < m_volumeSortModel->rowCount())
        moveVolume(row, to, 1);
}

void CBookVolumeController::onDeleteVolume()
{
    const int localVolumeId = m_menuVolumeId;
    if (liveVolume(localVolumeId) == nullptr)
        return;
    const int answer = BkMessageBox::question(nullptr, tr("Delete Volume"), tr("delete volume?"),
                                              tr("OK"), tr("Cancel"), 0);
    // Looked up again after the question's own event loop.
    T_Book* book = currentBook();
    T_Volume* volume = liveVolume(localVolumeId);
    if (answer != 0 || volume == nullptr)
        return;
    TC_Volume_Delete request(*volume, 0, static_cast<int>(currentServerTime()));
    if (!m_jobManager->volume_del_restore(request)) {
        qWarning() << "volume not deleted" << volume->localId << m_jobManager->lastError();
        tellRefused(tr("The volume could not be deleted; it stays where it was."));
        return;
    }
    m_volumeModel->removeVolume(*volume);
    if (!m_volumeModel->hasSelectedChapter()) {
        m_localChapterId = 0;
        m_uiManager->openChapter(book, nullptr);
    }
}

// The menu's entries act on the volume the menu was opened on, which need
// not be the selected one.
void CBookVolumeController::onCreateChapter()
{
    createChapterIn(m_menuVolumeId > 0 ? m_menuVolumeId : -1);
}

void CBookVolumeController::onImportChapter()
{
    QString text;
    importChapter(text, m_menuVolumeId > 0 ? m_menuVolumeId : -1);
}

bool CBookVolumeController::importChapter(QString& text, int localVolumeId)
{
    if (currentBook() == nullptr)
        return false;
    const QString path =
        FileDialogs::openFile(nullptr, tr("import chapter"), FileDialogs::ChapterImport, FileDialogs::textFilter());
    if (path.isEmpty())
        return false;
    if (importChapterFile(path, text, localVolumeId))
        return true;
    BkMessageBox::information(nullptr, tr("error"), m_lastError, kOk);
    return false;
}

bool CBookVolumeController::importChapterFile(const QString& path, QString& text, int localVolumeId)
{
    T_Book* book = currentBook();
    if (book == nullptr) {
        m_lastError = tr("no book open");
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_lastError = tr("open file failed");
        return false;
    }
    if (!file.isReadable()) {
        m_lastError = tr("read file failed");
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        m_lastError = tr("read file failed");
        return false;
    }
    file.close();
    QString decoded;
    if (!decodeImportText(bytes, decoded)) {
        m_lastError = tr("unknown encoding");
        return false;
    }
    // Text copied from a web page keeps its tags and entities: cleaned as a
    // whole book's import cleans them.
    CBookJobManager::htmlToPlainText(decoded);

    qDebug() << "begin import chapter";
    m_lastError.clear();
    T_Chapter* chapter = addChapterAtEnd(book, localVolumeId);
    if (chapter == nullptr) {
        // No chapter to take the text: the open chapter keeps its own.
        if (m_lastError.isEmpty())
            m_lastError = tr("select volume");
        return false;
    }
    text = decoded;
    // Stored at once: the file's text is the author's work as soon as the
    // import says it succeeded.
    qDebug() << "save import chapter";
    TC_Chapter_Edit_Content save;
    save.header.localBookId = chapter->localBookId;
    save.header.localChapterId = chapter->localId;
    save.content = text;
    save.updateTime = static_cast<int>(currentServerTime());
    save.isSendToSrv = true;
    if (!m_jobManager->chapter_edit_content(save)) {
        m_lastError = m_jobManager->refusedText(tr("The imported text could not be stored; the new chapter stays "
                                                   "empty."));
        return false;
    }
    book->calcWordCount();
    m_jobManager->moveBookToFront(book, true);
    openInEditor(book, chapter);
    return true;
}

void CBookVolumeController::exportChapter(T_Chapter* chapter)
{
    if (currentBook() == nullptr)
        return;
    if (chapter == nullptr) {
        BkMessageBox::information(nullptr, tr("import failed"), tr("select chapter"), kOk);
        return;
    }
    const int localChapterId = chapter->localId;
    const QString proposed = chapter->name.isEmpty() ? QStringLiteral("chapter") : chapter->name;
    const QString path = FileDialogs::saveTextFile(nullptr, tr("save local"), proposed,
                                                   FileDialogs::textFilter());
    // The chooser ran an event loop of its own: a chapter deleted for good
    // meanwhile is not there to export.
    const T_Book* book = currentBook();
    chapter = book ? book->findChapterByLocalId(localChapterId) : nullptr;
    if (path.isEmpty() || chapter == nullptr)
        return;
    if (!exportChapterTo(chapter, path))
        BkMessageBox::information(nullptr, tr("create failed"), m_lastError, kOk);
}

bool CBookVolumeController::exportChapterTo(T_Chapter* chapter, const QString& path)
{
    if (currentBook() == nullptr) {
        m_lastError = tr("no book open");
        return false;
    }
    if (chapter == nullptr) {
        m_lastError = tr("select chapter");
        return false;
    }
    // The words on screen are exported as they stand, whether the last
    // minute of them is stored yet or not.
    QString text;
    if (!m_uiManager->shownChapterText(chapter->localId, &text)) {
        if (!chapter->contentLoaded && !m_jobManager->getChapterContent(chapter)) {
            m_lastError = tr("read chapter failed");
            return false;
        }
        text = chapter->content;
    }
    if (chapter->updateTime < kIndentedTextSince && chapter->createTime < kIndentedTextSince) {
        QString formatted;
        CUiManager::formatTextWith(text, formatted, true, false);
        text = formatted;
    }
    // Through a temporary file: a failed export leaves an earlier file whole.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        m_lastError = tr("create power");
        return false;
    }
    const QByteArray bytes = text.toUtf8();
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        m_lastError = tr("write file failed");
        return false;
    }
    return true;
}
