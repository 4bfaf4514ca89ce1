#include "CBookVolumeController.h"

#include "CBookChapterModel.h"
#include "CBookChapterSortModel.h"
#include "CBookVolumeModel.h"
#include "CBookVolumeSortModel.h"

#include "common/ChineseNumerals.h"
#include "common/DPIAdapter.h"
#include "common/ServerClock.h"
#include "common/StyleType.h"
#include "db/records/T_Book.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "manager/CQssManager.h"
#include "manager/CUiManager.h"
#include "remote/records/ChapterRecords.h"
#include "remote/records/VolumeRecords.h"
#include "ui/common/HiddenWindows.h"

#include <QDebug>
#include <QGuiApplication>
#include <QMenu>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickWidget>
#include <QQuickWindow>
#include <QTimer>
#include <QWindow>

#include <algorithm>

CBookVolumeController::CBookVolumeController(QObject* parent)
    : QObject(parent),
      m_jobManager(CJobManager::instance()),
      m_uiManager(CUiManager::instance()),
      m_publicManager(CPublicManager::instance())
{
    connect(m_uiManager, &CUiManager::sig_changeSkin, this, &CBookVolumeController::sigTheme);
}

CBookVolumeController::~CBookVolumeController()
{
    delete m_chapterMenu;
    delete m_volumeMenu;
}

CBookVolumeController* CBookVolumeController::instance()
{
    static CBookVolumeController* controller = new CBookVolumeController();
    return controller;
}

void CBookVolumeController::ensureModels()
{
    if (!m_volumeModel)
        m_volumeModel = new CBookVolumeModel(this);
    if (!m_volumeSortModel) {
        m_volumeSortModel = new CBookVolumeSortModel(this);
        m_volumeSortModel->setSourceModel(m_volumeModel);
    }
}

QQuickWidget* CBookVolumeController::getQuickWidget()
{
    if (m_quickWidget)
        return m_quickWidget;
    auto* widget = new QQuickWidget();
    widget->setFocusPolicy(Qt::StrongFocus);
    widget->setClearColor(Qt::transparent);
    widget->setAttribute(Qt::WA_AlwaysStackOnTop, true);
    widget->setResizeMode(QQuickWidget::SizeRootObjectToView);
    ensureModels();
    qmlRegisterAnonymousType<CBookChapterModel>("Vellora.Volume", 1);
    qmlRegisterAnonymousType<CBookChapterSortModel>("Vellora.Volume", 1);
    widget->rootContext()->setContextProperty(QStringLiteral("volumeCtr"), this);
    widget->rootContext()->setContextProperty(QStringLiteral("volumeModel"), m_volumeSortModel.data());
    widget->setSource(QUrl(QStringLiteral("qrc:/volume.qml")));
    for (const QQmlError& error : widget->errors())
        qWarning() << "volume panel:" << error.toString();
    m_quickWidget = widget;
    return widget;
}

CBookVolumeModel* CBookVolumeController::volumeModel() const
{
    return m_volumeModel.data();
}

CBookVolumeSortModel* CBookVolumeController::volumeSortModel() const
{
    return m_volumeSortModel.data();
}

T_Book* CBookVolumeController::currentBook() const
{
    if (m_localBookId < 1)
        return nullptr;
    return m_publicManager->findBookByLocalId(m_localBookId);
}

bool CBookVolumeController::isCurrentBook(const T_Book* book) const
{
    return book != nullptr && book->localId > 0 && book->localId == m_localBookId;
}

T_Chapter* CBookVolumeController::currentChapter() const
{
    T_Book* book = currentBook();
    if (book == nullptr || m_localChapterId < 1)
        return nullptr;
    return book->findChapterByLocalId(m_localChapterId);
}

void CBookVolumeController::loadBook(T_Book* book, T_Chapter* chapter)
{
    // The models exist without the panel, so that the book operations can
    // read the tree's order with no window open.
    ensureModels();
    m_localBookId = book ? book->localId : 0;
    m_localChapterId = chapter ? chapter->localId : 0;
    m_volumeModel->setBook(book);
    const int orderType = book ? book->orderType : 0;
    m_volumeSortModel->setVolumeSort(orderType);
    m_volumeModel->setChapterSort(orderType);
    emit sigTheme();
    emit sigSort(orderType);
    if (book == nullptr || chapter == nullptr)
        return;
    qDebug() << "load book chapter" << chapter->localVolumeId << chapter->localId << chapter->name;
    book->lastEditChapterId = chapter->localId;
    m_jobManager->moveBookToFront(book, true);
    revealChapter(chapter);
    m_uiManager->openChapter(book, chapter);
}

