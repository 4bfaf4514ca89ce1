#pragma once

#include <QJsonObject>
#include <QString>

// The job types the job table treats by rules of their own; every other type
// is stored as given.
namespace TessaneJob {
constexpr int AuthorProfile = 2;
constexpr int BookAdd = 1002;
constexpr int BookRecycle = 1005;
constexpr int BookEdit = 1006;
constexpr int ChapterAdd = 1008;
constexpr int ChapterBatchCreate = 1009;
constexpr int ChapterDeleteHard = 1011;
constexpr int ChapterRename = 1015;
constexpr int ChapterSaveText = 1016;
constexpr int ChapterEdit = 1017;
constexpr int ChapterVersion = 1019;
constexpr int ChapterOrder = 1021;
constexpr int OutlineCreate = 1022;
constexpr int OutlineEdit = 1023;
constexpr int OutlineDelete = 1024;
constexpr int OutlineMove = 1027;
constexpr int BookDeleteHard = 1028;
constexpr int BookRestore = 1029;
constexpr int SensitiveWords = 2003;
constexpr int StatisticsUpload = 2006;
constexpr int MemoAdd = 3002;
constexpr int MemoDelete = 3003;
constexpr int MemoColor = 3004;
constexpr int MemoText = 3005;
constexpr int MemoPlace = 3006;
constexpr int MemoEdit = 3007;

// Jobs that carry chapter texts: a save, an import's batch, a version. Their
// rows keep the platform's ids known when they were written; ids that come
// later are read from the rows of their book, volume and chapter when the
// job is read, so that an id never rewrites the texts.
inline bool holdsChapterText(int jobType)
{
    return jobType == ChapterBatchCreate || jobType == ChapterSaveText || jobType == ChapterEdit
        || jobType == ChapterVersion;
}
// The same as a list for SQL.
constexpr char kChapterTextJobTypes[] = "1009,1016,1017,1019";

// ext1 of a chapter edit (1017) whose content keeps the chapter's text last,
// every other key ahead of it: a save reads those keys from the first
// characters instead of parsing the whole text. Jobs of older builds hold 0.
constexpr int ChapterEditTextLast = 1;
}

// One row of tb_job: a change that the platform has not confirmed yet.
struct T_JobData
{
    int uid = 0;
    int jobId = 0;
    int jobType = 0;
    int localBookId = 0;
    int bookId = 0;
    int localVolumeId = 0;
    int volumeId = 0;
    int localChapterId = 0;
    int chapterId = 0;
    int localMemoId = 0;
    int memoId = 0;
    QString content;
    int createTime = 0;
    int ext1 = 0;
    // Grows by one each time a later change is merged into the pending job.
    // A request remembers the revision it was built from, and its reply may
    // delete the job only while the row still holds that revision.
    int revision = 0;
    // A create whose request has left at least once: it may have reached the
    // platform even when no reply came back.
    int sent = 0;

    void clear() { *this = T_JobData(); }
};

// A waiting job of a book as a list's merge needs it: read for the whole
// book at once, never a query per listed object.
struct T_WaitingJob
{
    int jobType = 0;
    int localVolumeId = 0;
    int localChapterId = 0;
    int chapterId = 0;
    bool sent = false;
    QString content;
};

// A chapter's pending edit without its text: what the next save of the text
// carries over.
struct T_ChapterEditHead
{
    int jobId = 0;  // 0: no edit of the chapter waits
    int revision = 0;
    // Every key of the job but "content": "name" while a rename waits,
    // "base" once a save named the text it started from.
    QJsonObject keys;

    bool hasName() const { return keys.contains(QStringLiteral("name")); }
    QString name() const { return keys.value(QStringLiteral("name")).toString(); }
    QString base() const { return keys.value(QStringLiteral("base")).toString(); }
};

// What became of a pending job when the reply to its request arrived.
enum class JobConfirm {
    Failed,     // the database refused; the job stays and is replayed later
    Deleted,    // the row held what the request carried and is gone
    KeptNewer,  // a later change was merged in after the request left: still queued
    Missing,    // no such row (swept away by a deletion, or confirmed before)
};
