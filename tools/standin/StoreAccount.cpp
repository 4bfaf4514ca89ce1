// The account, author, statistics, system-data and change-feed endpoints.

#include "Store.h"

#include <QCryptographicHash>
#include <QUuid>

namespace {
QString newToken()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces).remove(QLatin1Char('-'));
}

QJsonObject profileOf(const QJsonObject& author)
{
    QJsonObject profile = author;
    profile.remove(QStringLiteral("password"));
    profile.remove(QStringLiteral("token"));
    profile.remove(QStringLiteral("phone"));
    return profile;
}
}

ApiResult Store::authNumber(const ApiCall& call)
{
    if (call.query.queryItemValue(QStringLiteral("uuid"), QUrl::FullyDecoded).isEmpty())
        return refuse(QStringLiteral("缺少uuid"));
    ApiResult result;
    // Always the code "1234", enciphered as the platform sends it (AES-128-ECB,
    // PKCS #7, the client's key), Base64.
    result.content = QJsonObject{{QStringLiteral("code"), QStringLiteral("ClHk80eaIGR+3X8m3b/Fsg==")}};
    return result;
}

ApiResult Store::registerAuthor(const ApiCall& call)
{
    const QString phone = text(call.body, "phone");
    if (phone.isEmpty() || text(call.body, "password").isEmpty())
        return refuse(QStringLiteral("手机号和密码不能为空"));
    for (const QJsonObject& author : m_authors) {
        if (author.value(QStringLiteral("phone")).toString() == phone)
            return refuse(QStringLiteral("该手机号已注册"));
    }
    const int uid = ++m_nextId;
    QJsonObject author = m_authors.value(kDemoUid);
    author.insert(QStringLiteral("uid"), uid);
    author.insert(QStringLiteral("phone"), phone);
    author.insert(QStringLiteral("password"), text(call.body, "password"));
    author.insert(QStringLiteral("token"), QString());
    author.insert(QStringLiteral("author_name"), QStringLiteral("作者") + phone.right(4));
    author.insert(QStringLiteral("sign"), QString());
    m_authors.insert(uid, author);
    ApiResult result;
    result.content = QJsonObject{{QStringLiteral("uid"), uid}};
    return result;
}

ApiResult Store::sendCode(const ApiCall& call)
{
    if (text(call.body, "phone").isEmpty())
        return refuse(QStringLiteral("手机号不能为空"));
    return ApiResult();
}

// Accepts the password as typed or as its MD5, whichever the client sends.
ApiResult Store::login(const ApiCall& call)
{
    const QString phone = text(call.body, "phone");
    const QString password = text(call.body, "password");
    for (auto it = m_authors.begin(); it != m_authors.end(); ++it) {
        if (it->value(QStringLiteral("phone")).toString() != phone)
            continue;
        const QString stored = it->value(QStringLiteral("password")).toString();
        const QString storedMd5 = QString::fromLatin1(
            QCryptographicHash::hash(stored.toUtf8(), QCryptographicHash::Md5).toHex());
        if (password != stored && password.toLower() != storedMd5)
            break;
        QString token = it->value(QStringLiteral("token")).toString();
        if (token.isEmpty()) {
            token = newToken();
            it->insert(QStringLiteral("token"), token);
        }
        ApiResult result;
        result.content = QJsonObject{{QStringLiteral("uid"), it.key()}, {QStringLiteral("token"), token}};
        return result;
    }
    return refuse(QStringLiteral("账号或密码错误"));
}

ApiResult Store::forgetPassword(const ApiCall& call)
{
    const QString phone = text(call.body, "phone");
    for (auto it = m_authors.begin(); it != m_authors.end(); ++it) {
        if (it->value(QStringLiteral("phone")).toString() == phone) {
            it->insert(QStringLiteral("password"), text(call.body, "password"));
            return ApiResult();
        }
    }
    return refuse(QStringLiteral("该手机号未注册"));
}

ApiResult Store::changePassword(const ApiCall& call)
{
    QJsonObject& author = m_authors[call.uid];
    if (author.value(QStringLiteral("password")).toString() != text(call.body, "password"))
        return refuse(QStringLiteral("原密码错误"));
    author.insert(QStringLiteral("password"), text(call.body, "newPassword"));
    return ApiResult();
}

ApiResult Store::authorInfo(const ApiCall& call)
{
    ApiResult result;
    result.content = profileOf(m_authors.value(call.uid));
    return result;
}

