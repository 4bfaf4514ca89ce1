// One author on two machines, and replies that come too late or never: both
// machines' words survive saves of the same chapter, a delete for good made
// while the create is on its way reaches the platform, a create whose reply
// was lost is not made twice, and creates keep the order they were made in.

#include "AreaMain.h"
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
#include "remote/CTessaneHttp.h"
#include "remote/records/BookRecords.h"
#include "remote/records/ChapterRecords.h"
#include "remote/records/MemoRecords.h"
#include "remote/records/OutlineRecords.h"
#include "remote/records/VolumeRecords.h"
#include "ui/bookshelf/Dialog_BookRecycle.h"
#include "ui/common/BkMessageBox.h"
#include "ui/creation/Widget_RecycleBin.h"
#include "ui/bookshelf/Widget_Bookshelf.h"
#include "ui/bookshelf/Widget_Bookshelf_Top.h"
#include "ui/creation/Widget_ClientTips.h"
#include "ui/creation/memo/MemoItemManager.h"
#include "ui/creation/memo/MemoItemWidget.h"
#include "ui/bookshelf/BookshelfTips.h"
#include "common/Utility.h"
#include "ui/bookshelf/Dialog_BookInfo.h"
#include "ui/bookshelf/Widget_BookShelfList.h"
#include "ui/common/CTextEdit.h"
#include "volume/CBookVolumeController.h"
#include "WhenShown.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QStackedWidget>
#include <QComboBox>
#include <QHash>
#include <QImage>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QScopeGuard>
#include <QStringListModel>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>

namespace {
const QString kAddChapter = QStringLiteral("/chapter/addChapter");

T_Book* demoBook()
{
    return CPublicManager::instance()->findBookByBookId(5001);
}

// Texts of the demo book's chapters, here and on the platform.
QStringList localTexts()
{
    QStringList out;
    QSqlQuery query = CTessaneDb::instance()->newQuery();
    if (query.exec(QStringLiteral("select ifnull(content, '') from tb_chapter left join tb_chapter_text using (localId) where bookId = 5001 order by chapterId")))
        while (query.next())
            out << query.value(0).toString();
    return out;
}

QStringList platformTexts()
{
    QStringList out;
    for (const QJsonValue& value : standin().store().value(QStringLiteral("chapters")).toArray()) {
        if (value.toObject().value(QStringLiteral("book_id")).toInt() == 5001)
            out << value.toObject().value(QStringLiteral("content")).toString();
    }
    return out;
}

QJsonArray platformChaptersNamed(const QString& name)
{
    QJsonArray out;
    for (const QJsonValue& value : standin().store().value(QStringLiteral("chapters")).toArray()) {
        if (value.toObject().value(QStringLiteral("chapter_name")).toString() == name)
            out.append(value);
    }
    return out;
}

bool platformHasOutline(const QString& title)
{
    for (const QJsonValue& value : standin().store().value(QStringLiteral("outlines")).toArray()) {
        if (value.toObject().value(QStringLiteral("title")).toString() == title)
            return true;
    }
    return false;
}

bool platformHasBook(const QString& name)
{
    for (const QJsonValue& value : standin().store().value(QStringLiteral("books")).toArray()) {
        if (value.toObject().value(QStringLiteral("book_name")).toString() == name)
            return true;
    }
    return false;
}

// One machine of the demo author, signed in once.
bool startOneMachine(JobsFixture& fixture)
{
    return seedMachine(fixture, 0) && standin().setDeviceWelcome(true) && fixture.restart() && settleClient();
}

// Two machines of the demo author, each signed in once and holding the demo
// book.
bool startTwoMachines(std::unique_ptr<JobsFixture> (&machines)[2])
{
    for (int i = 0; i < 2; ++i) {
        machines[i] = std::make_unique<JobsFixture>();
        if (!seedMachine(*machines[i], i))
            return false;
    }
    if (!standin().setDeviceWelcome(true))
        return false;
    for (auto& machine : machines) {
        if (!machine->restart() || !settleClient() || demoBook() == nullptr)
            return false;
    }
    return true;
}

// A chapter's text as the author saves it, by its local id.
bool writeChapter(int localBookId, int localChapterId, const QString& words)
{
    // The manager fills in the rest of the identity from these two.
    TC_Chapter_Edit_Content save;
    save.header.localBookId = localBookId;
    save.header.localChapterId = localChapterId;
    save.content = words;
    save.updateTime = 1700000100;
    save.isSendToSrv = true;
    return CJobManager::instance()->chapter_edit_content(save);
}

bool saveChapter(int chapterId, const QString& text)
{
    T_Book* book = demoBook();
    const T_Chapter* chapter = book ? book->findChapterByChapterId(chapterId) : nullptr;
    return chapter != nullptr && writeChapter(book->localId, chapter->localId, text);
}

// Adds a chapter to the demo book's first volume; its local id, 0 on failure.
int addChapter(const QString& name)
{
    T_Book* book = demoBook();
    if (book == nullptr || book->volumeList.isEmpty())
        return 0;
    const T_Volume* volume = book->volumeList.first();
    TC_Chapter_Add request(book->localId, book->bookId, volume->localId, volume->volumeId, 1700000100,
                           book->chapterList.size() + 1, name);
    return CJobManager::instance()->chapter_add(request) ? request.header.localChapterId : 0;
}

bool addVolume(const QString& name)
{
    T_Book* book = demoBook();
    int order = 1;
    for (const T_Volume* volume : book->volumeList)
        order = std::max(order, volume->orderNum + 1);
    TC_Volume_Add request(book->localId, book->bookId, -1, order, 1700000100, name);
    return CJobManager::instance()->volume_add(request);
}

// Names of the live chapters of the demo book's first volume, in order.
QStringList localChapterNames()
{
    QStringList out;
    QSqlQuery query = CTessaneDb::instance()->newQuery();
    if (query.exec(QStringLiteral("select name from tb_chapter where volumeId = 7001 and status <> 0 order by orderNum")))
        while (query.next())
            out << query.value(0).toString();
    return out;
}

// Ids of the platform's objects of a kind ("books", "volumes", ...) whose
// member key holds value.
QList<int> platformIds(const char* kind, const char* key, const QString& value, const char* idKey)
{
    QList<int> out;
    for (const QJsonValue& entry : standin().store().value(QLatin1String(kind)).toArray()) {
        if (entry.toObject().value(QLatin1String(key)).toString() == value)
            out << entry.toObject().value(QLatin1String(idKey)).toInt();
    }
    return out;
}

int localCount(const QString& sql)
{
    QSqlQuery query = CTessaneDb::instance()->newQuery();
    return query.exec(sql) && query.next() ? query.value(0).toInt() : -1;
}

// Into the recycle bin first where it is live, as the author goes, then
// out of it for good.
bool deleteChapter(int localChapterId)
{
    T_Book* book = demoBook();
    const T_Chapter* chapter = book ? book->findChapterByLocalId(localChapterId) : nullptr;
    if (chapter == nullptr)
        return false;
    TC_Chapter_Recycle recycle;
    recycle.header.localBookId = book->localId;
    recycle.header.localVolumeId = chapter->localVolumeId;
    recycle.header.localChapterId = localChapterId;
    recycle.updateTime = 1700000100;
    if (chapter->status != 0 && !CJobManager::instance()->chapter_recycle(recycle))
        return false;
    TC_Chapter_Delete request;
    request.header.localBookId = book->localId;
    request.header.bookId = book->bookId;
    request.header.localChapterId = chapter->localId;
    request.header.chapterId = chapter->chapterId;
    request.header.localVolumeId = chapter->localVolumeId;
    request.header.volumeId = chapter->volumeId;
    request.updateTime = 1700000100;
    return CJobManager::instance()->chapter_delete(request);
}

// 1 live, 0 in the recycle bin; -1 when there is no such chapter.
int localStatus(int chapterId)
{
    QSqlQuery query = CTessaneDb::instance()->newQuery();
    if (!query.exec(QStringLiteral("select ifnull(status, 0) from tb_chapter where chapterId = %1").arg(chapterId))
        || !query.next())
        return -1;
    return query.value(0).toInt() != 0 ? 1 : 0;
}

int platformStatus(int chapterId)
{
    for (const QJsonValue& value : standin().store().value(QStringLiteral("chapters")).toArray()) {
        if (value.toObject().value(QStringLiteral("chapter_id")).toInt() == chapterId)
            return value.toObject().value(QStringLiteral("status")).toInt() != 0 ? 1 : 0;
    }
    return -1;
}

// The seeded memo's and outline's texts take the machine's words (and a new
// outline is added).
bool editMemoAndOutline(const QString& words, bool addCard = true)
{
    T_Memo* memo = CPublicManager::instance()->findMemoByMemoId(13001);
    T_Book* book = demoBook();
    const T_Outline* outline = book ? book->findOutlineByOutlineId(11001) : nullptr;
    if (memo == nullptr || outline == nullptr)
        return false;
    TC_Memo_Edit text;
    text.header.localMemoId = memo->localId;
    text.content = words;
    text.updateTime = 1700000100;
    TC_BookOutline_Update update;
    update.localBookId = book->localId;
    update.localOutlineId = outline->localId;
    update.type = outline->type;
    update.title = outline->title;
    update.content = words;
    update.updateTime = 1700000100;
    TC_BookOutline_Create card(book->bookId, book->localId, 0, 0, 2, book->outline.outlineList.size() + 1,
                               1700000100, QString(), words + QStringLiteral("的新大纲"));
    return CJobManager::instance()->memoEditContent(text) && CBookJobManager::instance()->outline_update(update)
           && (!addCard || CBookJobManager::instance()->outline_create(card));
}

// Every memo and outline text, here and on the platform, sorted.
QStringList localMemosAndOutlines()
{
    QStringList out;
    QSqlQuery query = CTessaneDb::instance()->newQuery();
    if (query.exec(QStringLiteral("select content from tb_memo union all select title || ':' || content from tb_outline")))
        while (query.next())
            out << query.value(0).toString();
    out.sort();
    return out;
}

QStringList platformMemosAndOutlines()
{
    QStringList out;
    const QJsonObject store = standin().store();
    for (const QJsonValue& value : store.value(QStringLiteral("memos")).toArray())
        out << value.toObject().value(QStringLiteral("content")).toString();
    for (const QJsonValue& value : store.value(QStringLiteral("outlines")).toArray())
        out << value.toObject().value(QStringLiteral("title")).toString() + QLatin1Char(':')
                   + value.toObject().value(QStringLiteral("content")).toString();
    out.sort();
    return out;
}

// Deletes the demo book's outline from the panel, its question answered.
bool deleteOutlineFromPanel(int outlineId)
{
    COutlineController* panel = COutlineController::instance();
    panel->getWidget();
    panel->addAllItem(demoBook());
    const T_Outline* outline = demoBook()->findOutlineByOutlineId(outlineId);
    const bool gone = outline != nullptr && panel->outlineModel()->deleteItem(outline->localId);
    panel->reset();
    return gone;
}

// Deletes the seeded memo from the memo list (its only row) and the outline
// from the panel, its question answered; or only one of them.
bool deleteMemoAndOutline(bool memo = true, bool outline = true)
{
    MemoItemManager* memos = MemoItemManager::instance();
    memos->showMemoList(CUiManager::instance()->bookshelf());
    const T_Memo* seeded = CPublicManager::instance()->findMemoByMemoId(13001);
    const bool memoGone = !memo || (seeded != nullptr && CPublicManager::instance()->memoList.size() == 1
                                    && memos->removeMemo(0, seeded->localId, false));
    memos->closeAll();
    return memoGone && (!outline || deleteOutlineFromPanel(11001))
           && CPublicManager::instance()->memoList.isEmpty() == memo;
}

// Whether the author was given every one of the messages.
bool toldAll(const QSignalSpy& spy, const QStringList& messages)
{
    QStringList given;
    for (const QList<QVariant>& message : spy)
        given << message.at(0).toString();
    return std::all_of(messages.begin(), messages.end(), [&given](const QString& m) { return given.contains(m); });
}

bool renameChapter(int chapterId, const QString& name)
{
    T_Book* book = demoBook();
    const T_Chapter* chapter = book ? book->findChapterByChapterId(chapterId) : nullptr;
    if (chapter == nullptr)
        return false;
    TC_Chapter_Edit_Name request;
    request.header.localBookId = book->localId;
    request.header.localChapterId = chapter->localId;
    request.chapterName = name;
    request.updateTime = 1700000100;
    return CJobManager::instance()->chapter_edit_name(request);
}

// The demo book's volumes and chapters with their states and names (and
// texts), and its order, here and on the platform.
QString localState()
{
    QStringList out{storedOrder(5001)};
    QSqlQuery query = CTessaneDb::instance()->newQuery();
    if (query.exec(QStringLiteral("select bookName || ':' || intro || ':' || cateId || ':' || (status = 1) from tb_book where bookId = 5001")))
        while (query.next())
            out << query.value(0).toString();
    if (query.exec(QStringLiteral("select volumeId || ':' || (status <> 0) || ':' || volumeName from tb_volume "
                                  "where bookId = 5001 union all select chapterId || ':' || (status <> 0) || ':' "
                                  "|| name || ':' || ifnull(content, '') from tb_chapter left join tb_chapter_text using (localId) where bookId = 5001 order by 1")))
        while (query.next())
            out << query.value(0).toString();
    return out.join(QLatin1Char(' '));
}

QString platformState()
{
    const QJsonObject store = standin().store();
    QStringList out;
    for (const char* kind : {"volumes id volume_name", "chapters chapter_id chapter_name content"}) {
        const QStringList keys = QString::fromLatin1(kind).split(QLatin1Char(' '));
        for (const QJsonValue& value : store.value(keys.at(0)).toArray()) {
            const QJsonObject object = value.toObject();
            if (object.value(QStringLiteral("book_id")).toInt() == 5001)
                out << QStringLiteral("%1:%2:%3").arg(object.value(keys.at(1)).toInt())
                               .arg(object.value(QStringLiteral("status")).toInt() != 0 ? 1 : 0)
                               .arg(object.value(keys.at(2)).toString())
                           + (keys.size() > 3 ? QLatin1Char(':') + object.value(keys.at(3)).toString() : QString());
        }
    }
    out.sort();
    for (const QJsonValue& book : store.value(QStringLiteral("books")).toArray()) {
        if (book[QStringLiteral("book_id")].toInt() == 5001)
            out.prepend(QStringLiteral("%1:%2:%3:%4").arg(book[QStringLiteral("book_name")].toString(), book[QStringLiteral("intro")].toString())
                            .arg(book[QStringLiteral("cate_id")].toInt()).arg(book[QStringLiteral("status")].toInt() == 1));
    }
    out.prepend(platformOrder(store, 5001));
    return out.join(QLatin1Char(' '));
}

// The demo book's cover here (its address and file) and on the platform.
QStringList covers()
{
    QSqlQuery query = CTessaneDb::instance()->newQuery();
    query.exec(QStringLiteral("select coverUrl, localCover from tb_book where bookId = 5001"));
    const bool here = query.next();
    QString there;
    for (const QJsonValue& book : standin().store().value(QStringLiteral("books")).toArray())
        there = book[QStringLiteral("book_id")].toInt() == 5001 ? book[QStringLiteral("cover")].toString() : there;
    return {here ? query.value(0).toString() : QString(), here ? query.value(1).toString() : QString(), there};
}

// Answers the bookshelf's questions as the author would: yes to a recycle,
// and the information dialog filled by `fill` and confirmed.
struct AuthorAnswers : Widget_BookShelfList::Prompts
{
    std::function<void(Dialog_BookInfo*)> fill;
    bool confirmDelete(QWidget*, const QString&) override { return true; }
    bool askBookInfo(QWidget* parent, QStringListModel* covers, T_Book* book) override
    {
        Dialog_BookInfo dialog(parent);
        dialog.setCoverModel(covers);
        dialog.loadBookInfo(book);
        fill(&dialog);
        dialog.btnConfirm()->click();
        return dialog.result() == QDialog::Accepted;
    }
};

// The toasts of every window (and dialog) in the order the author sees
// them, each taken down in turn as its time running out would.
QStringList toastsInTurn()
{
    QStringList seen;
    for (int turn = 0; turn < 8; ++turn) {
        QList<QWidget*> up;
        for (QWidget* w : QApplication::allWidgets())
            up << (w->isVisible() && (qobject_cast<BookshelfTips*>(w) || qobject_cast<Widget_ClientTips*>(w)) ? w : nullptr);
        up.removeAll(nullptr);
        if (up.isEmpty())
            break;
        auto* tips = qobject_cast<Widget_ClientTips*>(up.first());
        seen << (tips ? tips->label()->text() : static_cast<QLabel*>(up.first())->text());
        for (QWidget* toast : up)
            toast->hide();
        QCoreApplication::processEvents();
    }
    return seen;
}

// The outline card's text as the author writes it in the panel.
bool writeCard(const T_Book* book, int localOutlineId, const QString& words)
{
    const T_Outline* outline = book ? book->findOutlineByLocalId(localOutlineId) : nullptr;
    if (outline == nullptr)
        return false;
    TC_BookOutline_Update update;
    update.localBookId = book->localId;
    update.localOutlineId = localOutlineId;
    update.type = outline->type;
    update.title = outline->title;
    update.content = words;
    update.updateTime = 1700000100;
    return CBookJobManager::instance()->outline_update(update);
}

bool moveBook(int localBookId, bool toBin)
{
    TC_Books_Delete recycle(localBookId, 1700000100);
    TC_Books_Restore restore;
    restore.header.localBookId = localBookId;
    restore.updateTime = 1700000200;
    return toBin ? CJobManager::instance()->books_delete(recycle) : CJobManager::instance()->books_restore(restore);
}

bool recycleChapter(int chapterId, int status)
{
    T_Book* book = demoBook();
    const T_Chapter* chapter = book ? book->findChapterByChapterId(chapterId) : nullptr;
    if (chapter == nullptr)
        return false;
    TC_Chapter_Recycle request;
    request.header.localBookId = book->localId;
    request.header.bookId = book->bookId;
    request.header.localChapterId = chapter->localId;
    request.header.chapterId = chapter->chapterId;
    request.header.localVolumeId = chapter->localVolumeId;
    request.header.volumeId = chapter->volumeId;
    request.status = status;
    request.updateTime = 1700000100;
    return CJobManager::instance()->chapter_recycle(request);
}

// A member of the demo objects the author changes: where it is stored here,
// where on the platform ("kind idKey id key"), the path of its edit and the
// list or detail that tells it, by its request's job type.
struct Member
{
    const char* here;
    const char* there;
    const char* edit;
    const char* list;
    int listType;
};

const QMap<QString, Member> kMembers{
    {"card", {"content from tb_outline where outlineId = 11001", "outlines outline_id 11001 content",
              "/bookoutline/editOutline", "/bookoutline/outlineList", JobType::OutlineList}},
    {"card order", {"orderNum from tb_outline where outlineId = 11001", "outlines outline_id 11001 order_num",
                    "/bookoutline/move", "/bookoutline/outlineList", JobType::OutlineList}},
    {"memo text", {"content from tb_memo where memoId = 13001", "memos id 13001 content", "/memo/editMemo", "/memo/memoDetail", JobType::MemoDetail}},
    {"memo colour", {"color from tb_memo where memoId = 13001", "memos id 13001 color", "/memo/editMemo", "/memo/memoDetail", JobType::MemoDetail}},
    {"memo pin", {"chapterId from tb_memo where memoId = 13001", "memos id 13001 chapter_id", "/memo/editMemo", "/memo/memoDetail", JobType::MemoDetail}},
    {"volume", {"volumeName from tb_volume where volumeId = 7001", "volumes id 7001 volume_name", "/volume/editVolume",
                "/volume/volumeList", JobType::VolumeMenu}},
    {"volume order", {"orderNum from tb_volume where volumeId = 7001", "volumes id 7001 order_num", "/volume/move",
                      "/volume/volumeList", JobType::VolumeMenu}},
    {"book", {"bookName from tb_book where bookId = 5001", "books book_id 5001 book_name", "/books/editBook",
              "/books/bookinfo", JobType::BooksInfo}},
    {"book introduction", {"intro from tb_book where bookId = 5001", "books book_id 5001 intro", "/books/editBook",
                           "/books/bookinfo", JobType::BooksInfo}},
    {"book category", {"cateId from tb_book where bookId = 5001", "books book_id 5001 cate_id", "/books/editBook",
                       "/books/bookinfo", JobType::BooksInfo}},
    // Told by the feed's fetch of the text.
    {"chapter text", {"content from tb_chapter_text where localId = (select localId from tb_chapter where chapterId = 9001)",
                      "chapters chapter_id 9001 content", "/chapter/editChapter", "/chapter/chapter", JobType::ChapterContent}},
    {"chapter place", {"orderNum from tb_chapter where chapterId = 9001", "chapters chapter_id 9001 order_num",
                       "/chapter/move", "/chapter/chapterList", JobType::ChapterMenu}},
    {"chapter state", {"(status <> 0) from tb_chapter where chapterId = 9002", "chapters chapter_id 9002 status",
                       "/chapter/recycle", "/chapter/chapterList", JobType::ChapterMenu}},
    {"chapter name", {"name from tb_chapter where chapterId = 9001", "chapters chapter_id 9001 chapter_name",
                      "/chapter/editChapter", "/chapter/chapterList", JobType::ChapterMenu}},
    {"chapter volume", {"volumeName from tb_volume where volumeId = (select volumeId from tb_chapter where chapterId = 9001)",
                        "chapters chapter_id 9001 volume_id volumes id volume_name", "/chapter/move",
                        "/chapter/chapterList", JobType::ChapterMenu}}};

QString memberHere(const QString& name)
{
    QSqlQuery query = CTessaneDb::instance()->newQuery();
    return query.exec(QStringLiteral("select ") + QLatin1String(kMembers.value(name).here)) && query.next()
               ? query.value(0).toString() : QStringLiteral("<none>");
}

QString memberThere(const QString& name)
{
    const QStringList where = QString::fromLatin1(kMembers.value(name).there).split(QLatin1Char(' '));
    const QJsonObject store = standin().store();
    for (const QJsonValue& value : store.value(where.at(0)).toArray()) {
        if (value[where.at(1)].toInt() != where.at(2).toInt())
            continue;
        // "kind idKey key" more: the member names an object of that kind.
        for (const QJsonValue& named : store.value(where.value(4)).toArray()) {
            if (named[where.value(5)] == value[where.at(3)])
                return named[where.value(6)].toVariant().toString();
        }
        return value[where.at(3)].toVariant().toString();
    }
    return QStringLiteral("<none>");
}

// The book's introduction or category (its id) changed in 作品信息, as the
// author changes it there.
bool editBookInfo(const QString& name, const QString& value)
{
    Dialog_BookInfo dialog;
    dialog.loadBookInfo(demoBook());
    if (name == QLatin1String("book category")) {
        QComboBox* primary = dialog.primaryCombo(demoBook()->channelType);
        for (int i = 0; i < primary->count() && dialog.subCombo(demoBook()->channelType)->findData(value.toInt()) < 0; ++i)
            primary->setCurrentIndex(i);
        QComboBox* sub = dialog.subCombo(demoBook()->channelType);
        sub->setCurrentIndex(sub->findData(value.toInt()));
    } else {
        QTest::keyClick(dialog.introEdit(), Qt::Key_A, Qt::ControlModifier);
        QInputMethodEvent typed;
        typed.setCommitString(value);
        QApplication::sendEvent(dialog.introEdit(), &typed);
    }
    dialog.btnConfirm()->click();
    return dialog.result() == QDialog::Accepted;
}

// The author changes the member to value (a pin or a place: the chapter's
// id; a card or volume order: after the last one).
bool changeMember(const QString& name, const QString& value)
{
    T_Book* book = demoBook();
    const T_Memo* memo = CPublicManager::instance()->findMemoByMemoId(13001);
    CJobManager* jobs = CJobManager::instance();
    const T_Volume* first = book->findVolumeByVolumeId(7001);
    const T_Chapter* chapter = book->findChapterByChapterId(value.toInt());
    TC_Memo_Edit edit(memo->localId, 13001, 1700000100, name == QLatin1String("memo text") ? value : memo->content,
                      name == QLatin1String("memo colour") ? value : memo->color, chapter ? book->localId : 0,
                      chapter ? chapter->localId : 0, chapter ? 30 : 0, chapter ? 40 : 0, chapter ? 1 : 0, 0, 0);
    TC_Volume_Edit rename;
    rename.header.localBookId = book->localId;
    rename.header.localVolumeId = first->localId;
    rename.volumeName = value;
    TC_Volume_Move move;
    move.header.localBookId = book->localId;
    move.localFromVolumeId = first->localId;
    move.localToVolumeId = book->volumeList.last()->localId;
    TC_BookOutline_Move drag;
    drag.localBookId = book->localId;
    drag.fromLocalId = book->findOutlineByOutlineId(11001)->localId;
    drag.toLocalId = book->outline.outlineList.last()->localId;
    const bool intro = name == QLatin1String("book introduction");
    TC_Books_Edit info(book->localId, book->channelType, book->cateId, book->cateFid, intro ? book->bookName : value,
                       intro ? value : book->intro, QString(), 1700000100);
    info.wholeBook = true;
    CBookVolumeController::instance()->loadBook(book);
    if (name == QLatin1String("chapter place"))
        CBookVolumeController::instance()->moveChapter(0, first->localId, 1, first->localId, true);
    // Dropped on the title row of the other volume: its first chapter.
    if (name == QLatin1String("chapter volume"))
        CBookVolumeController::instance()->moveChapter(0, first->localId, 0, book->volumeList.last()->localId, false);
    if (name == QLatin1String("chapter name"))
        CBookVolumeController::instance()->changeChapterName(first->localId, book->findChapterByChapterId(9001)->localId, 0, value);
    return name == QLatin1String("card") ? writeCard(book, drag.fromLocalId, value)
           : name == QLatin1String("chapter text") ? saveChapter(9001, value)
           : name == QLatin1String("card order") ? CBookJobManager::instance()->outline_move(drag, 0, book->outline.outlineList.size() - 1)
           : name == QLatin1String("memo text") ? jobs->memoEditContent(edit)
           : name == QLatin1String("memo colour") ? jobs->memoEditColor(edit)
           : name.startsWith(QLatin1String("memo")) ? jobs->memoEditLocation(edit)
           : name == QLatin1String("volume") ? jobs->volume_edit(rename)
           : name == QLatin1String("volume order") ? jobs->volume_move(move, {{move.localFromVolumeId, 2}, {move.localToVolumeId, 1}})
           : name == QLatin1String("book") ? jobs->books_edit(info)
           : name.startsWith(QLatin1String("book ")) ? editBookInfo(name, value)
           : name == QLatin1String("chapter state") ? recycleChapter(9002, value.toInt())
                                                    : true;
}
}

