// The installation-wide row of tb_sys and the four shared data sets
// (categories, sensitive words, name lists, levels) with their versions.

#include "CTessaneDb.h"

#include "CTessaneDbTransaction.h"
#include "common/Utility.h"
#include "db/DbRowHelpers.h"
#include "db/records/T_Level.h"
#include "db/records/T_SysInfo.h"
#include "manager/SensitiveWordMatcher.h"
#include "remote/records/AccountRecords.h"
#include "remote/records/SystemRecords.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>

namespace {

int jsonInt(const QJsonObject& object, const char* key)
{
    // The platform sends ids and scores as numbers or as digit texts.
    return object.value(QLatin1String(key)).toVariant().toInt();
}

QString jsonText(const QJsonObject& object, const char* key)
{
    return object.value(QLatin1String(key)).toVariant().toString();
}

// The first top slot of the list whose cateId is still free, or null.
T_Books_CateItem* nextFreeSlot(QVector<T_Books_CateItem>& items)
{
    for (T_Books_CateItem& item : items) {
        if (item.cate_id < 1)
            return &item;
    }
    return nullptr;
}

} // namespace

bool CTessaneDb::getSysData(TS_Author_Info& user, TS_SynchronizaTion_SynData& synData,
                            T_SysInfo& sysInfo)
{
    QSqlQuery query(db);
    if (!sqlExec(query, QStringLiteral("select lastUid,lastLoginTime,cateVersion,sensitiveVersion,"
                                       "peopleNameVersion,levelVersion,maleCateCount,"
                                       "femaleCateCount,updateType,updateChannel,updateVersion,"
                                       "updateVersionName,isFirstRun,userGuide from tb_sys "
                                       "limit 1;"))) {
        const QSqlError error = query.lastError();
        qWarning().noquote() << QString::number(error.type()) + QStringLiteral("  ==  ")
                                    + error.text();
        return false;
    }
    if (!query.next())
        return true;
    user.uid = query.value(0).toInt();
    sysInfo.lastLoginTime = query.value(1).toInt();
    synData.cateVersion = query.value(2).toInt();
    synData.sensitiveVersion = query.value(3).toInt();
    synData.peopleNameDataVersion = query.value(4).toInt();
    synData.levelVersion = query.value(5).toInt();
    sysInfo.maleCateCount = query.value(6).toInt();
    sysInfo.femaleCateCount = query.value(7).toInt();
    sysInfo.updateType = query.value(8).toString();
    sysInfo.updateChannel = query.value(9).toString();
    sysInfo.updateVersion = query.value(10).toInt();
    sysInfo.updateVersionName = query.value(11).toString();
    sysInfo.isFirstRun = query.value(12).toInt() == 1;
    sysInfo.userGuide = query.value(13).toInt();
    return true;
}

// --- categories ---

bool CTessaneDb::getCateList(TS_Books_Cate& cate)
{
    for (TS_Books_CateList* list : {&cate.male, &cate.female}) {
        if (list->count < 0)
            return false;
        list->items = QVector<T_Books_CateItem>(list->count);
    }
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!sqlExec(query, QStringLiteral("select cateId,fId,cateName,channelType,childCount from "
                                       "tb_cate order by cateId,fId asc")))
        return false;
    int dropped = 0;
    while (query.next()) {
        const int cateId = query.value(0).toInt();
        const int fId = query.value(1).toInt();
        const QString name = query.value(2).toString();
        const int channel = query.value(3).toInt();
        const int childCount = qMax(0, query.value(4).toInt());

        TS_Books_CateList* topList = fId == 1 ? &cate.male : fId == 2 ? &cate.female : nullptr;
        if (T_Books_CateItem* slot = topList ? nextFreeSlot(topList->items) : nullptr) {
            slot->cate_id = cateId;
            slot->parentId = fId;
            slot->cate_name = name;
            slot->channel = channel;
            slot->childCount = childCount;
            slot->children = QVector<T_Books_CateItem>(childCount);
            continue;
        }
        // A child: under the first top category of its channel with its fId.
        TS_Books_CateList* list = channel == 1 ? &cate.male : channel == 2 ? &cate.female : nullptr;
        T_Books_CateItem* parent = nullptr;
        if (list) {
            for (T_Books_CateItem& item : list->items) {
                if (item.cate_id >= 1 && item.cate_id == fId) {
                    parent = &item;
                    break;
                }
            }
        }
        T_Books_CateItem* child = parent ? nextFreeSlot(parent->children) : nullptr;
        if (!child) {
            ++dropped;
            continue;
        }
        child->cate_id = cateId;
        child->parentId = fId;
        child->cate_name = name;
        child->channel = channel;
    }
    if (dropped > 0)
        qDebug() << dropped << "category rows fit nowhere in the tree and were left out";
    return true;
}

