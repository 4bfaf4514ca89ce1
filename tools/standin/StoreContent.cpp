// The book, volume, chapter, outline and memo endpoints.

#include "Store.h"

#include <QCryptographicHash>
#include <QJsonDocument>
#include <algorithm>

namespace {
const QString kBookId = QStringLiteral("book_id");
const QString kOrder = QStringLiteral("order_num");

QList<int> orderedIds(const QMap<int, QJsonObject>& map, const QString& key, int value)
{
    QList<int> ids;
    for (auto it = map.constBegin(); it != map.constEnd(); ++it) {
        if (it->value(key).toInt() == value)
            ids.append(it.key());
    }
    std::stable_sort(ids.begin(), ids.end(), [&map](int a, int b) {
        return map.value(a).value(kOrder).toInt() < map.value(b).value(kOrder).toInt();
    });
    return ids;
}

int nextOrder(const QMap<int, QJsonObject>& map, int bookId)
{
    int highest = 0;
    for (const QJsonObject& object : map) {
        if (object.value(kBookId).toInt() == bookId)
            highest = std::max(highest, object.value(kOrder).toInt());
    }
    return highest + 1;
}

// Puts one id right before or right after another in a book's order and
// numbers them anew.
void moveInOrder(QMap<int, QJsonObject>& map, int bookId, int from, int to, bool after)
{
    QList<int> ids = orderedIds(map, kBookId, bookId);
    if (!ids.contains(from) || !ids.contains(to) || from == to)
        return;
    ids.removeOne(from);
    const int at = ids.indexOf(to) + (after ? 1 : 0);
    ids.insert(at, from);
    for (int i = 0; i < ids.size(); ++i)
        map[ids.at(i)].insert(kOrder, i + 1);
}

// A volume or outline move names no side: the moved one takes the place of
// the other, so it ends after it when it came from above and before it when
// it came from below.
void moveToPlaceOf(QMap<int, QJsonObject>& map, int bookId, int from, int to)
{
    const QList<int> ids = orderedIds(map, kBookId, bookId);
    moveInOrder(map, bookId, from, to, ids.indexOf(from) < ids.indexOf(to));
}

QJsonArray movesOf(const QJsonObject& body)
{
    return QJsonDocument::fromJson(body.value(QStringLiteral("move_order")).toString().toUtf8()).array();
}
}

// A machine's own local id comes back only to that machine: another one's
// local ids mean nothing there.
QJsonObject Store::withOwnLocalId(const ApiCall& call, QJsonObject entry, const QJsonObject& stored) const
{
    if (!m_listLocalIds) {
        entry.remove(QStringLiteral("local_id"));
        return entry;
    }
    const bool own = !call.device.isEmpty() && stored.value(QStringLiteral("device")).toString() == call.device;
    entry.insert(QStringLiteral("local_id"), own ? stored.value(QStringLiteral("local_id")).toInt() : 0);
    return entry;
}

QJsonObject Store::chapterEntry(const QJsonObject& chapter) const
{
    QJsonObject entry;
    for (const char* key : {"book_id", "chapter_id", "order_num", "chapter_name", "status", "volume_id"})
        entry.insert(QLatin1String(key), chapter.value(QLatin1String(key)));
    return entry;
}

// ---- books ------------------------------------------------------------------

ApiResult Store::addBook(const ApiCall& call)
{
    const QString name = text(call.body, "book_name");
    if (name.isEmpty())
        return refuse(QStringLiteral("书名不能为空"));
    const int id = ++m_nextId;
    const int time = number(call.body, "update_time");
    m_books.insert(id, QJsonObject{
        {QStringLiteral("book_id"), id}, {QStringLiteral("author_id"), call.uid},
        {QStringLiteral("book_name"), name}, {QStringLiteral("intro"), QString()},
        {QStringLiteral("channel_type"), 0}, {QStringLiteral("cate_id"), 0},
        {QStringLiteral("first_cate_id"), 0}, {QStringLiteral("cover"), QString()},
        {QStringLiteral("status"), 1}, {QStringLiteral("create_time"), time},
        {QStringLiteral("update_time"), time}, {QStringLiteral("local_id"), number(call.body, "local_id")},
    });
    recordChange(call, 1, id, 0, picked(m_books.value(id), {"book_name", "create_time"}));
    ApiResult result;
    result.content = QJsonObject{{QStringLiteral("book_id"), id},
                                 {QStringLiteral("local_id"), number(call.body, "local_id")},
                                 {QStringLiteral("uid"), call.uid}};
    return result;
}

