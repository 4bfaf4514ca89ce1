#include "CSystemManager.h"

#include "common/ServerClock.h"
#include "common/Utility.h"
#include "db/CTessaneDb.h"
#include "db/records/T_Level.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"
#include "remote/ApiBase.h"
#include "remote/CTessaneHttp.h"
#include "remote/CTessaneUrl.h"

#include <QDebug>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTime>
#include <QTimer>

namespace {

constexpr int kNetworkRetryMs = 3000;

QString compact(const QJsonObject& object)
{
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

int intOf(const QJsonObject& object, const char* key)
{
    return object.value(QLatin1String(key)).toInt();
}

}

CSystemManager::CSystemManager(QObject* parent)
    : QObject(parent),
      m_http(CTessaneHttp::instance()),
      m_db(CTessaneDb::instance()),
      m_model(CPublicManager::instance())
{
    m_retryTimer = new QTimer(this);
    connect(m_retryTimer, &QTimer::timeout, this, &CSystemManager::onCheckNetWorkTimeOut);
    m_random.seed(static_cast<quint32>(QTime(0, 0).secsTo(QTime::currentTime())));
}

CSystemManager::~CSystemManager()
{
    clearLevelCache();
}

CSystemManager* CSystemManager::instance()
{
    static CSystemManager* manager = new CSystemManager();
    return manager;
}

void CSystemManager::clearUpdateFolder()
{
    QStringList files;
    listFilesRecursive(appDirPath() + QStringLiteral("/data/update/data"), files);
    for (const QString& file : qAsConst(files)) {
        if (!QFile::remove(file))
            qDebug() << "old update file not removed:" << file;
    }
}

void CSystemManager::onCheckNetWorkTimeOut()
{
    // The platform's own host is the one whose reachability matters.
    // Called right after a sign-in too: the token is there now.
    sendDueSensitiveRequests();
    sendDueLevelRequest();
    const QString host = ApiBase::url().host();
    if (host.isEmpty())
        return;
    QHostInfo::lookupHost(host, this, SLOT(onLookupHost(QHostInfo)));
}

void CSystemManager::onLookupHost(const QHostInfo& host)
{
    if (m_networkState == 0 && !m_retryTimer->isActive())
        m_retryTimer->start(kNetworkRetryMs);
    if (host.error() != QHostInfo::NoError) {
        if (m_networkState != 1)
            CUiManager::instance()->showError(tr("network error"), 1000);
        m_networkState = 1;
        return;
    }
    if (m_networkState == 1)
        CUiManager::instance()->showSuccess(tr("network success"), 1000);
    m_networkState = 2;
}

JobReplay CSystemManager::execUserJob(T_JobData& job, QString* sentContent)
{
    if (job.jobType == TessaneJob::SensitiveWords) {
        TC_Sensitive_Edit request;
        CTessaneUrl::setUserData(job, request.header, 1);
        request.words = job.content;
        request.update_time = job.createTime;
        m_http->sensitive_edit_asyn(request);
        return JobReplay::Sent;
    }
    if (job.jobType != TessaneJob::StatisticsUpload)
        return JobReplay::Park;

    const QJsonDocument document = QJsonDocument::fromJson(job.content.toUtf8());
    if (!document.isObject() || document.object().value(QStringLiteral("date")).toString().isEmpty()) {
        qWarning() << "statistics job" << job.jobId << "holds no day's counters";
        return JobReplay::Drop;
    }
    // One request per reply: the writing counters first, the outline and
    // memo counts once those are confirmed, so each reply knows exactly what
    // it confirms.
    const QJsonObject stored = document.object();
    if (sendWriting(job, stored, sentContent, 1) || sendTools(job, stored, sentContent, 1))
        return JobReplay::Sent;
    return JobReplay::Drop;
}

bool CSystemManager::sendStatisticsJob(const T_JobData& job, StatisticsType type, QString* sentContent)
{
    const QJsonObject stored = QJsonDocument::fromJson(job.content.toUtf8()).object();
    if (stored.value(QStringLiteral("date")).toString().isEmpty())
        return false;
    // Sent beside the queue: its reply does not move the queue on.
    if (type == StatisticsWriting)
        return sendWriting(job, stored, sentContent, 0);
    if (type == StatisticsOutline || type == StatisticsMemo)
        return sendTools(job, stored, sentContent, 0);
    return false;
}

bool CSystemManager::sendWriting(const T_JobData& job, const QJsonObject& stored, QString* sentContent,
                                 int runNext)
{
    const int wordCount = intOf(stored, "wordCount");
    const int writeTime = intOf(stored, "writeTime");
    const int wordCountAll = intOf(stored, "wordCountAll");
    const int netIncrease = intOf(stored, "netIncrease");
    const int writeSpeed = intOf(stored, "writeSpeed");
    // A day of deleting gives negative counts; they are news for the platform too.
    if (wordCount == 0 && writeTime == 0 && wordCountAll == 0 && netIncrease == 0 && writeSpeed < 1)
        return false;
    TC_AuthorCount_Save request;
    CTessaneUrl::setUserData(job, request.header, runNext);
    request.date = stored.value(QStringLiteral("date")).toString();
    request.update_time = static_cast<int>(currentServerTime());
    request.pc_word = wordCount;
    request.all_word = wordCountAll;
    request.write_time = writeTime;
    request.speed = writeSpeed;
    request.netIncrease = netIncrease;
    m_http->authorCount_save_asyn(request);
    if (sentContent) {
        *sentContent = compact({{QStringLiteral("date"), request.date},
                                {QStringLiteral("wordCount"), wordCount},
                                {QStringLiteral("writeTime"), writeTime},
                                {QStringLiteral("wordCountAll"), wordCountAll},
                                {QStringLiteral("netIncrease"), netIncrease},
                                {QStringLiteral("writeSpeed"), writeSpeed}});
    }
    return true;
}

bool CSystemManager::sendTools(const T_JobData& job, const QJsonObject& stored, QString* sentContent,
                               int runNext)
{
    const int outlineNum = intOf(stored, "outlineNum");
    const int memoNum = intOf(stored, "memoNum");
    if (outlineNum == 0 && memoNum == 0)
        return false;
    TC_AuthorCount_SaveTools request;
    CTessaneUrl::setUserData(job, request.header, runNext);
    request.date = stored.value(QStringLiteral("date")).toString();
    request.outline_word_num = outlineNum;
    request.memo_word_num = memoNum;
    request.update_time = static_cast<int>(currentServerTime());
    m_http->authorCount_saveTools_asyn(request);
    if (sentContent) {
        // The speed is not part of this upload; quoting the stored one keeps
        // the confirmation from counting it as left over.
        *sentContent = compact({{QStringLiteral("date"), request.date},
                                {QStringLiteral("outlineNum"), outlineNum},
                                {QStringLiteral("memoNum"), memoNum},
                                {QStringLiteral("writeSpeed"), intOf(stored, "writeSpeed")}});
    }
    return true;
}

void CSystemManager::sensitive_edit(TC_Sensitive_Edit& request)
{
    const int uid = m_model->userInfo.uid;
    if (uid < 1)
        return;
    m_model->sensitiveMatcher.setCustomWords(request.words);
    if (!m_db->updateSensitiveWords(uid, 2, request.words, 0))
        qWarning() << "own sensitive words not stored";
    request.header.uid = uid;
    request.header.jobType = TessaneJob::SensitiveWords;
    request.update_time = static_cast<int>(currentServerTime());
    int revision = 0;
    if (!m_db->addJob(request.header, request.words, request.update_time, 0, &revision))
        return;
    CJobManager* jobs = CJobManager::instance();
    if (jobs->isJobInFlight(request.header.jobId))
        return;  // the queue sends the newer words after that reply
    m_http->sensitive_edit_asyn(request);
    jobs->noteJobSent(request.header, revision);
}

void CSystemManager::sensitive_get(TC_Sensitive_Get& request)
{
    request.header.jobType = 2004;
    m_http->sensitive_get_asyn(request);
}

bool CSystemManager::saveStatistics(TC_AuthorCount_Save& writing, TC_AuthorCount_SaveTools& tools,
                                    StatisticsType type)
{
    if (type == StatisticsWriting) {
        m_http->authorCount_save_asyn(writing);
        return true;
    }
    if (type == StatisticsOutline || type == StatisticsMemo) {
        m_http->authorCount_saveTools_asyn(tools);
        return true;
    }
    return false;
}

void CSystemManager::authorCount_userData(TC_AuthorCount_UserData& request)
{
    request.header.jobType = 2007;
    if (request.header.uid < 1)
        request.header.uid = m_model->userInfo.uid;
    m_http->authorCount_userData_asyn(request);
}

bool CSystemManager::updateOnline(TC_UpdateOnline& request)
{
    if (request.os.isEmpty() || request.channel.isEmpty() || request.version_code < 0 || m_updateShown != 0)
        return false;
    request.header.jobType = 2008;
    m_http->updateOnline_asyn(request);
    return true;
}
