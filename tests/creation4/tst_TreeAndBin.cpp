// The chapter tree's "Time Machine" entry, the recycle bin's menu at the
// window's bottom edge, and how opening a book places the writing window.

#include "CreationFixture.h"
#include "WhenShown.h"

#include "db/records/T_Book.h"
#include "db/records/T_Chapter.h"
#include "db/records/T_Volume.h"
#include "manager/CBookJobManager.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"
#include "outline/COutlineController.h"
#include "remote/records/BookRecords.h"
#include "remote/records/ChapterRecords.h"
#include "remote/records/OutlineRecords.h"
#include "ui/common/BkMessageBox.h"
#include "ui/common/FileDialogs.h"
#include "ui/creation/Dialog_TimeMachine.h"
#include "ui/creation/Widget_Creation.h"
#include "ui/creation/Widget_Creation_Content.h"
#include "ui/creation/Widget_Creation_Left.h"
#include "ui/creation/Widget_Creation_Top.h"
#include "ui/creation/Widget_RecycleBin.h"
#include "volume/CBookChapterModel.h"
#include "volume/CBookChapterSortModel.h"
#include "volume/CBookVolumeController.h"
#include "volume/CBookVolumeModel.h"

#include <QColor>
#include <QCursor>
#include <QFile>
#include <QFileDialog>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QQuickItem>
#include <QQuickWidget>
#include <QTemporaryDir>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QWindow>

namespace {

bool addVersion(T_Book* book, T_Chapter* chapter, const QString& text)
{
    TC_Chapter_ContentBlade blade;
    blade.header.localBookId = book->localId;
    blade.header.localChapterId = chapter->localId;
    blade.content = text;
    blade.chapterName = chapter->name;
    return CJobManager::instance()->chapter_contentBlade(blade);
}

bool recycle(T_Book* book, T_Chapter* chapter)
{
    TC_Chapter_Recycle request;
    request.header.localBookId = book->localId;
    request.header.localVolumeId = chapter->localVolumeId;
    request.header.localChapterId = chapter->localId;
    request.status = 0;
    return CJobManager::instance()->chapter_recycle(request);
}

// The tree panel's item of the given kind whose property has the value.
QQuickItem* panelItem(const char* className, const char* property, const QVariant& value,
                      QQuickItem* from = nullptr)
{
    if (from == nullptr)
        from = CBookVolumeController::instance()->getQuickWidget()->rootObject();
    for (QQuickItem* item : from->childItems()) {
        if (!item->isVisible())
            continue;
        if (item->inherits(className) && (property == nullptr || item->property(property) == value))
            return item;
        if (QQuickItem* inner = panelItem(className, property, value, item))
            return inner;
    }
    return nullptr;
}

// A click on the tree's tool button with that glyph.
bool clickTool(const QString& glyph)
{
    QQuickItem* tool = panelItem("QQuickRectangle", "glyph", glyph);
    // A button rests a moment after each click.
    if (tool == nullptr || !QTest::qWaitFor([tool]() { return tool->isEnabled(); }))
        return false;
    QTest::mouseClick(CBookVolumeController::instance()->getQuickWidget(), Qt::LeftButton, {},
                      tool->mapToScene(QPointF(tool->width() / 2, tool->height() / 2)).toPoint());
    return true;
}

void typeKeys(QWidget* window, const QByteArray& keys)
{
    for (char key : keys)
        QTest::keyClick(window->windowHandle(), key);
}

// A book made by hand, waited for until the platform has given it, its
// volume and its chapter their ids.
T_Book* onThePlatform(const QString& name)
{
    TC_Books_AddBook request(name, 1700000000, 1700000000, QString());
    T_Book* book = CBookJobManager::instance()->books_add(request, false);
    const bool ready = book != nullptr && BooksFixture::waitUntil([book]() {
        return book->bookId > 0 && !book->volumeList.isEmpty() && book->volumeList.first()->volumeId > 0
               && !book->chapterList.isEmpty() && book->chapterList.first()->chapterId > 0;
    });
    return ready ? book : nullptr;
}

QQuickItem* openNameBox()
{
    return panelItem("QQuickTextInput", nullptr, QVariant());
}

// Whether the item is wholly in the part of the tree the pane shows.
bool inTreeView(const QQuickItem* item)
{
    auto* list = CBookVolumeController::instance()->getQuickWidget()->rootObject()->findChild<QQuickItem*>(
        QStringLiteral("volumeList"));
    return item != nullptr && list->boundingRect().contains(item->mapRectToItem(list, item->boundingRect()));
}

} // namespace

class TreeAndBinTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void timeMachineFromTheTreeShowsTheChapterOfTheMenu();
    void newChapterNameBoxTakesTheKeys_data();
    void newChapterNameBoxTakesTheKeys();
    void recycleMenuStaysAboveTheWindowBottom();
    void treeNeverShowsAChapterThatIsGone();
    void aSyncUnderAnOpenMenuOrQuestionKeepsTheClient_data();
    void aSyncUnderAnOpenMenuOrQuestionKeepsTheClient();
    void openingUnderALockKeepsTheLockedWindow();
    void sizeModeTwoFillsTheScreenAndTheMaxButtonRestoresTheNormalWindow();
    void chooserWhoseParentGoesWhileItRunsChoosesNothing();

private:
    CreationFixture* m_f = nullptr;
};

void TreeAndBinTest::initTestCase()
{
    m_f = new CreationFixture();
    QVERIFY(m_f->up());
}

void TreeAndBinTest::cleanupTestCase()
{
    CPublicManager::instance()->userConf.writeLock = T_WriteLock();
    CPublicManager::instance()->userInfo.windowSize = 1;
    CUiManager::instance()->setWindowFullScreen(false);
    delete m_f;
}

void TreeAndBinTest::timeMachineFromTheTreeShowsTheChapterOfTheMenu()
{
    T_Book* book = m_f->offlineBook(QStringLiteral("时光"));
    QVERIFY(book);
    T_Chapter* first = book->chapterList.at(0);
    T_Chapter* second = book->chapterList.at(1);
    QVERIFY(addVersion(book, first, QStringLiteral("第一章的旧稿")));
    QVERIFY(m_f->open(book));
    QCOMPARE(m_f->pane()->currentChapter(), second);

    QStringList labels;
    QString shown;
    QWidget* parent = nullptr;
    whenShown<Dialog_TimeMachine>([&](Dialog_TimeMachine* dialog) {
        labels = dialog->labels();
        shown = dialog->findChild<QTextBrowser*>(QStringLiteral("text_blade_content"))->toPlainText();
        parent = dialog->parentWidget();
        dialog->accept();
    });
    QTimer::singleShot(0, []() {
        chooseInMenu(QCoreApplication::translate("CBookVolumeController", "Time Machine"));
    });
    // The tree's right click on the first chapter while the second is open.
    CBookVolumeController::instance()->showMenu(1, QPoint(300, 200), first->localVolumeId, first->localId);
    QCOMPARE(labels.size(), 1);
    QVERIFY(shown.contains(QStringLiteral("第一章的旧稿")));
    QCOMPARE(parent, static_cast<QWidget*>(m_f->window()));
    QCOMPARE(m_f->pane()->currentChapter(), second);
}

void TreeAndBinTest::newChapterNameBoxTakesTheKeys_data()
{
    QTest::addColumn<QString>("first");  // what makes the first new row
    QTest::addColumn<int>("chapters");   // chapters added beforehand
    QTest::newRow("+章, then +卷") << QStringLiteral("+章") << 0;
    QTest::newRow("导入章节") << QStringLiteral("导入章节") << 0;
    QTest::newRow("+卷 first") << QStringLiteral("+卷") << 0;
    QTest::newRow("+卷 in a tree longer than its pane") << QStringLiteral("+卷") << 40;
    QTest::newRow("+章 in a tree longer than its pane") << QStringLiteral("+章") << 40;
}

