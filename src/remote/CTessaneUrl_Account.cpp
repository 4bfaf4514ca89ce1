// Parsers of the account, author, statistics and system-data replies.

#include "CTessaneUrl.h"
#include "ReplyParsing.h"

#include <QDebug>
#include <QJsonDocument>

using namespace ReplyParsing;

namespace {
const QString kContent = QStringLiteral("content");
}

void CTessaneUrl::setHttpBase(const QByteArray& body, TS_HttpBase* record)
{
    if (record == nullptr)
        return;
    QJsonObject content;
    objectReply(body, record->header, content);
}

void CTessaneUrl::setHttpAuthorSendCode(const QByteArray& body, TS_Author_SendCode* record)
{
    if (record == nullptr)
        return;
    parseReplyHeader(rootObject(body), &record->header);
}

void CTessaneUrl::setHttpAuthNumber(const QByteArray& body, TS_Account_AuthNumber* record)
{
    QJsonObject content;
    if (record == nullptr || !objectReply(body, record->header, content))
        return;
    jsonString(content, QStringLiteral("code"), record->code);
}

void CTessaneUrl::setHttpAuthorLogin(const QByteArray& body, TS_Author_Login* record)
{
    QJsonObject content;
    if (record == nullptr || !objectReply(body, record->header, content))
        return;
    jsonInt(content, QStringLiteral("uid"), record->uid);
    jsonString(content, QStringLiteral("token"), record->token);
}

void CTessaneUrl::setHttpAuthorRegister(const QByteArray& body, TS_Author_Register* record)
{
    QJsonObject content;
    if (record == nullptr || !objectReply(body, record->header, content))
        return;
    jsonInt(content, QStringLiteral("uid"), record->uid);
}

void CTessaneUrl::setHttpAuthorInfo(const QByteArray& body, TS_Author_Info* record)
{
    QJsonObject content;
    if (record == nullptr || !objectReply(body, record->header, content))
        return;
    jsonString(content, QStringLiteral("author_name"), record->author_name);
    jsonString(content, QStringLiteral("headimg"), record->headimg);
    jsonString(content, QStringLiteral("sex"), record->sex);
    jsonString(content, QStringLiteral("sign"), record->sign);
    jsonString(content, QStringLiteral("birthday"), record->birthday);
    jsonBool(content, QStringLiteral("isBindWx"), record->isBindWx);
    jsonBool(content, QStringLiteral("isBindPhone"), record->isBindPhone);
    jsonInt(content, QStringLiteral("level_id"), record->level_id);
    jsonInt(content, QStringLiteral("score"), record->score);
    jsonInt(content, QStringLiteral("isFollow"), record->isFollow);
    jsonInt(content, QStringLiteral("isVip"), record->isVip);
    jsonInt(content, QStringLiteral("isMoneyUser"), record->isMoneyUser);
    jsonInt(content, QStringLiteral("vipExpireTime"), record->vipExpireTime);
    jsonInt(content, QStringLiteral("is_checkin_today"), record->is_checkin_today);
}

void CTessaneUrl::setHttpAuthorUpdate(const QByteArray& body, TS_Author_Update* record)
{
    QJsonObject content;
    if (record == nullptr || !objectReply(body, record->header, content))
        return;
    jsonString(content, QStringLiteral("author_name"), record->author_name);
    jsonString(content, QStringLiteral("sex"), record->sex);
    jsonString(content, QStringLiteral("sign"), record->sign);
    jsonString(content, QStringLiteral("birthday"), record->birthday);
    jsonString(content, QStringLiteral("phone"), record->phone);
}

void CTessaneUrl::setHttpAuthorUploadImg(const QByteArray& body, TS_Author_UploadImg* record)
{
    QJsonObject content;
    if (record == nullptr || !objectReply(body, record->header, content))
        return;
    jsonString(content, QStringLiteral("headimg"), record->headimg);
}

void CTessaneUrl::setHttpAuthorWxCodeLogin(const QByteArray& body, TS_Author_WxCodeLogin* record)
{
    QJsonObject content;
    if (record == nullptr || !objectReply(body, record->header, content))
        return;
    jsonString(content, QStringLiteral("url"), record->url);
}

void CTessaneUrl::setHttpAuthorPollingWx(const QByteArray& body, TS_Author_PollingWx* record)
{
    QJsonObject content;
    if (record == nullptr || !objectReply(body, record->header, content))
        return;
    jsonInt(content, QStringLiteral("isBindPhone"), record->isBindPhone);
    jsonInt(content, QStringLiteral("status"), record->status);
    jsonString(content, QStringLiteral("token"), record->token);
    jsonInt(content, QStringLiteral("uid"), record->uid);
}