ApiResult Store::booksList(const ApiCall& call)
{
    QJsonArray list;
    for (const QJsonObject& book : m_books) {
        if (book.value(QStringLiteral("author_id")).toInt() != call.uid || book.value(QStringLiteral("status")).toInt() != 1)
            continue;
        int words = 0;
        for (const QJsonObject& chapter : m_chapters) {
            if (chapter.value(kBookId) == book.value(kBookId))
                words += chapter.value(QStringLiteral("word_count")).toInt();
        }
        list.append(QJsonObject{{QStringLiteral("book_id"), book.value(kBookId)},
                                {QStringLiteral("book_name"), book.value(QStringLiteral("book_name"))},
                                {QStringLiteral("cover"), book.value(QStringLiteral("cover"))},
                                {QStringLiteral("word_num"), words}});
    }
    ApiResult result;
    result.content = list;
    return result;
}

ApiResult Store::bookInfo(const ApiCall& call)
{
    const int bookId = ownedBook(call, queryInt(call, "book_id"));
    if (bookId == 0)
        return refuse(QStringLiteral("作品不存在"));
    QJsonObject info = m_books.value(bookId);
    int words = 0;
    int chapters = 0;
    for (const QJsonObject& chapter : m_chapters) {
        if (chapter.value(kBookId).toInt() == bookId && chapter.value(QStringLiteral("status")).toInt() == 1) {
            words += chapter.value(QStringLiteral("word_count")).toInt();
            ++chapters;
        }
    }
    info.insert(QStringLiteral("word_num"), words);
    info.insert(QStringLiteral("chapter_count"), chapters);
    info.remove(QStringLiteral("local_id"));
    info.remove(QStringLiteral("status"));
    ApiResult result;
    result.content = info;
    return result;
}

ApiResult Store::recycleBook(const ApiCall& call)
{
    const int bookId = ownedBook(call, number(call.body, "book_id"));
    if (bookId == 0)
        return refuse(QStringLiteral("作品不存在"));
    const int status = number(call.body, "status");
    m_books[bookId].insert(QStringLiteral("status"), status);
    m_books[bookId].insert(QStringLiteral("update_time"), number(call.body, "update_time"));
    recordChange(call, status == 0 ? 3 : 31, bookId, 0);
    ApiResult result;
    result.content = QJsonObject{{QStringLiteral("book_id"), bookId}, {QStringLiteral("status"), status}};
    return result;
}

ApiResult Store::delBook(const ApiCall& call)
{
    const int bookId = ownedBook(call, number(call.body, "book_id"));
    if (bookId == 0)
        return refuse(QStringLiteral("作品不存在"));
    m_books.remove(bookId);
    for (QMap<int, QJsonObject>* map : {&m_volumes, &m_chapters, &m_outlines, &m_blades}) {
        for (auto it = map->begin(); it != map->end();)
            it = it->value(kBookId).toInt() == bookId ? map->erase(it) : std::next(it);
    }
    recordChange(call, 30, bookId, 0);
    ApiResult result;
    result.content = QJsonObject{{QStringLiteral("book_id"), bookId}};
    return result;
}

ApiResult Store::editBook(const ApiCall& call)
{
    const int bookId = ownedBook(call, number(call.body, "book_id"));
    if (bookId == 0)
        return refuse(QStringLiteral("作品不存在"));
    QJsonObject& book = m_books[bookId];
    book.insert(QStringLiteral("book_name"), text(call.body, "book_name"));
    book.insert(QStringLiteral("intro"), text(call.body, "intro"));
    book.insert(QStringLiteral("channel_type"), number(call.body, "channel_type"));
    book.insert(QStringLiteral("cate_id"), number(call.body, "cate_id"));
    book.insert(QStringLiteral("update_time"), number(call.body, "update_time"));
    const QString cover = text(call.body, "cover");
    const int comma = cover.indexOf(QLatin1Char(','));
    if (cover.startsWith(QLatin1String("data:image/")) && comma > 0) {
        const QString suffix = cover.mid(11, cover.indexOf(QLatin1Char(';')) - 11);
        const QString name = QStringLiteral("cover_%1.%2").arg(++m_nextId).arg(suffix);
        m_images.insert(name, QByteArray::fromBase64(QByteArray::fromPercentEncoding(cover.mid(comma + 1).toLatin1())));
        book.insert(QStringLiteral("cover"), m_baseUrl + QStringLiteral("/img/") + name);
    }
    recordChange(call, 2, bookId, 0);
    // The platform answers these members as text.
    ApiResult result;
    result.content = QJsonObject{
        {QStringLiteral("cover"), book.value(QStringLiteral("cover"))},
        {QStringLiteral("intro"), book.value(QStringLiteral("intro"))},
        {QStringLiteral("cate_id"), QString::number(book.value(QStringLiteral("cate_id")).toInt())},
        {QStringLiteral("book_name"), book.value(QStringLiteral("book_name"))},
        {QStringLiteral("channel_type"), QString::number(book.value(QStringLiteral("channel_type")).toInt())},
    };
    return result;
}

