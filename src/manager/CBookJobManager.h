#pragma once

#include <functional>
#include <memory>

#include "db/T_DeleteRecords.h"
#include "db/T_JobData.h"
#include "manager/CAnsweredEdits.h"
#include "manager/JobOwners.h"
#include "manager/TessaneError.h"
#include "remote/records/BookRecords.h"
#include "remote/records/ChapterRecords.h"
#include "remote/records/OutlineRecords.h"
#include "remote/records/VolumeRecords.h"

#include <QByteArray>
#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QMap>
#include <QObject>
#include <QPair>
#include <QList>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QStringList>

class CPublicManager;
class CTessaneDb;
class CThreadImportBook;
class CTessaneHttp;
class CUiManager;
struct T_Book;
struct T_Chapter;
struct T_ChapterTextSave;
struct T_Http_S;
struct T_ImportTarget;
struct T_Outline;
struct T_Volume;
class WriteTurns;
class QThread;

// The one place where books, volumes, chapters and outlines change. Every
// operation keeps four things in step: the shared model, the tables, the job
// table and the platform. It resolves its objects in the model, writes the
// table first and changes the model only once that worked, records the job
// (unless the change came from the platform) and sends the request at once
// when every server id it needs is known; otherwise the job waits for the
// reply that brings the id and goes out with the queue's next pass.
//
// Failures are results: false (or null) when nothing, or not all, was done;
// lastError() then says why. GUI thread only.
class CBookJobManager : public QObject
{
    Q_OBJECT
public:
    static CBookJobManager* instance();

    // --- books (CBookJobManager.cpp) ---

    // The signed-in author's books into the shared model's two lists.
    bool loadBooks();
    // A new book, or (with a server id the model knows) the book already
    // here, which is then only marked loaded and null is returned. A book
    // made by hand gets its first volume and chapter; fromSync records no job.
    T_Book* books_add(TC_Books_AddBook& request, bool fromSync);
    bool books_edit(TC_Books_Edit& request);
    bool books_delete(TC_Books_Delete& request, bool fromSync);
    bool books_restore(TC_Books_Restore& request, bool fromSync);
    // The author's delete for good of a book holding words written elsewhere
    // that came in while it was in this machine's bin (T_Book::kWrittenInBin)
    // is refused once, lastError saying why: the bin shows no text.
    bool books_delete_hard(TC_Books_Delete_Hard& request, bool fromSync);
    // Why a delete for good of a book or a chapter holding words written
    // elsewhere since it went to the recycle bin was refused, for the author.
    static QString writtenInBinRefusal(const QString& name);
    // Words written elsewhere reach the recycled book (see books_delete_hard).
    bool markWrittenInBin(T_Book* book);
    // A recycled book the platform deleted for good while the author still
    // had changes of it here: it stays in the recycle bin as a book of this
    // machine only, its jobs retired, and the author is told where it is.
    // Restoring it creates it on the platform anew.
    bool keepBookHereOnly(T_Book* book);
    // Asks the platform for the book's information; no job.
    bool books_info(TC_Books_Info& request);
    // Tells the bookshelf that the book's row changed.
    void refreshBookItem(T_Book* book);
    bool books_export(T_Book* book, const QString& path);
    bool startImportBook(const QString& path);
    // Ends the signed-in author's import with the session (a sign-out, the
    // quit): a running import is stopped and waited for, and stores nothing
    // unless it had already committed; its tile goes, and the next author
    // may import.
    void stopImport();
    // Waits for the batch request a worker is making and drops it.
    void stopBatchRequest();

    // --- chapters (CBookJobManager_chapters.cpp) ---

