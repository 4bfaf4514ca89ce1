#pragma once

#include "StandinServer.h"

#include "db/T_JobData.h"
#include "remote/T_Http_Custom.h"

#include <QJsonArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

StandinServer& standin();

// One client start against the stand-in: a fresh database file with the demo
// author remembered (token stored), jobs recorded into it, then the job
// manager's start-up on that file. restart() closes everything and starts
// again on the same file, as a new program start would.
class JobsFixture
{
public:
    JobsFixture();
    ~JobsFixture();

    // Opens the database for seeding; remember: store the demo user as the
    // last one with the given token.
    bool seed(bool remember = true, const QString& token = QString::fromLatin1(StandinServer::demoToken()));
    // Records a job through the database's own rules; returns its id.
    int addJob(int jobType, const QString& content, int localBookId = 0, int bookId = 0,
               int localChapterId = 0, int chapterId = 0, int localVolumeId = 0, int volumeId = 0,
               int ext1 = 0, int uid = StandinServer::demoUid());
    // A chapter save of the stand-in's chapter 9001 or 9002 (stored as 1017).
    int addChapterSave(int localChapterId, int chapterId, const QString& text);
    // Ends seeding and starts the client on the file.
    bool start();
    bool restart();

    QList<int> jobIds();
    // The stand-in's journal without the system manager's own requests.
    static QJsonArray queueJournal();
    // Paths of the API requests in queueJournal(), oldest first.
    static QStringList paths();
    static QJsonArray requestsTo(const QString& path);
    // Waits until the change feed was pulled (the end of a clean pass).
    static bool waitForPull(int count = 1, int timeoutMs = 15000);
    static T_Http_Custom identityOf(const QJsonObject& entry);

    QString dbFile() const { return m_dir.path() + QStringLiteral("/wrt.db"); }
    QString programDbDir() const { return m_dir.path() + QStringLiteral("/program"); }

private:
    QTemporaryDir m_dir;
};

// Collects every log record while alive.
class LogCapture
{
public:
    LogCapture();
    ~LogCapture();
    QString text() const;
    bool contains(const QString& part) const { return text().contains(part); }
};
