// Two machines of one author against one platform (two data folders, two
// machine codes): what the author arranges on one of them, the platform and
// the other machine show the same way once it has pulled the feed.

#include "BookOrder.h"
#include "FeedFixture.h"
#include "WhenShown.h"

#include "db/CTessaneDb.h"
#include "db/records/T_Book.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "outline/COutlineController.h"
#include "outline/COutlineModel.h"
#include "outline/COutlineSortModel.h"
#include "remote/records/ChapterRecords.h"
#include "ui/common/BkMessageBox.h"
#include "ui/creation/Widget_RecycleBin.h"
#include "volume/CBookChapterModel.h"
#include "volume/CBookChapterSortModel.h"
#include "volume/CBookVolumeController.h"
#include "volume/CBookVolumeModel.h"
#include "volume/CBookVolumeSortModel.h"

#include <QAction>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMenu>
#include <QPushButton>
#include <QSqlQuery>
#include <QTest>

#include <algorithm>
#include <functional>
#include <memory>

namespace {
constexpr int kBook = 5001;

CBookVolumeController* tree()
{
    return CBookVolumeController::instance();
}

T_Book* demoBook()
{
    return CPublicManager::instance()->findBookByBookId(kBook);
}

int now()
{
    return int(QDateTime::currentSecsSinceEpoch());
}

// Two empty machines of the demo author; the platform brings each the
// author's work on its first start.
bool makeMachine(std::unique_ptr<JobsFixture>& machine, int number)
{
    machine = std::make_unique<JobsFixture>();
    if (!machine->seed())
        return false;
    QSqlQuery code = CTessaneDb::instance()->newQuery();
    if (!code.exec(QStringLiteral("update tb_user set uniqueCode = 'machine%1000000000000000000000000';").arg(number)))
        return false;
    CTessaneDb::instance()->close();
    return true;
}

bool makeMachines(std::unique_ptr<JobsFixture> (&machines)[2])
{
    for (int i = 0; i < 2; ++i) {
        if (!makeMachine(machines[i], i))
            return false;
    }
    return standin().setDeviceWelcome(true);
}

// A program start on the machine: its queue sent, its feed pulled, and the
// book shown in the chapter tree and the outline panel.
T_Book* use(JobsFixture& machine)
{
    tree()->loadBook(nullptr);
    if (!machine.restart() || !waitUntilIdle())
        return nullptr;
    T_Book* book = demoBook();
    if (book != nullptr) {
        tree()->loadBook(book);
        COutlineController::instance()->getWidget();
        COutlineController::instance()->addAllItem(book);
    }
    return book;
}

int addVolume(const QString& name)
{
    return platformCall(QStringLiteral("/volume/addVolume"),
                        {{QStringLiteral("book_id"), kBook}, {QStringLiteral("volume_name"), name},
                         {QStringLiteral("update_time"), now()}})
        .value(QStringLiteral("volume_id"))
        .toInt();
}

int addChapter(int volumeId, const QString& name)
{
    return platformCall(QStringLiteral("/chapter/addChapter"),
                        {{QStringLiteral("book_id"), kBook}, {QStringLiteral("volume_id"), volumeId},
                         {QStringLiteral("chapter_name"), name}, {QStringLiteral("update_time"), now()}})
        .value(QStringLiteral("chapter_id"))
        .toInt();
}

int addOutline(const QString& title)
{
    return platformCall(QStringLiteral("/bookoutline/addOutline"),
                        {{QStringLiteral("book_id"), kBook}, {QStringLiteral("type"), 1},
                         {QStringLiteral("title"), title}, {QStringLiteral("content"), title},
                         {QStringLiteral("update_time"), now()}})
        .value(QStringLiteral("outline_id"))
        .toInt();
}

int localVolume(int volumeId)
{
    const T_Volume* volume = demoBook() ? demoBook()->findVolumeByVolumeId(volumeId) : nullptr;
    return volume ? volume->localId : -1;
}

int localChapter(int chapterId)
{
    const T_Chapter* chapter = demoBook() ? demoBook()->findChapterByChapterId(chapterId) : nullptr;
    return chapter ? chapter->localId : -1;
}

// Rows as the tree and the panel show them.
int volumeRow(int volumeId)
{
    const CBookVolumeSortModel* volumes = tree()->volumeSortModel();
    for (int row = 0; volumes && row < volumes->rowCount(); ++row) {
        if (volumes->index(row, 0).data(CBookVolumeModel::LocalIdRole).toInt() == localVolume(volumeId))
            return row;
    }
    return -1;
}

int chapterRow(int volumeId, int chapterId)
{
    const CBookChapterSortModel* list = tree()->volumeModel()->getChapterSortModelByLocalId(localVolume(volumeId));
    for (int row = 0; list && row < list->rowCount(); ++row) {
        if (list->index(row, 0).data(CBookChapterModel::LocalIdRole).toInt() == localChapter(chapterId))
            return row;
    }
    return -1;
}

int outlineRow(int outlineId)
{
    const COutlineSortModel* list = COutlineController::instance()->sortModel();
    for (int row = 0; list && row < list->rowCount(); ++row) {
        if (list->index(row, 0).data(COutlineModel::OutlineIdRole).toInt() == outlineId)
            return row;
    }
    return -1;
}

// The entry of the tree's context menu opened on a volume (chapterId 0) or
// a chapter; false when the menu does not offer it.
bool fromMenu(int volumeId, int chapterId, const QString& entry)
{
    const bool onVolume = chapterId == 0;
    whenShown<QMenu>([](QMenu* menu) { menu->close(); }, true);
    tree()->showMenu(onVolume ? 0 : 1, QPoint(10, 10), localVolume(volumeId), onVolume ? -1 : localChapter(chapterId));
    QMenu* menu = onVolume ? tree()->volumeMenu() : tree()->chapterMenu();
    for (QAction* action : menu->actions()) {
        if (action->text() == entry && action->isEnabled()) {
            action->trigger();
            return true;
        }
    }
    return false;
}

struct Move
{
    const char* what;
    std::function<bool()> make;
};

// Makes each move on the machine in use; after each, this machine's tables,
// its tree and the platform show one order, and the move changed it.
void makeMoves(JobsFixture& machine, const QList<Move>& moves)
{
    for (const Move& move : moves) {
        const QString before = storedOrder(kBook);
        QVERIFY2(move.make(), move.what);
        QVERIFY2(waitUntilIdle(), move.what);
        QTRY_VERIFY2_WITH_TIMEOUT(machine.jobIds().isEmpty(), move.what, 15000);
        const QString here = storedOrder(kBook);
        QVERIFY2(here != before, qPrintable(QStringLiteral("%1 moved nothing: %2").arg(move.what, here)));
        QCOMPARE(treeOrder(), here.section(QStringLiteral(" / "), 0, 0));
        QVERIFY2(here == platformOrder(standin().store(), kBook),
                 qPrintable(QStringLiteral("%1: here %2, platform %3")
                                .arg(move.what, here, platformOrder(standin().store(), kBook))));
    }
}

// The machine, started anew, shows the platform's order in its tables and
// its tree.
void showsThePlatformsOrder(JobsFixture& machine, const char* name)
{
    QVERIFY2(use(machine) != nullptr, name);
    // A list fetched without holding up the feed may still be on its way.
    const QString platform = platformOrder(standin().store(), kBook);
    QTRY_VERIFY2_WITH_TIMEOUT(storedOrder(kBook) == platform,
                              qPrintable(QStringLiteral("%1: %2, platform %3").arg(name, storedOrder(kBook), platform)),
                              10000);
    QTRY_COMPARE_WITH_TIMEOUT(treeOrder(), platform.section(QStringLiteral(" / "), 0, 0), 10000);
}

// Both machines hold a second volume with one chapter; the first machine
// then deletes the volume from its tree.
void secondVolumeDeletedOnTheFirst(std::unique_ptr<JobsFixture> (&machines)[2], int& v2, int& c3)
{
    QVERIFY(makeMachines(machines));
    v2 = addVolume(QStringLiteral("第二卷"));
    c3 = addChapter(v2, QStringLiteral("第三章"));
    QVERIFY(v2 > 0 && c3 > 0);
    showsThePlatformsOrder(*machines[1], "second machine at its start");
    showsThePlatformsOrder(*machines[0], "first machine at its start");
    whenShown<BkMessageBox>([](BkMessageBox* box) { box->textButtons().at(0)->click(); });
    QVERIFY(fromMenu(v2, 0, CBookVolumeController::tr("Delete Volume")));
    QVERIFY(waitUntilIdle());
    QTRY_VERIFY_WITH_TIMEOUT(machines[0]->jobIds().isEmpty(), 15000);
}
}