int CTessaneDb::insertCate(const TS_Books_CateList& list)
{
    // A row the table refuses (a repeated id from the platform) is left out
    // with its children; the rest of the tree is stored. A failed statement
    // does not end the transaction.
    int stored = 0;
    for (const T_Books_CateItem& item : list.items) {
        if (!execRow(QStringLiteral("insert into tb_cate(cateId,fId,cateName,channelType,childCount) "
                                 "values(%1,%2,%3,%4,%5);"),
                  {item.cate_id, item.parentId, item.cate_name, item.channel, item.childCount})) {
            qWarning() << "category" << item.cate_id << item.cate_name << "not stored and left out:" << lastError;
            continue;
        }
        ++stored;
        const int children = qMin(qMax(0, item.childCount), item.children.size());
        int storedChildren = 0;
        for (int i = 0; i < children; ++i) {
            const T_Books_CateItem& child = item.children.at(i);
            if (!execRow(QStringLiteral("insert into tb_cate(cateId,fId,cateName,channelType) "
                                     "values(%1,%2,%3,%4);"),
                      {child.cate_id, child.parentId, child.cate_name, child.channel})) {
                qWarning() << "category" << child.cate_id << child.cate_name << "not stored and left out:"
                           << lastError;
                continue;
            }
            ++storedChildren;
        }
        // The reader makes one slot per counted child.
        if (storedChildren != item.childCount
            && !exec(QStringLiteral("update tb_cate set childCount = %1 where cateId = %2;"),
                     {storedChildren, item.cate_id}))
            qWarning() << "child count of category" << item.cate_id << "not corrected";
    }
    return stored;
}

bool CTessaneDb::saveCateList(const TS_Books_Cate& cate)
{
    Transaction transaction(*this);
    if (!transaction.began())
        return false;
    if (!exec(QStringLiteral("delete from tb_cate;")))
        return false;
    const int male = insertCate(cate.male);
    const int female = insertCate(cate.female);
    // Nothing stored of a set that had rows is no bad row but a store that
    // refuses every write: the old set and version stay.
    if (male + female == 0 && !(cate.male.items.isEmpty() && cate.female.items.isEmpty()))
        return false;
    // The counts stored are the top categories actually stored: the reader
    // makes one slot per count.
    return exec(QStringLiteral("update tb_sys set cateVersion = %1,maleCateCount = %2,femaleCateCount = %3;"),
                {cate.version, male, female})
           && transaction.commit();
}

// --- sensitive words ---

bool CTessaneDb::getSensitiveWords(int uid, SensitiveWordMatcher& matcher)
{
    QSqlQuery query(db);
    if (!sqlExec(query, QStringLiteral("select words from tb_sensitive_words where type = 1 "
                                       "limit 1;")))
        return false;
    matcher.setWords(query.next() ? query.value(0).toString() : QString());
    query.finish();
    if (!sqlExec(query, sqlFormat(QStringLiteral("select words from tb_sensitive_words where "
                                                 "type = 2 and uid = %1 limit 1;"),
                                  {uid})))
        return false;
    matcher.setCustomWords(query.next() ? query.value(0).toString() : QString());
    return true;
}

bool CTessaneDb::updateSensitiveWords(int uid, const TS_Sensitive_Get& reply)
{
    return updateSensitiveWords(uid, reply.sensitive_type, reply.sensitiveWords, reply.version);
}

bool CTessaneDb::updateSensitiveWords(int uid, int type, const QString& words, int version)
{
    if (type == 2)
        return execRowUpdate(*this,
                             sqlBind(QStringLiteral("update tb_sensitive_words set words = %1 "
                                                    "where type = 2 and uid = %2"),
                                     {words, uid}),
                             "own sensitive-word list of user", uid);
    if (type != 1)
        return false;
    Transaction transaction(*this);
    if (!transaction.began())
        return false;
    const bool ok =
        exec(QStringLiteral("delete from tb_sensitive_words where type = 1;"))
        && exec(QStringLiteral("insert into tb_sensitive_words(type,words) values(1,%1)"), {words})
        && exec(QStringLiteral("update tb_sys set sensitiveVersion = %1"), {version});
    return ok && transaction.commit();
}

// --- name lists ---

void CTessaneDb::getPeopleNames(int type, QStringList& names)
{
    if (type < 1 || type > 20)
        return;
    names.clear();
    QSqlQuery query(db);
    if (!sqlExec(query, sqlFormat(QStringLiteral("select name from tb_people where type = %1;"),
                                  {type})))
        return;
    while (query.next())
        names = query.value(0).toString().split(QLatin1Char(','));
}

bool CTessaneDb::getAllPeopleNames(TS_Sensitive_NameData& names)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!sqlExec(query, QStringLiteral("select type,name from tb_people order by id asc")))
        return false;
    while (query.next())
        names.lists[query.value(0).toInt()] = query.value(1).toString().split(QLatin1Char(','));
    return true;
}