// ---- volumes ----------------------------------------------------------------

ApiResult Store::volumeList(const ApiCall& call)
{
    const int bookId = ownedBook(call, queryInt(call, "book_id"));
    if (bookId == 0)
        return refuse(QStringLiteral("作品不存在"));
    QList<int> ids = orderedIds(m_volumes, kBookId, bookId);
    if (call.query.queryItemValue(QStringLiteral("order")) == QLatin1String("desc"))
        std::reverse(ids.begin(), ids.end());
    QJsonArray list;
    for (int id : ids)
        list.append(m_volumes.value(id));
    ApiResult result;
    result.content = list;
    return result;
}

ApiResult Store::addVolume(const ApiCall& call)
{
    const int bookId = ownedBook(call, number(call.body, "book_id"));
    if (bookId == 0)
        return refuse(QStringLiteral("作品不存在"));
    const int id = ++m_nextId;
    m_volumes.insert(id, QJsonObject{{QStringLiteral("id"), id}, {kBookId, bookId},
                                     {QStringLiteral("volume_name"), text(call.body, "volume_name")},
                                     {kOrder, nextOrder(m_volumes, bookId)}, {QStringLiteral("status"), 1}});
    recordChange(call, 25, bookId, id, picked(m_volumes.value(id), {"volume_name"}));
    ApiResult result;
    result.content = QJsonObject{{QStringLiteral("volume_id"), id}};
    return result;
}

ApiResult Store::editVolume(const ApiCall& call)
{
    const int id = number(call.body, "id");
    if (!m_volumes.contains(id) || ownedBook(call, m_volumes.value(id).value(kBookId).toInt()) == 0)
        return refuse(QStringLiteral("分卷不存在"));
    m_volumes[id].insert(QStringLiteral("volume_name"), text(call.body, "volume_name"));
    recordChange(call, 26, m_volumes.value(id).value(kBookId).toInt(), id, picked(m_volumes.value(id), {"volume_name"}));
    ApiResult result;
    result.content = QJsonObject{{QStringLiteral("id"), id}};
    return result;
}

ApiResult Store::recycleVolume(const ApiCall& call)
{
    const int id = number(call.body, "id");
    if (!m_volumes.contains(id) || ownedBook(call, m_volumes.value(id).value(kBookId).toInt()) == 0)
        return refuse(QStringLiteral("分卷不存在"));
    const int type = number(call.body, "type");
    m_volumes[id].insert(QStringLiteral("status"), type);
    // A deleted volume takes its chapters to the recycle bin, as the client
    // does; a restore brings back only the volume, its chapters come back
    // one by one.
    if (type == 0) {
        for (QJsonObject& chapter : m_chapters) {
            if (chapter.value(QStringLiteral("volume_id")).toInt() != id
                || chapter.value(QStringLiteral("status")).toInt() == 0)
                continue;
            chapter.insert(QStringLiteral("status"), 0);
            chapter.insert(QStringLiteral("update_time"), number(call.body, "update_time"));
        }
    }
    recordChange(call, type == 0 ? 28 : 29, m_volumes.value(id).value(kBookId).toInt(), id);
    ApiResult result;
    result.content = QJsonObject{{QStringLiteral("id"), id}, {QStringLiteral("status"), type}};
    return result;
}

ApiResult Store::moveVolume(const ApiCall& call)
{
    const int bookId = ownedBook(call, number(call.body, "book_id"));
    if (bookId == 0)
        return refuse(QStringLiteral("作品不存在"));
    for (const QJsonValue& value : movesOf(call.body)) {
        const QJsonObject move = value.toObject();
        moveToPlaceOf(m_volumes, bookId, number(move, "from_volume_id"), number(move, "to_volume_id"));
    }
    recordChange(call, 27, bookId, 0);
    ApiResult result;
    result.content = QJsonObject{{kBookId, bookId}};
    return result;
}

// ---- chapters ---------------------------------------------------------------