class MachinesAgreeTest : public QObject
{
    Q_OBJECT
private slots:
    void cleanup()
    {
        tree()->loadBook(nullptr);
        COutlineController::instance()->reset();
    }
    void everyKindOfMoveLeavesOneOrderOnBothMachinesAndThePlatform();
    void chapterMovedIntoAVolumeNotHereIsPlacedOnceTheVolumeIsFetched();
    void chapterRestoredFromADeletedVolumeBringsTheVolumeBackEverywhere_data();
    void chapterRestoredFromADeletedVolumeBringsTheVolumeBackEverywhere();
    void deletedVolumesChaptersAreRecycledOnTheOtherMachine();
    void chapterDraggedBeforeItsVolumeIsDeletedEndsAlikeEverywhere_data();
    void chapterDraggedBeforeItsVolumeIsDeletedEndsAlikeEverywhere();
    void chapterWrittenOfflineIntoAVolumeDeletedElsewhereBringsTheVolumeBack();
    void chapterDraggedNextToAChapterNotYetCreatedThereKeepsItsPlace();
    void chapterFromTheFeedFollowsAChapterNumberedOtherwiseHere();
    void textFromTheFeedLeavesTheChapterWhereItIsHere();
};

void MachinesAgreeTest::everyKindOfMoveLeavesOneOrderOnBothMachinesAndThePlatform()
{
    std::unique_ptr<JobsFixture> machines[2];
    QVERIFY(makeMachines(machines));
    // Three volumes with chapters and an empty fourth, three outlines.
    const int v1 = 7001;
    const int c3 = addChapter(v1, QStringLiteral("第三章"));
    const int v2 = addVolume(QStringLiteral("第二卷"));
    const int c4 = addChapter(v2, QStringLiteral("第四章"));
    const int c5 = addChapter(v2, QStringLiteral("第五章"));
    const int v3 = addVolume(QStringLiteral("第三卷"));
    const int c6 = addChapter(v3, QStringLiteral("第六章"));
    const int v4 = addVolume(QStringLiteral("第四卷"));
    const int o2 = addOutline(QStringLiteral("支线"));
    const int o3 = addOutline(QStringLiteral("伏笔"));
    QVERIFY(c3 > 0 && v2 > 0 && c4 > 0 && c5 > 0 && v3 > 0 && c6 > 0 && v4 > 0 && o2 > 0 && o3 > 0);

    JobsFixture& first = *machines[0];
    JobsFixture& second = *machines[1];
    showsThePlatformsOrder(second, "second machine at its start");
    showsThePlatformsOrder(first, "first machine at its start");
    // The rows of a drag are taken when it is made, from the ids.
    const auto menu = [](int volumeId, int chapterId, const char* entry) {
        return [=]() { return fromMenu(volumeId, chapterId, CBookVolumeController::tr(entry)); };
    };
    const auto dragChapter = [](int fromVolume, int chapterId, int toVolume, int targetId, bool below) {
        return [=]() {
            tree()->moveChapter(chapterRow(fromVolume, chapterId), localVolume(fromVolume),
                                targetId ? chapterRow(toVolume, targetId) : 0, localVolume(toVolume), below);
            return true;
        };
    };
    const auto dragVolume = [](int volumeId, int targetId) {
        return [=]() {
            tree()->moveVolume(volumeRow(volumeId), volumeRow(targetId), 1);
            return true;
        };
    };
    // The platform makes the move but its reply is cut off; the next pass
    // must not move the volume a second time.
    const auto dragLosingTheReply = [dragVolume](int volumeId, int targetId) {
        return [=]() {
            if (!standin().addFault(QStringLiteral("/volume/move"), QStringLiteral("truncated"), 0, 1)
                || !dragVolume(volumeId, targetId)() || !waitUntilIdle())
                return false;
            CJobManager::instance()->synNow(false);
            return true;
        };
    };
    // Another machine moves volumes between this one's move and its reply:
    // the reply brings the platform's order with it.
    const auto dragMeetingAnotherMove = [dragVolume](int volumeId, int targetId, int otherId, int otherTarget) {
        return [=]() {
            const QString path = QStringLiteral("/volume/move");
            const int sent = JobsFixture::requestsTo(path).size();
            const QString move = QStringLiteral("[{\"from_volume_id\":%1,\"to_volume_id\":%2}]").arg(otherId).arg(otherTarget);
            return standin().addFault(path, QStringLiteral("ok"), 1500, 1) && dragVolume(volumeId, targetId)()
                   && QTest::qWaitFor([&]() { return JobsFixture::requestsTo(path).size() > sent; }, 5000)
                   && !platformCall(path, {{QStringLiteral("book_id"), kBook}, {QStringLiteral("move_order"), move},
                                           {QStringLiteral("update_time"), now()}})
                           .isEmpty()
                   && settleClient();
        };
    };
    const auto dragOutline = [](int outlineId, int targetId) {
        return [=]() {
            COutlineController::instance()->move(outlineRow(outlineId), outlineRow(targetId), 1);
            return true;
        };
    };
    makeMoves(first, {
        {"chapter down from the menu", menu(v1, 9001, "Down Chapter")},
        {"chapter up from the menu", menu(v1, c3, "Up Chapter")},
        {"chapter dragged down above a chapter", dragChapter(v1, 9002, v1, 9001, false)},
        {"chapter dragged down below a chapter", dragChapter(v1, c3, v1, 9002, true)},
        {"chapter dragged up below a chapter", dragChapter(v1, 9001, v1, 9002, true)},
        {"chapter dragged up above a chapter", dragChapter(v1, c3, v1, 9002, false)},
        {"chapter dragged into another volume", dragChapter(v1, 9001, v2, c5, false)},
        {"chapter dragged below another volume's last", dragChapter(v2, c4, v3, c6, true)},
        {"chapter dropped on a volume's title", dragChapter(v1, c3, v3, 0, false)},
        {"chapter dragged into an empty volume", dragChapter(v3, c6, v4, 0, false)},
        {"volume down from the menu", menu(v1, 0, "Down Volume")},
        {"volume up from the menu", menu(v4, 0, "Up Volume")},
        {"volume dragged down", dragVolume(v2, v3)},
        {"volume dragged up", dragVolume(v3, v1)},
        {"volume dragged, its reply cut off", dragLosingTheReply(v4, v2)},
        {"volume dragged while another machine moves volumes", dragMeetingAnotherMove(v2, v4, v1, v3)},
        // The panel shows the last outline on top.
        {"outline dragged down", dragOutline(o3, 11001)},
        {"outline dragged up", dragOutline(11001, o2)},
    });
    if (QTest::currentTestFailed())
        return;

    showsThePlatformsOrder(second, "second machine after the moves");
    // Its own moves then reach the first machine, whose order they keep.
    makeMoves(second, {
        {"chapter up from the menu on the second machine", menu(v2, c5, "Up Chapter")},
        {"volume down from the menu on the second machine", menu(v3, 0, "Down Volume")},
        {"outline dragged on the second machine", dragOutline(o2, o3)},
    });
    if (QTest::currentTestFailed())
        return;
    showsThePlatformsOrder(first, "first machine after the second one's moves");
}

