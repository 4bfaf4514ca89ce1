// Parsers of the book, volume, chapter, outline and memo replies.

#include "CTessaneUrl.h"
#include "ReplyParsing.h"

#include <QDebug>

using namespace ReplyParsing;

void CTessaneUrl::setHttpBooksList(const QByteArray& body, TS_Books_List* record)
{
    QJsonArray content;
    if (record == nullptr || !arrayReply(body, record->header, content))
        return;
    record->count = content.size();
    record->items = QVector<TS_Books_ListItem>(content.size());
    for (int i = 0; i < content.size(); ++i) {
        const QJsonObject element = content.at(i).toObject();
        TS_Books_ListItem& item = record->items[i];
        jsonInt(element, QStringLiteral("book_id"), item.book_id);
        jsonString(element, QStringLiteral("book_name"), item.book_name);
        jsonString(element, QStringLiteral("cover"), item.cover);
        jsonInt(element, QStringLiteral("word_num"), item.word_num);
    }
}

void CTessaneUrl::setHttpBookInfo(const QByteArray& body, TS_Books_Info* record)
{
    if (record == nullptr)
        return;
    qDebug() << "bookinfo reply:" << body.left(4096);
    QJsonObject content;
    if (!objectReply(body, record->header, content))
        return;
    jsonInt(content, QStringLiteral("author_id"), record->author_id);
    jsonInt(content, QStringLiteral("book_id"), record->book_id);
    jsonString(content, QStringLiteral("book_name"), record->book_name);
    jsonInt(content, QStringLiteral("cate_id"), record->cate_id);
    jsonInt(content, QStringLiteral("channel_type"), record->channel_type);
    jsonInt(content, QStringLiteral("chapter_count"), record->chapter_count);
    jsonString(content, QStringLiteral("cover"), record->cover);
    jsonInt(content, QStringLiteral("create_time"), record->create_time);
    jsonInt(content, QStringLiteral("first_cate_id"), record->first_cate_id);
    jsonString(content, QStringLiteral("intro"), record->intro);
    jsonInt(content, QStringLiteral("update_time"), record->update_time);
    jsonInt(content, QStringLiteral("word_num"), record->word_num);
}

void CTessaneUrl::parseAddBook(const QByteArray& body, TS_Books_AddBook* record)
{
    QJsonObject content;
    if (record == nullptr || !objectReply(body, record->header, content))
        return;
    jsonInt(content, QStringLiteral("book_id"), record->book_id);
    jsonInt(content, QStringLiteral("local_id"), record->local_id);
    jsonInt(content, QStringLiteral("uid"), record->uid);
}

void CTessaneUrl::setHttpBooksEdit(const QByteArray& body, TS_Books_Edit* record)
{
    QJsonObject content;
    if (record == nullptr || !objectReply(body, record->header, content))
        return;
    jsonString(content, QStringLiteral("cover"), record->cover);
    jsonString(content, QStringLiteral("intro"), record->intro);
    jsonString(content, QStringLiteral("cate_id"), record->cate_id);
    jsonString(content, QStringLiteral("book_name"), record->book_name);
    jsonString(content, QStringLiteral("channel_type"), record->channel_type);
}

void CTessaneUrl::setHttpChapterAdd(const QByteArray& body, TS_Chapter_Add* record)
{
    QJsonObject content;
    if (record == nullptr || !objectReply(body, record->header, content))
        return;
    jsonInt(content, QStringLiteral("book_id"), record->book_id);
    jsonInt(content, QStringLiteral("chapter_id"), record->chapter_id);
    jsonInt(content, QStringLiteral("local_id"), record->local_id);
    jsonString(content, QStringLiteral("chapter_name"), record->chapter_name);
}

void CTessaneUrl::setHttpChapterDetail(const QByteArray& body, TS_Chapter_Chapter* record)
{
    QJsonObject content;
    if (record == nullptr || !objectReply(body, record->header, content))
        return;
    jsonString(content, QStringLiteral("content"), record->content);
    jsonString(content, QStringLiteral("chapter_name"), record->chapter_name);
    jsonInt(content, QStringLiteral("word_count"), record->word_count);
    jsonInt(content, QStringLiteral("book_id"), record->book_id);
    jsonInt(content, QStringLiteral("chapter_id"), record->chapter_id);
    jsonInt(content, QStringLiteral("order_num"), record->order_num);
    jsonInt(content, QStringLiteral("status"), record->status);
    jsonInt(content, QStringLiteral("create_time"), record->create_time);
    jsonInt(content, QStringLiteral("update_time"), record->update_time);
}