void TreeAndBinTest::newChapterNameBoxTakesTheKeys()
{
    QFETCH(QString, first);
    QFETCH(int, chapters);
    // A book on the platform: its answer to a new volume brings the book's
    // volume list, which the tree takes in while the name is typed.
    const QString name = first + QString::number(chapters);
    T_Book* book = first == QStringLiteral("+卷") ? onThePlatform(name) : m_f->offlineBook(name);
    QVERIFY(book);
    const T_Volume* firstVolume = book->volumeList.first();
    for (int order = 2; order < 2 + chapters; ++order) {
        TC_Chapter_Add add(book->localId, book->bookId, firstVolume->localId, firstVolume->volumeId, 1700000000,
                           order, QStringLiteral("第%1章").arg(order));
        QVERIFY(CJobManager::instance()->chapter_add(add));
    }
    // The chapter that opens is marked and in view: the last, or in a long
    // tree under +章 the first, far from the new chapter's row.
    const bool far = first == QStringLiteral("+章") && chapters > 0;
    T_Chapter* opened = far ? book->chapterList.first() : book->chapterList.last();
    book->lastEditChapterId = opened->localId;
    QVERIFY(m_f->open(book));
    QTRY_VERIFY(inTreeView(panelItem("QQuickText", "text", opened->name)));
    QCOMPARE(panelItem("QQuickText", "text", opened->name)->property("color").value<QColor>(), QColor(Qt::white));
    const int count = book->chapterList.size();
    const bool imported = first == QStringLiteral("导入章节");
    if (imported) {
        QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("章.txt")));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("导入的正文") > 0);
        file.close();
        whenShown<QFileDialog>([&file](QFileDialog* files) {
            // The path typed into the name field, as an author may.
            files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(file.fileName());
            QMetaObject::invokeMethod(files, "accept", Qt::DirectConnection);
        });
        QTimer::singleShot(0, []() { chooseInMenu(QCoreApplication::translate("CBookVolumeController", "Import")); });
        CBookVolumeController::instance()->showMenu(0, QPoint(300, 200), book->volumeList.first()->localId, -1);
    }
    // The window is active, as the window manager gives it back after the chooser.
    m_f->window()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_f->window()));
    T_Chapter* chapter = nullptr;
    if (first != QStringLiteral("+卷")) {
        QVERIFY(imported || clickTool(QStringLiteral("+章")));
        QTRY_COMPARE(book->chapterList.size(), count + 1);
        chapter = book->chapterList.last();
        QTRY_VERIFY(inTreeView(openNameBox()));
        // The author types the name at once, through the window as keys arrive.
        typeKeys(m_f->window(), "xyz");
    }
    if (!imported) {
        // "+卷" stores the chapter's name; the volume's box, as tall as a
        // line of its text and in the tree's view, takes the keys next.
        const int volumes = book->volumeList.size();
        QSignalSpy reloaded(CBookVolumeController::instance(), &CBookVolumeController::sigBookReloaded);
        QVERIFY(clickTool(QStringLiteral("+卷")));
        QTRY_COMPARE(book->volumeList.size(), volumes + 1);
        if (book->bookId > 0)
            QTRY_VERIFY_WITH_TIMEOUT(!reloaded.isEmpty(), 20000);
        if (chapter != nullptr)
            QTRY_COMPARE(chapter->name, QStringLiteral("xyz"));
        const T_Volume* volume = book->volumeList.last();
        QTRY_VERIFY(openNameBox() && openNameBox()->property("text").toString() == volume->volumeName);
        QVERIFY(openNameBox()->height() >= openNameBox()->implicitHeight());
        QTRY_VERIFY(inTreeView(openNameBox()));
        // The window manager settles the window meanwhile: its floating parts
        // are placed again (the outline ball at the edge) around the name.
        auto* ball = m_f->pane()->findChild<QWidget*>(QStringLiteral("OutlineBall"));
        m_f->window()->resize(m_f->window()->width() + 40, m_f->window()->height());
        QTRY_COMPARE(ball->x(), m_f->pane()->width() - ball->width() / 2);
        // A key, then words through the input method, where it sends them.
        typeKeys(m_f->window(), "v");
        m_f->type(QStringLiteral("卷名"), QApplication::focusWidget());
        QTest::keyClick(m_f->window()->windowHandle(), Qt::Key_Return);
        QTRY_COMPARE(volume->volumeName, QStringLiteral("v卷名"));
    }
    if (chapter == nullptr)
        return;
    QTest::keyClick(m_f->window()->windowHandle(), Qt::Key_Return);
    QTRY_COMPARE(chapter->name, QStringLiteral("xyz"));
    QVERIFY(openNameBox() == nullptr);
    QCOMPARE(m_f->pane()->toPlainText(), imported ? QStringLiteral("导入的正文") : QString());
}