ApiResult Store::updateAuthor(const ApiCall& call)
{
    QJsonObject& author = m_authors[call.uid];
    if (call.body.contains(QStringLiteral("author_name")))
        author.insert(QStringLiteral("author_name"), text(call.body, "author_name"));
    if (call.body.contains(QStringLiteral("sex")))
        author.insert(QStringLiteral("sex"), text(call.body, "sex"));
    ApiResult result;
    result.content = QJsonObject{
        {QStringLiteral("author_name"), author.value(QStringLiteral("author_name"))},
        {QStringLiteral("sex"), author.value(QStringLiteral("sex"))},
        {QStringLiteral("sign"), author.value(QStringLiteral("sign"))},
        {QStringLiteral("birthday"), author.value(QStringLiteral("birthday"))},
        {QStringLiteral("phone"), author.value(QStringLiteral("phone"))},
    };
    return result;
}

ApiResult Store::uploadImg(const ApiCall& call)
{
    const QString img = text(call.body, "img");
    const int comma = img.indexOf(QLatin1Char(','));
    if (!img.startsWith(QLatin1String("data:image/")) || comma < 0)
        return refuse(QStringLiteral("图片格式错误"));
    const QString suffix = img.mid(11, img.indexOf(QLatin1Char(';')) - 11);
    const QString name = QStringLiteral("head_%1.%2").arg(++m_nextId).arg(suffix);
    // The client sends the Base64 percent-encoded ("/" as %2F, "+" as %2B).
    m_images.insert(name, QByteArray::fromBase64(QByteArray::fromPercentEncoding(img.mid(comma + 1).toLatin1())));
    const QString url = m_baseUrl + QStringLiteral("/img/") + name;
    m_authors[call.uid].insert(QStringLiteral("headimg"), url);
    ApiResult result;
    result.content = QJsonObject{{QStringLiteral("headimg"), url}};
    return result;
}

ApiResult Store::wxCodeLogin(const ApiCall& call)
{
    ApiResult result;
    result.content = QJsonObject{
        {QStringLiteral("url"), m_baseUrl + QStringLiteral("/wx/qr?nonce_str=") + text(call.body, "nonce_str")}};
    return result;
}

// Nobody scans the code at the stand-in: the poll always says "waiting".
ApiResult Store::pollingWx(const ApiCall&)
{
    ApiResult result;
    result.content = QJsonObject{{QStringLiteral("isBindPhone"), 0}, {QStringLiteral("status"), 0},
                                 {QStringLiteral("token"), QString()}, {QStringLiteral("uid"), 0}};
    return result;
}

ApiResult Store::wxBindPhone(const ApiCall& call)
{
    QJsonObject& author = m_authors[call.uid];
    author.insert(QStringLiteral("phone"), text(call.body, "phone"));
    author.insert(QStringLiteral("isBindWx"), true);
    ApiResult result;
    result.content = QJsonObject{{QStringLiteral("uid"), call.uid},
                                 {QStringLiteral("token"), author.value(QStringLiteral("token"))}};
    return result;
}

ApiResult Store::bannerList(const ApiCall&)
{
    ApiResult result;
    result.content = QJsonObject{{QStringLiteral("bannerList"),
                                  QJsonArray{QJsonObject{
                                      {QStringLiteral("pic_url"), m_baseUrl + QStringLiteral("/img/banner1.png")},
                                      {QStringLiteral("link_url"), m_baseUrl + QStringLiteral("/")}}}}};
    return result;
}

ApiResult Store::notice(const ApiCall&)
{
    ApiResult result;
    result.content = QJsonObject{{QStringLiteral("is_red"), 0}, {QStringLiteral("num"), 0}};
    return result;
}

ApiResult Store::checkin(const ApiCall& call)
{
    m_authors[call.uid].insert(QStringLiteral("is_checkin_today"), 1);
    ApiResult result;
    result.content = QJsonObject{{QStringLiteral("is_checkin_today"), 1},
                                 {QStringLiteral("vipExpireTime"),
                                  m_authors[call.uid].value(QStringLiteral("vipExpireTime"))}};
    return result;
}

ApiResult Store::countSave(const ApiCall& call)
{
    if (text(call.body, "date").isEmpty())
        return refuse(QStringLiteral("缺少日期"));
    return ApiResult();
}

ApiResult Store::countData(const ApiCall&)
{
    ApiResult result;
    result.content = QJsonObject{
        {QStringLiteral("timeData"), QJsonArray{QStringLiteral("2024-01-01"), QStringLiteral("2024-01-02")}},
        {QStringLiteral("wordData"), QJsonArray{1200, 800}},
        {QStringLiteral("speedData"), QJsonArray{30, 25}},
        {QStringLiteral("writeTimeData"), QJsonArray{3600, 2400}},
        {QStringLiteral("increaseData"), QJsonArray{1100, 750}},
        {QStringLiteral("historyData"),
         QJsonObject{{QStringLiteral("max_word"), 1200}, {QStringLiteral("sum_word"), 2000},
                     {QStringLiteral("max_speed"), 30}, {QStringLiteral("max_write_time"), 3600},
                     {QStringLiteral("sum_write_time"), 6000}}},
    };
    return result;
}