ApiResult Store::addChapter(const ApiCall& call)
{
    const int bookId = ownedBook(call, number(call.body, "book_id"));
    if (bookId == 0)
        return refuse(QStringLiteral("作品不存在"));
    int volumeId = number(call.body, "volume_id");
    if (volumeId == 0 || !m_volumes.contains(volumeId))
        volumeId = orderedIds(m_volumes, kBookId, bookId).value(0);
    const int id = ++m_nextId;
    const int time = number(call.body, "update_time");
    m_chapters.insert(id, QJsonObject{
        {QStringLiteral("chapter_id"), id}, {kBookId, bookId}, {QStringLiteral("volume_id"), volumeId},
        {QStringLiteral("chapter_name"), text(call.body, "chapter_name")}, {QStringLiteral("content"), QString()},
        {kOrder, nextOrder(m_chapters, bookId)}, {QStringLiteral("status"), 1},
        {QStringLiteral("word_count"), 0}, {QStringLiteral("create_time"), time},
        {QStringLiteral("update_time"), time}, {QStringLiteral("local_id"), number(call.body, "local_id")},
        {QStringLiteral("device"), call.device},
    });
    recordChange(call, 4, bookId, id, picked(m_chapters.value(id), {"chapter_name", "order_num", "create_time", "volume_id"}));
    ApiResult result;
    result.content = QJsonObject{{kBookId, bookId}, {QStringLiteral("chapter_id"), id},
                                 {QStringLiteral("local_id"), number(call.body, "local_id")},
                                 {QStringLiteral("chapter_name"), text(call.body, "chapter_name")}};
    return result;
}

ApiResult Store::batchCreateChapter(const ApiCall& call)
{
    const int bookId = ownedBook(call, number(call.body, "book_id"));
    if (bookId == 0)
        return refuse(QStringLiteral("作品不存在"));
    const QJsonArray list = QJsonDocument::fromJson(text(call.body, "list").toUtf8()).array();
    const int time = number(call.body, "update_time");
    QJsonArray created;
    for (const QJsonValue& value : list) {
        const QJsonObject entry = value.toObject();
        const QString name = entry.contains(QStringLiteral("chapter_name")) ? text(entry, "chapter_name")
                                                                            : text(entry, "name");
        int volumeId = number(entry, "volume_id");
        if (volumeId == 0)
            volumeId = orderedIds(m_volumes, kBookId, bookId).value(0);
        const int id = ++m_nextId;
        const QString content = text(entry, "content");
        QJsonObject chapter{
            {QStringLiteral("chapter_id"), id}, {kBookId, bookId}, {QStringLiteral("volume_id"), volumeId},
            {QStringLiteral("chapter_name"), name}, {QStringLiteral("content"), content},
            {kOrder, nextOrder(m_chapters, bookId)}, {QStringLiteral("status"), 1},
            {QStringLiteral("word_count"), wordCount(content)}, {QStringLiteral("create_time"), time},
            {QStringLiteral("update_time"), time}, {QStringLiteral("local_id"), number(entry, "local_id")},
            {QStringLiteral("device"), call.device},
        };
        m_chapters.insert(id, chapter);
        recordChange(call, 4, bookId, id, picked(chapter, {"chapter_name", "order_num", "create_time", "volume_id"}));
        if (!content.isEmpty())
            recordChange(call, 9, bookId, id);
        QJsonObject reply = chapterEntry(chapter);
        reply.insert(QStringLiteral("local_id"), chapter.value(QStringLiteral("local_id")));
        created.append(reply);
    }
    ApiResult result;
    result.content = created;
    return result;
}

ApiResult Store::recycleChapter(const ApiCall& call)
{
    const int id = number(call.body, "chapter_id");
    if (!m_chapters.contains(id) || ownedBook(call, m_chapters.value(id).value(kBookId).toInt()) == 0)
        return refuse(QStringLiteral("章节不存在"));
    m_chapters[id].insert(QStringLiteral("status"), number(call.body, "status"));
    m_chapters[id].insert(QStringLiteral("update_time"), number(call.body, "update_time"));
    recordChange(call, number(call.body, "status") == 0 ? 6 : 8, m_chapters.value(id).value(kBookId).toInt(), id);
    ApiResult result;
    result.content = QJsonObject{{QStringLiteral("chapter_id"), id}, {QStringLiteral("status"), number(call.body, "status")}};
    return result;
}

ApiResult Store::delChapter(const ApiCall& call)
{
    const int id = number(call.body, "chapter_id");
    if (!m_chapters.contains(id) || ownedBook(call, m_chapters.value(id).value(kBookId).toInt()) == 0)
        return refuse(QStringLiteral("章节不存在"));
    recordChange(call, 7, m_chapters.value(id).value(kBookId).toInt(), id);
    m_chapters.remove(id);
    ApiResult result;
    result.content = QJsonObject{{QStringLiteral("chapter_id"), id}};
    return result;
}