void TreeAndBinTest::recycleMenuStaysAboveTheWindowBottom()
{
    T_Book* book = m_f->offlineBook(QStringLiteral("回收"));
    QVERIFY(book);
    T_Chapter* gone = book->chapterList.at(0);
    QVERIFY(recycle(book, gone));
    QVERIFY(m_f->open(book));
    // A volume name that looks like markup is the author's words.
    const QString volumeName = QStringLiteral("<b>卷</b>");
    CBookVolumeController::instance()->changeVolumeName(0, volumeName);
    // The tree's recycle button.
    CBookVolumeController::instance()->openRecycleBin();
    Widget_RecycleBin* bin = m_f->window()->chapterPane()->recycleBin();
    QVERIFY(bin);
    QVERIFY(QTest::qWaitForWindowExposed(bin));
    const auto* volume = bin->findChild<QLabel*>(QStringLiteral("label_volumeName"));
    QCOMPARE(volume->text(), volumeName);
    QVERIFY(volume->sizeHint().width() >= volume->fontMetrics().horizontalAdvance(volumeName));
    auto* list = bin->findChild<QListView*>(QStringLiteral("recycle_listview"));
    const QPoint row = list->visualRect(list->model()->index(0, 0)).center();

    const QRect window = m_f->window()->geometry();
    const int menuHeight = bin->menu()->sizeHint().height();
    // Near the bottom edge the menu opens upwards, ending at the cursor.
    const QPoint low(window.x() + 40, window.bottom() - menuHeight / 2);
    QCursor::setPos(low);
    QTest::mouseClick(list->viewport(), Qt::RightButton, {}, row);
    QVERIFY(bin->menu()->isVisible());
    QCOMPARE(bin->menu()->pos(), QPoint(low.x(), low.y() - menuHeight));
    bin->menu()->hide();

    // With room below, it opens at the cursor.
    const QPoint high(window.x() + 40, window.y() + 40);
    QCursor::setPos(high);
    QTest::mouseClick(list->viewport(), Qt::RightButton, {}, row);
    QVERIFY(bin->menu()->isVisible());
    QCOMPARE(bin->menu()->pos(), high);
    bin->menu()->hide();
    m_f->window()->chapterPane()->closeRecycleBin();
}

