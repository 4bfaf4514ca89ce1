// A book's list asked for before an edit of this machine was answered
// (CAnsweredEdits): the edited member stands here, and where the list said
// otherwise the list is looked at once more, so that a change made
// elsewhere after the edit still arrives.

#include "CBookJobManager.h"

#include "db/records/T_Book.h"
#include "manager/CAnsweredEdits.h"
#include "manager/CSynDataManager.h"

bool CBookJobManager::listedBeforeAnswer(const T_Book* book, const T_Volume* volume, const QString& listedName)
{
    if (!CAnsweredEdits::instance()->standsOver(CAnsweredEdits::Kind::Volume, volume->localId, CAnsweredEdits::kName))
        return false;
    if (listedName != volume->volumeName)
        CSynDataManager::instance()->oweLook(JobType::VolumeMenu, book);
    return true;
}

bool CBookJobManager::placedBeforeAnswer(const T_Book* book, const T_Chapter* chapter, const T_Volume* listedVolume,
                                         int listedOrder)
{
    if (!CAnsweredEdits::instance()->standsOver(CAnsweredEdits::Kind::Chapter, chapter->localId, CAnsweredEdits::kPlace))
        return false;
    if (listedVolume->volumeId != chapter->volumeId || listedOrder != chapter->orderNum)
        CSynDataManager::instance()->oweLook(JobType::ChapterMenu, book);
    return true;
}

bool CBookJobManager::orderListedBeforeAnswer(int listType, const T_Book* book, bool listSaysOther)
{
    const CAnsweredEdits::Kind kind =
        listType == JobType::OutlineList ? CAnsweredEdits::Kind::Outline : CAnsweredEdits::Kind::Volume;
    if (!CAnsweredEdits::instance()->standsOver(kind, book->localId, CAnsweredEdits::kOrder))
        return false;
    if (listSaysOther)
        CSynDataManager::instance()->oweLook(listType, book);
    return true;
}

bool CBookJobManager::stateToldBeforeAnswer(const T_Chapter* chapter) const
{
    return CAnsweredEdits::instance()->standsOver(CAnsweredEdits::Kind::Chapter, chapter->localId,
                                                  CAnsweredEdits::kState);
}
