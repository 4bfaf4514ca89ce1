#pragma once

#include "remote/records/SystemRecords.h"

#include "db/T_DeleteRecords.h"
#include "db/T_OwedLook.h"
#include "remote/T_Http_Custom.h"

#include <QByteArray>
#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QPair>
#include <QSet>
#include <QString>

#include <climits>
#include <functional>

class CBookJobManager;
class CPublicManager;
class CTessaneDb;
class CTessaneHttp;
class CUiManager;
class CUserJobManager;
struct T_Book;
struct T_Chapter;
struct T_JobData;
struct T_Volume;

// The change feed: changes made to the author's data elsewhere. The pull
// (job 3010) brings a list of items; they are applied one at a time, in the
// order received, through the same owner operations that local edits use but
// marked as coming from the feed (applied locally, nothing recorded or sent
// back). Items whose data must be fetched send a request carrying a feed step
// in its identity and wait for its reply. When the list is done, the highest
// sync id applied is acknowledged (job 3011) and the platform forgets what
// came before it.
//
// A fetch of the pass that fails stops the pass without acknowledging
// anything, so the next pull brings the same items again; an item whose data
// the platform refuses kFetchTries times in a run is given up. An item that
// cannot be applied here is logged and passed over, so the feed always moves
// on: the acknowledgement stops short of it the first time, and it is given up
// when it fails again. Text the author wrote here and has not sent yet is
// never overwritten by the feed: the remote version is kept beside it as a
// copy of the chapter.
class CSynDataManager : public QObject
{
    Q_OBJECT
public:
    static CSynDataManager* instance();
    ~CSynDataManager() override;

    // Internal change types, queued by the feed itself with sync id 0.
    static constexpr int kFetchChapterList = 100001;
    static constexpr int kFetchChapterListEnd = 100002;
    static constexpr int kFetchVolumeList = 100003;
    // The looks at an object whose delete for good here was withdrawn: a
    // book's information, a book's outlines, a memo's detail; and their end,
    // where the author hears it is kept once it is back (a book goes back
    // to the recycle bin there, everything else of it fetched).
    static constexpr int kFetchBook = 100004;
    static constexpr int kFetchOutlines = 100005;
    static constexpr int kFetchMemo = 100006;
    static constexpr int kSettleWithdrawn = 100007;
    // A look at a book's list owed until answered (oweLook).
    static constexpr int kOwedLook = 100008;

    // Empties the queue and sends the pull.
    void requestSynData();
    // The pull's reply.
    void startSyn(const QByteArray& body);
    // Applies the head item, or ends the pass when the queue is empty.
    void execSynData();
    // The head item is done: the next one.
    void execNext();
    // The reply of a request sent with the given feed step was handled; a
    // step the pass no longer waits for (an earlier pass, a fetch nobody
    // waits for) moves nothing.
    void execNext(int synStep);
    // A request of the pass failed: the pass ends without acknowledging
    // anything, so the next pull brings the same items again. answered: the
    // platform did answer (with a failure); an item whose fetch fails so
    // kFetchTries times in a run is given up, so that the feed moves on.
    void abortSyn();
    void abortSyn(int synStep, bool answered);
    static constexpr int kFetchTries = 3;
    // Forgets the queue and any step waited for (signing out, closing).
    void clear();
    // The end of a run: also forgets which items failed in it.
    void reset();

    void addSynItem(int changeType, int bookId, int chapterId, int synId, const QString& extra);
    bool hasSynItem(int changeType, int bookId, int chapterId) const;
    // Counts the queued items of a book just added from the feed into its
    // sync progress.
    void countBookItems(T_Book* book);
    static QString printSynItem(const T_SynchronizaTion_SynBookDataItem* item);
    static void printSynType(const T_SynchronizaTion_SynBookDataItem* item, bool valid);

    // A chapter list the pass waits for (sent with synStep) names a volume
    // this copy does not have: the book's volume list is fetched next and
    // the item that asked for the list runs once more. False when the pass
    // did so for the book already, or waits for no such reply; the caller
    // then merges what it can place.
    bool retryAfterVolumeList(int synStep, const T_Book* book);
    // The change whose fetch synStep answers could not be applied whole (a
    // list placed something in an object this machine holds back for a
    // look-up): it is not acknowledged, so the next pull brings it again.
    void applyAgainLater(int synStep);