// A chapter deleted for good here, or by the platform while the book is
// open, leaves the tree at once; a drag right after records a move of live
// chapters only, and nothing stays waiting in the queue.
void TreeAndBinTest::treeNeverShowsAChapterThatIsGone()
{
    TC_Books_AddBook made(QStringLiteral("删章之后"), 1700000000, 1700000000, QString());
    QVERIFY(CJobManager::instance()->books_add(made));
    T_Book* book = CPublicManager::instance()->findBookByLocalId(made.header.localBookId);
    QVERIFY(book);
    const int localVolumeId = book->volumeList.first()->localId;
    for (int order = 2; order <= 4; ++order) {
        TC_Chapter_Add add(book->localId, 0, localVolumeId, 0, 1700000000, order, QStringLiteral("第%1章").arg(order));
        QVERIFY(CJobManager::instance()->chapter_add(add));
    }
    // Earlier cases leave jobs of books the platform never saw: only this
    // book's are waited for.
    const QString jobsOfBook = QStringLiteral("select count(*) from tb_job where localBookId = %1").arg(book->localId);
    const auto settled = [&]() {
        return BooksFixture::scalar(jobsOfBook).toInt() == 0 && CUiManager::instance()->syncRunning() == 0;
    };
    QVERIFY(BooksFixture::waitUntil(settled));
    QVERIFY(m_f->open(book));
    const auto rows = [localVolumeId]() {
        QList<int> ids;
        const CBookChapterSortModel* list =
            CBookVolumeController::instance()->volumeModel()->getChapterSortModelByLocalId(localVolumeId);
        for (int row = 0; list && row < list->rowCount(); ++row)
            ids << list->index(row, 0).data(CBookChapterModel::LocalIdRole).toInt();
        return ids;
    };
    QCOMPARE(rows().size(), 4);

    const int deleted = rows().at(1);
    QVERIFY(recycle(book, book->findChapterByLocalId(deleted)));
    CBookVolumeController::instance()->openRecycleBin();
    Widget_RecycleBin* bin = m_f->window()->chapterPane()->recycleBin();
    QVERIFY(bin && bin->currentChapter());
    bin->menu()->actions().at(0)->trigger();  // Delete
    QVERIFY(!rows().contains(deleted));
    // The delete goes with a pass of its own; the feed below comes with the next.
    QVERIFY(BooksFixture::waitUntil(settled));

    const int gone = rows().at(1);
    standin().pushFeed(StandinServer::demoUid(),
                       {QJsonObject{{QStringLiteral("change_type"), 7}, {QStringLiteral("book_id"), book->bookId},
                                    {QStringLiteral("chapter_id"), book->findChapterByLocalId(gone)->chapterId},
                                    {QStringLiteral("extra"), QString()}}});
    CJobManager::instance()->synNow(false);
    QVERIFY(BooksFixture::waitUntil([book, gone]() { return book->findChapterByLocalId(gone) == nullptr; }));
    QCOMPARE(rows().size(), 2);
    QVERIFY(!rows().contains(gone));

    // The first row dragged below the last: one move, and nothing waits.
    const int dragged = rows().first();
    const int moves = BooksFixture::sent(QStringLiteral("/chapter/move"));
    CBookVolumeController::instance()->moveChapter(0, localVolumeId, 1, localVolumeId, true);
    QVERIFY(BooksFixture::waitUntil(settled));
    QCOMPARE(BooksFixture::sent(QStringLiteral("/chapter/move")), moves + 1);
    QCOMPARE(rows().last(), dragged);

    // Recycled by another machine, it leaves the tree with the feed too; a
    // move of it, or onto it, is refused and records nothing.
    const int recycled = rows().first();
    const QJsonObject elsewhere{{QStringLiteral("book_id"), book->bookId}, {QStringLiteral("status"), 0},
                                {QStringLiteral("chapter_id"), book->findChapterByLocalId(recycled)->chapterId},
                                {QStringLiteral("update_time"), 1700000100}};
    QVERIFY(!standin().callAs(QStringLiteral("machine1000000000000000000000000"), QStringLiteral("/chapter/recycle"),
                              elsewhere).isEmpty());
    CJobManager::instance()->synNow(false);
    QVERIFY(BooksFixture::waitUntil([&]() { return !rows().contains(recycled) && settled(); }));
    for (const bool onto : {false, true}) {
        TC_Chapter_Move move;
        move.header.localBookId = book->localId;
        move.localFromVolumeId = move.localToVolumeId = localVolumeId;
        move.localFromChapterId = onto ? dragged : recycled;
        move.localToChapterId = onto ? recycled : dragged;
        QVERIFY(!CJobManager::instance()->chapter_move(move));
    }
    QCOMPARE(BooksFixture::scalar(jobsOfBook).toInt(), 0);
    bin->close();
}

// Another machine's change pulled in while a menu or question of a panel is
// open drops the row it was opened on; the client goes on, and what is
// chosen then acts on the chapter or volume by id, or on nothing once gone.
void TreeAndBinTest::aSyncUnderAnOpenMenuOrQuestionKeepsTheClient_data()
{
    QTest::addColumn<QString>("entry");  // of the tree's menu; empty: an outline card's delete button
    QTest::addColumn<QString>("path");   // the other machine's call
    QTest::newRow("chapter menu, chapter moved") << QStringLiteral("Rename Chapter") << QStringLiteral("/chapter/move");
    QTest::newRow("volume menu, volume gone") << QStringLiteral("Rename Volume") << QStringLiteral("/volume/recycle");
    QTest::newRow("its delete question, chapter recycled")
        << QStringLiteral("Delete Chapter") << QStringLiteral("/chapter/recycle");
    QTest::newRow("outline delete question, outline deleted") << QString() << QStringLiteral("/bookoutline/delOutline");
}

