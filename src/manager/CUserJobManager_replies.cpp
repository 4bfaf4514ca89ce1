// The replies of asynchronous account requests, the pictures the account
// keeps on disk (head image, banners) and the statistics page's data.

#include "CUserJobManager.h"

#include "common/Utility.h"
#include "db/CTessaneDb.h"
#include "db/records/T_Level.h"
#include "manager/CPublicManager.h"
#include "manager/CSystemManager.h"
#include "manager/CUiManager.h"
#include "remote/CTessaneHttp.h"
#include "remote/CTessaneUrl.h"

#include <QDate>
#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QUrl>

namespace {

constexpr int kAuthorStatisticsJob = 2007;

bool isSecretKey(const QString& key)
{
    return key.contains(QLatin1String("token"), Qt::CaseInsensitive)
           || key.contains(QLatin1String("password"), Qt::CaseInsensitive);
}

QJsonValue masked(const QJsonValue& value);

QJsonObject maskedObject(const QJsonObject& object)
{
    QJsonObject out;
    for (auto it = object.begin(); it != object.end(); ++it)
        out.insert(it.key(), isSecretKey(it.key()) ? QJsonValue(QStringLiteral("***")) : masked(it.value()));
    return out;
}

QJsonValue masked(const QJsonValue& value)
{
    if (value.isObject())
        return maskedObject(value.toObject());
    if (value.isArray()) {
        QJsonArray out;
        for (const QJsonValue& element : value.toArray())
            out.append(masked(element));
        return out;
    }
    return value;
}

QJsonArray numberTexts(const std::array<T_Statistics, 7>& days, int (*pick)(const T_Statistics&))
{
    QJsonArray out;
    for (const T_Statistics& day : days)
        out.append(QString::number(pick(day)));
    return out;
}

}

QByteArray CUserJobManager::bodyForLog(const QByteArray& body)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return QByteArray::number(body.size()) + " bytes, not a JSON object";
    return QJsonDocument(maskedObject(document.object())).toJson(QJsonDocument::Compact);
}

// --- asynchronous replies ---

void CUserJobManager::asynBack(int jobType, const QByteArray& body)
{
    TS_Author_Info& user = m_model->userInfo;
    switch (jobType) {
    case 2: {
        TS_Author_Info info;
        CTessaneUrl::setHttpAuthorInfo(body, &info);
        const int echoedUid = info.header.userdata.uid;
        if (echoedUid > 0 && echoedUid != user.uid) {
            qWarning() << "profile reply of user" << echoedUid << "ignored; signed in is" << user.uid;
            return;
        }
        if (info.header.code == HttpOk)
            saveAuthorInfo(&info);
        // The record the screens show: it also holds the local head image.
        m_ui->updateUserInfo(&user);
        return;
    }
    case 4: {
        TS_Author_PollingWx poll;
        CTessaneUrl::setHttpAuthorPollingWx(body, &poll);
        if (poll.header.code == HttpOk && poll.status == 1) {
            if (poll.uid < 1 || poll.token.isEmpty()) {
                qWarning() << "WeChat sign-in reply without uid or token";
                poll.header.code = HttpNetworkError;
            } else {
                reportSignIn(completeSignIn(poll.uid, poll.token, m_weChatTicket), poll.header);
            }
        }
        m_ui->pollingWx(poll);
        return;
    }
    case 5: {
        qDebug() << "====================" << bodyForLog(body);
        TS_Author_PollingBindWx poll;
        CTessaneUrl::setHttpAuthorPollingWx(body, &poll);
        qDebug() << "tPollingBindWx.status = " << poll.status;
        if (poll.status == 1 && poll.isBindPhone == 4) {
            user.isBindWx = true;
            storeUser(&poll.header);
        }
        m_ui->pollingBindWx(poll);
        return;
    }
    case 6: {
        TS_Author_Notice notice;
        CTessaneUrl::setHttpAuthorNotice(body, &notice);
        qDebug() << "notice: is_red =" << notice.is_red << "num =" << notice.num;
        if (notice.header.code == HttpOk)
            emit m_ui->sig_UserNotice(notice.is_red, notice.num);
        return;
    }
    case 7: {
        TS_Author_Sign sign;
        CTessaneUrl::setHttpAuthorSign(body, &sign);
        qDebug() << "check-in: is_checkin_today =" << sign.is_checkin_today
                 << "vipExpireTime =" << sign.vipExpireTime;
        if (sign.header.code != HttpOk) {
            emit m_ui->sig_UserSign(-1, 0, tr("Sign in failed"));
            return;
        }
        QString message;
        if (sign.is_checkin_today == 0)
            message = tr("I checked in today");
        else if (sign.is_checkin_today == 1)
            message = tr("Sign in successfully");
        emit m_ui->sig_UserSign(sign.is_checkin_today, sign.vipExpireTime, message);
        return;
    }
    default:
        // 3 has no request; other types belong to other managers.
        return;
    }
}

