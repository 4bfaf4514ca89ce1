#pragma once

#include "db/T_JobData.h"
#include "db/T_Statistics.h"
#include "manager/JobOwners.h"
#include "remote/records/SystemRecords.h"

#include <QByteArray>
#include <QHostInfo>
#include <QObject>
#include <QString>

class CPublicManager;
class CTessaneDb;
class CTessaneHttp;
class QTimer;

// Owner of the system jobs (2002-2009). What is here: the clean-up of
// downloaded updates, the network check, the statistics upload with its
// confirmation, the private sensitive words and their replay. The start-up
// check of the server's data versions is not built yet.
class CSystemManager : public QObject
{
    Q_OBJECT
public:
    static CSystemManager* instance();

    // Deletes every file below the program's "data/update/data".
    static void clearUpdateFolder();
    // Start-up data check; returns 200.
    int initData(TS_SynchronizaTion_SynData& stored);

    // Replays a stored system job. For a statistics upload sentContent gets
    // the counters the request carries, which its reply takes off the job.
    JobReplay execUserJob(T_JobData& job, QString* sentContent);
    // Sends the part of a pending statistics job that the update type
    // touched (writing counters for type 0, outline and memo counts for 1
    // and 2); false when there is nothing of it to send.
    bool sendStatisticsJob(const T_JobData& job, StatisticsType type, QString* sentContent);
    void asynBack(int jobType, const QByteArray& body);

    void sensitive_edit(TC_Sensitive_Edit& request);
    void sensitive_get(TC_Sensitive_Get& request);

    // 0 not known yet, 1 failed, 2 reachable.
    int networkState() const { return m_networkState; }

public slots:
    void onLookupHost(const QHostInfo& host);
    void onCheckNetWorkTimeOut();

private:
    explicit CSystemManager(QObject* parent = nullptr);
    bool sendWriting(const T_JobData& job, const QJsonObject& stored, QString* sentContent, int runNext);
    bool sendTools(const T_JobData& job, const QJsonObject& stored, QString* sentContent, int runNext);

    CTessaneHttp* m_http = nullptr;
    CTessaneDb* m_db = nullptr;
    CPublicManager* m_model = nullptr;
    QTimer* m_retryTimer = nullptr;
    int m_networkState = 0;
};
