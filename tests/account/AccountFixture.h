#pragma once

#include "ReplyCatcher.h"
#include "remote/CTessaneHttp.h"
#include "StandinServer.h"

#include <QByteArray>
#include <QList>
#include <QNetworkReply>
#include <QObject>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>

struct TS_Author_Login;

// The one stand-in of this executable; main() starts it before any test.
StandinServer& standin();

// A fresh world for one test: the process-wide database on a new file in a
// temporary folder, nobody signed in, the API client without headers and the
// stand-in back at its seed.
class AccountWorld
{
public:
    AccountWorld();
    ~AccountWorld();

    bool ok() const { return m_ok; }
    QString path() const { return m_dir.path(); }
    // The program's start over this world's file (again: a new start), with
    // the shelf; waits until its profile request and feed pull are answered
    // and taken in. The job manager closes with the world.
    bool start();
    // The same wait after a sign-in (clear the journal before it).
    static bool profileAndFeedTakenIn();

    bool exec(const QString& statement);
    QVariant value(const QString& statement);
    int count(const QString& statement) { return value(statement).toInt(); }

    // Signs the demo author in through the account jobs.
    bool signInDemo(bool autoLogin = true, TS_Author_Login* replyOut = nullptr);
    // Another author on the platform (password "other1234"), and its sign-in
    // here; the author's uid, 0 on failure.
    static int signInOther(const QString& phone, bool registerFirst);

private:
    QTemporaryDir m_dir;
    bool m_ok = false;
    bool m_started = false;
};

// Every log record while it lives, passed on to the handler before it.
class LogCapture
{
public:
    LogCapture();
    ~LogCapture();
    static QStringList lines;
};

int runSignInTests(int argc, char** argv);
int runProfileUpdateTests(int argc, char** argv);
int runAccountReplyTests(int argc, char** argv);
int runPictureAndStatisticsTests(int argc, char** argv);
