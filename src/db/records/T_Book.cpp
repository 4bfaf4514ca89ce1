#include "T_Book.h"

#include "common/ServerClock.h"

#include <QSet>

namespace {

template <typename T>
T* findByLocalId(const QList<T*>& list, int localId)
{
    for (T* item : list) {
        if (item->localId == localId)
            return item;
    }
    return nullptr;
}

bool containsLocalId(const QList<T_Chapter*>& list, int localId)
{
    return findByLocalId(list, localId) != nullptr;
}

} // namespace

T_Book::T_Book(int id, const QString& name) : localId(id), bookName(name) {}

T_Book::~T_Book()
{
    clearChildren();
    qDeleteAll(volumeList);
    volumeList.clear();
}

void T_Book::clearChildren()
{
    // A chapter sits in at most one list; the set guards against a slip that
    // put it into both, which would otherwise free it twice.
    QSet<T_Chapter*> chapters;
    for (T_Chapter* c : qAsConst(chapterList))
        chapters.insert(c);
    for (T_Chapter* c : qAsConst(recycleChapterList))
        chapters.insert(c);
    qDeleteAll(chapters);
    chapterList.clear();
    recycleChapterList.clear();
    qDeleteAll(outline.outlineList);
    outline.outlineList.clear();
}

T_Chapter* T_Book::findChapterByLocalId(int localChapterId) const
{
    if (T_Chapter* c = findByLocalId(chapterList, localChapterId))
        return c;
    return findByLocalId(recycleChapterList, localChapterId);
}

T_Chapter* T_Book::findChapterByChapterId(int chapterId) const
{
    for (T_Chapter* c : chapterList) {
        if (c->chapterId == chapterId)
            return c;
    }
    for (T_Chapter* c : recycleChapterList) {
        if (c->chapterId == chapterId)
            return c;
    }
    return nullptr;
}

T_Volume* T_Book::findVolumeByLocalId(int localVolumeId) const
{
    return findByLocalId(volumeList, localVolumeId);
}

T_Volume* T_Book::findVolumeByVolumeId(int volumeId) const
{
    for (T_Volume* v : volumeList) {
        if (v->volumeId == volumeId)
            return v;
    }
    return nullptr;
}

T_Outline* T_Book::findOutlineByLocalId(int localOutlineId) const
{
    return findByLocalId(outline.outlineList, localOutlineId);
}

T_Outline* T_Book::findOutlineByOutlineId(int outlineId) const
{
    for (T_Outline* o : outline.outlineList) {
        if (o->outlineId == outlineId)
            return o;
    }
    return nullptr;
}

int T_Book::getLocalVolumeId(int volumeId) const
{
    const T_Volume* v = findVolumeByVolumeId(volumeId);
    return v ? v->localId : -1;
}

int T_Book::getVolumeId(int localVolumeId) const
{
    const T_Volume* v = findVolumeByLocalId(localVolumeId);
    return v ? v->volumeId : -1;
}

void T_Book::removeChapter(int localChapterId)
{
    T_Chapter* live = findByLocalId(chapterList, localChapterId);
    T_Chapter* recycled = findByLocalId(recycleChapterList, localChapterId);
    chapterList.removeOne(live);
    recycleChapterList.removeOne(recycled);
    if (recycled == live)
        recycled = nullptr;
    delete live;
    delete recycled;
}

void T_Book::shiftChapterOrder(int localVolumeId, int fromOrderNum, int delta)
{
    for (QList<T_Chapter*>* list : {&chapterList, &recycleChapterList}) {
        for (T_Chapter* c : qAsConst(*list)) {
            if (c->localVolumeId == localVolumeId && c->orderNum >= fromOrderNum)
                c->orderNum += delta;
        }
    }
}

void T_Book::setChapterStatus(T_Chapter* chapter, int newStatus)
{
    if (!chapter)
        return;
    if (chapter->status != newStatus)
        chapter->writtenInBin = false;
    chapter->status = newStatus;
    if (newStatus == 0)
        chapter->recycleTime = static_cast<int>(currentServerTime());
    QList<T_Chapter*>& from = newStatus != 0 ? recycleChapterList : chapterList;
    QList<T_Chapter*>& to = newStatus != 0 ? chapterList : recycleChapterList;
    if (to.contains(chapter))
        return;
    // Another record with the same local id already stands in the target
    // list: leave this one where it is rather than drop it from both lists,
    // which would leak it while the caller still holds it.
    if (containsLocalId(to, chapter->localId))
        return;
    from.removeOne(chapter);
    to.append(chapter);
}

void T_Book::calcWordCount()
{
    int sum = 0;
    for (const T_Chapter* c : qAsConst(chapterList))
        sum += c->wordCount;
    wordNum = sum;
}