void CBookVolumeController::revealChapter(const T_Chapter* chapter)
{
    m_volumeModel->selectChapterByLocalId(chapter->localVolumeId, chapter->localId);
    m_volumeModel->setExpand(chapter->localVolumeId, true);
    const int volumeRow = shownVolumeRow(chapter->localVolumeId);
    const int chapterRow = shownChapterRow(chapter->localVolumeId, chapter->localId);
    if (volumeRow >= 0 && chapterRow >= 0)
        emit sigShowChapter(volumeRow, chapterRow);
}

void CBookVolumeController::makeCurrentAndOpen(T_Book* book, T_Chapter* chapter)
{
    m_localChapterId = chapter ? chapter->localId : 0;
    book->lastEditChapterId = m_localChapterId;
    m_jobManager->moveBookToFront(book, true);
    openInEditor(book, chapter);
}

void CBookVolumeController::openInEditor(T_Book* book, T_Chapter* chapter)
{
    m_localChapterId = chapter ? chapter->localId : 0;
    book->lastEditChapterId = m_localChapterId;
    m_uiManager->openChapter(book, chapter);
    if (chapter == nullptr || m_uiManager->creationWindow() == nullptr
        || m_uiManager->editorShowing(chapter->localId) != nullptr)
        return;
    // The editor kept a chapter whose words it could not store: the tree
    // marks that one, so that what the author types goes where it shows.
    const T_Chapter* held = m_uiManager->currentChapter();
    if (held == nullptr || held->localBookId != book->localId)
        return;
    m_localChapterId = held->localId;
    book->lastEditChapterId = held->localId;
    if (m_volumeModel)
        m_volumeModel->selectChapterByLocalId(held->localVolumeId, held->localId);
}

void CBookVolumeController::openChapter(T_Chapter* chapter)
{
    T_Book* book = currentBook();
    if (chapter == nullptr || !m_volumeModel || book == nullptr)
        return;
    m_volumeModel->selectChapterByLocalId(chapter->localVolumeId, chapter->localId);
    if (m_localChapterId != chapter->localId)
        makeCurrentAndOpen(book, chapter);
}

void CBookVolumeController::reloadBook(T_Book* book)
{
    if (!isCurrentBook(book) || !m_volumeModel)
        return;
    m_volumeModel->followBook(book);
    m_volumeModel->setChapterSort(book->orderType);
    if (T_Chapter* chapter = currentChapter())
        m_volumeModel->selectChapterByLocalId(chapter->localVolumeId, chapter->localId);
    emit sigBookReloaded(book->localId);
}

T_Volume* CBookVolumeController::createVolume(T_Book* book, bool fromSync)
{
    if (book == nullptr)
        return nullptr;
    int order = 1;
    const T_Volume* last = nullptr;
    for (const T_Volume* volume : qAsConst(book->volumeList)) {
        order = std::max(order, volume->orderNum + 1);
        if (volume->status != 0 && (last == nullptr || volume->orderNum > last->orderNum))
            last = volume;
    }
    if (isCurrentBook(book))
        emit sigEndEditing();
    const QString previous = last ? last->volumeName : QString();
    qDebug() << "new volume order" << order << "after" << previous;
    TC_Volume_Add request(book->localId, book->bookId, -1, order, static_cast<int>(currentServerTime()),
                          formatVolumeTitle(previous), 1);
    request.header.synStep = fromSync ? 1 : 0;
    if (!m_jobManager->volume_add(request))
        return nullptr;
    T_Volume* volume = book->findVolumeByLocalId(request.header.localVolumeId);
    if (volume != nullptr && m_volumeModel && isCurrentBook(book)) {
        m_volumeModel->addVolume(*volume);
        m_volumeModel->setChapterSort(book->orderType);
        QPointer<CBookVolumeModel> model = m_volumeModel;
        QTimer::singleShot(10, this, [model]() {
            if (model)
                model->setVolumeEditing(model->rowCount() - 1, true);
        });
        emit sigVolumeAdd(book->orderType);
    }
    return volume;
}