    // A chapter reply (1013, 1014) fetched by the feed, or a chapter's text
    // a look asked for, before the book manager applies it: chapters with a change of the author still waiting
    // in the job table keep their text, and the remote version becomes a
    // copy beside them. Returns the reply the book manager may apply.
    QByteArray guardChapterReply(int jobType, const QByteArray& body, bool fromFeed);
    // Any reply before its owner applies it: chapters fetched by the feed as
    // above; memo and outline texts with an edit still waiting here keep that
    // text, and a different remote one is kept as a copy (a new memo or
    // outline, recorded so that it reaches the platform too).
    QByteArray guardReply(int jobType, const QByteArray& body, bool fromFeed);
    // The reply with every member it leaves out of a memo, outline card,
    // volume, chapter entry or book this machine holds put in as it is here
    // (a faulty or hostile reply tells nothing of a member it lacks). Look-ups
    // take it too; guardReply starts with it.
    QByteArray withMembersHere(int jobType, const QByteArray& body) const;
    // The name of a conflict copy.
    static QString copyName(const QString& name);
    // Stores text as a new chapter right after the given one, named as a
    // copy of name (empty: of the chapter's), recorded so that it reaches
    // the platform too; its local id, 0 on failure.
    int makeChapterCopy(T_Book* book, const T_Chapter* chapter, const QString& text, const QString& name = QString());

    // The platform's delete (type 0) or restore (1) of a volume, taken here
    // as coming from the feed, with what it means for the volume's chapters;
    // false when the owner operation failed.
    bool takeVolumeStatus(T_Book* book, const T_Volume* volume, int type);

    // A fetch of the feed (sent with synStep) shows whether objects are on
    // the platform whose delete for good (deleteType) this machine withdrew;
    // bookId is their book's server id (0 for books and memos).
    // shown(serverId): 1 there, 0 gone, -1 not told by this reply. There,
    // the object comes back, and the author hears it is kept once it is
    // (the pass's kSettleWithdrawn). Gone after a request of the delete went
    // out unanswered, the delete had reached the platform before the words
    // written elsewhere: it counts as this machine's, and the author hears
    // that the words went with it; gone otherwise, it was deleted elsewhere
    // since, and nothing is left to tell.
    void settleWithdrawn(int deleteType, int bookId, int synStep, const std::function<int(int)>& shown);
    // Whether the object of a delete withdrawn here waits for its look.
    bool awaitsLook(int deleteType, int serverId);
    // A new session: the looks are read again for whoever is signed in.
    void resetSession();

    // A look at one of the book's lists (listType: the list's job type) that
    // an answer calls for: where the platform put a new or moved volume or
    // outline card, or (a chapter list with volumeId, a deleted volume) which
    // chapters a volume's delete recycled there, or (ChapterContent, the
    // chapter's server id in volumeId) one chapter as the platform holds it
    // after a change of it was refused. It is kept, in the database
    // too, until a reply of it came: sent at once, or in a pass as one of its
    // steps; every pass sends again those still owed. One reading of the
    // chapters' states serves every deleted volume of a book. later: more
    // answers that call for it are still to come, and the last of them (or
    // the next pass, should none come) sends it, so one look stands for all.
    void oweLook(int listType, const T_Book* book, int volumeId = 0, bool later = false);
    // A reply older than an answered edit said otherwise of a member the edit
    // changed: the memo's detail or the book's information is asked for once more, which tells the
    // member as the platform holds it since (CSynDataManager_older.cpp).
    void lookAgainAtMemo(int localMemoId, int memoId);
    void lookAgainAtBook(int localBookId, int bookId);
    // A list of a book sent outside the feed and any job (no feed step, no
    // job id) was answered (answered) or failed: a look owed is done once
    // every request of it sent since it was owed has been answered.
    void lookAnswered(const T_Http_Custom& identity, bool answered);
    // The acknowledgement a pass sent was answered: taken (ok), or refused
    // or lost, when the platform keeps its items and the next pull brings
    // them again. Only a taken one tells the deletes confirmed here that the
    // change items recorded before that pass's pull are off the feed.
    void ackAnswered(const T_Http_Custom& identity, bool ok);