// --- pictures ---

QString CUserJobManager::headImgFolder()
{
    const QString folder = appDirPath() + QStringLiteral("/data/img/");
    mkpathIfMissing(folder);
    return folder;
}

QString CUserJobManager::bannerFolder()
{
    const QString folder = appDirPath() + QStringLiteral("/data/banner/");
    mkpathIfMissing(folder);
    return folder;
}

QString CUserJobManager::keepLocalHeadCopy(const QString& picturePath)
{
    QFile source(picturePath);
    if (!source.open(QIODevice::ReadOnly)) {
        qWarning() << "head picture unreadable:" << picturePath;
        return QString();
    }
    const QByteArray bytes = source.readAll();
    QString suffix = QFileInfo(picturePath).suffix().toLower();
    if (suffix.isEmpty())
        suffix = QStringLiteral("png");
    const QString target = headImgFolder() + bytesMd5(bytes) + QLatin1Char('.') + suffix;
    if (QFileInfo::exists(target))
        return target;

    QImage image;
    if (!image.loadFromData(bytes)) {
        qWarning() << "head picture is no image:" << picturePath;
        return QString();
    }
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly) || !image.save(&file, suffix.toLatin1().constData())
        || !file.commit()) {
        qWarning() << "head picture copy not written:" << target;
        return QString();
    }
    return target;
}

void CUserJobManager::author_uploadImg(TC_Author_UploadImg& request, TS_Author_UploadImg& reply)
{
    TS_Author_Info& user = m_model->userInfo;
    const int uid = user.uid;
    if (!request.localPath.isEmpty() && QFileInfo(request.localPath).isFile()) {
        const QString copy = keepLocalHeadCopy(request.localPath);
        // Without a copy the earlier head image stays: a path to nothing
        // would blank the picture on every screen. Stored before the request
        // leaves: the author's choice holds whatever happens meanwhile.
        if (!copy.isEmpty()) {
            user.localHeadImg = copy;
            storeUser(&reply.header);
            m_ui->loadUserHeadImg(copy);
        }
    }

    const QNetworkReply::NetworkError error = m_http->author_uploadImg(request, reply);
    if (!stillSignedIn(uid)) {
        // Signed out while the picture was on its way: the address belongs
        // to that author, whose next profile brings it.
        qInfo() << "head picture upload of user" << uid << "answered after the sign-out";
        return;
    }
    if (error == QNetworkReply::NoError && reply.header.code == HttpOk) {
        user.headimg = reply.headimg;
        storeUser(&reply.header);
    } else {
        qWarning() << "head picture upload not accepted (" << error << ", code" << reply.header.code << ")";
    }
}

void CUserJobManager::getHeadImg(QString* path, bool save)
{
    TS_Author_Info& user = m_model->userInfo;
    if (user.headimg.isEmpty()) {
        if (path)
            path->clear();
        return;
    }
    // The copy there is now; the platform's picture follows without waiting
    // and is shown when it comes.
    fetchHeadImg(user.headimg, save);
    if (path)
        *path = user.localHeadImg;
}

void CUserJobManager::fetchHeadImg(const QString& url, bool store)
{
    if (url.isEmpty() || m_headFetch == url)
        return;  // this picture is on its way already
    m_headFetch = url;
    const int uid = m_model->userInfo.uid;
    const QString shown = m_model->userInfo.localHeadImg;
    m_http->fetchImg(url, headImgFolder(), this, [this, uid, url, shown, store](const QString& file) {
        takeHeadImg(uid, url, shown, file, store);
    });
}

