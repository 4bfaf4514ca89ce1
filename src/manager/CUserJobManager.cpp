// The sign-in completion, the synchronous account requests and the
// offline-first profile update with its replay. The replies of asynchronous
// account requests, the pictures and the statistics page are in
// CUserJobManager_replies.cpp.

#include "CUserJobManager.h"

#include "common/ServerClock.h"
#include "common/Utility.h"
#include "db/CTessaneDb.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"
#include "remote/CTessaneHttp.h"
#include "remote/CTessaneUrl.h"

#include <QDebug>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

constexpr int kAuthorProfileJob = 2;

int resultOf(QNetworkReply::NetworkError error)
{
    return error == QNetworkReply::NoError ? HttpOk : HttpNetworkError;
}

bool answeredOk(QNetworkReply::NetworkError error, const T_Http_S& head)
{
    return error == QNetworkReply::NoError && head.code == HttpOk;
}

}

CUserJobManager::CUserJobManager(QObject* parent)
    : QObject(parent),
      m_http(CTessaneHttp::instance()),
      m_db(CTessaneDb::instance()),
      m_model(CPublicManager::instance()),
      m_ui(CUiManager::instance())
{
}

// The four members are singletons that outlive this manager.
CUserJobManager::~CUserJobManager() = default;

CUserJobManager* CUserJobManager::instance()
{
    static CUserJobManager* manager = new CUserJobManager();
    return manager;
}

bool CUserJobManager::stillSignedIn(int uid) const
{
    return uid > 0 && m_model->userInfo.uid == uid && m_db->currentUid() == uid;
}

// --- sign-in ---

void CUserJobManager::loginSuccess(int uid, const QString& token)
{
    if (completeSignIn(uid, token, beginSignIn()) == SignIn::NotStored)
        m_ui->showDbError(QStringLiteral("数据库错误\n") + m_db->lastErrorText());
}

void CUserJobManager::markSuperseded(T_Http_S& head)
{
    qInfo() << "a later sign-in took over; this one signs nobody in";
    head.code = HttpNetworkError;
    head.msg.clear();
}

void CUserJobManager::reportSignIn(SignIn outcome, T_Http_S& head)
{
    if (outcome == SignIn::Superseded)
        markSuperseded(head);
    else if (outcome == SignIn::NotStored)
        m_db->setDbError(&head);
}

CUserJobManager::SignIn CUserJobManager::completeSignIn(int uid, const QString& token, int ticket)
{
    if (ticket != m_signInTicket)
        return SignIn::Superseded;
    TS_Author_Info& user = m_model->userInfo;
    T_UserConf& conf = m_model->userConf;

    // A first sign-in on this machine asks for the profile before anything
    // is switched: while it waits, another sign-in may begin and take over.
    TS_Author_Info profile;
    bool profileOk = false;
    TS_Author_Info known;
    T_UserConf knownConf;
    if (!m_db->getUserData(uid, known, knownConf)) {
        m_http->setToken(token);
        TC_Author_Info request;
        request.header.jobType = kAuthorProfileJob;
        request.header.uid = uid;
        profileOk = answeredOk(m_http->author_info(request, profile), profile.header);
        if (ticket != m_signInTicket)
            return SignIn::Superseded;
    }

    m_http->setToken(token);
    if (user.uid != uid) {
        // What the record still holds of another author must not end up in
        // this author's row; the login form's choice stays.
        const bool autoLogin = user.isAutoLogin;
        user = TS_Author_Info();
        conf = T_UserConf();
        user.isAutoLogin = autoLogin;
    }
    user.uid = uid;
    m_db->setCurrentUid(uid);

    if (!m_db->getUserData(uid, user, conf)) {
        // First sign-in of this author on this machine.
        if (profileOk) {
            saveAuthorInfo(&profile);
            // Its head picture is fetched on the way.
            if (ticket != m_signInTicket)
                return SignIn::Superseded;
        }
        user.token = token;
        user.uniqueCode = makeUniqueCode(uid, currentServerTime());
        if (!m_db->insertUser(user, conf)) {
            qWarning() << "sign-in of user" << uid << "not stored:" << m_db->lastErrorText();
            return SignIn::NotStored;
        }
        conf.uid = uid;
    }

    if (token != user.token) {
        user.token = token;
        if (!m_db->updateToken(uid, token)) {
            qWarning() << "new token of user" << uid << "not stored:" << m_db->lastErrorText();
            return SignIn::NotStored;
        }
    }

    const bool remembered = user.isAutoLogin ? m_db->saveLastLogin(uid) : m_db->clearLastLogin();
    if (!remembered) {
        qWarning() << "last user not recorded:" << m_db->lastErrorText();
        return SignIn::NotStored;
    }

    m_http->setUniqueCode(user.uniqueCode);
    if (uid > 0)
        loadStatistics();
    qDebug() << "signed in: user" << uid;
    return SignIn::Done;
}