    int pendingItems() const { return m_reply.items.size(); }
    bool isRunning() const { return m_running; }

private:
    enum class Outcome { Continue, Wait, Fail };

    explicit CSynDataManager(QObject* parent = nullptr);
    Outcome dispatch(const T_SynchronizaTion_SynBookDataItem& item);
    // Marks the changes of this machine whose reply was lost that a pulled
    // item shows were followed by a change of their object elsewhere.
    void noteChangesElsewhere();
    void endPass(bool ok);
    int nextStep();
    // Fills the identity of a change the feed applies through an owner: the
    // object's ids and a new feed step (so nothing is recorded or sent back).
    // The request's own fields (its job type) are left as they are.
    void setBookStep(T_Http_Custom& header, const T_Book* book);
    void setChapterStep(T_Http_Custom& header, const T_Book* book, const T_Chapter* chapter);
    void setVolumeStep(T_Http_Custom& header, const T_Book* book, const T_Volume* volume);

    // Item handlers (CSynDataManager_items.cpp).
    Outcome execBookAdd(const T_SynchronizaTion_SynBookDataItem& item);
    Outcome execBookInfo(const T_SynchronizaTion_SynBookDataItem& item);
    Outcome execBookDelete(const T_SynchronizaTion_SynBookDataItem& item);
    Outcome execChapterAdd(const T_SynchronizaTion_SynBookDataItem& item);
    Outcome execChapterMenu(const T_SynchronizaTion_SynBookDataItem& item);
    Outcome execChapterRecycle(const T_SynchronizaTion_SynBookDataItem& item, int status);
    Outcome execChapterDelete(const T_SynchronizaTion_SynBookDataItem& item);
    Outcome execChapterContent(const T_SynchronizaTion_SynBookDataItem& item);
    // A volume renamed, deleted or restored elsewhere: its list is fetched.
    Outcome execVolumeState(const T_SynchronizaTion_SynBookDataItem& item);
    // A chapter this machine deleted for good, its delete still waiting,
    // that another machine restored or wrote in since: the delete would take
    // that work with it, so it goes instead, and the platform's chapter list
    // brings the chapter back.
    void withdrawWaitingDelete(const T_Book* book, int chapterId);
    // The same for a book deleted for good here: any change of it made
    // elsewhere but a recycle or a delete withdraws the delete, and the book
    // comes back as the platform holds it. True when the item was taken so.
    bool withdrawWaitingBookDelete(const T_SynchronizaTion_SynBookDataItem& item);
    // Words written elsewhere reach a book in this machine's recycle bin:
    // the book is marked so, and the author's delete for good of it is
    // withdrawn once (CBookJobManager::books_delete_hard).
    void noteWordsInBin(const T_SynchronizaTion_SynBookDataItem& item);
    // The same for a memo or an outline deleted here (jobType its delete):
    // a change of it made elsewhere withdraws the delete, and it comes back
    // as the platform holds it. Leaving: the delete is on its way already,
    // and the platform takes it.
    enum class NoteDelete { None, Withdrawn, Leaving, Failed };
    NoteDelete withdrawWaitingNoteDelete(int jobType, int serverId, int bookId = 0);
    // The job goes and what waits for the look is stored, in one
    // transaction (with the volume rows of a book's delete, localBookId);
    // the looks go with this pass.
    bool withdraw(int jobId, const T_WithdrawnDelete& look, int localBookId);
    // Where a book brought back goes: to the bin unless the last recycle or
    // restore of it the pass brings is a restore (those items are taken).
    bool binAfter(const T_SynchronizaTion_SynBookDataItem& item, bool inBin);
    void loadLooks();
    // Queues the looks of every withdrawn delete (a pass's start), or of
    // one, once a pass, followed by its kSettleWithdrawn.
    void queueWaitingLooks();
    void queueLooks(const QPair<int, int>& key);
    void forgetLook(const QPair<int, int>& key);
    // The request of the head item failed: when that is a look, it is
    // tried again with the next pass, and this one goes on.
    bool lookFailed();
    Outcome execFetchMemo(const T_SynchronizaTion_SynBookDataItem& item);
    // Owed looks (CSynDataManager_owed.cpp).
    void loadOwed();
    void queueOwedLooks();
    void queueOwed(const T_OwedLook& look);
    // Whether the pass holds the look at or after the item at from.
    bool owedQueued(const T_OwedLook& look, int from) const;
    static T_OwedLook owedOf(const T_SynchronizaTion_SynBookDataItem& item);
    bool sendLook(const T_OwedLook& look, int synStep);
    Outcome execOwedLook(const T_SynchronizaTion_SynBookDataItem& item);
    // The head item's look was answered: forgotten unless it comes again
    // later in the pass.
    void owedAnswered();
    void forgetOwed(const T_OwedLook& look);
    Outcome execSettleWithdrawn(const T_SynchronizaTion_SynBookDataItem& item);
    Outcome askMemoDetail(int memoId);
    // Words written elsewhere came into an object whose delete for good
    // from here the platform had answered: they went with it (told once).
    void tellIfTakenFirst(const QPair<int, int>& key);
    void tellWhatBecameOf(int deleteType, bool kept);
    // Puts an internal item right after the head of the queue (at offset).
    void insertSynItem(int offset, int changeType, int bookId);
    Outcome fetchBookNotHere(int bookId);
    // The book's information, with the pass waiting for it.
    Outcome askBookInfo(int localBookId, int bookId);
    Outcome execFetchOutlines(const T_SynchronizaTion_SynBookDataItem& item);
    Outcome execTimeMachine(const T_SynchronizaTion_SynBookDataItem& item);
    Outcome execStatistics();
    Outcome execAuthorInfo();
    Outcome execMemoAdd(const T_SynchronizaTion_SynBookDataItem& item);
    Outcome execMemoDetail(const T_SynchronizaTion_SynBookDataItem& item);
    Outcome execMemoDelete(const T_SynchronizaTion_SynBookDataItem& item);
    Outcome execSensitive();
    Outcome execChapterBatch(const T_SynchronizaTion_SynBookDataItem& item);
    Outcome execOutlineAdd(const T_SynchronizaTion_SynBookDataItem& item);
    Outcome execOutlineDetail(const T_SynchronizaTion_SynBookDataItem& item);
    Outcome execOutlineDelete(const T_SynchronizaTion_SynBookDataItem& item);
    Outcome execOutlineMove(const T_SynchronizaTion_SynBookDataItem& item);
    Outcome execVolumeAdd(const T_SynchronizaTion_SynBookDataItem& item);
    Outcome execVolumeEidt(const T_SynchronizaTion_SynBookDataItem& item);
    Outcome execVolumeMove(const T_SynchronizaTion_SynBookDataItem& item);
    Outcome execVolumeDelRestore(const T_SynchronizaTion_SynBookDataItem& item, int type);
    Outcome execBookDeleteHard(const T_SynchronizaTion_SynBookDataItem& item);
    Outcome execBookRestore(const T_SynchronizaTion_SynBookDataItem& item);
    Outcome execFetchChapterList(const T_SynchronizaTion_SynBookDataItem& item);
    Outcome execFetchVolumeList(const T_SynchronizaTion_SynBookDataItem& item);
    // Queues, right after the head item, the book's volume list and then the
    // item once more.
    void queueVolumeListAndAgain(const T_Book* book, const T_SynchronizaTion_SynBookDataItem& item);
    // A chapter added in a volume this copy does not have: the book's volume
    // list is fetched and the item tried once more; when the volume is still
    // unknown, the book's chapter list places the chapter.
    Outcome placeChapterOfUnknownVolume(T_Book* book, const T_SynchronizaTion_SynBookDataItem& item);
    // An item that could not be applied: the rest of the pass goes on. The
    // first time, the acknowledgement stops short of it so that the next pull
    // brings it again; an item that fails twice in a run is given up.
    void skipFailedItem(const T_SynchronizaTion_SynBookDataItem& item);
    // Has the platform's state of a chapter in a volume deleted here fetched
    // later in the pass.
    void askChapterState(const T_Book* book, const T_Chapter* chapter);
    void noteApplied(int synId);
    void sendChapterBatch(int pass, int localBookId, int bookId, const QString& cids);

