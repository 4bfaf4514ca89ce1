#include "CTessaneUrl.h"

#include "ApiBase.h"
#include "common/ServerClock.h"

#include <QHash>
#include <QJsonDocument>

namespace {
const QHash<int, QString>& pathTable()
{
    static const QHash<int, QString> table = {
        {1, QStringLiteral("/account/authNumber")},
        {2, QStringLiteral("/account/register")},
        {3, QStringLiteral("/account/sendCode")},
        {4, QStringLiteral("/account/login")},
        {5, QStringLiteral("/author/logOut")},
        {6, QStringLiteral("/author/info")},
        {7, QStringLiteral("/author/updateAuthor")},
        {8, QStringLiteral("/author/uploadimg")},
        {9, QStringLiteral("/account/forgetPassword")},
        {10, QStringLiteral("/author/changePhone")},
        {11, QStringLiteral("/author/changePassword")},
        {12, QStringLiteral("/books/addBook")},
        {13, QStringLiteral("/books/booksList")},
        {14, QStringLiteral("/books/bookinfo")},
        {15, QStringLiteral("/books/recycle")},
        {16, QStringLiteral("/books/delBook")},
        {17, QStringLiteral("/books/getCate")},
        {18, QStringLiteral("/books/editBook")},
        {19, QStringLiteral("/books/importBook")},
        {20, QStringLiteral("/volume/volumeList")},
        {21, QStringLiteral("/volume/addVolume")},
        {22, QStringLiteral("/volume/editVolume")},
        {23, QStringLiteral("/volume/recycle")},
        {24, QStringLiteral("/volume/move")},
        {25, QStringLiteral("/chapter/addChapter")},
        {26, QStringLiteral("/chapter/batchCreateChapter")},
        {27, QStringLiteral("/newchapter/batchCreateChapter")},
        {28, QStringLiteral("/chapter/recycle")},
        {29, QStringLiteral("/chapter/delChapter")},
        {30, QStringLiteral("/newchapter/getChapterInfo")},
        {31, QStringLiteral("/chapter/chapterList")},
        {32, QStringLiteral("/chapter/chapter")},
        {33, QStringLiteral("/chapter/getChapters")},
        {34, QStringLiteral("/chapter/editChapter")},
        {35, QStringLiteral("/chapter/move")},
        {36, QStringLiteral("/chapter/contentBlade")},
        {37, QStringLiteral("/chapter/timeMachine")},
        {38, QStringLiteral("/sensitive/editSensitive")},
        {39, QStringLiteral("/sensitive/getSensitive")},
        {40, QStringLiteral("/sensitive/nameData")},
        {41, QStringLiteral("/synchronization/synData")},
        {42, QStringLiteral("/synchronization/synBookData")},
        {43, QStringLiteral("/synchronization/synAuthor")},
        {44, QStringLiteral("/authorcount/saveData")},
        {45, QStringLiteral("/authorcount/getData")},
        {46, QStringLiteral("/author/delData")},
        {47, QStringLiteral("/author/bannerList")},
        {48, QStringLiteral("/author/wxCodeLogin")},
        {49, QStringLiteral("/author/pollingWx")},
        {50, QStringLiteral("/author/wxBindPhone")},
        {51, QStringLiteral("/forum/htmlRed")},
        {52, QStringLiteral("/author/checkin")},
        {53, QStringLiteral("/memo/addMemo")},
        {54, QStringLiteral("/memo/delMemo")},
        {55, QStringLiteral("/memo/editMemo")},
        {56, QStringLiteral("/memo/memoDetail")},
        {57, QStringLiteral("/memo/memoList")},
        {58, QStringLiteral("/synchronization/appVersion")},
        {59, QStringLiteral("/im/getSign")},
        {60, QStringLiteral("/im/imUser")},
        {61, QStringLiteral("/im/matchRoom")},
        {62, QStringLiteral("/im/updateWordNum")},
        {63, QStringLiteral("/im/cancelMember")},
        {64, QStringLiteral("/im/friendRoom")},
        {65, QStringLiteral("/im/isInRoom")},
        {66, QStringLiteral("/im/joinGame")},
        {67, QStringLiteral("/im/leaveRoom")},
        {68, QStringLiteral("/im/startGame")},
        {69, QStringLiteral("/chapter/appMoveChapter")},
        {70, QStringLiteral("/im/allLevels")},
        {71, QStringLiteral("/im/score")},
        {72, QStringLiteral("/bookoutline/addOutline")},
        {73, QStringLiteral("/bookoutline/editOutline")},
        {74, QStringLiteral("/bookoutline/delOutline")},
        {75, QStringLiteral("/bookoutline/outlineDetail")},
        {76, QStringLiteral("/bookoutline/outlineList")},
        {77, QStringLiteral("/bookoutline/move")},
        {78, QStringLiteral("/authorcount/pvUv")},
    };
    return table;
}

bool contentValue(const QJsonObject& root, const T_Http_S* head, QJsonValue& value)
{
    if (head == nullptr || head->code != HttpOk)
        return false;
    const auto found = root.constFind(QStringLiteral("content"));
    if (found == root.constEnd())
        return false;
    value = found.value();
    return true;
}
}