bool CBookVolumeController::restoreChapter(T_Book* book, T_Chapter* chapter)
{
    if (book == nullptr || chapter == nullptr || !m_volumeModel || !isCurrentBook(book))
        return false;
    // Only what is in the bin now: a chapter restored elsewhere meanwhile
    // must not bring back a volume the author deleted since.
    if (chapter->status != 0 || !book->recycleChapterList.contains(chapter))
        return false;
    T_Volume* volume = book->findVolumeByLocalId(chapter->localVolumeId);
    if (volume == nullptr)
        return false;
    // The chapter goes back into a live volume: a deleted one comes back first.
    if (volume->status == 0) {
        TC_Volume_Delete restore(*volume, 1, static_cast<int>(currentServerTime()));
        if (!m_jobManager->volume_del_restore(restore))
            return false;
        m_volumeModel->addVolume(*volume);
        m_volumeModel->setChapterSort(book->orderType);
    }
    TC_Chapter_Recycle recycle;
    recycle.header.localBookId = chapter->localBookId;
    recycle.header.localVolumeId = chapter->localVolumeId;
    recycle.header.localChapterId = chapter->localId;
    recycle.status = 1;
    recycle.updateTime = static_cast<int>(currentServerTime());
    if (!m_jobManager->chapter_recycle(recycle))
        return false;
    if (CBookChapterModel* model = m_volumeModel->getChapterModelByLocalId(volume->localId)) {
        if (model->getItemByLocalId(chapter->localId).ownerVolumeId < 0)
            model->addItem(CBookChapterItem(*chapter, volume->localId));
    }
    return true;
}

void CBookVolumeController::addChapterItem(T_Book* book, T_Chapter* chapter)
{
    if (chapter == nullptr || !isCurrentBook(book) || !m_volumeModel)
        return;
    CBookChapterModel* model = m_volumeModel->getChapterModelByLocalId(chapter->localVolumeId);
    if (model != nullptr && model->getItemByLocalId(chapter->localId).ownerVolumeId < 0)
        model->addItem(CBookChapterItem(*chapter, chapter->localVolumeId));
}

void CBookVolumeController::renameChapterItem(T_Book* book, const T_Chapter* chapter)
{
    if (chapter == nullptr || !isCurrentBook(book) || !m_volumeModel)
        return;
    CBookChapterModel* model = m_volumeModel->getChapterModelByLocalId(chapter->localVolumeId);
    for (int row = 0; model != nullptr && row < model->rowCount(); ++row) {
        if (model->getItem(row).chapter.localId == chapter->localId) {
            model->setItemName(row, chapter->name);
            return;
        }
    }
}

void CBookVolumeController::dropChapterItem(const T_Book* book, int localChapterId)
{
    if (!isCurrentBook(book) || !m_volumeModel || localChapterId < 1)
        return;
    CBookChapterItem gone;
    gone.chapter.localId = localChapterId;
    for (int row = 0; row < m_volumeModel->rowCount(); ++row) {
        if (CBookChapterModel* model = m_volumeModel->getChapterModel(row))
            model->removeItem(gone);
    }
}

QMap<int, int> CBookVolumeController::getChapterOrderMap(int localVolumeId) const
{
    if (m_localBookId < 1 || !m_volumeModel)
        return {};
    const CBookChapterModel* model = m_volumeModel->getChapterModelByLocalId(localVolumeId);
    return model ? model->getOrderMap() : QMap<int, int>();
}

void CBookVolumeController::setChapterOrder(int localVolumeId, const QList<int>& localChapterIds)
{
    T_Book* book = currentBook();
    if (book == nullptr || !m_volumeModel)
        return;
    CBookChapterModel* target = m_volumeModel->getChapterModelByLocalId(localVolumeId);
    if (target == nullptr)
        return;
    QMap<int, int> order;
    for (int i = 0; i < localChapterIds.size(); ++i) {
        const int id = localChapterIds.at(i);
        order.insert(id, i + 1);
        for (int row = 0; row < m_volumeModel->rowCount(); ++row) {
            CBookChapterModel* other = m_volumeModel->getChapterModel(row);
            if (other != target && other != nullptr)
                other->removeItem(other->getItemByLocalId(id));
        }
        if (target->getItemByLocalId(id).ownerVolumeId < 0) {
            if (const T_Chapter* chapter = book->findChapterByLocalId(id))
                target->addItem(CBookChapterItem(*chapter, localVolumeId));
        }
    }
    target->setOrderNums(order);
}

