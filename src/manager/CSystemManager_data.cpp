// The platform's shared data: the start-up check of its versions, and the
// replies that bring categories, sensitive words, name lists, statistics,
// levels and the update check.

#include "CSystemManager.h"

#include "common/Utility.h"
#include "db/CTessaneDb.h"
#include "db/records/T_Level.h"
#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"
#include "remote/CTessaneHttp.h"
#include "remote/CTessaneUrl.h"

#include <QDebug>

namespace {
enum SystemJob {
    CateList = 2002,
    SensitiveGet = 2004,
    PeopleNames = 2005,
    AuthorCount = 2007,
    UpdateCheck = 2008,
    LevelList = 2009,
};
}

bool CSystemManager::loadStoredCategories()
{
    // The tree's shape (top categories per channel) is stored with the
    // system row; the rows are filled into that many slots.
    m_model->cateList.male.count = m_model->maleCateCount;
    m_model->cateList.female.count = m_model->femaleCateCount;
    return m_db->getCateList(m_model->cateList);
}

int CSystemManager::initData(TS_SynchronizaTion_SynData& stored)
{
    TC_SynchronizaTion_SynData request;
    TS_SynchronizaTion_SynData server;
    // A failed request leaves the server's versions at 0: the cache is used.
    if (m_http->synchronizaTion_synData(request, server) != QNetworkReply::NoError || server.header.code != HttpOk) {
        qInfo() << "data versions not known; categories, sensitive words and names come from the database";
        server = TS_SynchronizaTion_SynData();
    }

    if (server.cateVersion > stored.cateVersion) {
        TC_Books_Cate cate;
        cate.header.jobType = CateList;
        m_http->books_cate_asyn(cate);
    } else if (!loadStoredCategories()) {
        qWarning() << "categories could not be read from the database";
    } else {
        m_model->cateList.version = stored.cateVersion;
    }

    // The cached words serve until newer ones arrive.
    const int uid = m_model->userInfo.uid;
    if (!m_db->getSensitiveWords(uid, m_model->sensitiveMatcher))
        qWarning() << "sensitive words could not be read from the database";
    m_sensitiveDue = server.sensitiveVersion > stored.sensitiveVersion;
    if (m_sensitiveDue && !m_model->userInfo.token.isEmpty())
        sendDueSensitiveRequests();

    if (server.peopleNameDataVersion > stored.peopleNameDataVersion) {
        TC_Sensitive_NameData names;
        names.header.jobType = PeopleNames;
        m_http->sensitive_nameData_asyn(names);
    } else if (!m_db->getAllPeopleNames(m_model->peopleNames)) {
        qWarning() << "name lists could not be read from the database";
    }

    // The statistics page names the author's level from this list.
    clearLevelCache();
    if (!m_db->getLevelList(m_levelCache))
        qWarning() << "level list could not be read from the database";
    m_levelsDue = server.levelVersion > stored.levelVersion;
    sendDueLevelRequest();
    return HttpOk;
}

void CSystemManager::sendDueSensitiveRequests()
{
    if (!m_sensitiveDue || m_model->userInfo.uid < 1 || m_model->userInfo.token.isEmpty())
        return;
    m_sensitiveDue = false;
    for (int type : {1, 2}) {
        TC_Sensitive_Get request;
        request.header.uid = m_model->userInfo.uid;
        request.sensitive_type = type;
        sensitive_get(request);
    }
}

void CSystemManager::sendDueLevelRequest()
{
    if (!m_levelsDue || m_model->userInfo.uid < 1 || m_model->userInfo.token.isEmpty())
        return;
    m_levelsDue = false;
    TC_Level_AllData levels;
    levels.header.jobType = LevelList;
    levels.header.uid = m_model->userInfo.uid;
    m_http->level_allData_asyn(levels);
}

void CSystemManager::asynBack(int jobType, const QByteArray& body)
{
    switch (jobType) {
    case CateList:
        asynBackCateList(body);
        break;
    case SensitiveGet:
        asynBackSensitive(body);
        break;
    case PeopleNames:
        asynBackPeopleNames(body);
        break;
    case AuthorCount:
        asynBackAuthorCount(body);
        break;
    case UpdateCheck:
        asynBackUpdateOnline(body);
        break;
    case LevelList:
        asynBackAllLevelData(body);
        break;
    default:
        // Uploads (2003, 2006): their confirmation is the job manager's.
        break;
    }
}