    // Resolves the chapter a request names (live, then recycled) and fills
    // the request's user and server ids from the model; null when unknown.
    // Only a book of the bookshelf holds it, unless recycledToo (a change the
    // platform tells of).
    template <class Request>
    T_Chapter* getChapter(Request& request, bool recycledToo = false)
    {
        return resolveChapter(request.header, recycledToo);
    }
    bool chapter_add(TC_Chapter_Add& request);
    bool chapter_edit_content(TC_Chapter_Edit_Content& request);
    // The same save with its commit on the database's worker thread; done
    // runs on this thread with the outcome, once the record holds the text
    // (or the save failed). False, without done, when the chapter is unknown.
    bool chapter_edit_content_soon(const TC_Chapter_Edit_Content& request, const std::function<void(bool)>& done);
    bool chapter_edit_name(TC_Chapter_Edit_Name& request);
    // The author's delete for good of a chapter that took words written
    // elsewhere while in this machine's bin (T_Chapter::writtenInBin) is
    // refused once, lastError saying why, as a book's is.
    bool chapter_delete(TC_Chapter_Delete& request);
    bool chapter_recycle(TC_Chapter_Recycle& request, bool fromSync);
    bool chapter_move(TC_Chapter_Move& request);
    bool chapter_contentBlade(TC_Chapter_ContentBlade& request);
    // The chapter list (job 1012); a fetch, so nothing is recorded whether or
    // not the change feed asks for it.
    bool chapter_menu(TC_Chapter_Menu& request, bool fromFeed = false);

    // --- chapters gone from the platform (CBookJobManager_gone.cpp) ---

    // A job of a chapter refused because the platform no longer has the
    // chapter settles nothing while words of its text wait here: true when
    // the chapter was kept (keepChapterHereOnly), false when the refusal
    // settles the job. Its other changes (a rename, a move, a recycle or a
    // restore) then go with it, and the author is told once.
    bool keepRefusedChapter(const T_Http_Custom& identity, const QString& message);
    // A chapter deleted for good elsewhere with no words of its text waiting
    // here: its waiting changes are dropped, told once. False when the queue
    // refused.
    bool dropGoneChapterChanges(const T_Chapter* chapter);
    // A new sign-in session: what the author was told of chapters deleted
    // elsewhere belongs to the session before; the deletes confirmed here
    // are read again for whoever is signed in.
    void resetSession()
    {
        m_toldGone.clear();
        m_deletedHere.clear();
        m_deletedHereOf = -1;
    }

    // --- deletes confirmed here (CBookJobManager_gone.cpp, CBookJobManager_deletedHere.cpp) ---

    // A delete for good of this machine's (a chapter, a book, an outline or
    // a memo: its job type) that the platform confirmed: it took it, or
    // refused a resend because the object is gone already. Either way this
    // machine deleted it; a list the platform answered before the delete
    // reached it brings nothing of it back. A volume's delete answered is
    // kept alike (its restore answered ends that), so an older list shows
    // no deleted volume live again.
    void noteDeleteConfirmed(const T_Http_Custom& identity, int code, const QString& message);
    // A volume's delete (deleted) or restore confirmed, by its answer or by
    // the look-up after its reply was lost.
    void noteVolumeDeleted(int bookId, int volumeId, bool deleted);
    // Whether the object of that server id was deleted from here: kept in
    // the database across starts and sign-ins until no older list can come
    // (listedWithout).
    bool deletedHere(int deleteType, int serverId) const;
    // Whether the platform took that delete itself (it answered it, or a
    // look after it was withdrawn found the object gone) rather than
    // refusing it as deleted already, by another machine perhaps.
    bool deleteTookIt(int deleteType, int serverId) const;
    void noteDeleteTookIt(int deleteType, int serverId, int bookId = 0);
    // The author was told that words written elsewhere went with it.
    bool toldTookIt(int deleteType, int serverId) const;
    void noteToldTookIt(int deleteType, int serverId);
    // A restore made elsewhere after the delete (a volume's): the platform's
    // lists show the object again from now on.
    void forgetDeletedHere(int deleteType, int serverId);
    // A list of the platform's was answered (deleteType: of the objects it
    // can show; bookId their book, 0 for books and memos). A delete it does
    // not show (listed false) is forgotten once it cannot be older than the
    // delete: asked after the delete was confirmed (in a later session, or
    // later than the longest a request waits), and after a feed pass pulled
    // after the confirmation ended, which took every change item recorded
    // before the delete off the feed.
    void listedWithout(int deleteType, int bookId, const std::function<bool(int)>& listed);
    // The time a feed pull leaves (on the clock listedWithout compares), and
    // the end of that pass, its items taken in.
    qint64 deletedHereClock() const;
    void feedPassEnded(qint64 pulledAt);
    // Whether this machine deleted the object of that server id for good: its
    // delete waits in the queue, or the platform confirmed it (deletedHere).
    // Nothing answered or listed before brings it back; idColumn names the
    // server id's column in the job queue.
    bool deletedForGoodHere(int deleteType, const QString& idColumn, int serverId);