void TreeAndBinTest::aSyncUnderAnOpenMenuOrQuestionKeepsTheClient()
{
    QFETCH(QString, entry);
    QFETCH(QString, path);
    // The menu is opened on the first volume or its chapter; a second
    // volume holds the open chapter.
    static int count = 0;
    T_Book* book = onThePlatform(QStringLiteral("同步菜单%1").arg(++count));
    QVERIFY(book);
    CBookVolumeController* tree = CBookVolumeController::instance();
    const T_Volume first = *book->volumeList.first();
    const T_Chapter target = *book->chapterList.first();
    const T_Volume* second = tree->createVolume(book, false);
    QVERIFY(second && BooksFixture::waitUntil([second]() { return second->volumeId > 0; }));
    TC_Chapter_Add add(book->localId, book->bookId, second->localId, second->volumeId, 1700000000, 1,
                       QStringLiteral("开"));
    TC_BookOutline_Create outline(book->bookId, book->localId, 0, 0, 1, 1, 1700000000, QString(), QStringLiteral("纲"));
    QVERIFY(CJobManager::instance()->chapter_add(add)
            && (!entry.isEmpty() || CBookJobManager::instance()->outline_create(outline)));
    const QString jobs = QStringLiteral("select count(*) from tb_job where localBookId = %1").arg(book->localId);
    T_Chapter* open = book->findChapterByLocalId(add.header.localChapterId);
    QVERIFY(BooksFixture::waitUntil([&]() { return BooksFixture::scalar(jobs).toInt() == 0 && open->chapterId > 0; }));
    book->lastEditChapterId = open->localId;
    QVERIFY(m_f->open(book));
    tree->expand(first.localId, true);

    const QJsonObject move{{QStringLiteral("from_chapter_id"), target.chapterId},
                           {QStringLiteral("to_chapter_id"), open->chapterId},
                           {QStringLiteral("to_volume_id"), second->volumeId}, {QStringLiteral("direction"), 1}};
    const int outlineId = entry.isEmpty() ? book->outline.outlineList.first()->outlineId : 0;
    const QJsonObject body{{QStringLiteral("book_id"), book->bookId}, {QStringLiteral("chapter_id"), target.chapterId},
                           {QStringLiteral("id"), first.volumeId}, {QStringLiteral("status"), 0},
                           {QStringLiteral("type"), 0}, {QStringLiteral("update_time"), 1700000100},
                           {QStringLiteral("outline_id"), outlineId},
                           {QStringLiteral("move_order"), QString::fromUtf8(QJsonDocument(QJsonArray{move}).toJson())}};
    // The other machine's change, pulled in while the menu or box is up,
    // until the item clicked has gone with its row.
    QPointer<QQuickItem> clicked;
    const auto sync = [&]() {
        QVERIFY(!standin().callAs(QStringLiteral("machine1000000000000000000000000"), path, body).isEmpty());
        CJobManager::instance()->synNow(false);
        QVERIFY(BooksFixture::waitUntil([&clicked]() { return clicked.isNull(); }));
    };
    const bool asks = entry.isEmpty() || entry == QLatin1String("Delete Chapter");
    bool done = false;
    whenShown<QMenu>([&](QMenu*) {
        if (!asks)
            sync();
        chooseInMenu(QCoreApplication::translate("CBookVolumeController", qPrintable(entry)));
        done = done || !asks;
    }, true);
    whenShown<BkMessageBox>([&](BkMessageBox* box) {
        sync();
        box->textButtons().at(0)->click();
        done = true;
    });
    QQuickWidget* panel = entry.isEmpty() ? COutlineController::instance()->getWidget() : tree->getQuickWidget();
    if (entry.isEmpty()) {
        m_f->pane()->openOutline();
        QQuickItem* card = nullptr;
        QTRY_VERIFY((card = panelItem("QQuickItem", "editingNow", false, panel->rootObject())) != nullptr);
        QVERIFY(QMetaObject::invokeMethod(card, "beginEdit"));
        QTRY_VERIFY((clicked = panelItem("QQuickImage", "defaultIcon", "qrc:/outline/image/btn_delete.svg", card)));
    } else {
        const QString name = entry == QLatin1String("Rename Volume") ? first.volumeName : target.name;
        QTRY_VERIFY((clicked = panelItem("QQuickText", "text", name)));
    }
    QTest::mouseClick(panel, entry.isEmpty() ? Qt::LeftButton : Qt::RightButton, {},
                      clicked->mapToScene(clicked->boundingRect().center()).toPoint());
    QTRY_VERIFY(done);
    // The chapter's name box opens where it went; the volume now first has
    // none; nothing is recorded. (The platform's outline delete records its own.)
    QVERIFY(entry.isEmpty() || BooksFixture::scalar(jobs).toInt() == 0);
    const CBookChapterModel* list = tree->volumeModel()->getChapterModelByLocalId(second->localId);
    const int row = list->rowOfLocalId(target.localId);
    QCOMPARE(row >= 0 && list->getItem(row).editing, path == QLatin1String("/chapter/move"));
    QVERIFY(!tree->volumeModel()->index(0, 0).data(CBookVolumeModel::VolumeEditingRole).toBool());
}