class FeedTwoMachinesTest : public QObject
{
    Q_OBJECT
private slots:
    void savesOfOneChapterOnTwoMachinesKeepBothTexts();
    void saveSentAtOnceBeforeThePullKeepsTheOtherText();
    void saveWhoseReplyIsLostAtAQuitIsNotCopied_data();
    void saveWhoseReplyIsLostAtAQuitIsNotCopied();
    void deleteForGoodWhileTheCreateIsOnItsWay();
    void deletedForGoodHereStaysDeletedWhenAnOlderListComesLate_data();
    void deletedForGoodHereStaysDeletedWhenAnOlderListComesLate();
    void deletedForGoodHereStaysDeletedWhenItsAddIsPulledAgain_data();
    void deletedForGoodHereStaysDeletedWhenItsAddIsPulledAgain();
    void createWhoseReplyWasLostIsAdopted();
    void createWhoseReplyWasLostThenDeletedLeavesNothing();
    void recycleSentAgainAfterARestoreElsewhereLeavesOneState();
    void restoreWaitsForTheRecycleBeforeIt();
    void memoAndOutlineEditedOnBothMachinesKeepBothTexts_data();
    void memoAndOutlineEditedOnBothMachinesKeepBothTexts();
    void noteSavedOnlineInAStaleCopyKeepsTheWordsSentFirst_data();
    void noteSavedOnlineInAStaleCopyKeepsTheWordsSentFirst();
    void bookInformationEditedOnBothMachinesKeepsEachMembersLaterChange_data();
    void bookInformationEditedOnBothMachinesKeepsEachMembersLaterChange();
    void noteDeletedBeforeThePullKeepsWhatWasWrittenElsewhere_data();
    void noteDeletedBeforeThePullKeepsWhatWasWrittenElsewhere();
    void noteWrittenHereWhileDeletedElsewhereComesBackAsANewNote_data();
    void noteWrittenHereWhileDeletedElsewhereComesBackAsANewNote();
    void bookDeletedForGoodWhileEditedOfflineStaysHereAndGoesBackOnRestore_data();
    void bookDeletedForGoodWhileEditedOfflineStaysHereAndGoesBackOnRestore();
    void chapterDeletedForGoodWhileRestoredAndWrittenElsewhereKeepsTheWords_data();
    void chapterDeletedForGoodWhileRestoredAndWrittenElsewhereKeepsTheWords();
    void createsReachThePlatformInTheAuthorsOrder();
    void workOfABookRecycledHereReachesThePlatformAndGoesOn_data();
    void workOfABookRecycledHereReachesThePlatformAndGoesOn();
    void lostReplyOfAVolumeMemoBookOrBatchMakesNoSecond_data();
    void lostReplyOfAVolumeMemoBookOrBatchMakesNoSecond();
    void changeOfOneObjectOnBothMachinesEndsAsTheLaterOne_data();
    void changeOfOneObjectOnBothMachinesEndsAsTheLaterOne();
    void changesWaitingForAnObjectDeletedElsewhereLeaveAtOnce_data();
    void changesWaitingForAnObjectDeletedElsewhereLeaveAtOnce();
    void changeMadeWhileANewCoverComesStands_data();
    void changeMadeWhileANewCoverComesStands();
    void volumeDeleteAnsweredWhileItsBookLiesInTheBinTakesThePlatformsChapterStates();
    void deleteThatWentJustAfterWordsElsewhereIsToldAsItWent_data();
    void deleteThatWentJustAfterWordsElsewhereIsToldAsItWent();
    void listAnAnswerCallsForIsLookedAtUntilAnswered_data();
    void listAnAnswerCallsForIsLookedAtUntilAnswered();
    void listAskedBeforeAnEditNeverTakesItBack_data();
    void listAskedBeforeAnEditNeverTakesItBack();
    void replyLeavingAMemberOutKeepsItHere_data();
    void replyLeavingAMemberOutKeepsItHere();
    void memberChangedHereOverTextElsewhereStands_data();
    void memberChangedHereOverTextElsewhereStands();
    void chapterChangedWhileItsTextIsFetchedTakesTheOtherWords_data();
    void chapterChangedWhileItsTextIsFetchedTakesTheOtherWords();
    void refusedEditEndsAsThePlatformHoldsIt_data();
    void refusedEditEndsAsThePlatformHoldsIt();
    void editRefusedWhileThePassEndsIsNoSuccess();
};

// A saves while its save cannot get through; B saves the same chapter; when A
// comes back its older save goes first. Neither text may vanish.
void FeedTwoMachinesTest::savesOfOneChapterOnTwoMachinesKeepBothTexts()
{
    std::unique_ptr<JobsFixture> machines[2];
    QVERIFY(startTwoMachines(machines));
    const QString wordsOfA = QStringLiteral("甲在路上写的段落");
    const QString wordsOfB = QStringLiteral("乙在家里写的段落");

    QVERIFY(machines[0]->restart());
    QVERIFY(settleClient());
    QVERIFY(standin().addFault(QStringLiteral("/chapter/editChapter"), QStringLiteral("http500"), 0, 1));
    QVERIFY(saveChapter(9001, wordsOfA));
    QVERIFY(settleClient());
    QVERIFY(!machines[0]->jobIds().isEmpty());  // waits to be sent

    QVERIFY(machines[1]->restart());
    QVERIFY(settleClient());
    QVERIFY(saveChapter(9001, wordsOfB));
    QVERIFY(settleClient());
    QVERIFY(platformTexts().contains(wordsOfB));

    // A back online, then each machine syncs once more.
    for (int i : {0, 1, 0}) {
        QVERIFY(machines[i]->restart());
        QVERIFY(settleClient());
    }
    QVERIFY2(platformTexts().contains(wordsOfA) && platformTexts().contains(wordsOfB),
             qPrintable(platformTexts().join(QStringLiteral(" | "))));
    QVERIFY2(localTexts().contains(wordsOfA) && localTexts().contains(wordsOfB),
             qPrintable(localTexts().join(QStringLiteral(" | "))));
    QVERIFY(machines[1]->restart());
    QVERIFY(settleClient());
    QVERIFY2(localTexts().contains(wordsOfA) && localTexts().contains(wordsOfB),
             qPrintable(localTexts().join(QStringLiteral(" | "))));
    QCOMPARE(localTexts().size(), platformTexts().size());
}

// Both machines online, B's pull failing: B saves the chapter before it has
// seen A's save, and its save goes out at once. A's words must survive that.
void FeedTwoMachinesTest::saveSentAtOnceBeforeThePullKeepsTheOtherText()
{
    std::unique_ptr<JobsFixture> machines[2];
    QVERIFY(startTwoMachines(machines));
    const QString wordsOfA = QStringLiteral("甲刚刚写完的段落");
    const QString wordsOfB = QStringLiteral("乙还没看到甲的段落");

    QVERIFY(machines[0]->restart());
    QVERIFY(settleClient());
    QVERIFY(saveChapter(9001, wordsOfA));
    QTRY_VERIFY(platformTexts().contains(wordsOfA));
    QVERIFY(settleClient());

    QVERIFY(standin().addFault(QStringLiteral("/synchronization/synBookData"), QStringLiteral("http500"), 0, -1));
    QVERIFY(machines[1]->restart());
    QVERIFY(settleClient());
    QVERIFY(!localTexts().contains(wordsOfA));
    QVERIFY(saveChapter(9001, wordsOfB));
    QTRY_VERIFY(platformTexts().contains(wordsOfB));
    QVERIFY(settleClient());
    QVERIFY(standin().clearFaults());
    QVERIFY2(platformTexts().contains(wordsOfA) && platformTexts().contains(wordsOfB),
             qPrintable(platformTexts().join(QStringLiteral(" | "))));
}

void FeedTwoMachinesTest::saveWhoseReplyIsLostAtAQuitIsNotCopied_data()
{
    QTest::addColumn<QString>("what");  // the chapter's text, or a note's (kMembers)
    // What this machine does after its save left, before it quits.
    QTest::addColumn<QString>("here");
    // What the other machine does then: pulls the save and writes on
    // ("writes on"), the same under this machine's code so that no feed
    // item tells of it ("writes on unannounced"), or nothing.
    QTest::addColumn<QString>("there");
    QTest::newRow("written on elsewhere") << "chapter" << "" << "writes on";
    QTest::newRow("written on elsewhere, no feed item") << "chapter" << "" << "writes on unannounced";
    QTest::newRow("nothing done elsewhere") << "chapter" << "" << "";
    // The request never arrived, and the other machine renames the chapter:
    // the platform's text is the one the save started from.
    QTest::newRow("its request lost, renamed elsewhere") << "chapter" << "" << "renames, the request lost";
    QTest::newRow("renamed here, written on elsewhere") << "chapter" << "renames" << "writes on";
    // Both wrote on the save: each machine's words are kept.
    QTest::newRow("typed on here, written on elsewhere") << "chapter" << "types on" << "writes on";
    QTest::newRow("memo written on elsewhere") << "memo text" << "" << "writes on";
    QTest::newRow("card written on elsewhere") << "card" << "" << "writes on";
}

// A's save reaches the platform, but A quits before the answer comes. B
// pulls the save and writes on; A starts again. The platform holds A's words
// once, B's after them: the save is not sent again blindly, no copy chapter
// (or note) appears, and both machines end as the platform.
void FeedTwoMachinesTest::saveWhoseReplyIsLostAtAQuitIsNotCopied()
{
    QFETCH(QString, what);
    QFETCH(QString, here);
    QFETCH(QString, there);
    std::unique_ptr<JobsFixture> machines[2];
    QVERIFY(startTwoMachines(machines));
    const QString wordsOfA = QStringLiteral("甲在路上写的第一段");
    const QString wordsOfB = wordsOfA + QStringLiteral("\n乙接着写的第二段");
    const QString laterOfA = wordsOfA + QStringLiteral("\n甲后来写的");
    const QString newName = QStringLiteral("甲改的章名");
    const QString nameOfB = QStringLiteral("乙改的章名");
    const bool chapter = what == QLatin1String("chapter");
    const QString member = chapter ? QStringLiteral("chapter text") : what;
    const QString editPath = QLatin1String(kMembers.value(member).edit);
    const auto save = [&member](const QString& words) { return changeMember(member, words); };
    const auto textThere = [&member]() { return memberThere(member); };
    // Every text of the kind, here and on the platform.
    const auto texts = [chapter](bool here) {
        QStringList all = chapter ? (here ? localTexts() : platformTexts())
                                  : (here ? localMemosAndOutlines() : platformMemosAndOutlines());
        all.sort();
        return all;
    };
    const int kept = texts(false).size();
    const bool lost = there.endsWith(QLatin1String("the request lost"));
    QVERIFY(machines[0]->restart() && settleClient());
    const QString codeOfA = CPublicManager::instance()->userInfo.uniqueCode;
    // A dropped connection is tried once more by the transport.
    QVERIFY(standin().clearJournal()
            && standin().addFault(editPath, lost ? QStringLiteral("drop") : QStringLiteral("ok"), lost ? 0 : -1, lost ? 2 : 1));
    QVERIFY(save(wordsOfA));
    if (lost)
        QVERIFY(settleClient() && textThere() != wordsOfA);
    QTRY_VERIFY_WITH_TIMEOUT(lost || textThere() == wordsOfA, 15000);
    if (here == QLatin1String("renames"))
        QVERIFY(renameChapter(9001, newName));
    else if (here == QLatin1String("types on"))
        QVERIFY(save(laterOfA));
    QVERIFY(lost || JobsFixture::requestsTo(editPath).size() == 1);

    // A quits with its answer still out, which then comes to nobody; B
    // writes on what A saved.
    CJobManager::instance()->close();
    QVERIFY(standin().releaseHeld() && standin().clearFaults());
    QTRY_COMPARE_WITH_TIMEOUT(CTessaneHttp::instance()->outstandingReplies(), 0, 15000);
    const QJsonObject writtenOn{{"book_id", 5001}, {"chapter_id", 9001}, {"content", wordsOfB}};
    if (there == QLatin1String("writes on")) {
        QVERIFY(machines[1]->restart() && settleClient());
        QCOMPARE(memberHere(member), wordsOfA);
        QVERIFY(save(wordsOfB) && settleClient());
    } else if (there == QLatin1String("writes on unannounced")) {
        QVERIFY(machines[1]->restart() && settleClient());
        QVERIFY(!standin().callAs(codeOfA, editPath, writtenOn).isEmpty());
    } else if (lost) {
        QVERIFY(!standin().callAs(QStringLiteral("machine1000000000000000000000000"), editPath,
                                  {{"book_id", 5001}, {"chapter_id", 9001}, {"chapter_name", nameOfB}}).isEmpty());
    }
    const QString platformText = there.startsWith(QLatin1String("writes on")) ? wordsOfB : wordsOfA;
    QVERIFY(lost || textThere() == platformText);
    QVERIFY(standin().clearJournal());

    // A starts again, then each machine syncs once more.
    QVERIFY(machines[0]->restart() && settleClient());
    CJobManager::instance()->synNow(false);
    QVERIFY(settleClient());
    QTRY_VERIFY_WITH_TIMEOUT(machines[0]->jobIds().isEmpty(), 15000);
    const int sentAgain = JobsFixture::requestsTo(editPath).size();
    QVERIFY(machines[1]->restart() && settleClient());
    QVERIFY(machines[0]->restart() && settleClient());

    const QStringList expected = texts(false);
    QCOMPARE(texts(true), expected);
    if (here == QLatin1String("types on")) {
        // Neither machine's later words are lost; A's are the chapter's.
        QVERIFY2(expected.contains(laterOfA) && expected.contains(wordsOfB), qPrintable(expected.join(QStringLiteral(" | "))));
        return;
    }
    QCOMPARE(expected.size(), kept);  // no copy
    QCOMPARE(textThere(), platformText);
    // Only a name given after the request left goes again, or a save the
    // platform never had.
    QCOMPARE(sentAgain, here == QLatin1String("renames") || lost ? 1 : 0);
    const QString name = here == QLatin1String("renames") ? newName : lost ? nameOfB : QString();
    QVERIFY(name.isEmpty() || (platformChaptersNamed(name).size() == 1 && localChapterNames().contains(name)));
    QVERIFY(machines[1]->restart() && settleClient());
    QCOMPARE(texts(true), expected);
}

// The delete is made before the create's reply is handled: the reply's id
// must carry the delete to the platform, for chapters and outlines alike.
void FeedTwoMachinesTest::deleteForGoodWhileTheCreateIsOnItsWay()
{
    JobsFixture fixture;
    QVERIFY(startOneMachine(fixture));
    T_Book* book = demoBook();
    QVERIFY(book != nullptr);

    const int localId = addChapter(QStringLiteral("转瞬即删"));
    QVERIFY(localId > 0);
    QVERIFY(CJobManager::instance()->isJobInFlight(fixture.jobIds().value(0)));
    QVERIFY(deleteChapter(localId));

    TC_BookOutline_Create outline(book->bookId, book->localId, 0, 0, 1, 1, 1700000100, QStringLiteral("转瞬即删的大纲"),
                                  QStringLiteral("大纲正文"));
    QVERIFY(CBookJobManager::instance()->outline_create(outline));
    TC_BookOutline_Delete gone;
    gone.localBookId = book->localId;
    gone.localOutlineId = outline.localOutlineId;
    gone.updateTime = 1700000100;
    QVERIFY(CBookJobManager::instance()->outline_delete(gone));

    TC_Books_AddBook newBook(QStringLiteral("转瞬即删的书"), 1700000100, 1700000100, QString());
    QVERIFY(CJobManager::instance()->books_add(newBook));
    TC_Books_Delete recycle(newBook.header.localBookId, 1700000100);
    QVERIFY(CJobManager::instance()->books_delete(recycle));
    TC_Books_Delete_Hard purge;
    purge.header.localBookId = newBook.header.localBookId;
    purge.updateTime = 1700000100;
    QVERIFY(CJobManager::instance()->books_delete_hard(purge));

    QVERIFY(settleClient());
    QTRY_VERIFY_WITH_TIMEOUT(fixture.jobIds().isEmpty(), 15000);
    QVERIFY2(!platformHasBook(QStringLiteral("转瞬即删的书")), "the book stayed on the platform");
    QVERIFY2(platformChaptersNamed(QStringLiteral("转瞬即删")).isEmpty(), "the chapter stayed on the platform");
    QVERIFY2(!platformHasOutline(QStringLiteral("转瞬即删的大纲")), "the outline stayed on the platform");
}

void FeedTwoMachinesTest::deletedForGoodHereStaysDeletedWhenAnOlderListComesLate_data()
{
    QTest::addColumn<QString>("what");  // chapter, outline, memo, book or volume
    QTest::addColumn<bool>("replyLost");
    // The list answered before the delete reached the platform comes after
    // a restart (to a list asked for then, as a slow platform answers).
    QTest::addColumn<bool>("restart");
    for (const char* what : {"outline", "chapter", "book", "memo"})
        QTest::newRow(what) << what << false << false;
    // The resend is refused: the platform has it no longer.
    for (const char* what : {"outline", "chapter", "book", "memo"})
        QTest::newRow(qPrintable(QStringLiteral("%1, its reply lost").arg(what))) << what << true << false;
    for (const char* what : {"chapter", "volume", "outline", "memo"})
        QTest::newRow(qPrintable(QStringLiteral("%1, after a restart").arg(what))) << what << false << true;
    QTest::newRow("chapter, its reply lost, after a restart") << "chapter" << true << true;
    // Asked for with no local id, as the look at a book not here asks.
    QTest::newRow("book asked for as one not here") << "book not here" << false << false;
    // A list asked for after the delete, after a pass pulled, shows it gone
    // before the older one comes.
    QTest::newRow("chapter, a newer list first") << "chapter, a newer list first" << false << false;
    // The delete cannot go yet (refused until the end) when the list comes.
    QTest::newRow("chapter, listed while its delete cannot go") << "chapter, listed while its delete cannot go" << false
                                                               << false;
}

// A list of the book's outlines or chapters the platform answered before this
// machine's delete for good of one reached it comes after the delete's reply
// (a drag's reply, a feed item or a look-up asks for one), or after the
// refusal of its resend when that reply was lost, or after a restart: the
// object stays deleted here, also after another sync. The same for a memo's
// detail, a book's information (asked for as the feed asks for one this
// machine lacks) and a deleted volume in the book's volume list.
void FeedTwoMachinesTest::deletedForGoodHereStaysDeletedWhenAnOlderListComesLate()
{
    QFETCH(QString, what);
    QFETCH(bool, replyLost);
    QFETCH(bool, restart);
    const QString newerFirst = QStringLiteral(", a newer list first");
    const bool newer = what.endsWith(newerFirst);
    what.chop(newer ? newerFirst.size() : 0);
    const QString whileRefused = QStringLiteral(", listed while its delete cannot go");
    const bool refused = what.endsWith(whileRefused);
    what.chop(refused ? whileRefused.size() : 0);
    JobsFixture fixture;
    QVERIFY(startOneMachine(fixture));
    T_Book* book = demoBook();
    QVERIFY(book != nullptr);
    const bool outline = what == QLatin1String("outline");
    const bool memo = what == QLatin1String("memo");
    const bool volume = what == QLatin1String("volume");
    const bool wholeBook = what.startsWith(QLatin1String("book"));
    const QString list = outline ? QStringLiteral("/bookoutline/outlineList")
                         : memo  ? QStringLiteral("/memo/memoDetail")
                         : volume ? QStringLiteral("/volume/volumeList")
                         : wholeBook ? QStringLiteral("/books/bookinfo")
                                  : QStringLiteral("/chapter/chapterList");
    // The request of the list, and the platform's answer as it stands now.
    T_Http_Custom asked;
    asked.uid = StandinServer::demoUid();
    asked.bookId = book->bookId;
    asked.localBookId = what == QLatin1String("book not here") ? 0 : book->localId;
    asked.jobType = outline ? int(JobType::OutlineList)
                    : memo  ? int(JobType::MemoDetail)
                    : volume ? int(JobType::VolumeMenu)
                    : wholeBook ? int(JobType::BooksInfo)
                             : int(JobType::ChapterMenu);
    // Asked for by the feed, a volume list's states count.
    asked.synStep = volume ? 1 : 0;
    if (memo) {
        asked.bookId = asked.localBookId = 0;
        asked.memoId = 13001;
    }
    const QJsonValue older = platformAnswerNow(asked);
    if (!restart && !refused) {
        QVERIFY(standin().addFault(list, QStringLiteral("ok"), -1, 1));
        QVERIFY(askAs(asked));
        QTRY_VERIFY_WITH_TIMEOUT(!JobsFixture::requestsTo(list).isEmpty(), 15000);
    }
    const QString deletePath = outline ? QStringLiteral("/bookoutline/delOutline")
                               : memo  ? QStringLiteral("/memo/delMemo")
                               : volume ? QStringLiteral("/volume/recycle")
                               : wholeBook ? QStringLiteral("/books/delBook")
                                        : QStringLiteral("/chapter/delChapter");
    if (replyLost || refused)
        QVERIFY(standin().addFault(deletePath, refused ? QStringLiteral("http500") : QStringLiteral("truncated"), 0, refused ? -1 : 1));
    const T_Chapter* chapter = book->findChapterByChapterId(9002);
    TC_Volume_Delete removeVolume(*book->findVolumeByVolumeId(7001), 0, 1700000100);
    TC_Books_Delete_Hard purge;
    purge.header.localBookId = book->localId;
    purge.updateTime = 1700000100;
    QVERIFY(outline ? deleteOutlineFromPanel(11001)
            : memo  ? deleteMemoAndOutline(true, false)
            : volume ? CJobManager::instance()->volume_del_restore(removeVolume)
            : wholeBook ? moveBook(book->localId, true) && CJobManager::instance()->books_delete_hard(purge)
                     : chapter != nullptr && deleteChapter(chapter->localId));
    // The delete waits for the pass's feed, then goes; cut off, it goes again
    // with the next pass.
    CJobManager::instance()->synNow(false);
    QTRY_VERIFY_WITH_TIMEOUT(JobsFixture::requestsTo(deletePath).size() == 1, 15000);
    const auto passEnded = []() { return CUiManager::instance()->syncRunning() == 0 && !CSynDataManager::instance()->isRunning(); };
    QTRY_VERIFY_WITH_TIMEOUT(passEnded(), 15000);
    QCOMPARE(fixture.jobIds().isEmpty(), !replyLost && !refused);
    if (refused) {
        // The platform's list, answered now, still has the chapter.
        QVERIFY(askAs(asked) && settleClient());
        QCOMPARE(localCount(QStringLiteral("select count(*) from tb_chapter where chapterId = 9002")), 0);
        QVERIFY(demoBook()->findChapterByChapterId(9002) == nullptr);
        QVERIFY(standin().clearFaults());
    }
    if (replyLost || refused)
        CJobManager::instance()->synNow(false);
    QTRY_VERIFY_WITH_TIMEOUT(fixture.jobIds().isEmpty() && passEnded(), 15000);
    if (restart) {
        QVERIFY(fixture.restart() && settleClient());
        QVERIFY(standin().addFault(list, QStringLiteral("raw"), 0, 1, platformReply(asked, older)));
        QVERIFY(askAs(asked));
        QTRY_VERIFY_WITH_TIMEOUT(!JobsFixture::requestsTo(list).isEmpty(), 15000);
        QVERIFY(settleClient());
    } else {
        if (newer) {
            // Only the older list is out once each is answered.
            const auto onlyOlderOut = []() { return CTessaneHttp::instance()->outstandingReplies() == 1; };
            const QString pull = QStringLiteral("/synchronization/synBookData");
            const int pulls = JobsFixture::requestsTo(pull).size();
            CJobManager::instance()->synNow(false);
            QTRY_VERIFY_WITH_TIMEOUT(JobsFixture::requestsTo(pull).size() > pulls && passEnded() && onlyOlderOut(), 15000);
            const int lists = JobsFixture::requestsTo(list).size();
            QVERIFY(askAs(asked));
            QTRY_VERIFY2_WITH_TIMEOUT(JobsFixture::requestsTo(list).size() > lists && onlyOlderOut(),
                                      qPrintable(QString::number(CTessaneHttp::instance()->outstandingReplies())), 15000);
        }
        QVERIFY(standin().releaseHeld() && settleClient());
    }
    CJobManager::instance()->synNow(false);
    QVERIFY(settleClient());
    QVERIFY(fixture.jobIds().isEmpty());
    QVERIFY(outline ? !platformHasOutline(QStringLiteral("主线"))
            : memo  ? platformMemosAndOutlines().size() == 1
            : volume ? platformStatus(9002) == 0
            : wholeBook ? standin().store().value(QStringLiteral("books")).toArray().isEmpty()
                     : platformChaptersNamed(QStringLiteral("第二章 远行")).isEmpty());
    QCOMPARE(localCount(outline ? QStringLiteral("select count(*) from tb_outline where outlineId = 11001")
                        : memo  ? QStringLiteral("select count(*) from tb_memo where memoId = 13001")
                        : volume ? QStringLiteral("select count(*) from tb_volume where volumeId = 7001 and status <> 0")
                        : wholeBook ? QStringLiteral("select count(*) from tb_book where bookId = 5001")
                                 : QStringLiteral("select count(*) from tb_chapter where chapterId = 9002")),
             0);
    QVERIFY(fixture.restart() && settleClient());
    // A book deleted for good leaves no book to compare (its volume rows stay).
    if (wholeBook)
        QCOMPARE(localCount(QStringLiteral("select count(*) from tb_book where bookId = 5001")), 0);
    else
        QCOMPARE(localState(), platformState());
}

void FeedTwoMachinesTest::deletedForGoodHereStaysDeletedWhenItsAddIsPulledAgain_data()
{
    QTest::addColumn<QString>("what");
    for (const char* what : {"chapter", "book", "memo", "outline"})
        QTest::newRow(what) << what;
    QTest::newRow("chapter, listed after two restarts") << "chapter, listed after two restarts";
    // No item is held back: the add comes again because no pull is acknowledged.
    QTest::newRow("chapter, acknowledgements failing, listed after two restarts")
        << "chapter, acknowledgements failing, listed after two restarts";
}