    // Whether a refusal of a request naming the object of a delete of that
    // type says the platform does not have the object.
    static bool refusedAsGone(int deleteType, const QString& message);
    // A job of a book refused because the platform no longer has the book:
    // the book is settled as the feed's delete for good would settle it.
    void keepRefusedBook(const T_Http_Custom& identity, const QString& message);
    // A book the platform no longer has. It stays as a book of this machine
    // (keepBookHereOnly, moved to the recycle bin first when live) while
    // words written here wait to be sent, which the deleting machine cannot
    // have seen. Otherwise it goes here too, live or not, its waiting changes
    // with it (told). False when nothing could be changed.
    bool settleGoneBook(T_Book* book);
    // The chapter lives on as a chapter of this machine: its jobs retired,
    // its create (with its text, and its recycle when it is in the recycle
    // bin) recorded anew, and the author told. False when nothing changed.
    bool keepChapterHereOnly(T_Book* book, T_Chapter* chapter);
    // An outline edit refused because the platform no longer has the
    // outline: its words are kept as keepOutlineHereOnly keeps them (true),
    // else the refusal settles the job.
    bool keepRefusedOutline(const T_Http_Custom& identity, const QString& message);
    // An outline deleted elsewhere while an edit of it waits here lives on as
    // an outline of this machine: its jobs retired, its create recorded anew
    // (sent after the feed under way), and the author told. False when
    // nothing changed.
    bool keepOutlineHereOnly(T_Book* book, T_Outline* outline);

    // --- volumes (CBookJobManager_volumes.cpp) ---

    bool volume_add(TC_Volume_Add& request);
    bool volume_edit(TC_Volume_Edit& request);
    // recycledToo: the volume may be of a book in the recycle bin (a change
    // the platform's state calls for).
    bool volume_del_restore(TC_Volume_Delete& request, bool recycledToo = false);
    // A live chapter in a volume deleted here brings the volume back, here
    // and on the platform (a recorded restore): a chapter written into a
    // volume deleted elsewhere must stay within the author's reach. True
    // when the volume came back.
    bool bringBackVolumeOf(T_Book* book, const T_Chapter* chapter);
    // After a volume's delete, here or on another machine: the book's
    // chapters take the states the platform gave them, once the look at its
    // chapter list is answered (CSynDataManager::oweLook).
    void requestChapterStates(const T_Book* book, int volumeId, int answeredJobId = 0);
    // newOrder: local volume id -> new order number of the volumes that moved.
    bool volume_move(TC_Volume_Move& request, const QMap<int, int>& newOrder);
    bool volume_menu(TC_Volume_Menu& request);

    // --- outlines (CBookJobManager_outlines.cpp) ---

    bool outline_create(TC_BookOutline_Create& request);
    bool outline_update(TC_BookOutline_Update& request);
    bool outline_delete(TC_BookOutline_Delete& request);
    // from, to: positions in the book's outline list before and after the
    // panel moved the entry.
    bool outline_move(TC_BookOutline_Move& request, int from, int to);
    bool outline_list(TC_BookOutline_List& request);

    // --- replay (CBookJobManager_replay.cpp) ---

