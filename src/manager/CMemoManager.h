#pragma once

#include "db/T_JobData.h"
#include "manager/JobOwners.h"
#include "remote/records/MemoRecords.h"

#include <QByteArray>
#include <QObject>

class CPublicManager;
class CTessaneDb;
class CTessaneHttp;

// Owner of the memo jobs (3002-3008). What is here: loading the author's
// memos, the replay of stored memo jobs and the add reply that gives a memo
// its server id. The memo operations of the screens are not built yet: they
// log and return false.
class CMemoManager : public QObject
{
    Q_OBJECT
public:
    static CMemoManager* instance();

    // Frees and reloads the shared model's memo list of the signed-in user.
    bool loadMemoList();
    JobReplay execUserJob(T_JobData& job);
    void onGetAsynData(int jobType, const QByteArray& body);

    bool memoAdd(TC_Memo_Add& request);
    bool memoDel(TC_Memo_Del& request);
    bool memoDetail(TC_Memo_Detail& request);
    bool memoEditColor(TC_Memo_Edit& request);
    bool memoEditContent(TC_Memo_Edit& request);
    bool memoEditLocation(TC_Memo_Edit& request);

    // The chapter is gone: every memo pinned to it becomes a free memo
    // (row first, then the model). False when a row could not be written.
    bool unbindChapter(int localBookId, int localChapterId);

private:
    explicit CMemoManager(QObject* parent = nullptr);
    bool notBuilt(const char* operation);

    CTessaneHttp* m_http = nullptr;
    CTessaneDb* m_db = nullptr;
    CPublicManager* m_model = nullptr;
};
