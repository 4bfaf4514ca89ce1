#include "Store.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QJsonDocument>

#include <algorithm>

namespace {
// A 1x1 picture for the seeded covers and banners.
const char kPixelPng[] =
    "iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mP8z8BQDwAEhQGAhKmMIQAAAABJRU5ErkJggg==";

QJsonArray values(const QMap<int, QJsonObject>& map)
{
    QJsonArray array;
    for (const QJsonObject& object : map)
        array.append(object);
    return array;
}
}

Store::Store()
{
    registerHandlers();
    reset();
}

void Store::registerHandlers()
{
    m_handlers = {
        {QStringLiteral("/account/authNumber"), &Store::authNumber},
        {QStringLiteral("/account/register"), &Store::registerAuthor},
        {QStringLiteral("/account/sendCode"), &Store::sendCode},
        {QStringLiteral("/account/login"), &Store::login},
        {QStringLiteral("/account/forgetPassword"), &Store::forgetPassword},
        {QStringLiteral("/author/changePassword"), &Store::changePassword},
        {QStringLiteral("/author/info"), &Store::authorInfo},
        {QStringLiteral("/author/updateAuthor"), &Store::updateAuthor},
        {QStringLiteral("/author/uploadimg"), &Store::uploadImg},
        {QStringLiteral("/author/wxCodeLogin"), &Store::wxCodeLogin},
        {QStringLiteral("/author/pollingWx"), &Store::pollingWx},
        {QStringLiteral("/author/wxBindPhone"), &Store::wxBindPhone},
        {QStringLiteral("/author/bannerList"), &Store::bannerList},
        {QStringLiteral("/author/checkin"), &Store::checkin},
        {QStringLiteral("/forum/htmlRed"), &Store::notice},
        {QStringLiteral("/authorcount/saveData"), &Store::countSave},
        {QStringLiteral("/authorcount/getData"), &Store::countData},
        {QStringLiteral("/synchronization/synData"), &Store::synData},
        {QStringLiteral("/synchronization/synBookData"), &Store::synBookData},
        {QStringLiteral("/synchronization/synAuthor"), &Store::synAuthor},
        {QStringLiteral("/synchronization/appVersion"), &Store::appVersion},
        {QStringLiteral("/books/getCate"), &Store::getCate},
        {QStringLiteral("/sensitive/editSensitive"), &Store::editSensitive},
        {QStringLiteral("/sensitive/getSensitive"), &Store::getSensitive},
        {QStringLiteral("/sensitive/nameData"), &Store::nameData},
        {QStringLiteral("/im/allLevels"), &Store::allLevels},
        {QStringLiteral("/books/addBook"), &Store::addBook},
        {QStringLiteral("/books/booksList"), &Store::booksList},
        {QStringLiteral("/books/bookinfo"), &Store::bookInfo},
        {QStringLiteral("/books/recycle"), &Store::recycleBook},
        {QStringLiteral("/books/delBook"), &Store::delBook},
        {QStringLiteral("/books/editBook"), &Store::editBook},
        {QStringLiteral("/volume/volumeList"), &Store::volumeList},
        {QStringLiteral("/volume/addVolume"), &Store::addVolume},
        {QStringLiteral("/volume/editVolume"), &Store::editVolume},
        {QStringLiteral("/volume/recycle"), &Store::recycleVolume},
        {QStringLiteral("/volume/move"), &Store::moveVolume},
        {QStringLiteral("/chapter/addChapter"), &Store::addChapter},
        {QStringLiteral("/chapter/batchCreateChapter"), &Store::batchCreateChapter},
        {QStringLiteral("/chapter/recycle"), &Store::recycleChapter},
        {QStringLiteral("/chapter/delChapter"), &Store::delChapter},
        {QStringLiteral("/newchapter/getChapterInfo"), &Store::chapterInfo},
        {QStringLiteral("/chapter/chapterList"), &Store::chapterList},
        {QStringLiteral("/chapter/chapter"), &Store::chapterDetail},
        {QStringLiteral("/chapter/getChapters"), &Store::getChapters},
        {QStringLiteral("/chapter/editChapter"), &Store::editChapter},
        {QStringLiteral("/chapter/move"), &Store::moveChapter},
        {QStringLiteral("/chapter/contentBlade"), &Store::contentBlade},
        {QStringLiteral("/chapter/timeMachine"), &Store::timeMachine},
        {QStringLiteral("/chapter/appMoveChapter"), &Store::appMoveChapter},
        {QStringLiteral("/bookoutline/addOutline"), &Store::addOutline},
        {QStringLiteral("/bookoutline/editOutline"), &Store::editOutline},
        {QStringLiteral("/bookoutline/delOutline"), &Store::delOutline},
        {QStringLiteral("/bookoutline/outlineDetail"), &Store::outlineDetail},
        {QStringLiteral("/bookoutline/outlineList"), &Store::outlineList},
        {QStringLiteral("/bookoutline/move"), &Store::moveOutline},
        {QStringLiteral("/memo/addMemo"), &Store::addMemo},
        {QStringLiteral("/memo/delMemo"), &Store::delMemo},
        {QStringLiteral("/memo/editMemo"), &Store::editMemo},
        {QStringLiteral("/memo/memoDetail"), &Store::memoDetail},
        {QStringLiteral("/memo/memoList"), &Store::memoList},
        // Crash dumps arrive as multipart forms; the journal keeps them.
        {QStringLiteral("/crash/uploadDump"), &Store::acceptCrashDump},
    };
}