void CUserJobManager::author_login(TC_Author_Login& request, TS_Author_Login& reply)
{
    const int ticket = beginSignIn();
    const QNetworkReply::NetworkError error = m_http->author_login(request, reply);
    if (error != QNetworkReply::NoError) {
        qWarning() << "sign-in request failed:" << error;
        return;
    }
    if (ticket != m_signInTicket) {
        markSuperseded(reply.header);
        return;
    }
    if (reply.header.code != HttpOk)
        return;
    if (reply.uid < 1 || reply.token.isEmpty()) {
        // A success without the account is no sign-in the client can use.
        qWarning() << "sign-in reply without uid or token";
        reply.header.code = HttpNetworkError;
        return;
    }
    reportSignIn(completeSignIn(reply.uid, reply.token, ticket), reply.header);
}

// --- requests whose result the screens show as they are ---

int CUserJobManager::author_register(TC_Author_Register& request, TS_Author_Register& reply)
{
    return m_http->author_register(request, reply);
}

int CUserJobManager::author_sendCode(TC_Author_SendCode& request, TS_Author_SendCode& reply)
{
    return resultOf(m_http->author_sendCode(request, reply));
}

int CUserJobManager::author_authNumber(TC_Account_AuthNumber& request, TS_Account_AuthNumber& reply)
{
    return m_http->author_authNumber(request, reply);
}

int CUserJobManager::author_editPwd(TC_Author_EditPwd& request, TS_Author_EditPwd& reply)
{
    return resultOf(m_http->author_editPwd(request, reply));
}

int CUserJobManager::author_setNewPwd(TC_Author_SetNewPwd& request, TS_Author_SetNewPwd& reply)
{
    return resultOf(m_http->author_setNewPwd(request, reply));
}

int CUserJobManager::author_wxCodeLogin(TC_Author_WxCodeLogin& request, TS_Author_WxCodeLogin& reply)
{
    return resultOf(m_http->author_wxCodeLogin(request, reply));
}

void CUserJobManager::author_info(TC_Author_Info& request, TS_Author_Info& reply)
{
    if (answeredOk(m_http->author_info(request, reply), reply.header))
        saveAuthorInfo(&reply);
}

int CUserJobManager::author_wxBindPhone(TC_Author_WxBindPhone& request, TS_Author_Login& reply)
{
    const int ticket = beginSignIn();
    const QNetworkReply::NetworkError error = m_http->author_wxBindPhone(request, reply);
    if (error != QNetworkReply::NoError)
        return HttpNetworkError;
    if (ticket != m_signInTicket) {
        markSuperseded(reply.header);
        return HttpOk;
    }
    if (reply.header.code != HttpOk || m_model->userConf.uid < 1)
        return HttpOk;

    TS_Author_Info& user = m_model->userInfo;
    user.isBindWx = true;
    // A success without the account keeps the session the user has.
    if (reply.uid > 0 && !reply.token.isEmpty()) {
        user.token = reply.token;
        user.uid = reply.uid;
        m_http->setToken(reply.token);
    } else {
        qWarning() << "binding reply without uid or token; the session stays";
    }
    storeUser(&reply.header);
    refreshAuthorInfo();
    if (ticket != m_signInTicket) {
        markSuperseded(reply.header);
        return HttpOk;
    }
    if (!m_db->saveLastLogin(user.uid))
        qWarning() << "last user not recorded:" << m_db->lastErrorText();
    return HttpOk;
}

void CUserJobManager::refreshAuthorInfo()
{
    TC_Author_Info request;
    request.header.jobType = kAuthorProfileJob;
    request.header.uid = m_model->userInfo.uid;
    TS_Author_Info reply;
    // Through the facade: it logs the header and ends a session the platform
    // no longer knows.
    CJobManager::instance()->author_info(request, reply);
}

