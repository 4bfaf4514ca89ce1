#pragma once

#include "db/T_JobData.h"
#include "manager/JobOwners.h"
#include "remote/records/MemoRecords.h"

#include <QByteArray>
#include <QObject>
#include <QSet>

class CPublicManager;
class CTessaneDb;
class CTessaneHttp;
struct T_Memo;

// The one place that changes memos. Local first: the shared model's memo,
// its tb_memo row and a job are written, then the request goes out when the
// memo's server id is known (an edit after the next feed). A record whose
// header carries a change-feed step (synStep) came from the platform: it is
// applied here and never recorded or sent. Also replays stored memo jobs and
// takes their replies.
class CMemoManager : public QObject
{
    Q_OBJECT
public:
    static CMemoManager* instance();

    // Frees and reloads the shared model's memo list of the signed-in user.
    bool loadMemoList();
    JobReplay execUserJob(T_JobData& job);
    void onGetAsynData(int jobType, const QByteArray& body);
    void asynBackMemoDetail(const QByteArray& body);

    // Each fills the record's header (user, ids, job) and returns true only
    // once the memo row and, for a local change, its job are on disk.
    bool memoAdd(TC_Memo_Add& request);
    bool memoDel(TC_Memo_Del& request);
    bool memoDetail(TC_Memo_Detail& request);
    bool memoEditColor(TC_Memo_Edit& request);
    bool memoEditContent(TC_Memo_Edit& request);
    bool memoEditLocation(TC_Memo_Edit& request);

    // The chapter is gone: every memo pinned to it becomes a free memo
    // (row first, then the model). False when a row could not be written.
    bool unbindChapter(int localBookId, int localChapterId);

    // Tells the memo list and the memo's window what changed.
    void refreshMemoView(int localMemoId, int jobType);

    // A memo deleted elsewhere while an edit of its text waits here lives on
    // as a memo of this machine: its jobs retired, its create (and its place,
    // when pinned) recorded anew and sent after the feed under way, and the
    // author told. False when nothing changed.
    bool keepMemoHereOnly(int localMemoId);
    // An edit refused because the platform no longer has the memo: kept as
    // above when it carries text (true), else the refusal settles it.
    bool keepRefusedMemo(const T_Http_Custom& identity, const QString& message);
private:
    explicit CMemoManager(QObject* parent = nullptr);
    static bool fromServer(const T_Http_Custom& header) { return header.synStep != 0; }
    // A memo the feed named that this machine lacks: stored as the platform
    // has it, unless it may be this machine's own whose create is not
    // answered yet (its look-up takes it then).
    void takeUnknownMemo(const TS_Memo_Detail& reply);
    // Writes the changed memo's row; on failure the memo gets its former
    // state back, so memory never holds what the file does not.
    bool storeOrRestore(T_Memo* memo, const T_Memo& before);
    // The first step of an edit: the memo found and its edited state worked
    // out into after, the memo itself left as it is; null on failure.
    T_Memo* applyEdit(TC_Memo_Edit& request, const char* what,
                      T_Memo* (CPublicManager::*update)(const TC_Memo_Edit&), T_Memo& after);
    void fillEditIdentity(TC_Memo_Edit& request, const T_Memo* memo) const;
    // Writes the edited row and, for a local edit, its job in one commit,
    // then gives the memo its new state; the job goes after the next feed
    // once the platform knows the memo. The job table merges 3004-3006 into
    // the pending 3007.
    bool commitEdit(T_Memo* memo, const T_Memo& after, TC_Memo_Edit& request, const QString& content,
                    int sentType);
    template <class Request>
    void sendRecorded(Request& request, int revision, void (CTessaneHttp::*send)(Request&));

    CTessaneHttp* m_http = nullptr;
    CTessaneDb* m_db = nullptr;
    CPublicManager* m_model = nullptr;
};