void CTessaneUrl::setHttpAuthorNotice(const QByteArray& body, TS_Author_Notice* record)
{
    QJsonObject content;
    if (record == nullptr || !objectReply(body, record->header, content))
        return;
    jsonInt(content, QStringLiteral("is_red"), record->is_red);
    jsonInt(content, QStringLiteral("num"), record->num);
}

void CTessaneUrl::setHttpAuthorSign(const QByteArray& body, TS_Author_Sign* record)
{
    QJsonObject content;
    if (record == nullptr || !objectReply(body, record->header, content))
        return;
    jsonInt(content, QStringLiteral("is_checkin_today"), record->is_checkin_today);
    jsonInt(content, QStringLiteral("vipExpireTime"), record->vipExpireTime);
}

// Banners are shown whatever the code says, as long as the list is there.
void CTessaneUrl::parseBannerList(const QByteArray& body, TS_Author_BannerList* record)
{
    if (record == nullptr)
        return;
    const QJsonObject root = rootObject(body);
    parseReplyHeader(root, &record->header);
    const QJsonArray banners = root.value(kContent).toObject().value(QStringLiteral("bannerList")).toArray();
    if (banners.size() < 1)
        return;
    record->count = banners.size();
    record->items = QVector<T_Author_BannerListItem>(banners.size());
    for (int i = 0; i < banners.size(); ++i) {
        const QJsonObject banner = banners.at(i).toObject();
        jsonString(banner, QStringLiteral("pic_url"), record->items[i].pic_url);
        jsonString(banner, QStringLiteral("link_url"), record->items[i].link_url);
    }
}

namespace {
// A series replaces what the record held, so a reused record never mixes two replies.
void readIntSeries(const QJsonObject& content, const QString& key, QList<int>& out)
{
    const auto found = content.constFind(key);
    if (found == content.constEnd())
        return;
    out.clear();
    const QJsonArray series = found.value().toArray();
    out.reserve(series.size());
    for (const QJsonValue& value : series)
        out.append(value.toInt(0));
}
}

void CTessaneUrl::setHttpAuthorCountUserData(const QByteArray& body, TS_AuthorCount_UserData* record)
{
    QJsonObject content;
    if (record == nullptr || !objectReply(body, record->header, content))
        return;
    readIntSeries(content, QStringLiteral("speedData"), record->speedData);
    const auto days = content.constFind(QStringLiteral("timeData"));
    if (days != content.constEnd()) {
        record->timeData.clear();
        for (const QJsonValue& day : days.value().toArray())
            record->timeData.append(day.toString());
    }
    readIntSeries(content, QStringLiteral("wordData"), record->wordData);
    readIntSeries(content, QStringLiteral("writeTimeData"), record->writeTimeData);
    readIntSeries(content, QStringLiteral("increaseData"), record->increaseData);
    const auto history = content.constFind(QStringLiteral("historyData"));
    if (history != content.constEnd()) {
        const QJsonObject summary = history.value().toObject();
        qDebug() << "qJsonHistory = " << summary;
        jsonInt(summary, QStringLiteral("max_word"), record->max_word);
        jsonInt(summary, QStringLiteral("sum_word"), record->sum_word);
        jsonInt(summary, QStringLiteral("max_speed"), record->max_speed);
        jsonInt(summary, QStringLiteral("max_write_time"), record->max_write_time);
        jsonInt(summary, QStringLiteral("sum_write_time"), record->sum_write_time);
    }
}

void CTessaneUrl::setHttpSynochronizaTionSynData(const QByteArray& body, TS_SynchronizaTion_SynData* record)
{
    if (record == nullptr)
        return;
    qDebug() << "synData reply:" << body.left(4096);
    QJsonObject content;
    if (!objectReply(body, record->header, content))
        return;
    jsonInt(content, QStringLiteral("cateVersion"), record->cateVersion);
    jsonInt(content, QStringLiteral("peopleNameDataVersion"), record->peopleNameDataVersion);
    jsonInt(content, QStringLiteral("sensitiveVersion"), record->sensitiveVersion);
    jsonInt(content, QStringLiteral("levelVersion"), record->levelVersion);
}