int CBookVolumeController::volumeSourceRow(int index) const
{
    if (!m_volumeSortModel)
        return -1;
    const QModelIndex source = m_volumeSortModel->mapToSource(m_volumeSortModel->index(index, 0));
    return source.isValid() ? source.row() : -1;
}

int CBookVolumeController::chapterSourceRow(int localVolumeId, int index) const
{
    if (!m_volumeModel)
        return -1;
    const CBookChapterSortModel* sort = m_volumeModel->getChapterSortModelByLocalId(localVolumeId);
    if (sort == nullptr)
        return -1;
    const QModelIndex source = sort->mapToSource(sort->index(index, 0));
    return source.isValid() ? source.row() : -1;
}

int CBookVolumeController::chapterProxyRow(int localVolumeId, int sourceRow) const
{
    if (!m_volumeModel)
        return -1;
    const CBookChapterSortModel* sort = m_volumeModel->getChapterSortModelByLocalId(localVolumeId);
    const CBookChapterModel* model = m_volumeModel->getChapterModelByLocalId(localVolumeId);
    if (sort == nullptr || model == nullptr)
        return -1;
    const QModelIndex proxy = sort->mapFromSource(model->index(sourceRow, 0));
    return proxy.isValid() ? proxy.row() : -1;
}

int CBookVolumeController::shownVolumeRow(int localVolumeId) const
{
    if (!m_volumeModel || !m_volumeSortModel)
        return -1;
    const QModelIndex source = m_volumeModel->index(m_volumeModel->rowOfLocalId(localVolumeId), 0);
    const QModelIndex proxy = m_volumeSortModel->mapFromSource(source);
    return proxy.isValid() ? proxy.row() : -1;
}

int CBookVolumeController::shownChapterRow(int localVolumeId, int localChapterId) const
{
    const CBookChapterModel* model = m_volumeModel ? m_volumeModel->getChapterModelByLocalId(localVolumeId) : nullptr;
    return model ? chapterProxyRow(localVolumeId, model->rowOfLocalId(localChapterId)) : -1;
}

T_Chapter* CBookVolumeController::liveChapter(int localChapterId) const
{
    const T_Book* book = currentBook();
    if (book == nullptr)
        return nullptr;
    for (T_Chapter* chapter : book->chapterList) {
        if (chapter->localId == localChapterId)
            return chapter;
    }
    return nullptr;
}

T_Volume* CBookVolumeController::liveVolume(int localVolumeId) const
{
    const T_Book* book = currentBook();
    T_Volume* volume = book ? book->findVolumeByLocalId(localVolumeId) : nullptr;
    return volume != nullptr && volume->status != 0 ? volume : nullptr;
}

CBookChapterModel* CBookVolumeController::getChapterModel(int index)
{
    return m_volumeModel ? m_volumeModel->getChapterModel(volumeSourceRow(index)) : nullptr;
}

CBookChapterSortModel* CBookVolumeController::getChapterSortModel(int index)
{
    return m_volumeModel ? m_volumeModel->getChapterSortModel(volumeSourceRow(index)) : nullptr;
}

void CBookVolumeController::createNewVolume()
{
    T_Book* book = currentBook();
    if (book != nullptr && createVolume(book, false) == nullptr)
        tellRefused(tr("The new volume could not be stored."));
}

void CBookVolumeController::tellRefused(const QString& what)
{
    if (!m_uiManager->tellRefusedChange(what))
        return;
    // What the author goes on typing (the name of a chapter that was not
    // made) has no box to go to, and must not land in the chapter that
    // stays open: the tree, where the author acted, keeps the keys.
    if (m_quickWidget && m_quickWidget->isVisible())
        m_quickWidget->setFocus(Qt::OtherFocusReason);
}