ApiResult Store::chapterInfo(const ApiCall& call)
{
    const int id = queryInt(call, "chapter_id");
    if (!m_chapters.contains(id) || ownedBook(call, m_chapters.value(id).value(kBookId).toInt()) == 0)
        return refuse(QStringLiteral("章节不存在"));
    ApiResult result;
    result.content = QJsonArray{chapterEntry(m_chapters.value(id))};
    return result;
}

ApiResult Store::chapterList(const ApiCall& call)
{
    const int bookId = ownedBook(call, queryInt(call, "book_id"));
    if (bookId == 0)
        return refuse(QStringLiteral("作品不存在"));
    const QString order = call.query.queryItemValue(QStringLiteral("order"), QUrl::FullyDecoded);
    QList<int> ids = orderedIds(m_chapters, kBookId, bookId);
    if (order == QLatin1String("desc"))
        std::reverse(ids.begin(), ids.end());
    QJsonArray menu;
    int words = 0;
    for (int id : ids) {
        menu.append(withOwnLocalId(call, chapterEntry(m_chapters.value(id)), m_chapters.value(id)));
        words += m_chapters.value(id).value(QStringLiteral("word_count")).toInt();
    }
    ApiResult result;
    result.content = QJsonObject{{QStringLiteral("order"), order}, {QStringLiteral("word_num"), words},
                                 {QStringLiteral("menu"), menu}};
    return result;
}

ApiResult Store::chapterDetail(const ApiCall& call)
{
    const int id = queryInt(call, "chapter_id");
    if (!m_chapters.contains(id) || ownedBook(call, m_chapters.value(id).value(kBookId).toInt()) == 0)
        return refuse(QStringLiteral("章节不存在"));
    QJsonObject chapter = m_chapters.value(id);
    chapter.remove(QStringLiteral("local_id"));
    chapter.remove(QStringLiteral("volume_id"));
    ApiResult result;
    result.content = chapter;
    return result;
}

ApiResult Store::getChapters(const ApiCall& call)
{
    const int bookId = ownedBook(call, queryInt(call, "book_id"));
    if (bookId == 0)
        return refuse(QStringLiteral("作品不存在"));
    const QStringList wanted = call.query.queryItemValue(QStringLiteral("c_ids"), QUrl::FullyDecoded)
                                   .split(QLatin1Char(','), Qt::SkipEmptyParts);
    const int after = queryInt(call, "order_num");
    const int limit = queryInt(call, "limit");
    QJsonArray list;
    for (int id : orderedIds(m_chapters, kBookId, bookId)) {
        const QJsonObject chapter = m_chapters.value(id);
        const bool chosen = wanted.isEmpty() ? chapter.value(kOrder).toInt() > after
                                             : wanted.contains(QString::number(id));
        if (!chosen)
            continue;
        list.append(chapter);
        if (limit > 0 && list.size() >= limit)
            break;
    }
    ApiResult result;
    result.content = list;
    return result;
}

ApiResult Store::editChapter(const ApiCall& call)
{
    const int id = number(call.body, "chapter_id");
    if (!m_chapters.contains(id) || ownedBook(call, m_chapters.value(id).value(kBookId).toInt()) == 0)
        return refuse(QStringLiteral("章节不存在"));
    const QJsonArray copies = keepOtherVersion(call, id);
    QJsonObject& chapter = m_chapters[id];
    if (call.body.contains(QStringLiteral("chapter_name")))
        chapter.insert(QStringLiteral("chapter_name"), text(call.body, "chapter_name"));
    if (call.body.contains(QStringLiteral("content"))) {
        chapter.insert(QStringLiteral("content"), text(call.body, "content"));
        chapter.insert(QStringLiteral("word_count"), wordCount(text(call.body, "content")));
        chapter.insert(QStringLiteral("writer"), call.device);
    }
    chapter.insert(QStringLiteral("update_time"), number(call.body, "update_time"));
    recordChange(call, 9, chapter.value(kBookId).toInt(), id);
    ApiResult result;
    result.content = QJsonObject{{kBookId, chapter.value(kBookId)}, {QStringLiteral("chapter_id"), id},
                                 {QStringLiteral("volume_id"), chapter.value(QStringLiteral("volume_id"))},
                                 {QStringLiteral("chapter_copy"), copies}};
    return result;
}

