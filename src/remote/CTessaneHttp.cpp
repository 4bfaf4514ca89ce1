#include "CTessaneHttp.h"

#include "common/Utility.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>

namespace {
// Request ids of the endpoints this file sends to.
enum RequestId {
    IdAuthNumber = 1,
    IdRegister = 2,
    IdSendCode = 3,
    IdLogin = 4,
    IdAuthorInfo = 6,
    IdUpdateAuthor = 7,
    IdUploadImg = 8,
    IdForgetPassword = 9,
    IdChangePassword = 11,
    IdGetCate = 17,
    IdEditSensitive = 38,
    IdGetSensitive = 39,
    IdNameData = 40,
    IdSynData = 41,
    IdSynBookData = 42,
    IdSynAuthor = 43,
    IdSaveCount = 44,
    IdGetCount = 45,
    IdBannerList = 47,
    IdWxCodeLogin = 48,
    IdPollingWx = 49,
    IdWxBindPhone = 50,
    IdNotice = 51,
    IdAppVersion = 58,
    IdAllLevels = 70,
};

const QString kWebSource = QStringLiteral("web_windows");

// The query of the three blocking reads that send an empty object.
QString emptyObjectQuery()
{
    return QString::fromLatin1(QUrl::toPercentEncoding(QStringLiteral("{}")));
}
}

CTessaneHttp* CTessaneHttp::instance()
{
    // Never freed, as managers keep it to the end; its network goes with the
    // application.
    static CTessaneHttp* client = []() {
        qAddPostRoutine([]() { instance()->releaseNetwork(); });
        return new CTessaneHttp();
    }();
    return client;
}

CTessaneHttp::CTessaneHttp()
    : CHttpBase(nullptr)
{
    setRawHeader("source", "windows");
}

CTessaneHttp::~CTessaneHttp() = default;

void CTessaneHttp::setToken(const QString& token)
{
    setRawHeader("Authorization", "Bearer " + token.toLatin1());
}

void CTessaneHttp::setUniqueCode(const QString& code)
{
    setRawHeader("uniquecode", code.toLatin1());
}

void CTessaneHttp::insert(const char* key, const QString& value)
{
    m_request.insert(QLatin1String(key), value);
}

void CTessaneHttp::insert(const char* key, qint64 value)
{
    m_request.insert(QLatin1String(key), value);
}

QString CTessaneHttp::requestText() const
{
    return QString::fromUtf8(QJsonDocument(m_request).toJson(QJsonDocument::Compact));
}

QString CTessaneHttp::moveOrderText(const QJsonObject& move)
{
    return QString::fromUtf8(QJsonDocument(QJsonArray{move}).toJson(QJsonDocument::Compact));
}

void CTessaneHttp::postRequestAsync(int id, const T_Http_Custom& identity)
{
    postAsync(CTessaneUrl::getFullUrl(id), requestText(), identity.toUserData());
}

void CTessaneHttp::getRequestAsync(int id, const QString& query, const T_Http_Custom& identity)
{
    getAsync(CTessaneUrl::getFullUrl(id), query, identity.toUserData());
}

template <class Reply>
QNetworkReply::NetworkError CTessaneHttp::postRequestSync(int id, const T_Http_Custom& identity, Reply& reply,
                                                          void (*parse)(const QByteArray&, Reply*))
{
    QByteArray body;
    const QNetworkReply::NetworkError result =
        postSync(CTessaneUrl::getFullUrl(id), requestText(), body, identity.toUserData());
    if (result == QNetworkReply::NoError)
        parse(body, &reply);
    return result;
}

template <class Reply>
QNetworkReply::NetworkError CTessaneHttp::getRequestSync(const QString& url, const QString& query,
                                                         const T_Http_Custom& identity, Reply& reply,
                                                         void (*parse)(const QByteArray&, Reply*))
{
    QByteArray body;
    const QNetworkReply::NetworkError result = getSync(url, query, body, identity.toUserData());
    if (result == QNetworkReply::NoError)
        parse(body, &reply);
    return result;
}

// ---- account and author, blocking -----------------------------------------

QNetworkReply::NetworkError CTessaneHttp::author_login(TC_Author_Login& request, TS_Author_Login& reply)
{
    m_request = QJsonObject();
    insert("phone", request.phone);
    insert("password", request.password);
    return postRequestSync(IdLogin, request.header, reply, &CTessaneUrl::setHttpAuthorLogin);
}