void CUserJobManager::takeHeadImg(int uid, const QString& url, const QString& shownBefore, const QString& file,
                                  bool store)
{
    // A later profile asked for another picture: that one counts.
    if (m_headFetch != url)
        return;
    m_headFetch.clear();
    TS_Author_Info& user = m_model->userInfo;
    // Nothing for an author signed out meanwhile, nor over a picture the
    // author chose here meanwhile.
    if (file.isEmpty() || !stillSignedIn(uid) || user.localHeadImg != shownBefore)
        return;
    user.headimg = url;
    user.localHeadImg = file;
    if (store)
        storeUser(nullptr);
    m_ui->loadUserHeadImg(file);
}

int CUserJobManager::author_bannerList(TC_Author_BannerList& request, TS_Author_BannerList& reply)
{
    if (m_http->author_bannerList(request, reply) != QNetworkReply::NoError)
        return HttpNetworkError;
    for (T_Author_BannerListItem& item : reply.items) {
        if (item.localPath.isEmpty() || !QFileInfo::exists(item.localPath))
            item.localPath = m_http->downloadImg(item.pic_url, bannerFolder());
    }
    return HttpOk;
}

// --- statistics ---

void CUserJobManager::getAuthorStatistics(QString* json, T_Http_S& head)
{
    if (!json)
        return;
    const TS_Author_Info& user = m_model->userInfo;

    T_StatisticsSummary summary;
    const QDate today = QDate::currentDate();
    for (int i = 0; i < 7; ++i)
        summary.days[size_t(i)].date = today.addDays(i - 6).toString(QStringLiteral("yyyy-MM-dd"));
    if (!m_db->getStatisticsSummary(user.uid, summary))
        qWarning() << "stored statistics not read:" << m_db->lastErrorText();

    TC_AuthorCount_UserData request;
    request.header.jobType = kAuthorStatisticsJob;
    request.header.uid = user.uid;
    request.channel = 1;
    TS_AuthorCount_UserData server;
    const bool answered = m_http->authorCount_userData(request, server) == QNetworkReply::NoError;
    if (answered)
        head = server.header;
    const bool fromServer = answered && server.header.code == HttpOk;

    // The platform counts what reached it; days written here and not yet
    // uploaded count too, so that no day of the week outdoes the history.
    auto atLeast = [fromServer](int serverValue, int localValue) {
        return fromServer ? qMax(serverValue, localValue) : localValue;
    };
    QJsonObject history;
    history.insert(QStringLiteral("max_speed"), atLeast(server.max_speed, summary.maxWriteSpeed));
    history.insert(QStringLiteral("max_word"), atLeast(server.max_word, summary.maxWordCount));
    history.insert(QStringLiteral("max_write_time"), atLeast(server.max_write_time, summary.maxWriteTime));
    history.insert(QStringLiteral("sum_word"), atLeast(server.sum_word, summary.sumWordCount));
    history.insert(QStringLiteral("sum_write_time"), atLeast(server.sum_write_time, summary.sumWriteTime));

    QJsonObject page;
    page.insert(QStringLiteral("historyData"), history);
    page.insert(QStringLiteral("speedData"),
                numberTexts(summary.days, [](const T_Statistics& d) { return d.writeSpeed; }));
    QJsonArray dates;
    for (const T_Statistics& day : summary.days)
        dates.append(day.date);
    page.insert(QStringLiteral("timeData"), dates);
    page.insert(QStringLiteral("wordData"),
                numberTexts(summary.days, [](const T_Statistics& d) { return d.wordCount; }));
    // A started minute counts whole.
    page.insert(QStringLiteral("writeTimeData"),
                numberTexts(summary.days, [](const T_Statistics& d) { return (d.writeTime + 59) / 60; }));
    page.insert(QStringLiteral("NetGrowthWord"),
                numberTexts(summary.days, [](const T_Statistics& d) { return qMax(0, d.netIncrease); }));

    const CSystemManager* system = CSystemManager::instance();
    page.insert(QStringLiteral("levelName"), system->findLevel(user.level_id));
    const QString picture = system->levelImagePath(user.level_id, 1);
    page.insert(QStringLiteral("levelImg"),
                picture.isEmpty() ? QString() : QUrl::fromLocalFile(picture).toString());
    page.insert(QStringLiteral("userScore"), user.score);
    // The page is a local file run by a web engine: it gets figures, never
    // the sign-in token.

    *json = QString::fromUtf8(QJsonDocument(page).toJson(QJsonDocument::Compact));
}