    // Pending local changes and conflict copies (CSynDataManager_guard.cpp).
    bool hasPendingText(int localChapterId) const;
    // The newest job of the type for the object (column names its local id)
    // waiting in the table; with member given, one whose JSON content has it.
    struct WaitingEdit
    {
        bool found = false;
        int jobId = 0;
        QJsonObject content;
        // Whether the text (its noteTextMd5) is one the edit replaced, so
        // one the platform may hold without anybody else having written it.
        bool replaced(const QString& md5) const;
    };
    WaitingEdit waitingEdit(int jobType, const QString& column, int localId, const QString& member) const;
    bool hasWaitingEdit(int jobType, const QString& column, int localId, const QString& member) const;
    QByteArray guardMemoReply(const QByteArray& body);
    // Whether the platform's text of a note holds every paragraph of the
    // text its waiting edit carries, while the edit holds just what a
    // request of it carried (its reply lost): the edit then gives up that
    // text (a card's edit goes whole) and the platform's is taken
    // (CSynDataManager_sentNote.cpp).
    bool sentTextHeldThere(const WaitingEdit& edit, const QString& there, bool wholeJob);
    // The platform's text of a memo with words waiting here, written
    // elsewhere, becomes a memo of its own (once per text).
    void keepMemoCopy(int localMemoId, int editJobId, const QString& text);
    QByteArray guardOutlineReply(int jobType, const QByteArray& body);
    QJsonObject guardOutline(QJsonObject remote);
    QString localText(const T_Chapter* chapter) const;
    void noteRemoteBase(int localChapterId, const QString& remote);