void TreeAndBinTest::openingUnderALockKeepsTheLockedWindow()
{
    CUiManager* ui = CUiManager::instance();
    T_Book* first = m_f->offlineBook(QStringLiteral("锁一"));
    T_Book* second = m_f->offlineBook(QStringLiteral("锁二"));
    QVERIFY(first && second);
    QVERIFY(m_f->open(first));
    QVERIFY(!ui->isFullScreen());
    // A word goal in force, then back to the shelf and into another book.
    T_WriteLock& lock = CPublicManager::instance()->userConf.writeLock;
    lock.lockType = 1;
    lock.lockWords = 500;
    ui->closeCreation();
    QVERIFY(m_f->open(second));
    QVERIFY(ui->isFullScreen());
    QVERIFY(m_f->window()->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
    QCOMPARE(m_f->window()->getLeft()->parentWidget(), static_cast<QWidget*>(m_f->window()));
    // Escape does not leave it while the lock holds.
    QTest::keyClick(m_f->window(), Qt::Key_Escape);
    QVERIFY(ui->isFullScreen());

    lock = T_WriteLock();
    ui->setWritingLock(false, false);
    QVERIFY(!ui->isFullScreen());
    QVERIFY(!m_f->window()->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
}

void TreeAndBinTest::sizeModeTwoFillsTheScreenAndTheMaxButtonRestoresTheNormalWindow()
{
    CUiManager* ui = CUiManager::instance();
    T_Book* book = m_f->offlineBook(QStringLiteral("满屏"));
    QVERIFY(book);
    CPublicManager::instance()->userInfo.windowSize = 1;
    QVERIFY(m_f->open(book));
    const QRect normal = m_f->window()->geometry();
    ui->closeCreation();

    CPublicManager::instance()->userInfo.windowSize = 2;
    QVERIFY(m_f->open(book));
    QScreen* screen = QGuiApplication::primaryScreen();
    QRect expected = screen->availableGeometry();
    if (expected == screen->geometry())
        expected.setHeight(expected.height() - 2);
    // A screen smaller than the window's minimum leaves the minimum.
    expected.setSize(expected.size().expandedTo(m_f->window()->minimumSize()));
    QCOMPARE(m_f->window()->geometry(), expected);
    QVERIFY(!ui->isFullScreen());

    // The maximise button goes back to size mode 1 and the normal geometry.
    QTest::mouseClick(m_f->window()->getTop()->findChild<QPushButton*>(QStringLiteral("btn_max")), Qt::LeftButton);
    QCOMPARE(CPublicManager::instance()->userInfo.windowSize, 1);
    QCOMPARE(m_f->window()->geometry(), normal);
}

// The tree's import and export choose files in a chooser of their own; one
// whose parent goes while it is up (its window released) went with it.
void TreeAndBinTest::chooserWhoseParentGoesWhileItRunsChoosesNothing()
{
    QPointer<QWidget> parent = new QWidget;
    QTimer::singleShot(0, qApp, [&parent]() { delete parent.data(); });
    QCOMPARE(FileDialogs::openFile(parent, QStringLiteral("导入章节"), FileDialogs::ChapterImport,
                                   FileDialogs::textFilter()),
             QString());
    QVERIFY(parent.isNull());
}

int runTreeAndBinTests(int argc, char** argv)
{
    TreeAndBinTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_TreeAndBin.moc"
