#pragma once

// Requests and replies of the chapter endpoints.

#include "ReplyBase.h"
#include "remote/T_Http_Custom.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QVector>

namespace JobType {
enum ChapterJobs {
    ChapterAdd = 1008,
    ChapterBatchCreate = 1009,
    ChapterRecycle = 1010,
    ChapterDelete = 1011,
    ChapterMenu = 1012,
    ChapterContent = 1013,
    ChapterGetChapters = 1014,
    ChapterEditName = 1015,
    ChapterEditContent = 1016,
    ChapterEdit = 1017,
    ChapterMove = 1018,
    ChapterContentBlade = 1019,
    ChapterTimeMachine = 1020,
    ChapterAppMove = 1021,
    ChapterInfo = 1035,
};
}

struct TC_Chapter_Add
{
    T_Http_Custom header;
    QString chapterName;
    int updateTime = 0;
    int orderNum = 0;

    TC_Chapter_Add() { header.jobType = JobType::ChapterAdd; }
    // Chapters made together get distinct times: base time plus order number.
    TC_Chapter_Add(int localBookId, int bookId, int localVolumeId, int volumeId, int baseTime,
                   int order, const QString& name)
        : TC_Chapter_Add()
    {
        header.localBookId = localBookId;
        header.bookId = bookId;
        header.localVolumeId = localVolumeId;
        header.volumeId = volumeId;
        orderNum = order;
        updateTime = baseTime + order;
        chapterName = name;
    }
};

struct TS_Chapter_Add
{
    T_Http_S header;
    int book_id = 0;
    int local_id = 0;
    int chapter_id = 0;
    QString chapter_name;
};

struct TC_Chapter_BatchCreate
{
    T_Http_Custom header;
    int updateTime = 0;
    QString list; // JSON array text of the chapters
    TC_Chapter_BatchCreate() { header.jobType = JobType::ChapterBatchCreate; }
};

struct TC_Chapter_Recycle
{
    T_Http_Custom header;
    int updateTime = 0;
    int status = 0; // 0 into the recycle bin, 1 back
    TC_Chapter_Recycle() { header.jobType = JobType::ChapterRecycle; }
};

struct TC_Chapter_Delete
{
    T_Http_Custom header;
    int updateTime = 0;
    TC_Chapter_Delete() { header.jobType = JobType::ChapterDelete; }
};

struct TC_Chapter_Menu
{
    T_Http_Custom header;
    int bookId = 0;
    QString order = QStringLiteral("asc");
    TC_Chapter_Menu() { header.jobType = JobType::ChapterMenu; }
};

struct T_Chapter_MenuItem
{
    int book_id = 0;
    int chapter_id = 0;
    QString chapter_name;
    int order_num = 0;
    int status = 0;
    int volume_id = 0;
    // This machine's local id of a chapter it made (0 for others' chapters).
    int local_id = 0;
};

struct TS_Chapter_Menu
{
    T_Http_S header;
    int count = 0;
    QVector<T_Chapter_MenuItem> items;
    QString order;
    int word_num = 0;
};

// The chapter's text; the ids are the record's own server ids.
struct TC_Chapter_Content
{
    T_Http_Custom header;
    int bookId = 0;
    int chapterId = 0;
    TC_Chapter_Content() { header.jobType = JobType::ChapterContent; }
};

struct TS_Chapter_Chapter
{
    T_Http_S header;
    QString content;
    QString chapter_name;
    int word_count = 0;
    int book_id = 0;
    int chapter_id = 0;
    int order_num = 0;
    int status = 0;
    int create_time = 0;
    int update_time = 0;
};

struct TC_Chapter_GetChapters
{
    T_Http_Custom header;
    int order_num = 0;
    int limit = 0;
    QString c_ids; // comma-separated server chapter ids
    TC_Chapter_GetChapters() { header.jobType = JobType::ChapterGetChapters; }
};

struct TS_JsonObjectList
{
    T_Http_S header;
    QList<QJsonObject> list;
};

