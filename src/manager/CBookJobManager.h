#pragma once

#include "db/T_JobData.h"
#include "manager/JobOwners.h"
#include "remote/records/BookRecords.h"
#include "remote/records/ChapterRecords.h"
#include "remote/records/VolumeRecords.h"

#include <QByteArray>
#include <QMap>
#include <QObject>
#include <QString>

class CPublicManager;
class CTessaneDb;
class CTessaneHttp;
struct T_Book;

// The book-operations manager: owner of the book, volume, chapter and
// outline jobs (1002-1035). What is here: loading the author's books, the
// replay of stored book jobs, and the replies that the replay's requests
// need handled (server ids of created objects, the books' sync progress).
// The operations the screens call on books are not built yet: each says so
// in the log and returns false, so no caller takes it for done.
class CBookJobManager : public QObject
{
    Q_OBJECT
public:
    static CBookJobManager* instance();

    // The signed-in author's books into the shared model's two lists.
    bool loadBooks();
    // Rebuilds the request of a stored job from its row and sends it with
    // the job's identity and the run-next flag. A job whose server ids are
    // not known yet, or whose objects the model no longer has, is parked.
    JobReplay execUserJob(T_JobData& job);
    // A reply of a book job: stores what the platform assigned, then counts
    // the book's sync progress.
    void asynBack(int jobType, int localBookId, const QByteArray& body);

    // Operations of the screens (not built yet: false).
    bool books_add(TC_Books_AddBook& request, bool fromFeed);
    bool books_delete(TC_Books_Delete& request, bool fromFeed);
    bool books_delete_hard(TC_Books_Delete_Hard& request, bool fromFeed);
    bool books_restore(TC_Books_Restore& request, bool fromFeed);
    bool books_edit(TC_Books_Edit& request);
    bool books_export(T_Book* book, const QString& path);
    bool startImportBook(const QString& path);
    bool chapter_add(TC_Chapter_Add& request);
    bool chapter_delete(TC_Chapter_Delete& request);
    bool chapter_edit_content(TC_Chapter_Edit_Content& request);
    bool chapter_edit_name(TC_Chapter_Edit_Name& request);
    bool chapter_recycle(TC_Chapter_Recycle& request, bool fromFeed);
    bool chapter_move(TC_Chapter_Move& request);
    bool chapter_contentBlade(TC_Chapter_ContentBlade& request);
    bool volume_add(TC_Volume_Add& request);
    bool volume_edit(TC_Volume_Edit& request);
    bool volume_del_restore(TC_Volume_Delete& request);
    bool volume_move(TC_Volume_Move& request, const QMap<int, int>& movedVolumes);

    QString lastError() const { return m_lastError; }

private:
    explicit CBookJobManager(QObject* parent = nullptr);
    bool notBuilt(const char* operation);

    JobReplay replayChapterBatch(T_JobData& job);
    JobReplay replayChapterMove(T_JobData& job);
    JobReplay replayChapterBlade(T_JobData& job);
    JobReplay replayChapterAppMove(T_JobData& job);
    JobReplay replayOutline(T_JobData& job);
    JobReplay replayVolume(T_JobData& job);

    void asynBackBookAdd(const QByteArray& body);
    void asynBackChapterAdd(const QByteArray& body);
    void asynBackChapterBatchCreate(const QByteArray& body);
    void asynBackOutlineCreate(const QByteArray& body);
    void asynBackVolumeAdd(const QByteArray& body);
    void addSyncProgress(int localBookId);

    CTessaneHttp* m_http = nullptr;
    CTessaneDb* m_db = nullptr;
    CPublicManager* m_model = nullptr;
    QString m_lastError;

    // ---- operations the change feed calls (CBookJobManager_feedStubs.cpp
    // until the book operations are built) ----
public:
    // The chapter list (job 1012, ascending); from the feed nothing is recorded.
    bool chapter_menu(TC_Chapter_Menu& request, bool fromFeed);
    // Fetches: book information (1004), outline list (1026), volume list
    // (1030); false when nobody is signed in.
    bool books_info(TC_Books_Info& request);
    bool outline_list(struct TC_BookOutline_List& request);
    bool volume_menu(TC_Volume_Menu& request);
    // A header with synStep set means the change came from the feed.
    bool outline_create(struct TC_BookOutline_Create& request);
    bool outline_delete(struct TC_BookOutline_Delete& request);
};
