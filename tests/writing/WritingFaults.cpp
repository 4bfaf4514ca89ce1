#include "WritingFaults.h"

#include "db/CTessaneDb.h"
#include "manager/TextRecovery.h"

#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QVariant>

#include <csignal>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/statvfs.h>

namespace {
bool run(const QString& statement)
{
    QSqlQuery query = CTessaneDb::instance()->newQuery();
    return query.exec(statement);
}

QString joined(const QString& statement)
{
    QSqlQuery query = CTessaneDb::instance()->newQuery();
    QString all;
    if (query.exec(statement))
        while (query.next())
            all += query.value(0).toString() + QLatin1Char('\n');
    return all;
}
}

WriteFault::WriteFault(const QString& table, const QString& operation)
    : m_name(QStringLiteral("fault_%1_%2").arg(table, operation.toLower()))
{
    m_armed = run(QStringLiteral("CREATE TRIGGER %1 BEFORE %2 ON %3 BEGIN SELECT RAISE(ABORT, 'disk says no'); END;")
                      .arg(m_name, operation, table));
}

WriteFault::~WriteFault()
{
    drop();
}

void WriteFault::drop()
{
    if (m_armed)
        run(QStringLiteral("DROP TRIGGER IF EXISTS %1;").arg(m_name));
    m_armed = false;
}

namespace {
rlimit g_sizeLimit{};
}

FullRecoveryDisk::FullRecoveryDisk()
    : m_folder(TextRecovery::folder())
{
    m_mounted = ::mount("tmpfs", QFile::encodeName(m_folder).constData(), "tmpfs", 0, "size=8k,mode=0700") == 0;
    if (m_mounted) {
        QFile filler(m_folder + QStringLiteral("/filler"));
        if (filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            filler.write(QByteArray(64 * 1024, 'x'));
        struct statvfs space {};
        m_ok = ::statvfs(QFile::encodeName(m_folder).constData(), &space) == 0 && space.f_bavail == 0;
        return;
    }
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit tiny{};
    m_limited = getrlimit(RLIMIT_FSIZE, &g_sizeLimit) == 0;
    tiny = g_sizeLimit;
    tiny.rlim_cur = 1;
    m_ok = m_limited && setrlimit(RLIMIT_FSIZE, &tiny) == 0;
}

FullRecoveryDisk::~FullRecoveryDisk()
{
    spareOtherFolders();
    if (m_mounted)
        ::umount2(QFile::encodeName(m_folder).constData(), MNT_DETACH);
}

void FullRecoveryDisk::spareOtherFolders()
{
    if (m_limited)
        setrlimit(RLIMIT_FSIZE, &g_sizeLimit);
    m_limited = false;
}

QString allLocalTexts()
{
    return joined(QStringLiteral("select content from tb_chapter"))
        + joined(QStringLiteral("select content from tb_job"))
        + joined(QStringLiteral("select content from tb_contentblade"));
}

QString recoveredTexts()
{
    QString all;
    QDir dir(TextRecovery::folder());
    for (const QString& name : dir.entryList({QStringLiteral("*.txt")}, QDir::Files)) {
        QFile file(dir.filePath(name));
        if (file.open(QIODevice::ReadOnly))
            all += QString::fromUtf8(file.readAll());
    }
    return all;
}

void removeRecoveredFiles()
{
    QDir dir(TextRecovery::folder());
    for (const QString& name : dir.entryList(QDir::Files))
        dir.remove(name);
}