    // A stored create that may already have reached the platform: sends the
    // list it would show up in (1 and lookup holds the request's identity),
    // 0 when the platform gives nothing to recognise it by, -1 when it
    // cannot be looked up now.
    int lookUpCreate(const T_JobData& job, T_Http_Custom& lookup);
    enum class Lookup { Adopted, Missing, AfterFeed };
    // What the first list fetched after a create's send showed that could be
    // its object (recognised by what it sent, no local row mapping to it).
    // Had the request made the object, it is among them: one that shows up
    // only in a later list was made elsewhere. feedPass: the count of feed
    // passes when that list came, -1 before it has.
    struct FirstListed
    {
        int feedPass = -1;
        QSet<int> ids;
    };
    // The list's reply: the object the earlier request made takes its id and
    // the create job goes (Adopted); Missing when the list does not have it.
    // An object recognised only by what the create sent may be another
    // machine's that the feed has not brought yet: the first list's
    // candidates are kept in first and the look-up waits (AfterFeed) for a
    // feed pass after it, which stores other machines' objects as theirs;
    // only a candidate still unmapped then is adopted.
    Lookup adoptCreated(int createType, int jobId, const QByteArray& body, int feedPasses, FirstListed& first);
    // Whether a list entry of a book that no row maps to may be this
    // machine's own object whose create is still unanswered: it is left
    // for that create's look-up instead of being stored as another's.
    bool heldForLookUp(int createType, int localBookId, const QString& name, int localId = 0);
    // --- changes whose reply was lost (CBookJobManager_lostChange.cpp) ---
    // Changes that are looked up before they go again once their request
    // left without an answer: a book's information and recycle state, a
    // chapter's name and text (the chapter edit), recycle state and place, a
    // volume's name, delete and order, an outline entry's place.
    static bool isLookedUpChange(int jobType);
    static const QList<int>& lookedUpChanges();
    // Sends the fetch that shows the changed object as the platform holds
    // it (1, lookup holds the request's identity); 0 when there is nothing
    // to look at (the replay decides), -1 when it cannot be looked up now.
    int lookUpChange(const T_JobData& job, T_Http_Custom& lookup);
    // The fetch's reply: Adopted when the platform holds the change, or a
    // later one from elsewhere, which is then taken here (the job goes, or a
    // chapter edit goes on with its text alone: Missing); Missing when the
    // change must go again; AfterFeed when the job could not be taken off.
    Lookup settleLostChange(int jobId, const QByteArray& body);
    // --- a chapter save that may have reached the platform (CBookJobManager_sentSave.cpp) ---
    // What the platform's text of a chapter tells of the text save waiting
    // here: it is the text the save started from (ItsStart), or it holds
    // every word of a save whose request left unanswered, which has nothing
    // left to bring and gives up its text (Holds), or neither. nameWaits:
    // whether the chapter's edit still carries a name then.
    enum class SaveMeets { Neither, ItsStart, Holds };
    SaveMeets waitingSaveMeets(const T_Chapter* chapter, const QString& platformText, bool* nameWaits);
    // Whether text holds every paragraph of words, in their order (a
    // paragraph written on counts as held).
    static bool holdsWordsOf(const QString& text, const QString& words);
    // Whether a job of a book must wait for an earlier one still queued,
    // because the platform would take the two differently in the other
    // order. jobId 0: whether a queued job may be waiting for one of this
    // type. Two rules:
    // - the platform appends the book's chapters, volumes and outline
    //   entries in the order their creates arrive;
    // - a volume's delete recycles the chapters in it when it arrives, and a
    //   restore brings back only the volume: it waits for the chapter
    //   placements and state changes made before it, and they for it; and a
    //   recycle or restore of one chapter or volume waits for the earlier.
    bool waitsForEarlier(int jobType, int localBookId, int jobId) const;
    // Rebuilds the request of a stored job from its row and sends it with
    // the job's identity and the run-next flag. A job whose server ids are
    // not known yet, or whose objects the model no longer has, is parked.
    JobReplay execUserJob(T_JobData& job);

    // --- replies (CBookJobManager_replies.cpp, CBookJobManager_merge.cpp) ---

    // A reply of a book job: stores what the platform returned, then counts
    // the book's sync progress.
    void asynBack(int jobType, int localBookId, const QByteArray& body);
    // One chapter object of the platform (text and fields) for a book known
    // by its server id.
    void asynBackChapterContent(int bookId, const QJsonObject& chapter);

    QString lastError() const { return m_lastError; }

    // ---- text import and export (CBookJobManager_import.cpp, _export.cpp) ----