void MachinesAgreeTest::chapterMovedIntoAVolumeNotHereIsPlacedOnceTheVolumeIsFetched()
{
    JobsFixture machine;
    QVERIFY(machine.seed());
    SeededBook seeded;
    QVERIFY(seedDemoBook(seeded));
    // Elsewhere the author made a volume and moved the second chapter into
    // it; this machine hears only of the move.
    const int v2 = addVolume(QStringLiteral("第二卷"));
    QVERIFY(v2 > 0);
    const QJsonArray move{QJsonObject{{QStringLiteral("from_chapter_id"), 9002}, {QStringLiteral("to_chapter_id"), 0},
                                      {QStringLiteral("to_volume_id"), v2}, {QStringLiteral("direction"), 0}}};
    QVERIFY(!platformCall(QStringLiteral("/chapter/move"),
                          {{QStringLiteral("book_id"), kBook},
                           {QStringLiteral("move_order"),
                            QString::fromUtf8(QJsonDocument(move).toJson(QJsonDocument::Compact))},
                           {QStringLiteral("update_time"), now()}})
                 .isEmpty());
    const QJsonArray ids = standin().pushFeed(StandinServer::demoUid(), {feedItem(5, kBook, 0)});
    QVERIFY(machine.start());
    QVERIFY(waitForPassEnd());

    QCOMPARE(acknowledgedIds(), QList<int>{ids.first().toInt()});
    const QString platform = platformOrder(standin().store(), kBook).section(QStringLiteral(" / "), 0, 0);
    QCOMPARE(platform, QStringLiteral("7001[9001] %1[9002]").arg(v2));
    QCOMPARE(storedOrder(kBook).section(QStringLiteral(" / "), 0, 0), platform);
    tree()->loadBook(demoBook());
    QCOMPARE(treeOrder(), platform);
}

