// Operations on the author's books, volumes, chapters, outlines and memos.
// All are non-blocking; the identity block picks the reply's owner.

#include "CTessaneHttp.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace {
enum RequestId {
    IdAddBook = 12,
    IdBooksList = 13,
    IdBookInfo = 14,
    IdRecycleBook = 15,
    IdDelBook = 16,
    IdEditBook = 18,
    IdVolumeList = 20,
    IdAddVolume = 21,
    IdEditVolume = 22,
    IdRecycleVolume = 23,
    IdMoveVolume = 24,
    IdAddChapter = 25,
    IdBatchCreateChapter = 26,
    IdRecycleChapter = 28,
    IdDelChapter = 29,
    IdChapterInfo = 30,
    IdChapterList = 31,
    IdChapter = 32,
    IdGetChapters = 33,
    IdEditChapter = 34,
    IdMoveChapter = 35,
    IdContentBlade = 36,
    IdTimeMachine = 37,
    IdAddMemo = 53,
    IdDelMemo = 54,
    IdEditMemo = 55,
    IdMemoDetail = 56,
    IdMemoList = 57,
    IdAppMoveChapter = 69,
    IdAddOutline = 72,
    IdEditOutline = 73,
    IdDelOutline = 74,
    IdOutlineDetail = 75,
    IdOutlineList = 76,
    IdMoveOutline = 77,
};

QString number(int value)
{
    return QString::number(value);
}
}

// ---- books ------------------------------------------------------------------

void CTessaneHttp::books_add_asyn(TC_Books_AddBook& request)
{
    m_request = QJsonObject();
    insert("book_name", request.bookName);
    insert("local_id", request.header.localBookId);
    insert("update_time", request.updateTime);
    insert("import", 1);
    postRequestAsync(IdAddBook, request.header);
}

void CTessaneHttp::books_list_asyn(const T_Http_Custom& identity)
{
    getRequestAsync(IdBooksList, QString(), identity);
}

void CTessaneHttp::books_info_asyn(TC_Books_Info& request)
{
    getRequestAsync(IdBookInfo, encodeQuery({{QStringLiteral("book_id"), number(request.header.bookId)}}),
                    request.header);
}

void CTessaneHttp::books_delete_asyn(TC_Books_Delete& request)
{
    m_request = QJsonObject();
    insert("book_id", request.header.bookId);
    insert("status", 0);
    insert("update_time", request.updateTime);
    postRequestAsync(IdRecycleBook, request.header);
}

void CTessaneHttp::books_edit_asyn(TC_Books_Edit& request)
{
    m_request = QJsonObject();
    insert("book_id", request.header.bookId);
    insert("book_name", request.bookName);
    insert("intro", request.intro);
    insert("channel_type", request.channelType);
    insert("cate_id", request.cateId);
    insert("cover", request.localCover);
    insert("update_time", request.updateTime);
    postRequestAsync(IdEditBook, request.header);
}

void CTessaneHttp::books_delete_hard_asyn(TC_Books_Delete_Hard& request)
{
    m_request = QJsonObject();
    insert("book_id", request.header.bookId);
    insert("update_time", request.updateTime);
    postRequestAsync(IdDelBook, request.header);
}

void CTessaneHttp::books_restore_asyn(TC_Books_Restore& request)
{
    m_request = QJsonObject();
    insert("book_id", request.header.bookId);
    insert("status", 1);
    insert("update_time", request.updateTime);
    postRequestAsync(IdRecycleBook, request.header);
}

// ---- chapters ---------------------------------------------------------------

void CTessaneHttp::chapter_add_asyn(TC_Chapter_Add& request)
{
    m_request = QJsonObject();
    insert("book_id", request.header.bookId);
    insert("volume_id", request.header.volumeId);
    insert("local_id", request.header.localChapterId);
    insert("chapter_name", request.chapterName);
    insert("update_time", request.updateTime);
    postRequestAsync(IdAddChapter, request.header);
}