QNetworkReply::NetworkError CTessaneHttp::author_register(TC_Author_Register& request, TS_Author_Register& reply)
{
    m_request = QJsonObject();
    insert("phone", request.phone);
    insert("code", request.code);
    insert("password", request.password);
    insert("source", kWebSource);
    return postRequestSync(IdRegister, request.header, reply, &CTessaneUrl::setHttpAuthorRegister);
}

QNetworkReply::NetworkError CTessaneHttp::author_sendCode(TC_Author_SendCode& request, TS_Author_SendCode& reply)
{
    m_request = QJsonObject();
    insert("phone", request.phone);
    insert("code", request.code);
    insert("uuid", request.uuid);
    return postRequestSync(IdSendCode, request.header, reply, &CTessaneUrl::setHttpAuthorSendCode);
}

QNetworkReply::NetworkError CTessaneHttp::author_authNumber(TC_Account_AuthNumber& request,
                                                             TS_Account_AuthNumber& reply)
{
    const QString url = CTessaneUrl::getFullUrl(IdAuthNumber) + QLatin1Char('?')
        + encodeQuery({{QStringLiteral("uuid"), request.uuid}});
    return getRequestSync(url, QString(), request.header, reply, &CTessaneUrl::setHttpAuthNumber);
}

QNetworkReply::NetworkError CTessaneHttp::author_editPwd(TC_Author_EditPwd& request, TS_Author_EditPwd& reply)
{
    m_request = QJsonObject();
    insert("phone", request.phone);
    insert("code", request.code);
    insert("password", request.password);
    return postRequestSync(IdForgetPassword, request.header, reply, &CTessaneUrl::setHttpBase);
}

QNetworkReply::NetworkError CTessaneHttp::author_setNewPwd(TC_Author_SetNewPwd& request, TS_Author_SetNewPwd& reply)
{
    m_request = QJsonObject();
    insert("password", request.password);
    insert("newPassword", request.newPassword);
    return postRequestSync(IdChangePassword, request.header, reply, &CTessaneUrl::setHttpBase);
}

QNetworkReply::NetworkError CTessaneHttp::author_info(TC_Author_Info& request, TS_Author_Info& reply)
{
    m_request = QJsonObject();
    return getRequestSync(CTessaneUrl::getFullUrl(IdAuthorInfo), QString(), request.header, reply,
                          &CTessaneUrl::setHttpAuthorInfo);
}

QNetworkReply::NetworkError CTessaneHttp::author_update(TC_Author_Update& request, TS_Author_Update& reply)
{
    m_request = QJsonObject();
    insert("author_name", request.author_name);
    insert("sex", request.sex);
    insert("update_time", request.update_time);
    return postRequestSync(IdUpdateAuthor, request.header, reply, &CTessaneUrl::setHttpAuthorUpdate);
}

QNetworkReply::NetworkError CTessaneHttp::author_uploadImg(TC_Author_UploadImg& request, TS_Author_UploadImg& reply)
{
    m_request = QJsonObject();
    insert("img", request.img);
    insert("update_time", request.update_time);
    return postRequestSync(IdUploadImg, request.header, reply, &CTessaneUrl::setHttpAuthorUploadImg);
}

QNetworkReply::NetworkError CTessaneHttp::author_wxCodeLogin(TC_Author_WxCodeLogin& request,
                                                              TS_Author_WxCodeLogin& reply)
{
    m_request = QJsonObject();
    insert("nonce_str", request.nonce_str);
    return postRequestSync(IdWxCodeLogin, request.header, reply, &CTessaneUrl::setHttpAuthorWxCodeLogin);
}

QNetworkReply::NetworkError CTessaneHttp::author_wxBindPhone(TC_Author_WxBindPhone& request, TS_Author_Login& reply)
{
    m_request = QJsonObject();
    insert("phone", request.phone);
    insert("code", request.code);
    insert("source", kWebSource);
    return postRequestSync(IdWxBindPhone, request.header, reply, &CTessaneUrl::setHttpAuthorLogin);
}

QNetworkReply::NetworkError CTessaneHttp::author_bannerList(TC_Author_BannerList& request,
                                                             TS_Author_BannerList& reply)
{
    m_request = QJsonObject();
    return getRequestSync(CTessaneUrl::getFullUrl(IdBannerList), emptyObjectQuery(), request.header, reply,
                          &CTessaneUrl::parseBannerList);
}