void CSystemManager::asynBackCateList(const QByteArray& body)
{
    TS_Books_Cate reply;
    CTessaneUrl::setHttpBooksCate(body, &reply);
    // Only a complete, newer list replaces what the author chooses from.
    if (reply.header.code != HttpOk || reply.version <= m_model->synData.cateVersion)
        return;
    if (!m_db->saveCateList(reply)) {
        qWarning() << "categories of version" << reply.version << "not stored; asked again at the next start";
        return;
    }
    m_model->cateList = reply;
    m_model->synData.cateVersion = reply.version;
    m_model->maleCateCount = reply.male.count;
    m_model->femaleCateCount = reply.female.count;
}

void CSystemManager::asynBackSensitive(const QByteArray& body)
{
    TS_Sensitive_Get reply;
    CTessaneUrl::setHttpSensitiveGet(body, &reply);
    if (reply.header.code != HttpOk)
        return;
    if (reply.sensitive_type == 1)
        m_model->sensitiveMatcher.setWords(reply.sensitiveWords);
    else if (reply.sensitive_type == 2)
        m_model->sensitiveMatcher.setCustomWords(reply.sensitiveWords);
    else
        return;
    if (!m_db->updateSensitiveWords(m_model->userInfo.uid, reply)) {
        qWarning() << "sensitive words not stored";
        return;
    }
    if (reply.sensitive_type == 1 && reply.version > m_model->synData.sensitiveVersion)
        m_model->synData.sensitiveVersion = reply.version;
}

void CSystemManager::asynBackPeopleNames(const QByteArray& body)
{
    TS_Sensitive_NameData reply;
    CTessaneUrl::setHttpSensitiveNameData(body, &reply);
    // An empty answer would wipe every list of the random-name tool.
    if (reply.header.code != HttpOk || reply.version <= m_model->synData.peopleNameDataVersion
        || reply.texts.isEmpty())
        return;
    if (!m_db->savePeopleNames(reply)) {
        qWarning() << "name lists of version" << reply.version << "not stored; asked again at the next start";
        return;
    }
    m_model->peopleNames = reply;
    m_model->synData.peopleNameDataVersion = reply.version;
}

void CSystemManager::asynBackAuthorCount(const QByteArray& body)
{
    TS_AuthorCount_UserData reply;
    CTessaneUrl::setHttpAuthorCountUserData(body, &reply);
    if (reply.header.code != HttpOk)
        return;
    T_StatisticsHistory history;
    history.days = reply.timeData;
    history.writeTime = reply.writeTimeData;
    history.wordCount = reply.wordData;
    history.writeSpeed = reply.speedData;
    history.netIncrease = reply.increaseData;
    const int uid = m_model->userInfo.uid;
    if (uid > 0 && !m_db->saveStatisticsDays(uid, history))
        qWarning() << "statistics of the last days not stored";
    const int today = reply.timeData.indexOf(getCurrentDate());
    if (today >= 0 && today < reply.speedData.size())
        m_serverSpeedToday = reply.speedData.at(today);
}

void CSystemManager::asynBackUpdateOnline(const QByteArray& body)
{
    TS_UpdateOnline reply;
    CTessaneUrl::setHttpUpdateOnline(body, &reply);
    qDebug().noquote() << "update check:" << QString::fromUtf8(body.left(500));
    if (reply.header.code != HttpOk || (reply.status != 1 && reply.status != 2))
        return;
    m_updateShown = 1;
    qInfo().noquote() << "update" << reply.name << reply.version_code << "offered (kind" << reply.status
                      << ")";
    // Without a main window (headless runs) the offer is only logged; later
    // checks of this run stay quiet all the same.
    if (!CUiManager::instance()->showUpdateOnline(reply))
        qInfo() << "no main window for the update dialog";
}

void CSystemManager::asynBackAllLevelData(const QByteArray& body)
{
    qDebug() << "CSystemManager::asynBackAllLevelData";
    TS_Level_AllData reply;
    CTessaneUrl::setHttpLevelAllData(body, &reply);
    if (reply.header.code != HttpOk)
        return;
    if (!m_db->saveLevelList(reply)) {
        qWarning() << "level list not stored";
        return;
    }
    m_model->synData.levelVersion = reply.version;
    clearLevelCache();
    if (!m_db->getLevelList(m_levelCache))
        qWarning() << "level list could not be read back";
}

void CSystemManager::clearLevelCache()
{
    qDeleteAll(m_levelCache);
    m_levelCache.clear();
}

QString CSystemManager::findLevel(int levelId) const
{
    const T_Level* level = m_levelCache.value(levelId, nullptr);
    return level ? level->name : QString();
}

QString CSystemManager::levelImagePath(int levelId, int index) const
{
    const T_Level* level = m_levelCache.value(levelId, nullptr);
    if (level == nullptr)
        return QString();
    switch (index) {
    case 1: return level->img;
    case 2: return level->photo_frame;
    case 3: return level->small_img;
    case 4: return level->small_photo_frame;
    case 5: return level->small_medal;
    default: return QString();
    }
}
