// Two machines of one author against one platform, used in turns, working in
// the same book and chapters: each adds, types into, renames, moves,
// recycles, restores and deletes chapters, adds, renames, moves and deletes
// volumes, adds, writes in, moves and deletes outline cards, adds, writes in
// and deletes memos, and adds books and imports small ones, while the
// platform now and then fails a request, cuts a reply off after doing its
// work (creates of every kind included), or cannot be reached at all for a
// while. Once the faults stop and both have synchronised twice, both local
// stores and the platform hold the same volumes and chapters in the same
// order with the same names, texts and states, the same memos, outlines (in
// the same order) and books, no server id in two rows of a machine, nothing
// made twice, and every paragraph either machine wrote (in a chapter of any
// book, an outline card or a memo) is on the platform and on both machines,
// unless an author deleted it (or wrote over it) after that machine had it.
//
// Now and then a turn starts with the machines meeting: one deletes a chapter
// for good while the other restores it and writes in it (the words stay), or
// the other deletes one for good while this one shows it and drags right
// after; or the other, its feed failing, deletes for good online a chapter
// or a book this one restored and wrote in after the other saw it in its bin
// (the words stay); or a rename or a drag stored here meets a delete for
// good elsewhere (it leaves the queue and brings nothing back). Or both
// change one object: a volume renamed or deleted offline here and online
// there (the change sent last stands everywhere), or a change here whose
// reply is lost followed by one there (the later one stands). Or a memo or
// an outline card is deleted on one machine and written in on the other
// before it saw that (offline, or before its pull), or written in before the
// other, not having pulled, deletes it (the words stay). Or a book in this
// machine's bin is written in on the other, and the author deletes it for
// good from the book bin, open across the feed that brings the words
// (withdrawn, or refused once with the author told). Or a delete for good
// withdrawn by the feed meets a look at the object that fails once or twice,
// a restart perhaps between, or a restart comes between a confirmed delete
// and a list answered before it. Or the chapter bin
// stays open across a feed that brings the other machine's restores, writes
// (into a chapter still in the bin here too: kept once, the author told) and
// deletes, and the author then uses its menu. Or late answers and work
// elsewhere meet: offline work in a book then recycled while the other
// deletes what was written in, a delete whose reply is lost followed by a
// list answered before it, a failed fetch after a withdrawn note delete, many
// offline note edits after a lost reply. Or both write in one note online,
// the second before any pull since the first's words reached the platform.
// Or a change whose reply is lost or cut is settled by a look-up while a list
// asked for before it is on its way.
//
// Seeded and bounded: TESSANE_CONVERGENCE_SEED picks the seed and
// TESSANE_CONVERGENCE_STEPS the number of turns.

#include "BookOrder.h"
#include "FeedFixture.h"

#include "db/CTessaneDb.h"
#include "db/records/T_Book.h"
#include "db/records/T_Memo.h"
#include "manager/CBookJobManager.h"
#include "manager/CJobManager.h"
#include "manager/CMemoManager.h"
#include "manager/CPublicManager.h"
#include "manager/CSynDataManager.h"
#include "manager/CUiManager.h"
#include "outline/COutlineController.h"
#include "outline/COutlineModel.h"
#include "outline/COutlineSortModel.h"
#include "remote/records/BookRecords.h"
#include "remote/records/ChapterRecords.h"
#include "remote/records/MemoRecords.h"
#include "remote/records/OutlineRecords.h"
#include "remote/records/VolumeRecords.h"
#include "ui/bookshelf/Dialog_BookRecycle.h"
#include "ui/bookshelf/Widget_Bookshelf.h"
#include "ui/common/BkMessageBox.h"
#include "ui/creation/Widget_RecycleBin.h"
#include "ui/creation/memo/CMemoListModel.h"
#include "ui/creation/memo/CMemoListSortModel.h"
#include "ui/creation/memo/MemoItemManager.h"
#include "ui/creation/memo/MemoListWidget.h"
#include "volume/CBookChapterModel.h"
#include "volume/CBookChapterSortModel.h"
#include "volume/CBookVolumeController.h"
#include "volume/CBookVolumeModel.h"
#include "volume/CBookVolumeSortModel.h"
#include "WhenShown.h"

#include <QAction>
#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QListView>
#include <QMap>
#include <QMenu>
#include <QPushButton>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSet>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>