QNetworkReply::NetworkError CTessaneHttp::authorCount_userData(TC_AuthorCount_UserData& request,
                                                                TS_AuthorCount_UserData& reply)
{
    m_request = QJsonObject();
    return getRequestSync(CTessaneUrl::getFullUrl(IdGetCount), emptyObjectQuery(), request.header, reply,
                          &CTessaneUrl::setHttpAuthorCountUserData);
}

QNetworkReply::NetworkError CTessaneHttp::synchronizaTion_synData(TC_SynchronizaTion_SynData& request,
                                                                   TS_SynchronizaTion_SynData& reply)
{
    m_request = QJsonObject();
    return getRequestSync(CTessaneUrl::getFullUrl(IdSynData), emptyObjectQuery(), request.header, reply,
                          &CTessaneUrl::setHttpSynochronizaTionSynData);
}

// ---- account, statistics, system data and change feed, non-blocking -------

void CTessaneHttp::author_info_asyn(TC_Author_Info& request)
{
    getRequestAsync(IdAuthorInfo, QString(), request.header);
}

void CTessaneHttp::author_notice_asyn(TC_Author_Notice& request)
{
    getRequestAsync(IdNotice, QString(), request.header);
}

void CTessaneHttp::author_pollingWx_asyn(TC_Author_PollingWx& request)
{
    getRequestAsync(IdPollingWx, encodeQuery({{QStringLiteral("nonce_str"), request.nonce_str}}), request.header);
}

void CTessaneHttp::books_cate_asyn(TC_Books_Cate& request)
{
    getRequestAsync(IdGetCate, QString(), request.header);
}

void CTessaneHttp::sensitive_edit_asyn(TC_Sensitive_Edit& request)
{
    m_request = QJsonObject();
    insert("words", request.words);
    insert("update_time", request.update_time);
    postRequestAsync(IdEditSensitive, request.header);
}

void CTessaneHttp::sensitive_get_asyn(TC_Sensitive_Get& request)
{
    getRequestAsync(IdGetSensitive,
                    encodeQuery({{QStringLiteral("sensitive_type"), QString::number(request.sensitive_type)}}),
                    request.header);
}

void CTessaneHttp::level_allData_asyn(TC_Level_AllData& request)
{
    getRequestAsync(IdAllLevels, QString(), request.header);
}

void CTessaneHttp::sensitive_nameData_asyn(TC_Sensitive_NameData& request)
{
    getRequestAsync(IdNameData, QString(), request.header);
}

void CTessaneHttp::authorCount_save_asyn(TC_AuthorCount_Save& request)
{
    m_request = QJsonObject();
    insert("date", request.date);
    insert("update_time", request.update_time);
    insert("pc_word", request.pc_word);
    insert("all_word", request.all_word);
    insert("write_time", request.write_time);
    insert("speed", request.speed);
    insert("netIncrease", request.netIncrease);
    postRequestAsync(IdSaveCount, request.header);
}

void CTessaneHttp::authorCount_saveTools_asyn(TC_AuthorCount_SaveTools& request)
{
    m_request = QJsonObject();
    insert("date", request.date);
    insert("outline_word_num", request.outline_word_num);
    insert("memo_word_num", request.memo_word_num);
    insert("update_time", request.update_time);
    postRequestAsync(IdSaveCount, request.header);
}

void CTessaneHttp::authorCount_userData_asyn(TC_AuthorCount_UserData& request)
{
    getRequestAsync(IdGetCount, encodeQuery({{QStringLiteral("channel"), QString::number(request.channel)}}),
                    request.header);
}

void CTessaneHttp::updateOnline_asyn(TC_UpdateOnline& request)
{
    getRequestAsync(IdAppVersion,
                    encodeQuery({{QStringLiteral("os"), request.os},
                                 {QStringLiteral("channel"), request.channel},
                                 {QStringLiteral("version_code"), QString::number(request.version_code)}}),
                    request.header);
}

void CTessaneHttp::synchronizaTion_synBookData_asyn(TC_SynchronizaTion_SynBookData& request)
{
    m_request = QJsonObject();
    postRequestAsync(IdSynBookData, request.header);
}

void CTessaneHttp::synchronizaTion_synAuthor_asyn(TC_SynchronizaTion_SynAuthor& request)
{
    m_request = QJsonObject();
    insert("task_id", request.task_id);
    insert("syn_type", request.syn_type);
    postRequestAsync(IdSynAuthor, request.header);
}
