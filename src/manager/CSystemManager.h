#pragma once

#include "db/T_JobData.h"
#include "db/T_Statistics.h"
#include "manager/JobOwners.h"
#include "remote/records/SystemRecords.h"

#include <QByteArray>
#include <QHostInfo>
#include <QMap>
#include <QObject>
#include <QRandomGenerator>
#include <QString>
#include <QStringList>

class CPublicManager;
class CTessaneDb;
class CTessaneHttp;
class QTimer;
struct T_Level;

// Owner of the system jobs (2002-2009): the network check, the start-up check
// of the server's data versions (categories, shared sensitive words, name
// lists), the level list, the statistics upload and fetch, the private
// sensitive words, the update check, the clean-up of downloaded updates and
// the random-name generator. GUI thread only.
class CSystemManager : public QObject
{
    Q_OBJECT
public:
    static CSystemManager* instance();
    ~CSystemManager() override;

    // Deletes every file below the program's "data/update/data".
    static void clearUpdateFolder();
    // Start-up data check against the tb_sys copy: what the server has newer
    // is fetched, the rest loaded from the database. Returns 200.
    int initData(TS_SynchronizaTion_SynData& stored);

    // Replays a stored system job. For a statistics upload sentContent gets
    // the counters the request carries, which its reply takes off the job.
    JobReplay execUserJob(T_JobData& job, QString* sentContent);
    // Sends the part of a pending statistics job that the update type
    // touched (writing counters for type 0, outline and memo counts for 1
    // and 2); false when there is nothing of it to send.
    bool sendStatisticsJob(const T_JobData& job, StatisticsType type, QString* sentContent);
    // Sends an upload record as it stands: type 0 the writing counters,
    // types 1 and 2 the outline and memo counts; false for other types.
    bool saveStatistics(TC_AuthorCount_Save& writing, TC_AuthorCount_SaveTools& tools, StatisticsType type);
    void asynBack(int jobType, const QByteArray& body);

    void authorCount_userData(TC_AuthorCount_UserData& request);
    void sensitive_edit(TC_Sensitive_Edit& request);
    void sensitive_get(TC_Sensitive_Get& request);
    // Sends the update check unless the request lacks its platform or
    // channel, or an update dialog was already shown in this run.
    bool updateOnline(TC_UpdateOnline& request);
    int updateShown() const { return m_updateShown; }

    // Level names and pictures of the cached level list; empty when unknown.
    QString findLevel(int levelId) const;
    // index 1 "img", 2 "photo_frame", 3 "small_img", 4 "small_photo_frame",
    // 5 "small_medal".
    QString levelImagePath(int levelId, int index) const;

    // Today's writing speed as the platform counted it (0 until known).
    int serverSpeedToday() const { return m_serverSpeedToday; }

    // 0 not known yet, 1 failed, 2 reachable.
    int networkState() const { return m_networkState; }

    // --- random names (CSystemManager_random.cpp) ---
    // nationality 1 Chinese, 2 Japanese, 4 Western; gender 1 male, 2 female;
    // surname kind (Chinese) 1 single, 2 two characters; given-name length
    // (Chinese) 1 or 2 characters.
    void randomPeopleNames(int nationality, int gender, int surnameKind, int nameLength,
                           const QString& fixedSurname, QStringList& out, int count);
    void randomSurnames(int nationality, int surnameKind, QStringList& out, int count);
    // kind 1 Chinese, 2 foreign, 4 scenic.
    void randomPlaceNames(int kind, QStringList& out, int count, const QString& fixedSuffix);
    // kind 1 Chinese suffixes, 2 foreign suffixes.
    void randomPlaceSuffixes(int kind, QStringList& out, int count);
    // kind 1 techniques, 2 weapons, 4 moves.
    void randomGongNames(int kind, QStringList& out, int count);
    // The one drawing routine: count draws from the pooled lists of the
    // types, joined with the fixed part or the second part of the same
    // position. mode 0 prefix, 1 "word·part", other modes suffix.
    void composeRandomNames(QStringList& out, int count, const QList<int>& types, const QString& fixed,
                            const QStringList* secondParts = nullptr, int mode = 0);

public slots:
    void onLookupHost(const QHostInfo& host);
    void onCheckNetWorkTimeOut();

private:
    // The stored category tree into the shared model.
    bool loadStoredCategories();
    explicit CSystemManager(QObject* parent = nullptr);
    bool sendWriting(const T_JobData& job, const QJsonObject& stored, QString* sentContent, int runNext);
    bool sendTools(const T_JobData& job, const QJsonObject& stored, QString* sentContent, int runNext);
    void sendDueSensitiveRequests();
    // The level list, once a newer one is known and the author's token is set.
    void sendDueLevelRequest();

    void asynBackCateList(const QByteArray& body);
    void asynBackSensitive(const QByteArray& body);
    void asynBackPeopleNames(const QByteArray& body);
    void asynBackAuthorCount(const QByteArray& body);
    void asynBackUpdateOnline(const QByteArray& body);
    void asynBackAllLevelData(const QByteArray& body);
    void clearLevelCache();
    const QStringList& nameList(int type);

    CTessaneHttp* m_http = nullptr;
    CTessaneDb* m_db = nullptr;
    CPublicManager* m_model = nullptr;
    int m_updateShown = 0;
    QMap<int, T_Level*> m_levelCache;
    QTimer* m_retryTimer = nullptr;
    int m_networkState = 0;
    int m_serverSpeedToday = 0;
    // The sensitive lists are asked for with the author's token, which the
    // start-up check does not have yet; they go once the sign-in gave it.
    bool m_sensitiveDue = false;
    bool m_levelsDue = false;
    // The random-name tool's generator, seeded once per run.
    QRandomGenerator m_random;
};
