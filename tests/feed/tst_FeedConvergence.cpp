// Two machines of one author against one platform, used in turns: each adds,
// edits, recycles, restores and deletes chapters and memos at random while the
// platform now and then fails a request. Once the faults stop and both have
// synchronised twice, both local stores and the platform hold the same
// chapters (with their text) and memos, and no change either made is missing.
//
// Bounded and seeded; TESSANE_CONVERGENCE_STEPS asks for more turns.

#include "FeedFixture.h"

#include "db/CTessaneDb.h"
#include "db/records/T_Book.h"
#include "db/records/T_Memo.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "manager/CSynDataManager.h"
#include "manager/CUiManager.h"
#include "remote/records/ChapterRecords.h"
#include "remote/records/MemoRecords.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonObject>
#include <QMap>
#include <QRandomGenerator>
#include <QSet>
#include <QSqlQuery>
#include <QTest>

#include <functional>
#include <memory>

namespace {
constexpr int kDefaultTurns = 16;

int now()
{
    return int(QDateTime::currentSecsSinceEpoch());
}

// Waits until neither the client nor the platform has anything going on.
bool settle(int timeoutMs = 30000)
{
    QElapsedTimer clock;
    clock.start();
    int seen = -1;
    QElapsedTimer still;
    still.start();
    while (clock.elapsed() < timeoutMs) {
        const int size = standin().journal().size();
        const bool idle = CUiManager::instance()->syncRunning() == 0 && !CSynDataManager::instance()->isRunning();
        if (size != seen || !idle) {
            seen = size;
            still.restart();
        } else if (still.elapsed() > 600) {
            return true;
        }
        QTest::qWait(50);
    }
    return false;
}

// Chapter server id -> "status|text" of one side.
using Chapters = QMap<int, QString>;
using Memos = QMap<int, QString>;

// Rows as (server id, local id, value); rows without a server id go under
// the negative local id so that a difference shows them.
QMap<int, QString> localRows(const QString& sql)
{
    QMap<int, QString> out;
    QSqlQuery query = CTessaneDb::instance()->newQuery();
    if (query.exec(sql))
        while (query.next())
            out.insert(query.value(0).toInt() > 0 ? query.value(0).toInt() : -query.value(1).toInt(),
                       query.value(2).toString());
    return out;
}

Chapters localChapters()
{
    return localRows(QStringLiteral("select chapterId, localId, (ifnull(status, 0) <> 0) || '|' || ifnull(content, '') "
                                    "from tb_chapter where bookId = 5001"));
}

Memos localMemos()
{
    return localRows(QStringLiteral("select memoId, localId, content from tb_memo"));
}

Chapters platformChapters(const QJsonObject& store)
{
    Chapters out;
    for (const QJsonValue& value : store.value(QStringLiteral("chapters")).toArray()) {
        const QJsonObject chapter = value.toObject();
        if (chapter.value(QStringLiteral("book_id")).toInt() == 5001)
            out.insert(chapter.value(QStringLiteral("chapter_id")).toInt(),
                       QStringLiteral("%1|%2").arg(chapter.value(QStringLiteral("status")).toInt() != 0 ? 1 : 0)
                           .arg(chapter.value(QStringLiteral("content")).toString()));
    }
    return out;
}

Memos platformMemos(const QJsonObject& store)
{
    Memos out;
    for (const QJsonValue& value : store.value(QStringLiteral("memos")).toArray())
        if (value.toObject().value(QStringLiteral("uid")).toInt() == StandinServer::demoUid())
            out.insert(value.toObject().value(QStringLiteral("id")).toInt(),
                       value.toObject().value(QStringLiteral("content")).toString());
    return out;
}

// What one side holds and the other does not, or holds otherwise.
QString differences(const QMap<int, QString>& local, const QMap<int, QString>& platform)
{
    QStringList out;
    for (auto it = local.constBegin(); it != local.constEnd(); ++it) {
        if (!platform.contains(it.key()))
            out << QStringLiteral("%1 only here: %2").arg(it.key()).arg(it.value());
        else if (platform.value(it.key()) != it.value())
            out << QStringLiteral("%1 here %2, platform %3").arg(it.key()).arg(it.value(), platform.value(it.key()));
    }
    for (auto it = platform.constBegin(); it != platform.constEnd(); ++it) {
        if (!local.contains(it.key()))
            out << QStringLiteral("%1 only on the platform: %2").arg(it.key()).arg(it.value());
    }
    return out.join(QStringLiteral("; "));
}

// One machine: its data folder, its uniquecode, and what its author did
// there (by local id): the text each own chapter and memo must end with.
struct Machine
{
    std::unique_ptr<JobsFixture> fixture;
    QString name;
    QMap<int, QString> chapterText;  // local chapter id -> last text written
    QMap<int, bool> chapterRecycled;
    QSet<int> chaptersDeleted;
    QMap<int, QString> memoText;     // local memo id -> last text written
    QSet<int> memosDeleted;
    int counter = 0;
};

T_Book* demoBook()
{
    return CPublicManager::instance()->findBookByBookId(5001);
}

void fillChapterHeader(T_Http_Custom& header, const T_Book* book, const T_Chapter* chapter)
{
    header.localBookId = book->localId;
    header.bookId = book->bookId;
    header.localChapterId = chapter->localId;
    header.chapterId = chapter->chapterId;
    header.localVolumeId = chapter->localVolumeId;
    header.volumeId = chapter->volumeId;
}

template <class Map>
int pick(QRandomGenerator& random, const Map& map, const std::function<bool(int)>& usable)
{
    QList<int> keys;
    for (auto it = map.constBegin(); it != map.constEnd(); ++it) {
        if (usable(it.key()))
            keys.append(it.key());
    }
    return keys.isEmpty() ? 0 : keys.at(random.bounded(keys.size()));
}

// One change as the author makes it; false when the client refused it.
bool act(Machine& m, QRandomGenerator& random)
{
    CJobManager* jobs = CJobManager::instance();
    T_Book* book = demoBook();
    if (book == nullptr || book->volumeList.isEmpty())
        return true;
    const int choice = random.bounded(10);
    const QString text = QStringLiteral("%1的字 %2").arg(m.name).arg(++m.counter);
    if (choice < 2) {
        const T_Volume* volume = book->volumeList.first();
        TC_Chapter_Add request(book->localId, book->bookId, volume->localId, volume->volumeId, now(),
                               book->chapterList.size() + 1, QStringLiteral("%1章%2").arg(m.name).arg(m.counter));
        if (!jobs->chapter_add(request))
            return false;
        m.chapterText.insert(request.header.localChapterId, QString());
        m.chapterRecycled.insert(request.header.localChapterId, false);
        return true;
    }
    if (choice < 5) {
        const int localId = pick(random, m.chapterText, [&](int id) {
            return !m.chaptersDeleted.contains(id) && !m.chapterRecycled.value(id) && book->findChapterByLocalId(id);
        });
        if (localId == 0)
            return true;
        TC_Chapter_Edit_Content request;
        fillChapterHeader(request.header, book, book->findChapterByLocalId(localId));
        request.content = text;
        request.updateTime = now();
        request.isSendToSrv = true;
        if (!jobs->chapter_edit_content(request))
            return false;
        m.chapterText[localId] = text;
        return true;
    }
    if (choice <= 7) {
        // 5 recycles; 6 restores and 7 deletes for good what is in the bin.
        const bool inBin = choice != 5;
        const int localId = pick(random, m.chapterText, [&](int id) {
            return !m.chaptersDeleted.contains(id) && m.chapterRecycled.value(id) == inBin;
        });
        const T_Chapter* chapter = localId ? book->findChapterByLocalId(localId) : nullptr;
        if (chapter == nullptr)
            return true;
        if (choice == 7) {
            TC_Chapter_Delete request;
            fillChapterHeader(request.header, book, chapter);
            request.updateTime = now();
            m.chaptersDeleted.insert(localId);
            return jobs->chapter_delete(request);
        }
        TC_Chapter_Recycle request;
        fillChapterHeader(request.header, book, chapter);
        request.status = inBin ? 1 : 0;
        request.updateTime = now();
        m.chapterRecycled[localId] = !inBin;
        return jobs->chapter_recycle(request);
    }
    const int memoId = pick(random, m.memoText, [&](int id) { return !m.memosDeleted.contains(id); });
    if (choice == 8 || memoId == 0) {
        TC_Memo_Add request;
        request.content = text;
        request.color = QStringLiteral("#FFF3B0");
        request.updateTime = now();
        if (!jobs->memoAdd(request))
            return false;
        m.memoText.insert(request.header.localMemoId, text);
        return true;
    }
    const T_Memo* memo = CPublicManager::instance()->findMemoByLocalId(memoId);
    if (memo == nullptr)
        return true;
    if (random.bounded(4) == 0) {
        TC_Memo_Del request;
        request.header.localMemoId = memo->localId;
        request.header.memoId = memo->memoId;
        request.updateTime = now();
        if (!jobs->memoDel(request))
            return false;
        m.memosDeleted.insert(memoId);
        return true;
    }
    TC_Memo_Edit request;
    request.header.localMemoId = memo->localId;
    request.header.memoId = memo->memoId;
    request.content = text;
    request.updateTime = now();
    if (!jobs->memoEditContent(request))
        return false;
    m.memoText[memoId] = text;
    return true;
}
}