// A save edited from another text than the one stored here, which another
// machine wrote: the stored text becomes a copy right after the chapter.
QJsonArray Store::keepOtherVersion(const ApiCall& call, int id)
{
    const QJsonObject chapter = m_chapters.value(id);
    const QString base = text(call.body, "base_hash");
    const QString stored = chapter.value(QStringLiteral("content")).toString();
    if (base.isEmpty() || !call.body.contains(QStringLiteral("content")) || stored.isEmpty()
        || stored == text(call.body, "content") || chapter.value(QStringLiteral("writer")).toString() == call.device
        || QString::fromLatin1(QCryptographicHash::hash(stored.toUtf8(), QCryptographicHash::Md5).toHex()) == base)
        return QJsonArray();
    const int bookId = chapter.value(kBookId).toInt();
    const int order = chapter.value(kOrder).toInt() + 1;
    for (QJsonObject& other : m_chapters) {
        if (other.value(kBookId).toInt() == bookId && other.value(kOrder).toInt() >= order)
            other.insert(kOrder, other.value(kOrder).toInt() + 1);
    }
    const int copyId = ++m_nextId;
    QJsonObject copy = chapter;
    copy.insert(QStringLiteral("chapter_id"), copyId);
    copy.insert(QStringLiteral("chapter_name"),
                chapter.value(QStringLiteral("chapter_name")).toString() + QStringLiteral("（副本）"));
    copy.insert(kOrder, order);
    copy.insert(QStringLiteral("status"), 1);
    copy.insert(QStringLiteral("local_id"), 0);
    copy.insert(QStringLiteral("create_time"), number(call.body, "update_time"));
    m_chapters.insert(copyId, copy);
    // The saving machine hears of the copy through its feed too: the reply
    // that names it may never arrive.
    for (const QString& device : m_devices.value(call.uid)) {
        addFeedItem(call.uid, device, 4, bookId, copyId,
                    picked(copy, {"chapter_name", "order_num", "create_time", "volume_id"}));
        addFeedItem(call.uid, device, 9, bookId, copyId);
        addFeedItem(call.uid, device, 5, bookId, 0);
    }
    return QJsonArray{QJsonObject{{QStringLiteral("chapter_id"), copyId},
                                  {QStringLiteral("chapter_name"), copy.value(QStringLiteral("chapter_name"))},
                                  {QStringLiteral("content"), stored}, {kOrder, order}}};
}

// direction 1 puts the chapter after the target, anything else before it.
ApiResult Store::moveChapter(const ApiCall& call)
{
    const int bookId = ownedBook(call, number(call.body, "book_id"));
    if (bookId == 0)
        return refuse(QStringLiteral("作品不存在"));
    for (const QJsonValue& value : movesOf(call.body)) {
        const QJsonObject move = value.toObject();
        const int from = number(move, "from_chapter_id");
        if (!m_chapters.contains(from))
            continue;
        if (number(move, "to_volume_id") > 0)
            m_chapters[from].insert(QStringLiteral("volume_id"), number(move, "to_volume_id"));
        moveInOrder(m_chapters, bookId, from, number(move, "to_chapter_id"), number(move, "direction") == 1);
    }
    recordChange(call, 5, bookId, 0);
    ApiResult result;
    result.content = QJsonObject{{kBookId, bookId}};
    return result;
}

ApiResult Store::contentBlade(const ApiCall& call)
{
    const int chapterId = number(call.body, "chapter_id");
    if (!m_chapters.contains(chapterId) || ownedBook(call, m_chapters.value(chapterId).value(kBookId).toInt()) == 0)
        return refuse(QStringLiteral("章节不存在"));
    const int id = ++m_nextId;
    m_blades.insert(id, QJsonObject{{QStringLiteral("id"), id}, {QStringLiteral("chapter_id"), chapterId},
                                    {kBookId, number(call.body, "book_id")},
                                    {QStringLiteral("content"), text(call.body, "content")},
                                    {QStringLiteral("chapter_name"), text(call.body, "chapter_name")},
                                    {QStringLiteral("create_time"), number(call.body, "create_time")},
                                    {QStringLiteral("word_num"), wordCount(text(call.body, "content"))}});
    ApiResult result;
    result.content = QJsonObject{{QStringLiteral("id"), id}};
    return result;
}