void CTessaneHttp::chapter_batchCreate_asyn(TC_Chapter_BatchCreate& request)
{
    chapter_batchCreate_asyn(request.header, chapterBatchBody(request));
}

void CTessaneHttp::chapter_batchCreate_asyn(const T_Http_Custom& identity, const QByteArray& body)
{
    postAsync(CTessaneUrl::getFullUrl(IdBatchCreateChapter), body, identity.toUserData());
}

QByteArray CTessaneHttp::chapterBatchBody(const TC_Chapter_BatchCreate& request)
{
    const QJsonObject body{{QStringLiteral("book_id"), request.header.bookId},
                           {QStringLiteral("list"), request.list},
                           {QStringLiteral("update_time"), request.updateTime}};
    return QJsonDocument(body).toJson(QJsonDocument::Compact);
}

void CTessaneHttp::chapter_recycle_asyn(TC_Chapter_Recycle& request)
{
    m_request = QJsonObject();
    insert("book_id", request.header.bookId);
    insert("volume_id", request.header.volumeId);
    insert("chapter_id", request.header.chapterId);
    insert("status", request.status);
    insert("update_time", request.updateTime);
    postRequestAsync(IdRecycleChapter, request.header);
}

void CTessaneHttp::chapter_delete_asyn(TC_Chapter_Delete& request)
{
    m_request = QJsonObject();
    insert("book_id", request.header.bookId);
    insert("chapter_id", request.header.chapterId);
    insert("update_time", request.updateTime);
    postRequestAsync(IdDelChapter, request.header);
}

void CTessaneHttp::chapter_menu_asyn(TC_Chapter_Menu& request)
{
    getRequestAsync(IdChapterList,
                    encodeQuery({{QStringLiteral("book_id"), number(request.bookId)},
                                 {QStringLiteral("order"), request.order}}),
                    request.header);
}

void CTessaneHttp::chapter_content_asyn(TC_Chapter_Content& request)
{
    getRequestAsync(IdChapter,
                    encodeQuery({{QStringLiteral("book_id"), number(request.bookId)},
                                 {QStringLiteral("chapter_id"), number(request.chapterId)}}),
                    request.header);
}

void CTessaneHttp::chapter_getChapters_asyn(TC_Chapter_GetChapters& request)
{
    getRequestAsync(IdGetChapters,
                    encodeQuery({{QStringLiteral("book_id"), number(request.header.bookId)},
                                 {QStringLiteral("order_num"), number(request.order_num)},
                                 {QStringLiteral("limit"), number(request.limit)},
                                 {QStringLiteral("c_ids"), request.c_ids}}),
                    request.header);
}

void CTessaneHttp::chapter_edit_name_asyn(TC_Chapter_Edit_Name& request)
{
    m_request = QJsonObject();
    insert("book_id", request.header.bookId);
    insert("chapter_id", request.header.chapterId);
    insert("chapter_name", request.chapterName);
    insert("update_time", request.updateTime);
    postRequestAsync(IdEditChapter, request.header);
}

void CTessaneHttp::chapter_edit_content_asyn(TC_Chapter_Edit_Content& request)
{
    m_request = QJsonObject();
    insert("book_id", request.header.bookId);
    insert("chapter_id", request.header.chapterId);
    insert("content", request.content);
    insert("update_time", request.updateTime);
    postRequestAsync(IdEditChapter, request.header);
}

void CTessaneHttp::chapter_edit_asyn(TC_Chapter_Edit& request)
{
    m_request = QJsonObject();
    insert("book_id", request.header.bookId);
    insert("chapter_id", request.header.chapterId);
    insert("update_time", request.updateTime);
    if (request.hasName)
        insert("chapter_name", request.chapterName);
    if (request.hasContent) {
        insert("content", request.content);
        if (!request.base.isEmpty())
            insert("base_hash", request.base);
    }
    postRequestAsync(IdEditChapter, request.header);
}