struct TC_Chapter_Edit_Name
{
    T_Http_Custom header;
    QString chapterName;
    int updateTime = 0;
    TC_Chapter_Edit_Name() { header.jobType = JobType::ChapterEditName; }
};

struct TC_Chapter_Edit_Content
{
    T_Http_Custom header;
    QString content;
    int updateTime = 0;
    bool isSendToSrv = false;
    // The words of content (T_Chapter::countWords) when the caller knows
    // them already; -1 has them counted.
    int wordCount = -1;
    TC_Chapter_Edit_Content() { header.jobType = JobType::ChapterEditContent; }
};

struct TS_Chapter_Edit_Content
{
    T_Http_S header;
    int book_id = 0;
    int chapter_id = 0;
    int volume_id = 0;
    QJsonArray chapter_copy;
};

// The replay of a stored chapter edit: only the flagged texts are sent.
struct TC_Chapter_Edit
{
    T_Http_Custom header;
    QString chapterName;
    QString content;
    int updateTime = 0;
    bool hasName = false;
    bool hasContent = false;
    // Fingerprint of the platform's text this edit started from (empty:
    // unknown); the platform keeps its own text as a copy when it differs.
    QString base;
    // Its job was marked as sent in the write that stored it.
    bool markedSent = false;

    TC_Chapter_Edit() { header.jobType = JobType::ChapterEdit; }
    // From a stored job's content: {"name": ..., "content": ...}, either optional.
    TC_Chapter_Edit(const QJsonObject& stored, int time) : TC_Chapter_Edit()
    {
        if (stored.contains(QStringLiteral("name"))) {
            chapterName = stored.value(QStringLiteral("name")).toString();
            hasName = true;
        }
        if (stored.contains(QStringLiteral("content"))) {
            content = stored.value(QStringLiteral("content")).toString();
            hasContent = true;
        }
        base = stored.value(QStringLiteral("base")).toString();
        updateTime = time;
    }
};

struct TC_Chapter_Move
{
    T_Http_Custom header;
    int localToVolumeId = 0;
    int localFromVolumeId = 0;
    int fromVolumeId = 0;
    int toVolumeId = 0;
    int localFromChapterId = 0;
    int localToChapterId = 0;
    int fromChapterId = 0;
    int toChapterId = 0;
    int updateTime = 0;
    int direction = 0;
    TC_Chapter_Move() { header.jobType = JobType::ChapterMove; }
};

// A version snapshot; its one time value is sent as both creation and update time.
struct TC_Chapter_ContentBlade
{
    T_Http_Custom header;
    QString content;
    QString chapterName;
    int createTime = 0;
    TC_Chapter_ContentBlade() { header.jobType = JobType::ChapterContentBlade; }
};

struct TC_Chapter_TimeMachine
{
    T_Http_Custom header;
    int bookId = 0;
    int chapterId = 0;
    TC_Chapter_TimeMachine() { header.jobType = JobType::ChapterTimeMachine; }
};

struct T_Chapter_TimeMachineVersion
{
    int id = 0; // version id
    QString content;
    int create_time = 0;
    int word_num = 0;
};

struct TS_Chapter_TimeMachine
{
    T_Http_S header;
    int book_id = 0;
    int chapter_id = 0;
    QString content;
    QString createTime;
    QString word_count;
    int count = 0;
    QVector<T_Chapter_TimeMachineVersion> items;
};

struct TC_Chapter_AppMove
{
    T_Http_Custom header;
    int bookId = 0;
    int updateTime = 0;
    QString moveOrder; // JSON array text composed by the caller
    TC_Chapter_AppMove() { header.jobType = JobType::ChapterAppMove; }
};

struct TC_Chapter_Info
{
    T_Http_Custom header;
    TC_Chapter_Info() { header.jobType = JobType::ChapterInfo; }
};

struct TS_NewChapter_ChapterInfo
{
    T_Http_S header;
    int book_id = 0;
    int chapter_id = 0;
    QString chapter_name;
    int order_num = 0;
    int status = 0;
    int volume_id = 0;
};