// Another machine adds a chapter (or a book) after a change this machine
// cannot apply: the feed brings the new one, and both items come again with
// the next pull. This machine deletes the new one for good before that
// pull: it stays deleted, here and on the platform.
void FeedTwoMachinesTest::deletedForGoodHereStaysDeletedWhenItsAddIsPulledAgain()
{
    QFETCH(QString, what);
    const bool listed = what.endsWith(QLatin1String(", listed after two restarts"));
    const bool unacknowledged = what.contains(QLatin1String("acknowledgements failing"));
    const QString ack = QStringLiteral("/synchronization/synAuthor");
    const bool book = what == QLatin1String("book");
    const bool memo = what == QLatin1String("memo");
    const bool card = what == QLatin1String("outline");
    JobsFixture fixture;
    QVERIFY(startOneMachine(fixture));
    QVERIFY(CTessaneDb::instance()->exec(QStringLiteral("create trigger refuse_chapter before insert on tb_chapter "
                                                        "when new.name = '收不下的章' begin select raise(abort, 'refused'); end;")));
    const QString machine = QStringLiteral("machine1000000000000000000000000");
    const QString name = QStringLiteral("又拉回来的");
    const QJsonObject where{{QStringLiteral("book_id"), 5001}, {QStringLiteral("volume_id"), 7001},
                            {QStringLiteral("update_time"), 1700000200}};
    QJsonObject first = where;
    first.insert(QStringLiteral("chapter_name"), QStringLiteral("收不下的章"));
    QJsonObject added = where;
    added.insert(book ? QStringLiteral("book_name") : memo ? QStringLiteral("content") : card ? QStringLiteral("title")
                                                                                          : QStringLiteral("chapter_name"),
                 name);
    added.insert(QStringLiteral("type"), 1);
    QVERIFY(unacknowledged ? standin().addFault(ack, QStringLiteral("http500"), 0, -1)
                           : !standin().callAs(machine, kAddChapter, first).isEmpty());
    QVERIFY(!standin().callAs(machine, book ? QStringLiteral("/books/addBook") : memo ? QStringLiteral("/memo/addMemo")
                                        : card ? QStringLiteral("/bookoutline/addOutline") : kAddChapter, added).isEmpty());
    CJobManager::instance()->synNow(false);
    QVERIFY(settleClient());
    const int id = book ? platformIds("books", "book_name", name, "book_id").value(0)
                   : memo ? platformIds("memos", "content", name, "id").value(0)
                   : card ? platformIds("outlines", "title", name, "outline_id").value(0)
                          : platformIds("chapters", "chapter_name", name, "chapter_id").value(0);
    const QString here = book ? QStringLiteral("select count(*) from tb_book where bookId = %1").arg(id)
                         : memo ? QStringLiteral("select count(*) from tb_memo where memoId = %1").arg(id)
                         : card ? QStringLiteral("select count(*) from tb_outline where outlineId = %1").arg(id)
                                : QStringLiteral("select count(*) from tb_chapter where chapterId = %1").arg(id);
    QCOMPARE(localCount(here), 1);

    T_Book* shown = CPublicManager::instance()->findBookByBookId(id);
    TC_Books_Delete_Hard purge;
    purge.header.localBookId = shown ? shown->localId : 0;
    purge.updateTime = 1700000300;
    TC_Memo_Del drop;
    const T_Memo* shownMemo = CPublicManager::instance()->findMemoByMemoId(id);
    drop.header.localMemoId = shownMemo ? shownMemo->localId : 0;
    drop.updateTime = 1700000300;
    QVERIFY(book   ? shown && moveBook(shown->localId, true) && CJobManager::instance()->books_delete_hard(purge)
            : memo ? shownMemo && CJobManager::instance()->memoDel(drop)
            : card ? deleteOutlineFromPanel(id)
                   : deleteChapter(demoBook()->findChapterByChapterId(id)->localId));
    // A note's delete goes after the pull of its pass: a restart gives the
    // item that could not be applied a second try, so the note's add comes
    // again after the delete was confirmed.
    QVERIFY(!(memo || card || listed) || (fixture.restart() && settleClient()));
    if (listed) {
        // The second start's pass holds the refused item back again, and a
        // chapter list answered then shows the chapter gone.
        QVERIFY(fixture.jobIds().isEmpty() && fixture.restart() && settleClient());
        T_Http_Custom asked;
        asked.uid = StandinServer::demoUid();
        asked.bookId = 5001;
        asked.localBookId = demoBook()->localId;
        asked.jobType = int(JobType::ChapterMenu);
        const int lists = JobsFixture::requestsTo(QStringLiteral("/chapter/chapterList")).size();
        QVERIFY(askAs(asked));
        QTRY_VERIFY_WITH_TIMEOUT(JobsFixture::requestsTo(QStringLiteral("/chapter/chapterList")).size() > lists, 15000);
        QVERIFY(settleClient());
        QVERIFY(!unacknowledged || (!JobsFixture::requestsTo(ack).isEmpty() && standin().clearFaults()));
    }
    for (int pass = 0; pass < 2; ++pass) {
        CJobManager::instance()->synNow(false);
        QVERIFY(settleClient());
    }
    QVERIFY(fixture.jobIds().isEmpty());
    QVERIFY(book   ? platformIds("books", "book_name", name, "book_id").isEmpty()
            : memo ? platformIds("memos", "content", name, "id").isEmpty()
            : card ? platformIds("outlines", "title", name, "outline_id").isEmpty()
                   : platformChaptersNamed(name).isEmpty());
    QCOMPARE(localCount(here), 0);
}

// The platform made the chapter but its reply was cut off: the next pass
// finds it in the list and takes its id instead of making another.
void FeedTwoMachinesTest::createWhoseReplyWasLostIsAdopted()
{
    JobsFixture fixture;
    QVERIFY(startOneMachine(fixture));

    QVERIFY(standin().addFault(kAddChapter, QStringLiteral("truncated"), 0, 1));
    const int localId = addChapter(QStringLiteral("回信丢了"));
    QVERIFY(localId > 0);
    QVERIFY(settleClient());
    QCOMPARE(platformChaptersNamed(QStringLiteral("回信丢了")).size(), 1);

    // The next pass.
    CJobManager::instance()->synNow(false);
    QVERIFY(settleClient());
    QTRY_VERIFY_WITH_TIMEOUT(fixture.jobIds().isEmpty(), 15000);
    const QJsonArray made = platformChaptersNamed(QStringLiteral("回信丢了"));
    QCOMPARE(made.size(), 1);
    const T_Chapter* chapter = demoBook()->findChapterByLocalId(localId);
    QVERIFY(chapter != nullptr);
    QCOMPARE(chapter->chapterId, made.first().toObject().value(QStringLiteral("chapter_id")).toInt());
    QCOMPARE(JobsFixture::requestsTo(kAddChapter).size(), 1);
}

// Lost reply, then the chapter or memo is deleted for good before the next
// pass: the platform's goes too.
void FeedTwoMachinesTest::createWhoseReplyWasLostThenDeletedLeavesNothing()
{
    JobsFixture fixture;
    QVERIFY(startOneMachine(fixture));

    QVERIFY(standin().addFault(kAddChapter, QStringLiteral("truncated"), 0, 1));
    QVERIFY(standin().addFault(QStringLiteral("/memo/addMemo"), QStringLiteral("truncated"), 0, 1));
    const int localId = addChapter(QStringLiteral("丢了又删"));
    QVERIFY(localId > 0);
    TC_Memo_Add memo;
    memo.content = QStringLiteral("丢了又删");
    memo.updateTime = 1700000100;
    QVERIFY(CJobManager::instance()->memoAdd(memo));
    QVERIFY(settleClient());
    QVERIFY(deleteChapter(localId));
    TC_Memo_Del gone;
    gone.header.localMemoId = memo.header.localMemoId;
    gone.updateTime = 1700000100;
    QVERIFY(CJobManager::instance()->memoDel(gone));

    // The next start, and the pass after it.
    QVERIFY(fixture.restart());
    QVERIFY(settleClient());
    CJobManager::instance()->synNow(false);
    QVERIFY(settleClient());
    QTRY_VERIFY_WITH_TIMEOUT(fixture.jobIds().isEmpty(), 15000);
    QVERIFY(platformChaptersNamed(QStringLiteral("丢了又删")).isEmpty());
    QVERIFY(platformIds("memos", "content", memo.content, "id").isEmpty());
    QCOMPARE(JobsFixture::requestsTo(kAddChapter).size(), 1);
}

// A recycles; the platform takes it but the reply is cut off. B restores the
// chapter. A's next start sends its recycle again, then pulls B's restore:
// both machines must end with the platform's state.
void FeedTwoMachinesTest::recycleSentAgainAfterARestoreElsewhereLeavesOneState()
{
    std::unique_ptr<JobsFixture> machines[2];
    QVERIFY(startTwoMachines(machines));
    QVERIFY(machines[0]->restart());
    QVERIFY(settleClient());
    QVERIFY(standin().addFault(QStringLiteral("/chapter/recycle"), QStringLiteral("truncated"), 0, 1));
    QVERIFY(recycleChapter(9002, 0));
    QVERIFY(settleClient());
    QCOMPARE(platformStatus(9002), 0);

    QVERIFY(machines[1]->restart());
    QVERIFY(settleClient());
    QCOMPARE(localStatus(9002), 0);
    QVERIFY(recycleChapter(9002, 1));
    QVERIFY(settleClient());
    QCOMPARE(platformStatus(9002), 1);

    for (int i : {0, 1, 0}) {
        QVERIFY(machines[i]->restart());
        QVERIFY(settleClient());
        QTRY_VERIFY_WITH_TIMEOUT(machines[i]->jobIds().isEmpty(), 15000);
        QCOMPARE(localStatus(9002), platformStatus(9002));
    }
}

// A's recycle fails and waits; A restores the chapter. Sent before the
// recycle, the restore would leave the chapter recycled there, live here.
void FeedTwoMachinesTest::restoreWaitsForTheRecycleBeforeIt()
{
    std::unique_ptr<JobsFixture> machines[2];
    QVERIFY(startTwoMachines(machines));
    QVERIFY(machines[0]->restart());
    QVERIFY(settleClient());
    QVERIFY(standin().addFault(QStringLiteral("/chapter/recycle"), QStringLiteral("http500"), 0, 1));
    QVERIFY(recycleChapter(9002, 0));
    QVERIFY(settleClient());
    QVERIFY(recycleChapter(9002, 1));
    QVERIFY(settleClient());
    // The restore waited: only the refused recycle has gone out.
    QCOMPARE(JobsFixture::requestsTo(QStringLiteral("/chapter/recycle")).size(), 1);
    QVERIFY(machines[0]->restart());
    QVERIFY(settleClient());
    QTRY_VERIFY_WITH_TIMEOUT(machines[0]->jobIds().isEmpty(), 15000);
    QCOMPARE(localStatus(9002), 1);
    QCOMPARE(platformStatus(9002), 1);
}

void FeedTwoMachinesTest::memoAndOutlineEditedOnBothMachinesKeepBothTexts_data()
{
    QTest::addColumn<bool>("elsewhere");  // B edits both texts, else it only recolours the memo
    // A's edits queued by the previous build, which kept no text they replaced
    QTest::addColumn<bool>("oldQueue");
    // A's first edits reach the platform with their replies cut off, and
    // this many follow offline; elsewhere a card is dragged too.
    QTest::addColumn<int>("laterEdits");
    QTest::newRow("edited on both machines") << true << false << 0;
    QTest::newRow("edited here only, recoloured elsewhere") << false << false << 0;
    QTest::newRow("edited here only by the previous build, recoloured elsewhere") << false << true << 0;
    QTest::newRow("edited here twenty times after a lost reply, recoloured and dragged elsewhere")
        << false << false << 20;
}

// A edits the memo and the outline, and adds an outline, while its edits
// cannot get through; B edits both. Neither text may vanish: the one sent
// last stays in place, the other is kept as a copy beside it, alike on both
// machines and the platform. Where nothing but A changed the texts, no copy
// is made, unless A's edits do not tell what they replaced: then the texts
// they replaced are kept as copies.
void FeedTwoMachinesTest::memoAndOutlineEditedOnBothMachinesKeepBothTexts()
{
    QFETCH(bool, elsewhere);
    QFETCH(bool, oldQueue);
    QFETCH(int, laterEdits);
    std::unique_ptr<JobsFixture> machines[2];
    QVERIFY(startTwoMachines(machines));
    QVERIFY(machines[0]->restart());
    QVERIFY(settleClient());
    const QString cut = laterEdits > 0 ? QStringLiteral("truncated") : QStringLiteral("http500");
    QVERIFY(standin().addFault(QStringLiteral("/memo/editMemo"), cut));
    QVERIFY(standin().addFault(QStringLiteral("/bookoutline/editOutline"), cut));
    // The new card's create fails at once and in the pass the edits start.
    QVERIFY(standin().addFault(QStringLiteral("/bookoutline/addOutline"), QStringLiteral("http500"), 0, 2));
    QVERIFY(editMemoAndOutline(laterEdits > 0 ? QStringLiteral("甲头一回改的") : QStringLiteral("甲在路上改的"), laterEdits == 0));
    QVERIFY(settleClient());
    QString last = QStringLiteral("甲在路上改的");
    QVERIFY(laterEdits == 0 || standin().addFault(QStringLiteral("*"), QStringLiteral("http500"), 0, -1));
    for (int i = 1; i <= laterEdits; ++i)
        QVERIFY(editMemoAndOutline(last = QStringLiteral("甲断网后改的第%1稿").arg(i), false));
    QVERIFY(settleClient());
    QVERIFY(standin().clearFaults());
    QCOMPARE(machines[0]->jobIds().size(), laterEdits > 0 ? 2 : 3);
    QSqlQuery strip = CTessaneDb::instance()->newQuery();
    QVERIFY(!oldQueue || strip.exec(QStringLiteral("update tb_job set content = json_remove(content, '$.was')")));

    QVERIFY(machines[1]->restart());
    QVERIFY(settleClient());
    TC_Memo_Edit recolour;
    recolour.header.localMemoId = CPublicManager::instance()->findMemoByMemoId(13001)->localId;
    recolour.color = QStringLiteral("#CDEBFF");
    recolour.updateTime = 1700000100;
    QVERIFY(elsewhere ? editMemoAndOutline(QStringLiteral("乙在家里改的")) : CJobManager::instance()->memoEditColor(recolour));
    QVERIFY(settleClient());
    const int dragged = laterEdits == 0 ? 0
                                        : platformCall(QStringLiteral("/bookoutline/addOutline"),
                                                       {{QStringLiteral("book_id"), 5001}, {QStringLiteral("type"), 1},
                                                        {QStringLiteral("title"), QStringLiteral("乙加的")}})
                                              .value(QStringLiteral("outline_id")).toInt();
    const QString order = QStringLiteral("[{\"from_outline_id\":%1,\"to_outline_id\":11001}]").arg(dragged);
    QVERIFY(laterEdits == 0 || !platformCall(QStringLiteral("/bookoutline/move"),
                                             {{QStringLiteral("book_id"), 5001}, {QStringLiteral("move_order"), order}})
                                    .isEmpty());

    for (int i : {0, 1, 0, 1}) {
        QVERIFY(machines[i]->restart());
        QVERIFY(settleClient());
        QTRY_VERIFY_WITH_TIMEOUT(machines[i]->jobIds().isEmpty(), 15000);
    }
    if (!elsewhere) {
        // Nothing but A's own texts, none of them twice.
        QStringList expected = laterEdits > 0 ? QStringList{QStringLiteral("乙加的:"), QStringLiteral("主线:") + last, last}
                                              : QStringList{QStringLiteral(":甲在路上改的的新大纲"),
                                                            QStringLiteral("主线:甲在路上改的"), QStringLiteral("甲在路上改的")};
        if (oldQueue)
            expected << CSynDataManager::copyName(QStringLiteral("主线")) + QStringLiteral(":她要在入冬前赶到北方。")
                     << CSynDataManager::copyName(QString()).trimmed() + QStringLiteral("\n记得回收渡口的伏笔");
        expected.sort();
        QCOMPARE(platformMemosAndOutlines(), expected);
        QCOMPARE(localMemosAndOutlines(), expected);
        QVERIFY(machines[0]->restart());
        QVERIFY(settleClient());
        QCOMPARE(localMemosAndOutlines(), expected);
        return;
    }
    QStringList expected{QStringLiteral(":甲在路上改的的新大纲"), QStringLiteral(":乙在家里改的的新大纲"),
                         QStringLiteral("主线:甲在路上改的"),
                         CSynDataManager::copyName(QStringLiteral("主线")) + QStringLiteral(":乙在家里改的"),
                         QStringLiteral("甲在路上改的"),
                         CSynDataManager::copyName(QString()).trimmed() + QStringLiteral("\n乙在家里改的")};
    expected.sort();
    const QStringList platform = platformMemosAndOutlines();
    QCOMPARE(platform, expected);
    QCOMPARE(localMemosAndOutlines(), platform);
    QCOMPARE(storedOrder(5001), platformOrder(standin().store(), 5001));
    QVERIFY(machines[0]->restart());
    QVERIFY(settleClient());
    QCOMPARE(localMemosAndOutlines(), platform);
    QCOMPARE(storedOrder(5001), platformOrder(standin().store(), 5001));

    // A's memo whose create reply was lost is retyped on A and, before A
    // learns its id, on B: A takes it as its own and B's words stay as a copy.
    QVERIFY(standin().addFault(QStringLiteral("/memo/addMemo"), QStringLiteral("truncated"), 0, 1));
    TC_Memo_Add lost;
    lost.content = QStringLiteral("甲记下的");
    lost.color = QStringLiteral("#FFF3B0");
    lost.updateTime = 1700000200;
    QVERIFY(CJobManager::instance()->memoAdd(lost));
    QVERIFY(settleClient());
    TC_Memo_Edit retype;
    retype.header.localMemoId = lost.header.localMemoId;
    retype.content = QStringLiteral("甲又改的");
    retype.updateTime = 1700000201;
    QVERIFY(CJobManager::instance()->memoEditContent(retype));
    QVERIFY(machines[1]->restart());
    QVERIFY(settleClient());
    const QList<int> made = platformIds("memos", "content", lost.content, "id");
    QCOMPARE(made.size(), 1);
    T_Memo* onB = CPublicManager::instance()->findMemoByMemoId(made.first());
    QVERIFY(onB != nullptr);
    retype.header = T_Http_Custom();
    retype.header.localMemoId = onB->localId;
    retype.content = QStringLiteral("乙改的");
    QVERIFY(CJobManager::instance()->memoEditContent(retype));
    QVERIFY(settleClient());
    for (int i : {0, 1, 0, 1}) {
        QVERIFY(machines[i]->restart());
        QVERIFY(settleClient());
        QTRY_VERIFY_WITH_TIMEOUT(machines[i]->jobIds().isEmpty(), 15000);
        QCOMPARE(localMemosAndOutlines(), platformMemosAndOutlines());
    }
    expected << QStringLiteral("甲又改的") << CSynDataManager::copyName(QString()).trimmed() + QStringLiteral("\n乙改的");
    expected.sort();
    QCOMPARE(platformMemosAndOutlines(), expected);
}

void FeedTwoMachinesTest::noteSavedOnlineInAStaleCopyKeepsTheWordsSentFirst_data()
{
    QTest::addColumn<int>("first");  // the machine whose pause is sent first
    // typed in the memo's window, the memo saved with no window, or the
    // outline card's pause save
    QTest::addColumn<QString>("saved");
    QTest::newRow("A's pause sent, then B types in its stale memo window") << 0 << "window";
    QTest::newRow("B's pause sent, then A types in its stale memo window") << 1 << "window";
    QTest::newRow("memo saved with no window, A first") << 0 << "memo";
    QTest::newRow("memo saved with no window, B first") << 1 << "memo";
    QTest::newRow("outline card saved, A first") << 0 << "card";
    QTest::newRow("outline card saved, B first") << 1 << "card";
    // A's second pause merges into the first's job while the pull that job
    // started is out, and B wrote meanwhile.
    QTest::newRow("memo saved again while its pull is out, B wrote meanwhile") << 0 << "merged";
}

// Both machines online: one saves its words in the memo or the outline at a
// pause and they reach the platform; then the other, whose feed failed at
// its start, saves its own words in the text it had. Its save stays the
// note and the first words become a copy, on both machines and the platform.
void FeedTwoMachinesTest::noteSavedOnlineInAStaleCopyKeepsTheWordsSentFirst()
{
    QFETCH(int, first);
    QFETCH(QString, saved);
    const bool card = saved == QLatin1String("card");
    std::unique_ptr<JobsFixture> machines[2];
    QVERIFY(startTwoMachines(machines));
    const QStringList words{QStringLiteral("先停顿的一台写的"), QStringLiteral("后停顿的一台在旧文上写的")};
    if (saved == QLatin1String("merged")) {
        QVERIFY(machines[0]->restart() && settleClient());
        const QString pull = QStringLiteral("/synchronization/synBookData");
        const int pulls = JobsFixture::requestsTo(pull).size();
        QVERIFY(standin().addFault(pull, QStringLiteral("ok"), -1, 1));
        T_Memo* memo = CPublicManager::instance()->findMemoByMemoId(13001);
        TC_Memo_Edit edit(memo->localId, 13001, 1700000100, words.at(0), memo->color, 0, 0, 0, 0, 0, 0, 0);
        QVERIFY(CJobManager::instance()->memoEditContent(edit));
        QTRY_COMPARE_WITH_TIMEOUT(JobsFixture::requestsTo(pull).size(), pulls + 1, 15000);
        QVERIFY(!standin().callAs(QStringLiteral("machine1000000000000000000000000"), QStringLiteral("/memo/editMemo"),
                                  {{QStringLiteral("memo_id"), 13001}, {QStringLiteral("content"), words.at(1)}})
                     .isEmpty());
        edit.content = words.at(0) + QStringLiteral("，又停顿了一次");
        QVERIFY(CJobManager::instance()->memoEditContent(edit) && machines[0]->jobIds().size() == 1);
        QVERIFY(standin().releaseHeld() && settleClient());
        QTRY_VERIFY_WITH_TIMEOUT(machines[0]->jobIds().isEmpty(), 15000);
        QCOMPARE(platformMemosAndOutlines().filter(words.at(1)).size(), 1);
        QCOMPARE(platformMemosAndOutlines().filter(edit.content).size(), 1);
        QCOMPARE(localMemosAndOutlines(), platformMemosAndOutlines());
        return;
    }
    for (int turn = 0; turn < 2; ++turn) {
        QVERIFY(turn == 0 || standin().addFault(QStringLiteral("/synchronization/synBookData"), QStringLiteral("http500")));
        QVERIFY(machines[turn == 0 ? first : 1 - first]->restart());
        QVERIFY(settleClient());
        T_Memo* memo = CPublicManager::instance()->findMemoByMemoId(13001);
        const T_Outline* outline = demoBook() ? demoBook()->findOutlineByOutlineId(11001) : nullptr;
        QVERIFY(memo && outline);
        QVERIFY(!(card ? outline->content : memo->content).contains(words.at(0)));
        TC_Memo_Edit edit(memo->localId, 13001, 1700000100, words.at(turn), memo->color, 0, 0, 0, 0, 0, 0, 0);
        if (card) {
            QVERIFY(writeCard(demoBook(), outline->localId, words.at(turn)));
        } else if (saved == QLatin1String("memo")) {
            QVERIFY(CJobManager::instance()->memoEditContent(edit));
        } else {
            MemoItemWidget* window = MemoItemManager::instance()->creatItemWidget();
            window->setMemo(memo);
            QInputMethodEvent typed;
            typed.setCommitString(words.at(turn));
            QApplication::sendEvent(window->textEdit(), &typed);
            QTRY_VERIFY_WITH_TIMEOUT(memo->content.contains(words.at(turn)), 15000);
        }
        QVERIFY(settleClient());
    }
    for (int i : {first, 1 - first, first}) {
        QVERIFY(machines[i]->restart());
        QVERIFY(settleClient());
        QTRY_VERIFY_WITH_TIMEOUT(machines[i]->jobIds().isEmpty(), 15000);
        QCOMPARE(localMemosAndOutlines(), platformMemosAndOutlines());
    }
    for (const QJsonValue& note : standin().store().value(QLatin1String(card ? "outlines" : "memos")).toArray()) {
        if (note[QLatin1String(card ? "outline_id" : "id")].toInt() == (card ? 11001 : 13001))
            QVERIFY(note[QStringLiteral("content")].toString().contains(words.at(1)));
    }
    QCOMPARE(platformMemosAndOutlines().filter(words.at(0)).size(), 1);
    QCOMPARE(platformMemosAndOutlines().filter(words.at(1)).size(), 1);
}

void FeedTwoMachinesTest::bookInformationEditedOnBothMachinesKeepsEachMembersLaterChange_data()
{
    QTest::addColumn<int>("first");        // the machine that edits first
    QTest::addColumn<QString>("changes");  // what the first, then the second changes in the dialog
    // stale: the second's start pulls no feed; offline: the first's edit
    // waits offline; open: the second's dialog is open while a pull comes
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("ends");  // name:introduction:category (%c the one chosen)
    const QString intro = QStringLiteral("示例作品:乙写的简介:%c");
    QTest::newRow("B's introduction, then A's category from a stale copy") << 1 << "intro|category" << "stale" << intro;
    QTest::newRow("A's category, then B's introduction from a stale copy") << 0 << "category|intro" << "stale" << intro;
    QTest::newRow("A's category queued offline, B's introduction meanwhile") << 0 << "category|intro" << "offline" << intro;
    QTest::newRow("B's introduction queued offline, A's category meanwhile") << 1 << "intro|category" << "offline" << intro;
    QTest::newRow("A's dialog open while B's introduction comes") << 1 << "intro|category" << "open" << intro;
    QTest::newRow("A's dialog open while B's name comes, A's introduction confirmed")
        << 1 << "name|intro" << "open" << "乙改的书名:甲写的简介:2001";
    QTest::newRow("both introductions, B's with a name, then A's from a stale copy")
        << 1 << "name intro|intro" << "stale" << "乙改的书名:甲写的简介:2001";
    QTest::newRow("both introductions, A's queued offline, B's with a name meanwhile")
        << 0 << "intro|name intro" << "offline" << "乙改的书名:甲写的简介:2001";
}

// Two machines change the book's information in its dialog, the second
// before it has pulled the first's change (or the first's waiting offline).
// Each member ends as the machine changed it whose change went later, on
// both machines and the platform.
void FeedTwoMachinesTest::bookInformationEditedOnBothMachinesKeepsEachMembersLaterChange()
{
    QFETCH(int, first);
    QFETCH(QString, changes);
    QFETCH(QString, how);
    QFETCH(QString, ends);
    std::unique_ptr<JobsFixture> machines[2];
    QVERIFY(startTwoMachines(machines));
    for (int turn = 0; turn < 2; ++turn) {
        const int machine = turn == 0 ? first : 1 - first;
        QVERIFY(turn == 0 || how == QLatin1String("offline")
                || standin().addFault(QStringLiteral("/synchronization/synBookData"), QStringLiteral("http500")));
        QVERIFY(machines[machine]->restart() && settleClient());
        QVERIFY(turn > 0 || how != QLatin1String("offline") || standin().addFault(QStringLiteral("*"), QStringLiteral("http500"), 0, -1));
        Dialog_BookInfo dialog;
        dialog.loadBookInfo(demoBook());
        if (turn > 0 && how == QLatin1String("open")) {
            // The author waits in the dialog while a pull brings the other's change.
            CJobManager::instance()->synNow(false);
            QVERIFY(settleClient() && (demoBook()->intro == QStringLiteral("乙写的简介")
                                       || demoBook()->bookName == QStringLiteral("乙改的书名")));
        }
        for (const QString& member : changes.section(QLatin1Char('|'), turn, turn).split(QLatin1Char(' '))) {
            if (member == QLatin1String("category")) {
                dialog.primaryCombo(2)->setCurrentIndex(dialog.primaryCombo(2)->count() - 1);
                ends.replace(QLatin1String("%c"), QString::number(dialog.subCombo(2)->currentData().toInt()));
                continue;
            }
            const bool name = member == QLatin1String("name");
            QWidget* field = name ? static_cast<QWidget*>(dialog.nameEdit()) : dialog.introEdit();
            QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
            QInputMethodEvent typed;
            typed.setCommitString(QString::fromUtf8(machine == 0 ? "甲" : "乙")
                                  + (name ? QStringLiteral("改的书名") : QStringLiteral("写的简介")));
            QApplication::sendEvent(field, &typed);
        }
        dialog.btnConfirm()->click();
        QVERIFY(settleClient() && standin().clearFaults());
    }
    for (int i : {first, 1 - first, first}) {
        QVERIFY(machines[i]->restart() && settleClient());
        QTRY_VERIFY_WITH_TIMEOUT(machines[i]->jobIds().isEmpty(), 15000);
        QCOMPARE(localState(), platformState());
    }
    QVERIFY2(platformState().contains(QLatin1Char(' ') + ends + QStringLiteral(":1 ")), qPrintable(platformState()));
}

void FeedTwoMachinesTest::noteDeletedBeforeThePullKeepsWhatWasWrittenElsewhere_data()
{
    QTest::addColumn<bool>("queued");  // deleted offline, else online before this start's feed
    // A memo made here meanwhile, in the memo's colour and second, its
    // request lost on the way (with 2, sent again at the next start, its
    // reply lost): the memo that comes back is not taken for it.
    QTest::addColumn<int>("madeMeanwhile");
    QTest::addColumn<QString>("deleted");  // from the memo list and the outline panel
    // The outline list that brings the outline back fails once.
    QTest::addColumn<bool>("listFails");
    QTest::newRow("deleted online") << false << 0 << "memo outline" << false;
    QTest::newRow("deleted offline") << true << 0 << "memo outline" << false;
    QTest::newRow("deleted offline, the outline list failing once") << true << 0 << "memo outline" << true;
    QTest::newRow("deleted before the feed, a memo made meanwhile lost") << false << 1 << "memo outline" << false;
    QTest::newRow("deleted before the feed, a memo made meanwhile lost twice") << false << 2 << "memo outline" << false;
    // Alone, either delete goes with the feed of a pass it starts itself.
    QTest::newRow("outline deleted online") << false << 0 << "outline" << false;
    QTest::newRow("memo deleted online") << false << 0 << "memo" << false;
}