bool Store::isPublic(const QString& path) const
{
    return path.startsWith(QLatin1String("/account/")) || path == QLatin1String("/author/wxCodeLogin")
        || path == QLatin1String("/author/pollingWx") || path == QLatin1String("/synchronization/appVersion")
        || path == QLatin1String("/synchronization/synData") || path == QLatin1String("/books/getCate")
        || path == QLatin1String("/sensitive/nameData")
        || path == QLatin1String("/crash/uploadDump");
}

int Store::authorOfToken(const QByteArray& authorization) const
{
    if (!authorization.startsWith("Bearer "))
        return 0;
    const QString token = QString::fromLatin1(authorization.mid(7));
    if (token.isEmpty())
        return 0;
    for (const QJsonObject& author : m_authors) {
        if (author.value(QStringLiteral("token")).toString() == token)
            return author.value(QStringLiteral("uid")).toInt();
    }
    return 0;
}

ApiResult Store::call(const ApiCall& call)
{
    noteDevice(call);
    const Handler handler = m_handlers.value(call.path);
    return handler ? (this->*handler)(call) : refuse(QStringLiteral("接口不存在"), 404);
}

ApiResult Store::acceptCrashDump(const ApiCall&)
{
    return ApiResult();
}

ApiResult Store::refuse(const QString& message, int code)
{
    ApiResult result;
    result.code = code;
    result.msg = message;
    return result;
}

QString Store::text(const QJsonObject& body, const char* key)
{
    return body.value(QLatin1String(key)).toString();
}

int Store::number(const QJsonObject& body, const char* key)
{
    const QJsonValue value = body.value(QLatin1String(key));
    return value.isString() ? value.toString().toInt() : value.toInt();
}

int Store::queryInt(const ApiCall& call, const char* key)
{
    return call.query.queryItemValue(QLatin1String(key), QUrl::FullyDecoded).toInt();
}

int Store::wordCount(const QString& text)
{
    int count = 0;
    for (const QChar c : text) {
        if (!c.isSpace())
            ++count;
    }
    return count;
}

int Store::now()
{
    return int(QDateTime::currentSecsSinceEpoch());
}

int Store::ownedBook(const ApiCall& call, int bookId) const
{
    const auto found = m_books.constFind(bookId);
    if (found == m_books.constEnd() || found->value(QStringLiteral("author_id")).toInt() != call.uid)
        return 0;
    return bookId;
}

bool Store::image(const QString& name, QByteArray& bytes) const
{
    const auto found = m_images.constFind(name);
    if (found == m_images.constEnd())
        return false;
    bytes = found.value();
    return true;
}

QJsonArray Store::pushFeed(int uid, const QJsonArray& items)
{
    QJsonArray ids;
    for (const QJsonValue& value : items) {
        QJsonObject item = value.toObject();
        const int id = ++m_nextId;
        item.insert(QStringLiteral("id"), id);
        item.insert(QStringLiteral("uid"), uid);
        if (!item.contains(QStringLiteral("extra")))
            item.insert(QStringLiteral("extra"), QString());
        m_feed.insert(id, item);
        ids.append(id);
    }
    return ids;
}

