#include "CBookVolumeController.h"

#include "common/ChineseNumerals.h"
#include "common/ServerClock.h"
#include "db/records/T_Book.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "remote/records/VolumeRecords.h"

#include <QDebug>

#include <algorithm>

CBookVolumeController::CBookVolumeController(QObject* parent) : QObject(parent) {}

CBookVolumeController* CBookVolumeController::instance()
{
    static CBookVolumeController* controller = new CBookVolumeController();
    return controller;
}

T_Book* CBookVolumeController::currentBook() const
{
    if (m_localBookId < 1)
        return nullptr;
    return CPublicManager::instance()->findBookByLocalId(m_localBookId);
}

bool CBookVolumeController::isCurrentBook(const T_Book* book) const
{
    return book != nullptr && book->localId > 0 && book->localId == m_localBookId;
}

void CBookVolumeController::loadBook(T_Book* book)
{
    m_localBookId = book ? book->localId : 0;
    m_chapterOrder.clear();
    if (book == nullptr)
        return;
    QList<T_Chapter*> chapters = book->chapterList;
    std::stable_sort(chapters.begin(), chapters.end(),
                     [](const T_Chapter* a, const T_Chapter* b) { return a->orderNum < b->orderNum; });
    for (const T_Volume* volume : qAsConst(book->volumeList))
        m_chapterOrder.insert(volume->localId, {});
    for (const T_Chapter* chapter : qAsConst(chapters))
        m_chapterOrder[chapter->localVolumeId].append(chapter->localId);
}

void CBookVolumeController::reloadBook(T_Book* book)
{
    if (!isCurrentBook(book))
        return;
    loadBook(book);
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
    const QString previous = last ? last->volumeName : QString();
    qDebug() << "new volume order" << order << "after" << previous;
    TC_Volume_Add request(book->localId, book->bookId, -1, order, static_cast<int>(currentServerTime()),
                          formatVolumeTitle(previous), 1);
    request.header.synStep = fromSync ? 1 : 0;
    if (!CJobManager::instance()->volume_add(request))
        return nullptr;
    T_Volume* volume = book->findVolumeByLocalId(request.header.localVolumeId);
    if (volume && isCurrentBook(book))
        m_chapterOrder.insert(volume->localId, {});
    return volume;
}

void CBookVolumeController::addChapterItem(T_Book* book, T_Chapter* chapter)
{
    if (chapter == nullptr || !isCurrentBook(book))
        return;
    QList<int>& order = m_chapterOrder[chapter->localVolumeId];
    if (!order.contains(chapter->localId))
        order.append(chapter->localId);
}

QMap<int, int> CBookVolumeController::getChapterOrderMap(int localVolumeId) const
{
    QMap<int, int> map;
    const auto it = m_chapterOrder.constFind(localVolumeId);
    if (m_localBookId < 1 || it == m_chapterOrder.constEnd())
        return map;
    for (int i = 0; i < it->size(); ++i)
        map.insert(it->at(i), i + 1);
    return map;
}

void CBookVolumeController::setChapterOrder(int localVolumeId, const QList<int>& localChapterIds)
{
    if (m_localBookId < 1)
        return;
    // A chapter stands in one volume of the tree only.
    for (auto it = m_chapterOrder.begin(); it != m_chapterOrder.end(); ++it) {
        if (it.key() == localVolumeId)
            continue;
        for (int id : localChapterIds)
            it->removeAll(id);
    }
    m_chapterOrder.insert(localVolumeId, localChapterIds);
}