class FeedConvergenceTest : public QObject
{
    Q_OBJECT
private slots:
    void twoMachinesOfOneAuthorConverge();
};

void FeedConvergenceTest::twoMachinesOfOneAuthorConverge()
{
    const int turns = qEnvironmentVariableIsSet("TESSANE_CONVERGENCE_STEPS")
                          ? qMax(2, qEnvironmentVariableIntValue("TESSANE_CONVERGENCE_STEPS"))
                          : kDefaultTurns;
    QRandomGenerator random(20261207);
    Machine machines[2];
    machines[0].name = QStringLiteral("甲");
    machines[1].name = QStringLiteral("乙");
    for (int i = 0; i < 2; ++i) {
        machines[i].fixture = std::make_unique<JobsFixture>();
        QVERIFY(machines[i].fixture->seed());
        QSqlQuery code = CTessaneDb::instance()->newQuery();
        QVERIFY(code.exec(QStringLiteral("update tb_user set uniqueCode = 'machine%1000000000000000000000000';").arg(i)));
        CTessaneDb::instance()->close();
    }
    // Each machine starts empty and is brought the author's book.
    QVERIFY(standin().setDeviceWelcome(true));
    const QStringList faults{QStringLiteral("http500"), QStringLiteral("drop"), QStringLiteral("code500")};

    for (int turn = 0; turn < turns; ++turn) {
        Machine& m = machines[turn % 2];
        QVERIFY(m.fixture->restart());
        QVERIFY2(settle(), qPrintable(QStringLiteral("turn %1 did not settle after the start").arg(turn)));
        if (turn >= 2 && random.bounded(3) == 0)
            QVERIFY(standin().addFault(QStringLiteral("*"), faults.at(random.bounded(faults.size())), 0,
                                       1 + random.bounded(2)));
        const int changes = 1 + random.bounded(4);
        for (int i = 0; i < changes; ++i)
            QVERIFY2(act(m, random), qPrintable(QStringLiteral("turn %1: a change was refused").arg(turn)));
        QVERIFY2(settle(), qPrintable(QStringLiteral("turn %1 did not settle after the changes").arg(turn)));
    }

    // The faults stop; each machine synchronises twice.
    QVERIFY(standin().clearFaults());
    for (int round = 0; round < 2; ++round) {
        for (Machine& m : machines) {
            QVERIFY(m.fixture->restart());
            QVERIFY(settle());
            CJobManager::instance()->synNow(false);
            QVERIFY(settle());
        }
    }

    const QJsonObject store = standin().store();
    const Chapters platform = platformChapters(store);
    const Memos platformMemoTexts = platformMemos(store);
    for (Machine& m : machines) {
        QVERIFY(m.fixture->restart());
        QVERIFY(settle());
        QVERIFY2(m.fixture->jobIds().isEmpty(), qPrintable(m.name));
        const QString chapterDiff = differences(localChapters(), platform);
        QVERIFY2(chapterDiff.isEmpty(), qPrintable(m.name + QStringLiteral(" chapters: ") + chapterDiff));
        const QString memoDiff = differences(localMemos(), platformMemoTexts);
        QVERIFY2(memoDiff.isEmpty(), qPrintable(m.name + QStringLiteral(" memos: ") + memoDiff));
        // Every change this machine's author made is there.
        const T_Book* book = demoBook();
        QVERIFY(book != nullptr);
        for (auto it = m.chapterText.constBegin(); it != m.chapterText.constEnd(); ++it) {
            if (m.chaptersDeleted.contains(it.key())) {
                QVERIFY(book->findChapterByLocalId(it.key()) == nullptr);
                continue;
            }
            const T_Chapter* chapter = book->findChapterByLocalId(it.key());
            QVERIFY2(chapter && chapter->chapterId > 0, qPrintable(m.name));
            QCOMPARE(platform.value(chapter->chapterId),
                     QStringLiteral("%1|%2").arg(m.chapterRecycled.value(it.key()) ? 0 : 1).arg(it.value()));
        }
        for (auto it = m.memoText.constBegin(); it != m.memoText.constEnd(); ++it) {
            const T_Memo* memo = CPublicManager::instance()->findMemoByLocalId(it.key());
            if (m.memosDeleted.contains(it.key())) {
                QVERIFY(memo == nullptr);
                continue;
            }
            QVERIFY2(memo && memo->memoId > 0, qPrintable(m.name));
            QCOMPARE(platformMemoTexts.value(memo->memoId), it.value());
        }
    }
}

int runFeedConvergenceTests(int argc, char** argv)
{
    FeedConvergenceTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_FeedConvergence.moc"