void CTessaneUrl::setHttpChapterEdit(const QByteArray& body, TS_Chapter_Edit_Content* record)
{
    QJsonObject content;
    if (record == nullptr || !objectReply(body, record->header, content))
        return;
    jsonInt(content, QStringLiteral("book_id"), record->book_id);
    jsonInt(content, QStringLiteral("chapter_id"), record->chapter_id);
    jsonInt(content, QStringLiteral("volume_id"), record->volume_id);
    const auto copy = content.constFind(QStringLiteral("chapter_copy"));
    if (copy != content.constEnd())
        record->chapter_copy = copy.value().toArray();
}

// Every element fills the same record: the last one stands.
void CTessaneUrl::setHttpChapterInfo(const QByteArray& body, TS_NewChapter_ChapterInfo* record)
{
    QJsonArray content;
    if (record == nullptr || !arrayReply(body, record->header, content))
        return;
    for (const QJsonValue& value : content) {
        const QJsonObject element = value.toObject();
        jsonInt(element, QStringLiteral("book_id"), record->book_id);
        jsonInt(element, QStringLiteral("chapter_id"), record->chapter_id);
        jsonInt(element, QStringLiteral("order_num"), record->order_num);
        jsonString(element, QStringLiteral("chapter_name"), record->chapter_name);
        jsonInt(element, QStringLiteral("status"), record->status);
        jsonInt(element, QStringLiteral("volume_id"), record->volume_id);
    }
}

void CTessaneUrl::setHttpChapterMenu(const QByteArray& body, TS_Chapter_Menu* record)
{
    QJsonObject content;
    if (record == nullptr || !objectReply(body, record->header, content))
        return;
    jsonString(content, QStringLiteral("order"), record->order);
    jsonInt(content, QStringLiteral("word_num"), record->word_num);
    const QJsonArray menu = content.value(QStringLiteral("menu")).toArray();
    if (menu.size() < 1)
        return;
    record->count = menu.size();
    record->items = QVector<T_Chapter_MenuItem>(menu.size());
    for (int i = 0; i < menu.size(); ++i) {
        const QJsonObject element = menu.at(i).toObject();
        T_Chapter_MenuItem& item = record->items[i];
        jsonInt(element, QStringLiteral("book_id"), item.book_id);
        jsonInt(element, QStringLiteral("chapter_id"), item.chapter_id);
        jsonInt(element, QStringLiteral("order_num"), item.order_num);
        jsonString(element, QStringLiteral("chapter_name"), item.chapter_name);
        jsonInt(element, QStringLiteral("status"), item.status);
        jsonInt(element, QStringLiteral("volume_id"), item.volume_id);
        jsonInt(element, QStringLiteral("local_id"), item.local_id);
    }
}

void CTessaneUrl::setHttpChapterTimeMachine(const QByteArray& body, TS_Chapter_TimeMachine* record)
{
    QJsonObject content;
    if (record == nullptr || !objectReply(body, record->header, content))
        return;
    const QJsonObject origin = content.value(QStringLiteral("origin")).toObject();
    jsonInt(origin, QStringLiteral("book_id"), record->book_id);
    jsonInt(origin, QStringLiteral("chapter_id"), record->chapter_id);
    jsonString(origin, QStringLiteral("content"), record->content);
    jsonString(origin, QStringLiteral("createTime"), record->createTime);
    jsonString(origin, QStringLiteral("word_count"), record->word_count);
    const QJsonArray blades = content.value(QStringLiteral("blade")).toArray();
    if (blades.size() < 1)
        return;
    record->count = blades.size();
    record->items = QVector<T_Chapter_TimeMachineVersion>(blades.size());
    for (int i = 0; i < blades.size(); ++i) {
        const QJsonObject element = blades.at(i).toObject();
        T_Chapter_TimeMachineVersion& item = record->items[i];
        jsonInt(element, QStringLiteral("id"), item.id);
        jsonString(element, QStringLiteral("content"), item.content);
        jsonInt(element, QStringLiteral("create_time"), item.create_time);
        jsonInt(element, QStringLiteral("word_num"), item.word_num);
    }
}