ApiResult Store::synData(const ApiCall&)
{
    ApiResult result;
    result.content = m_versions;
    return result;
}

ApiResult Store::synBookData(const ApiCall& call)
{
    QJsonArray items;
    for (const QJsonObject& item : m_feed) {
        if (!feedItemFor(item, call.uid, call.device))
            continue;
        QJsonObject entry = item;
        entry.remove(QStringLiteral("uid"));
        entry.remove(QStringLiteral("device"));
        items.append(entry);
    }
    ApiResult result;
    result.content = items;
    return result;
}

// The acknowledgement: everything up to the task id has been applied.
ApiResult Store::synAuthor(const ApiCall& call)
{
    const int last = number(call.body, "task_id");
    for (auto it = m_feed.begin(); it != m_feed.end();) {
        if (it.key() <= last && feedItemFor(*it, call.uid, call.device))
            it = m_feed.erase(it);
        else
            ++it;
    }
    return ApiResult();
}

ApiResult Store::appVersion(const ApiCall& call)
{
    ApiResult result;
    QJsonObject content{
        {QStringLiteral("status"), 0}, {QStringLiteral("name"), QStringLiteral("0.1.0")},
        {QStringLiteral("version_code"), queryInt(call, "version_code")},
        {QStringLiteral("url"), QString()}, {QStringLiteral("update_log"), QString()},
        {QStringLiteral("channel"), call.query.queryItemValue(QStringLiteral("channel"), QUrl::FullyDecoded)},
    };
    for (auto it = m_update.constBegin(); it != m_update.constEnd(); ++it)
        content.insert(it.key(), it.value());
    result.content = content;
    return result;
}

ApiResult Store::getCate(const ApiCall&)
{
    ApiResult result;
    result.content = QJsonObject{{QStringLiteral("version"), m_versions.value(QStringLiteral("cateVersion")).toInt()},
                                 {QStringLiteral("female"), m_female},
                                 {QStringLiteral("male"), m_male}};
    return result;
}

ApiResult Store::editSensitive(const ApiCall& call)
{
    m_sensitiveWords.insert(call.uid, text(call.body, "words"));
    return ApiResult();
}

ApiResult Store::getSensitive(const ApiCall& call)
{
    const int type = queryInt(call, "sensitive_type");
    const QString words = type == 2 ? m_sensitiveWords.value(call.uid) : QStringLiteral("违禁词,敏感词");
    ApiResult result;
    result.content = QJsonObject{{QStringLiteral("version"), m_versions.value(QStringLiteral("sensitiveVersion")).toInt()},
                                 {QStringLiteral("sensitiveWords"), words},
                                 {QStringLiteral("sensitive_type"), type}};
    return result;
}

ApiResult Store::allLevels(const ApiCall&)
{
    static const char* const names[] = {"见习作者", "新锐作者", "签约作者", "人气作者", "大神作者"};
    QJsonArray levels;
    for (int id = 1; id <= 5; ++id) {
        const QString picture = QStringLiteral("level%1.svg").arg(id);
        levels.append(QJsonObject{{QStringLiteral("id"), id},
                                  {QStringLiteral("name"), QString::fromUtf8(names[id - 1])},
                                  {QStringLiteral("score"), (id - 1) * 50},
                                  {QStringLiteral("img"), picture},
                                  {QStringLiteral("photo_frame"), picture},
                                  {QStringLiteral("small_img"), picture},
                                  {QStringLiteral("small_photo_frame"), picture},
                                  {QStringLiteral("small_medal"), picture}});
    }
    ApiResult result;
    result.content = QJsonObject{{QStringLiteral("version"), m_versions.value(QStringLiteral("levelVersion")).toInt()},
                                 {QStringLiteral("data"), levels}};
    return result;
}

ApiResult Store::nameData(const ApiCall&)
{
    ApiResult result;
    result.content = QJsonObject{
        {QStringLiteral("version"), m_versions.value(QStringLiteral("peopleNameDataVersion")).toInt()},
        {QStringLiteral("data"),
         QJsonArray{QJsonObject{{QStringLiteral("type"), QStringLiteral("1")},
                                {QStringLiteral("content"), QStringLiteral("赵,钱,孙,李")}},
                    QJsonObject{{QStringLiteral("type"), QStringLiteral("2")},
                                {QStringLiteral("content"), QStringLiteral("云舒,清和,知遥")}}}},
    };
    return result;
}