// B writes a paragraph into the memo and the outline, and the platform takes
// it; A, which has not pulled the feed since, deletes both from the memo list
// and the outline panel. The deletes wait for A's feed, which shows the
// paragraphs: they are withdrawn, A is told, and the notes stay everywhere.
void FeedTwoMachinesTest::noteDeletedBeforeThePullKeepsWhatWasWrittenElsewhere()
{
    QFETCH(bool, queued);
    QFETCH(int, madeMeanwhile);
    QFETCH(QString, deleted);
    QFETCH(bool, listFails);
    const bool memo = deleted.contains(QLatin1String("memo"));
    const bool outline = deleted.contains(QLatin1String("outline"));
    std::unique_ptr<JobsFixture> machines[2];
    QVERIFY(startTwoMachines(machines));
    const QString paragraph = QStringLiteral("乙在别处添的一段");
    QVERIFY(editMemoAndOutline(paragraph, false));
    QVERIFY(settleClient());
    QVERIFY(standin().addFault(queued ? QStringLiteral("*") : QStringLiteral("/synchronization/synBookData"),
                               QStringLiteral("http500"), 0, -1));
    QVERIFY(machines[0]->restart());
    QVERIFY(settleClient());
    QVERIFY(queued || madeMeanwhile || standin().clearFaults());
    QSignalSpy told(CUiManager::instance(), &CUiManager::sig_Message);
    QVERIFY(deleteMemoAndOutline(memo, outline));
    TC_Memo_Add made;
    made.content = QStringLiteral("甲同时新写的便签");
    made.color = QStringLiteral("#FFF3B0");
    for (const QJsonValue& memo : standin().store().value(QStringLiteral("memos")).toArray())
        made.updateTime = memo[QStringLiteral("id")].toInt() == 13001 ? memo[QStringLiteral("color_update_time")].toInt()
                                                                      : made.updateTime;
    // A dropped connection is retried once by the transport.
    QVERIFY(!madeMeanwhile
            || (standin().addFault(QStringLiteral("/memo/addMemo"), QStringLiteral("drop"), 0, 2)
                && CJobManager::instance()->memoAdd(made)));
    QVERIFY(settleClient());
    QVERIFY(standin().clearFaults());
    QVERIFY(madeMeanwhile < 2 || standin().addFault(QStringLiteral("/memo/addMemo"), QStringLiteral("truncated"), 0, 1));
    QVERIFY(!listFails || standin().addFault(QStringLiteral("/bookoutline/outlineList"), QStringLiteral("http500"), 0, 1));
    QVERIFY(!(queued || madeMeanwhile) || machines[0]->restart());
    QVERIFY(settleClient());
    // The next pass looks the twice lost create up.
    if (madeMeanwhile > 1)
        CJobManager::instance()->synNow(false);
    QVERIFY(settleClient());
    for (int pass = 0; listFails && pass < 2; ++pass) {
        CJobManager::instance()->synNow(false);
        QVERIFY(settleClient());
    }
    QTRY_VERIFY_WITH_TIMEOUT(machines[0]->jobIds().isEmpty(), 15000);
    QCOMPARE(platformMemosAndOutlines().filter(paragraph).size(), 2);
    QCOMPARE(platformMemosAndOutlines().contains(made.content), madeMeanwhile > 0);
    QCOMPARE(localMemosAndOutlines(), platformMemosAndOutlines());
    QStringList notices{CSynDataManager::tr("A memo you deleted was written in on another device; it is kept."),
                        CSynDataManager::tr("An outline you deleted was written in on another device; it is kept.")};
    notices = notices.mid(memo ? 0 : 1, memo && outline ? 2 : 1);
    QVERIFY(toldAll(told, notices));
    // One notice does not take the other's place: the author reads both.
    const QStringList seen = toastsInTurn();
    QVERIFY2(seen.contains(notices.at(0)) && seen.contains(notices.value(1, notices.at(0))),
             qPrintable(seen.join(QLatin1Char('|'))));
    QVERIFY(machines[1]->restart());
    QVERIFY(settleClient());
    QCOMPARE(localMemosAndOutlines(), platformMemosAndOutlines());
}

void FeedTwoMachinesTest::noteWrittenHereWhileDeletedElsewhereComesBackAsANewNote_data()
{
    // offline, or online with the feed failing: either way the words wait
    // for a pull, which brings the deletes before they go
    QTest::addColumn<bool>("offline");
    QTest::newRow("written offline") << true;
    QTest::newRow("written before the pull") << false;
}

// A deletes the memo and the outline; B, which has not seen that, writes in
// both. B's words come back as a new memo and a new outline, on the platform
// and on both machines, and B is told.
void FeedTwoMachinesTest::noteWrittenHereWhileDeletedElsewhereComesBackAsANewNote()
{
    QFETCH(bool, offline);
    std::unique_ptr<JobsFixture> machines[2];
    QVERIFY(startTwoMachines(machines));
    QVERIFY(machines[0]->restart());
    QVERIFY(settleClient());
    QVERIFY(deleteMemoAndOutline());
    // A new outline has the book's list fetched while the delete waits.
    TC_BookOutline_Create card(5001, demoBook()->localId, 0, 0, 2, 2, 1700000100, QString(), QStringLiteral("甲的"));
    QVERIFY(CBookJobManager::instance()->outline_create(card));
    QVERIFY(settleClient());
    QTRY_VERIFY_WITH_TIMEOUT(machines[0]->jobIds().isEmpty(), 15000);
    QCOMPARE(platformMemosAndOutlines(), QStringList{QStringLiteral(":甲的")});
    QCOMPARE(localMemosAndOutlines(), platformMemosAndOutlines());

    const QString words = QStringLiteral("乙没看到删除时写下的话");
    QVERIFY(standin().addFault(offline ? QStringLiteral("*") : QStringLiteral("/synchronization/synBookData"),
                               QStringLiteral("http500"), 0, -1));
    QVERIFY(machines[1]->restart());
    QVERIFY(settleClient());
    QSignalSpy told(CUiManager::instance(), &CUiManager::sig_Message);
    QVERIFY(editMemoAndOutline(words, false));
    QVERIFY(settleClient());
    QVERIFY(standin().clearFaults());
    for (int i : {1, 0, 1, 0}) {
        QVERIFY(machines[i]->restart());
        QVERIFY(settleClient());
        QTRY_VERIFY_WITH_TIMEOUT(machines[i]->jobIds().isEmpty(), 15000);
    }
    // The platform never gives an id twice: both are new notes.
    QCOMPARE(platformMemosAndOutlines(), (QStringList{QStringLiteral(":甲的"), QStringLiteral("主线:") + words, words}));
    QVERIFY(toldAll(told, {CMemoManager::tr("A memo was deleted on another device. What you wrote in it here is kept "
                                            "and goes back to the platform as a new memo."),
                           CBookJobManager::tr("An outline was deleted on another device. What you wrote in it here "
                                               "is kept and goes back to the platform as a new outline.")}));
    for (auto& machine : machines) {
        QVERIFY(machine->restart());
        QVERIFY(settleClient());
        QCOMPARE(localMemosAndOutlines(), platformMemosAndOutlines());
    }
}

void FeedTwoMachinesTest::bookDeletedForGoodWhileEditedOfflineStaysHereAndGoesBackOnRestore_data()
{
    // B writes offline, or online while its feed fails.
    QTest::addColumn<QString>("how");
    QTest::newRow("written offline") << "offline";
    QTest::newRow("written online before the delete is pulled") << "before the pull";
}

// A deletes the book for good while B adds a chapter and writes. B keeps its
// words in its recycle bin as a book of its own, with no job left to fail;
// restoring it there puts it back on the platform and on A.
void FeedTwoMachinesTest::bookDeletedForGoodWhileEditedOfflineStaysHereAndGoesBackOnRestore()
{
    QFETCH(QString, how);
    std::unique_ptr<JobsFixture> machines[2];
    QVERIFY(startTwoMachines(machines));
    QVERIFY(machines[0]->restart());
    QVERIFY(settleClient());
    const int localBookOfA = demoBook()->localId;
    TC_Books_Delete recycle(localBookOfA, 1700000100);
    QVERIFY(CJobManager::instance()->books_delete(recycle));
    TC_Books_Delete_Hard purge;
    purge.header.localBookId = localBookOfA;
    purge.updateTime = 1700000100;
    QVERIFY(CJobManager::instance()->books_delete_hard(purge));
    QVERIFY(settleClient());
    QTRY_VERIFY_WITH_TIMEOUT(machines[0]->jobIds().isEmpty(), 15000);
    QVERIFY(!platformHasBook(QStringLiteral("示例作品")));

    const QString inNewChapter = QStringLiteral("乙在断网时新写的一章");
    const QString inOldChapter = QStringLiteral("乙在断网时改的第一章");
    if (how == QLatin1String("offline"))
        QVERIFY(standin().addFault(QStringLiteral("*"), QStringLiteral("http500"), 0, -1));
    if (how == QLatin1String("before the pull"))
        QVERIFY(standin().addFault(QStringLiteral("/synchronization/synBookData"), QStringLiteral("http500"), 0, -1));
    QVERIFY(machines[1]->restart());
    QVERIFY(settleClient());
    const int localBook = demoBook()->localId;
    const int added = addChapter(QStringLiteral("断网新章"));
    QVERIFY(added > 0);
    TC_Chapter_Edit_Content save;
    save.header.localBookId = localBook;
    save.header.localChapterId = added;
    save.content = inNewChapter;
    save.updateTime = 1700000100;
    save.isSendToSrv = true;
    QVERIFY(CJobManager::instance()->chapter_edit_content(save));
    QVERIFY(saveChapter(9001, inOldChapter));
    QVERIFY(settleClient());
    if (how == QLatin1String("before the pull")) {
        // Refused as gone, they leave nothing queued even before the feed.
        QTRY_VERIFY_WITH_TIMEOUT(machines[1]->jobIds().isEmpty(), 15000);
        QVERIFY(CPublicManager::instance()->findRecycledBookByLocalId(localBook) != nullptr);
    }
    QVERIFY(standin().clearFaults());

    const auto wordsHere = [localBook]() {
        QStringList texts;
        QSqlQuery query = CTessaneDb::instance()->newQuery();
        if (query.exec(QStringLiteral("select content from tb_chapter left join tb_chapter_text using (localId) where localBookId = %1").arg(localBook)))
            while (query.next())
                texts << query.value(0).toString();
        return texts;
    };
    for (int pass = 0; pass < 2; ++pass) {
        QVERIFY(machines[1]->restart());
        QVERIFY(settleClient());
    }
    QVERIFY2(machines[1]->jobIds().isEmpty(), "jobs that cannot reach the platform are still queued");
    const T_Book* kept = CPublicManager::instance()->findRecycledBookByLocalId(localBook);
    QVERIFY(kept != nullptr);
    QCOMPARE(kept->bookId, 0);
    QVERIFY(wordsHere().contains(inNewChapter) && wordsHere().contains(inOldChapter));
    QVERIFY(!platformHasBook(QStringLiteral("示例作品")));

    TC_Books_Restore restore;
    restore.header.localBookId = localBook;
    restore.updateTime = 1700000200;
    QVERIFY(CJobManager::instance()->books_restore(restore));
    // A new introduction before its creates go: the book's cover goes all the same.
    TC_Books_Edit intro(localBook, 0, 0, 0, QString(), QStringLiteral("乙恢复后写的简介"), QString(), 1700000300);
    QVERIFY(CJobManager::instance()->books_edit(intro));
    CJobManager::instance()->synNow(false);
    QVERIFY(settleClient());
    QTRY_VERIFY_WITH_TIMEOUT(machines[1]->jobIds().isEmpty(), 15000);
    const T_Book* back = CPublicManager::instance()->findBookByLocalId(localBook);
    QVERIFY(back != nullptr && back->bookId > 0);
    const int bookId = back->bookId;
    for (const QJsonValue& book : standin().store().value(QStringLiteral("books")).toArray())
        QVERIFY(book[QStringLiteral("book_id")].toInt() != bookId || book[QStringLiteral("cover")].toString().contains(QLatin1String("/img/cover_")));
    QStringList onPlatform;
    for (const QJsonValue& value : standin().store().value(QStringLiteral("chapters")).toArray()) {
        if (value.toObject().value(QStringLiteral("book_id")).toInt() == bookId)
            onPlatform << value.toObject().value(QStringLiteral("content")).toString();
    }
    QVERIFY2(onPlatform.contains(inNewChapter) && onPlatform.contains(inOldChapter),
             qPrintable(onPlatform.join(QStringLiteral(" | "))));
    QCOMPARE(onPlatform.size(), wordsHere().size());

    QVERIFY(machines[0]->restart());
    QVERIFY(settleClient());
    QTRY_VERIFY_WITH_TIMEOUT(CPublicManager::instance()->findBookByBookId(bookId) != nullptr, 15000);
    QVERIFY(settleClient());
    QStringList onA;
    QSqlQuery query = CTessaneDb::instance()->newQuery();
    QVERIFY(query.exec(QStringLiteral("select content from tb_chapter left join tb_chapter_text using (localId) where bookId = %1").arg(bookId)));
    while (query.next())
        onA << query.value(0).toString();
    QVERIFY2(onA.contains(inNewChapter) && onA.contains(inOldChapter), qPrintable(onA.join(QStringLiteral(" | "))));
}

void FeedTwoMachinesTest::chapterDeletedForGoodWhileRestoredAndWrittenElsewhereKeepsTheWords_data()
{
    QTest::addColumn<bool>("book");        // the demo book instead of its second chapter
    // offline (A's changes failing once back, so that its feed comes first);
    // online with its feed failing; the same after a third machine wrote (or
    // with the feed that brought the words taken first, from the book bin's
    // window); online after its pass pulled, a third machine writing
    // meanwhile; from the chapter bin left open while a third machine
    // restores and writes; a machine that never saw what A did, through the
    // platform
    QTest::addColumn<QString>("deleter");
    QTest::addColumn<int>("firstOnline");  // the machine that syncs first
    QTest::addColumn<bool>("recycledAgain");
    QTest::addColumn<bool>("words");       // whether the words stay (restored and renamed only: none)
    QTest::newRow("restoring machine first") << false << "offline" << 0 << false << true;
    QTest::newRow("deleting machine first") << false << "offline" << 1 << false << true;
    QTest::newRow("deleting machine first, written then recycled again") << false << "offline" << 1 << true << true;
    QTest::newRow("deleting machine first, restored and renamed only") << false << "offline" << 1 << false << false;
    QTest::newRow("deleting machine first, restored and renamed only, the feed first")
        << false << "offline, changes failing" << 1 << false << false;
    QTest::newRow("deleted online before its feed") << false << "online" << 1 << false << true;
    QTest::newRow("deleted online before its feed, a third machine wrote") << false << "third" << 1 << false << true;
    QTest::newRow("deleted online after its pull, a third machine wrote meanwhile")
        << false << "after its pull" << 1 << false << true;
    QTest::newRow("deleted from a bin left open while a third machine restored and wrote")
        << false << "open bin" << 1 << false << true;
    // Written by a third machine while in B's bin, which took the words:
    // B's chapter bin keeps it once, the author told.
    QTest::newRow("written in the chapter bin here, deleted from it") << false << "written in the bin" << 1 << true << true;
    QTest::newRow("written in the chapter bin here, all deleted from it")
        << false << "written in the bin, all" << 1 << true << true;
    QTest::newRow("book, restoring machine first") << true << "offline" << 0 << false << true;
    QTest::newRow("book, restoring machine first, written then recycled again") << true << "offline" << 0 << true
                                                                                 << true;
    QTest::newRow("book, deleted online before its feed") << true << "online" << 1 << false << true;
    QTest::newRow("book, written by a third machine in the bin here, its feed taken first")
        << true << "third, pulled first" << 1 << false << true;
    QTest::newRow("book, deleted by a machine that never saw the restore") << true << "unseen" << 0 << false << false;
}

// A recycles a chapter (or the book); B deletes it for good without having
// seen that A (or a third machine) restored it and wrote in it: offline, or
// online while its feed fails. The words stay: on the platform and on both
// machines, in the recycle bin where A put the chapter back. A restore and a
// rename alone keep nothing: the chapter ends gone everywhere.
void FeedTwoMachinesTest::chapterDeletedForGoodWhileRestoredAndWrittenElsewhereKeepsTheWords()
{
    QFETCH(bool, book);
    QFETCH(QString, deleter);
    QFETCH(int, firstOnline);
    QFETCH(bool, recycledAgain);
    QFETCH(bool, words);
    std::unique_ptr<JobsFixture> machines[2];
    QVERIFY(startTwoMachines(machines));
    const int written = book ? 9001 : 9002;
    const int localBook = demoBook()->localId;
    // The chapter's (or the book's) recycle (0), restore (1) or delete for good (2).
    const auto change = [&](int what) {
        const T_Book* binned = CPublicManager::instance()->findRecycledBookByBookId(5001);
        TC_Books_Delete recycle(localBook, 1700000100);
        TC_Books_Restore restore;
        TC_Books_Delete_Hard purge;
        restore.header.localBookId = purge.header.localBookId = binned ? binned->localId : 0;
        restore.updateTime = purge.updateTime = 1700000100;
        CJobManager* jobs = CJobManager::instance();
        if (!book)
            return what == 2 ? deleteChapter(demoBook()->findChapterByChapterId(9002)->localId) : recycleChapter(9002, what);
        return what == 0 ? jobs->books_delete(recycle) : what == 1 ? jobs->books_restore(restore) : jobs->books_delete_hard(purge);
    };
    QVERIFY(machines[0]->restart());
    QVERIFY(settleClient());
    QVERIFY(change(0));
    QVERIFY(settleClient());
    QVERIFY(machines[1]->restart());
    QVERIFY(settleClient());
    QVERIFY(book ? demoBook() == nullptr : localStatus(9002) == 0);

    const QString text = QStringLiteral("甲恢复后写的段落");
    const QString renamed = QStringLiteral("甲恢复后改的名");
    const bool offline = deleter.startsWith(QLatin1String("offline"));
    if (offline) {
        QVERIFY(standin().addFault(QStringLiteral("*"), QStringLiteral("http500"), 0, -1));
        QVERIFY(machines[1]->restart());
        QVERIFY(settleClient());
        QVERIFY(change(2));
    }
    // B's chapter bin, showing the chapter, stays open while the others work.
    std::unique_ptr<Widget_RecycleBin> bin;
    if (deleter == QLatin1String("open bin")) {
        bin = std::make_unique<Widget_RecycleBin>();
        bin->loadBook(demoBook());
        bin->show();
        QVERIFY(bin->currentChapter() != nullptr && bin->currentChapter()->chapterId == 9002);
    }
    const bool inBin = deleter.startsWith(QLatin1String("written in the bin"));
    const bool pulled = deleter.endsWith(QLatin1String("pulled first")) || inBin;
    const QString inNewChapter = text + QStringLiteral("，在新的一章");
    // A third machine restores the chapter (unless it writes in the bin) and
    // writes in it.
    const QJsonObject write{{QStringLiteral("book_id"), 5001}, {QStringLiteral("chapter_id"), 9002},
                            {QStringLiteral("status"), 1}, {QStringLiteral("content"), text}};
    const auto thirdWrites = [&write, inBin]() {
        return (inBin || !platformCall(QStringLiteral("/chapter/recycle"), write).isEmpty())
               && !platformCall(QStringLiteral("/chapter/editChapter"), write).isEmpty();
    };
    const bool afterPull = deleter == QLatin1String("after its pull");
    if (deleter.startsWith(QLatin1String("third")) || bin || inBin) {
        QVERIFY(thirdWrites());
        // A new chapter with words of its own, into the book in the bin too.
        const int added = !pulled ? -1
                                  : platformCall(kAddChapter, {{QStringLiteral("book_id"), 5001},
                                                               {QStringLiteral("volume_id"), 7001},
                                                               {QStringLiteral("chapter_name"), QStringLiteral("丙的新章")},
                                                               {QStringLiteral("update_time"), 1700000200}})
                                        .value(QStringLiteral("chapter_id"))
                                        .toInt();
        QVERIFY(added != 0);
        QVERIFY(added < 0 || !platformCall(QStringLiteral("/chapter/editChapter"),
                                           {{QStringLiteral("book_id"), 5001}, {QStringLiteral("chapter_id"), added},
                                            {QStringLiteral("content"), inNewChapter}})
                                 .isEmpty());
    } else if (!afterPull) {
        QVERIFY(machines[0]->restart());
        QVERIFY(settleClient());
        QVERIFY(change(1));
        QVERIFY(words || book ? saveChapter(written, text) : renameChapter(9002, renamed));
        QVERIFY(!recycledAgain || change(0));
        QVERIFY(settleClient());
    }
    const QString pull = QStringLiteral("/synchronization/synBookData");
    if (deleter == QLatin1String("unseen")) {
        QVERIFY(!platformCall(QStringLiteral("/books/delBook"), {{QStringLiteral("book_id"), 5001}}).isEmpty());
    } else if (afterPull) {
        // B's pass holds a memo edit for its feed and pulls; B deletes for
        // good while the pull's answer is on its way, and the third machine
        // writes meanwhile: the feed that answer brings knows nothing of it.
        TC_Memo_Edit memo;
        memo.header.localMemoId = CPublicManager::instance()->findMemoByMemoId(13001)->localId;
        memo.content = QStringLiteral("乙的便签");
        memo.updateTime = 1700000100;
        QVERIFY(standin().addFault(QStringLiteral("/memo/editMemo"), QStringLiteral("http500"))
                && CJobManager::instance()->memoEditContent(memo) && settleClient());
        const int pulls = JobsFixture::requestsTo(pull).size();
        QVERIFY(standin().addFault(pull, QStringLiteral("ok"), -1));
        CJobManager::instance()->synNow(false);
        QTRY_COMPARE_WITH_TIMEOUT(JobsFixture::requestsTo(pull).size(), pulls + 1, 15000);
        QVERIFY(change(2) && thirdWrites() && standin().releaseHeld() && settleClient());
    } else if (bin) {
        // B syncs: the chapter is live again, with the words. The open bin
        // lists it no more, and a delete on its way from the bin, or any
        // other delete for good of it, finds nothing in the bin to delete.
        CJobManager::instance()->synNow(false);
        QVERIFY(settleClient());
        QTRY_COMPARE_WITH_TIMEOUT(localStatus(9002), 1, 15000);
        QCOMPARE(bin->findChild<QStackedWidget*>(QStringLiteral("stackedWidget"))->currentWidget()->objectName(),
                 QStringLiteral("page_2"));
        QVERIFY(!bin->menu()->actions().at(0)->isEnabled());
        bin->menu()->actions().at(0)->trigger();
        TC_Chapter_Delete stale;
        stale.header.localBookId = localBook;
        stale.header.localChapterId = demoBook()->findChapterByChapterId(9002)->localId;
        stale.updateTime = 1700000100;
        QVERIFY2(!CJobManager::instance()->chapter_delete(stale), "a chapter out of the bin was deleted for good");
        bin.reset();
        QVERIFY(settleClient());
    } else if (!offline) {
        // B starts while its feed fails, and deletes for good at once; or
        // with its feed, which brings the words into the book in its bin.
        QTRY_VERIFY_WITH_TIMEOUT(platformTexts().contains(text), 15000);
        QVERIFY(pulled || standin().addFault(pull, QStringLiteral("http500"), 0, -1));
        QVERIFY(machines[1]->restart());
        QVERIFY(settleClient());
        if (inBin) {
            // The chapter bin's Delete, or Delete All which shows no text:
            // the chapter is kept once, the author told why.
            QVERIFY2(localTexts().contains(text) && localStatus(9002) == 0, "the chapter in the bin did not take the words");
            QSignalSpy told(CUiManager::instance(), &CUiManager::sig_Message);
            Widget_RecycleBin chapters;
            chapters.loadBook(demoBook());
            chapters.show();
            QVERIFY(chapters.currentChapter() != nullptr && chapters.currentChapter()->chapterId == 9002);
            const QString name = chapters.currentChapter()->name;
            chapters.menu()->actions().at(deleter.endsWith(QLatin1String("all")) ? 3 : 0)->trigger();
            QCOMPARE(localStatus(9002), 0);
            QVERIFY(toldAll(told, {CBookJobManager::writtenInBinRefusal(name)}));
            QVERIFY(chapters.currentChapter() != nullptr && chapters.currentChapter()->chapterId == 9002);
        } else if (pulled) {
            QVERIFY2(localTexts().contains(text) && localTexts().contains(inNewChapter),
                     "the book in the bin did not take the words");
            // Deleted for good from the book bin, the question answered: the
            // delete is withdrawn, the author told, the book stays listed.
            Dialog_BookRecycle books;
            books.show();
            QVERIFY(QTest::qWaitForWindowExposed(&books));
            const QRect row = books.listView()->visualRect(books.model()->index(0, 0));
            emit books.listView()->customContextMenuRequested(row.center());
            whenShown<BkMessageBox>([](BkMessageBox* box) { box->textButtons().at(0)->click(); });
            books.menu()->actions().at(1)->trigger();
            books.menu()->close();
            QCOMPARE(books.model()->rowCount(), 1);
            QVERIFY(!CJobManager::instance()->lastError().isEmpty());
            // Restored elsewhere while the bin is open: it leaves the bin.
            QVERIFY(!platformCall(QStringLiteral("/books/recycle"), {{QStringLiteral("book_id"), 5001},
                                                                     {QStringLiteral("status"), 1},
                                                                     {QStringLiteral("update_time"), 1700000300}})
                         .isEmpty());
            CJobManager::instance()->synNow(false);
            QVERIFY(settleClient());
            QTRY_VERIFY_WITH_TIMEOUT(books.showsEmptyPage(), 15000);
        } else {
            QVERIFY(change(2));
        }
        QVERIFY(settleClient());
        QVERIFY2(platformTexts().contains(text), "the delete went before the feed that shows the words");
    }
    QVERIFY(standin().clearFaults());
    for (const char* path : {"/chapter/recycle", "/chapter/editChapter"})
        QVERIFY(!deleter.endsWith(QLatin1String("failing")) || standin().addFault(QLatin1String(path), QStringLiteral("http500")));

    for (int i : {firstOnline, 1 - firstOnline, firstOnline, 1 - firstOnline}) {
        QVERIFY(machines[i]->restart());
        QVERIFY(settleClient());
        QTRY_VERIFY_WITH_TIMEOUT(machines[i]->jobIds().isEmpty(), 15000);
    }
    int kept = 0;
    for (const QJsonValue& value : standin().store().value(QStringLiteral("chapters")).toArray()) {
        if (value.toObject().value(QStringLiteral("content")).toString() == text)
            kept = value.toObject().value(QStringLiteral("chapter_id")).toInt();
    }
    QVERIFY2((kept > 0) == words, qPrintable(platformTexts().join(QStringLiteral(" | "))));
    QVERIFY(words || (platformChaptersNamed(renamed).isEmpty() && platformTexts().size() == (book ? 0 : 1)));
    QCOMPARE(platformStatus(kept), !words ? -1 : recycledAgain && !book ? 0 : 1);
    for (auto& machine : machines) {
        QVERIFY(machine->restart());
        QVERIFY(settleClient());
        QCOMPARE(localTexts(), platformTexts());
        QCOMPARE(localStatus(kept), platformStatus(kept));
        // A book deleted for good leaves its volume rows behind.
        if (!book || words)
            QCOMPARE(storedOrder(5001), platformOrder(standin().store(), 5001));
        QVERIFY(!book || (demoBook() == nullptr) == (recycledAgain || !words));
        QVERIFY(!book || CPublicManager::instance()->findRecycledBookByBookId(5001) || !recycledAgain);
    }
}