T_Chapter* CBookVolumeController::addChapterAtEnd(T_Book* book, int localVolumeId)
{
    if (!m_volumeModel || book == nullptr)
        return nullptr;
    T_Volume selected = m_volumeModel->getSelectedVolume();
    if (localVolumeId > 0) {
        const T_Volume* target = book->findVolumeByLocalId(localVolumeId);
        if (target == nullptr || target->status == 0)
            return nullptr;
        selected = *target;
    }
    if (selected.localId < 1)
        return nullptr;
    emit sigEndEditing();
    const T_Volume* volume = book->findVolumeByLocalId(selected.localId);
    const int volumeId = volume ? volume->volumeId : -1;
    int order = 0;
    for (const QList<T_Chapter*>* list : {&book->chapterList, &book->recycleChapterList}) {
        for (const T_Chapter* chapter : *list) {
            if (chapter->localVolumeId == selected.localId)
                order = std::max(order, chapter->orderNum);
        }
    }
    ++order;
    const T_Chapter* last = nullptr;
    for (const T_Chapter* chapter : qAsConst(book->chapterList)) {
        if (chapter->localVolumeId == selected.localId && (last == nullptr || chapter->orderNum > last->orderNum))
            last = chapter;
    }
    TC_Chapter_Add request(book->localId, book->bookId, selected.localId, volumeId,
                           static_cast<int>(currentServerTime()), order,
                           formatChapterTitle(last ? last->name : QString()));
    if (!m_jobManager->chapter_add(request)) {
        if (m_jobManager->lastRefusedByStore())
            m_lastError = m_jobManager->refusedText(tr("The new chapter could not be stored."));
        return nullptr;
    }
    T_Chapter* chapter = book->findChapterByLocalId(request.header.localChapterId);
    CBookChapterModel* model = m_volumeModel->getChapterModelByLocalId(selected.localId);
    if (chapter == nullptr || model == nullptr)
        return nullptr;
    model->addItem(CBookChapterItem(*chapter, selected.localId));
    const int row = model->rowCount() - 1;
    m_volumeModel->selectChapter(selected.localId, row);
    QPointer<CBookChapterModel> guarded = model;
    QTimer::singleShot(100, this, [guarded, row]() {
        if (guarded)
            guarded->setItemEditing(row, true);
    });
    m_volumeModel->setExpand(selected.localId, true);
    return chapter;
}

void CBookVolumeController::createNewChapter()
{
    createChapterIn(-1);
}

void CBookVolumeController::createChapterIn(int localVolumeId)
{
    T_Book* book = currentBook();
    T_Chapter* chapter = addChapterAtEnd(book, localVolumeId);
    if (chapter == nullptr) {
        tellRefused(tr("The new chapter could not be stored."));
        return;
    }
    if (chapter->localId == m_localChapterId)
        return;
    const int localChapterId = chapter->localId;
    openInEditor(book, chapter);
    if (m_localChapterId == localChapterId)
        m_jobManager->updateBookLastEditChapter(book->localId, localChapterId);
}

void CBookVolumeController::openRecycleBin()
{
    emit sigRecycle();
}

void CBookVolumeController::sortChapters()
{
    T_Book* book = currentBook();
    if (book == nullptr || !m_volumeModel)
        return;
    if (book->orderType == 0)
        book->orderType = 1;
    else if (book->orderType == 1)
        book->orderType = 0;
    m_volumeSortModel->setVolumeSort(book->orderType);
    m_volumeModel->setChapterSort(book->orderType);
    emit sigSort(book->orderType);
}

void CBookVolumeController::expand(int localId, bool expand)
{
    if (m_volumeModel)
        m_volumeModel->setExpand(localId, expand);
}

void CBookVolumeController::expandAll(bool expand)
{
    if (m_volumeModel)
        m_volumeModel->setAllExpand(expand);
}

void CBookVolumeController::moveVolume(int from, int to, int count)
{
    if (m_volumeModel && !m_volumeModel->moveItem(volumeSourceRow(from), volumeSourceRow(to), count))
        tellRefused(tr("The volume's new place could not be stored; it stays where it was."));
}

void CBookVolumeController::moveVolumePos(int index, bool bottom)
{
    if (m_volumeModel)
        m_volumeModel->setVolumeMoveLine(volumeSourceRow(index), bottom);
}