void CTessaneHttp::chapter_move_asyn(TC_Chapter_Move& request)
{
    m_request = QJsonObject();
    const QJsonObject move{{QStringLiteral("from_chapter_id"), qint64(request.fromChapterId)},
                           {QStringLiteral("to_chapter_id"), qint64(request.toChapterId)},
                           {QStringLiteral("to_volume_id"), qint64(request.toVolumeId)},
                           {QStringLiteral("direction"), qint64(request.direction)}};
    insert("move_order", moveOrderText(move));
    insert("book_id", request.header.bookId);
    insert("update_time", request.updateTime);
    postRequestAsync(IdMoveChapter, request.header);
}

void CTessaneHttp::chapter_contentBlade_asyn(TC_Chapter_ContentBlade& request)
{
    m_request = QJsonObject();
    insert("book_id", request.header.bookId);
    insert("chapter_id", request.header.chapterId);
    insert("content", request.content);
    insert("chapter_name", request.chapterName);
    insert("create_time", request.createTime);
    insert("update_time", request.createTime);
    postRequestAsync(IdContentBlade, request.header);
}

void CTessaneHttp::chapter_timeMachine_asyn(TC_Chapter_TimeMachine& request)
{
    getRequestAsync(IdTimeMachine,
                    encodeQuery({{QStringLiteral("book_id"), number(request.bookId)},
                                 {QStringLiteral("chapter_id"), number(request.chapterId)}}),
                    request.header);
}

void CTessaneHttp::chapter_appMove_asyn(TC_Chapter_AppMove& request)
{
    m_request = QJsonObject();
    insert("book_id", request.bookId);
    insert("update_time", request.updateTime);
    insert("move_order", request.moveOrder);
    postRequestAsync(IdAppMoveChapter, request.header);
}

void CTessaneHttp::chapter_info_asyn(TC_Chapter_Info& request)
{
    getRequestAsync(IdChapterInfo,
                    encodeQuery({{QStringLiteral("book_id"), number(request.header.bookId)},
                                 {QStringLiteral("chapter_id"), number(request.header.chapterId)}}),
                    request.header);
}

// ---- outlines ---------------------------------------------------------------

void CTessaneHttp::outlineCreate_asyn(TC_BookOutline_Create& request)
{
    m_request = QJsonObject();
    insert("local_id", request.localOutlineId);
    insert("update_time", request.updateTime);
    insert("book_id", request.bookId);
    insert("type", request.type);
    insert("title", request.title);
    insert("content", request.content);
    postRequestAsync(IdAddOutline, request.header);
}

void CTessaneHttp::outlineUpdate_asyn(TC_BookOutline_Update& request)
{
    m_request = QJsonObject();
    insert("type", request.type);
    insert("update_time", request.updateTime);
    insert("book_id", request.bookId);
    insert("outline_id", request.outlineId);
    insert("title", request.title);
    insert("content", request.content);
    postRequestAsync(IdEditOutline, request.header);
}

void CTessaneHttp::outlineDelete_asyn(TC_BookOutline_Delete& request)
{
    m_request = QJsonObject();
    insert("update_time", request.updateTime);
    insert("book_id", request.bookId);
    insert("outline_id", request.outlineId);
    postRequestAsync(IdDelOutline, request.header);
}

void CTessaneHttp::outlineDetail_asyn(TC_BookOutline_Detail& request)
{
    getRequestAsync(IdOutlineDetail,
                    encodeQuery({{QStringLiteral("book_id"), number(request.bookId)},
                                 {QStringLiteral("outline_id"), number(request.outlineId)}}),
                    request.header);
}

void CTessaneHttp::outlineList_asyn(TC_BookOutline_List& request)
{
    getRequestAsync(IdOutlineList, encodeQuery({{QStringLiteral("book_id"), number(request.header.bookId)}}),
                    request.header);
}

void CTessaneHttp::outlineMove_asyn(TC_BookOutline_Move& request)
{
    m_request = QJsonObject();
    const QJsonObject move{{QStringLiteral("from_outline_id"), qint64(request.fromOutlineId)},
                           {QStringLiteral("to_outline_id"), qint64(request.toOutlineId)}};
    insert("move_order", moveOrderText(move));
    insert("book_id", request.bookId);
    insert("update_time", request.updateTime);
    postRequestAsync(IdMoveOutline, request.header);
}