// A's chapter create fails and waits, the next ones are made while it waits;
// a volume and an outline create fail before another; then B adds a volume
// offline and A one online, which lands first. After both synchronise twice, all
// three show one order, with A's creates in the order A made them (the
// platform numbers objects as their creates arrive).
void FeedTwoMachinesTest::createsReachThePlatformInTheAuthorsOrder()
{
    std::unique_ptr<JobsFixture> machines[2];
    QVERIFY(startTwoMachines(machines));
    QVERIFY(machines[0]->restart());
    QVERIFY(settleClient());
    QStringList names = localChapterNames();
    QVERIFY(standin().addFault(kAddChapter, QStringLiteral("http500"), 0, 1));
    for (int i = 0; i < 10; ++i) {
        names << QStringLiteral("新章%1").arg(i);
        QVERIFY(addChapter(names.last()) > 0);
        QVERIFY(i > 0 || settleClient());
    }
    QVERIFY(standin().addFault(QStringLiteral("/volume/addVolume"), QStringLiteral("http500"), 0, 1));
    QVERIFY(standin().addFault(QStringLiteral("/bookoutline/addOutline"), QStringLiteral("http500"), 0, 1));
    for (const QString& name : {QStringLiteral("先建的"), QStringLiteral("后建的")}) {
        QVERIFY(addVolume(name));
        T_Book* book = demoBook();
        TC_BookOutline_Create outline(book->bookId, book->localId, 0, 0, 1, book->outline.outlineList.size() + 1,
                                      1700000100, name, QString());
        QVERIFY(CBookJobManager::instance()->outline_create(outline));
        QVERIFY(settleClient());
    }
    for (int i : {1, 0}) {
        QVERIFY(machines[i]->restart());
        QVERIFY(settleClient());
        QVERIFY(i == 0 || standin().addFault(QStringLiteral("*"), QStringLiteral("drop"), 0, -1));
        QVERIFY(addVolume(QStringLiteral("各自建的卷%1").arg(i)));
        QVERIFY(settleClient());
        QVERIFY(standin().clearFaults());
    }
    // B pulls A's volume while its own fails once more.
    QVERIFY(standin().addFault(QStringLiteral("/volume/addVolume"), QStringLiteral("http500"), 0, 1));
    for (int i : {1, 0, 1, 0}) {
        QVERIFY(machines[i]->restart());
        QVERIFY(settleClient());
        CJobManager::instance()->synNow(false);
        QVERIFY(settleClient());
    }
    QCOMPARE(localChapterNames(), names);
    const QList<int> volumes = platformIds("volumes", "volume_name", QStringLiteral("先建的"), "id")
                               + platformIds("volumes", "volume_name", QStringLiteral("后建的"), "id");
    const QList<int> outlines = platformIds("outlines", "title", QStringLiteral("先建的"), "outline_id")
                                + platformIds("outlines", "title", QStringLiteral("后建的"), "outline_id");
    QVERIFY(volumes.size() == 2 && volumes.first() < volumes.last());
    QVERIFY(outlines.size() == 2 && outlines.first() < outlines.last());
    for (int i : {0, 1}) {
        QVERIFY(machines[i]->restart());
        QVERIFY(settleClient());
        QTRY_VERIFY_WITH_TIMEOUT(machines[i]->jobIds().isEmpty(), 15000);
        QCOMPARE(storedOrder(5001), platformOrder(standin().store(), 5001));
    }
}

void FeedTwoMachinesTest::workOfABookRecycledHereReachesThePlatformAndGoesOn_data()
{
    QTest::addColumn<QString>("what");
    // Made offline; made online, its reply lost and its look-up failing once
    // while a list (or, for a book or card, its information) naming it comes
    // first; or written in offline while a third machine deletes it for good
    // before the pass (the feed failing), or while the pass's pull is answered.
    QTest::addColumn<QString>("how");
    for (const char* what : {"chapter", "volume", "outline card", "book", "import batch", "cover"})
        QTest::newRow(what) << QString::fromLatin1(what) << "offline";
    for (const char* what : {"chapter", "volume", "outline card", "book"})
        QTest::newRow(qPrintable(QStringLiteral("%1, its reply lost, named by the feed first").arg(what)))
            << QString::fromLatin1(what) << "reply lost";
    for (const char* how : {"deleted elsewhere", "deleted elsewhere, the feed failing"}) {
        for (const char* what : {"chapter", "outline card"})
            QTest::newRow(qPrintable(QStringLiteral("%1 written, %2").arg(what, how))) << QString::fromLatin1(what) << how;
    }
    // A card's words wait for the pass's feed: the delete comes after it.
    QTest::newRow("outline card written, deleted after the pull") << "outline card" << "deleted after the pull";
}

// A makes a chapter, a volume, an outline card, a book, an imported book or
// a cover (or writes in the first chapter or the card), then recycles the
// book. What was made reaches the platform once, and what was written there
// too, as a chapter (card) of A's own when another machine deleted its own
// (A is told). Restored, the book is written on in it in the same session.
void FeedTwoMachinesTest::workOfABookRecycledHereReachesThePlatformAndGoesOn()
{
    QFETCH(QString, what);
    QFETCH(QString, how);
    JobsFixture fixture;
    QVERIFY(startOneMachine(fixture));
    const bool lost = how == QLatin1String("reply lost");
    const bool gone = how.startsWith(QLatin1String("deleted"));
    const QString name = QStringLiteral("回收前新建的");
    const QString card = gone ? QStringLiteral("主线") : name;
    // The create's path, and the list its look-up asks for.
    const QStringList paths = what == QLatin1String("chapter") ? QStringList{kAddChapter, QStringLiteral("/chapter/chapterList")}
                              : what == QLatin1String("volume") ? QStringList{QStringLiteral("/volume/addVolume"), QStringLiteral("/volume/volumeList")}
                              : what == QLatin1String("book")   ? QStringList{QStringLiteral("/books/addBook"), QStringLiteral("/books/booksList")}
                                                                : QStringList{QStringLiteral("/bookoutline/addOutline"), QStringLiteral("/bookoutline/outlineList")};
    QVERIFY(standin().addFault(lost ? paths.at(0) : QStringLiteral("*"),
                               lost ? QStringLiteral("truncated") : QStringLiteral("http500"), 0, lost ? 1 : -1));
    QTemporaryDir folder;
    QFile file(folder.path() + QStringLiteral("/%1.txt").arg(name));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(QStringLiteral("第1章 开头\n正文。\n").toUtf8()) > 0 && file.flush());
    QSignalSpy imported(CBookJobManager::instance(), &CBookJobManager::sig_ImportBookFinished);
    TC_Books_AddBook newBook(name, 1700000100, 1700000100, QString());
    TC_BookOutline_Create outline(5001, demoBook()->localId, 0, 0, 1, 2, 1700000100, name, QString());
    const QString chapterName = demoBook()->findChapterByChapterId(9001)->name;
    const QString written = QStringLiteral("甲断网时写下又连书收进回收站的话");
    int localBook = demoBook()->localId;
    int made = !gone ? 0 : what == QLatin1String("chapter") ? demoBook()->findChapterByChapterId(9001)->localId
                                                            : demoBook()->findOutlineByOutlineId(11001)->localId;
    if (gone) {
        QVERIFY(what == QLatin1String("chapter") ? writeChapter(localBook, made, written) : writeCard(demoBook(), made, written));
    } else if (what == QLatin1String("chapter")) {
        made = addChapter(name);
    } else if (what == QLatin1String("volume")) {
        QVERIFY(addVolume(name));
        made = demoBook()->volumeList.last()->localId;
    } else if (what == QLatin1String("outline card")) {
        QVERIFY(CBookJobManager::instance()->outline_create(outline));
        made = outline.localOutlineId;
    } else if (what == QLatin1String("cover")) {
        QImage picture(6, 6, QImage::Format_ARGB32);
        picture.fill(Qt::darkRed);
        const T_Book* book = demoBook();
        TC_Books_Edit edit(localBook, book->channelType, book->cateId, book->cateFid, book->bookName, book->intro,
                           folder.filePath(QStringLiteral("ours.png")), 1700000100);
        edit.wholeBook = true;
        QVERIFY(picture.save(edit.localCover, "PNG") && CJobManager::instance()->books_edit(edit));
        made = localBook;
    } else {
        QVERIFY(what == QLatin1String("book") ? CJobManager::instance()->books_add(newBook)
                                              : CJobManager::instance()->startImportBook(file.fileName()) && imported.wait(60000));
        for (const T_Book* book : CPublicManager::instance()->bookList)
            localBook = book->bookName == name ? book->localId : localBook;
        made = CPublicManager::instance()->findBookByLocalId(localBook)->chapterList.value(0)->localId;
    }
    QVERIFY(made > 0);
    QVERIFY(settleClient());
    QVERIFY(moveBook(localBook, true));
    QVERIFY(settleClient());
    QVERIFY(standin().clearFaults());
    const int bookId = what == QLatin1String("book") ? platformIds("books", "book_name", name, "book_id").value(0) : 5001;
    const QJsonObject elsewhere{{QStringLiteral("book_id"), bookId},
                                {QStringLiteral("outline_id"), platformIds("outlines", "title", card, "outline_id").value(0)},
                                {QStringLiteral("chapter_id"), 9001}, {QStringLiteral("status"), 0},
                                {QStringLiteral("book_name"), name}, {QStringLiteral("intro"), QStringLiteral("乙写的简介")},
                                {QStringLiteral("content"), QStringLiteral("乙写的")}};
    // The third machine's delete for good of the chapter or the card.
    const auto deleteIt = [&]() {
        const QStringList calls = what == QLatin1String("chapter")
                                      ? QStringList{QStringLiteral("/chapter/recycle"), QStringLiteral("/chapter/delChapter")}
                                      : QStringList{QStringLiteral("/bookoutline/delOutline")};
        return std::all_of(calls.begin(), calls.end(), [&](const QString& path) { return !platformCall(path, elsewhere).isEmpty(); });
    };
    const QString pull = QStringLiteral("/synchronization/synBookData");
    const bool afterPull = how == QLatin1String("deleted after the pull");
    QVERIFY(!gone || afterPull || deleteIt());
    QVERIFY(!how.endsWith(QLatin1String("failing")) || standin().addFault(pull, QStringLiteral("http500"), 0, -1));
    QVERIFY(!afterPull || standin().addFault(pull, QStringLiteral("ok"), -1));
    // Written in elsewhere (a book or a card), or listed (a chapter or a volume).
    QVERIFY(!lost || standin().addFault(paths.at(1), QStringLiteral("http500"), 0, 1));
    QVERIFY(!lost
            || (what == QLatin1String("book")           ? !platformCall(QStringLiteral("/books/editBook"), elsewhere).isEmpty()
                : what == QLatin1String("outline card") ? !platformCall(QStringLiteral("/bookoutline/editOutline"), elsewhere).isEmpty()
                                                         : standin().pushFeed(StandinServer::demoUid(),
                                                                              {feedItem(what == QLatin1String("chapter") ? 5 : 27, 5001, 0)})
                                                                   .size() == 1));
    QSignalSpy told(CUiManager::instance(), &CUiManager::sig_Message);
    for (int pass = 0; pass < 3; ++pass) {
        const int pulls = JobsFixture::requestsTo(pull).size();
        CJobManager::instance()->synNow(false);
        QTRY_VERIFY_WITH_TIMEOUT(pass > 0 || !afterPull || JobsFixture::requestsTo(pull).size() > pulls, 15000);
        QVERIFY(pass > 0 || !afterPull || (deleteIt() && standin().releaseHeld()));
        QVERIFY(settleClient());
        QVERIFY(standin().clearFaults());
    }
    QTRY_VERIFY_WITH_TIMEOUT(fixture.jobIds().isEmpty(), 15000);
    if (what == QLatin1String("cover")) {
        // The address the platform gave the picture is the book's here too.
        QCOMPARE(covers().at(0), covers().at(2));
        return;
    }
    if (gone) {
        QVERIFY2(demoBook() == nullptr && (what == QLatin1String("chapter") ? platformTexts().contains(written)
                                                                             : platformMemosAndOutlines().contains(card + QLatin1Char(':') + written)),
                 qPrintable(platformTexts().join(QLatin1Char('|'))));
        QCOMPARE(localTexts(), platformTexts());
        QCOMPARE(localMemosAndOutlines(), platformMemosAndOutlines());
        const QString notice =
            what == QLatin1String("chapter")
                ? CBookJobManager::tr("\"%1\" of \"%2\", which is in the book recycle bin, was deleted for good on "
                                      "another device. What you wrote in it here is kept there and goes back to the "
                                      "platform as a new chapter.")
                      .arg(chapterName, QStringLiteral("示例作品"))
                : CBookJobManager::tr("An outline of \"%1\", which is in the book recycle bin, was deleted on another "
                                      "device. What you wrote in it here is kept there and goes back to the platform "
                                      "as a new outline.")
                      .arg(QStringLiteral("示例作品"));
        QVERIFY2(toldAll(told, {notice}), qPrintable(notice));
    }

    QVERIFY(moveBook(localBook, false));
    const QString words = QStringLiteral("还原以后写进新建处的话");
    TC_Volume_Edit rename;
    rename.header.localBookId = localBook;
    rename.header.localVolumeId = made;
    rename.volumeName = words;
    rename.updateTime = 1700000200;
    QVERIFY(what == QLatin1String("volume")         ? CJobManager::instance()->volume_edit(rename)
            : what == QLatin1String("outline card") ? writeCard(demoBook(), made, words)
                                                     : writeChapter(localBook, made, words));
    for (int pass = 0; pass < 2; ++pass) {
        CJobManager::instance()->synNow(false);
        QVERIFY(settleClient());
    }
    QTRY_VERIFY_WITH_TIMEOUT(fixture.jobIds().isEmpty(), 15000);
    const bool inChapter = what != QLatin1String("volume") && what != QLatin1String("outline card");
    QVERIFY(what != QLatin1String("volume") || (platformIds("volumes", "volume_name", words, "id").size() == 1
                                                && platformIds("volumes", "volume_name", name, "id").isEmpty()));
    QVERIFY(what != QLatin1String("outline card") || (platformMemosAndOutlines().contains(card + QLatin1Char(':') + words)
                                                      && platformIds("outlines", "title", card, "outline_id").size() == 1));
    int inStore = 0;
    for (const QJsonValue& value : standin().store().value(QStringLiteral("chapters")).toArray())
        inStore += value[QStringLiteral("content")].toString() == words ? 1 : 0;
    QCOMPARE(inStore, inChapter ? 1 : 0);
    QCOMPARE(platformIds("books", "book_name", name, "book_id").size(),
             what == QLatin1String("book") || what == QLatin1String("import batch") ? 1 : 0);
    QCOMPARE(platformChaptersNamed(name).size(), what == QLatin1String("chapter") && !gone ? 1 : 0);
    QVERIFY(fixture.restart());
    QVERIFY(settleClient());
    QCOMPARE(storedOrder(5001), platformOrder(standin().store(), 5001));
}

void FeedTwoMachinesTest::lostReplyOfAVolumeMemoBookOrBatchMakesNoSecond_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("kind");    // the platform's list, its member holding the name, its id
    QTest::addColumn<QString>("table");   // the local table and its server id column
    QTest::addColumn<QString>("faults");  // what the create's requests meet, in turn
    QTest::addColumn<QString>("other");   // what another machine does before the next pass
    QTest::addColumn<int>("made");        // objects of the name on the platform in the end
    const QString volumes = QStringLiteral("volumes volume_name id");
    const QString books = QStringLiteral("books book_name book_id");
    const QString chapters = QStringLiteral("chapters chapter_name chapter_id");
    QTest::newRow("volume") << "/volume/addVolume" << volumes << "tb_volume volumeId" << "truncated" << "" << 1;
    QTest::newRow("memo") << "/memo/addMemo" << "memos content id" << "tb_memo memoId" << "truncated" << "" << 1;
    QTest::newRow("book") << "/books/addBook" << books << "tb_book bookId" << "truncated" << "" << 1;
    // Twenty-five chapters: a batch of twenty whose reply is lost, then five.
    QTest::newRow("import batch") << "/chapter/batchCreateChapter" << books << "tb_book bookId" << "truncated" << ""
                                  << 1;
    QTest::newRow("import batch, its first chapter renamed elsewhere")
        << "/chapter/batchCreateChapter" << books << "tb_book bookId" << "truncated" << "renames" << 1;
    QTest::newRow("import batch, no local ids listed")
        << "/chapter/batchCreateChapter" << books << "tb_book bookId" << "truncated" << "hides local ids" << 1;
    QTest::newRow("outline") << "/bookoutline/addOutline" << "outlines title outline_id" << "tb_outline outlineId"
                             << "truncated" << "" << 1;
    QTest::newRow("memo recoloured elsewhere") << "/memo/addMemo" << "memos content id" << "tb_memo memoId"
                                               << "truncated" << "recolours" << 1;
    QTest::newRow("memo retyped and recoloured elsewhere") << "/memo/addMemo" << "memos content id" << "tb_memo memoId"
                                                           << "truncated" << "retypes and recolours" << 1;
    // Its delete waits for the feed, its row gone: a memo of the create's
    // colour and time that this machine knew is not what the create made.
    QTest::newRow("memo refused while one of its colour and time is deleted here")
        << "/memo/addMemo" << "memos content id" << "tb_memo memoId" << "http500" << "deletes its like here" << 1;
    QTest::newRow("chapter sent again and lost again")
        << kAddChapter << chapters << "tb_chapter chapterId" << "http500 truncated" << "" << 1;
    QTest::newRow("chapter lost again while one is added elsewhere")
        << kAddChapter << chapters << "tb_chapter chapterId" << "http500 truncated" << "adds" << 2;
    // A chapter put in it waits for its id, never sent, while the platform
    // lists a chapter carrying that chapter's local id.
    QTest::newRow("volume refused twice, a chapter's local id listed meanwhile")
        << "/volume/addVolume" << volumes << "tb_volume volumeId" << "http500 http500" << "lists its local id" << 1;
    QTest::newRow("volume of the name added elsewhere after a refusal")
        << "/volume/addVolume" << volumes << "tb_volume volumeId" << "http500 http500" << "adds after a pass" << 2;
    QTest::newRow("volume of the name added elsewhere before")
        << "/volume/addVolume" << volumes << "tb_volume volumeId" << "http500" << "adds first" << 2;
    QTest::newRow("volume of the name added elsewhere after a lost reply")
        << "/volume/addVolume" << volumes << "tb_volume volumeId" << "truncated" << "adds" << 2;
    QTest::newRow("volume a chapter is moved into elsewhere")
        << "/volume/addVolume" << volumes << "tb_volume volumeId" << "truncated" << "moves a chapter into it" << 1;
    QTest::newRow("volume renamed elsewhere") << "/volume/addVolume" << volumes << "tb_volume volumeId"
                                              << "truncated" << "renames" << 1;
    QTest::newRow("book edited elsewhere") << "/books/addBook" << books << "tb_book bookId" << "truncated" << "edits"
                                           << 1;
    QTest::newRow("book renamed elsewhere") << "/books/addBook" << books << "tb_book bookId" << "truncated"
                                            << "renames" << 1;
    // Refused, so never made, and deleted for good here before it went
    // again: neither its add nor its delete goes, and nothing of it is left.
    QTest::newRow("book refused, then deleted for good here")
        << "/books/addBook" << books << "tb_book bookId" << "http500" << "deletes it for good here" << 0;
    // Its look-up fails and the feed's list, without local ids, brings the
    // chapter as another's: the look-up never makes it a second row's too.
    QTest::newRow("chapter brought by the feed before its look-up")
        << kAddChapter << chapters << "tb_chapter chapterId" << "truncated" << "lists it first" << 2;
    // Its look-up fails and a drag elsewhere has the feed fetch the book's
    // cards first, this one among them with this machine's local id: it is
    // left to the look-up, not stored as another machine's.
    QTest::newRow("outline listed by the feed before its look-up")
        << "/bookoutline/addOutline" << "outlines title outline_id" << "tb_outline outlineId" << "truncated"
        << "dragged elsewhere first" << 1;
    // Renamed elsewhere after the first list; one of the name then shows up
    // whose feed item comes later: it is not taken for this machine's.
    QTest::newRow("volume renamed after the first list, one of its name unannounced")
        << "/volume/addVolume" << volumes << "tb_volume volumeId" << "truncated" << "renames after a list" << 2;
}

// The platform made the object but the reply was cut off (or refused it):
// later passes find it in the platform's list and take its id instead of
// making another, and never take another machine's object of the same name
// for it. In the end the machine holds every object of the kind the platform
// holds, each in one row.
void FeedTwoMachinesTest::lostReplyOfAVolumeMemoBookOrBatchMakesNoSecond()
{
    QFETCH(QString, path);
    QFETCH(QString, kind);
    QFETCH(QString, table);
    QFETCH(QString, faults);
    QFETCH(QString, other);
    QFETCH(int, made);
    JobsFixture fixture;
    QVERIFY(startOneMachine(fixture));
    const QStringList list = kind.split(QLatin1Char(' '));
    const QStringList rows = table.split(QLatin1Char(' '));
    const QString name = QStringLiteral("回信丢了");
    const QString otherMachine = QStringLiteral("machine1000000000000000000000000");
    QTemporaryDir folder;
    QFile file(folder.path() + QStringLiteral("/%1.txt").arg(name));
    QString text;
    for (int i = 1; i <= 25; ++i)
        text += QStringLiteral("第%1章 章名%1\n正文%1。\n").arg(i);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) > 0 && file.flush());
    // The other machine's object of the name, or its change of this one's.
    const auto elsewhere = [&]() {
        if (other == QLatin1String("lists its local id")) {
            int localId = 0;
            for (const T_Chapter* chapter : demoBook()->chapterList)
                localId = chapter->name == QStringLiteral("卷里的章") ? chapter->localId : localId;
            const QJsonObject in{{QStringLiteral("book_id"), 5001}, {QStringLiteral("volume_id"), 7001},
                                 {QStringLiteral("update_time"), 1700000300}};
            QJsonObject same = in;
            same.insert(QStringLiteral("chapter_name"), QStringLiteral("同号的章"));
            same.insert(QStringLiteral("local_id"), localId);
            QJsonObject another = in;
            another.insert(QStringLiteral("chapter_name"), QStringLiteral("另一机的章"));
            return localId > 0
                   && !standin().callAs(CPublicManager::instance()->userInfo.uniqueCode, kAddChapter, same).isEmpty()
                   && !standin().callAs(otherMachine, kAddChapter, another).isEmpty();
        }
        const QList<int> ids = platformIds(qPrintable(list.at(0)), qPrintable(list.at(1)), name, qPrintable(list.at(2)));
        const int id = ids.value(0);
        QJsonObject body{{QStringLiteral("update_time"), 1700000300}};
        QString call = path;
        if (other.startsWith(QLatin1String("adds"))) {
            body.insert(QStringLiteral("book_id"), 5001);
            body.insert(QStringLiteral("volume_id"), 7001);
            body.insert(list.at(1), name);
        } else if (path.startsWith(QLatin1String("/memo"))) {
            call = QStringLiteral("/memo/editMemo");
            body.insert(QStringLiteral("memo_id"), id);
            body.insert(QStringLiteral("color"), QStringLiteral("#C8E6FF"));
            if (other.startsWith(QLatin1String("retypes")))
                body.insert(QStringLiteral("content"), QStringLiteral("乙改的便签"));
        } else if (other.startsWith(QLatin1String("moves"))) {
            call = QStringLiteral("/chapter/move");
            body.insert(QStringLiteral("book_id"), 5001);
            const QJsonObject move{{QStringLiteral("from_chapter_id"), 9001}, {QStringLiteral("to_chapter_id"), 0},
                                   {QStringLiteral("to_volume_id"), id}, {QStringLiteral("direction"), 1}};
            body.insert(QStringLiteral("move_order"),
                        QString::fromUtf8(QJsonDocument(QJsonArray{move}).toJson(QJsonDocument::Compact)));
        } else if (path.startsWith(QLatin1String("/chapter"))) {
            call = QStringLiteral("/chapter/editChapter");
            body.insert(QStringLiteral("chapter_id"), platformChaptersNamed(QStringLiteral("第1章 章名1"))
                                                          .at(0).toObject().value(QStringLiteral("chapter_id")));
            body.insert(QStringLiteral("chapter_name"), QStringLiteral("乙改的章名"));
        } else {
            call = path == QLatin1String("/books/addBook") ? QStringLiteral("/books/editBook")
                                                           : QStringLiteral("/volume/editVolume");
            body.insert(QStringLiteral("id"), id);
            body.insert(QStringLiteral("book_id"), id);
            body.insert(list.at(1), other == QLatin1String("renames") ? QStringLiteral("乙改的名") : name);
            body.insert(QStringLiteral("intro"), QStringLiteral("乙写的简介"));
        }
        return !standin().callAs(otherMachine, call, body).isEmpty();
    };
    const bool itsLike = other == QLatin1String("deletes its like here");
    if (itsLike)
        QVERIFY(!standin().callAs(otherMachine, QStringLiteral("/memo/editMemo"),
                                  {{QStringLiteral("memo_id"), 13001}, {QStringLiteral("color"), QStringLiteral("#FFF3B0")},
                                   {QStringLiteral("update_time"), 1700000100}})
                     .isEmpty());
    if (other == QLatin1String("adds first") || itsLike) {
        QVERIFY(itsLike || elsewhere());
        CJobManager::instance()->synNow(false);
        QVERIFY(settleClient());
    }
    for (const QString& fault : faults.split(QLatin1Char(' ')))
        QVERIFY(standin().addFault(path, fault, 0, 1));
    TC_Memo_Add memo;
    memo.content = name;
    memo.updateTime = 1700000100;
    memo.color = itsLike ? QStringLiteral("#FFF3B0") : QString();
    TC_Books_AddBook book(name, 1700000100, 1700000100, QString());
    TC_BookOutline_Create outline(5001, demoBook()->localId, 0, 0, 1, 2, 1700000100, name, QString());
    QSignalSpy imported(CBookJobManager::instance(), &CBookJobManager::sig_ImportBookFinished);
    if (path.startsWith(QLatin1String("/volume")))
        QVERIFY(addVolume(name));
    else if (path.startsWith(QLatin1String("/memo")))
        QVERIFY(CJobManager::instance()->memoAdd(memo));
    else if (path.startsWith(QLatin1String("/books")))
        QVERIFY(CJobManager::instance()->books_add(book));
    else if (path.startsWith(QLatin1String("/bookoutline")))
        QVERIFY(CBookJobManager::instance()->outline_create(outline));
    else if (path == kAddChapter)
        QVERIFY(addChapter(name) > 0);
    else
        QVERIFY(CJobManager::instance()->startImportBook(file.fileName()) && imported.wait(60000));
    if (other == QLatin1String("lists its local id")) {
        const T_Volume* volume = demoBook()->volumeList.last();
        TC_Chapter_Add add(volume->localBookId, 5001, volume->localId, 0, 1700000100, 1, QStringLiteral("卷里的章"));
        QVERIFY(CJobManager::instance()->chapter_add(add));
    }
    QVERIFY(settleClient());
    // The first pass: the look-up's list (or the feed after it) fails.
    int unannounced = 0;
    const QJsonObject renamed{{QStringLiteral("book_id"), 5001}, {QStringLiteral("volume_name"), QStringLiteral("乙改的名")},
                              {QStringLiteral("id"), platformIds("volumes", "volume_name", name, "id").value(0)}};
    const auto listed = [] { return standin().pushFeed(StandinServer::demoUid(), {feedItem(5, 5001, 0)}).size() == 1; };
    if (other == QLatin1String("lists it first"))
        QVERIFY(standin().addFault(QStringLiteral("/chapter/chapterList"), QStringLiteral("http500"), 0, 1) && listed());
    const bool dragged = other == QLatin1String("dragged elsewhere first");
    QVERIFY(!dragged || (standin().addFault(QStringLiteral("/bookoutline/outlineList"), QStringLiteral("http500"), 0, 1)
                         && standin().pushFeed(StandinServer::demoUid(), {feedItem(24, 5001, 0)}).size() == 1));
    if (other == QLatin1String("renames after a list"))
        QVERIFY(standin().addFault(QStringLiteral("/synchronization/synBookData"), QStringLiteral("http500"), 0, 1));
    int goneBook = 0;
    if (other == QLatin1String("hides local ids") || other == QLatin1String("lists it first")) {
        QVERIFY(standin().setLocalIdsListed(false));
    } else if (other == QLatin1String("deletes it for good here")) {
        for (const T_Book* shelved : CPublicManager::instance()->bookList)
            goneBook = shelved->bookName == name ? shelved->localId : goneBook;
        QVERIFY(goneBook > 0 && moveBook(goneBook, true));
        TC_Books_Delete_Hard purge;
        purge.header.localBookId = goneBook;
        purge.updateTime = 1700000100;
        QVERIFY(CJobManager::instance()->books_delete_hard(purge) && standin().clearJournal());
    } else if (itsLike) {
        TC_Memo_Del gone;
        gone.header.localMemoId = localCount(QStringLiteral("select localId from tb_memo where memoId = 13001"));
        gone.updateTime = 1700000100;
        QVERIFY(gone.header.localMemoId > 0 && CJobManager::instance()->memoDel(gone));
    } else if (!other.isEmpty() && !dragged && !other.startsWith(QLatin1String("adds ")) && !other.endsWith(QLatin1String("list"))) {
        QVERIFY(elsewhere());
    }
    // Passes of the same session, then of a new one.
    for (int pass = 0; pass < 3; ++pass) {
        // Then the list shows local ids again, and later places the chapters.
        QVERIFY(pass == 0 || other != QLatin1String("lists it first")
                || (pass == 1 ? standin().setLocalIdsListed(true) : listed()));
        if (pass == 1 && other == QLatin1String("renames after a list")) {
            QVERIFY(!standin().callAs(otherMachine, QStringLiteral("/volume/editVolume"), renamed).isEmpty());
            // Made under this machine's code as far as the platform tells: no feed item comes.
            QSqlQuery code = CTessaneDb::instance()->newQuery();
            QVERIFY(code.exec(QStringLiteral("select uniqueCode from tb_user")) && code.next());
            unannounced = standin().callAs(code.value(0).toString(), QStringLiteral("/volume/addVolume"),
                                           {{QStringLiteral("book_id"), 5001}, {QStringLiteral("volume_name"), name}})
                              .value(QStringLiteral("volume_id")).toInt();
            QVERIFY(unannounced > 0);
        }
        if (pass == 2 && unannounced > 0)
            QVERIFY(standin().pushFeed(StandinServer::demoUid(),
                                       {feedItem(25, 5001, unannounced, QStringLiteral("{\"volume_name\":\"%1\"}").arg(name))})
                        .size() == 1);
        QVERIFY(pass != 1 || other != QLatin1String("adds after a pass") || elsewhere());
        QVERIFY(pass < 2 || fixture.restart());
        CJobManager::instance()->synNow(false);
        QVERIFY(settleClient());
    }
    QTRY_VERIFY_WITH_TIMEOUT(fixture.jobIds().isEmpty(), 15000);

    const QList<int> named = platformIds(qPrintable(list.at(0)), qPrintable(list.at(1)), name, qPrintable(list.at(2)));
    QCOMPARE(named.size(), made);
    const QJsonArray all = standin().store().value(list.at(0)).toArray();
    for (const QJsonValue& value : all) {
        const int id = value.toObject().value(list.at(2)).toInt();
        QCOMPARE(localCount(QStringLiteral("select count(*) from %1 where %2 = %3").arg(rows.at(0), rows.at(1)).arg(id)), 1);
    }
    QCOMPARE(localCount(QStringLiteral("select count(*) from %1 where %2 > 0").arg(rows.at(0), rows.at(1))), all.size());
    QCOMPARE(storedOrder(5001), platformOrder(standin().store(), 5001));
    if (path.startsWith(QLatin1String("/chapter/batch"))) {
        int chapters = 0;
        for (const QJsonValue& value : standin().store().value(QStringLiteral("chapters")).toArray())
            chapters += value.toObject().value(QStringLiteral("book_id")).toInt() == named.first() ? 1 : 0;
        QCOMPARE(chapters, 25);
    }
    if (faults == QLatin1String("truncated") && other.isEmpty())
        QCOMPARE(JobsFixture::requestsTo(path).size(), path.startsWith(QLatin1String("/chapter")) ? 2 : 1);
    if (goneBook > 0) {
        QCOMPARE(JobsFixture::requestsTo(path).size() + JobsFixture::requestsTo(QStringLiteral("/books/delBook")).size(), 0);
        for (const char* rowsOfIt : {"tb_book where localId", "tb_volume where localBookId", "tb_job where localBookId"})
            QCOMPARE(localCount(QStringLiteral("select count(*) from %1 = %2").arg(QLatin1String(rowsOfIt)).arg(goneBook)), 0);
        QTRY_COMPARE(localCount(QStringLiteral("select count(*) from tb_chapter where localBookId = %1").arg(goneBook)), 0);
    }
}