void CTessaneUrl::setHttpObjectList(const QByteArray& body, TS_JsonObjectList* record)
{
    if (record == nullptr)
        return;
    const QJsonObject root = rootObject(body);
    parseReplyHeader(root, &record->header);
    record->list.clear();
    QJsonArray content;
    if (!contentArray(root, content, &record->header))
        return;
    record->list.reserve(content.size());
    for (const QJsonValue& value : content)
        record->list.append(value.toObject());
}

void CTessaneUrl::setHttpVolumeAdd(const QByteArray& body, TS_Volume_Add* record)
{
    QJsonObject content;
    if (record == nullptr || !objectReply(body, record->header, content))
        return;
    jsonInt(content, QStringLiteral("volume_id"), record->volume_id);
}

// One working item serves every element and every key is read, present or
// not, so an element never inherits a value from the one before it.
void CTessaneUrl::setHttpVolumeMenu(const QByteArray& body, TS_Volume_Menu* record)
{
    QJsonArray content;
    if (record == nullptr || !arrayReply(body, record->header, content))
        return;
    record->items.clear();
    record->items.reserve(content.size());
    T_Volume_MenuItem item;
    for (const QJsonValue& value : content) {
        const QJsonObject element = value.toObject();
        item.volumeId = intOf(element, "id");
        item.bookId = intOf(element, "book_id");
        item.orderNum = intOf(element, "order_num");
        item.status = intOf(element, "status");
        item.volumeName = stringOf(element, "volume_name");
        record->book_id = item.bookId;
        record->items.append(item);
    }
}

void CTessaneUrl::setHttpMemoAdd(const QByteArray& body, TS_Memo_Add* record)
{
    QJsonObject content;
    if (record == nullptr || !objectReply(body, record->header, content))
        return;
    jsonInt(content, QStringLiteral("memo_id"), record->memo_id);
}

void CTessaneUrl::setHttpMemoDetail(const QByteArray& body, TS_Memo_Detail* record)
{
    QJsonObject content;
    if (record == nullptr || !objectReply(body, record->header, content))
        return;
    jsonInt(content, QStringLiteral("id"), record->id);
    jsonString(content, QStringLiteral("color"), record->color);
    jsonString(content, QStringLiteral("content"), record->content);
    jsonInt(content, QStringLiteral("update_time"), record->update_time);
    jsonInt(content, QStringLiteral("color_update_time"), record->color_update_time);
    jsonInt(content, QStringLiteral("book_id"), record->book_id);
    jsonInt(content, QStringLiteral("chapter_id"), record->chapter_id);
    jsonString(content, QStringLiteral("location"), record->location);
}

void CTessaneUrl::setHttpOutlineCreate(const QByteArray& body, TS_BookOutline_Create* record)
{
    QJsonObject content;
    if (record == nullptr || !objectReply(body, record->header, content))
        return;
    jsonInt(content, QStringLiteral("local_id"), record->local_id);
    jsonInt(content, QStringLiteral("type"), record->type);
    jsonInt(content, QStringLiteral("book_id"), record->book_id);
    jsonInt(content, QStringLiteral("outline_id"), record->outline_id);
}

void CTessaneUrl::setHttpOutlineDetail(const QByteArray& body, TS_BookOutline_Detail* record)
{
    QJsonObject content;
    if (record == nullptr || !objectReply(body, record->header, content))
        return;
    jsonInt(content, QStringLiteral("book_id"), record->book_id);
    jsonInt(content, QStringLiteral("outline_id"), record->outline_id);
    jsonInt(content, QStringLiteral("type"), record->type);
    jsonInt(content, QStringLiteral("create_time"), record->create_time);
    jsonString(content, QStringLiteral("title"), record->title);
    jsonString(content, QStringLiteral("content"), record->content);
}

void CTessaneUrl::setHttpOutlineList(const QByteArray& body, TS_BookOutline_List* record)
{
    QJsonObject content;
    if (record == nullptr || !objectReply(body, record->header, content))
        return;
    const QJsonArray outlines = content.value(QStringLiteral("all_outline")).toArray();
    record->items.clear();
    record->items.reserve(outlines.size());
    TS_BookOutline_Detail item;
    for (const QJsonValue& value : outlines) {
        const QJsonObject element = value.toObject();
        item.book_id = intOf(element, "book_id");
        item.outline_id = intOf(element, "outline_id");
        item.order_num = intOf(element, "order_num");
        item.type = intOf(element, "type");
        item.create_time = intOf(element, "create_time");
        item.title = stringOf(element, "title");
        item.content = stringOf(element, "content");
        record->items.append(item);
    }
}
