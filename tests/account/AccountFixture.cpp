#include "AccountFixture.h"

#include "db/CTessaneDb.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "manager/CUserJobManager.h"
#include "remote/CTessaneHttp.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonObject>
#include <QSqlQuery>
#include <QTest>
#include <QTimer>

AccountWorld::AccountWorld()
{
    CTessaneDb* db = CTessaneDb::instance();
    db->close();
    db->setCurrentUid(0);
    const QString program = m_dir.path() + QStringLiteral("/program");
    QDir().mkpath(program);
    m_ok = m_dir.isValid() && db->init(m_dir.path() + QStringLiteral("/wrt.db"), program)
           && standin().reset();

    CPublicManager* model = CPublicManager::instance();
    model->resetUser();
    model->statistics = T_Statistics();
    model->clientStatistics = T_ClientStatistics();
    CTessaneHttp::instance()->setToken(QString());
    CTessaneHttp::instance()->setUniqueCode(QString());
}

AccountWorld::~AccountWorld()
{
    if (m_started)
        CJobManager::instance()->close();
    CTessaneDb::instance()->close();
}

bool AccountWorld::start()
{
    CJobManager* jobs = CJobManager::instance();
    if (m_started)
        jobs->close();
    else
        CTessaneDb::instance()->close();
    m_started = true;
    return standin().clearJournal()
           && jobs->init(m_dir.path() + QStringLiteral("/wrt.db"), m_dir.path() + QStringLiteral("/program"))
           && profileAndFeedTakenIn();
}

bool AccountWorld::profileAndFeedTakenIn()
{
    for (int tries = 0; tries < 750; ++tries) {
        const bool asked = !standin().requestsTo(QStringLiteral("/author/info")).isEmpty()
                           && !standin().requestsTo(QStringLiteral("/synchronization/synBookData")).isEmpty();
        // Counted as out when it left: with none outstanding, every reply
        // has been routed too.
        if (asked && CTessaneHttp::instance()->outstandingReplies() == 0)
            return true;
        QTest::qWait(20);
    }
    return false;
}

bool AccountWorld::exec(const QString& statement)
{
    QSqlQuery query = CTessaneDb::instance()->newQuery();
    return CTessaneDb::instance()->sqlExec(query, statement);
}

QVariant AccountWorld::value(const QString& statement)
{
    QSqlQuery query = CTessaneDb::instance()->newQuery();
    if (!CTessaneDb::instance()->sqlExec(query, statement) || !query.next())
        return QVariant();
    return query.value(0);
}

bool AccountWorld::signInDemo(bool autoLogin, TS_Author_Login* replyOut)
{
    CPublicManager::instance()->userInfo.isAutoLogin = autoLogin;
    TC_Author_Login request;
    request.phone = QStringLiteral("13800000000");
    request.password = QStringLiteral("demo1234");
    TS_Author_Login reply;
    CUserJobManager::instance()->author_login(request, reply);
    if (replyOut)
        *replyOut = reply;
    return reply.header.code == 200;
}

int AccountWorld::signInOther(const QString& phone, bool registerFirst)
{
    TC_Author_Register other;
    other.phone = phone;
    other.password = QStringLiteral("other1234");
    TS_Author_Register registered;
    if (registerFirst)
        return CUserJobManager::instance()->author_register(other, registered) == 0 ? registered.uid : 0;
    TC_Author_Login login;
    login.phone = phone;
    login.password = other.password;
    TS_Author_Login reply;
    CUserJobManager::instance()->author_login(login, reply);
    return reply.header.code == 200 ? reply.uid : 0;
}

QStringList LogCapture::lines;

namespace {
QtMessageHandler g_previous = nullptr;

void capture(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    LogCapture::lines.append(message);
    if (g_previous)
        g_previous(type, context, message);
}
}

LogCapture::LogCapture()
{
    lines.clear();
    g_previous = qInstallMessageHandler(capture);
}

LogCapture::~LogCapture()
{
    qInstallMessageHandler(g_previous);
    g_previous = nullptr;
}