void MachinesAgreeTest::chapterRestoredFromADeletedVolumeBringsTheVolumeBackEverywhere_data()
{
    QTest::addColumn<bool>("replayed");
    QTest::newRow("sent at once") << false;
    // The volume's restore fails and waits in the queue for the next start.
    QTest::newRow("replayed from the queue") << true;
}

void MachinesAgreeTest::chapterRestoredFromADeletedVolumeBringsTheVolumeBackEverywhere()
{
    QFETCH(bool, replayed);
    std::unique_ptr<JobsFixture> machines[2];
    int v2 = 0;
    int c3 = 0;
    secondVolumeDeletedOnTheFirst(machines, v2, c3);
    if (QTest::currentTestFailed())
        return;
    JobsFixture& first = *machines[0];
    JobsFixture& second = *machines[1];
    QCOMPARE(platformOrder(standin().store(), kBook).section(QStringLiteral(" / "), 0, 0),
             QStringLiteral("7001[9001 9002]"));
    showsThePlatformsOrder(second, "second machine after the delete");

    // The chapter comes back from the first machine's recycle bin, and its
    // volume with it, here, on the platform and on the other machine.
    QVERIFY(use(first));
    Widget_RecycleBin bin;
    bin.loadBook(demoBook());
    QVERIFY(bin.currentChapter() != nullptr);
    QCOMPARE(bin.currentChapter()->chapterId, c3);
    if (replayed)
        QVERIFY(standin().addFault(QStringLiteral("/volume/recycle"), QStringLiteral("http500")));
    bin.recoverCurrent();
    QVERIFY(waitUntilIdle());
    if (replayed) {
        QVERIFY(!first.jobIds().isEmpty());
        QVERIFY(use(first));
    }
    QTRY_VERIFY_WITH_TIMEOUT(first.jobIds().isEmpty(), 15000);
    const QString platform = platformOrder(standin().store(), kBook);
    QCOMPARE(platform.section(QStringLiteral(" / "), 0, 0), QStringLiteral("7001[9001 9002] %1[%2]").arg(v2).arg(c3));
    QCOMPARE(storedOrder(kBook), platform);
    QCOMPARE(treeOrder(), platform.section(QStringLiteral(" / "), 0, 0));
    showsThePlatformsOrder(second, "second machine after the restore");
}