    TS_SynchronizaTion_SynBookData m_reply;
    CTessaneHttp* m_http = nullptr;
    CPublicManager* m_model = nullptr;
    CBookJobManager* m_bookJobs = nullptr;
    CUserJobManager* m_userJobs = nullptr;
    CUiManager* m_ui = nullptr;
    CTessaneDb* m_db = nullptr;
    // Sync id of the latest item of this pass that had one.
    int lastSynId = 0;
    // The feed step of the request the pass waits for (0: none).
    int m_waitStep = 0;
    int m_lastStep = 0;
    // Counts passes, so that a delayed request of an ended pass stays home.
    int m_pass = 0;
    bool m_running = false;
    // The book whose chapter list the batch handler asked for in this pass.
    int m_batchMenuBook = 0;
    // The highest sync id this pass may acknowledge: just below the first
    // item that failed.
    int m_ackCeiling = INT_MAX;
    // Books whose volume list this pass fetched (for a chapter in an unknown
    // volume, or a volume changed elsewhere).
    QSet<int> m_volumeListFetched;
    // Items run once more after a volume list: the sync id of the pulled
    // item each stands for.
    QHash<const T_SynchronizaTion_SynBookDataItem*, int> m_againOf;
    // Sync ids of items that failed once in this run.
    QSet<int> m_failedItems;
    // Sync id -> fetches of the item the platform answered with a failure.
    QHash<int, int> m_failedFetches;
    // Withdrawn deletes (job type, server id) waiting for a look at their
    // object, as stored, with the last feed step sent before the withdrawal
    // (or before they were read). Read for the author signed in.
    struct Look
    {
        T_WithdrawnDelete row;
        int afterStep = 0;
    };
    QHash<QPair<int, int>, Look> m_lookedFor;
    int m_lookedForOf = -1;
    // This pass: the looks queued (item -> whose), those queued once, and
    // those whose request failed.
    QHash<const T_SynchronizaTion_SynBookDataItem*, QPair<int, int>> m_lookOf;
    QSet<QPair<int, int>> m_looksQueued;
    QSet<QPair<int, int>> m_looksFailed;
    // When the pull of this pass left (CBookJobManager::deletedHereClock).
    qint64 m_pulledAt = 0;
    // Acknowledgements out that take in all their pass pulled: the feed step
    // each was sent with -> when that pass's pull left.
    QHash<int, qint64> m_acksOut;
    // Looks owed, as stored, with the requests of each sent outside a pass
    // and not answered yet, and whether one of those failed. Read for the
    // author signed in (m_owedOf).
    struct Owed
    {
        int out = 0;
        bool failed = false;
        // An answer that calls for it came after the requests out left, which
        // may not show what it did: one more goes once they are answered.
        bool again = false;
        // An answer came that leaves it to a later one: it stays owed when
        // the requests out are answered.
        bool held = false;
    };
    QHash<T_OwedLook, Owed> m_owed;
    int m_owedOf = -1;
};
