#include "Store.h"

#include <QCryptographicHash>
#include <QDateTime>

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
    m_update = QJsonObject();
    m_authors.clear();
    m_books.clear();
    m_volumes.clear();
    m_chapters.clear();
    m_blades.clear();
    m_outlines.clear();
    m_memos.clear();
    m_feed.clear();
    m_versions = QJsonObject{{QStringLiteral("cateVersion"), 1}, {QStringLiteral("sensitiveVersion"), 1},
                             {QStringLiteral("peopleNameDataVersion"), 1}, {QStringLiteral("levelVersion"), 1}};
    m_images.clear();
    m_sensitiveWords.clear();
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