// A deletes a volume; B, offline, adds a chapter to it and writes in it. The
// chapter stays live everywhere: its volume comes back on the platform and
// both machines, holding it, and the volume's other chapters stay recycled.
void MachinesAgreeTest::chapterWrittenOfflineIntoAVolumeDeletedElsewhereBringsTheVolumeBack()
{
    std::unique_ptr<JobsFixture> machines[2];
    int v2 = 0;
    int c3 = 0;
    secondVolumeDeletedOnTheFirst(machines, v2, c3);
    if (QTest::currentTestFailed())
        return;
    JobsFixture& first = *machines[0];
    JobsFixture& second = *machines[1];

    QVERIFY(standin().addFault(QStringLiteral("*"), QStringLiteral("http500"), 0, -1));
    QVERIFY(use(second));
    QVERIFY(fromMenu(v2, 0, CBookVolumeController::tr("Creater Chapter")));
    const T_Chapter* added = nullptr;
    for (const T_Chapter* chapter : qAsConst(demoBook()->chapterList))
        added = chapter->chapterId < 1 && chapter->localVolumeId == localVolume(v2) ? chapter : added;
    QVERIFY(added != nullptr);
    const QString words = QStringLiteral("乙在断网时写进第二卷的段落");
    TC_Chapter_Edit_Content save;
    save.header.localBookId = demoBook()->localId;
    save.header.localChapterId = added->localId;
    save.content = words;
    save.updateTime = now();
    save.isSendToSrv = true;
    QVERIFY(CJobManager::instance()->chapter_edit_content(save));
    QVERIFY(waitUntilIdle());
    QVERIFY(standin().clearFaults());

    for (JobsFixture* machine : {&second, &first, &second, &first}) {
        QVERIFY(use(*machine));
        QTRY_VERIFY_WITH_TIMEOUT(machine->jobIds().isEmpty(), 15000);
    }
    int written = 0;
    for (const QJsonValue& value : standin().store().value(QStringLiteral("chapters")).toArray()) {
        if (value.toObject().value(QStringLiteral("content")).toString() == words)
            written = value.toObject().value(QStringLiteral("chapter_id")).toInt();
    }
    QVERIFY(written > 0);
    const QString platform = platformOrder(standin().store(), kBook);
    QCOMPARE(platform.section(QStringLiteral(" / "), 0, 0),
             QStringLiteral("7001[9001 9002] %1[%2]").arg(v2).arg(written));
    showsThePlatformsOrder(second, "second machine at the end");
    QCOMPARE(demoBook()->findChapterByChapterId(c3)->status, 0);
    showsThePlatformsOrder(first, "first machine at the end");
    QCOMPARE(demoBook()->findChapterByChapterId(c3)->status, 0);
}

