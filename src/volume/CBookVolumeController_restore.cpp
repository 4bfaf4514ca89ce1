#include "CBookVolumeController.h"

#include "common/ServerClock.h"
#include "db/records/T_Book.h"
#include "manager/CJobManager.h"
#include "remote/records/ChapterRecords.h"
#include "remote/records/VolumeRecords.h"

#include <QDebug>

bool CBookVolumeController::restoreChapter(T_Book* book, T_Chapter* chapter)
{
    if (book == nullptr || chapter == nullptr || !isCurrentBook(book))
        return false;
    if (!book->recycleChapterList.contains(chapter))
        return false;
    const int now = static_cast<int>(currentServerTime());

    T_Volume* volume = book->findVolumeByLocalId(chapter->localVolumeId);
    if (volume && volume->status == 0) {
        TC_Volume_Delete restoreVolume;
        restoreVolume.header.localBookId = book->localId;
        restoreVolume.header.bookId = book->bookId;
        restoreVolume.header.localVolumeId = volume->localId;
        restoreVolume.type = 1;
        restoreVolume.updateTime = now;
        if (!CJobManager::instance()->volume_del_restore(restoreVolume)) {
            qWarning() << "volume of the restored chapter not restored" << volume->localId;
            return false;
        }
    }

    TC_Chapter_Recycle request;
    request.header.localBookId = book->localId;
    request.header.localVolumeId = chapter->localVolumeId;
    request.header.localChapterId = chapter->localId;
    request.status = 1;
    request.updateTime = now;
    if (!CJobManager::instance()->chapter_recycle(request)) {
        qWarning() << "chapter not restored" << chapter->localId;
        return false;
    }

    // Back into its volume's row, at the place its order number gives it.
    QList<int>& order = m_chapterOrder[chapter->localVolumeId];
    order.removeAll(chapter->localId);
    int at = order.size();
    for (int i = 0; i < order.size(); ++i) {
        const T_Chapter* other = book->findChapterByLocalId(order.at(i));
        if (other && other->orderNum > chapter->orderNum) {
            at = i;
            break;
        }
    }
    order.insert(at, chapter->localId);
    return true;
}
