// Where a chapter's text lies while the database keeps the layout of an
// earlier version, each text in its chapter's row.
//
// The start moves the texts to a table of their own. A move that cannot
// finish (a disk without room for its log) leaves them in the rows, and
// until a later start moves them a text is read where it is: from the new
// table once anything was written there, else from its row. Writers always
// write the new table, and the move never overwrites a text found there, so
// words written in between are kept.

#include "CTessaneDb.h"

#include "CTessaneDbTransaction.h"

#include <QDebug>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <QVersionNumber>

QString CTessaneDb::chapterTextColumn(bool rowsHoldTexts)
{
    // A row of the new table, even one without text, was written after the
    // row's own text: it is the newer one.
    return rowsHoldTexts ? QStringLiteral("case when t.localId is null then c.content else t.content end")
                         : QStringLiteral("t.content");
}

bool CTessaneDb::rowsHoldTexts(QSqlQuery& query)
{
    if (!query.exec(QStringLiteral("select count(*) from pragma_table_info('tb_chapter') where name = 'content';"))
        || !query.next())
        return false;
    const bool holds = query.value(0).toInt() > 0;
    query.finish();
    return holds;
}

bool CTessaneDb::moveChapterTextsOut()
{
    // They move in one transaction: a start cut short, or a disk without
    // room for the move, leaves them where they were for the next start.
    QElapsedTimer took;
    took.start();
    Transaction transaction(*this);
    if (!transaction.began())
        return false;
    if (!exec(QStringLiteral("insert or ignore into tb_chapter_text(localId,content) "
                             "select localId,content from tb_chapter where content is not null;")))
        return false;
    // Without the column no build can put a text there again; SQLite older
    // than 3.35 cannot drop one, and the texts are emptied instead.
    QSqlQuery query(db);
    const bool canDrop = sqlExec(query, QStringLiteral("select sqlite_version();")) && query.next()
                         && QVersionNumber::fromString(query.value(0).toString()) >= QVersionNumber(3, 35);
    query.finish();
    if (!exec(canDrop ? QStringLiteral("ALTER TABLE tb_chapter DROP COLUMN content;")
                      : QStringLiteral("update tb_chapter set content = null where content is not null;")))
        return false;
    if (!transaction.commit())
        return false;
    qInfo() << "chapter texts moved to a table of their own in" << took.elapsed() << "ms";
    return true;
}

void CTessaneDb::leaveTextsInRows()
{
    m_textsInRows = true;
    m_untoldUpgradeFault = m_lastFault == DbFault::None ? DbFault::Other : m_lastFault;
    qWarning().noquote() << "chapter texts stay in the chapters' rows until a later start moves them:" << lastError;
}

DbFault CTessaneDb::takeUnfinishedUpgrade()
{
    const DbFault fault = m_untoldUpgradeFault;
    m_untoldUpgradeFault = DbFault::None;
    return fault;
}
