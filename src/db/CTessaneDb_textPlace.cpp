// Where a chapter's text lies while the database keeps parts of the layout
// of an earlier version, which kept each text in its chapter's row.
//
// The start moves the texts in two steps of one transaction each. First the
// rows leave their texts behind: the old chapter table, texts and all, is
// set aside under another name, and the chapter table is made anew from its
// other columns. That needs room for the rows, none for the texts. Then the
// texts go to a table of their own and the old table goes.
//
// SQLite writes a row whole, text included, whenever one of its columns
// changes size: while the texts were in the rows, the ids the platform's
// first answers bring for a book would write all its texts again. A disk
// without room for the second step therefore leaves the texts in the old
// table, which nothing but the move writes, and the rows the program
// changes meanwhile are small ones. Only a disk without room even for the
// first step leaves them in the rows, and then the author is not told that
// writing can go on.
//
// Until a later start moves them a text is read where it is: from the new
// table once anything was written there, else from the old table or its
// row. Writers always write the new table, and the move never overwrites a
// text found there, so words written in between are kept.

#include "CTessaneDb.h"

#include "CTessaneDbTransaction.h"
#include "db/SqlScript.h"

#include <QDebug>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSqlQuery>

namespace {
// The earlier version's chapter table once its rows have left it.
const char kOldChapterTable[] = "tb_chapter_old";
}

QString CTessaneDb::chapterTextColumn(TextPlace place)
{
    // A row of the new table, even one without text, was written after the
    // old one: it is the newer one.
    switch (place) {
    case TextPlace::Rows:
        return QStringLiteral("case when t.localId is null then c.content else t.content end");
    case TextPlace::Aside:
        return QStringLiteral("case when t.localId is null then (select o.content from %1 o where "
                              "o.localId = c.localId) else t.content end")
            .arg(QLatin1String(kOldChapterTable));
    case TextPlace::Moved:
        break;
    }
    return QStringLiteral("t.content");
}

CTessaneDb::TextPlace CTessaneDb::textPlace(QSqlQuery& query)
{
    if (!query.exec(QStringLiteral("select (select count(*) from pragma_table_info('tb_chapter') where name = "
                                   "'content'),(select count(*) from sqlite_master where type = 'table' and name = '%1');")
                        .arg(QLatin1String(kOldChapterTable)))
        || !query.next())
        return TextPlace::Moved;
    const TextPlace place = query.value(0).toInt() > 0 ? TextPlace::Rows
                            : query.value(1).toInt() > 0 ? TextPlace::Aside
                                                         : TextPlace::Moved;
    query.finish();
    return place;
}

bool CTessaneDb::setRowsApartFromTexts()
{
    // The chapter table as this version makes it.
    static const QRegularExpression chapterTable(
        QStringLiteral("^CREATE\\s+TABLE\\s+\"?tb_chapter\"?\\s*\\("), QRegularExpression::CaseInsensitiveOption);
    QString definition;
    for (const QString& statement : splitSqlScript(creationScript())) {
        if (chapterTable.match(statement).hasMatch())
            definition = statement;
    }
    if (definition.isEmpty()) {
        lastError = QStringLiteral("the creation script holds no chapter table");
        m_lastFault = DbFault::Other;
        return false;
    }
    const QString old = QString::fromLatin1(kOldChapterTable);
    Transaction transaction(*this);
    if (!transaction.began())
        return false;
    // Indexes and triggers keep their names: they go with the old table and
    // are made again on the new one.
    QSqlQuery query(db);
    if (!sqlExec(query, QStringLiteral("select type,name,sql from sqlite_master where tbl_name = 'tb_chapter' "
                                       "and type in ('index','trigger') and sql is not null;")))
        return false;
    QStringList dropped;
    QStringList remade;
    while (query.next()) {
        dropped.append(sqlFormat(QStringLiteral("DROP %1 %2;"), {SqlArg::name(query.value(0).toString().toUpper()),
                                                                  SqlArg::name(query.value(1).toString())}));
        remade.append(query.value(2).toString());
    }
    query.finish();
    for (const QString& statement : qAsConst(dropped)) {
        if (!exec(statement))
            return false;
    }
    if (!exec(QStringLiteral("ALTER TABLE tb_chapter RENAME TO %1;"), {SqlArg::name(old)}) || !exec(definition))
        return false;
    QStringList columns;
    if (!sqlExec(query, sqlFormat(QStringLiteral("select name from pragma_table_info('tb_chapter') where name in "
                                                 "(select name from pragma_table_info(%1));"),
                                  {old})))
        return false;
    while (query.next())
        columns.append(QLatin1Char('"') + query.value(0).toString() + QLatin1Char('"'));
    query.finish();
    // New chapters go on from the old table's last id, never taking the id
    // of one deleted before.
    const QString list = columns.join(QLatin1Char(','));
    if (!exec(QStringLiteral("delete from sqlite_sequence where name = 'tb_chapter';"))
        || !exec(QStringLiteral("insert into sqlite_sequence(name,seq) select 'tb_chapter',seq from sqlite_sequence "
                                "where name = %1;"),
                 {old})
        || !exec(QStringLiteral("insert into tb_chapter(") + list + QStringLiteral(") select ") + list
                 + QStringLiteral(" from %1;"),
                 {SqlArg::name(old)}))
        return false;
    // The old rows stay as they are, also those of chapters deleted before
    // the move: with secure delete on (the system's SQLite has it on by
    // default) a deleted text is overwritten, which takes as much room as
    // the text again.
    for (const QString& statement : qAsConst(remade)) {
        if (!exec(statement))
            return false;
    }
    return transaction.commit();
}

bool CTessaneDb::moveChapterTextsOut()
{
    // One transaction: a start cut short, or a disk without room for the
    // texts, leaves them in the old table for the next start.
    QElapsedTimer took;
    took.start();
    Transaction transaction(*this);
    if (!transaction.began())
        return false;
    const SqlArg old = SqlArg::name(QString::fromLatin1(kOldChapterTable));
    if (!exec(QStringLiteral("insert or ignore into tb_chapter_text(localId,content) select o.localId,o.content "
                             "from %1 o where o.content is not null and o.localId in (select localId from tb_chapter);"),
              {old})
        || !exec(QStringLiteral("DROP TABLE %1;"), {old}) || !transaction.commit())
        return false;
    qInfo() << "chapter texts moved to a table of their own in" << took.elapsed() << "ms";
    return true;
}

void CTessaneDb::leaveTexts(TextPlace place)
{
    m_textPlace = place;
    m_untoldUpgradeFault = m_lastFault == DbFault::None ? DbFault::Other : m_lastFault;
    qWarning().noquote() << (place == TextPlace::Rows ? "chapter texts stay in the chapters' rows"
                                                      : "chapter texts stay in the chapter table of the earlier layout")
                         << "until a later start moves them:" << lastError;
}

DbFault CTessaneDb::takeUnfinishedUpgrade()
{
    const DbFault fault = m_untoldUpgradeFault;
    m_untoldUpgradeFault = DbFault::None;
    return fault;
}
