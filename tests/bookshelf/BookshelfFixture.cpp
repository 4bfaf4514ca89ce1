#include "BookshelfFixture.h"

#include "db/CTessaneDb.h"
#include "db/records/T_Book.h"
#include "db/records/T_UserConf.h"
#include "manager/CJobManager.h"
#include "manager/CUiManager.h"
#include "remote/CTessaneHttp.h"
#include "remote/records/AccountRecords.h"
#include "remote/records/BookRecords.h"
#include "ui/bookshelf/Widget_Bookshelf.h"

#include <QDir>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>

namespace {
QSqlDatabase connection()
{
    const QString name = CTessaneDb::instance()->connectionName();
    return name.isEmpty() ? QSqlDatabase::database() : QSqlDatabase::database(name);
}

bool waitForPull()
{
    QElapsedTimer timer;
    timer.start();
    bool pulled = false;
    while (timer.elapsed() < 15000) {
        for (const QJsonValue& v : standin().journal()) {
            if (v.toObject().value(QStringLiteral("path")).toString() == QLatin1String("/synchronization/synBookData"))
                pulled = true;
        }
        // The pull was counted as out when it left: with no reply outstanding
        // its reply has been routed too.
        if (pulled && CTessaneHttp::instance()->outstandingReplies() == 0)
            return true;
        QTest::qWait(20);
    }
    return false;
}
}

BookshelfFixture::BookshelfFixture(const QList<Book>& books, const QString& hideKey)
{
    CJobManager::instance()->close();
    standin().reset();
    const QString dbFile = m_dir.path() + QStringLiteral("/wrt.db");
    const QString programDir = m_dir.path() + QStringLiteral("/program");
    QDir().mkpath(programDir);
    CTessaneDb* db = CTessaneDb::instance();
    if (!db->init(dbFile, programDir))
        return;
    TS_Author_Info user;
    user.uid = StandinServer::demoUid();
    user.author_name = QStringLiteral("示例作者");
    user.token = QString::fromLatin1(StandinServer::demoToken());
    user.uniqueCode = QStringLiteral("0123456789abcdef0123456789abcdef");
    T_UserConf conf;
    conf.uid = user.uid;
    if (!hideKey.isEmpty())
        conf.systemConf.hideKey = hideKey;
    if (!db->insertUser(user, conf) || !db->saveLastLogin(user.uid))
        return;
    db->setCurrentUid(user.uid);
    for (const Book& b : books) {
        TC_Books_AddBook request(b.first, b.second, b.second, QString());
        request.header.uid = user.uid;
        if (!db->insertBook(request))
            return;
        T_Book book(request.header.localBookId, b.first);
        book.updateTime = b.second;
        book.status = 1;
        if (!db->updateBook(&book))
            return;
    }
    db->close();
    if (!CJobManager::instance()->init(dbFile, programDir))
        return;
    m_ok = waitForPull() && shelf() != nullptr;
}

BookshelfFixture::~BookshelfFixture()
{
    CUiManager::instance()->logout();
    CJobManager::instance()->close();
    // The window goes with deleteLater; let it go before the next start.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

Widget_Bookshelf* BookshelfFixture::shelf() const
{
    return CUiManager::instance()->bookshelf();
}

Widget_BookShelfList* BookshelfFixture::list() const
{
    return shelf() ? shelf()->bookList() : nullptr;
}

int BookshelfFixture::jobCount(int jobType)
{
    QSqlQuery query(connection());
    query.exec(QStringLiteral("select count(*) from tb_job where jobType = %1").arg(jobType));
    return query.next() ? query.value(0).toInt() : -1;
}

int BookshelfFixture::bookStatus(int localBookId)
{
    QSqlQuery query(connection());
    query.exec(QStringLiteral("select status from tb_book where localId = %1").arg(localBookId));
    return query.next() ? query.value(0).toInt() : -1;
}
