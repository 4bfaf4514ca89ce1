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

FullRecoveryDisk::FullRecoveryDisk(Reach reach)
    : m_folder(TextRecovery::folder())
{
    m_mounted = reach == RecoveryFolder && ::mount("tmpfs", QFile::encodeName(m_folder).constData(), "tmpfs", 0, "size=8k") == 0;
    QFile filler(m_folder + QStringLiteral("/filler"));
    rlimit tiny{};
    if (m_mounted)
        m_ok = filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered) && filler.write(QByteArray(65536, 'x')) < 65536;
    else if ((m_limited = getrlimit(RLIMIT_FSIZE, &m_sizeLimit) == 0 && std::signal(SIGXFSZ, SIG_IGN) != SIG_ERR))
        m_ok = (tiny = m_sizeLimit, tiny.rlim_cur = 1, setrlimit(RLIMIT_FSIZE, &tiny) == 0);
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
        setrlimit(RLIMIT_FSIZE, &m_sizeLimit);
    m_limited = false;
}

QString allLocalTexts()
{
    return joined(QStringLiteral("select content from tb_chapter_text"))
        + joined(QStringLiteral("select content from tb_job"))
        + joined(QStringLiteral("select content from tb_contentblade"));
}

QString recoveredTexts(const QString& folder)
{
    QString all;
    QDir dir(folder.isEmpty() ? TextRecovery::folder() : folder);
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
