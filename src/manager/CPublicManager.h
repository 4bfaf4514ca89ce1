#pragma once

#include "ui/creation/tools/TypingSounds.h"
#include "db/T_JobData.h"
#include "db/T_Statistics.h"
#include "db/records/T_Book.h"
#include "db/records/T_Memo.h"
#include "db/records/T_UserConf.h"
#include "db/records/T_SysInfo.h"
#include "manager/SensitiveWordMatcher.h"
#include "manager/T_WritingCounters.h"
#include "remote/records/AccountRecords.h"
#include "remote/records/BookRecords.h"
#include "remote/records/MemoRecords.h"
#include "remote/records/SystemRecords.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>

class QNetworkAccessManager;
class QNetworkReply;
struct T_Http_Custom;

// One picture download: its bytes and whether they are complete.
struct T_Download_Img
{
    bool done = false;
    QByteArray data;
};
Q_DECLARE_METATYPE(T_Download_Img*)

// The shared in-memory model of the signed-in author: profile, settings,
// data versions, books, recycled books, memos and today's counters. Screens
// and managers read and change the members directly; the operations below are
// the list moves and look-ups that several callers need. The model never
// touches the database: callers write the table first and change the model
// only once the write succeeded. GUI thread only.
//
// Ownership: the model owns the books of both book lists and the memos of the
// memo list; a book owns its volumes, chapters and outlines. Records returned
// by the look-ups stay the model's.
class CPublicManager : public QObject
{
    Q_OBJECT
public:
    static CPublicManager* instance();
    ~CPublicManager() override;

    // --- look-ups: first match in list order, null (or -1) when absent ---
    T_Book* findBookByLocalId(int localBookId) const;
    T_Book* findBookByBookId(int bookId) const;
    T_Book* findRecycledBookByLocalId(int localBookId) const;
    T_Book* findRecycledBookByBookId(int bookId) const;
    // A book of either list, the bookshelf first: what the platform tells of
    // a book reaches it in the recycle bin too.
    T_Book* findAnyBookByLocalId(int localBookId) const;
    T_Book* findAnyBookByBookId(int bookId) const;
    // Live chapters first, then the recycled ones of the shelved book.
    T_Chapter* findChapter(int localBookId, int localChapterId) const;
    T_Volume* findVolume(int localBookId, int localVolumeId) const;
    // The same in a book of either list: what the platform answers for a
    // chapter or volume reaches it in a book in the recycle bin too.
    T_Chapter* findAnyChapter(int localBookId, int localChapterId) const;
    T_Volume* findAnyVolume(int localBookId, int localVolumeId) const;
    T_Memo* findMemoByLocalId(int localMemoId) const;
    T_Memo* findMemoByMemoId(int memoId) const;
    int indexOfMemo(int localMemoId) const;

    // --- book lists ---
    // A book just stored under the request's local book id goes to the head
    // of the bookshelf, its chapters counted as loaded. Null when the local id
    // is below 1.
    T_Book* addBook(const TC_Books_AddBook& request);
    // The moves take the first book with that local id; nothing happens when
    // there is none. The pointer moves, the record stays the same.
    void moveBookToRecycle(int localBookId);
    void restoreRecycledBook(int localBookId);
    void deleteRecycledBook(int localBookId);
    // Releases every book of both lists.
    void clearBooks();

    // --- records that may be open in a window ---
    // Said before a chapter (or, with localChapterId 0, a whole book) is
    // recycled or deleted, while the record still exists: whoever shows it
    // stores what it holds. False when someone still holds text for it that
    // could not be stored; the caller then leaves the record where it is.
    bool announceLeaving(int localBookId, int localChapterId);
    // Said once the chapter or book was recycled or deleted.
    void announceLeft(int localBookId, int localChapterId);
    // Said once what a recycle bin lists changed: the book's recycled
    // chapters (their list or a text), or with 0 the recycled books.
    void announceBinChanged(int localBookId);

    // A chapter just stored under header.localChapterId, at orderNum. It joins
    // the chapter list only when the book's chapters are loaded; the book's
    // chapterCount and updateTime change in every case. Null for a null book.
    T_Chapter* addChapter(T_Book* book, const T_Http_Custom& header, int orderNum,
                          const QString& chapterName, int updateTime);

    // --- synchronisation marks ---
    void addBookSynCount(T_Book* book);
    // Also ends the window manager's book import when this book was importing.
    void resetBookSynState(T_Book* book);
    void resetAllBookSynState();

    // --- memos: the request's header names the memo by its local id; each
    // returns the memo changed, null when that id is below 1 or unknown ---
    // The new memo goes to the head of the list (newest first).
    T_Memo* addMemo(const TC_Memo_Add& request);
    void removeMemo(const TC_Memo_Del& request);
    // An empty colour keeps the current one.
    T_Memo* updateMemoColor(const TC_Memo_Edit& request);
    T_Memo* updateMemoContent(const TC_Memo_Edit& request);
    // A local book or chapter id below 1 detaches the memo.
    T_Memo* updateMemoLocation(const TC_Memo_Edit& request);
    // The memo with the reply's server id; null when there is none.
    T_Memo* updateMemoFromServer(const TS_Memo_Detail& reply);
    void clearMemos();

    // Signing out: the author and settings records go back to their defaults.
    void resetUser();
    // Takes what tb_sys holds for the model (see CTessaneDb::getSysData).
    void applySysInfo(const T_SysInfo& info);

    TS_Author_Info userInfo;
    TS_SynchronizaTion_SynData synData;
    // Kept beside synData: the reply record has no fields for them.
    int maleCateCount = 0;
    int femaleCateCount = 0;
    // When the remembered user last signed in (tb_sys).
    int lastLoginTime = 0;
    TS_Books_Cate cateList;
    TS_Sensitive_NameData peopleNames;
    QList<T_Book*> bookList;
    QList<T_Book*> recycleBookList;
    T_JobData curJob;
    T_UserConf userConf;
    T_Statistics statistics;
    T_ClientStatistics clientStatistics;
    T_WritingCounters writing;
    // Fee rate of the open book (yuan per thousand words).
    double feeRate = 0.0;
    SensitiveWordMatcher sensitiveMatcher;
    bool creationFlag = false;
    // The random-name tool's lists, by tb_people type, loaded on first use.
    QMap<int, QStringList> nameCache;
    QList<T_Memo*> memoList;
    QString updateType = QStringLiteral("pc");
    QString updateChannel = QStringLiteral("0");
    int updateVersion = 1;
    QString updateVersionName;
    QNetworkAccessManager* netManager = nullptr;
    // Downloads under way by URL; the records belong to whoever started them.
    QMap<QString, T_Download_Img*>* downloadMap = nullptr;

    // Today's usage counters before any are counted.
    static QString emptyClientUv();

signals:
    // See announceLeaving; a listener sets *stored to false when it could not
    // store what it holds. Direct connections only.
    void sig_recordLeaving(int localBookId, int localChapterId, bool* stored);
    void sig_recordLeft(int localBookId, int localChapterId);
    // See announceBinChanged: an open bin lists its book (or the books) anew.
    void sig_binChanged(int localBookId);
    // Null when the finished URL had no entry in downloadMap.
    void sig_downloadImgFinished(T_Download_Img* img);

public slots:
    void onDownLoadImgFinished(QNetworkReply* reply);

private:
    explicit CPublicManager(QObject* parent = nullptr);
    T_Memo* memoOf(const T_Http_Custom& header) const;

    // --- typing sounds of the writing window ---
public:
    // Its audio thread is made at the first sound and ends at the quit.
    TypingSounds typingSounds;
};