    // The whole import of one text file, on the calling thread (the import
    // worker), with a database connection of its own. The book is written in
    // short transactions that give way to the window's writes, and becomes
    // the author's with the last one; a book left unfinished (a stop, a
    // failure) is for sweepImportLeftovers. On success the new book and its
    // add-book request go to the GUI thread through the two signals below
    // (which then own them).
    TessaneError books_import(const QString& path, const T_ImportTarget& target);
    // Deletes, on a worker, what imports that did not finish left; nothing
    // while an import runs.
    void sweepImportLeftovers();
    // Cuts the text (cleaned beforehand with htmlToPlainText) at the pattern's
    // matches: one title and one section text per match. The text before the first
    // match goes to leading when given. stopped, when given, is asked every
    // few hundred matches; once it says so the lists are left unfinished.
    static void splitImportText(QStringList& titles, QStringList& contents, QString& text,
                                const QString& pattern, QString* leading = nullptr,
                                const std::function<bool()>& stopped = {});
    // The same way, once it says so the text is left half cleaned.
    static void htmlToPlainText(QString& text, const std::function<bool()>& stopped = {});
    // Stores the chapters and their batch jobs (20 chapters per job) on the
    // given connection and appends them to the book; false at the first
    // failed write. batches receives the number of jobs recorded; progress
    // hears (chapters stored, chapters in all) before the first and after
    // every full batch, and stops the saving (false) by returning false.
    // With turns, a turn may end and the next begin after every row.
    static bool saveImportChapters(CTessaneDb& db, T_Book* book, int createTime,
                                   QList<T_Chapter*>& chapters, int* batches = nullptr,
                                   const std::function<bool(int, int)>& progress = {},
                                   WriteTurns* turns = nullptr);
    // The heading patterns of the catalogue ("volume regexp", "chapter
    // regexp"); the built-in ones when the catalogue has none or a broken one.
    static QString volumePattern();
    static QString chapterPattern();
    // What the author is told when an import ends with the given result
    // (TessaneError): that it failed, and why.
    static QString importErrorText(int result);

signals:
    // Emitted by the import worker; received queued on the GUI thread, which
    // takes ownership of the argument.
    void sig_ImportBookStep(T_Book* pBook);
    void sig_ImportBookThreadComplete(TC_Books_AddBook* tData);
    // Emitted by the import worker in plain values: the author who started
    // the import, the book being imported and how many of its chapters are
    // stored so far.
    void sig_ImportBookProgress(int uid, int localBookId, const QString& bookName, int stored, int total);
    // On the GUI thread once an import has ended, with its result.
    void sig_ImportBookFinished(int result);
    // The platform's versions of the chapter replaced the stored ones.
    void sig_versionsReplaced(int localChapterId);

private slots:
    void on_ImportBookStep(T_Book* pBook);
    void on_ImportBookThreadComplete(TC_Books_AddBook* tData);
    void on_ImportBookProgress(int uid, int localBookId, const QString& bookName, int stored, int total);

private:
    // Removes the tile of an import that stored nothing.
    void dropImportPlaceholder();
    // Local id of the book whose tile shows an import in progress.
    int m_importPlaceholderId = 0;
    // The import running now; cleared when it ends or is stopped, so that
    // what it still reports is dropped.
    QPointer<CThreadImportBook> m_import;
    explicit CBookJobManager(QObject* parent = nullptr);