void CBookVolumeController::recordChapterMove(T_Book* book, int localFromChapterId, int localToChapterId,
                                              int localFromVolumeId, int localToVolumeId, bool bottom)
{
    TC_Chapter_Move move;
    move.header.localBookId = book->localId;
    move.localFromChapterId = localFromChapterId;
    move.localToChapterId = localToChapterId;
    move.localFromVolumeId = localFromVolumeId;
    move.localToVolumeId = localToVolumeId;
    move.updateTime = static_cast<int>(currentServerTime());
    move.direction = bottom ? 1 : 0;
    // Refused (a chapter of the drag is gone, the database would not take
    // it): the tree shows the order that is stored, not the one the drag made.
    if (!m_jobManager->chapter_move(move)) {
        tellRefused(tr("The chapter's new place could not be stored; it stays where it was."));
        reloadBook(book);
    }
}

void CBookVolumeController::moveChapter(int from, int localFromVolumeId, int to, int localToVolumeId, bool bottom)
{
    if (!m_volumeModel)
        return;
    T_Book* book = currentBook();
    if (localFromVolumeId == localToVolumeId) {
        CBookChapterModel* model = m_volumeModel->getChapterModelByLocalId(localFromVolumeId);
        if (model == nullptr)
            return;
        const int fromRow = chapterSourceRow(localFromVolumeId, from);
        const int toRow = chapterSourceRow(localFromVolumeId, to);
        const int fromChapter = model->getItem(fromRow).chapter.localId;
        const int toChapter = model->getItem(toRow).chapter.localId;
        // The place is worked out in the order shown and then mapped: the
        // rows of the list itself are not in that order.
        int place = to;
        if (to < from && bottom)
            place = to + 1;
        else if (from < to && !bottom)
            place = to - 1;
        const int placeRow = chapterSourceRow(localFromVolumeId, place);
        model->moveItem(fromRow, placeRow, 1);
        // A drop beside itself changes no number and records nothing.
        if (book != nullptr && fromRow >= 0 && toRow >= 0 && placeRow >= 0 && placeRow != fromRow)
            recordChapterMove(book, fromChapter, toChapter, localFromVolumeId, localToVolumeId, bottom);
        return;
    }
    if (book == nullptr || book->findVolumeByLocalId(localFromVolumeId) == nullptr
        || book->findVolumeByLocalId(localToVolumeId) == nullptr)
        return;
    CBookChapterModel* source = m_volumeModel->getChapterModelByLocalId(localFromVolumeId);
    CBookChapterModel* target = m_volumeModel->getChapterModelByLocalId(localToVolumeId);
    if (source == nullptr || target == nullptr || !m_volumeModel->getChapterSortModelByLocalId(localFromVolumeId)
        || !m_volumeModel->getChapterSortModelByLocalId(localToVolumeId))
        return;
    const int fromRow = chapterSourceRow(localFromVolumeId, from);
    if (fromRow < 0)
        return;
    int insertRow = 0;
    int targetChapter = 0;
    if (target->rowCount() > 0) {
        insertRow = chapterSourceRow(localToVolumeId, to);
        if (insertRow < 0)
            return;
        targetChapter = target->getItem(insertRow).chapter.localId;
    }
    CBookChapterItem item = source->getItem(fromRow);
    source->removeItem(item);
    item.ownerVolumeId = localToVolumeId;
    target->insertItem(item, insertRow, bottom);
    recordChapterMove(book, item.chapter.localId, targetChapter, localFromVolumeId, localToVolumeId, bottom);
}

void CBookVolumeController::moveChapterPos(int index, int, int toVolumeId, bool bottom)
{
    if (!m_volumeModel)
        return;
    if (CBookChapterModel* model = m_volumeModel->getChapterModelByLocalId(toVolumeId))
        model->setMoveLine(chapterSourceRow(toVolumeId, index), bottom);
}

void CBookVolumeController::clearVolumeLines()
{
    if (m_volumeModel)
        m_volumeModel->clearMoveLines();
}

void CBookVolumeController::clearChapterLines()
{
    if (m_volumeModel)
        m_volumeModel->clearChapterLines();
}

void CBookVolumeController::selectedVolume(int index)
{
    if (m_volumeModel)
        m_volumeModel->selectVolume(volumeSourceRow(index));
}

void CBookVolumeController::selectedChapter(int localVolumeId, int index, int localChapterId)
{
    if (!m_volumeModel)
        return;
    m_volumeModel->selectChapter(localVolumeId, chapterSourceRow(localVolumeId, index));
    T_Book* book = currentBook();
    if (book == nullptr)
        return;
    T_Chapter* chapter = book->findChapterByLocalId(localChapterId);
    if (chapter != nullptr && chapter->localId != m_localChapterId)
        makeCurrentAndOpen(book, chapter);
}