void CTessaneUrl::setHttpSynchronizaTionSynBookData(const QByteArray& body, TS_SynchronizaTion_SynBookData* record)
{
    QJsonArray content;
    if (record == nullptr || !arrayReply(body, record->header, content))
        return;
    qDeleteAll(record->items);
    record->items.clear();
    record->items.reserve(content.size());
    for (const QJsonValue& value : content) {
        const QJsonObject element = value.toObject();
        auto* item = new T_SynchronizaTion_SynBookDataItem;
        jsonInt(element, QStringLiteral("book_id"), item->bookId);
        jsonInt(element, QStringLiteral("change_type"), item->changeType);
        jsonInt(element, QStringLiteral("chapter_id"), item->chapterId);
        jsonInt(element, QStringLiteral("id"), item->synId);
        jsonString(element, QStringLiteral("extra"), item->extra);
        record->items.append(item);
    }
}

void CTessaneUrl::setHttpUpdateOnline(const QByteArray& body, TS_UpdateOnline* record)
{
    QJsonObject content;
    if (record == nullptr || !objectReply(body, record->header, content))
        return;
    jsonInt(content, QStringLiteral("status"), record->status);
    jsonString(content, QStringLiteral("name"), record->name);
    jsonInt(content, QStringLiteral("version_code"), record->version_code);
    jsonString(content, QStringLiteral("url"), record->url);
    jsonString(content, QStringLiteral("update_log"), record->update_log);
    jsonString(content, QStringLiteral("channel"), record->channel);
}

void CTessaneUrl::setHttpLevelAllData(const QByteArray& body, TS_Level_AllData* record)
{
    QJsonObject content;
    if (record == nullptr || !objectReply(body, record->header, content))
        return;
    jsonInt(content, QStringLiteral("version"), record->version);
    const auto data = content.constFind(QStringLiteral("data"));
    if (data != content.constEnd())
        record->data = data.value().toArray();
}

void CTessaneUrl::setHttpSensitiveGet(const QByteArray& body, TS_Sensitive_Get* record)
{
    QJsonObject content;
    if (record == nullptr || !objectReply(body, record->header, content))
        return;
    jsonInt(content, QStringLiteral("version"), record->version);
    jsonString(content, QStringLiteral("sensitiveWords"), record->sensitiveWords);
    jsonInt(content, QStringLiteral("sensitive_type"), record->sensitive_type);
}

void CTessaneUrl::setHttpSensitiveNameData(const QByteArray& body, TS_Sensitive_NameData* record)
{
    QJsonObject content;
    if (record == nullptr || !objectReply(body, record->header, content))
        return;
    record->texts.clear();
    record->lists.clear();
    jsonInt(content, QStringLiteral("version"), record->version);
    for (const QJsonValue& value : content.value(QStringLiteral("data")).toArray()) {
        const QJsonObject element = value.toObject();
        // The type arrives as text; a number there files the list under 0.
        const int type = element.value(QStringLiteral("type")).toString().toInt(nullptr, 10);
        record->texts.insert(type, element.value(QStringLiteral("content")).toString());
    }
    splitNameData(record);
}

void CTessaneUrl::splitNameData(TS_Sensitive_NameData* record)
{
    if (record == nullptr)
        return;
    for (auto it = record->texts.constBegin(); it != record->texts.constEnd(); ++it) {
        const QStringList names = it.value().split(QLatin1Char(','), Qt::KeepEmptyParts);
        if (record->lists.value(it.key()) != names)
            record->lists.insert(it.key(), names);
    }
}

void CTessaneUrl::setHttpBooksCate(const QByteArray& body, TS_Books_Cate* record)
{
    QJsonObject content;
    if (record == nullptr || !objectReply(body, record->header, content))
        return;
    record->female = TS_Books_CateList();
    record->male = TS_Books_CateList();
    jsonInt(content, QStringLiteral("version"), record->version);
    const QJsonArray female = content.value(QStringLiteral("female")).toArray();
    const QJsonArray male = content.value(QStringLiteral("male")).toArray();
    record->female.count = female.size();
    parseCateTree(female, 2, 2, record->female.items);
    record->male.count = male.size();
    parseCateTree(male, 1, 1, record->male.items);
}

void CTessaneUrl::parseCateTree(const QJsonArray& array, int channel, int parentId, QVector<T_Books_CateItem>& items)
{
    items = QVector<T_Books_CateItem>(array.size());
    for (int i = 0; i < array.size(); ++i) {
        const QJsonObject element = array.at(i).toObject();
        T_Books_CateItem& item = items[i];
        item.parentId = parentId;
        item.channel = channel;
        jsonInt(element, QStringLiteral("cate_id"), item.cate_id);
        jsonString(element, QStringLiteral("cate_name"), item.cate_name);
        const QJsonArray children = element.value(QStringLiteral("children")).toArray();
        if (children.size() >= 1) {
            item.childCount = children.size();
            parseCateTree(children, channel, item.cate_id, item.children);
        }
    }
}