    // Every operation's shared steps. A book of the bookshelf; with
    // recycledToo (a change the platform tells of) one in the recycle bin too.
    T_Book* resolveBook(T_Http_Custom& header, bool recycledToo = false);
    T_Chapter* resolveChapter(T_Http_Custom& header, bool recycledToo = false);
    // Records the change as a job; the revision the request must quote goes
    // to *revision. False (logged) when the job could not be stored.
    // Records, in the order the platform must take them, the creates of a
    // book that is on this machine only: book, volumes, chapters with their
    // texts, outlines. Called inside the caller's transaction.
    bool recordBookCreates(T_Book* book);
    // The book's volume list in ascending order, looked at until answered.
    void requestVolumeList(const T_Book* book, int answeredJobId = 0);
    // A look at one of the book's lists that the answer to job answeredJobId
    // calls for: while jobs behind that one that call for the same list
    // still wait, the last of their answers sends it, so that a book of many
    // volumes is listed once rather than once per volume.
    void oweBookLook(int listType, const T_Book* book, int answeredJobId, int volumeId = 0);
    // What the queue holds of a book's volume changes, read once for a whole list.
    struct VolumeChangesWaiting
    {
        bool unread = false;  // the queue could not be read: everything counts as waiting
        bool moves = false;
        QSet<int> renamed;         // local volume ids
        QSet<int> statusChanged;   // local volume ids
        QSet<QString> sentAdds;    // names carried by creates sent and not answered
        bool renames(int localVolumeId) const { return unread || renamed.contains(localVolumeId); }
        bool changesStatus(int localVolumeId) const { return unread || statusChanged.contains(localVolumeId); }
    };
    VolumeChangesWaiting volumeChangesWaiting(const T_Book* book);
    bool recordJob(T_Http_Custom& header, const QString& content, int createTime, int ext1,
                   int* revision);
    // A text save's values from the request and the record (the request's
    // word count, user and server ids filled); false when the chapter is
    // unknown.
    bool prepareChapterSave(TC_Chapter_Edit_Content& request, T_ChapterTextSave* save);
    // Takes a stored save into the record and the book and sends it; false,
    // with lastError, when the save failed.
    bool finishChapterSave(TC_Chapter_Edit_Content& request, const T_ChapterTextSave& save);
    // The chapter's text as stored before a save: the record's, or the row's
    // when the record never loaded it.
    QString storedText(const T_Chapter& chapter);
    // Sends a request whose job was just recorded, unless an earlier request
    // of the same job is still out (its reply makes the queue send the newer
    // state), and tells the job manager what the request carries.
    template <class Request>
    void sendRecorded(Request& request, int revision, void (CTessaneHttp::*send)(Request&));
    // Sends the delete kept waiting for the server id of an object deleted
    // here while its create was on the way (nothing when there is none).
    void sendWaitingDelete(int jobType, const QString& column, int localId);
    bool createWaits(int jobType, int localBookId, int jobId) const;
    bool placementWaits(int jobType, int localBookId, int jobId) const;
    // A change of a book waits while an earlier one whose request left is
    // not answered or looked up: sent first, the later one would be undone
    // when the earlier is found not to have arrived and goes again. With no
    // job (0): whether any change of the book may be waiting.
    bool lostChangeWaits(int jobType, int localBookId, int jobId) const;
    // Sends the book's chapter list, outline list or volume list (its job
    // type) with the identity lookup, which names the book.
    void requestBookList(int listType, T_Http_Custom& lookup);
    // An import batch's chapters found in the platform's chapter list.
    Lookup adoptBatch(const T_JobData& job, const QJsonArray& menu);
    // What the platform holds of a change whose reply was lost: the change,
    // what was there before it, or a later change from elsewhere.
    enum class Held { Ours, Before, Later };
    Lookup settleLostChapterChange(T_Book* book, const T_JobData& job, const QByteArray& body, Held otherwise);
    // A chapter edit carrying a text, by the chapter's detail: settled when
    // the platform holds the text (the platform's taken when written on
    // elsewhere), else it goes again; its name as a rename's look-up tells.
    Lookup settleLostSave(T_Book* book, const T_JobData& job, const QByteArray& body);
    // What the platform's name of a chapter tells of the name a chapter edit
    // carries; one given after an earlier request left goes as made (Before).
    static Held savedNameHeld(const QJsonObject& stored, const QString& platformName);
    // A chapter renamed elsewhere after this machine's rename takes the
    // platform's name.
    void takePlatformName(T_Book* book, T_Chapter* chapter, const QString& name, T_Http_S& head);
    // A book edit by the book's information: it goes again (Missing) with
    // only the members it changed that hold there what it replaced, else it
    // is settled and the platform's values taken.
    Lookup settleLostBookEdit(T_Book* book, const T_JobData& job, const QByteArray& body);
    Held chapterMoveHeld(const T_Book* book, const T_JobData& job, const QByteArray& body, Held otherwise);
    Held volumeMoveHeld(const T_Book* book, const T_JobData& job, const TS_Volume_Menu& reply, Held otherwise);
    // places: (order number, server id) of a list; whether the moved one
    // stands on the side of the other one the move put it.
    static Held sideHeld(QList<QPair<int, int>> places, int fromId, int toId, bool after, Held otherwise);
    // Takes a looked-up change's job off (Adopted), unless it changed here
    // meanwhile (Missing) or the table refused (AfterFeed).
    Lookup settle(const T_JobData& job);
    // Members a look-up settled stand over an older list, as answered ones.
    void noteSettled(const CAnsweredEdits::Edit& edit);
    // Handles content as the reply to the stored create job.
    void answerFor(const T_JobData& job, const QJsonValue& content);
    // The platform's current state of a memo adopted after its create's
    // reply was lost, applied as a fetched detail of it.
    void takeFoundMemo(const T_JobData& job, const QJsonObject& entry);
    // A table write failed: lastError gets the database's text.
    bool dbFailed(const char* what);
    // Tells the author that changes of an object deleted for good are gone,
    // and which device deleted it.
    void tellChangesDropped(const QString& name, bool deletedFromHere);
    // A window still holds unsaved text of what was to be recycled or deleted.
    bool leaveRefused();
    // A table write of a reply failed: the reply record reports it.
    void replyDbFailed(T_Http_S& head, const char* what);
    static int now();