int Store::addFeedItem(int uid, const QString& device, int type, int bookId, int objectId, const QJsonObject& extra)
{
    const int id = ++m_nextId;
    m_feed.insert(id, QJsonObject{
        {QStringLiteral("id"), id}, {QStringLiteral("uid"), uid}, {QStringLiteral("device"), device},
        {QStringLiteral("change_type"), type}, {QStringLiteral("book_id"), bookId},
        {QStringLiteral("chapter_id"), objectId},
        {QStringLiteral("extra"), extra.isEmpty() ? QString()
                                                  : QString::fromUtf8(QJsonDocument(extra).toJson(QJsonDocument::Compact))},
    });
    return id;
}

// Items pushed without a machine are every machine's; the others only theirs.
bool Store::feedItemFor(const QJsonObject& item, int uid, const QString& device) const
{
    if (item.value(QStringLiteral("uid")).toInt() != uid)
        return false;
    const QString owner = item.value(QStringLiteral("device")).toString();
    return owner.isEmpty() || owner == device;
}

void Store::recordChange(const ApiCall& call, int type, int bookId, int objectId, const QJsonObject& extra)
{
    for (const QString& device : m_devices.value(call.uid)) {
        if (device != call.device)
            addFeedItem(call.uid, device, type, bookId, objectId, extra);
    }
}

QJsonObject Store::picked(const QJsonObject& object, std::initializer_list<const char*> keys)
{
    QJsonObject out;
    for (const char* key : keys)
        out.insert(QLatin1String(key), object.value(QLatin1String(key)));
    return out;
}

void Store::noteDevice(const ApiCall& call)
{
    if (call.uid < 1 || call.device.isEmpty())
        return;
    QSet<QString>& devices = m_devices[call.uid];
    if (devices.contains(call.device))
        return;
    devices.insert(call.device);
    if (m_welcomeNewDevices)
        welcome(call.uid, call.device);
}

// What a machine new to the author needs to hold the author's work: each book
// with its information, volumes, chapters (text fetched where there is any),
// outlines and recycle-bin state, then the memos.
void Store::welcome(int uid, const QString& device)
{
    const QString kName = QStringLiteral("book_name");
    for (const QJsonObject& book : m_books) {
        if (book.value(QStringLiteral("author_id")).toInt() != uid)
            continue;
        const int bookId = book.value(QStringLiteral("book_id")).toInt();
        addFeedItem(uid, device, 1, bookId, 0,
                    {{kName, book.value(kName)}, {QStringLiteral("create_time"), book.value(QStringLiteral("create_time"))}});
        addFeedItem(uid, device, 2, bookId, 0);
        QList<QJsonObject> volumes;
        for (const QJsonObject& volume : m_volumes) {
            if (volume.value(QStringLiteral("book_id")).toInt() == bookId)
                volumes.append(volume);
        }
        std::stable_sort(volumes.begin(), volumes.end(), [](const QJsonObject& a, const QJsonObject& b) {
            return a.value(QStringLiteral("order_num")).toInt() < b.value(QStringLiteral("order_num")).toInt();
        });
        for (const QJsonObject& volume : volumes) {
            const int volumeId = volume.value(QStringLiteral("id")).toInt();
            addFeedItem(uid, device, 25, bookId, volumeId,
                        {{QStringLiteral("volume_name"), volume.value(QStringLiteral("volume_name"))}});
            if (volume.value(QStringLiteral("status")).toInt() == 0)
                addFeedItem(uid, device, 28, bookId, volumeId);
        }
        QList<QJsonObject> chapters;
        for (const QJsonObject& chapter : m_chapters) {
            if (chapter.value(QStringLiteral("book_id")).toInt() == bookId)
                chapters.append(chapter);
        }
        std::stable_sort(chapters.begin(), chapters.end(), [](const QJsonObject& a, const QJsonObject& b) {
            return a.value(QStringLiteral("order_num")).toInt() < b.value(QStringLiteral("order_num")).toInt();
        });
        for (const QJsonObject& chapter : chapters) {
            const int chapterId = chapter.value(QStringLiteral("chapter_id")).toInt();
            QJsonObject extra;
            for (const char* key : {"chapter_name", "order_num", "create_time", "volume_id"})
                extra.insert(QLatin1String(key), chapter.value(QLatin1String(key)));
            addFeedItem(uid, device, 4, bookId, chapterId, extra);
            if (!chapter.value(QStringLiteral("content")).toString().isEmpty())
                addFeedItem(uid, device, 9, bookId, chapterId);
            if (chapter.value(QStringLiteral("status")).toInt() == 0)
                addFeedItem(uid, device, 6, bookId, chapterId);
        }
        for (const QJsonObject& outline : m_outlines) {
            if (outline.value(QStringLiteral("book_id")).toInt() != bookId)
                continue;
            QJsonObject extra;
            for (const char* key : {"outline_id", "type", "title", "order_num", "content"})
                extra.insert(QLatin1String(key), outline.value(QLatin1String(key)));
            addFeedItem(uid, device, 21, bookId, outline.value(QStringLiteral("outline_id")).toInt(), extra);
        }
        if (book.value(QStringLiteral("status")).toInt() == 0)
            addFeedItem(uid, device, 3, bookId, 0);
    }
    for (const QJsonObject& memo : m_memos) {
        if (memo.value(QStringLiteral("uid")).toInt() == uid)
            addFeedItem(uid, device, 15, 0, memo.value(QStringLiteral("id")).toInt());
    }
}