// ---- volumes ----------------------------------------------------------------

void CTessaneHttp::volume_menu_asyn(TC_Volume_Menu& request)
{
    getRequestAsync(IdVolumeList,
                    encodeQuery({{QStringLiteral("book_id"), number(request.bookId)},
                                 {QStringLiteral("order"), request.order}}),
                    request.header);
}

void CTessaneHttp::volume_add_asyn(TC_Volume_Add& request)
{
    m_request = QJsonObject();
    insert("book_id", request.header.bookId);
    insert("volume_name", request.volumeName);
    insert("update_time", request.updateTime);
    postRequestAsync(IdAddVolume, request.header);
}

void CTessaneHttp::volume_edit_asyn(TC_Volume_Edit& request)
{
    m_request = QJsonObject();
    insert("book_id", request.header.bookId);
    insert("id", request.header.volumeId);
    insert("volume_name", request.volumeName);
    insert("update_time", request.updateTime);
    postRequestAsync(IdEditVolume, request.header);
}

void CTessaneHttp::volume_del_restore_asyn(TC_Volume_Delete& request)
{
    m_request = QJsonObject();
    insert("id", request.header.volumeId);
    insert("book_id", request.header.bookId);
    insert("type", request.type);
    insert("update_time", request.updateTime);
    postRequestAsync(IdRecycleVolume, request.header);
}

void CTessaneHttp::volume_move_asyn(TC_Volume_Move& request)
{
    m_request = QJsonObject();
    const QJsonObject move{{QStringLiteral("from_volume_id"), qint64(request.fromVolumeId)},
                           {QStringLiteral("to_volume_id"), qint64(request.toVolumeId)}};
    insert("move_order", moveOrderText(move));
    insert("book_id", request.header.bookId);
    insert("update_time", request.updateTime);
    postRequestAsync(IdMoveVolume, request.header);
}

// ---- memos ------------------------------------------------------------------

void CTessaneHttp::memoAdd_asyn(TC_Memo_Add& request)
{
    m_request = QJsonObject();
    insert("content", request.content);
    insert("color", request.color);
    insert("update_time", request.updateTime);
    postRequestAsync(IdAddMemo, request.header);
}

void CTessaneHttp::memoDel_asyn(TC_Memo_Del& request)
{
    m_request = QJsonObject();
    insert("update_time", request.updateTime);
    insert("memo_id", request.header.memoId);
    postRequestAsync(IdDelMemo, request.header);
}

void CTessaneHttp::memoEdit_asyn(TC_Memo_Edit& request)
{
    m_request = QJsonObject();
    insert("memo_id", request.header.memoId);
    const auto insertLocation = [this, &request]() {
        insert("book_id", request.bookId);
        insert("chapter_id", request.chapterId);
        insert("location", request.location);
    };
    switch (request.header.jobType) {
    case JobType::MemoEditColor:
        insert("color", request.color);
        break;
    case JobType::MemoEditContent:
        insert("content", request.content);
        break;
    case JobType::MemoEditLocation:
        insertLocation();
        break;
    case JobType::MemoEdit:
        if (!request.color.isEmpty())
            insert("color", request.color);
        if (!request.content.isEmpty() || request.contentChanged)
            insert("content", request.content);
        if (request.locationChanged)
            insertLocation();
        break;
    default:
        break;
    }
    insert("update_time", request.updateTime);
    postRequestAsync(IdEditMemo, request.header);
}

void CTessaneHttp::memoList_asyn(const T_Http_Custom& identity)
{
    getRequestAsync(IdMemoList, QString(), identity);
}

void CTessaneHttp::memoDetail_asyn(TC_Memo_Detail& request)
{
    getRequestAsync(IdMemoDetail, encodeQuery({{QStringLiteral("memo_id"), number(request.header.memoId)}}),
                    request.header);
}