void MachinesAgreeTest::deletedVolumesChaptersAreRecycledOnTheOtherMachine()
{
    // The machine first used after the delete is made first: the platform
    // must not have seen it before then.
    std::unique_ptr<JobsFixture> late;
    QVERIFY(makeMachine(late, 2));
    std::unique_ptr<JobsFixture> machines[2];
    QVERIFY(makeMachines(machines));
    const int v2 = addVolume(QStringLiteral("第二卷"));
    const int c3 = addChapter(v2, QStringLiteral("第三章"));
    const int c4 = addChapter(v2, QStringLiteral("第四章"));
    QVERIFY(v2 > 0 && c3 > 0 && c4 > 0);
    showsThePlatformsOrder(*machines[0], "first machine at its start");

    whenShown<BkMessageBox>([](BkMessageBox* box) { box->textButtons().at(0)->click(); });
    QVERIFY(fromMenu(v2, 0, CBookVolumeController::tr("Delete Volume")));
    QVERIFY(waitUntilIdle());
    QTRY_VERIFY_WITH_TIMEOUT(machines[0]->jobIds().isEmpty(), 15000);
    const auto recycled = []() {
        QList<int> ids;
        for (const T_Chapter* chapter : demoBook()->recycleChapterList)
            ids.append(chapter->chapterId);
        std::sort(ids.begin(), ids.end());
        return ids;
    };
    QCOMPARE(recycled(), (QList<int>{c3, c4}));
    int live = 0;
    for (const QJsonValue& chapter : standin().store().value(QStringLiteral("chapters")).toArray()) {
        const QJsonObject object = chapter.toObject();
        if (object.value(QStringLiteral("volume_id")).toInt() == v2 && object.value(QStringLiteral("status")).toInt() != 0)
            ++live;
    }
    QCOMPARE(live, 0);

    // A machine first used after the delete takes the book from the
    // platform: the chapters are in its recycle bin, as on the first.
    showsThePlatformsOrder(*late, "machine first used after the delete");
    QCOMPARE(treeOrder(), QStringLiteral("7001[9001 9002]"));
    QCOMPARE(recycled(), (QList<int>{c3, c4}));
    QSqlQuery rows = CTessaneDb::instance()->newQuery();
    QVERIFY(rows.exec(QStringLiteral("select count(*) from tb_chapter where chapterId in (%1,%2) and status = 0;")
                          .arg(c3)
                          .arg(c4)));
    QVERIFY(rows.next());
    QCOMPARE(rows.value(0).toInt(), 2);
}

void MachinesAgreeTest::chapterDraggedBeforeItsVolumeIsDeletedEndsAlikeEverywhere_data()
{
    // What waits in a queue: 0 the drag, made on the deleting machine; 1 the
    // delete, while the other machine drags; 2 the other machine's drag,
    // made offline after the delete reached the platform.
    QTest::addColumn<int>("waiting");
    QTest::addColumn<bool>("intoTheVolume");
    QTest::addColumn<bool>("staysLive");
    QTest::newRow("dragged out, then the volume deleted") << 0 << false << true;
    QTest::newRow("dragged in, then the volume deleted") << 0 << true << false;
    QTest::newRow("dragged out on the other machine while the delete waits") << 1 << false << true;
    QTest::newRow("dragged in on the other machine while the delete waits") << 1 << true << false;
    QTest::newRow("dragged out offline on the other machine after the delete") << 2 << false << false;
}