void FeedTwoMachinesTest::changeOfOneObjectOnBothMachinesEndsAsTheLaterOne_data()
{
    QTest::addColumn<QString>("change");  // this machine's, and the path its request takes
    // The other machine's requests, a path and a body a line (%v: the second volume, %o: outline entry).
    QTest::addColumn<QString>("there");
    // Else the platform takes this machine's change and cuts the reply off.
    // Offline, the change's third word is how the platform fails (http500
    // unless given), a fourth a path that fails once more when it is back.
    QTest::addColumn<bool>("offline");
    const QString volumeName = R"(/volume/editVolume {"book_id":5001,"id":%v,"volume_name":"乙改的卷名"})";
    const QString chapter2 = R"(/chapter/recycle {"book_id":5001,"chapter_id":9002,"status":%1})";
    const QString moves = R"(/%1/move {"book_id":5001,"move_order":"[{\"from_%2_id\":%3,\"to_%2_id\":%4%5}]"})";
    QTest::newRow("chapter rename, reply lost")
        << "chapter rename /chapter/editChapter"
        << R"(/chapter/editChapter {"book_id":5001,"chapter_id":9001,"chapter_name":"乙改的章名","content":"乙写的字"})"
        << false;
    // The request never arrived: the look-up finds the name it replaced.
    QTest::newRow("chapter rename, request lost") << "chapter rename /chapter/editChapter drop" << volumeName << false;
    QTest::newRow("chapter recycle, reply lost") << "chapter recycle /chapter/recycle" << chapter2.arg(1) << false;
    QTest::newRow("chapter restore, reply lost") << "chapter restore /chapter/recycle" << chapter2.arg(0) << false;
    QTest::newRow("chapter move, reply lost")
        << "chapter move /chapter/move"
        << moves.arg("chapter", "chapter", "9001", "9002", R"(,\"to_volume_id\":7001,\"direction\":0)") << false;
    // Dragged again offline before the look-up: another chapter into the
    // second volume (the list the look-up takes leaves it where the drag put
    // it), or the same one back (the look-up comes before the drag back goes).
    QTest::newRow("chapter move, reply lost, another dragged offline")
        << "chapter move /chapter/move truncated again" << volumeName << false;
    QTest::newRow("chapter move, reply lost, dragged back offline")
        << "chapter move /chapter/move truncated back" << volumeName << false;
    // The other machine recycles the book as well: nothing waits for good.
    QTest::newRow("chapter move, reply lost, the book recycled offline")
        << "chapter move /chapter/move truncated recycled" << R"(/books/recycle {"book_id":5001,"status":0})" << false;
    // Made offline, then the book recycled here (and there): it goes all the same.
    for (const char* change : {"chapter move", "volume drag", "chapter snapshot"})
        QTest::newRow(qPrintable(QStringLiteral("%1, offline, the book recycled after").arg(change)))
            << QStringLiteral("%1 http500 recycled").arg(change) << R"(/books/recycle {"book_id":5001,"status":0})" << true;
    QTest::newRow("volume rename, reply lost") << "volume rename /volume/editVolume" << volumeName << false;
    QTest::newRow("volume delete, reply lost")
        << "volume delete /volume/recycle" << R"(/volume/recycle {"book_id":5001,"id":%v,"type":1})" << false;
    QTest::newRow("volume drag, reply lost")
        << "volume drag /volume/move" << moves.arg("volume", "volume", "%v", "7001", "") << false;
    QTest::newRow("outline drag, reply lost")
        << "outline drag /bookoutline/move" << moves.arg("bookoutline", "outline", "11001", "%o", "") << false;
    // Answered: the platform numbers the outlines anew; one added elsewhere
    // after lands last here too.
    QTest::newRow("outline drag, one added elsewhere after")
        << "outline drag /bookoutline/move ok" << R"(/bookoutline/addOutline {"book_id":5001,"type":1,"title":"乙加的"})"
        << false;
    QTest::newRow("outline drag, reply lost, dragged back offline")
        << "outline drag /bookoutline/move truncated back" << volumeName << false;
    const QString bookEdit = R"(/books/editBook {"book_id":5001,"book_name":"%1","intro":"%2","channel_type":2,"cate_id":%3})";
    const QString intro = QStringLiteral("一部用来试用写作客户端的示例小说。");
    QTest::newRow("book rename, reply lost")
        << "book rename /books/editBook" << bookEdit.arg("乙改的书名", intro, "2001") << false;
    QTest::newRow("book rename, reply lost, introduction edited elsewhere")
        << "book rename /books/editBook" << bookEdit.arg("甲改的书名", "乙写的简介", "2001") << false;
    // Then the introduction offline here, while the other machine changes it
    // and the category: this one's introduction and the other's category stand.
    QTest::newRow("book rename, reply lost, introduction here and elsewhere")
        << "book rename /books/editBook truncated intro" << bookEdit.arg("甲改的书名", "乙写的简介", "2002") << false;
    QTest::newRow("book rename, request lost, introduction here and elsewhere")
        << "book rename /books/editBook drop intro" << bookEdit.arg("示例作品", "乙写的简介", "2002") << false;
    QTest::newRow("book recycle, reply lost")
        << "book recycle /books/recycle" << R"(/books/recycle {"book_id":5001,"status":1})" << false;
    // The book is in the bin here when its information comes: it stays there.
    QTest::newRow("book recycle, reply lost, renamed elsewhere")
        << "book recycle /books/recycle" << bookEdit.arg("乙改的书名", intro, "2001") << false;
    QTest::newRow("book rename, reply lost, the book recycled offline")
        << "book rename /books/editBook truncated recycled" << R"(/books/recycle {"book_id":5001,"status":0})" << false;
    QTest::newRow("book restore, reply lost")
        << "book restore /books/recycle" << R"(/books/recycle {"book_id":5001,"status":0})" << false;
    QTest::newRow("volume rename, offline") << "volume rename" << volumeName << true;
    // Refused by the platform's verdict rather than an HTTP status: the
    // change was not taken either, and goes as made.
    QTest::newRow("volume rename, refused with an error code") << "volume rename code500" << volumeName << true;
    QTest::newRow("volume delete, offline")
        << "volume delete" << R"(/volume/recycle {"book_id":5001,"id":%v,"type":0}
/volume/recycle {"book_id":5001,"id":%v,"type":1})" << true;
    // Its delete fails once more when the platform is back: the feed lists
    // the volume live while the delete still waits.
    QTest::newRow("volume delete, offline, the feed first")
        << "volume delete http500 /volume/recycle" << R"(/volume/recycle {"book_id":5001,"id":%v,"type":0}
/volume/recycle {"book_id":5001,"id":%v,"type":1})" << true;
}

// One object changed on this machine and on another one. A change whose reply
// was lost is not sent again over the other machine's later one; a change
// made offline and sent after the other's stands, the feed bringing the
// other's older one notwithstanding. Both sides end on the later change.
void FeedTwoMachinesTest::changeOfOneObjectOnBothMachinesEndsAsTheLaterOne()
{
    QFETCH(QString, change);
    QFETCH(QString, there);
    QFETCH(bool, offline);
    JobsFixture fixture;
    const auto add = [](const char* path, const char* key, const char* name, const char* id) {
        return platformCall(QLatin1String(path), {{QStringLiteral("book_id"), 5001}, {QStringLiteral("type"), 1},
                                                   {QLatin1String(key), QString::fromUtf8(name)}})
            .value(QLatin1String(id)).toInt();
    };
    const int v2 = add("/volume/addVolume", "volume_name", "第二卷", "volume_id");
    // Two outlines deleted between leave a gap in the outlines' numbers.
    const int gone[] = {add("/bookoutline/addOutline", "title", "删掉的一", "outline_id"),
                        add("/bookoutline/addOutline", "title", "删掉的二", "outline_id")};
    const int o2 = add("/bookoutline/addOutline", "title", "支线", "outline_id");
    for (const int outline : gone)
        QVERIFY(!platformCall(QStringLiteral("/bookoutline/delOutline"),
                              {{QStringLiteral("book_id"), 5001}, {QStringLiteral("outline_id"), outline}})
                     .isEmpty());
    QVERIFY(v2 > 0 && o2 > 0);
    const QStringList made = change.split(QLatin1Char(' '));
    const QString what = made.mid(0, 2).join(QLatin1Char(' '));
    // A restore starts from the recycle bin.
    const QStringList recycled{QStringLiteral("/chapter/recycle"), QStringLiteral("/books/recycle")};
    QVERIFY(!made.at(1).startsWith(QLatin1String("restore"))
            || !platformCall(recycled.at(made.at(0) == QLatin1String("book")), {{QStringLiteral("book_id"), 5001},
                                                                              {QStringLiteral("chapter_id"), 9002},
                                                                              {QStringLiteral("status"), 0}}).isEmpty());
    QVERIFY(startOneMachine(fixture));
    CPublicManager* model = CPublicManager::instance();
    T_Book* book = what == QLatin1String("book restore") ? model->findRecycledBookByBookId(5001) : demoBook();
    CBookVolumeController* tree = CBookVolumeController::instance();
    tree->loadBook(book);
    // A dropped connection is retried once by the transport.
    const QString cut = made.value(offline ? 2 : 3, offline ? QStringLiteral("http500") : QStringLiteral("truncated"));
    QVERIFY(standin().addFault(offline ? QStringLiteral("*") : made.at(2), cut, 0, offline || cut == "drop" ? -1 : 1));
    // This machine's change, as its author makes it.
    const T_Chapter* chapter = book->findChapterByChapterId(change.startsWith(QLatin1String("chapter rename")) ? 9001 : 9002);
    const T_Volume* volume = book->findVolumeByVolumeId(v2);
    const int local7001 = book->findVolumeByVolumeId(7001)->localId;
    TC_Volume_Delete remove(*volume, 0, 1700000100);
    TC_BookOutline_Move move;
    move.localBookId = book->localId;
    move.fromLocalId = book->findOutlineByOutlineId(11001)->localId;
    move.toLocalId = book->findOutlineByOutlineId(o2)->localId;
    const QList<T_Outline*>& outlines = book->outline.outlineList;
    const auto edit = [book](const QString& intro) {
        TC_Books_Edit edit(book->localId, book->channelType, book->cateId, book->cateFid, QStringLiteral("甲改的书名"),
                           intro, QString(), 1700000100);
        edit.wholeBook = true;
        return CJobManager::instance()->books_edit(edit);
    };
    TC_Books_Delete recycle(book->localId, 1700000100);
    TC_Books_Restore restore;
    restore.header.localBookId = book->localId;
    TC_Chapter_ContentBlade snapshot;
    snapshot.header.localBookId = book->localId;
    snapshot.header.localChapterId = chapter->localId;
    snapshot.content = QStringLiteral("存下的一版");
    snapshot.createTime = 1700000100;
    if (what == QLatin1String("book rename")) {
        QVERIFY(edit(book->intro));
        QVERIFY(!made.contains(QLatin1String("intro"))
                || (settleClient() && standin().addFault(QStringLiteral("*"), QStringLiteral("http500"), 0, -1)
                    && edit(QStringLiteral("甲写的简介"))));
    } else if (what == QLatin1String("book recycle"))
        QVERIFY(CJobManager::instance()->books_delete(recycle));
    else if (what == QLatin1String("book restore"))
        QVERIFY(CJobManager::instance()->books_restore(restore));
    else if (what == QLatin1String("chapter rename"))
        tree->changeChapterName(local7001, chapter->localId, 0, QStringLiteral("甲改的章名"));
    else if (what == QLatin1String("chapter recycle"))
        QVERIFY(recycleChapter(9002, 0));
    else if (what == QLatin1String("chapter restore"))
        QVERIFY(tree->restoreChapter(book, book->findChapterByChapterId(9002)));
    else if (what == QLatin1String("chapter move"))
        tree->moveChapter(0, local7001, 1, local7001, true);
    else if (what == QLatin1String("volume rename"))
        tree->changeVolumeName(1, QStringLiteral("甲改的卷名"));
    else if (what == QLatin1String("volume delete"))
        QVERIFY(CJobManager::instance()->volume_del_restore(remove));
    else if (what == QLatin1String("volume drag"))
        tree->moveVolume(1, 0, 1);
    else if (what == QLatin1String("chapter snapshot"))
        QVERIFY(CJobManager::instance()->chapter_contentBlade(snapshot));
    else
        QVERIFY(CBookJobManager::instance()->outline_move(move, outlines.indexOf(book->findOutlineByOutlineId(11001)),
                                                          outlines.indexOf(book->findOutlineByOutlineId(o2))));
    QVERIFY(settleClient());
    // Changed here again offline before the look-up.
    const bool again = made.contains(QLatin1String("again")) || made.contains(QLatin1String("back"))
                       || made.contains(QLatin1String("recycled"));
    if (again) {
        QVERIFY(standin().addFault(QStringLiteral("*"), QStringLiteral("http500"), 0, -1));
        if (what == QLatin1String("outline drag")) {
            std::swap(move.fromLocalId, move.toLocalId);
            QVERIFY(CBookJobManager::instance()->outline_move(move, outlines.indexOf(book->findOutlineByOutlineId(o2)),
                                                              outlines.indexOf(book->findOutlineByOutlineId(11001))));
        } else if (made.contains(QLatin1String("recycled"))) {
            QVERIFY(CJobManager::instance()->books_delete(recycle));
        } else if (made.contains(QLatin1String("back")))
            tree->moveChapter(1, local7001, 0, local7001, false);
        else
            tree->moveChapter(0, local7001, 0, volume->localId, false);
        QVERIFY(settleClient());
    }
    const QString ours = localState();
    for (const QString& call : there.split(QLatin1Char('\n'))) {
        const QString body = call.section(QLatin1Char(' '), 1).replace(QLatin1String("%v"), QString::number(v2))
                                 .replace(QLatin1String("%o"), QString::number(o2));
        QVERIFY(!standin().callAs(QStringLiteral("machine1000000000000000000000000"), call.section(QLatin1Char(' '), 0, 0),
                                  QJsonDocument::fromJson(body.toUtf8()).object()).isEmpty());
    }
    QVERIFY(standin().clearFaults());
    QVERIFY(!offline || !made.value(3).startsWith(QLatin1Char('/')) || standin().addFault(made.at(3), QStringLiteral("http500")));
    // The other machine's change came after this one's unless this one's
    // waited offline.
    QString later = offline ? ours : platformState();
    const bool bothRecycle = made.contains(QLatin1String("recycled"));
    if (again || cut == QLatin1String("drop"))
        later = bothRecycle ? ours : QString(ours).replace(QStringLiteral(":第二卷"), QStringLiteral(":乙改的卷名"));
    if (made.contains(QLatin1String("intro")))
        later = QString(ours).replace(QStringLiteral(":2001:"), QStringLiteral(":2002:"));
    QVERIFY2(bothRecycle || later != (offline ? platformState() : ours), qPrintable(later));
    // A new start, then a pass of the same session.
    for (int pass = 0; pass < 2; ++pass) {
        QVERIFY(pass > 0 || fixture.restart());
        CJobManager::instance()->synNow(false);
        QVERIFY(settleClient());
    }
    QTRY_VERIFY_WITH_TIMEOUT(fixture.jobIds().isEmpty(), 15000);
    QCOMPARE(localState(), later);
    QCOMPARE(platformState(), later);
    tree->loadBook(nullptr);
}

void FeedTwoMachinesTest::changesWaitingForAnObjectDeletedElsewhereLeaveAtOnce_data()
{
    QTest::addColumn<bool>("book");       // the book, recycled here too, instead of its second chapter
    QTest::addColumn<bool>("feedFirst");  // the changes fail once more, so that the feed's delete comes first
    // Where the author is when synchronising at their word; empty for a new
    // start.
    QTest::addColumn<QString>("where");
    QTest::newRow("chapter, its rename refused first") << false << false << QString();
    QTest::newRow("chapter, the feed first") << false << true << QString();
    QTest::newRow("book, the feed first") << true << true << QString();
    QTest::newRow("chapter, on the bookshelf") << false << false << "bookshelf";
    QTest::newRow("chapter, in the writing window") << false << false << "writing window";
    QTest::newRow("chapter, under a dialog over the writing window") << false << false << "dialog";
}

// Offline, the author renames and drags a chapter that holds no words of
// theirs waiting (and recycles its book); another machine deletes it (or
// the book) for good. The first refusal of a change of it, or the feed's
// delete, takes every change of it off the queue: none goes after it, and
// the author is told; the synchronisation's result comes after that notice.
void FeedTwoMachinesTest::changesWaitingForAnObjectDeletedElsewhereLeaveAtOnce()
{
    QFETCH(bool, book);
    QFETCH(bool, feedFirst);
    QFETCH(QString, where);
    JobsFixture fixture;
    QVERIFY(startOneMachine(fixture));
    T_Book* shown = demoBook();
    const int localChapter = shown->findChapterByChapterId(9002)->localId;
    const int local7001 = shown->findVolumeByVolumeId(7001)->localId;
    CBookVolumeController* tree = CBookVolumeController::instance();
    tree->loadBook(shown);
    QVERIFY(standin().addFault(QStringLiteral("*"), QStringLiteral("http500"), 0, -1));
    const QString name = QStringLiteral("乙改的名");
    tree->changeChapterName(local7001, localChapter, 1, name);
    tree->moveChapter(1, local7001, 0, local7001, false);
    TC_Books_Delete recycle(shown->localId, 1700000100);
    QVERIFY(!book || CJobManager::instance()->books_delete(recycle));
    QVERIFY(settleClient());
    QCOMPARE(jobTypesOfChapter(localChapter).size(), 2);
    QVERIFY(standin().clearFaults());
    const QJsonObject gone{{QStringLiteral("book_id"), 5001}, {QStringLiteral("chapter_id"), 9002},
                           {QStringLiteral("status"), 0}};
    for (const char* path : book ? QList<const char*>{"/books/recycle", "/books/delBook"}
                                 : QList<const char*>{"/chapter/recycle", "/chapter/delChapter"})
        QVERIFY(!platformCall(QLatin1String(path), gone).isEmpty());
    QVERIFY(standin().clearJournal());
    const QStringList changes{QStringLiteral("/chapter/editChapter"), QStringLiteral("/chapter/move"),
                              QStringLiteral("/books/recycle")};
    for (const QString& path : changes)
        QVERIFY(!feedFirst || standin().addFault(path, QStringLiteral("http500")));
    // A toast of an earlier case is no answer.
    CUiManager* ui = CUiManager::instance();
    toastsInTurn();
    const bool writing = where != QLatin1String("bookshelf") && !where.isEmpty();
    std::unique_ptr<Dialog_BookRecycle> dialog;
    if (writing)
        ui->openCreation(demoBook());
    if (where == QLatin1String("dialog")) {
        dialog = std::make_unique<Dialog_BookRecycle>(ui->creationWidget());
        dialog->setWindowModality(Qt::ApplicationModal);
        dialog->show();
    }
    if (where.isEmpty())
        QVERIFY(fixture.restart());
    else
        CJobManager::instance()->synNow(true);
    QVERIFY(settleClient());
    QVERIFY(fixture.jobIds().isEmpty());
    // The synchronisation's own result does not cut the notice short but
    // comes after it.
    QTRY_VERIFY_WITH_TIMEOUT(where.isEmpty() || !ui->bookshelf()->getTop()->isSyncing(), 15000);
    const QStringList results{Widget_Bookshelf_Top::tr("Synchronous success"),
                              Widget_Bookshelf_Top::tr("Synchronization failure")};
    const QStringList seen = toastsInTurn();
    QVERIFY2(seen.value(0).contains(book ? QStringLiteral("示例作品") : name)
                 && (where.isEmpty() || results.contains(seen.constLast())),
             qPrintable(seen.join(QLatin1Char('|'))));
    dialog.reset();
    if (writing)
        ui->closeCreation();
    CJobManager::instance()->synNow(false);
    QVERIFY(settleClient());
    // Nothing names it after its first refusal, or after the feed.
    int cut = -1;
    int after = 0;
    const QJsonArray sent = JobsFixture::queueJournal();
    for (int i = 0; i < sent.size(); ++i) {
        const QString path = sent.at(i)[QStringLiteral("path")].toString();
        // A move names the chapter inside its order.
        const bool names = changes.contains(path) && (book || sent.at(i)[QStringLiteral("body")].toString().contains(QLatin1String("9002")));
        after += cut >= 0 && names ? 1 : 0;
        if (cut < 0 && (feedFirst ? path == QLatin1String("/synchronization/synBookData") : names))
            cut = i;
    }
    QVERIFY(cut >= 0);
    QCOMPARE(after, 0);
    tree->loadBook(nullptr);
}

void FeedTwoMachinesTest::changeMadeWhileANewCoverComesStands_data()
{
    QTest::addColumn<QString>("change");  // made while the answer is held
    QTest::addColumn<QString>("held");    // the picture ("/img/"), or an API path
    for (const char* change : {"recycle", "rename", "intro", "cover", "sign out", "sign in again"})
        QTest::newRow(change) << change << "/img/";
    // The rename's request fails once: its job still waits when the information comes.
    QTest::newRow("rename while the information comes") << "rename" << "/books/bookinfo";
    QTest::newRow("recycle while the information comes") << "recycle" << "/books/bookinfo";
}