namespace {
constexpr int kBook = 5001;
constexpr int kDefaultTurns = 40;
constexpr quint32 kDefaultSeed = 9;

int now()
{
    return int(QDateTime::currentSecsSinceEpoch());
}

CBookVolumeController* tree()
{
    return CBookVolumeController::instance();
}

T_Book* demoBook()
{
    return CPublicManager::instance()->findBookByBookId(kBook);
}

// Rows as (server id, value); rows without a server id go under the negative
// local id so that a difference shows them.
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

// Chapter -> "status|name|text", volume -> "status|name", memo -> text.
QMap<int, QString> localChapters()
{
    return localRows(QStringLiteral("select chapterId, localId, (ifnull(status, 0) <> 0) || '|' || ifnull(name, '') "
                                    "|| '|' || ifnull(content, '') from tb_chapter left join tb_chapter_text using (localId) where localBookId = "
                                    "(select localId from tb_book where bookId = %1)").arg(kBook));
}

QMap<int, QString> localVolumes()
{
    return localRows(QStringLiteral("select volumeId, localId, (ifnull(status, 0) <> 0) || '|' || ifnull(volumeName, '') "
                                    "from tb_volume where localBookId = (select localId from tb_book where bookId = %1)")
                         .arg(kBook));
}

QMap<int, QString> localMemos()
{
    return localRows(QStringLiteral("select memoId, localId, content from tb_memo"));
}

QMap<int, QString> localOutlines()
{
    return localRows(QStringLiteral("select outlineId, localId, ifnull(title, '') || '|' || ifnull(content, '') "
                                    "from tb_outline where bookId = %1").arg(kBook));
}

// Book -> "name|chapters".
QMap<int, QString> localBooks()
{
    return localRows(QStringLiteral("select bookId, localId, bookName || '|' || (select count(*) from tb_chapter "
                                    "where localBookId = b.localId) from tb_book b"));
}

QMap<int, QString> platformRows(const QJsonObject& store, const char* kind, const char* idKey,
                                const std::function<QString(const QJsonObject&)>& value)
{
    QMap<int, QString> out;
    // Memos and books of the author, the rest of the demo book.
    const char* owner = qstrcmp(kind, "memos") == 0 ? "uid" : qstrcmp(kind, "books") == 0 ? "author_id" : "book_id";
    for (const QJsonValue& entry : store.value(QLatin1String(kind)).toArray()) {
        const QJsonObject object = entry.toObject();
        if (object.value(QLatin1String(owner)).toInt() == (qstrcmp(owner, "book_id") == 0 ? kBook : StandinServer::demoUid()))
            out.insert(object.value(QLatin1String(idKey)).toInt(), value(object));
    }
    return out;
}

QString statusOf(const QJsonObject& object)
{
    return object.value(QStringLiteral("status")).toInt() != 0 ? QStringLiteral("1") : QStringLiteral("0");
}

QMap<int, QString> platformChapters(const QJsonObject& store)
{
    return platformRows(store, "chapters", "chapter_id", [](const QJsonObject& chapter) {
        return QStringList{statusOf(chapter), chapter.value(QStringLiteral("chapter_name")).toString(),
                           chapter.value(QStringLiteral("content")).toString()}
            .join(QLatin1Char('|'));
    });
}

QMap<int, QString> platformVolumes(const QJsonObject& store)
{
    return platformRows(store, "volumes", "id", [](const QJsonObject& volume) {
        return statusOf(volume) + QLatin1Char('|') + volume.value(QStringLiteral("volume_name")).toString();
    });
}

QMap<int, QString> platformOutlines(const QJsonObject& store)
{
    return platformRows(store, "outlines", "outline_id", [](const QJsonObject& outline) {
        return outline.value(QStringLiteral("title")).toString() + QLatin1Char('|')
               + outline.value(QStringLiteral("content")).toString();
    });
}

QMap<int, QString> platformBooks(const QJsonObject& store)
{
    const QJsonArray chapters = store.value(QStringLiteral("chapters")).toArray();
    return platformRows(store, "books", "book_id", [&chapters](const QJsonObject& book) {
        const auto inBook = [&book](const QJsonValue& chapter) {
            return chapter.toObject().value(QStringLiteral("book_id")) == book.value(QStringLiteral("book_id"));
        };
        return QStringLiteral("%1|%2").arg(book.value(QStringLiteral("book_name")).toString())
            .arg(std::count_if(chapters.begin(), chapters.end(), inBook));
    });
}

QMap<int, QString> platformMemos(const QJsonObject& store)
{
    return platformRows(store, "memos", "id",
                        [](const QJsonObject& memo) { return memo.value(QStringLiteral("content")).toString(); });
}

// Server ids that two rows of this machine hold.
QString sharedIds()
{
    QStringList out;
    for (const char* table : {"tb_book bookId", "tb_volume volumeId", "tb_chapter chapterId", "tb_memo memoId",
                              "tb_outline outlineId"}) {
        const QStringList names = QString::fromLatin1(table).split(QLatin1Char(' '));
        QSqlQuery query = CTessaneDb::instance()->newQuery();
        if (!query.exec(QStringLiteral("select %2, count(*) from %1 where %2 > 0 group by %2 having count(*) > 1")
                            .arg(names.at(0), names.at(1))))
            out << names.at(0) + QStringLiteral(" unreadable");
        while (query.next())
            out << QStringLiteral("%1 %2 in %3 rows").arg(names.at(0)).arg(query.value(0).toInt()).arg(query.value(1).toInt());
    }
    return out.join(QStringLiteral("; "));
}

// The walk names what it makes uniquely ("甲章3", "乙书7", "甲的便签5", "乙的大纲2",
// an import's "第1章 甲书4章1"): such a name twice is one object created twice. A
// chapter counts per book, an outline with its title (a copy keeps the text
// under another), a copied memo's text starts on a line of its own.
QString madeTwice(const QJsonObject& store)
{
    const QRegularExpression made(QStringLiteral("(^| )(甲|乙)(章\\d+|书\\d+(章\\d+)?|的便签\\d+|的大纲\\d+)$"));
    QMap<QString, int> seen;
    for (const char* kind : {"chapters book_id chapter_name", "books author_id book_name", "memos uid content",
                             "outlines title content"}) {
        const QStringList keys = QString::fromLatin1(kind).split(QLatin1Char(' '));
        for (const QJsonValue& value : store.value(keys.at(0)).toArray()) {
            const QJsonObject object = value.toObject();
            const QString name = object.value(keys.at(2)).toString();
            if (made.match(name).hasMatch())
                ++seen[QStringList{keys.at(0), object.value(keys.at(1)).toVariant().toString(), name}.join('|')];
        }
    }
    QStringList out;
    for (auto it = seen.constBegin(); it != seen.constEnd(); ++it) {
        if (it.value() > 1)
            out << QStringLiteral("%1 %2 times").arg(it.key()).arg(it.value());
    }
    return out.join(QStringLiteral("; "));
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

// One machine: its data folder, and the paragraphs its author wrote (each
// with where it went: a chapter, an outline card or a memo, by local id).
struct Machine
{
    std::unique_ptr<JobsFixture> fixture;
    QString name;
    QMap<QString, QString> paragraphs;
    int counter = 0;
};

// A program start on the machine: its queue sent, its feed pulled, its book
// shown in the chapter tree.
bool use(Machine& m)
{
    tree()->loadBook(nullptr);
    if (!m.fixture->restart() || !settleClient())
        return false;
    if (T_Book* book = demoBook())
        tree()->loadBook(book);
    return true;
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

// The delete for good of a recycled chapter, as the chapter bin sends it.
// One that took words written elsewhere while in the bin is refused once,
// the author told; with again, the author deletes it once more.
bool purgeChapter(const T_Book* book, const T_Chapter* chapter, bool again = true)
{
    TC_Chapter_Delete purge;
    fillChapterHeader(purge.header, book, chapter);
    purge.updateTime = now();
    const bool told = chapter->writtenInBin;
    return CJobManager::instance()->chapter_delete(purge)
           || (again && told && CJobManager::instance()->chapter_delete(purge));
}

template <class T>
T* pickOf(QRandomGenerator& random, const QList<T*>& list)
{
    return list.isEmpty() ? nullptr : list.at(random.bounded(list.size()));
}

QList<T_Volume*> liveVolumes(const T_Book* book)
{
    QList<T_Volume*> out;
    for (T_Volume* volume : book->volumeList) {
        if (volume->status != 0)
            out.append(volume);
    }
    return out;
}

int rowsOf(const T_Volume* volume)
{
    const CBookChapterSortModel* list = tree()->volumeModel()->getChapterSortModelByLocalId(volume->localId);
    return list ? list->rowCount() : 0;
}

int volumeRow(const T_Volume* volume)
{
    const CBookVolumeSortModel* volumes = tree()->volumeSortModel();
    for (int row = 0; volumes && row < volumes->rowCount(); ++row) {
        if (volumes->index(row, 0).data(CBookVolumeModel::LocalIdRole).toInt() == volume->localId)
            return row;
    }
    return -1;
}

// A chapter's row in a volume as the tree shows it; -1 when it is not there.
int chapterRow(const T_Volume* volume, int localChapterId)
{
    const CBookChapterSortModel* list = tree()->volumeModel()->getChapterSortModelByLocalId(volume->localId);
    for (int row = 0; list && row < list->rowCount(); ++row) {
        if (list->index(row, 0).data(CBookChapterModel::LocalIdRole).toInt() == localChapterId)
            return row;
    }
    return -1;
}

QString stored(int localChapterId)
{
    return storedChapterText(localChapterId);
}

// Excused paragraphs: an author deleted them (with their chapter, book or
// note, or by writing over them) once that author's machine had them.
void excuse(QSet<QString>& excused, const QString& text)
{
    for (const QString& paragraph : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        excused.insert(paragraph);
}

// The change about to be made, in the log: a failing seed is read from it.
void trace(const Machine& m, const QString& what, const T_Chapter* chapter = nullptr)
{
    qInfo().noquote() << QStringLiteral("convergence: %1 %2").arg(m.name, what)
                      << (chapter ? QStringLiteral("chapter %1/%2").arg(chapter->localId).arg(chapter->chapterId) : QString());
}

// A paragraph typed at the end of the chapter.
bool typeInto(Machine& m, T_Book* book, T_Chapter* chapter)
{
    const QString paragraph = QStringLiteral("%1的第%2段").arg(m.name).arg(m.counter);
    const QString before = stored(chapter->localId);
    trace(m, QStringLiteral("types %1 into").arg(paragraph), chapter);
    TC_Chapter_Edit_Content request;
    fillChapterHeader(request.header, book, chapter);
    request.content = before.isEmpty() ? paragraph : before + QLatin1Char('\n') + paragraph;
    request.updateTime = now();
    request.isSendToSrv = true;
    if (!CJobManager::instance()->chapter_edit_content(request))
        return false;
    m.paragraphs.insert(paragraph, QStringLiteral("chapter %1").arg(chapter->localId));
    return true;
}

// A paragraph written at the end of a memo, or over its whole text (which
// the author had and deletes so). False when the client refused it.
bool writeInMemo(Machine& m, const T_Memo* memo, bool append, QSet<QString>& excused)
{
    const QString paragraph = QStringLiteral("%1的便签%2").arg(m.name).arg(m.counter);
    trace(m, QStringLiteral("%1 memo %2/%3: %4").arg(append ? "writes in" : "writes over").arg(memo->localId)
                 .arg(memo->memoId).arg(paragraph));
    TC_Memo_Edit request;
    request.header.localMemoId = memo->localId;
    request.header.memoId = memo->memoId;
    request.content = append ? memo->content + QLatin1Char('\n') + paragraph : paragraph;
    request.updateTime = now();
    if (!append)
        excuse(excused, memo->content);
    if (!CJobManager::instance()->memoEditContent(request))
        return false;
    m.paragraphs.insert(paragraph, QStringLiteral("memo %1").arg(request.header.localMemoId));
    return true;
}

// The same in an outline card, from the outline panel.
bool writeInOutline(Machine& m, T_Book* book, const T_Outline* outline, bool append, QSet<QString>& excused)
{
    const QString paragraph = QStringLiteral("%1的大纲%2").arg(m.name).arg(m.counter);
    const int localOutlineId = outline->localId;
    trace(m, QStringLiteral("%1 outline %2/%3: %4").arg(append ? "writes in" : "writes over").arg(localOutlineId)
                 .arg(outline->outlineId).arg(paragraph));
    const QString text = append ? outline->content + QLatin1Char('\n') + paragraph : paragraph;
    if (!append)
        excuse(excused, outline->content);
    COutlineController* panel = COutlineController::instance();
    panel->getWidget();
    panel->addAllItem(book);
    const bool stored = panel->outlineModel()->update(localOutlineId, outline->type, text);
    panel->reset();
    if (!stored)
        return false;
    m.paragraphs.insert(paragraph, QStringLiteral("outline %1").arg(localOutlineId));
    return true;
}

// The memo deleted from the memo list, as its author does it.
bool deleteMemo(const Machine& m, int localMemoId, QSet<QString>& excused)
{
    CPublicManager* model = CPublicManager::instance();
    const T_Memo* memo = model->findMemoByLocalId(localMemoId);
    if (memo == nullptr)
        return false;
    trace(m, QStringLiteral("deletes memo %1/%2 from the memo list").arg(localMemoId).arg(memo->memoId));
    excuse(excused, memo->content);
    MemoItemManager* memos = MemoItemManager::instance();
    memos->showMemoList(CUiManager::instance()->bookshelf());
    const MemoListWidget* list = memos->memoList();
    const QModelIndex row =
        list ? list->sortModel()->mapFromSource(list->listModel()->index(model->indexOfMemo(localMemoId), 0))
             : QModelIndex();
    const bool asked = row.isValid() && memos->removeMemo(row.row(), localMemoId, false);
    memos->closeAll();
    return asked && model->findMemoByLocalId(localMemoId) == nullptr;
}

// The outline card deleted from the outline panel.
bool deleteOutline(const Machine& m, T_Book* book, int localOutlineId, QSet<QString>& excused)
{
    const T_Outline* outline = book->findOutlineByLocalId(localOutlineId);
    if (outline == nullptr)
        return false;
    trace(m, QStringLiteral("deletes outline %1/%2 from the panel").arg(localOutlineId).arg(outline->outlineId));
    excuse(excused, outline->content);
    COutlineController* panel = COutlineController::instance();
    panel->getWidget();
    panel->addAllItem(book);
    const bool gone = panel->outlineModel()->deleteItem(localOutlineId);
    panel->reset();
    return gone && book->findOutlineByLocalId(localOutlineId) == nullptr;
}

// An outline card dragged to another row of the panel.
bool moveOutline(const Machine& m, T_Book* book, QRandomGenerator& random)
{
    COutlineController* panel = COutlineController::instance();
    panel->getWidget();
    panel->addAllItem(book);
    const int rows = panel->sortModel()->rowCount();
    const int from = rows < 2 ? 0 : random.bounded(rows);
    const int to = rows < 2 ? 0 : random.bounded(rows);
    if (from != to) {
        trace(m, QStringLiteral("drags outline row %1 to row %2").arg(from).arg(to));
        panel->move(from, to, 1);
    }
    panel->reset();
    return true;
}

// A chapter dragged in the tree, within its volume or to another.
void dragChapter(const Machine& m, QRandomGenerator& random, const QList<T_Volume*>& volumes)
{
    const T_Volume* from = pickOf(random, volumes);
    const T_Volume* to = pickOf(random, volumes);
    if (from == nullptr || rowsOf(from) == 0)
        return;
    const int fromRow = random.bounded(rowsOf(from));
    const int toRow = rowsOf(to) == 0 ? 0 : random.bounded(rowsOf(to));
    if (from == to && fromRow == toRow)
        return;
    const bool below = random.bounded(2) == 0;
    trace(m, QStringLiteral("drags row %1 of volume %2 to row %3 of volume %4%5")
                 .arg(fromRow).arg(from->volumeId).arg(toRow).arg(to->volumeId).arg(below ? " below" : ""));
    tree()->moveChapter(fromRow, from->localId, toRow, to->localId, below);
}

// One change as the author makes it; false when the client refused it.
bool act(Machine& m, QRandomGenerator& random, QSet<QString>& excused)
{
    CJobManager* jobs = CJobManager::instance();
    T_Book* book = demoBook();
    if (book == nullptr)
        return true;
    const QList<T_Volume*> volumes = liveVolumes(book);
    const int choice = random.bounded(21);
    ++m.counter;
    if (choice < 2) {
        const T_Volume* volume = pickOf(random, volumes);
        if (volume == nullptr)
            return true;
        int order = 0;
        for (const QList<T_Chapter*>* list : {&book->chapterList, &book->recycleChapterList}) {
            for (const T_Chapter* chapter : *list) {
                if (chapter->localVolumeId == volume->localId)
                    order = std::max(order, chapter->orderNum);
            }
        }
        TC_Chapter_Add request(book->localId, book->bookId, volume->localId, volume->volumeId, now(), order + 1,
                               QStringLiteral("%1章%2").arg(m.name).arg(m.counter));
        trace(m, QStringLiteral("adds %1 to volume %2").arg(request.chapterName).arg(volume->volumeId));
        if (!jobs->chapter_add(request))
            return false;
        tree()->reloadBook(book);
        return true;
    }
    T_Chapter* chapter = pickOf(random, book->chapterList);
    if (choice < 6)
        return chapter == nullptr || typeInto(m, book, chapter);
    if (choice == 6) {
        if (chapter == nullptr)
            return true;
        TC_Chapter_Edit_Name request;
        fillChapterHeader(request.header, book, chapter);
        request.chapterName = QStringLiteral("%1改名%2").arg(m.name).arg(m.counter);
        trace(m, QStringLiteral("renames to %1").arg(request.chapterName), chapter);
        request.updateTime = now();
        return jobs->chapter_edit_name(request);
    }
    if (choice <= 8) {
        dragChapter(m, random, volumes);
        return true;
    }
    if (choice == 9) {
        if (chapter == nullptr)
            return true;
        TC_Chapter_Recycle request;
        fillChapterHeader(request.header, book, chapter);
        request.status = 0;
        request.updateTime = now();
        trace(m, QStringLiteral("recycles"), chapter);
        return jobs->chapter_recycle(request);
    }
    if (choice == 10) {
        // Out of the recycle bin: restored, or deleted for good.
        T_Chapter* recycled = pickOf(random, book->recycleChapterList);
        if (recycled == nullptr)
            return true;
        if (random.bounded(2) == 0) {
            trace(m, QStringLiteral("restores"), recycled);
            return tree()->restoreChapter(book, recycled);
        }
        trace(m, QStringLiteral("deletes for good"), recycled);
        const QString text = stored(recycled->localId);
        const bool told = recycled->writtenInBin;
        if (purgeChapter(book, recycled, false)) {
            excuse(excused, text);
            return true;
        }
        // Words written elsewhere came in: kept once, the author told.
        trace(m, QStringLiteral("is told: %1").arg(jobs->lastError()));
        return told;
    }
    if (choice >= 16 && choice != 18) {
        // An outline card added, written in, deleted or dragged.
        const QList<T_Outline*>& outlines = book->outline.outlineList;
        const QString text = QStringLiteral("%1的大纲%2").arg(m.name).arg(m.counter);
        if (choice == 16 || outlines.isEmpty()) {
            int order = 0;
            for (const T_Outline* outline : outlines)
                order = std::max(order, outline->orderNum);
            trace(m, QStringLiteral("adds outline %1").arg(text));
            TC_BookOutline_Create request(book->bookId, book->localId, 0, 0, 1, order + 1, now(), QString(), text);
            if (!CBookJobManager::instance()->outline_create(request))
                return false;
            m.paragraphs.insert(text, QStringLiteral("outline %1").arg(request.localOutlineId));
            return true;
        }
        if (choice == 20)
            return moveOutline(m, book, random);
        const T_Outline* outline = outlines.at(random.bounded(outlines.size()));
        if (choice == 19)
            return deleteOutline(m, book, outline->localId, excused);
        return writeInOutline(m, book, outline, random.bounded(2) == 0, excused);
    }
    if (choice == 11) {
        const int kind = random.bounded(4);
        if (kind == 0) {
            trace(m, QStringLiteral("adds a volume"));
            if (tree()->createVolume(book, false) == nullptr)
                return false;
            tree()->reloadBook(book);
            return true;
        }
        const T_Volume* volume = pickOf(random, volumes);
        if (volume == nullptr)
            return true;
        if (kind == 1) {
            trace(m, QStringLiteral("renames volume %1").arg(volume->volumeId));
            tree()->changeVolumeName(volumeRow(volume), QStringLiteral("%1卷%2").arg(m.name).arg(m.counter));
            return true;
        }
        if (kind == 3) {
            // The other machine may be adding to it meanwhile.
            if (volumes.size() < 2)
                return true;
            trace(m, QStringLiteral("deletes volume %1").arg(volume->volumeId));
            TC_Volume_Delete request;
            request.header.localBookId = book->localId;
            request.header.localVolumeId = volume->localId;
            request.type = 0;
            request.updateTime = now();
            if (!jobs->volume_del_restore(request))
                return false;
            tree()->reloadBook(book);
            return true;
        }
        const T_Volume* target = pickOf(random, volumes);
        if (target != volume)
            trace(m, QStringLiteral("drags volume %1 onto %2").arg(volume->volumeId).arg(target->volumeId));
        if (target != volume)
            tree()->moveVolume(volumeRow(volume), volumeRow(target), 1);
        return true;
    }
    if (choice == 18) {
        const QString name = QStringLiteral("%1书%2").arg(m.name).arg(m.counter);
        if (random.bounded(2) == 0) {
            trace(m, QStringLiteral("adds book %1").arg(name));
            TC_Books_AddBook request(name, now(), now(), QString());
            return jobs->books_add(request);
        }
        // One import at a time: the shelf refuses another until its chapters are answered.
        if (CUiManager::instance()->isBookImporting())
            return true;
        trace(m, QStringLiteral("imports book %1").arg(name));
        QTemporaryDir folder;
        QFile file(folder.path() + QLatin1Char('/') + name + QStringLiteral(".txt"));
        QString text;
        for (int i = 1; i <= 3; ++i)
            text += QStringLiteral("第%1章 %2章%1\n%2的导入段落%1\n").arg(i).arg(name);
        if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0)
            return false;
        file.close();
        QSignalSpy finished(CBookJobManager::instance(), &CBookJobManager::sig_ImportBookFinished);
        if (!jobs->startImportBook(file.fileName()) || !finished.wait(60000)
            || finished.first().first().toInt() != int(TessaneImportOk))
            return false;
        for (int i = 1; i <= 3; ++i)
            m.paragraphs.insert(QStringLiteral("%1的导入段落%2").arg(name).arg(i), QStringLiteral("import ") + name);
        return true;
    }
    // The list is kept in the order of change times, which a run cannot repeat.
    QList<T_Memo*> memos = CPublicManager::instance()->memoList;
    std::sort(memos.begin(), memos.end(), [](const T_Memo* a, const T_Memo* b) { return a->localId < b->localId; });
    const T_Memo* memo = pickOf(random, memos);
    const QString text = QStringLiteral("%1的便签%2").arg(m.name).arg(m.counter);
    if (choice <= 13 || memo == nullptr) {
        trace(m, QStringLiteral("adds memo %1").arg(text));
        TC_Memo_Add request;
        request.content = text;
        request.color = QStringLiteral("#FFF3B0");
        request.updateTime = now();
        if (!jobs->memoAdd(request))
            return false;
        m.paragraphs.insert(text, QStringLiteral("memo %1").arg(request.header.localMemoId));
        return true;
    }
    if (choice == 14)
        return deleteMemo(m, memo->localId, excused);
    return writeInMemo(m, memo, random.bounded(2) == 0, excused);
}

// The machine in use recycles a chapter; offline, the other machine deletes
// it for good while this one restores it and writes in it. Either may come
// back first; the words written after the restore stay, what the deleting
// machine had may go with its delete. Ends with the machine in use again.
// Empty, or what went wrong.
QString deleteWhileRestoredElsewhere(Machine (&machines)[2], int here, QRandomGenerator& random, QSet<QString>& excused)
{
    Machine& m = machines[here];
    Machine& other = machines[1 - here];
    T_Book* book = demoBook();
    T_Chapter* chapter = book ? pickOf(random, book->chapterList) : nullptr;
    if (chapter == nullptr || chapter->chapterId < 1)
        return QString();
    const int chapterId = chapter->chapterId;
    trace(m, QStringLiteral("recycles; the other deletes it for good while this one restores it and writes"), chapter);
    TC_Chapter_Recycle recycle;
    fillChapterHeader(recycle.header, book, chapter);
    recycle.status = 0;
    recycle.updateTime = now();
    if (!CJobManager::instance()->chapter_recycle(recycle) || !settleClient() || !use(other))
        return QStringLiteral("the recycle was refused or did not settle");
    if (!standin().addFault(QStringLiteral("*"), QStringLiteral("http500"), 0, -1))
        return QStringLiteral("no fault");
    T_Book* there = demoBook();
    T_Chapter* gone = there ? there->findChapterByChapterId(chapterId) : nullptr;
    if (gone != nullptr && gone->status == 0) {
        trace(other, QStringLiteral("deletes for good offline"), gone);
        // What it had goes when its delete comes first; the restoring
        // machine's text comes back as a chapter of its own.
        excuse(excused, stored(gone->localId));
        if (!purgeChapter(there, gone))
            return QStringLiteral("the delete was refused");
    }
    if (!use(m))
        return QStringLiteral("did not settle offline");
    book = demoBook();
    chapter = book ? book->findChapterByChapterId(chapterId) : nullptr;
    if (chapter != nullptr && chapter->status == 0) {
        trace(m, QStringLiteral("restores offline"), chapter);
        ++m.counter;
        if (!tree()->restoreChapter(book, chapter) || !typeInto(m, book, chapter))
            return QStringLiteral("the restore or the words were refused");
    }
    if (!settleClient() || !standin().clearFaults())
        return QStringLiteral("did not settle after the restore");
    // The restoring machine back online first, or the deleting one.
    const bool restoringFirst = random.bounded(2) == 0;
    if (!use(restoringFirst ? m : other) || (!restoringFirst && !use(m)))
        return QStringLiteral("did not settle back online");
    return QString();
}

// Another machine deletes a chapter for good while this one shows the book;
// the tree drops it with the feed, and the author drags a chapter right
// after. Empty, or what went wrong.
QString dragAfterFeedDelete(Machine& m, QRandomGenerator& random, QSet<QString>& excused)
{
    T_Book* book = demoBook();
    T_Chapter* chapter = book ? pickOf(random, book->chapterList) : nullptr;
    if (chapter == nullptr || chapter->chapterId < 1)
        return QString();
    const int localId = chapter->localId;
    trace(m, QStringLiteral("sees it deleted for good elsewhere, then drags"), chapter);
    excuse(excused, stored(localId));
    const QJsonObject ids{{QStringLiteral("book_id"), kBook}, {QStringLiteral("chapter_id"), chapter->chapterId},
                          {QStringLiteral("volume_id"), chapter->volumeId}, {QStringLiteral("update_time"), now()}};
    QJsonObject recycle = ids;
    recycle.insert(QStringLiteral("status"), 0);
    if (platformCall(QStringLiteral("/chapter/recycle"), recycle).isEmpty()
        || platformCall(QStringLiteral("/chapter/delChapter"), ids).isEmpty())
        return QStringLiteral("the platform refused the delete");
    CJobManager::instance()->synNow(false);
    if (!settleClient())
        return QStringLiteral("the feed did not settle");
    book = demoBook();
    const QList<T_Volume*> volumes = book ? liveVolumes(book) : QList<T_Volume*>();
    for (const T_Volume* volume : volumes) {
        if (chapterRow(volume, localId) >= 0)
            return QStringLiteral("the tree still shows chapter %1").arg(localId);
    }
    dragChapter(m, random, volumes);
    return QString();
}

// The machine in use recycles a chapter, or its whole book (one of the
// walk's), and restores it and writes in it once the other saw it in its
// bin; the other, its feed failing, deletes it for good from its bin at
// once. After two syncs each the words are on the platform and on both
// machines. Ends with the machine in use. Empty, or what went wrong.
QString deleteOnlineBeforeItsFeed(Machine (&machines)[2], int here, QRandomGenerator& random)
{
    Machine& m = machines[here];
    Machine& other = machines[1 - here];
    CPublicManager* model = CPublicManager::instance();
    CJobManager* jobs = CJobManager::instance();
    QList<T_Book*> books;
    for (T_Book* book : model->bookList) {
        if (book->bookId != kBook && book->bookId > 0 && (book->chaptersLoaded || jobs->getChapters(book)))
            books.append(book);
    }
    const bool wholeBook = random.bounded(2) == 0;
    T_Book* book = wholeBook ? pickOf(random, books) : demoBook();
    T_Chapter* chapter = book ? pickOf(random, book->chapterList) : nullptr;
    if (chapter == nullptr || chapter->chapterId < 1)
        return QString();
    const int bookId = book->bookId;
    const int chapterId = chapter->chapterId;
    // Its recycle (0), restore (1) or delete for good (2) on the machine in use.
    const auto change = [&](int what) {
        T_Book* live = model->findBookByBookId(bookId);
        const T_Book* binned = model->findRecycledBookByBookId(bookId);
        T_Chapter* one = demoBook() ? demoBook()->findChapterByChapterId(chapterId) : nullptr;
        TC_Books_Delete recycle(live ? live->localId : 0, now());
        TC_Books_Restore restore;
        TC_Books_Delete_Hard purge;
        TC_Chapter_Recycle state;
        restore.header.localBookId = purge.header.localBookId = binned ? binned->localId : 0;
        restore.updateTime = purge.updateTime = state.updateTime = now();
        if (one != nullptr)
            fillChapterHeader(state.header, demoBook(), one);
        if (wholeBook)
            return what == 0 ? jobs->books_delete(recycle) : what == 1 ? jobs->books_restore(restore) : jobs->books_delete_hard(purge);
        return one != nullptr && (what == 2 ? purgeChapter(demoBook(), one) : what == 0 ? jobs->chapter_recycle(state)
                                                                                     : tree()->restoreChapter(demoBook(), one));
    };
    trace(m, QStringLiteral("recycles %1, restores it once the other saw it and writes; the other deletes it")
                 .arg(wholeBook ? "its book" : "it"), chapter);
    if (!change(0) || !settleClient() || !use(other) || !use(m))
        return QStringLiteral("the recycle did not settle");
    // A delete for good of it the other machine made in an earlier turn,
    // waiting for its feed, went in that sync (the recycle is no writing):
    // nothing is left to restore.
    const QJsonObject store = standin().store();
    if (!(wholeBook ? platformBooks(store) : platformChapters(store)).contains(wholeBook ? bookId : chapterId)) {
        trace(m, QStringLiteral("finds it deleted for good by the other's earlier delete"));
        return QString();
    }
    // A restore of it the other machine made offline in an earlier turn
    // went in that sync after the recycle: it is live again here.
    const T_Chapter* binned = demoBook() ? demoBook()->findChapterByChapterId(chapterId) : nullptr;
    if (wholeBook ? model->findRecycledBookByBookId(bookId) == nullptr : binned == nullptr || binned->status != 0) {
        trace(m, QStringLiteral("finds it restored by the other's earlier restore"));
        return QString();
    }
    if (!change(1))
        return QStringLiteral("the recycle or the restore was refused or did not settle");
    book = model->findBookByBookId(bookId);
    chapter = book ? book->findChapterByChapterId(chapterId) : nullptr;
    ++m.counter;
    if (chapter == nullptr || !typeInto(m, book, chapter) || !settleClient())
        return QStringLiteral("the words were refused");
    const QString paragraph = QStringLiteral("%1的第%2段").arg(m.name).arg(m.counter);
    trace(other, QStringLiteral("deletes it for good online, its feed failing"));
    if (!standin().addFault(QStringLiteral("/synchronization/synBookData"), QStringLiteral("http500"), 0, -1)
        || !use(other) || !change(2) || !settleClient() || !standin().clearFaults())
        return QStringLiteral("the delete was refused or did not settle");
    const QString holding = QStringLiteral("select count(*) from tb_chapter_text where instr(content, '%1') > 0").arg(paragraph);
    for (Machine* machine : {&other, &m, &other, &m}) {
        QSqlQuery query = CTessaneDb::instance()->newQuery();
        if (!use(*machine) || !query.exec(holding) || !query.next() || query.value(0).toInt() < 1)
            return QStringLiteral("%1 lost \"%2\"").arg(machine->name, paragraph);
    }
    for (const QJsonValue& value : standin().store().value(QStringLiteral("chapters")).toArray()) {
        if (value.toObject().value(QStringLiteral("content")).toString().contains(paragraph))
            return QString();
    }
    return QStringLiteral("the platform lost \"%1\"").arg(paragraph);
}

// A rename or a drag of a chapter cannot get through; another machine
// deletes the chapter for good meanwhile. Its feed first, or the change
// first: the change leaves the queue and brings nothing of the chapter
// back. Empty, or what went wrong.
QString changeOfAChapterGoneElsewhere(Machine& m, QRandomGenerator& random, QSet<QString>& excused)
{
    T_Book* book = demoBook();
    const QList<T_Volume*> volumes = book ? liveVolumes(book) : QList<T_Volume*>();
    const T_Volume* volume = pickOf(random, volumes);
    if (volume == nullptr || rowsOf(volume) < 2)
        return QString();
    const int row = random.bounded(rowsOf(volume));
    const int localId = tree()->volumeModel()->getChapterSortModelByLocalId(volume->localId)
                            ->index(row, 0).data(CBookChapterModel::LocalIdRole).toInt();
    const T_Chapter* chapter = book->findChapterByLocalId(localId);
    const bool rename = random.bounded(2) == 0;
    const QString name = QStringLiteral("%1改名%2").arg(m.name).arg(++m.counter);
    if (chapter == nullptr || chapter->chapterId < 1
        || !standin().addFault(rename ? QStringLiteral("/chapter/editChapter") : QStringLiteral("/chapter/move"),
                               QStringLiteral("http500"), 0, -1))
        return QString();
    trace(m, rename ? QStringLiteral("renames to %1 while it is deleted elsewhere").arg(name)
                    : QStringLiteral("drags it while it is deleted elsewhere"), chapter);
    TC_Chapter_Edit_Name request;
    fillChapterHeader(request.header, book, chapter);
    request.chapterName = name;
    request.updateTime = now();
    if (rename ? !CJobManager::instance()->chapter_edit_name(request)
               : (tree()->moveChapter(row, volume->localId, row == 0 ? 1 : 0, volume->localId, row == 0), false))
        return QStringLiteral("the rename was refused");
    excuse(excused, stored(localId));
    const QJsonObject ids{{QStringLiteral("book_id"), kBook}, {QStringLiteral("chapter_id"), chapter->chapterId},
                          {QStringLiteral("volume_id"), chapter->volumeId}, {QStringLiteral("update_time"), now()},
                          {QStringLiteral("status"), 0}};
    if (!settleClient() || platformCall(QStringLiteral("/chapter/recycle"), ids).isEmpty()
        || platformCall(QStringLiteral("/chapter/delChapter"), ids).isEmpty())
        return QStringLiteral("the platform refused the delete");
    for (const bool faultsGone : {false, true}) {
        if ((faultsGone || !rename || random.bounded(2) == 0) && (!faultsGone || standin().clearFaults())) {
            CJobManager::instance()->synNow(false);
            if (!settleClient())
                return QStringLiteral("did not settle");
        }
    }
    if (!jobTypesOfChapter(localId).isEmpty())
        return QStringLiteral("chapter %1 deleted elsewhere still has jobs here").arg(localId);
    return (platformChapters(standin().store()).values() + localChapters().values()).join(QLatin1Char('\n')).contains(name)
               ? QStringLiteral("the chapter renamed to %1 came back").arg(name)
               : QString();
}

// A chapter's or a volume's state and name, here or on the platform, and
// where it stands: a live chapter's volume, a live volume's place. The book
// by its name.
QString held(bool volume, int id, bool here)
{
    if (id == kBook)
        return (here ? localBooks() : platformBooks(standin().store())).value(kBook).section(QLatin1Char('|'), 0, 0) + '@';
    const QJsonObject store = here ? QJsonObject() : standin().store();
    const QMap<int, QString> rows = volume ? (here ? localVolumes() : platformVolumes(store))
                                           : (here ? localChapters() : platformChapters(store));
    QStringList volumes;
    QString where;
    auto it = QRegularExpression(QStringLiteral("(\\d+)\\[([^\\]]*)\\]"))
                  .globalMatch(here ? storedOrder(kBook) : platformOrder(store, kBook));
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        volumes << match.captured(1);
        if (!volume && match.captured(2).split(QLatin1Char(' ')).contains(QString::number(id)))
            where = match.captured(1);
    }
    return rows.value(id).section(QLatin1Char('|'), 0, 1) + QLatin1Char('@')
           + (volume ? QString::number(volumes.indexOf(QString::number(id))) : where);
}

// One machine's change of a live chapter (0 rename, 1 recycle or restore,
// 2 drag), volume (3 rename, 4 delete or restore, 5 drag) or the book (6
// rename), as its author makes it; false when the client refused it.
bool changeOf(Machine& m, QRandomGenerator& random, int kind, int id)
{
    T_Book* book = demoBook();
    if (kind == 6) {
        trace(m, QStringLiteral("renames the book as the other does"));
        TC_Books_Edit rename(book->localId, book->channelType, book->cateId, book->cateFid,
                             QStringLiteral("%1改的书名%2").arg(m.name).arg(++m.counter), book->intro, QString(), now());
        rename.wholeBook = true;
        return CJobManager::instance()->books_edit(rename);
    }
    T_Chapter* chapter = book ? book->findChapterByChapterId(id) : nullptr;
    T_Volume* volume = book ? book->findVolumeByVolumeId(id) : nullptr;
    const T_Volume* to = book ? pickOf(random, liveVolumes(book)) : nullptr;
    const int row = chapter ? chapterRow(book->findVolumeByLocalId(chapter->localVolumeId), chapter->localId) : -1;
    const QString name = QStringLiteral("%1又改%2").arg(m.name).arg(++m.counter);
    trace(m, QStringLiteral("changes %1 %2 as the other does (%3)").arg(kind < 3 ? "chapter" : "volume").arg(id).arg(kind));
    if (kind < 3 ? chapter == nullptr : volume == nullptr)
        return false;
    if (kind == 0 || kind == 2) {
        if (row >= 0 && kind == 0)
            tree()->changeChapterName(chapter->localVolumeId, chapter->localId, row, name);
        else if (row >= 0 && to != nullptr)
            tree()->moveChapter(row, chapter->localVolumeId, rowsOf(to) == 0 ? 0 : random.bounded(rowsOf(to)),
                                to->localId, random.bounded(2) == 0);
        return true;
    }
    if (kind == 1) {
        if (chapter->status == 0)
            return tree()->restoreChapter(book, chapter);
        TC_Chapter_Recycle recycle;
        fillChapterHeader(recycle.header, book, chapter);
        recycle.updateTime = now();
        if (!CJobManager::instance()->chapter_recycle(recycle))
            return false;
    } else if (kind == 3) {
        tree()->changeVolumeName(volumeRow(volume), name);
    } else if (kind == 4) {
        TC_Volume_Delete state(*volume, volume->status == 0 ? 1 : 0, now());
        if (!CJobManager::instance()->volume_del_restore(state))
            return false;
    } else if (to != volume) {
        tree()->moveVolume(volumeRow(volume), volumeRow(to), 1);
    }
    tree()->reloadBook(book);
    return true;
}

// The request of each kind of change the steps below make of a chapter, a
// volume or the book (changeOf).
const char* const kChangePaths[] = {"/chapter/editChapter", "/chapter/recycle", "/chapter/move",
                                    "/volume/editVolume",   "/volume/recycle",  "/volume/move",
                                    "/books/editBook"};

// Both machines change one live chapter or volume, the machine in use first:
// offline (a volume renamed, or deleted while the other deletes and restores
// it), or with its reply cut off after the platform took it. The change the
// platform took last stands, on both machines and the platform. Ends with
// the machine in use again. Empty, or what went wrong.
QString bothChangeOneObject(Machine (&machines)[2], int here, QRandomGenerator& random, bool offline)
{
    Machine& m = machines[here];
    Machine& other = machines[1 - here];
    T_Book* book = demoBook();
    // What waits here would change the platform too.
    if (book == nullptr || !m.fixture->jobIds().isEmpty())
        return QString();
    const QList<T_Volume*> volumes = liveVolumes(book);
    // Kinds a single volume cannot take stand for the book's rename.
    int kind = offline ? 3 + random.bounded(2) : random.bounded(7);
    if (volumes.size() < 2 && (kind == 4 || kind == 5))
        kind = 6;
    const T_Volume* volume = pickOf(random, volumes);
    const T_Chapter* chapter = pickOf(random, book->chapterList);
    const int id = kind == 6 ? kBook : kind >= 3 ? (volume ? volume->volumeId : 0) : (chapter ? chapter->chapterId : 0);
    if (id < 1 || (kind == 3 && volume == nullptr))
        return QString();
    const QString before = held(kind >= 3, id, false);
    if (!standin().addFault(offline ? QStringLiteral("*") : QLatin1String(kChangePaths[kind]),
                            QLatin1String(offline ? "http500" : "truncated"), 0, offline ? -1 : 1)
        || !changeOf(m, random, kind, id) || !settleClient() || !standin().clearFaults())
        return QStringLiteral("the first change was refused or did not settle");
    const QString ours = held(kind >= 3, id, true);
    // A change that waited here (for an earlier one, a server id) met no cut.
    if (!offline && ours != held(kind >= 3, id, false))
        return QString();
    if (!use(other))
        return QStringLiteral("did not settle on %1").arg(other.name);
    const QString back = QStringLiteral("did not settle back on %1").arg(m.name);
    // A change of the object waiting there went first: it is the later one.
    if (held(kind >= 3, id, false) != (offline ? before : ours))
        return use(m) ? QString() : back;
    if (!changeOf(other, random, kind, id) || (offline && kind == 4 && !changeOf(other, random, kind, id))
        || !settleClient())
        return QStringLiteral("the other machine's change was refused or did not settle");
    // This machine's when it comes back online, else the other's (unless it waits there).
    const QString later = offline ? ours.section(QLatin1Char('@'), 0, 0) : held(kind >= 3, id, false);
    if (!offline && later != held(kind >= 3, id, true))
        return use(m) ? QString() : back;
    for (Machine* side : {&m, &other, &m}) {
        if (!use(*side))
            return QStringLiteral("did not settle on %1").arg(side->name);
        const QString here = held(kind >= 3, id, true);
        if (here != held(kind >= 3, id, false) || (offline ? here.section(QLatin1Char('@'), 0, 0) : here) != later)
            return QStringLiteral("%1 %2 on %3: %4, platform %5, the later change %6")
                .arg(kind >= 3 ? "volume" : "chapter").arg(id).arg(side->name, here, held(kind >= 3, id, false), later);
    }
    return QString();
}

QString pullPath()
{
    return QStringLiteral("/synchronization/synBookData");
}

// Waits (events flowing) until done holds; false when it never did.
bool waitUntil(const std::function<bool()>& done, int timeoutMs = 15000)
{
    for (int waited = 0; !done(); waited += 20) {
        if (waited >= timeoutMs)
            return false;
        QTest::qWait(20);
    }
    return true;
}

// Every line of this machine's chapters (of every book), memos and outline
// cards, to look paragraphs up in.
QString localWords()
{
    QStringList texts;
    QSqlQuery query = CTessaneDb::instance()->newQuery();
    if (query.exec(QStringLiteral("select content from tb_chapter_text union all select content from tb_memo union all "
                                  "select ifnull(title, '') || char(10) || ifnull(content, '') from tb_outline")))
        while (query.next())
            texts << query.value(0).toString();
    return QLatin1Char('\n') + texts.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

// The same on the platform, for the author's books and memos.
QString platformWords(const QJsonObject& store)
{
    QSet<int> books;
    for (const QJsonValue& book : store.value(QStringLiteral("books")).toArray()) {
        if (book[QStringLiteral("author_id")].toInt() == StandinServer::demoUid())
            books.insert(book[QStringLiteral("book_id")].toInt());
    }
    QStringList texts;
    for (const char* kind : {"chapters", "outlines", "memos"}) {
        for (const QJsonValue& value : store.value(QLatin1String(kind)).toArray()) {
            const QJsonObject object = value.toObject();
            if (qstrcmp(kind, "memos") == 0 ? object[QStringLiteral("uid")].toInt() == StandinServer::demoUid()
                                            : books.contains(object[QStringLiteral("book_id")].toInt()))
                texts << object[QStringLiteral("title")].toString() << object[QStringLiteral("content")].toString();
        }
    }
    return QLatin1Char('\n') + texts.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

bool holds(const QString& words, const QString& paragraph)
{
    return words.contains(QLatin1Char('\n') + paragraph + QLatin1Char('\n'));
}

// The server ids of the memos, or of the demo book's outline cards, in order.
QList<int> noteIds(bool memo)
{
    QList<int> ids;
    for (const T_Memo* note : memo ? CPublicManager::instance()->memoList : QList<T_Memo*>())
        ids << note->memoId;
    for (const T_Outline* note : !memo && demoBook() ? demoBook()->outline.outlineList : QList<T_Outline*>())
        ids << note->outlineId;
    std::sort(ids.begin(), ids.end());
    ids.removeAll(0);
    return ids;
}

// The walk's other books on the platform that have live chapters.
QList<T_Book*> otherBooksWithChapters()
{
    QList<T_Book*> books;
    for (T_Book* book : CPublicManager::instance()->bookList) {
        if (book->bookId != kBook && book->bookId > 0
            && (book->chaptersLoaded || CJobManager::instance()->getChapters(book)) && !book->chapterList.isEmpty())
            books.append(book);
    }
    return books;
}

// One machine deletes a memo or an outline card; the other writes in it
// without having seen that (offline, or with its feed failing). Or the
// machine in use writes in it first and the other, offline or not having
// pulled since, deletes it. The words stay everywhere: the delete is
// withdrawn, or the note comes back as a new one holding them. Ends with
// the machine in use. Empty, or what went wrong.
QString noteMeetsADelete(Machine (&machines)[2], int here, QRandomGenerator& random, QSet<QString>& excused)
{
    Machine& m = machines[here];
    Machine& other = machines[1 - here];
    const bool memo = random.bounded(2) == 0;
    const bool deleteFirst = random.bounded(2) == 0;
    const QString cut = random.bounded(2) == 0 ? QStringLiteral("*") : pullPath();
    const QList<int> ids = noteIds(memo);
    if (ids.isEmpty())
        return QString();
    const int id = ids.at(random.bounded(ids.size()));
    Machine& writer = deleteFirst ? other : m;
    const QString paragraph = QStringLiteral("%1的%2%3").arg(writer.name, memo ? "便签" : "大纲").arg(writer.counter + 1);
    trace(m, QStringLiteral("%1 %2 %3 %4 (%5)")
                 .arg(deleteFirst ? "deletes" : "writes in", memo ? "memo" : "outline").arg(id)
                 .arg(deleteFirst ? "and the other writes in it before it saw that" : "and the other deletes it before it saw that",
                      cut == QLatin1String("*") ? "offline" : "its feed failing"));
    const auto write = [&]() {
        ++writer.counter;
        if (memo) {
            const T_Memo* note = CPublicManager::instance()->findMemoByMemoId(id);
            return note == nullptr || writeInMemo(writer, note, true, excused);
        }
        const T_Outline* note = demoBook() ? demoBook()->findOutlineByOutlineId(id) : nullptr;
        return note == nullptr || writeInOutline(writer, demoBook(), note, true, excused);
    };
    Machine& deleter = deleteFirst ? m : other;
    const auto remove = [&]() {
        if (memo) {
            const T_Memo* note = CPublicManager::instance()->findMemoByMemoId(id);
            return note == nullptr || deleteMemo(deleter, note->localId, excused);
        }
        const T_Outline* note = demoBook() ? demoBook()->findOutlineByOutlineId(id) : nullptr;
        return note == nullptr || deleteOutline(deleter, demoBook(), note->localId, excused);
    };
    if (!(deleteFirst ? remove() : write()) || !settleClient())
        return QStringLiteral("the first change was refused or did not settle");
    if (!standin().addFault(cut, QStringLiteral("http500"), 0, -1))
        return QStringLiteral("no fault");
    if (!use(other) || !(deleteFirst ? write() : remove()) || !settleClient())
        return QStringLiteral("the second change was refused or did not settle");
    if (!standin().clearFaults() || !use(other) || !use(m))
        return QStringLiteral("did not settle back online");
    // Written where the note was still there: the words are on the platform.
    if (writer.paragraphs.contains(paragraph) && !holds(platformWords(standin().store()), paragraph))
        return QStringLiteral("the platform lost \"%1\"").arg(paragraph);
    return QString();
}

// The texts of a book's chapters here, as one.
QString bookWords(int localBookId)
{
    QStringList texts;
    QSqlQuery query = CTessaneDb::instance()->newQuery();
    if (query.exec(QStringLiteral("select content from tb_chapter left join tb_chapter_text using (localId) where localBookId = %1").arg(localBookId)))
        while (query.next())
            texts << query.value(0).toString();
    return QLatin1Char('\n') + texts.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

// Opens the menu of the book's row in the book bin and chooses an entry (0
// restore, 1 delete for good), its question answered with OK. False when
// the bin does not list the book.
bool chooseInBookBin(Dialog_BookRecycle& bin, int localBookId, int entry)
{
    for (int row = 0; row < bin.model()->rowCount(); ++row) {
        const QModelIndex index = bin.model()->index(row, 0);
        if (index.data().value<BookRecycleItem>().localBookId != localBookId)
            continue;
        bin.listView()->scrollTo(index);
        emit bin.listView()->customContextMenuRequested(bin.listView()->visualRect(index).center());
        whenShown<BkMessageBox>([](BkMessageBox* box) { box->textButtons().at(0)->click(); }, false, nullptr, 300);
        bin.menu()->actions().at(entry)->trigger();
        bin.menu()->close();
        return true;
    }
    return false;
}

// The machine in use recycles one of the walk's other books; the other,
// its feed failing, still shows it and writes in it. Back here, the book
// bin open across the feed that brings those words, the author deletes the
// book for good from the bin: before that feed (the delete is withdrawn and
// the book comes back to the bin) or after it (the first delete is refused,
// the author told). Then the author deletes it again, restores it, or
// leaves it. Ends with the machine in use. Empty, or what went wrong.
QString bookWrittenInTheBin(Machine (&machines)[2], int here, QRandomGenerator& random, QSet<QString>& excused)
{
    Machine& m = machines[here];
    Machine& other = machines[1 - here];
    CPublicManager* model = CPublicManager::instance();
    CJobManager* jobs = CJobManager::instance();
    T_Book* book = pickOf(random, otherBooksWithChapters());
    if (book == nullptr)
        return QString();
    const int bookId = book->bookId;
    const bool beforeItsFeed = random.bounded(2) == 0;
    const int then = random.bounded(3);
    trace(m, QStringLiteral("recycles book %1; the other writes in it before its pull; this one deletes it for good "
                            "from the bin %2 the feed that brings the words, then %3")
                 .arg(bookId).arg(beforeItsFeed ? "before" : "after", then == 0 ? "again" : then == 1 ? "restores it" : "leaves it"));
    TC_Books_Delete recycle(book->localId, now());
    if (!jobs->books_delete(recycle) || !settleClient())
        return QStringLiteral("the recycle was refused or did not settle");
    if (!standin().addFault(pullPath(), QStringLiteral("http500"), 0, -1) || !use(other))
        return QStringLiteral("did not settle on %1").arg(other.name);
    T_Book* there = model->findBookByBookId(bookId);
    T_Chapter* chapter = there ? pickOf(random, there->chapterList) : nullptr;
    ++other.counter;
    const QString paragraph = QStringLiteral("%1的第%2段").arg(other.name).arg(other.counter);
    if ((chapter != nullptr && !typeInto(other, there, chapter)) || !settleClient())
        return QStringLiteral("the words were refused or did not settle");
    // Only words the platform took can meet the delete.
    const bool taken = holds(platformWords(standin().store()), paragraph);
    if (!use(m))
        return QStringLiteral("did not settle on %1").arg(m.name);
    const T_Book* binned = model->findRecycledBookByBookId(bookId);
    if (!taken || binned == nullptr)
        return standin().clearFaults() && use(m) ? QString() : QStringLiteral("did not settle back online");
    int localBookId = binned->localId;
    Dialog_BookRecycle bin;
    bin.show();
    if (!QTest::qWaitForWindowExposed(&bin))
        return QStringLiteral("the book bin did not show");
    if (beforeItsFeed) {
        excuse(excused, bookWords(localBookId));
        if (!chooseInBookBin(bin, localBookId, 1) || model->findRecycledBookByBookId(bookId) != nullptr)
            return QStringLiteral("the book bin did not delete book %1 for good").arg(bookId);
        // The pass the delete started pulls while the feed still fails.
        if (!settleClient())
            return QStringLiteral("did not settle after the delete");
    }
    if (!standin().clearFaults())
        return QStringLiteral("no faults cleared");
    jobs->synNow(false);
    if (!settleClient() || !waitUntil([&]() { return model->findRecycledBookByBookId(bookId) != nullptr; }))
        return QStringLiteral("book %1, written in elsewhere, is not in the bin after the feed").arg(bookId);
    localBookId = model->findRecycledBookByBookId(bookId)->localId;
    trace(m, QStringLiteral("has book %1 in the bin after the feed%2").arg(bookId)
                 .arg(beforeItsFeed ? ", its delete withdrawn" : QString()));
    if (!holds(bookWords(localBookId), paragraph))
        return QStringLiteral("the book in the bin did not take \"%1\"").arg(paragraph);
    if (!beforeItsFeed) {
        if (!chooseInBookBin(bin, localBookId, 1))
            return QStringLiteral("the bin does not list book %1").arg(bookId);
        if (model->findRecycledBookByLocalId(localBookId) == nullptr || jobs->lastError().isEmpty())
            return QStringLiteral("book %1, written in elsewhere, was deleted for good untold").arg(bookId);
        trace(m, QStringLiteral("is told: %1").arg(jobs->lastError()));
    }
    // Told of the words, the author deletes it again (once more if told
    // again), restores it or leaves it.
    for (int tries = 0; then == 0 && tries < 2 && model->findRecycledBookByLocalId(localBookId) != nullptr; ++tries) {
        excuse(excused, bookWords(localBookId));
        if (!chooseInBookBin(bin, localBookId, 1))
            return QStringLiteral("the bin does not list book %1").arg(bookId);
    }
    if (then == 0 && model->findRecycledBookByLocalId(localBookId) != nullptr)
        return QStringLiteral("book %1 could not be deleted for good once told").arg(bookId);
    if (then == 1 && (!chooseInBookBin(bin, localBookId, 0) || model->findBookByBookId(bookId) == nullptr))
        return QStringLiteral("book %1 was not restored from the bin").arg(bookId);
    return settleClient() ? QString() : QStringLiteral("did not settle after the bin");
}

// The author in the chapter bin: Delete or Recover from its menu for the
// chapter it shows (another one clicked first, now and then), or Delete All
// or Recover All. A delete takes what the bin showed; one kept once for
// words written elsewhere takes nothing. The server ids of the chapters the
// bin deleted for good.
QSet<int> useChapterBin(const Machine& m, Widget_RecycleBin& bin, QRandomGenerator& random, QSet<QString>& excused)
{
    const T_Book* book = demoBook();
    const int entry = random.bounded(4);
    if (entry < 2 && book != nullptr && random.bounded(2) == 0) {
        if (const T_Chapter* clicked = pickOf(random, book->recycleChapterList))
            bin.onMousePressedByLeftBtn(clicked->localId);
    }
    const T_Chapter* current = bin.currentChapter();
    QMap<int, QPair<int, QString>> shown;
    for (const T_Chapter* chapter : book ? book->recycleChapterList : QList<T_Chapter*>())
        shown.insert(chapter->localId, qMakePair(chapter->chapterId, stored(chapter->localId)));
    QList<QAction*> entries = bin.menu()->actions();
    entries.erase(std::remove_if(entries.begin(), entries.end(), [](const QAction* a) { return a->isSeparator(); }),
                  entries.end());
    trace(m, QStringLiteral("chooses %1 in the chapter bin").arg(entries.at(entry)->text()), current);
    entries.at(entry)->trigger();
    QSet<int> deleted;
    for (auto it = shown.constBegin(); it != shown.constEnd() && (entry == 0 || entry == 2); ++it) {
        if (demoBook() != nullptr && demoBook()->findChapterByLocalId(it.key()) == nullptr) {
            excuse(excused, it.value().second);
            deleted.insert(it.value().first);
        }
    }
    return deleted;
}

// The chapter bin stays open here on a chapter in it, across a feed that
// brings what the other machine did meanwhile: restored the chapter and
// wrote in it, deleted it for good, or recycled another. Then the author
// uses the bin's menu. Words written elsewhere stay. Ends with the machine
// in use. Empty, or what went wrong.
QString chapterBinAcrossAFeed(Machine (&machines)[2], int here, QRandomGenerator& random, QSet<QString>& excused)
{
    Machine& m = machines[here];
    Machine& other = machines[1 - here];
    T_Book* book = demoBook();
    if (book == nullptr)
        return QString();
    if (book->recycleChapterList.isEmpty()) {
        T_Chapter* live = pickOf(random, book->chapterList);
        if (live == nullptr)
            return QString();
        trace(m, QStringLiteral("recycles"), live);
        TC_Chapter_Recycle recycle;
        fillChapterHeader(recycle.header, book, live);
        recycle.status = 0;
        recycle.updateTime = now();
        if (!CJobManager::instance()->chapter_recycle(recycle) || !settleClient())
            return QStringLiteral("the recycle was refused or did not settle");
    }
    QList<T_Chapter*> inBin;
    for (T_Chapter* chapter : book->recycleChapterList) {
        if (chapter->chapterId > 0)
            inBin.append(chapter);
    }
    const T_Chapter* chapter = pickOf(random, inBin);
    if (chapter == nullptr)
        return QString();
    const int chapterId = chapter->chapterId;
    const int what = random.bounded(4);
    trace(m, QStringLiteral("keeps the chapter bin open on it across a feed; the other %1")
                 .arg(what == 0 ? "restores it and writes" : what == 1 ? "deletes it for good"
                      : what == 2 ? "recycles another" : "writes in it, not knowing it is recycled"),
          chapter);
    if (!use(other))
        return QStringLiteral("did not settle on %1").arg(other.name);
    T_Book* there = demoBook();
    T_Chapter* theirs = there ? there->findChapterByChapterId(chapterId) : nullptr;
    QString paragraph;
    if (what == 3) {
        // The other machine's words reach the platform before it learns of
        // the recycle: the text goes in as it had the chapter.
        ++other.counter;
        paragraph = QStringLiteral("%1的第%2段").arg(other.name).arg(other.counter);
        const QString before = platformChapters(standin().store()).value(chapterId).section(QLatin1Char('|'), 2);
        trace(other, QStringLiteral("writes %1 into chapter %2 in the other's bin").arg(paragraph).arg(chapterId));
        if (platformCall(QStringLiteral("/chapter/editChapter"),
                         {{QStringLiteral("book_id"), kBook}, {QStringLiteral("chapter_id"), chapterId},
                          {QStringLiteral("content"), before.isEmpty() ? paragraph : before + QLatin1Char('\n') + paragraph}})
                .isEmpty())
            paragraph.clear();
        else
            other.paragraphs.insert(paragraph, QStringLiteral("chapter %1 in the bin").arg(chapterId));
    } else if (theirs != nullptr && theirs->status == 0 && what == 0) {
        ++other.counter;
        if (!tree()->restoreChapter(there, theirs) || !typeInto(other, there, theirs))
            return QStringLiteral("the restore or the words were refused");
        paragraph = QStringLiteral("%1的第%2段").arg(other.name).arg(other.counter);
    } else if (theirs != nullptr && theirs->status == 0 && what == 1) {
        trace(other, QStringLiteral("deletes for good"), theirs);
        excuse(excused, stored(theirs->localId));
        if (!purgeChapter(there, theirs))
            return QStringLiteral("the delete was refused");
    } else if (T_Chapter* another = there ? pickOf(random, there->chapterList) : nullptr) {
        trace(other, QStringLiteral("recycles"), another);
        TC_Chapter_Recycle recycle;
        fillChapterHeader(recycle.header, there, another);
        recycle.status = 0;
        recycle.updateTime = now();
        if (!CJobManager::instance()->chapter_recycle(recycle))
            return QStringLiteral("the recycle was refused");
    }
    if (!settleClient() || !standin().addFault(pullPath(), QStringLiteral("http500"), 0, -1) || !use(m))
        return QStringLiteral("did not settle");
    book = demoBook();
    Widget_RecycleBin bin;
    bin.loadBook(book);
    bin.show();
    if (const T_Chapter* shown = book ? book->findChapterByChapterId(chapterId) : nullptr; shown && shown->status == 0)
        bin.onMousePressedByLeftBtn(shown->localId);
    if (!standin().clearFaults())
        return QStringLiteral("no faults cleared");
    CJobManager::instance()->synNow(false);
    if (!settleClient())
        return QStringLiteral("the feed did not settle");
    const QSet<int> deleted = useChapterBin(m, bin, random, excused);
    if (what == 3 && !paragraph.isEmpty() && deleted.contains(chapterId))
        return QStringLiteral("chapter %1, written in elsewhere while in the bin, was deleted for good untold").arg(chapterId);
    if (!settleClient())
        return QStringLiteral("did not settle after the bin");
    if (!paragraph.isEmpty() && !excused.contains(paragraph) && !holds(localWords(), paragraph))
        return QStringLiteral("%1 lost \"%2\"").arg(m.name, paragraph);
    return QString();
}

// Whether a pass of the machine in use has ended (its feed included).
bool passEnded()
{
    return CUiManager::instance()->syncRunning() == 0 && !CSynDataManager::instance()->isRunning();
}

// The machine in use, offline, writes in a chapter of one of the walk's
// other books, adds a chapter there and writes in it, then recycles the
// book; the other machine, online, deletes the chapter written in for good.
// Back online, the words written offline stay (the end checks them). Ends
// with the machine in use. Empty, or what went wrong.
QString offlineWorkInABookRecycledWhileDeletedElsewhere(Machine (&machines)[2], int here, QRandomGenerator& random,
                                                       QSet<QString>& excused)
{
    Machine& m = machines[here];
    Machine& other = machines[1 - here];
    CPublicManager* model = CPublicManager::instance();
    CJobManager* jobs = CJobManager::instance();
    T_Book* book = pickOf(random, otherBooksWithChapters());
    T_Chapter* chapter = book ? pickOf(random, book->chapterList) : nullptr;
    if (chapter == nullptr || chapter->chapterId < 1)
        return QString();
    const int bookId = book->bookId;
    const int chapterId = chapter->chapterId;
    trace(m, QStringLiteral("offline, writes in book %1, adds a chapter with words, recycles the book; the other "
                            "deletes the chapter written in for good").arg(bookId), chapter);
    if (!standin().addFault(QStringLiteral("*"), QStringLiteral("http500"), 0, -1))
        return QStringLiteral("no fault");
    ++m.counter;
    TC_Chapter_Add add(book->localId, book->bookId, chapter->localVolumeId, chapter->volumeId, now(),
                       chapter->orderNum + 1000, QStringLiteral("%1章%2").arg(m.name).arg(m.counter));
    if (!typeInto(m, book, chapter) || !jobs->chapter_add(add))
        return QStringLiteral("the offline words or the new chapter were refused");
    T_Chapter* added = book->findChapterByLocalId(add.header.localChapterId);
    ++m.counter;
    TC_Books_Delete recycle(book->localId, now());
    if (added == nullptr || !typeInto(m, book, added) || !jobs->books_delete(recycle) || !settleClient()
        || !standin().clearFaults())
        return QStringLiteral("the offline work was refused or did not settle");
    if (!use(other))
        return QStringLiteral("did not settle on %1").arg(other.name);
    T_Book* there = model->findBookByBookId(bookId);
    T_Chapter* theirs = there ? there->findChapterByChapterId(chapterId) : nullptr;
    if (theirs != nullptr) {
        trace(other, QStringLiteral("deletes for good"), theirs);
        excuse(excused, stored(theirs->localId));
        TC_Chapter_Recycle state;
        fillChapterHeader(state.header, there, theirs);
        state.updateTime = now();
        if ((theirs->status != 0 && !jobs->chapter_recycle(state)) || !purgeChapter(there, theirs) || !settleClient())
            return QStringLiteral("the delete was refused or did not settle");
    }
    return use(m) ? QString() : QStringLiteral("did not settle back online");
}

// The machine in use, offline, deletes for good a chapter of the demo book
// (recycling it first), one of the walk's other books, or a memo; the other
// machine writes in it. Back online, the feed withdraws the delete and the
// look that brings the object back (the chapter list, the book's information
// or volume list, the memo's detail) fails once or twice, a restart perhaps
// coming between. The words come back here all the same. Ends with the
// machine in use. Empty, or what went wrong.
QString failedLookAfterAWithdrawnDelete(Machine (&machines)[2], int here, QRandomGenerator& random,
                                        QSet<QString>& excused)
{
    Machine& m = machines[here];
    Machine& other = machines[1 - here];
    CPublicManager* model = CPublicManager::instance();
    CJobManager* jobs = CJobManager::instance();
    const int kind = random.bounded(4);  // chapter, book, book by its volume list, memo
    const bool memo = kind == 3;
    const QList<int> memos = noteIds(true);
    T_Book* book = kind == 1 || kind == 2 ? pickOf(random, otherBooksWithChapters()) : memo ? nullptr : demoBook();
    T_Chapter* chapter = book ? pickOf(random, book->chapterList) : nullptr;
    const int memoId = memo && !memos.isEmpty() ? memos.at(random.bounded(memos.size())) : 0;
    if (memo ? memoId < 1 : chapter == nullptr || chapter->chapterId < 1)
        return QString();
    const int bookId = memo ? 0 : book->bookId;
    const int chapterId = memo ? 0 : chapter->chapterId;
    const int failures = 1 + random.bounded(2);
    const bool restart = random.bounded(2) == 0;
    const QString look = memo ? QStringLiteral("/memo/memoDetail") : kind == 1 ? QStringLiteral("/books/bookinfo")
                         : kind == 2 ? QStringLiteral("/volume/volumeList") : QStringLiteral("/chapter/chapterList");
    trace(m, QStringLiteral("deletes %1 for good offline; the other writes in it; %2 fails %3 times%4")
                 .arg(memo ? QStringLiteral("memo %1").arg(memoId) : kind == 0 ? QStringLiteral("a chapter")
                                                                             : QStringLiteral("book %1").arg(bookId),
                      look).arg(failures).arg(restart ? ", a restart between" : ""),
          chapter);
    if (!standin().addFault(QStringLiteral("*"), QStringLiteral("http500"), 0, -1))
        return QStringLiteral("no fault");
    bool deleted = false;
    if (memo) {
        deleted = deleteMemo(m, model->findMemoByMemoId(memoId)->localId, excused);
    } else if (kind == 0) {
        excuse(excused, stored(chapter->localId));
        TC_Chapter_Recycle recycle;
        fillChapterHeader(recycle.header, book, chapter);
        recycle.updateTime = now();
        deleted = (chapter->status == 0 || jobs->chapter_recycle(recycle)) && purgeChapter(book, chapter);
    } else {
        excuse(excused, bookWords(book->localId));
        TC_Books_Delete recycle(book->localId, now());
        TC_Books_Delete_Hard purge;
        purge.header.localBookId = book->localId;
        purge.updateTime = now();
        deleted = jobs->books_delete(recycle) && jobs->books_delete_hard(purge);
    }
    if (!deleted || !settleClient() || !standin().clearFaults() || !use(other))
        return QStringLiteral("the delete was refused or did not settle");
    ++other.counter;
    T_Book* theirs = memo ? nullptr : model->findBookByBookId(bookId);
    T_Chapter* written = theirs ? theirs->findChapterByChapterId(chapterId) : nullptr;
    const T_Memo* theirMemo = memo ? model->findMemoByMemoId(memoId) : nullptr;
    // Gone there already (an earlier turn's delete): nothing to write in.
    if (memo ? theirMemo == nullptr : written == nullptr)
        return use(m) ? QString() : QStringLiteral("did not settle back online");
    const QString paragraph = memo ? QStringLiteral("%1的便签%2").arg(other.name).arg(other.counter)
                                   : QStringLiteral("%1的第%2段").arg(other.name).arg(other.counter);
    if (!(memo ? writeInMemo(other, theirMemo, true, excused) : typeInto(other, theirs, written)) || !settleClient())
        return QStringLiteral("the words were refused or did not settle");
    if (!standin().addFault(look, QStringLiteral("http500"), 0, failures) || !use(m) || (restart && !use(m)))
        return QStringLiteral("did not settle back online");
    for (int pass = 0; pass < failures + 1; ++pass) {
        CJobManager::instance()->synNow(false);
        if (!settleClient())
            return QStringLiteral("did not settle");
    }
    if (!standin().clearFaults())
        return QStringLiteral("faults not cleared");
    // Written where the object was still there: the words are on the
    // platform, and back here.
    if (holds(platformWords(standin().store()), paragraph) && !holds(localWords(), paragraph))
        return QStringLiteral("\"%1\" did not come back here").arg(paragraph);
    return QString();
}

// The machine in use deletes a chapter in its bin, an outline card, a memo
// or a volume; the delete is confirmed (its reply cut off perhaps, and the
// resend refused as gone); the program starts again, and a list (the memo's
// detail) asked for then is answered as the platform stood before the
// delete. The object does not come back here alone. Empty, or what went
// wrong.
QString restartBetweenAConfirmedDeleteAndAnOlderList(Machine& m, QRandomGenerator& random, QSet<QString>& excused)
{
    T_Book* book = demoBook();
    if (book == nullptr)
        return QString();
    static const QStringList kinds{QStringLiteral("chapter"), QStringLiteral("outline"), QStringLiteral("memo"),
                                   QStringLiteral("volume")};
    const QString kind = kinds.at(random.bounded(kinds.size()));
    QList<int> ids;
    for (const T_Chapter* chapter : kind == QLatin1String("chapter") ? book->recycleChapterList : QList<T_Chapter*>())
        ids << (chapter->chapterId > 0 && !chapter->writtenInBin ? chapter->chapterId : 0);
    for (const T_Volume* volume : kind == QLatin1String("volume") ? liveVolumes(book) : QList<T_Volume*>())
        ids << volume->volumeId;
    if (kind == QLatin1String("outline") || kind == QLatin1String("memo"))
        ids = noteIds(kind == QLatin1String("memo"));
    ids.removeAll(0);
    if (ids.isEmpty())
        return QString();
    const int id = ids.at(random.bounded(ids.size()));
    const bool replyLost = random.bounded(2) == 0;
    const QString list = kind == QLatin1String("chapter") ? QStringLiteral("/chapter/chapterList")
                         : kind == QLatin1String("outline") ? QStringLiteral("/bookoutline/outlineList")
                         : kind == QLatin1String("memo") ? QStringLiteral("/memo/memoDetail")
                                                         : QStringLiteral("/volume/volumeList");
    const QString remove = kind == QLatin1String("chapter") ? QStringLiteral("/chapter/delChapter")
                           : kind == QLatin1String("outline") ? QStringLiteral("/bookoutline/delOutline")
                           : kind == QLatin1String("memo") ? QStringLiteral("/memo/delMemo")
                                                           : QStringLiteral("/volume/recycle");
    trace(m, QStringLiteral("deletes %1 %2%3; after a restart a list answered before the delete comes")
                 .arg(kind).arg(id).arg(replyLost ? ", its reply lost" : ""));
    T_Http_Custom asked;
    asked.uid = StandinServer::demoUid();
    asked.jobType = kind == QLatin1String("chapter") ? int(JobType::ChapterMenu)
                    : kind == QLatin1String("outline") ? int(JobType::OutlineList)
                    : kind == QLatin1String("memo") ? int(JobType::MemoDetail)
                                                    : int(JobType::VolumeMenu);
    asked.bookId = kind == QLatin1String("memo") ? 0 : book->bookId;
    asked.localBookId = kind == QLatin1String("memo") ? 0 : book->localId;
    asked.memoId = kind == QLatin1String("memo") ? id : 0;
    // Asked for by the feed, a volume list's states count.
    asked.synStep = kind == QLatin1String("volume") ? 1 : 0;
    // What the platform answers before the delete, to come after it.
    const QJsonValue older = platformAnswerNow(asked);
    if (replyLost && !standin().addFault(remove, QStringLiteral("truncated"), 0, 1))
        return QStringLiteral("no fault");
    bool deleted = false;
    if (kind == QLatin1String("chapter")) {
        T_Chapter* chapter = book->findChapterByChapterId(id);
        excuse(excused, stored(chapter->localId));
        deleted = purgeChapter(book, chapter);
    } else if (kind == QLatin1String("outline")) {
        deleted = deleteOutline(m, book, book->findOutlineByOutlineId(id)->localId, excused);
    } else if (kind == QLatin1String("memo")) {
        deleted = deleteMemo(m, CPublicManager::instance()->findMemoByMemoId(id)->localId, excused);
    } else {
        TC_Volume_Delete request(*book->findVolumeByVolumeId(id), 0, now());
        deleted = CJobManager::instance()->volume_del_restore(request);
    }
    if (!deleted)
        return QStringLiteral("the delete was refused");
    for (int pass = 0; pass < 3 && !m.fixture->jobIds().isEmpty(); ++pass) {
        CJobManager::instance()->synNow(false);
        if (!settleClient())
            return QStringLiteral("the pass did not end");
    }
    if (!m.fixture->jobIds().isEmpty())
        return QStringLiteral("the delete stays queued");
    if (!use(m))
        return QStringLiteral("did not settle after the restart");
    if (!standin().addFault(list, QStringLiteral("raw"), 0, 1, platformReply(asked, older)))
        return QStringLiteral("no fault");
    const int lists = JobsFixture::requestsTo(list).size();
    if (!askAs(asked) || !waitUntil([&]() { return JobsFixture::requestsTo(list).size() > lists; }) || !settleClient()
        || !standin().clearFaults())
        return QStringLiteral("the older list did not come");
    CJobManager::instance()->synNow(false);
    if (!settleClient())
        return QStringLiteral("did not settle");
    const QJsonObject store = standin().store();
    const QMap<int, QString> rows = kind == QLatin1String("chapter") ? localChapters()
                                    : kind == QLatin1String("outline") ? localOutlines()
                                    : kind == QLatin1String("memo") ? localMemos()
                                                                    : localVolumes();
    const QMap<int, QString> there = kind == QLatin1String("chapter") ? platformChapters(store)
                                     : kind == QLatin1String("outline") ? platformOutlines(store)
                                     : kind == QLatin1String("memo") ? platformMemos(store)
                                                                     : platformVolumes(store);
    if (rows.contains(id) != there.contains(id)
        || (kind == QLatin1String("volume") && rows.value(id).left(1) != there.value(id).left(1)))
        return QStringLiteral("%1 %2, deleted here, came back here alone with a late list").arg(kind).arg(id);
    return QString();
}

// A list of the demo book's chapters or outline cards leaves and its answer
// is held; the machine in use deletes a chapter in its bin or a card for
// good, the reply of the delete is cut off, the next pass sends it again
// and the platform refuses it as gone; then the held list, answered before
// the delete, arrives. The object stays deleted here. Empty, or what went
// wrong.
QString lostDeleteThenAnOlderList(Machine& m, QRandomGenerator& random, QSet<QString>& excused)
{
    T_Book* book = demoBook();
    if (book == nullptr)
        return QString();
    const bool outline = random.bounded(2) == 0;
    QList<int> ids;
    for (const T_Outline* card : outline ? book->outline.outlineList : QList<T_Outline*>())
        ids << (card->outlineId > 0 ? card->localId : 0);
    for (const T_Chapter* chapter : outline ? QList<T_Chapter*>() : book->recycleChapterList)
        ids << (chapter->chapterId > 0 && !chapter->writtenInBin ? chapter->localId : 0);
    ids.removeAll(0);
    if (ids.isEmpty())
        return QString();
    const int localId = ids.at(random.bounded(ids.size()));
    const int serverId = outline ? book->findOutlineByLocalId(localId)->outlineId
                                 : book->findChapterByLocalId(localId)->chapterId;
    const QString list = outline ? QStringLiteral("/bookoutline/outlineList") : QStringLiteral("/chapter/chapterList");
    const QString remove = outline ? QStringLiteral("/bookoutline/delOutline") : QStringLiteral("/chapter/delChapter");
    trace(m, QStringLiteral("deletes %1 %2 for good, its reply lost; a list answered before comes after the resend")
                 .arg(outline ? "outline" : "chapter").arg(serverId));
    const int lists = JobsFixture::requestsTo(list).size();
    const int deletes = JobsFixture::requestsTo(remove).size();
    if (!standin().addFault(list, QStringLiteral("ok"), -1, 1) || !standin().addFault(remove, QStringLiteral("truncated"), 0, 1))
        return QStringLiteral("no fault");
    auto release = qScopeGuard([]() { standin().releaseHeld(); });
    if (outline) {
        TC_BookOutline_List asked;
        asked.header.bookId = book->bookId;
        asked.header.localBookId = book->localId;
        CBookJobManager::instance()->outline_list(asked);
    } else {
        TC_Chapter_Menu asked;
        asked.bookId = asked.header.bookId = book->bookId;
        asked.header.localBookId = book->localId;
        CBookJobManager::instance()->chapter_menu(asked);
    }
    if (!waitUntil([&]() { return JobsFixture::requestsTo(list).size() > lists; }))
        return QStringLiteral("the list did not leave");
    if (outline ? !deleteOutline(m, book, localId, excused)
                : (excuse(excused, stored(localId)), !purgeChapter(book, book->findChapterByLocalId(localId))))
        return QStringLiteral("the delete was refused");
    const QString waiting = QStringLiteral("select count(*) from tb_job where jobType = %1 and %2 = %3")
                                .arg(outline ? 1024 : 1011).arg(outline ? "ext1" : "localChapterId").arg(localId);
    const auto deleteWaits = [&waiting]() {
        QSqlQuery query = CTessaneDb::instance()->newQuery();
        return !query.exec(waiting) || !query.next() || query.value(0).toInt() > 0;
    };
    for (int pass = 0; pass < 4 && deleteWaits(); ++pass) {
        CJobManager::instance()->synNow(false);
        if (!waitUntil([&]() { return passEnded() && (!deleteWaits() || JobsFixture::requestsTo(remove).size() > deletes); }))
            return QStringLiteral("the pass did not end");
    }
    if (deleteWaits())
        return QStringLiteral("the delete stays queued");
    release.dismiss();
    if (!standin().releaseHeld() || !settleClient())
        return QStringLiteral("did not settle after the list");
    CJobManager::instance()->synNow(false);
    if (!settleClient())
        return QStringLiteral("did not settle");
    const QMap<int, QString> rows = outline ? localOutlines() : localChapters();
    return rows.contains(serverId) ? QStringLiteral("%1 %2, deleted for good here, came back with a late list")
                                         .arg(outline ? "outline" : "chapter").arg(serverId)
                                   : QString();
}

// The machine in use deletes a memo or an outline card offline; the other
// writes in it; back online, the feed withdraws the delete and the fetch of
// the note as the platform holds it fails. The words come back all the
// same (the end checks them). Ends with the machine in use. Empty, or what
// went wrong.
QString failedFetchAfterAWithdrawnNoteDelete(Machine (&machines)[2], int here, QRandomGenerator& random,
                                             QSet<QString>& excused)
{
    Machine& m = machines[here];
    Machine& other = machines[1 - here];
    const bool memo = random.bounded(2) == 0;
    const QList<int> ids = noteIds(memo);
    if (ids.isEmpty())
        return QString();
    const int id = ids.at(random.bounded(ids.size()));
    trace(m, QStringLiteral("deletes %1 %2 offline; the other writes in it; the fetch after the withdrawal fails")
                 .arg(memo ? "memo" : "outline").arg(id));
    const T_Memo* ourMemo = memo ? CPublicManager::instance()->findMemoByMemoId(id) : nullptr;
    const T_Outline* ourCard = memo ? nullptr : demoBook()->findOutlineByOutlineId(id);
    if (!standin().addFault(QStringLiteral("*"), QStringLiteral("http500"), 0, -1)
        || !(memo ? deleteMemo(m, ourMemo->localId, excused) : deleteOutline(m, demoBook(), ourCard->localId, excused))
        || !settleClient() || !standin().clearFaults() || !use(other))
        return QStringLiteral("the delete was refused or did not settle");
    ++other.counter;
    const T_Memo* theirMemo = memo ? CPublicManager::instance()->findMemoByMemoId(id) : nullptr;
    const T_Outline* theirCard = memo || !demoBook() ? nullptr : demoBook()->findOutlineByOutlineId(id);
    if ((theirMemo && !writeInMemo(other, theirMemo, true, excused))
        || (theirCard && !writeInOutline(other, demoBook(), theirCard, true, excused)) || !settleClient())
        return QStringLiteral("the words were refused or did not settle");
    const int failures = 1 + random.bounded(2);
    for (const char* path : {"/memo/memoDetail", "/memo/memoList", "/bookoutline/outlineDetail", "/bookoutline/outlineList"}) {
        if (!standin().addFault(QLatin1String(path), QStringLiteral("http500"), 0, failures))
            return QStringLiteral("no fault");
    }
    if (!use(m) || !standin().clearFaults() || !use(m))
        return QStringLiteral("did not settle back online");
    return QString();
}

// The machine in use writes in a memo or an outline card and the reply is
// cut off; offline then, it writes in it many times more. Back online, the
// author's own text is no copy anywhere. Empty, or what went wrong.
QString lostReplyThenManyOfflineNoteEdits(Machine& m, QRandomGenerator& random, QSet<QString>& excused)
{
    const bool memo = random.bounded(2) == 0;
    const QList<int> ids = noteIds(memo);
    if (ids.isEmpty())
        return QString();
    const int id = ids.at(random.bounded(ids.size()));
    const int edits = 17 + random.bounded(8);
    trace(m, QStringLiteral("writes in %1 %2, the reply lost, then %3 times offline").arg(memo ? "memo" : "outline").arg(id).arg(edits));
    const auto write = [&]() {
        ++m.counter;
        if (memo) {
            const T_Memo* note = CPublicManager::instance()->findMemoByMemoId(id);
            return note != nullptr && writeInMemo(m, note, true, excused);
        }
        const T_Outline* note = demoBook() ? demoBook()->findOutlineByOutlineId(id) : nullptr;
        return note != nullptr && writeInOutline(m, demoBook(), note, true, excused);
    };
    if (!standin().addFault(memo ? QStringLiteral("/memo/editMemo") : QStringLiteral("/bookoutline/editOutline"),
                            QStringLiteral("truncated"), 0, 1)
        || !write())
        return QString();
    CJobManager::instance()->synNow(false);
    if (!settleClient() || !standin().addFault(QStringLiteral("*"), QStringLiteral("http500"), 0, -1))
        return QStringLiteral("did not settle after the lost reply");
    for (int i = 0; i < edits; ++i) {
        if (!write())
            return QStringLiteral("an offline edit was refused");
    }
    if (!settleClient() || !standin().clearFaults() || !use(m))
        return QStringLiteral("did not settle back online");
    CJobManager::instance()->synNow(false);
    if (!settleClient())
        return QStringLiteral("did not settle");
    const QString last = memo ? QStringLiteral("%1的便签%2").arg(m.name).arg(m.counter)
                              : QStringLiteral("%1的大纲%2").arg(m.name).arg(m.counter);
    const QMap<int, QString> here = memo ? localMemos() : localOutlines();
    const QMap<int, QString> there = memo ? platformMemos(standin().store()) : platformOutlines(standin().store());
    const auto copies = [&last](const QMap<int, QString>& notes) {
        return std::count_if(notes.begin(), notes.end(), [&last](const QString& text) { return text.contains(last); });
    };
    if (copies(here) > 1 || copies(there) > 1)
        return QStringLiteral("the author's own \"%1\" is in %2 notes here, %3 on the platform").arg(last)
            .arg(copies(here)).arg(copies(there));
    return QString();
}

// The machine in use asks for a memo's detail or its book's card list, and
// the platform's answer comes only after the author wrote in that note and
// the words were answered. They stay here. Empty, or what went wrong.
QString editWhileAnOlderListIsOnItsWay(Machine& m, QRandomGenerator& random, QSet<QString>& excused)
{
    const bool memo = random.bounded(2) == 0;
    const QList<int> ids = noteIds(memo);
    T_Book* book = demoBook();
    const int id = ids.isEmpty() ? 0 : ids.at(random.bounded(ids.size()));
    const T_Memo* note = CPublicManager::instance()->findMemoByMemoId(memo ? id : 0);
    const T_Outline* card = book && !memo ? book->findOutlineByOutlineId(id) : nullptr;
    if ((note == nullptr && card == nullptr) || book == nullptr)
        return QString();
    const QString list = memo ? QStringLiteral("/memo/memoDetail") : QStringLiteral("/bookoutline/outlineList");
    trace(m, QStringLiteral("writes in %1 %2 while a list asked before is on its way").arg(memo ? "memo" : "outline").arg(id));
    const int lists = JobsFixture::requestsTo(list).size();
    auto release = qScopeGuard([]() { standin().releaseHeld(); });
    TC_Memo_Detail detail;
    detail.header.memoId = id;
    detail.header.localMemoId = note ? note->localId : 0;
    TC_BookOutline_List outlines;
    outlines.header.bookId = book->bookId;
    outlines.header.localBookId = book->localId;
    if (!standin().addFault(list, QStringLiteral("ok"), -1, 1)
        || !(memo ? CMemoManager::instance()->memoDetail(detail) : CBookJobManager::instance()->outline_list(outlines))
        || !waitUntil([&]() { return JobsFixture::requestsTo(list).size() > lists; }))
        return QStringLiteral("the list did not leave");
    ++m.counter;
    if (memo ? !writeInMemo(m, note, true, excused) : !writeInOutline(m, book, card, true, excused))
        return QString();
    const QString edit = QStringLiteral("select count(*) from tb_job where jobType = %1 and %2 = %3")
                             .arg(memo ? 3007 : 1023).arg(memo ? "localMemoId" : "ext1").arg(memo ? note->localId : card->localId);
    const auto editWaits = [&edit]() {
        QSqlQuery query = CTessaneDb::instance()->newQuery();
        return !query.exec(edit) || !query.next() || query.value(0).toInt() > 0;
    };
    CJobManager::instance()->synNow(false);
    if (!waitUntil([&]() { return passEnded() && !editWaits(); }))
        return QStringLiteral("the edit stays queued");
    release.dismiss();
    if (!standin().releaseHeld() || !settleClient())
        return QStringLiteral("did not settle after the list");
    const QString paragraph = QStringLiteral("%1的%2%3").arg(m.name, memo ? "便签" : "大纲").arg(m.counter);
    return (memo ? localMemos() : localOutlines()).value(id).contains(paragraph)
               ? QString() : QStringLiteral("\"%1\" taken back here by a late %2").arg(paragraph, list);
}

// The machine in use asks for its book's chapter or volume list or its
// information, and the answer comes late: after a change of the book or one
// of its chapters or volumes (as changeOf makes it) went, the platform took
// it but its reply came without its echo or cut off, and a later pass
// settled it by a look-up. The change stands here as on the platform. Empty,
// or what went wrong.
QString lostReplyWhileAnOlderListIsOnItsWay(Machine& m, QRandomGenerator& random)
{
    T_Book* book = demoBook();
    // What waits here would go first, and is no part of this.
    if (book == nullptr || !m.fixture->jobIds().isEmpty())
        return QString();
    const QList<T_Volume*> volumes = liveVolumes(book);
    int kind = random.bounded(7);
    if (volumes.size() < 2 && (kind == 4 || kind == 5))
        kind = 6;
    const T_Volume* volume = pickOf(random, volumes);
    const T_Chapter* chapter = pickOf(random, book->chapterList);
    const int id = kind == 6 ? kBook : kind >= 3 ? (volume ? volume->volumeId : 0) : (chapter ? chapter->chapterId : 0);
    if (id < 1)
        return QString();
    T_Http_Custom asked;
    asked.uid = StandinServer::demoUid();
    asked.bookId = book->bookId;
    asked.localBookId = book->localId;
    asked.jobType = kind == 6 ? int(JobType::BooksInfo) : kind >= 3 ? int(JobType::VolumeMenu) : int(JobType::ChapterMenu);
    const QString list = kind == 6 ? QStringLiteral("/books/bookinfo")
                         : kind >= 3 ? QStringLiteral("/volume/volumeList")
                                     : QStringLiteral("/chapter/chapterList");
    const QString fault = random.bounded(2) == 0 ? QStringLiteral("nouserdata") : QStringLiteral("truncated");
    trace(m, QStringLiteral("changes %1 (%2), its reply %3, while a %4 asked before is on its way")
                 .arg(id).arg(kind).arg(fault, list));
    const int lists = JobsFixture::requestsTo(list).size();
    if (!standin().addFault(list, QStringLiteral("ok"), -1, 1))
        return QStringLiteral("no fault");
    auto release = qScopeGuard([]() { standin().releaseHeld(); });
    if (!askAs(asked) || !waitUntil([&]() { return JobsFixture::requestsTo(list).size() > lists; }))
        return QStringLiteral("the list did not leave");
    if (!standin().addFault(QLatin1String(kChangePaths[kind]), fault) || !changeOf(m, random, kind, id))
        return QStringLiteral("the change was refused");
    // A pass after the lost reply looks the change up and settles it.
    for (int pass = 0; pass < 4 && !m.fixture->jobIds().isEmpty(); ++pass) {
        waitUntil(passEnded);
        CJobManager::instance()->synNow(false);
        waitUntil([&]() { return passEnded() && m.fixture->jobIds().isEmpty(); });
    }
    if (!m.fixture->jobIds().isEmpty())
        return QStringLiteral("the change stays queued");
    release.dismiss();
    if (!standin().releaseHeld() || !standin().clearFaults() || !settleClient())
        return QStringLiteral("did not settle after the list");
    const QString here = held(kind >= 3, id, true);
    const QString there = held(kind >= 3, id, false);
    return here == there ? QString()
                         : QStringLiteral("%1 %2 taken back here by a late %3: %4, platform %5")
                               .arg(kind == 6 ? "book" : kind >= 3 ? "volume" : "chapter").arg(id).arg(list, here, there);
}

// Both machines write in one memo or outline card online, one after the
// other, the second before any pull since the first's words reached the
// platform (its feed fails at its start, or until it is back here). Both
// machines' words stay (the end checks them). Ends with the machine in use.
// Empty, or what went wrong.
QString onlineNoteEditsCrossing(Machine (&machines)[2], int here, QRandomGenerator& random, QSet<QString>& excused)
{
    const bool memo = random.bounded(2) == 0;
    const QList<int> ids = noteIds(memo);
    if (ids.isEmpty())
        return QString();
    const int id = ids.at(random.bounded(ids.size()));
    const int firstHere = random.bounded(2);
    const bool pullsFailUntilBack = random.bounded(2) == 0;
    Machine* writers[2] = {&machines[firstHere == 1 ? here : 1 - here], &machines[firstHere == 1 ? 1 - here : here]};
    trace(machines[here], QStringLiteral("writes in %1 %2 online %3 the other, which has not pulled since%4")
                              .arg(memo ? "memo" : "outline").arg(id).arg(firstHere == 1 ? "before" : "after",
                                   pullsFailUntilBack ? ", its feed failing until it is back here" : ""));
    for (int turn = 0; turn < 2; ++turn) {
        Machine& writer = *writers[turn];
        if ((turn == 1 && !standin().addFault(pullPath(), QStringLiteral("http500"), 0, pullsFailUntilBack ? -1 : 1))
            || !use(writer))
            return QStringLiteral("did not settle on %1").arg(writer.name);
        ++writer.counter;
        const T_Memo* note = memo ? CPublicManager::instance()->findMemoByMemoId(id) : nullptr;
        const T_Outline* card = memo || !demoBook() ? nullptr : demoBook()->findOutlineByOutlineId(id);
        const bool append = random.bounded(3) != 0;
        if ((note && !writeInMemo(writer, note, append, excused))
            || (card && !writeInOutline(writer, demoBook(), card, append, excused)) || !settleClient())
            return QStringLiteral("the words of %1 were refused or did not settle").arg(writer.name);
    }
    if (!standin().clearFaults() || !use(machines[here]))
        return QStringLiteral("did not settle back online");
    const QString paragraph = QStringLiteral("%1的%2%3").arg(writers[0]->name, memo ? "便签" : "大纲").arg(writers[0]->counter);
    if (writers[0]->paragraphs.contains(paragraph) && !excused.contains(paragraph)
        && !holds(platformWords(standin().store()), paragraph))
        return QStringLiteral("the platform lost \"%1\"").arg(paragraph);
    return QString();
}
}

class FeedConvergenceTest : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { tree()->loadBook(nullptr); }
    void twoMachinesOfOneAuthorConverge();
};

void FeedConvergenceTest::twoMachinesOfOneAuthorConverge()
{
    const int turns = qEnvironmentVariableIsSet("TESSANE_CONVERGENCE_STEPS")
                          ? qMax(2, qEnvironmentVariableIntValue("TESSANE_CONVERGENCE_STEPS"))
                          : kDefaultTurns;
    const quint32 seed = qEnvironmentVariableIsSet("TESSANE_CONVERGENCE_SEED")
                             ? quint32(qEnvironmentVariableIntValue("TESSANE_CONVERGENCE_SEED"))
                             : kDefaultSeed;
    const QString run = QStringLiteral("seed %1, %2 turns").arg(seed).arg(turns);
    QRandomGenerator random(seed);
    // The steps where both machines meet draw from a stream of their own.
    QRandomGenerator meetings(seed ^ 0x9e3779b9u);
    QRandomGenerator deletes(seed ^ 0x85ebca6bu);
    // So do those where both change one chapter or volume, and those with
    // a note deleted on one and written in on the other or a bin open.
    QRandomGenerator sameObject(seed ^ 0xc2b2ae35u);
    QRandomGenerator notes(seed ^ 0x27d4eb2fu);
    QRandomGenerator bins(seed ^ 0x165667b1u);
    // And those where a withdrawn delete's look fails, or a restart comes
    // between a confirmed delete and an older list.
    QRandomGenerator staying(seed ^ 0x2545f491u);
    // And those where a delete, a lost reply or a failed fetch meets work
    // on the other machine or a late answer.
    QRandomGenerator late(seed ^ 0xd3a2646cu);
    // And those where online note edits cross with edits elsewhere.
    QRandomGenerator crossing(seed ^ 0x5bd1e995u);
    // And those where a list asked for comes after an edit of its object.
    QRandomGenerator olderLists(seed ^ 0x68e31da4u);
    // And those where it comes after a change whose reply was lost or cut.
    QRandomGenerator lostReplies(seed ^ 0x7feb352du);
    Machine machines[2];
    machines[0].name = QStringLiteral("甲");
    machines[1].name = QStringLiteral("乙");
    for (int i = 0; i < 2; ++i) {
        machines[i].fixture = std::make_unique<JobsFixture>();
        QVERIFY(seedMachine(*machines[i].fixture, i));
    }
    // Each machine starts empty and is brought the author's book.
    QVERIFY(standin().setDeviceWelcome(true));
    // Failures of the platform, a reply cut off after the work was done, and
    // no platform at all.
    const QStringList faults{QStringLiteral("http500"), QStringLiteral("code500"), QStringLiteral("drop")};
    // A reply cut off after the platform did the work.
    const QStringList cutOff{QStringLiteral("/chapter/addChapter"), QStringLiteral("/chapter/addChapter"),
                             QStringLiteral("/volume/addVolume"),   QStringLiteral("/memo/addMemo"),
                             QStringLiteral("/books/addBook"),      QStringLiteral("/chapter/batchCreateChapter"),
                             QStringLiteral("/chapter/editChapter"),
                             QStringLiteral("/chapter/recycle"),    QStringLiteral("/chapter/delChapter"),
                             QStringLiteral("/chapter/move"),       QStringLiteral("/volume/editVolume"),
                             QStringLiteral("/volume/move"),        QStringLiteral("/memo/editMemo"),
                             QStringLiteral("/memo/delMemo"),       QStringLiteral("/bookoutline/addOutline")};
    QSet<QString> excused;

    for (int turn = 0; turn < turns; ++turn) {
        Machine& m = machines[turn % 2];
        const QString where = QStringLiteral("%1, turn %2 on %3").arg(run).arg(turn).arg(m.name);
        QVERIFY2(use(m), qPrintable(where + QStringLiteral(": did not settle after the start")));
        if (turn >= 2 && meetings.bounded(5) == 0) {
            const QString failed = deleteWhileRestoredElsewhere(machines, turn % 2, meetings, excused);
            QVERIFY2(failed.isEmpty(), qPrintable(where + QStringLiteral(": ") + failed));
        }
        if (turn >= 2 && meetings.bounded(5) == 0) {
            const QString failed = dragAfterFeedDelete(m, meetings, excused);
            QVERIFY2(failed.isEmpty(), qPrintable(where + QStringLiteral(": ") + failed));
        }
        const int step = turn >= 2 ? deletes.bounded(8) : 8;
        if (step < 3) {
            const QString failed = step == 0 ? deleteOnlineBeforeItsFeed(machines, turn % 2, deletes)
                                             : changeOfAChapterGoneElsewhere(m, deletes, excused);
            QVERIFY2(failed.isEmpty() && use(m), qPrintable(where + QStringLiteral(": ") + failed));
        }
        for (const bool offline : {true, false}) {
            if (turn >= 2 && sameObject.bounded(offline ? 6 : 4) == 0) {
                const QString failed = bothChangeOneObject(machines, turn % 2, sameObject, offline);
                QVERIFY2(failed.isEmpty(), qPrintable(where + QStringLiteral(": ") + failed));
            }
        }
        if (turn >= 2 && notes.bounded(6) == 0) {
            const QString failed = noteMeetsADelete(machines, turn % 2, notes, excused);
            QVERIFY2(failed.isEmpty(), qPrintable(where + QStringLiteral(": ") + failed));
        }
        if (turn >= 2 && bins.bounded(8) == 0) {
            const QString failed = bookWrittenInTheBin(machines, turn % 2, bins, excused);
            QVERIFY2(failed.isEmpty(), qPrintable(where + QStringLiteral(": ") + failed));
        }
        if (turn >= 2 && bins.bounded(6) == 0) {
            const QString failed = chapterBinAcrossAFeed(machines, turn % 2, bins, excused);
            QVERIFY2(failed.isEmpty(), qPrintable(where + QStringLiteral(": ") + failed));
        }
        if (turn >= 2 && staying.bounded(5) == 0) {
            const QString failed = staying.bounded(2) == 0
                                       ? failedLookAfterAWithdrawnDelete(machines, turn % 2, staying, excused)
                                       : restartBetweenAConfirmedDeleteAndAnOlderList(m, staying, excused);
            QVERIFY2(failed.isEmpty() && use(m), qPrintable(where + QStringLiteral(": ") + failed));
        }
        if (turn >= 2 && late.bounded(5) == 0) {
            const int kind = late.bounded(4);
            const QString failed =
                kind == 0   ? offlineWorkInABookRecycledWhileDeletedElsewhere(machines, turn % 2, late, excused)
                : kind == 1 ? lostDeleteThenAnOlderList(m, late, excused)
                : kind == 2 ? failedFetchAfterAWithdrawnNoteDelete(machines, turn % 2, late, excused)
                            : lostReplyThenManyOfflineNoteEdits(m, late, excused);
            QVERIFY2(failed.isEmpty() && use(m), qPrintable(where + QStringLiteral(": ") + failed));
        }
        if (turn >= 2 && crossing.bounded(5) == 0) {
            const QString failed = onlineNoteEditsCrossing(machines, turn % 2, crossing, excused);
            QVERIFY2(failed.isEmpty(), qPrintable(where + QStringLiteral(": ") + failed));
        }
        if (turn >= 2 && olderLists.bounded(5) == 0) {
            const QString failed = editWhileAnOlderListIsOnItsWay(m, olderLists, excused);
            QVERIFY2(failed.isEmpty() && use(m), qPrintable(where + QStringLiteral(": ") + failed));
        }
        if (turn >= 2 && lostReplies.bounded(5) == 0) {
            const QString failed = lostReplyWhileAnOlderListIsOnItsWay(m, lostReplies);
            QVERIFY2(failed.isEmpty() && use(m), qPrintable(where + QStringLiteral(": ") + failed));
        }
        // 0: no platform this turn; 1: failures; 2: cut-off replies; 3, 4: fair.
        const int weather = turn >= 2 ? random.bounded(5) : 4;
        qInfo().noquote() << QStringLiteral("convergence: %1, weather %2").arg(where).arg(weather);
        if (weather == 0)  // offline for the whole turn
            QVERIFY(standin().addFault(QStringLiteral("*"), QStringLiteral("http500"), 0, -1));
        else if (weather == 1)
            QVERIFY(standin().addFault(QStringLiteral("*"), faults.at(random.bounded(faults.size())), 0,
                                       1 + random.bounded(3)));
        else if (weather == 2)
            QVERIFY(standin().addFault(cutOff.at(random.bounded(cutOff.size())), QStringLiteral("truncated"), 0,
                                       1 + random.bounded(3)));
        const int changes = 1 + random.bounded(5);
        for (int i = 0; i < changes; ++i)
            QVERIFY2(act(m, random, excused), qPrintable(where + QStringLiteral(": a change was refused")));
        QVERIFY2(settleClient(), qPrintable(where + QStringLiteral(": did not settle after the changes")));
        QVERIFY(standin().clearFaults());
        qInfo().noquote() << QStringLiteral("convergence: after %1: here %2, platform %3")
                                 .arg(where, storedOrder(kBook), platformOrder(standin().store(), kBook));
    }

    // The faults are gone; each machine synchronises twice.
    for (int round = 0; round < 2; ++round) {
        for (Machine& m : machines) {
            QVERIFY(use(m));
            CJobManager::instance()->synNow(false);
            QVERIFY(settleClient());
        }
    }

    const QJsonObject store = standin().store();
    const QMap<int, QString> chapters = platformChapters(store);
    const QString twice = madeTwice(store);
    QVERIFY2(twice.isEmpty(), qPrintable(run + QStringLiteral(": made twice on the platform: ") + twice));
    for (Machine& m : machines) {
        QVERIFY(use(m));
        const QString who = run + QLatin1Char(' ') + m.name;
        QVERIFY2(m.fixture->jobIds().isEmpty(), qPrintable(who + QStringLiteral(" still has jobs")));
        const QString shared = sharedIds();
        QVERIFY2(shared.isEmpty(), qPrintable(who + QStringLiteral(" server ids held twice: ") + shared));
        const QString chapterDiff = differences(localChapters(), chapters);
        QVERIFY2(chapterDiff.isEmpty(), qPrintable(who + QStringLiteral(" chapters: ") + chapterDiff));
        const QString volumeDiff = differences(localVolumes(), platformVolumes(store));
        QVERIFY2(volumeDiff.isEmpty(), qPrintable(who + QStringLiteral(" volumes: ") + volumeDiff));
        const QString memoDiff = differences(localMemos(), platformMemos(store));
        QVERIFY2(memoDiff.isEmpty(), qPrintable(who + QStringLiteral(" memos: ") + memoDiff));
        const QString outlineDiff = differences(localOutlines(), platformOutlines(store));
        QVERIFY2(outlineDiff.isEmpty(), qPrintable(who + QStringLiteral(" outlines: ") + outlineDiff));
        const QString bookDiff = differences(localBooks(), platformBooks(store));
        QVERIFY2(bookDiff.isEmpty(), qPrintable(who + QStringLiteral(" books: ") + bookDiff));
        QVERIFY2(storedOrder(kBook) == platformOrder(store, kBook),
                 qPrintable(QStringLiteral("%1 order %2, platform %3")
                                .arg(who, storedOrder(kBook), platformOrder(store, kBook))));
    }
    // Every paragraph written, in a chapter of any book, an outline card or
    // a memo, is on the platform and on both machines, unless an author
    // deleted it (or wrote over it) once that author's machine had it.
    const QString platformTexts = platformWords(store);
    for (Machine& here : machines) {
        QVERIFY(use(here));
        const QString local = localWords();
        for (const Machine& m : machines) {
            for (auto it = m.paragraphs.constBegin(); it != m.paragraphs.constEnd(); ++it) {
                QVERIFY2(excused.contains(it.key()) || (holds(platformTexts, it.key()) && holds(local, it.key())),
                         qPrintable(QStringLiteral("%1: %2 wrote \"%3\" (%4) and it is gone (%5: %6)")
                                        .arg(run, m.name, it.key(), it.value(), here.name,
                                             holds(platformTexts, it.key()) ? "not here" : "not on the platform")));
            }
        }
    }
}

int runFeedConvergenceTests(int argc, char** argv)
{
    FeedConvergenceTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_FeedConvergence.moc"