ApiResult Store::timeMachine(const ApiCall& call)
{
    const int chapterId = queryInt(call, "chapter_id");
    if (!m_chapters.contains(chapterId) || ownedBook(call, m_chapters.value(chapterId).value(kBookId).toInt()) == 0)
        return refuse(QStringLiteral("章节不存在"));
    const QJsonObject chapter = m_chapters.value(chapterId);
    QJsonArray blades;
    for (auto it = m_blades.constEnd(); it != m_blades.constBegin();) {
        --it;
        if (it->value(QStringLiteral("chapter_id")).toInt() == chapterId) {
            blades.append(QJsonObject{{QStringLiteral("id"), it.key()}, {QStringLiteral("content"), it->value(QStringLiteral("content"))},
                                      {QStringLiteral("create_time"), it->value(QStringLiteral("create_time"))},
                                      {QStringLiteral("word_num"), it->value(QStringLiteral("word_num"))}});
        }
    }
    ApiResult result;
    result.content = QJsonObject{
        {QStringLiteral("origin"),
         QJsonObject{{kBookId, chapter.value(kBookId)}, {QStringLiteral("chapter_id"), chapterId},
                     {QStringLiteral("content"), chapter.value(QStringLiteral("content"))},
                     {QStringLiteral("createTime"), QString::number(chapter.value(QStringLiteral("create_time")).toInt())},
                     {QStringLiteral("word_count"), QString::number(chapter.value(QStringLiteral("word_count")).toInt())}}},
        {QStringLiteral("blade"), blades}};
    return result;
}

// Each entry may carry a chapter's new volume and order number.
ApiResult Store::appMoveChapter(const ApiCall& call)
{
    const int bookId = ownedBook(call, number(call.body, "book_id"));
    if (bookId == 0)
        return refuse(QStringLiteral("作品不存在"));
    for (const QJsonValue& value : movesOf(call.body)) {
        const QJsonObject move = value.toObject();
        const int id = number(move, "chapter_id");
        if (!m_chapters.contains(id) || m_chapters.value(id).value(kBookId).toInt() != bookId)
            continue;
        if (move.contains(QStringLiteral("volume_id")))
            m_chapters[id].insert(QStringLiteral("volume_id"), number(move, "volume_id"));
        if (move.contains(kOrder))
            m_chapters[id].insert(kOrder, number(move, "order_num"));
    }
    recordChange(call, 5, bookId, 0);
    ApiResult result;
    result.content = QJsonObject{{kBookId, bookId}};
    return result;
}

// ---- outlines ---------------------------------------------------------------

ApiResult Store::addOutline(const ApiCall& call)
{
    const int bookId = ownedBook(call, number(call.body, "book_id"));
    if (bookId == 0)
        return refuse(QStringLiteral("作品不存在"));
    const int id = ++m_nextId;
    m_outlines.insert(id, QJsonObject{{QStringLiteral("outline_id"), id}, {kBookId, bookId},
                                      {QStringLiteral("type"), number(call.body, "type")},
                                      {QStringLiteral("title"), text(call.body, "title")},
                                      {QStringLiteral("content"), text(call.body, "content")},
                                      {kOrder, nextOrder(m_outlines, bookId)},
                                      {QStringLiteral("create_time"), number(call.body, "update_time")},
                                      {QStringLiteral("local_id"), number(call.body, "local_id")},
                                      {QStringLiteral("device"), call.device}});
    recordChange(call, 21, bookId, id, picked(m_outlines.value(id), {"outline_id", "type", "title", "order_num", "content"}));
    ApiResult result;
    result.content = QJsonObject{{QStringLiteral("local_id"), number(call.body, "local_id")},
                                 {QStringLiteral("type"), number(call.body, "type")}, {kBookId, bookId},
                                 {QStringLiteral("outline_id"), id}};
    return result;
}

ApiResult Store::editOutline(const ApiCall& call)
{
    const int id = number(call.body, "outline_id");
    if (!m_outlines.contains(id) || ownedBook(call, m_outlines.value(id).value(kBookId).toInt()) == 0)
        return refuse(QStringLiteral("大纲不存在"));
    for (const char* key : {"type", "title", "content"}) {
        if (call.body.contains(QLatin1String(key)))
            m_outlines[id].insert(QLatin1String(key), call.body.value(QLatin1String(key)));
    }
    recordChange(call, 22, m_outlines.value(id).value(kBookId).toInt(), id);
    ApiResult result;
    result.content = QJsonObject{{QStringLiteral("outline_id"), id}};
    return result;
}

ApiResult Store::delOutline(const ApiCall& call)
{
    const int id = number(call.body, "outline_id");
    if (!m_outlines.contains(id) || ownedBook(call, m_outlines.value(id).value(kBookId).toInt()) == 0)
        return refuse(QStringLiteral("大纲不存在"));
    recordChange(call, 23, m_outlines.value(id).value(kBookId).toInt(), id);
    m_outlines.remove(id);
    ApiResult result;
    result.content = QJsonObject{{QStringLiteral("outline_id"), id}};
    return result;
}

ApiResult Store::outlineDetail(const ApiCall& call)
{
    const int id = queryInt(call, "outline_id");
    if (!m_outlines.contains(id) || ownedBook(call, m_outlines.value(id).value(kBookId).toInt()) == 0)
        return refuse(QStringLiteral("大纲不存在"));
    ApiResult result;
    result.content = m_outlines.value(id);
    return result;
}