// Another machine gives the book a new cover; while this machine's sync gets
// the book's information and picture, the author changes the book on the
// bookshelf. Both sides end with the author's change and its picture.
void FeedTwoMachinesTest::changeMadeWhileANewCoverComesStands()
{
    QFETCH(QString, change);
    QFETCH(QString, held);
    JobsFixture fixture;
    QVERIFY(startOneMachine(fixture));
    const int localBookId = demoBook()->localId;
    // The start's own cover is in before the host is slowed.
    QTRY_VERIFY_WITH_TIMEOUT(covers().at(0).endsWith(QLatin1String("/img/cover.png")), 15000);
    Widget_BookShelfList* shelf = CUiManager::instance()->bookshelf()->bookList();
    AuthorAnswers answers;
    shelf->setPrompts(&answers);
    const auto answerNoMore = qScopeGuard([shelf = QPointer<Widget_BookShelfList>(shelf)] {
        if (shelf)
            shelf->setPrompts(nullptr);
    });
    QTemporaryDir dir;
    QByteArray pictures[2];  // theirs, ours
    QFile ours(dir.filePath(QStringLiteral("ours.png")));
    for (int i = 0; i < 2; ++i) {
        QImage image(6, 6, QImage::Format_ARGB32);
        image.fill(i == 0 ? Qt::darkGreen : Qt::darkRed);
        QVERIFY(image.save(ours.fileName(), "PNG") && ours.open(QIODevice::ReadOnly));
        pictures[i] = ours.readAll();
        ours.close();
    }
    const QString folder = appDirPath() + QStringLiteral("/data/bookImg/");
    QFile::remove(folder + bytesMd5(pictures[0]) + QStringLiteral(".png"));
    QVERIFY(!standin().callAs(QStringLiteral("machine1000000000000000000000000"), QStringLiteral("/books/editBook"),
                              QJsonDocument::fromJson(R"({"book_id":5001,"book_name":"示例作品","channel_type":2,"cate_id":2001,
                                  "intro":"一部用来试用写作客户端的示例小说。","cover":"data:image/png;base64,)"
                                                      + pictures[0].toBase64() + "\"}").object()).isEmpty());
    const QString theirCover = covers().at(2);
    const bool late = held != QLatin1String("/img/");
    QVERIFY(standin().addFault(held, QStringLiteral("ok"), -1, 1));
    QVERIFY(!late || standin().addFault(QStringLiteral("/books/editBook"), QStringLiteral("http500"), 0, 1));

    int chosenCate = 0;
    const auto act = [&]() {
        if (change == QLatin1String("rename") || change == QLatin1String("intro")) {
            answers.fill = [&](Dialog_BookInfo* dialog) {
                if (change == QLatin1String("rename"))
                    return dialog->nameEdit()->setText(QStringLiteral("甲改的书名"));
                dialog->introEdit()->setPlainText(QStringLiteral("甲写的简介"));
                // Another category of the channel, from the tree this machine has.
                dialog->primaryCombo(2)->setCurrentIndex(dialog->primaryCombo(2)->count() - 1);
                chosenCate = dialog->subCombo(2)->currentData().toInt();
            };
            shelf->onInfo(localBookId, 0);
        } else if (change == QLatin1String("cover")) {
            // As the information dialog stores a custom cover.
            const T_Book* book = demoBook();
            TC_Books_Edit edit(localBookId, book->channelType, book->cateId, book->cateFid, book->bookName,
                               book->intro, ours.fileName(), 1700000100);
            edit.wholeBook = true;
            QVERIFY(CJobManager::instance()->books_edit(edit));
        } else if (change == QLatin1String("recycle")) {
            shelf->onDelete(localBookId, QString(), 0);
        } else {
            CUiManager::instance()->logout();
            TC_Author_Login login{{}, QStringLiteral("13800000000"), QStringLiteral("demo1234")};
            TS_Author_Login reply;
            if (change == QLatin1String("sign in again"))
                CJobManager::instance()->author_login(login, reply, true);
            QVERIFY(change == QLatin1String("sign out") || CJobManager::instance()->initAfterLogin());
        }
    };
    // The author acts once the held request reached the platform, then its
    // answer is let go.
    bool acted = false;
    QObject looks;
    QVERIFY(standin().clearJournal());
    standin().onceAsked(late ? held : theirCover.mid(theirCover.lastIndexOf(QLatin1Char('/'))), &looks, [&]() {
        acted = true;
        act();
        QVERIFY(standin().releaseHeld());
    });
    CJobManager::instance()->synNow(false);
    QTRY_VERIFY_WITH_TIMEOUT(acted, 15000);
    QVERIFY(settleClient());
    const bool signedOut = change == QLatin1String("sign out");
    const QString picture = folder + bytesMd5(pictures[change == QLatin1String("cover")]) + QStringLiteral(".png");
    // The picture came; for an author who left, nothing of the book is written.
    QTRY_VERIFY_WITH_TIMEOUT(signedOut ? QFile::exists(picture) : covers().at(1) == picture, 15000);
    QVERIFY(!signedOut || covers().at(0).endsWith(QLatin1String("/img/cover.png")));
    // A later pass, and a new start with another.
    for (int pass = 0; pass < 2; ++pass) {
        QVERIFY(pass == 0 || fixture.restart());
        CJobManager::instance()->synNow(false);
        QVERIFY(settleClient());
    }
    QTRY_VERIFY_WITH_TIMEOUT(fixture.jobIds().isEmpty(), 15000);
    QCOMPARE(localState(), platformState());
    const QString book = QStringLiteral("%1:%2:%3:%4")
                             .arg(change == QLatin1String("rename") ? QStringLiteral("甲改的书名") : QStringLiteral("示例作品"))
                             .arg(change == QLatin1String("intro") ? QStringLiteral("甲写的简介")
                                                                   : QStringLiteral("一部用来试用写作客户端的示例小说。"))
                             .arg(chosenCate > 0 ? chosenCate : 2001)
                             .arg(change == QLatin1String("recycle") ? 0 : 1);
    QVERIFY2(localState().contains(QLatin1Char(' ') + book + QLatin1Char(' ')), qPrintable(localState()));
    QVERIFY(change != QLatin1String("intro") || chosenCate != 2001);
    // The picture the platform holds is the one shown here (the cover comes
    // back to an author who left with the book's next information).
    QVERIFY(signedOut || covers().at(0) == covers().at(2));
    QCOMPARE(covers().at(2) == theirCover, change != QLatin1String("cover"));
}

// Another machine drags the second chapter into the second volume; this one,
// not having seen that, deletes the volume, and the platform recycles the
// chapter with it. The delete's answer comes once the author has put the book
// in the bin: restored, the book shows the chapter recycled, as the platform
// has it.
void FeedTwoMachinesTest::volumeDeleteAnsweredWhileItsBookLiesInTheBinTakesThePlatformsChapterStates()
{
    JobsFixture fixture;
    const int volume = platformCall(QStringLiteral("/volume/addVolume"),
                                    {{QStringLiteral("book_id"), 5001}, {QStringLiteral("volume_name"), QStringLiteral("第二卷")}})
                           .value(QStringLiteral("volume_id")).toInt();
    QVERIFY(volume > 0);
    QVERIFY(startOneMachine(fixture));
    const int localBook = demoBook()->localId;
    const QString into = QStringLiteral(R"([{"from_chapter_id":9002,"to_chapter_id":0,"to_volume_id":%1,"direction":1}])");
    QVERIFY(!standin().callAs(QStringLiteral("machine1000000000000000000000000"), QStringLiteral("/chapter/move"),
                              {{QStringLiteral("book_id"), 5001}, {QStringLiteral("move_order"), into.arg(volume)}})
                 .isEmpty());
    const QString path = QStringLiteral("/volume/recycle");
    QVERIFY(standin().addFault(path, QStringLiteral("ok"), -1, 1));
    TC_Volume_Delete remove(*demoBook()->findVolumeByVolumeId(volume), 0, 1700000100);
    QVERIFY(CJobManager::instance()->volume_del_restore(remove));
    QTRY_COMPARE_WITH_TIMEOUT(JobsFixture::requestsTo(path).size(), 1, 15000);
    QVERIFY(moveBook(localBook, true));
    QVERIFY(standin().releaseHeld() && settleClient());
    QVERIFY(CPublicManager::instance()->findRecycledBookByLocalId(localBook) != nullptr);
    QVERIFY(moveBook(localBook, false));
    for (int pass = 0; pass < 2; ++pass) {
        CJobManager::instance()->synNow(false);
        QVERIFY(settleClient());
    }
    QTRY_VERIFY_WITH_TIMEOUT(fixture.jobIds().isEmpty(), 15000);
    QCOMPARE(platformStatus(9002), 0);
    QCOMPARE(localState(), platformState());
}

void FeedTwoMachinesTest::deleteThatWentJustAfterWordsElsewhereIsToldAsItWent_data()
{
    // chapter, outline, memo or book (written in its first chapter; with
    // "volume", the book whose volume list is the look that fails)
    QTest::addColumn<QString>("what");
    // What becomes of the delete: the platform takes it and the answer is
    // cut off, the request never arrives, it is refused (HTTP 500), or it is
    // answered.
    QTest::addColumn<QString>("cut");
    // How often the look that brings a withdrawn object back fails; with a
    // restart after the first failure (-1).
    QTest::addColumn<int>("lookFails");
    for (const char* what : {"chapter", "outline", "memo", "book"}) {
        QTest::newRow(qPrintable(QStringLiteral("%1, its reply lost").arg(what))) << what << "truncated" << 0;
        QTest::newRow(qPrintable(QStringLiteral("%1, its request lost").arg(what))) << what << "drop" << 0;
    }
    QTest::newRow("chapter, answered") << "chapter" << "ok" << 0;
    for (const char* what : {"chapter", "book", "memo", "volume"}) {
        QTest::newRow(qPrintable(QStringLiteral("%1, refused, its look failing once").arg(what))) << what << "http500" << 1;
        QTest::newRow(qPrintable(QStringLiteral("%1, refused, its look failing twice").arg(what))) << what << "http500" << 2;
        QTest::newRow(qPrintable(QStringLiteral("%1, refused, its look failing, a restart").arg(what)))
            << what << "http500" << -1;
    }
    QTest::newRow("chapter, refused, its look failing twice, a memo saved meanwhile")
        << "chapter, a memo saved meanwhile" << "http500" << 2;
    QTest::newRow("chapter, its request lost, its look failing, a restart") << "chapter" << "drop" << -1;
    // Back by its information, the book's texts fail until the feed gives
    // their item up, then a restart.
    QTest::newRow("book, refused, its texts failing, a restart") << "book, its texts failing" << "http500" << -6;
}

// This machine deletes a chapter (an outline card, a memo, a book) for good;
// the pass pulls the feed, and another machine writes in it before the delete,
// sent after that feed, reaches the platform. The next feed shows the words:
// the author is told truly what became of them, kept where the platform
// never had the delete, gone with it where it had. The object ends alike here
// and on the platform and does not come back by itself. A look that brings
// a kept object back goes again until it is answered, also after a restart,
// and the author hears it is kept once it is back.
void FeedTwoMachinesTest::deleteThatWentJustAfterWordsElsewhereIsToldAsItWent()
{
    QFETCH(QString, what);
    QFETCH(QString, cut);
    QFETCH(int, lookFails);
    const QString memoSaved = QStringLiteral(", a memo saved meanwhile");
    const bool memoToo = what.endsWith(memoSaved);
    what.chop(memoToo ? memoSaved.size() : 0);
    const QString textsFailing = QStringLiteral(", its texts failing");
    const bool texts = what.endsWith(textsFailing);
    what.chop(texts ? textsFailing.size() : 0);
    JobsFixture fixture;
    QVERIFY(startOneMachine(fixture));
    const bool volume = what == QLatin1String("volume");
    const bool book = what == QLatin1String("book") || volume;
    const bool chapter = what == QLatin1String("chapter") || book;
    const bool memo = what == QLatin1String("memo");
    const QString words = QStringLiteral("乙赶在删除之前写下的话");
    const QStringList paths = book    ? QStringList{QStringLiteral("/books/delBook"), QStringLiteral("/chapter/editChapter")}
                              : chapter ? QStringList{QStringLiteral("/chapter/delChapter"), QStringLiteral("/chapter/editChapter")}
                              : memo  ? QStringList{QStringLiteral("/memo/delMemo"), QStringLiteral("/memo/editMemo")}
                                      : QStringList{QStringLiteral("/bookoutline/delOutline"), QStringLiteral("/bookoutline/editOutline")};
    const QString pull = QStringLiteral("/synchronization/synBookData");
    const int localBook = demoBook()->localId;
    QVERIFY(!book || (moveBook(localBook, true) && settleClient()));
    TC_Books_Delete_Hard purge;
    purge.header.localBookId = localBook;
    purge.updateTime = 1700000100;
    const int pulls = JobsFixture::requestsTo(pull).size();
    QVERIFY(standin().addFault(pull, QStringLiteral("ok"), -1, 1));
    QVERIFY(book      ? CJobManager::instance()->books_delete_hard(purge)
            : chapter ? deleteChapter(demoBook()->findChapterByChapterId(9002)->localId)
                      : deleteMemoAndOutline(memo, !memo));
    QTRY_COMPARE_WITH_TIMEOUT(JobsFixture::requestsTo(pull).size(), pulls + 1, 15000);
    QVERIFY(!standin().callAs(QStringLiteral("machine1000000000000000000000000"), paths.at(1),
                              {{QStringLiteral("book_id"), 5001}, {QStringLiteral("chapter_id"), book ? 9001 : 9002},
                               {QStringLiteral("outline_id"), 11001}, {QStringLiteral("memo_id"), 13001},
                               {QStringLiteral("content"), words}})
                 .isEmpty());
    // A dropped connection is retried once by the transport.
    QVERIFY(cut == QLatin1String("ok") || standin().addFault(paths.at(0), cut, 0, cut == QLatin1String("drop") ? 2 : 1));
    QVERIFY(standin().releaseHeld());
    QTRY_VERIFY_WITH_TIMEOUT(!JobsFixture::requestsTo(paths.at(0)).isEmpty(), 15000);
    QVERIFY(settleClient());
    const QString look = volume ? QStringLiteral("/volume/volumeList")
                         : texts ? QStringLiteral("/chapter/chapter")
                         : book ? QStringLiteral("/books/bookinfo")
                         : memo ? QStringLiteral("/memo/memoDetail")
                                : QStringLiteral("/chapter/chapterList");
    QVERIFY(standin().clearFaults()
            && (!lookFails || standin().addFault(look, QStringLiteral("http500"), 0, texts ? -1 : qAbs(lookFails))));
    QSignalSpy told(CUiManager::instance(), &CUiManager::sig_Message);
    const auto here = [&]() { return (chapter ? localTexts() : localMemosAndOutlines()).filter(words).size(); };
    // Whether the words were here whenever the author heard the object was kept.
    bool backWhenTold = true;
    QObject context;
    connect(CUiManager::instance(), &CUiManager::sig_Message, &context, [&](const QString& text) {
        backWhenTold = backWhenTold && (!text.contains(QLatin1String("it is kept")) || here() == 1);
    });
    if (memoToo) {
        // The memo's save waits for its pass's pull, which withdraws the
        // delete; the look that follows fails.
        const T_Memo* memo = CPublicManager::instance()->findMemoByMemoId(13001);
        TC_Memo_Edit edit(memo->localId, 13001, 1700000100, QStringLiteral("甲等着的便签"), memo->color, 0, 0, 0, 0, 0, 0, 0);
        const int looks = JobsFixture::requestsTo(look).size();
        QVERIFY(CJobManager::instance()->memoEditContent(edit) && settleClient());
        QVERIFY(JobsFixture::requestsTo(look).size() > looks);
        QVERIFY2(platformMemosAndOutlines().contains(edit.content), "a failed look held the pass's edits back");
    }
    for (int pass = 0; pass < 2 + qAbs(lookFails); ++pass) {
        CJobManager::instance()->synNow(false);
        QVERIFY(settleClient());
        QVERIFY(lookFails >= 0 || pass != -lookFails - 1 || (standin().clearFaults() && fixture.restart() && settleClient()));
    }
    QTRY_VERIFY_WITH_TIMEOUT(fixture.jobIds().isEmpty(), 15000);
    QVERIFY(!lookFails || texts || JobsFixture::requestsTo(look).size() > qAbs(lookFails));
    const bool kept = cut == QLatin1String("drop") || cut == QLatin1String("http500");
    const QString notice = book    ? CSynDataManager::tr("A book you deleted for good was restored or written in on another device; it is kept.")
                           : chapter ? CSynDataManager::tr("A chapter you deleted for good was restored or written in on another device; it is kept.")
                           : memo  ? CSynDataManager::tr("A memo you deleted was written in on another device; it is kept.")
                                   : CSynDataManager::tr("An outline you deleted was written in on another device; it is kept.");
    const QString wentFirst =
        book ? CSynDataManager::tr("A book you deleted for good was written in or restored on another device just "
                                   "before your delete reached the platform; it is deleted all the same, with what "
                                   "was written there.")
        : chapter ? CSynDataManager::tr("A chapter you deleted for good was written in or restored on another device just "
                                      "before your delete reached the platform; it is deleted all the same, with what "
                                      "was written there.")
        : memo ? CSynDataManager::tr("A memo you deleted was written in on another device just before your delete "
                                     "reached the platform; it is deleted all the same, with what was written there.")
               : CSynDataManager::tr("An outline you deleted was written in on another device just before your delete "
                                     "reached the platform; it is deleted all the same, with what was written there.");
    QCOMPARE(toldAll(told, {notice}), kept);
    QCOMPARE(toldAll(told, {wentFirst}), !kept);
    QVERIFY2(backWhenTold, "told it is kept before it was back");
    for (int start = 0; start < 2; ++start) {
        const QStringList there = chapter ? platformTexts() : platformMemosAndOutlines();
        QCOMPARE(there.filter(words).size(), kept ? 1 : 0);
        QCOMPARE(chapter ? localTexts() : localMemosAndOutlines(), there);
        QVERIFY(!book || (CPublicManager::instance()->findAnyBookByBookId(5001) != nullptr) == kept);
        QVERIFY(fixture.restart() && settleClient());
    }
}

void FeedTwoMachinesTest::listAnAnswerCallsForIsLookedAtUntilAnswered_data()
{
    // What the other machine does, then this one: the other deletes the
    // first volume and restores a chapter of it, which brings it back,
    // before this one pulls; the other drags a chapter into the second
    // volume, which this one deletes; both add an outline card, the other
    // first; the other moves a card or a volume; this one bins a chapter and
    // drags another above the first, then the other restores the binned one.
    QTest::addColumn<QString>("what");
    // How the look at the book's list fails ("drop": the connection, which
    // the transport tries once more), how often; -1: once, then a restart.
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("fails");
    QTest::newRow("volume deleted elsewhere, a chapter of it restored there") << "volume deleted elsewhere" << "http500" << 0;
    QTest::newRow("volume deleted elsewhere, the look failing once") << "volume deleted elsewhere" << "http500" << 1;
    QTest::newRow("volume deleted here, the look failing once") << "volume deleted here" << "http500" << 1;
    QTest::newRow("volume deleted here, the look failing twice") << "volume deleted here" << "http500" << 2;
    QTest::newRow("volume deleted here, the look failing, a restart") << "volume deleted here" << "http500" << -1;
    QTest::newRow("volume deleted here, the look's connection dropped") << "volume deleted here" << "drop" << 2;
    QTest::newRow("card added here, the look failing once") << "card added here" << "http500" << 1;
    QTest::newRow("card added here, the look failing twice") << "card added here" << "http500" << 2;
    QTest::newRow("card added here, the look failing twice, a memo saved meanwhile")
        << "card added here, a memo saved meanwhile" << "http500" << 2;
    QTest::newRow("card moved elsewhere, the look failing once") << "card moved elsewhere" << "http500" << 1;
    QTest::newRow("volume moved elsewhere, the look failing once") << "volume moved elsewhere" << "http500" << 1;
    QTest::newRow("volume added here while the list of another is out") << "volume added, a list held" << "ok" << 0;
    QTest::newRow("chapter restored elsewhere after a drag here, the look failing once")
        << "chapter restored elsewhere" << "http500" << 1;
}

// A list an answer calls for is looked at until it is answered, also after a
// restart: the chapter list after a volume's delete, made here or elsewhere
// (the platform recycles the chapters in the volume when the delete arrives,
// which the volume's state alone does not tell), the outline list after a
// card's add (the platform puts it after one added elsewhere meanwhile), the
// outline or volume list after a move elsewhere, and the chapter list after a
// chapter comes back from the bin by the platform's state (the platform
// numbered it among the chapters dragged here meanwhile). Both end as the
// platform.
void FeedTwoMachinesTest::listAnAnswerCallsForIsLookedAtUntilAnswered()
{
    QFETCH(QString, what);
    QFETCH(QString, fault);
    QFETCH(int, fails);
    const QString memoSaved = QStringLiteral(", a memo saved meanwhile");
    const bool memoToo = what.endsWith(memoSaved);
    what.chop(memoToo ? memoSaved.size() : 0);
    JobsFixture fixture;
    const int volume = platformCall(QStringLiteral("/volume/addVolume"),
                                    {{QStringLiteral("book_id"), 5001}, {QStringLiteral("volume_name"), QStringLiteral("第二卷")}})
                           .value(QStringLiteral("volume_id")).toInt();
    const int o2 = platformCall(QStringLiteral("/bookoutline/addOutline"),
                                {{QStringLiteral("book_id"), 5001}, {QStringLiteral("type"), 1}, {QStringLiteral("title"), QStringLiteral("支线")}})
                       .value(QStringLiteral("outline_id")).toInt();
    QVERIFY(volume > 0 && o2 > 0);
    // A third chapter in the first volume, so that one can be dragged among
    // the chapters left there while another lies in the bin.
    const bool restoredThere = what == QLatin1String("chapter restored elsewhere");
    const int c3 = !restoredThere ? 0
                                  : platformCall(QStringLiteral("/chapter/addChapter"),
                                                 {{QStringLiteral("book_id"), 5001}, {QStringLiteral("volume_id"), 7001},
                                                  {QStringLiteral("chapter_name"), QStringLiteral("第三章")}})
                                        .value(QStringLiteral("chapter_id")).toInt();
    QVERIFY(!restoredThere || c3 > 0);
    QVERIFY(startOneMachine(fixture));
    const auto call = [](const char* path, const QJsonObject& body) {
        QJsonObject ofBook = body;
        ofBook.insert(QStringLiteral("book_id"), 5001);
        return !standin().callAs(QStringLiteral("machine1000000000000000000000000"), QLatin1String(path), ofBook).isEmpty();
    };
    const QString move = QStringLiteral(R"([{"from_%1_id":%2,"to_%1_id":%3%4}])");
    const QString list = what.startsWith(QLatin1String("card")) ? QStringLiteral("/bookoutline/outlineList")
                         : what.startsWith(QLatin1String("volume moved")) || what.startsWith(QLatin1String("volume added"))
                             ? QStringLiteral("/volume/volumeList")
                                                                          : QStringLiteral("/chapter/chapterList");
    T_Book* book = demoBook();
    TC_Volume_Delete remove(*book->findVolumeByVolumeId(volume), 0, 1700000100);
    TC_BookOutline_Create card(book->bookId, book->localId, 0, 0, 1, book->outline.outlineList.size() + 1, 1700000100,
                               QStringLiteral("甲加的"), QString());
    if (what == QLatin1String("volume deleted elsewhere"))
        QVERIFY(call("/volume/recycle", {{QStringLiteral("id"), 7001}, {QStringLiteral("type"), 0}})
                && call("/volume/recycle", {{QStringLiteral("id"), 7001}, {QStringLiteral("type"), 1}})
                && call("/chapter/recycle", {{QStringLiteral("chapter_id"), 9001}, {QStringLiteral("status"), 1}}));
    else if (what == QLatin1String("card moved elsewhere"))
        QVERIFY(call("/bookoutline/move", {{QStringLiteral("move_order"), move.arg("outline").arg(11001).arg(o2).arg("")}}));
    else if (what == QLatin1String("volume moved elsewhere"))
        QVERIFY(call("/volume/move", {{QStringLiteral("move_order"), move.arg("volume").arg(volume).arg(7001).arg("")}}));
    else if (what == QLatin1String("volume added, a list held"))
        ;  // all of it here, below
    else if (restoredThere) {
        // Here the second chapter goes to the bin and the third is dragged
        // above the first: the platform numbers the binned one among them,
        // this machine leaves its number as it was.
        CBookVolumeController* tree = CBookVolumeController::instance();
        const auto unload = qScopeGuard([tree]() { tree->loadBook(nullptr); });
        tree->loadBook(book);
        const int local7001 = book->findVolumeByVolumeId(7001)->localId;
        QVERIFY(recycleChapter(9002, 0));
        tree->moveChapter(1, local7001, 0, local7001, false);
        QVERIFY(settleClient());
        QVERIFY(storedOrder(5001).startsWith(QStringLiteral("7001[%1 9001]").arg(c3)));
        QVERIFY(call("/chapter/recycle", {{QStringLiteral("chapter_id"), 9002}, {QStringLiteral("status"), 1}}));
    }
    else if (what == QLatin1String("card added here"))
        QVERIFY(call("/bookoutline/addOutline", {{QStringLiteral("type"), 1}, {QStringLiteral("title"), QStringLiteral("乙加的")}}));
    else
        QVERIFY(call("/chapter/move", {{QStringLiteral("move_order"),
                                        move.arg("chapter").arg(9002).arg(0).arg(QStringLiteral(",\"to_volume_id\":%1,\"direction\":1").arg(volume))}}));
    // What this machine holds before it has seen any of that.
    const QString before = localState();
    QVERIFY(!fails || standin().addFault(list, fault, 0, qAbs(fails)));
    if (what.endsWith(QLatin1String(" here"))) {
        QVERIFY(what.startsWith(QLatin1String("card")) ? CBookJobManager::instance()->outline_create(card)
                                                       : CJobManager::instance()->volume_del_restore(remove));
        QTRY_VERIFY_WITH_TIMEOUT(!JobsFixture::requestsTo(list).isEmpty(), 15000);
        QVERIFY(settleClient());
        QVERIFY(fails >= 0 || (fixture.restart() && settleClient()));
    }
    if (memoToo) {
        // The memo's save waits for its pass's pull, whose look fails.
        const T_Memo* memo = CPublicManager::instance()->findMemoByMemoId(13001);
        TC_Memo_Edit edit(memo->localId, 13001, 1700000100, QStringLiteral("甲等着的便签"), memo->color, 0, 0, 0, 0, 0, 0, 0);
        QVERIFY(CJobManager::instance()->memoEditContent(edit) && settleClient());
        QCOMPARE(JobsFixture::requestsTo(list).size(), 2);
        QVERIFY2(platformMemosAndOutlines().contains(edit.content), "a failed look held the pass's edits back");
    }
    if (what == QLatin1String("volume added, a list held")) {
        // The second volume's add is answered while the list the first one's
        // answer asked for is out, which may not show it: another goes.
        QVERIFY(standin().clearJournal() && standin().addFault(list, QStringLiteral("ok"), -1, 1));
        QVERIFY(addVolume(QStringLiteral("甲加的卷一")));
        QTRY_COMPARE_WITH_TIMEOUT(JobsFixture::requestsTo(list).size(), 1, 15000);
        QVERIFY(addVolume(QStringLiteral("甲加的卷二")));
        QTRY_VERIFY_WITH_TIMEOUT(book->volumeList.last()->volumeId > 0, 15000);
        QVERIFY(standin().releaseHeld() && settleClient());
        const auto owedLooks = []() {
            QSqlQuery query = CTessaneDb::instance()->newQuery();
            return query.exec(QStringLiteral("select count(*) from tb_owed_look")) && query.next() ? query.value(0).toInt() : -1;
        };
        QTRY_VERIFY_WITH_TIMEOUT(fixture.jobIds().isEmpty() && owedLooks() == 0, 15000);
        const QJsonArray journal = standin().journal();
        int lastAdd = -1;
        int lastList = -1;
        for (int i = 0; i < journal.size(); ++i) {
            const QString path = journal.at(i).toObject().value(QStringLiteral("path")).toString();
            lastAdd = path == QLatin1String("/volume/addVolume") ? i : lastAdd;
            lastList = path == list ? i : lastList;
        }
        QVERIFY2(lastList > lastAdd, "no list asked for after the last volume's add was answered");
    }
    for (int pass = 0; pass < 2 + qAbs(fails); ++pass) {
        CJobManager::instance()->synNow(false);
        QVERIFY(settleClient());
    }
    QVERIFY(standin().clearFaults());
    QTRY_VERIFY_WITH_TIMEOUT(fixture.jobIds().isEmpty(), 15000);
    QVERIFY2(before != platformState(), "the platform's list tells nothing new");
    QCOMPARE(localState(), platformState());
    // Answered, the look goes no more.
    const int looks = JobsFixture::requestsTo(list).size();
    CJobManager::instance()->synNow(false);
    QVERIFY(settleClient());
    QCOMPARE(JobsFixture::requestsTo(list).size(), looks);
}

