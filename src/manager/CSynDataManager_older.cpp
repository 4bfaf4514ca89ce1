// A reply whose request left before an edit of this machine was answered
// tells the edited members as they were: the edit stands here. Where such a
// reply said something else, the platform's current values are asked for
// once more, so that a change made elsewhere after the edit still arrives.

#include "CSynDataManager.h"

#include "manager/CBookJobManager.h"
#include "manager/CMemoManager.h"
#include "manager/CPublicManager.h"
#include "remote/records/BookRecords.h"
#include "remote/records/MemoRecords.h"

#include <QDebug>

void CSynDataManager::lookAgainAtMemo(int localMemoId, int memoId)
{
    if (localMemoId < 1 || memoId < 1)
        return;
    qInfo() << "memo" << localMemoId << "was told as it stood before an answered edit; asked for again";
    TC_Memo_Detail detail;
    detail.header.localMemoId = localMemoId;
    detail.header.memoId = memoId;
    detail.header.uid = m_model->userInfo.uid;
    CMemoManager::instance()->memoDetail(detail);
}

void CSynDataManager::lookAgainAtBook(int localBookId, int bookId)
{
    if (localBookId < 1 || bookId < 1)
        return;
    qInfo() << "book" << localBookId << "was told as it stood before an answered edit; asked for again";
    TC_Books_Info request;
    request.header.localBookId = localBookId;
    request.header.bookId = bookId;
    request.header.uid = m_model->userInfo.uid;
    m_bookJobs->books_info(request);
}