    JobReplay replayChapterBatch(T_JobData& job);
    struct BatchRequest;
    // Made on a worker, from the stored job through a connection of its own.
    static void makeBatchRequest(const QString& dbFile, int updateTime, const QHash<int, int>& volumeIds,
                                 const QSet<int>& known, BatchRequest& out);
    void batchRequestMade();
    QThread* m_batchWorker = nullptr;
    int m_batchSerial = 0;
    std::shared_ptr<BatchRequest> m_batchMaking;
    std::shared_ptr<BatchRequest> m_batchMade;
    JobReplay replayChapterMove(T_JobData& job);
    JobReplay replayChapterBlade(T_JobData& job);
    JobReplay replayChapterAppMove(T_JobData& job);
    JobReplay replayOutline(T_JobData& job);
    JobReplay replayOutlineMoveWithoutIds(const TC_BookOutline_Move& move);
    JobReplay replayVolume(T_JobData& job);

    void asynBackBookAdd(const QByteArray& body);
    // --- a book's information and its cover (CBookJobManager_bookInfo.cpp) ---
    void asynBackBookInfo(const QByteArray& body);
    // The content of the book's edit still queued here (the book as it stood
    // here when last edited, the members the feed brought since), empty when
    // none waits; its job id goes to *jobId.
    QJsonObject waitingBookEdit(int localBookId, int* jobId = nullptr) const;
    // Whether that edit brings a cover the author chose here.
    static bool coverWaitsHere(const QJsonObject& edit);
    // Members the reply's information must not take back (CAnsweredEdits).
    void keepAnsweredMembers(const T_Book* book, T_Book* stored);
    // Fetches the picture at url for the book's cover without waiting;
    // takeCover stores it when it comes, if it still may.
    void fetchCover(int localBookId, const QString& url);
    void takeCover(int uid, int localBookId, const QString& url, const QString& shownBefore, const QString& file);
    // The parent category of a category, as the category lists give it.
    int cateParentOf(int channel, int cateId) const;
    // The information of a book the feed named that this machine lacks:
    // the book is stored (true, the reply then names its local id), unless
    // it may be this machine's own whose create is not answered yet.
    bool takeUnknownBook(TS_Books_Info& reply);
    void asynBackBookEdit(const QByteArray& body);
    void asynBackChapterAdd(const QByteArray& body);
    void asynBackChapterBatchCreate(const QByteArray& body);
    void asynBackChapterMenu(const QByteArray& body);
    void asynBackChapterContent(const QByteArray& body);
    void asynBackChapterGetChapters(const QByteArray& body);
    void asynBackChapterEditContent(const QByteArray& body);
    void asynBackChapterMove(const QByteArray& body);
    void asynBackChapterTimeMachine(const QByteArray& body);
    void asynBackChapterInfo(const QByteArray& body);
    // The platform's recycle state for a chapter, unless a change of it made
    // here still waits. True when the chapter took it.
    bool takePlatformState(T_Book* book, T_Chapter* chapter, int platformStatus, const T_Http_Custom& identity);
    // A chapter's volume and order as the platform's chapter list gives them.
    bool placeAsListed(T_Chapter* chapter, const T_Volume* volume, int order, T_Http_S& head);
    void takeStatesAfterVolumeDelete(T_Book* book, TS_Chapter_Menu& reply);
    // A drag of the chapter made here is still on its way: it keeps the
    // place the drag gave it, which the move puts it in on the platform too.
    bool dragWaits(const T_Chapter* chapter) const;
    void asynBackOutlineCreate(const QByteArray& body);
    void asynBackOutlineDetail(const QByteArray& body);
    void asynBackOutlineList(const QByteArray& body);
    // An outline of the platform that the book lacks here is stored as the
    // platform has it, unless it was deleted here or may be one of this
    // machine's whose create is unanswered.
    void takeUnknownOutline(T_Book* book, const TS_BookOutline_Detail& item);
    // Whether one of the book's outlines was sent to be created and has no
    // answer yet.
    bool outlineCreateUnanswered(const T_Book* book);
    void asynBackOutlineMove(const QByteArray& body);
    void asynBackVolumeMenu(const QByteArray& body);
    // The platform's volume list taken into the book: names and order, and
    // with withStatus deletes and restores, each unless a change of it made
    // here still waits.
    void takeVolumeList(const QByteArray& body, bool withStatus);
    // A list asked for before an edit of this machine was answered shows the
    // edited member as it was: it stands here, and the book's list is looked
    // at once more when the list said otherwise (CBookJobManager_older.cpp).
    bool listedBeforeAnswer(const T_Book* book, const T_Volume* volume, const QString& listedName);
    bool placedBeforeAnswer(const T_Book* book, const T_Chapter* chapter, const T_Volume* listedVolume,
                            int listedOrder);
    // A chapter's recycle state the platform told before a recycle or restore
    // of this machine was answered: the state here stands.
    bool stateToldBeforeAnswer(const T_Chapter* chapter) const;
    // The same for the order of the book's cards (OutlineList) or volumes (VolumeMenu).
    bool orderListedBeforeAnswer(int listType, const T_Book* book, bool listSaysOther);
    void asynBackVolumeAdd(const QByteArray& body);
    void asynBackVolumeEidt(const QByteArray& body);
    void asynBackVolumeDelRestore(const QByteArray& body);
    void asynBackVolumeMove(const QByteArray& body);
    // Stores one chapter of the platform into the book's chapter and row.
    bool applyServerChapter(T_Book* book, T_Chapter* chapter, const QJsonObject& object);
    // A chapter's stored text, read from its row when the model has not loaded it.
    bool readChapterText(const T_Chapter* chapter, QString* text);
    void addSyncProgress(int localBookId);

    CTessaneHttp* m_http = nullptr;
    CTessaneDb* m_db = nullptr;
    CPublicManager* m_model = nullptr;
    CUiManager* m_ui = nullptr;
    QString m_lastError;
    // Chapters deleted elsewhere whose dropped changes the author was told of.
    QSet<int> m_toldGone;
    // (delete job type, server id) of what the platform confirmed deleted
    // from here, as stored, and when this run confirmed it (0: an earlier
    // session did, before any request of this one left). Read for the
    // author signed in (m_deletedHereOf) when first asked.
    struct DeletedHere
    {
        T_DeletedHere row;
        qint64 since = 0;
    };
    void loadDeletedHere() const;
    void storeDeletedHere(const DeletedHere& entry);
    mutable QHash<QPair<int, int>, DeletedHere> m_deletedHere;
    mutable int m_deletedHereOf = -1;
    // Covers on their way: local book id -> the address asked for last.
    QMap<int, QString> m_coverFetches;
};