namespace {
// What the platform needs for the author to change the member to value: a
// second card or volume to move the first after, or into; a chapter to restore.
bool platformReadyFor(const QString& member, const QString& value)
{
    const QJsonObject second = member == QLatin1String("card order") ? QJsonObject{{"book_id", 5001}, {"type", 1}, {"title", "支线"}}
                                                                    : QJsonObject{{"book_id", 5001}, {"volume_name", "第二卷"}};
    return ((!member.endsWith(QLatin1String(" order")) && member != QLatin1String("chapter volume"))
            || !platformCall(member.startsWith(QLatin1String("card")) ? "/bookoutline/addOutline" : "/volume/addVolume", second).isEmpty())
           && (member != QLatin1String("chapter state") || value == QLatin1String("0")
               || !platformCall(QStringLiteral("/chapter/recycle"), {{"chapter_id", 9002}, {"status", 0}}).isEmpty());
}

// The request of the list or detail that tells the member.
T_Http_Custom askedForMember(const QString& member)
{
    T_Http_Custom asked;
    asked.uid = StandinServer::demoUid();
    asked.jobType = kMembers.value(member).listType;
    asked.bookId = asked.jobType == JobType::MemoDetail ? 0 : 5001;
    asked.localBookId = asked.bookId ? demoBook()->localId : 0;
    asked.memoId = asked.bookId ? 0 : 13001;
    asked.localMemoId = asked.bookId ? 0 : CPublicManager::instance()->findMemoByMemoId(13001)->localId;
    // A chapter's text is fetched for a step of the feed (one no pass waits for).
    asked.chapterId = asked.jobType == JobType::ChapterContent ? 9001 : 0;
    asked.localChapterId = asked.chapterId ? demoBook()->findChapterByChapterId(9001)->localId : 0;
    asked.synStep = asked.chapterId ? 99999 : 0;
    // Named with the volume, the chapter list is read for states.
    asked.volumeId = member == QLatin1String("chapter state") ? 7001 : 0;
    asked.localVolumeId = asked.volumeId ? demoBook()->findVolumeByVolumeId(7001)->localId : 0;
    return asked;
}
} // namespace

void FeedTwoMachinesTest::listAskedBeforeAnEditNeverTakesItBack_data()
{
    QTest::addColumn<QString>("member");  // what the author changes (kMembers)
    QTest::addColumn<QString>("value");
    // The edit waits, refused by the platform, from before a restart, or
    // while a list is answered too.
    QTest::addColumn<QString>("waits");
    // The fault of the edit's reply: the platform takes the edit, and a
    // later pass's look-up settles it.
    QTest::addColumn<QString>("reply");
    const QStringList edits{"card|甲写的新字", "card order|2", "memo text|甲写的新字", "memo colour|#C0FFEE",
                            "memo pin|9001", "volume|甲改的卷名", "volume order|2", "book|甲改的书名",
                            "book introduction|甲写的简介", "book category|50211", "chapter place|2",
                            "chapter state|0"};
    for (const QString& edit : edits) {
        const QStringList row = edit.split(QLatin1Char('|'));
        QTest::newRow(qPrintable(row.at(0))) << row.at(0) << row.at(1) << "" << "";
        QTest::newRow(qPrintable(row.at(0) + QStringLiteral(", after a restart"))) << row.at(0) << row.at(1) << "restart"
                                                                                     << "";
    }
    // Every member a look-up settles.
    const QStringList settled{"volume|甲改的卷名", "volume order|2", "card order|2", "book|甲改的书名",
                              "book introduction|甲改的简介", "chapter place|2", "chapter volume|第二卷",
                              "chapter state|0", "chapter state|1"};
    for (const QString& edit : settled) {
        const QStringList row = edit.split(QLatin1Char('|'));
        const QString what = row.at(0) == QLatin1String("chapter state")
                                 ? (row.at(1) == QLatin1String("0") ? QStringLiteral("chapter recycled") : QStringLiteral("chapter restored"))
                                 : row.at(0);
        for (const char* fault : {"nouserdata", "truncated"}) {
            const char* how = qstrcmp(fault, "truncated") == 0 ? ", its reply cut" : ", its reply without its echo";
            QTest::newRow(qPrintable(what + QLatin1String(how))) << row.at(0) << row.at(1) << "" << fault;
        }
    }
    QTest::newRow("volume, a list while it waits") << "volume" << "甲改的卷名" << "list" << "";
    // The feed fetches the text the other machine wrote.
    QTest::newRow("chapter text") << "chapter text" << "甲写的新字" << "" << "";
    QTest::newRow("chapter text, after a restart") << "chapter text" << "甲写的新字" << "restart" << "";
}

// A list or a detail this machine asked for is answered by the platform at
// once, but the answer comes after an edit of its object was sent and
// answered. The edit stands here, stored, also after a restart and two
// syncs, as it stands on the platform and on the other machine. A list
// answered while the edit still waits leaves it standing too.
void FeedTwoMachinesTest::listAskedBeforeAnEditNeverTakesItBack()
{
    QFETCH(QString, member);
    QFETCH(QString, value);
    QFETCH(QString, waits);
    QFETCH(QString, reply);
    const Member paths = kMembers.value(member);
    std::unique_ptr<JobsFixture> machines[2];
    QVERIFY(startTwoMachines(machines));
    JobsFixture& fixture = *machines[0];
    QVERIFY(platformReadyFor(member, value) && fixture.restart() && settleClient());
    QVERIFY(memberHere(member) == memberThere(member) && memberThere(member) != value);
    if (!waits.isEmpty()) {
        QVERIFY(standin().addFault(paths.edit, QStringLiteral("http500"), 0, -1) && changeMember(member, value));
        CJobManager::instance()->synNow(false);
        QVERIFY(settleClient() && (waits != QLatin1String("restart") || (fixture.restart() && settleClient())));
        QVERIFY(!fixture.jobIds().isEmpty());
        QVERIFY(waits != QLatin1String("list") || (askAs(askedForMember(member)) && settleClient()));
        QCOMPARE(memberHere(member), value);
        QVERIFY(standin().clearFaults());
    }
    const T_Http_Custom asked = askedForMember(member);
    // The text is fetched by the feed, for the other machine's words.
    const QJsonObject written{{"book_id", 5001}, {"chapter_id", 9001}, {"content", "乙写的字"}};
    const bool byFeed = paths.listType == JobType::ChapterContent;
    QVERIFY(standin().clearJournal() && standin().addFault(paths.list, QStringLiteral("ok"), -1, 1));
    QVERIFY(byFeed ? !standin().callAs(QStringLiteral("machine1000000000000000000000000"), paths.edit, written).isEmpty()
                   : askAs(asked));
    if (byFeed)
        CJobManager::instance()->synNow(false);
    QTRY_VERIFY_WITH_TIMEOUT(!JobsFixture::requestsTo(paths.list).isEmpty(), 15000);
    QVERIFY(reply.isEmpty() || standin().addFault(paths.edit, reply));
    QVERIFY(!waits.isEmpty() || changeMember(member, value));
    // A pass sends what waits; one after a lost reply looks the edit up.
    const auto settled = [&]() {
        if (fixture.jobIds().isEmpty() && memberThere(member) == value)
            return true;
        if (CUiManager::instance()->syncRunning() == 0 && !CSynDataManager::instance()->isRunning())
            CJobManager::instance()->synNow(false);
        return false;
    };
    QTRY_VERIFY_WITH_TIMEOUT(settled(), 30000);
    QVERIFY(standin().releaseHeld() && settleClient());
    QCOMPARE(memberHere(member), value);
    QVERIFY(fixture.restart() && settleClient());
    for (int pass = 0; pass < 2; ++pass) {
        CJobManager::instance()->synNow(false);
        QVERIFY(settleClient());
    }
    QCOMPARE(memberHere(member), value);
    QCOMPARE(memberThere(member), value);
    QVERIFY(machines[1]->restart() && settleClient());
    QCOMPARE(memberHere(member), value);
}

void FeedTwoMachinesTest::replyLeavingAMemberOutKeepsItHere_data()
{
    QTest::addColumn<QString>("member");
    QTest::addColumn<QString>("fault");  // what the reply does to the member (the stand-in's fault kinds)
    // How the other machine empties the member first, and the reply says
    // null for it: the path and the body.
    QTest::addColumn<QString>("emptied");
    for (const QString& member : kMembers.keys()) {
        if (kMembers.value(member).listType == JobType::ChapterContent)
            continue;
        QTest::newRow(qPrintable(member)) << member << "without" << "";
        // A pin that is none here reads as none from any faulty value.
        if (member != QLatin1String("memo pin"))
            QTest::newRow(qPrintable(member + QStringLiteral(", of another kind"))) << member << "mistyped" << "";
    }
    const QStringList emptied{
        R"(book introduction|/books/editBook {"book_id":5001,"book_name":"示例作品","intro":"","channel_type":2,"cate_id":2001})",
        R"(memo text|/memo/editMemo {"memo_id":13001,"content":""})",
        R"(card|/bookoutline/editOutline {"book_id":5001,"outline_id":11001,"content":""})",
        R"(volume|/volume/editVolume {"book_id":5001,"id":7001,"volume_name":""})"};
    for (const QString& row : emptied) {
        const QString member = row.section(QLatin1Char('|'), 0, 0);
        QTest::newRow(qPrintable(member + QStringLiteral(", emptied elsewhere, null")))
            << member << "null" << row.section(QLatin1Char('|'), 1);
    }
}

// A list or detail that leaves a member out, or sends it as a value of
// another kind (a faulty or hostile reply), tells nothing of it: the member
// stays as it is here, and the platform's copy is not touched either. A null
// is the platform's word for none: a member another machine emptied empties here.
void FeedTwoMachinesTest::replyLeavingAMemberOutKeepsItHere()
{
    QFETCH(QString, member);
    QFETCH(QString, fault);
    QFETCH(QString, emptied);
    const Member paths = kMembers.value(member);
    JobsFixture fixture;
    QVERIFY(startOneMachine(fixture));
    const QString before = memberHere(member);
    QCOMPARE(memberThere(member), before);
    QVERIFY(emptied.isEmpty()
            || !standin().callAs(QStringLiteral("machine1000000000000000000000000"), emptied.section(QLatin1Char(' '), 0, 0),
                                 QJsonDocument::fromJson(emptied.section(QLatin1Char(' '), 1).toUtf8()).object()).isEmpty());
    const QString expected = emptied.isEmpty() ? before : QString();
    QCOMPARE(memberThere(member), expected);
    QVERIFY(before != expected || emptied.isEmpty());
    const QString key = QString::fromLatin1(paths.there).section(QLatin1Char(' '), 3, 3);
    QVERIFY(standin().clearJournal() && standin().addFault(paths.list, fault + QLatin1Char(':') + key));
    QVERIFY(askAs(askedForMember(member)));
    QTRY_VERIFY_WITH_TIMEOUT(!JobsFixture::requestsTo(paths.list).isEmpty(), 15000);
    QVERIFY(settleClient());
    QCOMPARE(memberHere(member), expected);
    CJobManager::instance()->synNow(false);
    QVERIFY(settleClient());
    QCOMPARE(memberHere(member), expected);
    QCOMPARE(memberThere(member), expected);
}

void FeedTwoMachinesTest::memberChangedHereOverTextElsewhereStands_data()
{
    QTest::addColumn<QString>("member");  // changed here: "memo colour" or "memo pin" (also a place)
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("queued");  // here while the platform is out of reach
    QTest::addColumn<QString>("elsewhere");  // the other machine's change of the memo
    for (const bool queued : {false, true}) {
        const char* how = queued ? ", queued" : ", online from a stale copy";
        QTest::newRow(qPrintable(QStringLiteral("colour") + how)) << "memo colour" << "#C0FFEE" << queued << "";
        QTest::newRow(qPrintable(QStringLiteral("pin") + how)) << "memo pin" << "9001" << queued << "";
        QTest::newRow(qPrintable(QStringLiteral("place") + how)) << "memo pin" << "9002" << queued << "pinned";
    }
    QTest::newRow("nothing here, unpinned elsewhere") << "memo pin" << "0" << false << "unpin";
}

// The other machine writes in memo 13001 (or unpins it) and this one changes
// its colour, pins it or moves its pin before it has pulled that: online
// from a stale copy, or queued while the platform is out of reach. Both
// changes end here (stored, after a restart and syncs) and on the platform.
void FeedTwoMachinesTest::memberChangedHereOverTextElsewhereStands()
{
    QFETCH(QString, member);
    QFETCH(QString, value);
    QFETCH(bool, queued);
    QFETCH(QString, elsewhere);
    JobsFixture fixture;
    const QJsonObject pin{{"memo_id", 13001}, {"book_id", 5001}, {"chapter_id", 9001}, {"location", "1,2,0,0"}, {"update_time", 1700000050}};
    QVERIFY(elsewhere.isEmpty() || !platformCall(QStringLiteral("/memo/editMemo"), pin).isEmpty());
    QVERIFY(startOneMachine(fixture));
    const QString words = QStringLiteral("另一台在便签里写的");
    const QJsonObject change = elsewhere == QLatin1String("unpin")
                                   ? QJsonObject{{"memo_id", 13001}, {"book_id", 0}, {"chapter_id", 0}, {"location", ""}}
                                   : QJsonObject{{"memo_id", 13001}, {"content", words}};
    QVERIFY(!standin().callAs(QStringLiteral("machine1000000000000000000000000"), QStringLiteral("/memo/editMemo"), change).isEmpty());
    QVERIFY(standin().addFault(queued ? QStringLiteral("*") : QStringLiteral("/synchronization/synBookData"),
                               QStringLiteral("http500"), 0, queued ? -1 : 1));
    QVERIFY(elsewhere == QLatin1String("unpin") || changeMember(member, value));
    CJobManager::instance()->synNow(false);
    QVERIFY(settleClient() && standin().clearFaults());
    for (int turn = 0; turn < 3; ++turn) {
        QVERIFY(turn < 2 || fixture.restart());
        CJobManager::instance()->synNow(false);
        QVERIFY(settleClient());
        QTRY_VERIFY_WITH_TIMEOUT(fixture.jobIds().isEmpty(), 15000);
    }
    QCOMPARE(memberHere(member), value);
    QCOMPARE(memberThere(member), value);
    QCOMPARE(memberHere(QStringLiteral("memo text")), memberThere(QStringLiteral("memo text")));
    QVERIFY(elsewhere == QLatin1String("unpin") || memberHere(QStringLiteral("memo text")) == words);
}

void FeedTwoMachinesTest::chapterChangedWhileItsTextIsFetchedTakesTheOtherWords_data()
{
    QTest::addColumn<QString>("change");  // what the author does in A's tree
    QTest::addColumn<bool>("waits");       // its request fails: it waits for the next pass
    for (const char* change : {"renamed", "moved", "recycled"})
        QTest::newRow(change) << change << false;
    QTest::newRow("recycled, its request failing") << "recycled" << true;
}

// B writes in chapter 9001; A's pass asks for its text, and while the answer
// is on its way the author renames, drags or recycles the chapter in A's
// tree, which the platform answers first. B's words come in all the same and
// stay through syncs and a restart, A's change stands on both machines, and
// A writing on puts B's words with A's line on the platform, no copy made.
void FeedTwoMachinesTest::chapterChangedWhileItsTextIsFetchedTakesTheOtherWords()
{
    QFETCH(QString, change);
    QFETCH(bool, waits);
    std::unique_ptr<JobsFixture> machines[2];
    QVERIFY(startTwoMachines(machines));
    JobsFixture& fixture = *machines[0];
    QVERIFY(fixture.restart() && settleClient());
    const QString wordsOfB = QStringLiteral("乙在第一章写的段落");
    const QJsonObject save{{"chapter_id", 9001}, {"content", wordsOfB}, {"update_time", 1700000200}};
    QVERIFY(!standin().callAs(QStringLiteral("machine1000000000000000000000000"), QStringLiteral("/chapter/editChapter"), save).isEmpty());
    const QString text = QStringLiteral("/chapter/chapter");
    QVERIFY(standin().clearJournal() && standin().addFault(text, QStringLiteral("ok"), -1, 1));
    CJobManager::instance()->synNow(false);
    QTRY_VERIFY_WITH_TIMEOUT(!JobsFixture::requestsTo(text).isEmpty(), 15000);
    T_Book* book = demoBook();
    const T_Chapter* chapter = book->findChapterByChapterId(9001);
    const int localId = chapter->localId;
    const int localVolumeId = chapter->localVolumeId;
    CBookVolumeController* tree = CBookVolumeController::instance();
    tree->loadBook(book);
    if (change == QLatin1String("renamed"))
        tree->changeChapterName(localVolumeId, localId, 0, QStringLiteral("甲改的章名"));
    else if (change == QLatin1String("moved"))
        tree->moveChapter(0, localVolumeId, 1, localVolumeId, true);
    else
        QVERIFY((!waits || standin().addFault(QStringLiteral("/chapter/recycle"), QStringLiteral("http500")))
                && recycleChapter(9001, 0));
    QTRY_VERIFY_WITH_TIMEOUT(waits ? !JobsFixture::requestsTo(QStringLiteral("/chapter/recycle")).isEmpty()
                                   : fixture.jobIds().isEmpty(),
                             15000);
    QVERIFY(standin().releaseHeld() && settleClient());
    QCOMPARE(storedChapterText(localId), wordsOfB);
    QVERIFY(fixture.restart() && settleClient());
    for (int pass = 0; pass < 2; ++pass) {
        CJobManager::instance()->synNow(false);
        QVERIFY(settleClient());
    }
    QCOMPARE(storedChapterText(localId), wordsOfB);
    QCOMPARE(localState(), platformState());
    // The author's change, here and there.
    const auto stands = [&change]() {
        const QString named = QStringLiteral("9001:1:甲改的章名:");
        return change == QLatin1String("renamed") ? localState().contains(named) && platformState().contains(named)
               : change == QLatin1String("moved") ? memberHere(QStringLiteral("chapter place")) == QStringLiteral("2")
                                                    && memberThere(QStringLiteral("chapter place")) == QStringLiteral("2")
                                                  : localStatus(9001) == 0 && platformStatus(9001) == 0;
    };
    QVERIFY(stands());
    const int chapters = platformTexts().size();
    const QString writtenOn = wordsOfB + QStringLiteral("\n甲接着写的一行");
    QVERIFY(change == QLatin1String("recycled") || saveChapter(9001, writtenOn));
    QVERIFY(settleClient());
    CJobManager::instance()->synNow(false);
    QVERIFY(settleClient());
    QCOMPARE(platformTexts().size(), chapters);
    QVERIFY(change == QLatin1String("recycled") || platformTexts().contains(writtenOn));
    QCOMPARE(localState(), platformState());
    QVERIFY(machines[1]->restart() && settleClient());
    QCOMPARE(localState(), platformState());
    QVERIFY(stands());
}

namespace {
// Every text of the author's memos, outline cards and chapters, here or on
// the platform, to look words up in.
QString allWordsHere()
{
    QStringList out = localMemosAndOutlines();
    QSqlQuery query = CTessaneDb::instance()->newQuery();
    if (query.exec(QStringLiteral("select name || ':' || ifnull(content, '') from tb_chapter left join tb_chapter_text using (localId)")))
        while (query.next())
            out << query.value(0).toString();
    return out.join(QLatin1Char('\n'));
}

QString allWordsThere()
{
    QStringList out = platformMemosAndOutlines();
    for (const QJsonValue& value : standin().store().value(QStringLiteral("chapters")).toArray())
        out << value[QStringLiteral("chapter_name")].toString() + QLatin1Char(':') + value[QStringLiteral("content")].toString();
    return out.join(QLatin1Char('\n'));
}
} // namespace

void FeedTwoMachinesTest::refusedEditEndsAsThePlatformHoldsIt_data()
{
    QTest::addColumn<QString>("member");  // what the author changes (kMembers)
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("words");      // typed: kept as a copy
    QTest::addColumn<bool>("listOut");    // a list asked before the edit comes after the refusal
    const QStringList edits{"memo text|甲写的新字|1", "memo colour|#C0FFEE|0", "memo pin|9001|0", "card|甲写的新字|1",
                            "card order|2|0", "volume|甲改的卷名|1", "volume order|2|0", "book|甲改的书名|1",
                            "book introduction|甲改的简介|1", "chapter name|甲改的章名|1", "chapter text|甲写的新段落|1",
                            "chapter place|2|0", "chapter volume|第二卷|0", "chapter state|0|0", "chapter state|1|0"};
    for (const bool listOut : {false, true}) {
        for (const QString& edit : edits) {
            const QStringList row = edit.split(QLatin1Char('|'));
            const QString what = row.at(0) == QLatin1String("chapter state")
                                     ? (row.at(1) == QLatin1String("0") ? QStringLiteral("chapter recycled") : QStringLiteral("chapter restored"))
                                     : row.at(0);
            QTest::newRow(qPrintable(what + (listOut ? QStringLiteral(", a list out") : QString())))
                << row.at(0) << row.at(1) << (row.at(2) == QLatin1String("1")) << listOut;
        }
    }
}

// The author's edit waits (the platform out of reach), then the platform
// refuses it for good when the author synchronises. The author is told that
// it was refused and what, and the synchronisation is no success; both
// machines and the platform end with the platform's value, and words the
// author typed stay as a copy on all three. A list asked for before the edit
// and answered after the refusal changes nothing of that.
void FeedTwoMachinesTest::refusedEditEndsAsThePlatformHoldsIt()
{
    QFETCH(QString, member);
    QFETCH(QString, value);
    QFETCH(bool, words);
    QFETCH(bool, listOut);
    const Member paths = kMembers.value(member);
    std::unique_ptr<JobsFixture> machines[2];
    QVERIFY(startTwoMachines(machines));
    JobsFixture& fixture = *machines[0];
    QVERIFY(platformReadyFor(member, value) && fixture.restart() && settleClient());
    const QString before = memberThere(member);
    QCOMPARE(memberHere(member), before);
    QVERIFY(before != value);
    // The start's own result is no answer to what follows.
    CUiManager* ui = CUiManager::instance();
    QTRY_VERIFY_WITH_TIMEOUT(!ui->bookshelf()->getTop()->isSyncing(), 15000);
    toastsInTurn();
    if (listOut) {
        QVERIFY(standin().clearJournal() && standin().addFault(paths.list, QStringLiteral("ok"), -1, 1));
        QVERIFY(askAs(askedForMember(member)));
        QTRY_VERIFY_WITH_TIMEOUT(!JobsFixture::requestsTo(paths.list).isEmpty(), 15000);
    }
    // Nothing out but the list held.
    const auto passOver = [listOut]() {
        return CUiManager::instance()->syncRunning() == 0 && !CSynDataManager::instance()->isRunning()
               && CTessaneHttp::instance()->outstandingReplies() == (listOut ? 1 : 0);
    };
    // The edit goes at once, or a pass for it pulls the feed first: either fails.
    const auto tries = []() {
        return JobsFixture::queueJournal().size();
    };
    const int tried = tries();
    QVERIFY(standin().addFault(QStringLiteral("*"), QStringLiteral("http500"), 0, -1) && changeMember(member, value));
    QVERIFY(!fixture.jobIds().isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(tries() > tried && passOver(), 15000);
    QVERIFY(standin().clearFaults() && standin().addFault(paths.edit, QStringLiteral("code400")));
    CJobManager::instance()->synNow(true);
    QTRY_VERIFY_WITH_TIMEOUT(!ui->bookshelf()->getTop()->isSyncing() && passOver(), 15000);
    QVERIFY(standin().releaseHeld() && settleClient());
    // Told first what was refused (and where the words are), then that the
    // synchronisation failed.
    const QStringList seen = toastsInTurn();
    const QString told = seen.join(QLatin1Char('|'));
    QVERIFY2(seen.size() == 2 && seen.first().contains(QStringLiteral("refused")), qPrintable(told));
    QVERIFY2(seen.first().contains(QStringLiteral("(copy)")) == words, qPrintable(told));
    QCOMPARE(seen.constLast(), Widget_Bookshelf_Top::tr("Synchronization failure"));
    QCOMPARE(memberHere(member), before);
    QVERIFY(fixture.restart() && settleClient());
    for (int pass = 0; pass < 2; ++pass) {
        CJobManager::instance()->synNow(false);
        QVERIFY(settleClient());
    }
    QVERIFY(fixture.jobIds().isEmpty());
    QCOMPARE(memberHere(member), before);
    QCOMPARE(memberThere(member), before);
    // The words typed, kept once as a copy here and there.
    QVERIFY(!words || (allWordsHere().count(value) == 1 && allWordsThere().count(value) == 1));
    QVERIFY(machines[1]->restart() && settleClient());
    QCOMPARE(memberHere(member), before);
    QVERIFY(!words || allWordsHere().count(value) == 1);
}

// A rename goes at once and its answer is slow; the pass the author asks for
// meanwhile passes it over and ends before the platform refuses it. The
// refusal comes while the pass's success still waits to be shown: the
// author hears of the refusal, and of no success.
void FeedTwoMachinesTest::editRefusedWhileThePassEndsIsNoSuccess()
{
    const QString member = QStringLiteral("chapter name");
    std::unique_ptr<JobsFixture> machines[2];
    QVERIFY(startTwoMachines(machines));
    JobsFixture& fixture = *machines[0];
    QVERIFY(fixture.restart() && settleClient());
    CUiManager* ui = CUiManager::instance();
    QTRY_VERIFY_WITH_TIMEOUT(!ui->bookshelf()->getTop()->isSyncing(), 15000);
    toastsInTurn();
    QVERIFY(standin().addFault(QLatin1String(kMembers.value(member).edit), QStringLiteral("code400"), 1500));
    QVERIFY(changeMember(member, QStringLiteral("甲改的章名")));
    CJobManager::instance()->synNow(true);
    QTRY_VERIFY_WITH_TIMEOUT(!ui->bookshelf()->getTop()->isSyncing() && CTessaneHttp::instance()->outstandingReplies() == 0,
                             15000);
    QVERIFY(settleClient());
    const QStringList seen = toastsInTurn();
    const QString told = seen.join(QLatin1Char('|'));
    QVERIFY2(!seen.isEmpty() && seen.first().contains(QStringLiteral("refused")), qPrintable(told));
    QVERIFY2(!seen.contains(Widget_Bookshelf_Top::tr("Synchronous success")), qPrintable(told));
}

int runFeedTwoMachinesTests(int argc, char** argv)
{
    FeedTwoMachinesTest test;
    return runPart(&test, argc, argv);
}

#include "tst_FeedTwoMachines.moc"