QString CTessaneUrl::getUrlPath(int id)
{
    return pathTable().value(id);
}

QString CTessaneUrl::baseAddress()
{
    QString base = ApiBase::url().toString(QUrl::FullyEncoded);
    while (base.endsWith(QLatin1Char('/')))
        base.chop(1);
    return base;
}

QString CTessaneUrl::getFullUrl(int id)
{
    return baseAddress() + getUrlPath(id);
}

void CTessaneUrl::jsonInt(const QJsonObject& object, const QString& key, int& out)
{
    const auto found = object.constFind(key);
    if (found != object.constEnd())
        out = found.value().toInt(0);
}

void CTessaneUrl::jsonString(const QJsonObject& object, const QString& key, QString& out)
{
    const auto found = object.constFind(key);
    if (found != object.constEnd())
        out = found.value().toString();
}

void CTessaneUrl::jsonBool(const QJsonObject& object, const QString& key, bool& out)
{
    const auto found = object.constFind(key);
    if (found != object.constEnd())
        out = found.value().toBool(false);
}

QJsonObject CTessaneUrl::rootObject(const QByteArray& body)
{
    return QJsonDocument::fromJson(body).object();
}

void CTessaneUrl::parseReplyHeader(const QJsonObject& root, T_Http_S* head)
{
    if (head == nullptr)
        return;
    jsonInt(root, QStringLiteral("code"), head->code);
    jsonString(root, QStringLiteral("msg"), head->msg);
    jsonInt(root, QStringLiteral("server_time"), head->server_time);
    const auto userdata = root.constFind(QStringLiteral("userdata"));
    if (userdata != root.constEnd())
        head->userdata.fromUserData(userdata.value().toString());
    setServerTimeOffset(qint64(head->server_time));
}

void CTessaneUrl::parseAsyncReplyHeader(const QJsonObject& root, T_Http_S* head)
{
    if (head == nullptr)
        return;
    jsonInt(root, QStringLiteral("code"), head->code);
    jsonString(root, QStringLiteral("msg"), head->msg);
    const auto userdata = root.constFind(QStringLiteral("userdata"));
    if (userdata != root.constEnd())
        head->userdata.fromUserData(userdata.value().toString());
}

bool CTessaneUrl::contentArray(const QJsonObject& root, QJsonArray& content, const T_Http_S* head)
{
    QJsonValue value;
    if (!contentValue(root, head, value) || !value.isArray())
        return false;
    content = value.toArray();
    return !content.isEmpty();
}

bool CTessaneUrl::contentObject(const QJsonObject& root, QJsonObject& content, const T_Http_S* head)
{
    QJsonValue value;
    if (!contentValue(root, head, value) || !value.isObject())
        return false;
    content = value.toObject();
    return !content.isEmpty();
}