void CUserJobManager::author_notice(TC_Author_Notice& request)
{
    request.header.jobType = 6;
    if (request.header.uid < 1)
        request.header.uid = m_model->userInfo.uid;
    m_http->author_notice_asyn(request);
}

void CUserJobManager::author_pollingWx(TC_Author_PollingWx& request)
{
    // The screen says whether this polls a sign-in (4) or a binding (5).
    if (request.header.jobType != 4 && request.header.jobType != 5)
        qWarning() << "WeChat poll with job type" << request.header.jobType
                   << "reaches no handler";
    m_http->author_pollingWx_asyn(request);
}

// --- profile ---

bool CUserJobManager::storeUser(T_Http_S* head)
{
    if (m_db->updateUser(m_model->userInfo))
        return true;
    T_Http_S failure;
    m_db->setDbError(&failure);
    if (head) {
        head->code = failure.code;
        head->msg = failure.msg;
    }
    m_ui->showDbError(failure.msg);
    return false;
}

void CUserJobManager::saveAuthorInfo(TS_Author_Info* info)
{
    if (!info)
        return;
    TS_Author_Info& user = m_model->userInfo;
    if (info != &user) {
        const QString ownName = user.author_name;
        const QString ownSex = user.sex;
        user.author_name = info->author_name;
        user.sex = info->sex;
        keepWaitingProfile(user, ownName, ownSex);
        user.sign = info->sign;
        user.birthday = info->birthday;
        user.isBindWx = info->isBindWx;
        user.level_id = info->level_id;
        user.score = info->score;
        user.isFollow = info->isFollow;
        user.isVip = info->isVip;
        user.isMoneyUser = info->isMoneyUser;
        user.vipExpireTime = info->vipExpireTime;
        user.is_checkin_today = info->is_checkin_today;
        user.isBindPhone = info->isBindPhone;
        if (info->headimg.isEmpty()) {
            user.headimg.clear();
            user.localHeadImg.clear();
        } else if (info->headimg != user.headimg) {
            // The picture follows without waiting: the address is taken with
            // it, so a picture that never came is asked for again.
            fetchHeadImg(info->headimg);
        }
    }
    storeUser(&info->header);
}

void CUserJobManager::keepWaitingProfile(TS_Author_Info& user, const QString& ownName, const QString& ownSex) const
{
    QString waiting;
    if (!m_db->waitingProfileChange(user.uid, &waiting)) {
        qWarning() << "profile queue of user" << user.uid << "unreadable; the name and sex here stay:"
                   << m_db->lastErrorText();
        user.author_name = ownName;
        user.sex = ownSex;
        return;
    }
    if (waiting.isEmpty())
        return;
    const QJsonObject change = QJsonDocument::fromJson(waiting.toUtf8()).object();
    user.author_name = change.value(QStringLiteral("name")).toString(ownName);
    user.sex = change.value(QStringLiteral("sex")).toString(ownSex);
    qDebug() << "a profile change of user" << user.uid << "waits for the platform; it stands over the reply";
}