void Store::setVersions(const QJsonObject& versions)
{
    for (auto it = versions.constBegin(); it != versions.constEnd(); ++it)
        m_versions.insert(it.key(), it.value().toInt());
}

QJsonObject Store::dump() const
{
    QJsonObject authors;
    QJsonArray list;
    for (QJsonObject author : m_authors) {
        author.remove(QStringLiteral("password"));
        list.append(author);
    }
    return QJsonObject{{QStringLiteral("authors"), list},
                       {QStringLiteral("books"), values(m_books)},
                       {QStringLiteral("volumes"), values(m_volumes)},
                       {QStringLiteral("chapters"), values(m_chapters)},
                       {QStringLiteral("versions"), values(m_blades)},
                       {QStringLiteral("outlines"), values(m_outlines)},
                       {QStringLiteral("memos"), values(m_memos)},
                       {QStringLiteral("feed"), values(m_feed)}};
}

void Store::reset()
{
    m_listLocalIds = true;
    m_update = QJsonObject();
    m_authors.clear();
    m_books.clear();
    m_volumes.clear();
    m_chapters.clear();
    m_blades.clear();
    m_outlines.clear();
    m_memos.clear();
    m_feed.clear();
    // The client ships a category tree of version 1; this platform's tree is
    // another, which the client must fetch to name the sample book's category.
    m_versions = QJsonObject{{QStringLiteral("cateVersion"), 2}, {QStringLiteral("sensitiveVersion"), 1},
                             {QStringLiteral("peopleNameDataVersion"), 1}, {QStringLiteral("levelVersion"), 1}};
    m_images.clear();
    m_sensitiveWords.clear();
    m_devices.clear();
    m_welcomeNewDevices = m_welcomeDefault;
    m_nextId = 20000;

    const int created = now();
    m_images.insert(QStringLiteral("cover.png"), QByteArray::fromBase64(kPixelPng));
    m_images.insert(QStringLiteral("banner1.png"), QByteArray::fromBase64(kPixelPng));

    m_authors.insert(kDemoUid, QJsonObject{
        {QStringLiteral("uid"), kDemoUid},
        {QStringLiteral("phone"), QString::fromLatin1(demoPhone())},
        {QStringLiteral("password"), QString::fromLatin1(demoPassword())},
        {QStringLiteral("token"), QString::fromLatin1(demoToken())},
        {QStringLiteral("author_name"), QStringLiteral("演示作者")},
        {QStringLiteral("sex"), QStringLiteral("F")},
        {QStringLiteral("sign"), QStringLiteral("每天写一点")},
        {QStringLiteral("birthday"), QStringLiteral("1990-01-01")},
        {QStringLiteral("headimg"), QString()},
        {QStringLiteral("isBindWx"), false},
        {QStringLiteral("isBindPhone"), true},
        {QStringLiteral("level_id"), 3},
        {QStringLiteral("score"), 120},
        {QStringLiteral("isFollow"), 0},
        {QStringLiteral("isVip"), 0},
        {QStringLiteral("isMoneyUser"), 0},
        {QStringLiteral("vipExpireTime"), 0},
        {QStringLiteral("is_checkin_today"), 0},
    });

    const int bookId = 5001;
    const int volumeId = 7001;
    const QString opening = QStringLiteral("　　清晨的雾还没有散，她已经站在渡口等船。");
    m_books.insert(bookId, QJsonObject{
        {QStringLiteral("book_id"), bookId}, {QStringLiteral("author_id"), kDemoUid},
        {QStringLiteral("book_name"), QStringLiteral("示例作品")},
        {QStringLiteral("intro"), QStringLiteral("一部用来试用写作客户端的示例小说。")},
        {QStringLiteral("channel_type"), 2}, {QStringLiteral("cate_id"), 2001},
        {QStringLiteral("first_cate_id"), 2000},
        {QStringLiteral("cover"), m_baseUrl + QStringLiteral("/img/cover.png")},
        {QStringLiteral("status"), 1}, {QStringLiteral("create_time"), created},
        {QStringLiteral("update_time"), created}, {QStringLiteral("local_id"), 0},
    });
    m_volumes.insert(volumeId, QJsonObject{
        {QStringLiteral("id"), volumeId}, {QStringLiteral("book_id"), bookId},
        {QStringLiteral("volume_name"), QStringLiteral("第一卷")}, {QStringLiteral("order_num"), 1},
        {QStringLiteral("status"), 1},
    });
    const QStringList names{QStringLiteral("第一章 渡口"), QStringLiteral("第二章 远行")};
    for (int i = 0; i < names.size(); ++i) {
        const QString content = i == 0 ? opening : QString();
        m_chapters.insert(9001 + i, QJsonObject{
            {QStringLiteral("chapter_id"), 9001 + i}, {QStringLiteral("book_id"), bookId},
            {QStringLiteral("volume_id"), volumeId}, {QStringLiteral("chapter_name"), names.at(i)},
            {QStringLiteral("content"), content}, {QStringLiteral("order_num"), i + 1},
            {QStringLiteral("status"), 1}, {QStringLiteral("word_count"), wordCount(content)},
            {QStringLiteral("create_time"), created}, {QStringLiteral("update_time"), created},
            {QStringLiteral("local_id"), 0},
        });
    }
    m_outlines.insert(11001, QJsonObject{
        {QStringLiteral("outline_id"), 11001}, {QStringLiteral("book_id"), bookId},
        {QStringLiteral("type"), 1}, {QStringLiteral("title"), QStringLiteral("主线")},
        {QStringLiteral("content"), QStringLiteral("她要在入冬前赶到北方。")},
        {QStringLiteral("order_num"), 1}, {QStringLiteral("create_time"), created},
    });
    m_memos.insert(13001, QJsonObject{
        {QStringLiteral("id"), 13001}, {QStringLiteral("uid"), kDemoUid},
        {QStringLiteral("color"), QStringLiteral("#FFF3B0")},
        {QStringLiteral("content"), QStringLiteral("记得回收渡口的伏笔")},
        {QStringLiteral("update_time"), created}, {QStringLiteral("color_update_time"), created},
        {QStringLiteral("book_id"), 0}, {QStringLiteral("chapter_id"), 0}, {QStringLiteral("location"), QString()},
    });
    seedCategories();
}

void Store::seedCategories()
{
    const auto category = [](int id, const QString& name, const QJsonArray& children) {
        return QJsonObject{{QStringLiteral("cate_id"), id}, {QStringLiteral("cate_name"), name},
                           {QStringLiteral("children"), children}};
    };
    const auto leaf = [](int id, const QString& name) {
        return QJsonObject{{QStringLiteral("cate_id"), id}, {QStringLiteral("cate_name"), name}};
    };
    m_female = QJsonArray{
        category(2000, QStringLiteral("古代言情"),
                 {leaf(2001, QStringLiteral("宫闱宅斗")), leaf(2002, QStringLiteral("经商种田"))}),
        category(2100, QStringLiteral("现代言情"), {leaf(2101, QStringLiteral("都市情缘"))}),
    };
    m_male = QJsonArray{
        category(1000, QStringLiteral("玄幻"), {leaf(1001, QStringLiteral("东方玄幻"))}),
        category(1100, QStringLiteral("都市"), {leaf(1101, QStringLiteral("都市生活"))}),
    };
}