ApiResult Store::outlineList(const ApiCall& call)
{
    const int bookId = ownedBook(call, queryInt(call, "book_id"));
    if (bookId == 0)
        return refuse(QStringLiteral("作品不存在"));
    QJsonArray list;
    for (int id : orderedIds(m_outlines, kBookId, bookId)) {
        QJsonObject outline = m_outlines.value(id);
        outline.remove(QStringLiteral("local_id"));
        outline.remove(QStringLiteral("device"));
        list.append(withOwnLocalId(call, outline, m_outlines.value(id)));
    }
    ApiResult result;
    result.content = QJsonObject{{QStringLiteral("all_outline"), list}};
    return result;
}

ApiResult Store::moveOutline(const ApiCall& call)
{
    const int bookId = ownedBook(call, number(call.body, "book_id"));
    if (bookId == 0)
        return refuse(QStringLiteral("作品不存在"));
    for (const QJsonValue& value : movesOf(call.body)) {
        const QJsonObject move = value.toObject();
        moveToPlaceOf(m_outlines, bookId, number(move, "from_outline_id"), number(move, "to_outline_id"));
    }
    recordChange(call, 24, bookId, 0);
    ApiResult result;
    result.content = QJsonObject{{kBookId, bookId}};
    return result;
}

// ---- memos ------------------------------------------------------------------

ApiResult Store::addMemo(const ApiCall& call)
{
    const int id = ++m_nextId;
    const int time = number(call.body, "update_time");
    m_memos.insert(id, QJsonObject{{QStringLiteral("id"), id}, {QStringLiteral("uid"), call.uid},
                                   {QStringLiteral("color"), text(call.body, "color")},
                                   {QStringLiteral("content"), text(call.body, "content")},
                                   {QStringLiteral("update_time"), time}, {QStringLiteral("color_update_time"), time},
                                   {kBookId, 0}, {QStringLiteral("chapter_id"), 0}, {QStringLiteral("location"), QString()}});
    recordChange(call, 15, 0, id);
    ApiResult result;
    result.content = QJsonObject{{QStringLiteral("memo_id"), id}};
    return result;
}

ApiResult Store::delMemo(const ApiCall& call)
{
    const int id = number(call.body, "memo_id");
    if (m_memos.value(id).value(QStringLiteral("uid")).toInt() != call.uid)
        return refuse(QStringLiteral("便签不存在"));
    recordChange(call, 17, 0, id);
    m_memos.remove(id);
    ApiResult result;
    result.content = QJsonObject{{QStringLiteral("memo_id"), id}};
    return result;
}

ApiResult Store::editMemo(const ApiCall& call)
{
    const int id = number(call.body, "memo_id");
    if (m_memos.value(id).value(QStringLiteral("uid")).toInt() != call.uid)
        return refuse(QStringLiteral("便签不存在"));
    QJsonObject& memo = m_memos[id];
    const int time = number(call.body, "update_time");
    if (call.body.contains(QStringLiteral("color"))) {
        memo.insert(QStringLiteral("color"), text(call.body, "color"));
        memo.insert(QStringLiteral("color_update_time"), time);
    }
    for (const char* key : {"content", "location"}) {
        if (call.body.contains(QLatin1String(key)))
            memo.insert(QLatin1String(key), text(call.body, key));
    }
    for (const char* key : {"book_id", "chapter_id"}) {
        if (call.body.contains(QLatin1String(key)))
            memo.insert(QLatin1String(key), number(call.body, key));
    }
    memo.insert(QStringLiteral("update_time"), time);
    recordChange(call, 16, 0, id);
    ApiResult result;
    result.content = QJsonObject{{QStringLiteral("memo_id"), id}};
    return result;
}

ApiResult Store::memoDetail(const ApiCall& call)
{
    const int id = queryInt(call, "memo_id");
    if (m_memos.value(id).value(QStringLiteral("uid")).toInt() != call.uid)
        return refuse(QStringLiteral("便签不存在"));
    QJsonObject memo = m_memos.value(id);
    memo.remove(QStringLiteral("uid"));
    ApiResult result;
    result.content = memo;
    return result;
}

ApiResult Store::memoList(const ApiCall& call)
{
    QJsonArray list;
    for (QJsonObject memo : m_memos) {
        if (memo.value(QStringLiteral("uid")).toInt() != call.uid)
            continue;
        memo.remove(QStringLiteral("uid"));
        list.append(memo);
    }
    ApiResult result;
    result.content = list;
    return result;
}
