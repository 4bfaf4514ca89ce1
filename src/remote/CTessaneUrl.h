#pragma once

#include "T_Http_Custom.h"
#include "T_Http_S.h"
#include "records/AccountRecords.h"
#include "records/BookRecords.h"
#include "records/ChapterRecords.h"
#include "records/MemoRecords.h"
#include "records/OutlineRecords.h"
#include "records/SystemRecords.h"
#include "records/VolumeRecords.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QString>

// The platform's endpoints by request id, and the readers of its replies.
// Everything here is static and keeps no state beyond the path table; every
// parser leaves a record's own fields as they were when the reply is not a
// success carrying content, so the header alone tells the caller why.
class CTessaneUrl
{
public:
    // The path of a request id ("/account/login" for 4); empty for an unknown id.
    static QString getUrlPath(int id);
    // The API base address followed by the path; the base alone for an unknown id.
    static QString getFullUrl(int id);
    // The API base address without a trailing "/".
    static QString baseAddress();

    // Read a member only when present; a member of another JSON type gives 0
    // or the empty text.
    static void jsonInt(const QJsonObject& object, const QString& key, int& out);
    static void jsonString(const QJsonObject& object, const QString& key, QString& out);
    static void jsonBool(const QJsonObject& object, const QString& key, bool& out);

    // Code, message, server time and echoed identity; fixes the server clock
    // from the first positive server time of the run.
    static void parseReplyHeader(const QJsonObject& root, T_Http_S* head);
    // Code, message and identity only; the clock is left alone.
    static void parseAsyncReplyHeader(const QJsonObject& root, T_Http_S* head);
    // True when the reply succeeded (code 200) and "content" is a non-empty
    // array (object), which is copied out.
    static bool contentArray(const QJsonObject& root, QJsonArray& content, const T_Http_S* head);
    static bool contentObject(const QJsonObject& root, QJsonObject& content, const T_Http_S* head);
    // The root object of a reply body; empty for a body that is not a JSON object.
    static QJsonObject rootObject(const QByteArray& body);

    // Fills an identity block from a stored job (any record with the job
    // table's id fields); the change-feed flag is left as it was.
    template <class Job>
    static void setUserData(const Job& job, T_Http_Custom& block, int runNext)
    {
        block.localBookId = job.localBookId;
        block.bookId = job.bookId;
        block.localChapterId = job.localChapterId;
        block.chapterId = job.chapterId;
        block.jobId = job.jobId;
        block.jobType = job.jobType;
        block.uid = job.uid;
        block.localMemoId = job.localMemoId;
        block.memoId = job.memoId;
        block.localVolumeId = job.localVolumeId;
        block.volumeId = job.volumeId;
        block.runNext = runNext;
    }

    // Account and author replies.
    static void setHttpBase(const QByteArray& body, TS_HttpBase* record);
    static void setHttpAuthorSendCode(const QByteArray& body, TS_Author_SendCode* record);
    static void setHttpAuthNumber(const QByteArray& body, TS_Account_AuthNumber* record);
    static void setHttpAuthorLogin(const QByteArray& body, TS_Author_Login* record);
    static void setHttpAuthorRegister(const QByteArray& body, TS_Author_Register* record);
    static void setHttpAuthorInfo(const QByteArray& body, TS_Author_Info* record);
    static void setHttpAuthorUpdate(const QByteArray& body, TS_Author_Update* record);
    static void setHttpAuthorUploadImg(const QByteArray& body, TS_Author_UploadImg* record);
    static void setHttpAuthorWxCodeLogin(const QByteArray& body, TS_Author_WxCodeLogin* record);
    static void setHttpAuthorPollingWx(const QByteArray& body, TS_Author_PollingWx* record);
    static void setHttpAuthorNotice(const QByteArray& body, TS_Author_Notice* record);
    static void setHttpAuthorSign(const QByteArray& body, TS_Author_Sign* record);
    static void parseBannerList(const QByteArray& body, TS_Author_BannerList* record);

    // Statistics, system data and change-feed replies.
    static void setHttpAuthorCountUserData(const QByteArray& body, TS_AuthorCount_UserData* record);
    static void setHttpSynochronizaTionSynData(const QByteArray& body, TS_SynchronizaTion_SynData* record);
    static void setHttpSynchronizaTionSynBookData(const QByteArray& body, TS_SynchronizaTion_SynBookData* record);
    static void setHttpUpdateOnline(const QByteArray& body, TS_UpdateOnline* record);
    static void setHttpLevelAllData(const QByteArray& body, TS_Level_AllData* record);
    static void setHttpSensitiveGet(const QByteArray& body, TS_Sensitive_Get* record);
    static void setHttpSensitiveNameData(const QByteArray& body, TS_Sensitive_NameData* record);
    static void splitNameData(TS_Sensitive_NameData* record);
    static void setHttpBooksCate(const QByteArray& body, TS_Books_Cate* record);
    static void parseCateTree(const QJsonArray& array, int channel, int parentId, QVector<T_Books_CateItem>& items);

    // Content replies.
    static void setHttpBooksList(const QByteArray& body, TS_Books_List* record);
    static void setHttpBookInfo(const QByteArray& body, TS_Books_Info* record);
    static void parseAddBook(const QByteArray& body, TS_Books_AddBook* record);
    static void setHttpBooksEdit(const QByteArray& body, TS_Books_Edit* record);
    static void setHttpChapterAdd(const QByteArray& body, TS_Chapter_Add* record);
    static void setHttpChapterDetail(const QByteArray& body, TS_Chapter_Chapter* record);
    static void setHttpChapterEdit(const QByteArray& body, TS_Chapter_Edit_Content* record);
    static void setHttpChapterInfo(const QByteArray& body, TS_NewChapter_ChapterInfo* record);
    static void setHttpChapterMenu(const QByteArray& body, TS_Chapter_Menu* record);
    static void setHttpChapterTimeMachine(const QByteArray& body, TS_Chapter_TimeMachine* record);
    static void setHttpObjectList(const QByteArray& body, TS_JsonObjectList* record);
    static void setHttpVolumeAdd(const QByteArray& body, TS_Volume_Add* record);
    static void setHttpVolumeMenu(const QByteArray& body, TS_Volume_Menu* record);
    static void setHttpMemoAdd(const QByteArray& body, TS_Memo_Add* record);
    static void setHttpMemoDetail(const QByteArray& body, TS_Memo_Detail* record);
    static void setHttpOutlineCreate(const QByteArray& body, TS_BookOutline_Create* record);
    static void setHttpOutlineDetail(const QByteArray& body, TS_BookOutline_Detail* record);
    static void setHttpOutlineList(const QByteArray& body, TS_BookOutline_List* record);
};