// The drag fails and waits in the queue; the volume's delete made after it
// must not reach the platform first, where it would recycle the chapter
// dragged out of the volume, or leave the one dragged into it live inside
// the deleted volume. Where the drag is made on the other machine, the
// chapter ends everywhere in the state the platform gave it when the delete
// arrived.
void MachinesAgreeTest::chapterDraggedBeforeItsVolumeIsDeletedEndsAlikeEverywhere()
{
    QFETCH(int, waiting);
    QFETCH(bool, intoTheVolume);
    QFETCH(bool, staysLive);
    std::unique_ptr<JobsFixture> machines[2];
    QVERIFY(makeMachines(machines));
    const int v2 = addVolume(QStringLiteral("第二卷"));
    const int c3 = addChapter(v2, QStringLiteral("第三章"));
    QVERIFY(v2 > 0 && c3 > 0);
    showsThePlatformsOrder(*machines[1], "second machine at its start");
    showsThePlatformsOrder(*machines[0], "first machine at its start");
    const auto drag = [&]() {
        if (intoTheVolume)
            tree()->moveChapter(chapterRow(7001, 9002), localVolume(7001), 0, localVolume(v2), true);
        else
            tree()->moveChapter(chapterRow(v2, c3), localVolume(v2), chapterRow(7001, 9002), localVolume(7001), true);
        return waitUntilIdle();
    };
    if (waiting < 2)
        QVERIFY(standin().addFault(waiting == 1 ? QStringLiteral("/volume/recycle") : QStringLiteral("/chapter/move"),
                                   QStringLiteral("http500")));
    QVERIFY(waiting > 0 || drag());
    whenShown<BkMessageBox>([](BkMessageBox* box) { box->textButtons().at(0)->click(); });
    QVERIFY(fromMenu(v2, 0, CBookVolumeController::tr("Delete Volume")));
    QVERIFY(waitUntilIdle());
    const QString here = !staysLive ? QStringLiteral("7001[9001%1]").arg(intoTheVolume ? "" : " 9002")
                                    : QStringLiteral("7001[9001 9002 %1]").arg(c3);
    if (waiting == 0)
        QCOMPARE(treeOrder(), here);
    QVERIFY(waiting < 2 || standin().addFault(QStringLiteral("*"), QStringLiteral("http500"), 0, -1));
    QVERIFY(waiting == 0 || (use(*machines[1]) != nullptr && drag()));
    QVERIFY(standin().clearFaults());
    // The dragged chapter is recycled with the volume, or stays live outside it.
    const int dragged = intoTheVolume ? 9002 : c3;
    const auto platformLive = [dragged](const QJsonObject& store) {
        for (const QJsonValue& value : store.value(QStringLiteral("chapters")).toArray()) {
            if (value.toObject().value(QStringLiteral("chapter_id")).toInt() == dragged)
                return value.toObject().value(QStringLiteral("status")).toInt() != 0;
        }
        return false;
    };

    for (int i : {0, 1, 0, 1}) {
        QVERIFY(use(*machines[i]) != nullptr);
        CJobManager::instance()->synNow(false);
        QVERIFY(waitUntilIdle());
    }
    for (auto& machine : machines) {
        QVERIFY(use(*machine) != nullptr);
        QTRY_VERIFY_WITH_TIMEOUT(machine->jobIds().isEmpty(), 15000);
        const QJsonObject store = standin().store();
        QCOMPARE(platformOrder(store, kBook).section(QStringLiteral(" / "), 0, 0), here);
        QCOMPARE(storedOrder(kBook), platformOrder(store, kBook));
        const T_Chapter* chapter = demoBook()->findChapterByChapterId(dragged);
        QVERIFY(chapter != nullptr);
        QCOMPARE(chapter->status != 0, staysLive);
        QCOMPARE(platformLive(store), staysLive);
    }
}

// The neighbour of a drag is still waiting for its create's reply: the move
// follows the create, so the platform places the chapter where it is here.
void MachinesAgreeTest::chapterDraggedNextToAChapterNotYetCreatedThereKeepsItsPlace()
{
    std::unique_ptr<JobsFixture> machines[2];
    QVERIFY(makeMachines(machines));
    JobsFixture& first = *machines[0];
    JobsFixture& second = *machines[1];
    showsThePlatformsOrder(second, "second machine at its start");
    showsThePlatformsOrder(first, "first machine at its start");

    QVERIFY(standin().addFault(QStringLiteral("/chapter/addChapter"), QStringLiteral("http500"), 0, -1));
    T_Book* book = demoBook();
    const T_Volume* volume = book->volumeList.first();
    TC_Chapter_Add add(book->localId, book->bookId, volume->localId, volume->volumeId, now(), 3,
                       QStringLiteral("未答之章"));
    QVERIFY(CJobManager::instance()->chapter_add(add));
    tree()->reloadBook(book);
    // The first chapter dragged below the new one.
    tree()->moveChapter(0, volume->localId, 2, volume->localId, true);
    QVERIFY(waitUntilIdle());
    QVERIFY(standin().clearFaults());
    CJobManager::instance()->synNow(false);
    QVERIFY(waitUntilIdle());
    QTRY_VERIFY_WITH_TIMEOUT(first.jobIds().isEmpty(), 15000);
    const int made = demoBook()->findChapterByLocalId(add.header.localChapterId)->chapterId;
    QVERIFY(made > 0);
    QCOMPARE(storedOrder(kBook).section(QStringLiteral(" / "), 0, 0),
             QStringLiteral("7001[9002 %1 9001]").arg(made));
    QCOMPARE(platformOrder(standin().store(), kBook), storedOrder(kBook));
    showsThePlatformsOrder(second, "second machine after the move");
}