bool CTessaneDb::savePeopleNames(const TS_Sensitive_NameData& names)
{
    Transaction transaction(*this);
    if (!transaction.began())
        return false;
    if (!exec(QStringLiteral("delete from tb_people")))
        return false;
    for (auto it = names.texts.constBegin(); it != names.texts.constEnd(); ++it) {
        if (!exec(QStringLiteral("insert into tb_people(type,name) values(%1,%2)"),
                  {it.key(), it.value()}))
            return false;
    }
    if (!exec(QStringLiteral("update tb_sys set peopleNameVersion = %1;"), {names.version}))
        return false;
    return transaction.commit();
}

bool CTessaneDb::refreshSeededNameLists()
{
    // The version of the platform's lists that the script's seed rows stand
    // for (its tb_sys row). Lists of a later version came from the platform
    // and are its own to mend.
    constexpr int kSeededVersion = 1;
    QSqlQuery query(db);
    if (!sqlExec(query, QStringLiteral("select peopleNameVersion from tb_sys limit 1;")) || !query.next())
        return false;
    if (query.value(0).toInt() > kSeededVersion)
        return true;
    QMap<int, QString> stored;
    if (!sqlExec(query, QStringLiteral("select type,name from tb_people;")))
        return false;
    while (query.next())
        stored.insert(query.value(0).toInt(), query.value(1).toString());
    query.finish();

    static const QRegularExpression seedRow(
        QStringLiteral("^INSERT INTO \"main\"\\.\"tb_people\" VALUES \\((\\d+), (\\d+), '((?:[^']++|'')*+)'\\);"),
        QRegularExpression::MultilineOption);
    const auto names = [](const QRegularExpressionMatch& row) {
        return row.captured(3).replace(QStringLiteral("''"), QStringLiteral("'"));
    };
    QList<QRegularExpressionMatch> changed;
    QRegularExpressionMatchIterator it = seedRow.globalMatch(creationScript());
    while (it.hasNext()) {
        const QRegularExpressionMatch row = it.next();
        if (stored.value(row.captured(2).toInt()) != names(row))
            changed << row;
    }
    if (changed.isEmpty())
        return true;
    Transaction transaction(*this);
    if (!transaction.began())
        return false;
    for (const QRegularExpressionMatch& row : changed) {
        if (!exec(QStringLiteral("insert or replace into tb_people(id,type,name) values(%1,%2,%3)"),
                  {row.captured(1).toInt(), row.captured(2).toInt(), names(row)}))
            return false;
    }
    qInfo() << changed.size() << "seeded name lists replaced by the program's";
    return transaction.commit();
}

// --- levels ---

bool CTessaneDb::getLevelList(QMap<int, T_Level*>& levels)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!sqlExec(query, QStringLiteral("select id,name,score,img,photo_frame,small_img,"
                                       "small_photo_frame,small_medal from tb_level order by "
                                       "id asc")))
        return false;
    const QString folder = appDirPath() + QStringLiteral("/data/game/");
    while (query.next()) {
        auto* level = new T_Level;
        level->id = query.value(0).toInt();
        level->name = query.value(1).toString();
        level->score = query.value(2).toInt();
        level->img = folder + query.value(3).toString();
        level->photo_frame = folder + query.value(4).toString();
        level->small_img = folder + query.value(5).toString();
        level->small_photo_frame = folder + query.value(6).toString();
        level->small_medal = folder + query.value(7).toString();
        // A repeated id would otherwise leak the record it replaces.
        delete levels.value(level->id, nullptr);
        levels.insert(level->id, level);
    }
    return true;
}

bool CTessaneDb::insertLevel(const QJsonObject& level)
{
    if (!level.contains(QLatin1String("id")))
        return false;
    return execRow(QStringLiteral("insert into tb_level(id,name,score,img,photo_frame,small_img,"
                               "small_photo_frame,small_medal) values(%1,%2,%3,%4,%5,%6,%7,%8);"),
                {jsonInt(level, "id"), jsonText(level, "name"), jsonInt(level, "score"),
                 jsonText(level, "img"), jsonText(level, "photo_frame"),
                 jsonText(level, "small_img"), jsonText(level, "small_photo_frame"),
                 jsonText(level, "small_medal")});
}

bool CTessaneDb::saveLevelList(const TS_Level_AllData& data)
{
    Transaction transaction(*this);
    if (!transaction.began())
        return false;
    if (!exec(QStringLiteral("delete from tb_level")))
        return false;
    int stored = 0;
    for (const QJsonValue& value : data.data) {
        const QJsonObject level = value.toObject();
        if (!level.contains(QLatin1String("id"))) {
            qWarning() << "level without an id left out:" << level;
            continue;
        }
        // A row the table refuses (a repeated id) is left out; the rest and
        // the version are stored, so the set is not fetched at every start.
        if (!insertLevel(level)) {
            qWarning() << "level" << level.value(QLatin1String("id")) << "not stored and left out:" << lastError;
            continue;
        }
        ++stored;
    }
    if (stored == 0 && !data.data.isEmpty())
        return false;
    if (!exec(QStringLiteral("update tb_sys set levelVersion = %1"), {data.version}))
        return false;
    return transaction.commit();
}