void CUserJobManager::author_update(TC_Author_Update& request, TS_Author_Update& reply)
{
    TS_Author_Info& user = m_model->userInfo;
    const int uid = user.uid;
    user.author_name = request.author_name;
    user.sex = request.sex;

    // The row and the job first: the change counts even when the platform is
    // away, and stays this author's, queued, when the author is signed out
    // while the request is out. The job goes once the platform took it.
    T_Http_S localFailure;
    bool storedLocally = storeUser(&localFailure);
    T_Http_Custom job;
    job.jobType = kAuthorProfileJob;
    int revision = 0;
    bool queued = false;
    if (request.header.synStep == 0 && uid > 0) {
        if (m_db->currentUid() != uid)
            m_db->setCurrentUid(uid);
        QJsonObject content;
        jsonInsertString(content, QStringLiteral("name"), request.author_name);
        jsonInsertString(content, QStringLiteral("sex"), request.sex);
        const QString text = QString::fromUtf8(QJsonDocument(content).toJson(QJsonDocument::Compact));
        queued = m_db->addJob(job, text, int(currentServerTime()), 0, &revision);
        if (!queued)
            m_db->setDbError(&localFailure);
    }

    const QNetworkReply::NetworkError error = m_http->author_update(request, reply);
    const bool accepted = answeredOk(error, reply.header);
    if (accepted && queued && m_db->deleteJob(job.jobId, revision) == JobConfirm::Failed)
        qWarning() << "profile job" << job.jobId << "sent but not removed:" << m_db->lastErrorText();
    if (!stillSignedIn(uid)) {
        // Signed out while the request was out: nothing of its answer
        // belongs to whoever is signed in now.
        qInfo() << "profile update of user" << uid << "answered after the sign-out; its job keeps the change";
        return;
    }
    if (!accepted) {
        if (request.header.synStep == 0 && !queued) {
            // Neither sent nor queued: the author must hear of it.
            m_ui->showDbError(localFailure.msg);
            storedLocally = false;
        }
        qDebug() << "profile update not accepted now (" << error << ", code" << reply.header.code
                 << "); queued for replay";
    } else {
        if (!reply.sex.isEmpty())
            user.sex = reply.sex;
        if (!reply.sign.isEmpty())
            user.sign = reply.sign;
        if (!reply.birthday.isEmpty())
            user.birthday = reply.birthday;
        if (!reply.author_name.isEmpty())
            user.author_name = reply.author_name;
        keepWaitingProfile(user, request.author_name, request.sex);
    }

    // A local failure outranks the platform's verdict: the caller must not
    // take a change that is not on disk for done.
    if (!storedLocally) {
        reply.header.code = localFailure.code;
        reply.header.msg = localFailure.msg;
    }
    m_ui->updateUserInfo(&user);
}

void CUserJobManager::execUserJob(T_JobData* job)
{
    if (!job || job->jobType != kAuthorProfileJob)
        return;

    const QJsonObject content = QJsonDocument::fromJson(job->content.toUtf8()).object();
    TC_Author_Update request;
    request.author_name = content.value(QStringLiteral("name")).toString();
    request.sex = content.value(QStringLiteral("sex")).toString();
    request.update_time = job->createTime;
    CTessaneUrl::setUserData(*job, request.header, 1);

    // The job record is the drain's shared one, which a drain of the next
    // session fills anew while this request is out: its id and revision are
    // taken now.
    const int jobId = job->jobId;
    const int revision = job->revision;
    job = nullptr;
    TS_Author_Update reply;
    const int uid = m_model->userInfo.uid;
    const QNetworkReply::NetworkError error = m_http->author_update(request, reply);
    if (error == CHttpBase::kEndedSessionResult)
        return;  // the job stays for its author's next session
    const int code = error == QNetworkReply::NoError ? reply.header.code : 0;
    // Signed out while the request was out: the job is settled or stays by
    // its id, and the queue and the sync marks are the new session's.
    const bool sameSession = stillSignedIn(uid);
    if (code == HttpOk || code == HttpRefused) {
        // A refusal is final: replaying it would be refused again.
        const JobConfirm confirm = m_db->deleteJob(jobId, revision);
        if (confirm == JobConfirm::KeptNewer)
            qDebug() << "profile job" << jobId << "changed while it was sent; it stays queued";
        if (confirm != JobConfirm::Failed) {
            if (sameSession)
                CJobManager::instance()->execUserJob();
            return;
        }
        qWarning() << "profile job" << jobId << "sent but not removed:" << m_db->lastErrorText();
    } else {
        qWarning() << "profile job" << jobId << "not accepted (" << error << ", code" << code
                   << "); it stays for the next synchronisation";
    }
    if (!sameSession)
        return;
    m_ui->stopSyncAnimation(false);
    m_model->resetAllBookSynState();
    // A "sign in again" ends the session as every reply saying so does; the
    // job waits for its author's next one.
    if (code == HttpSignInAgain)
        CJobManager::instance()->checkHeader(reply.header);
}

void CUserJobManager::loadStatistics()
{
    const int uid = m_model->userInfo.uid;
    if (uid < 1)
        return;
    m_model->statistics.date = getCurrentDate();
    if (!m_db->getTodayStatistics(uid, m_model->statistics))
        qWarning() << "today's statistics not read:" << m_db->lastErrorText();
    m_model->clientStatistics.date = m_model->statistics.date;
    if (!m_db->getClientStatistics(uid, m_model->clientStatistics))
        qWarning() << "today's usage counters not read:" << m_db->lastErrorText();
}