// Adds a chapter at the end of the demo book's first volume, numbered as
// given; its local id, 0 on failure.
static int addHere(const QString& name, int orderNum)
{
    T_Book* book = demoBook();
    const T_Volume* volume = book->volumeList.first();
    TC_Chapter_Add add(book->localId, book->bookId, volume->localId, volume->volumeId, now(), orderNum, name);
    if (!CJobManager::instance()->chapter_add(add))
        return 0;
    tree()->reloadBook(book);
    return add.header.localChapterId;
}

// A chapter made here carries a number of its own, past the platform's
// count; a chapter made elsewhere after it comes after it here too.
void MachinesAgreeTest::chapterFromTheFeedFollowsAChapterNumberedOtherwiseHere()
{
    std::unique_ptr<JobsFixture> machines[2];
    QVERIFY(makeMachines(machines));
    JobsFixture& second = *machines[1];
    showsThePlatformsOrder(*machines[0], "first machine at its start");
    showsThePlatformsOrder(second, "second machine at its start");
    QVERIFY(addHere(QStringLiteral("本机的"), 10) > 0);
    QVERIFY(waitUntilIdle());
    QTRY_VERIFY_WITH_TIMEOUT(second.jobIds().isEmpty(), 15000);

    QVERIFY(use(*machines[0]) != nullptr);
    QVERIFY(addHere(QStringLiteral("别处的"), 4) > 0);
    QVERIFY(waitUntilIdle());
    QTRY_VERIFY_WITH_TIMEOUT(machines[0]->jobIds().isEmpty(), 15000);
    QCOMPARE(platformOrder(standin().store(), kBook), storedOrder(kBook));
    showsThePlatformsOrder(second, "second machine after the other's chapter");
}

void MachinesAgreeTest::textFromTheFeedLeavesTheChapterWhereItIsHere()
{
    std::unique_ptr<JobsFixture> machines[2];
    QVERIFY(makeMachines(machines));
    const int v2 = addVolume(QStringLiteral("第二卷"));
    const int c3 = addChapter(v2, QStringLiteral("第三章"));
    const int c4 = addChapter(v2, QStringLiteral("第四章"));
    QVERIFY(v2 > 0 && c3 > 0 && c4 > 0);
    JobsFixture& first = *machines[0];
    showsThePlatformsOrder(first, "first machine at its start");
    // Dropped after the volume's last chapter, the chapter takes the number
    // after it here, while the platform numbers the whole book anew: the
    // two numberings part, the orders do not.
    makeMoves(first, {{"first chapter dragged below the other volume's last",
                       [=]() {
                           tree()->moveChapter(chapterRow(7001, 9001), localVolume(7001), chapterRow(v2, c4),
                                               localVolume(v2), true);
                           return true;
                       }}});

    // The other machine writes in the moved chapter; its text comes here
    // with the platform's number for it.
    const QString text = QStringLiteral("别处写的一段");
    QVERIFY(!platformCall(QStringLiteral("/chapter/editChapter"),
                          {{QStringLiteral("book_id"), kBook}, {QStringLiteral("chapter_id"), 9001},
                           {QStringLiteral("content"), text}, {QStringLiteral("update_time"), now()}})
                 .isEmpty());
    QVERIFY(use(first) != nullptr);
    const auto stored = []() {
        QSqlQuery query = CTessaneDb::instance()->newQuery();
        return query.exec(QStringLiteral("select content from tb_chapter left join tb_chapter_text using (localId) where chapterId = 9001;")) && query.next()
                   ? query.value(0).toString()
                   : QString();
    };
    QTRY_VERIFY_WITH_TIMEOUT(stored().contains(text), 15000);
    QCOMPARE(storedOrder(kBook), platformOrder(standin().store(), kBook));
}

int runMachinesAgreeTests(int argc, char** argv)
{
    MachinesAgreeTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_MachinesAgree.moc"