void CBookVolumeController::editVolume(int index, bool edit)
{
    if (m_volumeModel)
        m_volumeModel->setVolumeEditing(volumeSourceRow(index), edit);
}

void CBookVolumeController::editChapter(int localVolumeId, int index, bool edit)
{
    if (!m_volumeModel)
        return;
    if (CBookChapterModel* model = m_volumeModel->getChapterModelByLocalId(localVolumeId))
        model->setItemEditing(chapterSourceRow(localVolumeId, index), edit);
}

void CBookVolumeController::dropTitleEditing()
{
    if (!m_volumeModel)
        return;
    // A box no longer shown stores nothing when it loses the keyboard.
    for (int row = 0; row < m_volumeModel->rowCount(); ++row) {
        m_volumeModel->setVolumeEditing(row, false);
        if (CBookChapterModel* chapters = m_volumeModel->getChapterModel(row)) {
            for (int chapter = 0; chapter < chapters->rowCount(); ++chapter)
                chapters->setItemEditing(chapter, false);
        }
    }
}

void CBookVolumeController::changeVolumeName(int index, const QString& name)
{
    if (m_volumeModel && !m_volumeModel->setVolumeName(volumeSourceRow(index), name))
        tellRefused(tr("The volume's new name could not be stored; it keeps its name."));
}

void CBookVolumeController::changeChapterName(int localVolumeId, int localChapterId, int index, const QString& name)
{
    T_Book* book = currentBook();
    if (!m_volumeModel || book == nullptr)
        return;
    CBookChapterModel* model = m_volumeModel->getChapterModelByLocalId(localVolumeId);
    const int row = chapterSourceRow(localVolumeId, index);
    if (model == nullptr || row < 0)
        return;
    TC_Chapter_Edit_Name request;
    request.header.localBookId = book->localId;
    request.header.localChapterId = localChapterId;
    request.chapterName = name;
    request.updateTime = static_cast<int>(currentServerTime());
    // The row and the tab show the name only once it is stored.
    if (!m_jobManager->chapter_edit_name(request)) {
        tellRefused(tr("The chapter's new name could not be stored; it keeps its name."));
        return;
    }
    model->setItemName(row, name);
    m_uiManager->updateChapterTitle(localChapterId, name);
}

double CBookVolumeController::scale() const
{
    return DPIAdapter::instance()->scale();
}

void CBookVolumeController::takeKeys()
{
    // An editor opened while the chapter text had the focus (a new chapter is
    // opened before it is named) gets no keys until the panel has it. Coming
    // in, the panel tells the input method which editor now takes the text.
    if (!m_quickWidget)
        return;
    if (!m_quickWidget->hasFocus())
        m_quickWidget->setFocus(Qt::OtherFocusReason);
    // Opened from a menu, the editor shows while the menu's window still has
    // the keyboard, and the panel's scene never hears that its own window
    // has it again: it is handed the focus anew once the window has it.
    QWindow* own = m_quickWidget->window()->windowHandle();
    if (own == nullptr || QGuiApplication::focusWindow() == own)
        return;
    disconnect(m_keysBack);
    m_keysBack = connect(qApp, &QGuiApplication::focusWindowChanged, this, [this, own](QWindow* now) {
        disconnect(m_keysBack);
        if (now != own || !m_quickWidget || !m_quickWidget->hasFocus()
            || m_quickWidget->quickWindow()->activeFocusItem() != nullptr)
            return;
        m_quickWidget->clearFocus();
        m_quickWidget->setFocus(Qt::OtherFocusReason);
    });
}

bool CBookVolumeController::putAway() const
{
    return m_quickWidget && HiddenWindows::isAway(m_quickWidget->window());
}

int CBookVolumeController::themeOf(int styleType)
{
    if (styleType == StyleLight)
        return 1;
    if (styleType & StyleDark)
        return 2;
    switch (styleType) {
    case StyleGreen:
        return 3;
    case StyleKraft:
        return 4;
    case StyleCustom:
        return 5;
    default:
        return -1;
    }
}

int CBookVolumeController::getTheme() const
{
    return themeOf(CQssManager::instance()->currentStyleType());
}

int CBookVolumeController::getSort() const
{
    const T_Book* book = currentBook();
    return book ? book->orderType : 0;
}
