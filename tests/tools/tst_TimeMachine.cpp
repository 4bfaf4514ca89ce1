// The time machine on a real database: versions recorded by the chapter
// version operation, listed newest first, compared and restored through the
// chapter content save.

#include "BooksFixture.h"
#include "ScreenshotTheme.h"

#include "db/CTessaneDb.h"
#include "db/records/T_Book.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "ui/creation/Dialog_TimeMachine.h"
#include "ui/creation/Widget_CompareHint.h"

#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QSqlQuery>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>

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

// Versions recorded within one second share a time; spread them a minute apart, oldest first.
void spreadVersionTimes()
{
    QSqlQuery query = CTessaneDb::instance()->newQuery();
    QVERIFY(query.exec(QStringLiteral("update tb_contentblade set createTime = 1700000000 + localId * 60;")));
}

bool saveText(T_Book* book, T_Chapter* chapter, const QString& text)
{
    TC_Chapter_Edit_Content save;
    save.header.localBookId = book->localId;
    save.header.localChapterId = chapter->localId;
    save.content = text;
    save.updateTime = 1700000000;
    save.isSendToSrv = false;
    return CJobManager::instance()->chapter_edit_content(save);
}

QString currentPage(const QDialog& dialog)
{
    return dialog.findChild<QStackedWidget*>(QStringLiteral("stackedWidget"))->currentWidget()->objectName();
}
}

class TimeMachineTest : public QObject
{
    Q_OBJECT
private slots:
    void chapterWithoutVersionsOpensOnEmptyPage();
    void opensOnNewestOfAtMostTenVersions();
    void clickComparesAnotherVersion();
    void markedTextColoursEditsAndKeepsMarkupAsItStands();
    void restoreSavesTheVersionAndRecountsWords();
    void restoreOfChapterTheEditorNeverShowedComparesWithStoredText();
    void restoreOfOnlineChapterIsSentToThePlatform();
    void tipsButtonShowsAndHidesTheLegend();
    void screenshot();
};

void TimeMachineTest::chapterWithoutVersionsOpensOnEmptyPage()
{
    BooksFixture f;
    QVERIFY(f.up());
    T_Book* book = f.offlineBook(QStringLiteral("空"));
    QVERIFY(book);
    Dialog_TimeMachine dialog(book->chapterList.first());
    dialog.show();
    QCOMPARE(currentPage(dialog), QStringLiteral("page_2"));
    QVERIFY(dialog.labels().isEmpty());
    // Nothing to restore: the chapter stays as it was.
    dialog.restoreVersion();
    QVERIFY(!BooksFixture::jobTypes().contains(1016));
}

void TimeMachineTest::opensOnNewestOfAtMostTenVersions()
{
    BooksFixture f;
    QVERIFY(f.up());
    T_Book* book = f.offlineBook(QStringLiteral("版本"));
    QVERIFY(book);
    T_Chapter* chapter = book->chapterList.first();
    for (int i = 1; i <= 12; ++i)
        QVERIFY(addVersion(book, chapter, QStringLiteral("第%1版").arg(i)));
    spreadVersionTimes();
    QVERIFY(saveText(book, chapter, QStringLiteral("第12版")));

    Dialog_TimeMachine dialog(chapter);
    dialog.show();
    QCOMPARE(currentPage(dialog), QStringLiteral("page"));
    QCOMPARE(dialog.labels().size(), 10);
    QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("labelCount"))->text(), QStringLiteral("Version List(1/10)"));
    QCOMPARE(dialog.currentIndex(), 0);
    auto* list = dialog.findChild<QListView*>(QStringLiteral("listView"));
    QCOMPARE(list->model()->rowCount(), 10);
    QCOMPARE(list->currentIndex().row(), 0);
    // Newest first: the labels' times go down.
    QVERIFY(dialog.labels().first() > dialog.labels().last());
    // The newest version equals the current text: one plain span, no colours.
    const QString current = dialog.findChild<QTextBrowser*>(QStringLiteral("text_blade_current_content"))->toPlainText();
    QCOMPARE(current, QStringLiteral("第12版"));
    QCOMPARE(VersionCompare::markedRuns(QStringLiteral("第12版"), QStringLiteral("第12版")),
             (QVector<CompareRun>{{CompareRun::Unchanged, QStringLiteral("第12版"), false}}));
    QCOMPARE(dialog.findChild<QTextBrowser*>(QStringLiteral("text_blade_content"))->toPlainText(), QStringLiteral("第12版"));
}

void TimeMachineTest::clickComparesAnotherVersion()
{
    BooksFixture f;
    QVERIFY(f.up());
    T_Book* book = f.offlineBook(QStringLiteral("点击"));
    QVERIFY(book);
    T_Chapter* chapter = book->chapterList.first();
    QVERIFY(addVersion(book, chapter, QStringLiteral("旧的开头")));
    QVERIFY(addVersion(book, chapter, QStringLiteral("新的开头")));
    spreadVersionTimes();
    QVERIFY(saveText(book, chapter, QStringLiteral("新的开头和结尾")));

    Dialog_TimeMachine dialog(chapter);
    dialog.show();
    auto* list = dialog.findChild<QListView*>(QStringLiteral("listView"));
    const QRect row1 = list->visualRect(list->model()->index(1, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row1.center());
    QCOMPARE(dialog.currentIndex(), 1);
    QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("labelCount"))->text(), QStringLiteral("Version List(2/2)"));
    QCOMPARE(dialog.findChild<QTextBrowser*>(QStringLiteral("text_blade_content"))->toPlainText(), QStringLiteral("旧的开头"));
    const QString html = dialog.findChild<QTextBrowser*>(QStringLiteral("text_blade_current_content"))->toHtml();
    QVERIFY(html.contains(QStringLiteral("#ff0000")));
    QVERIFY(html.contains(QStringLiteral("#0000ff")));

    // Out-of-range rows change nothing.
    dialog.compareVersion(5);
    dialog.compareVersion(-1);
    QCOMPARE(dialog.currentIndex(), 1);
}

void TimeMachineTest::markedTextColoursEditsAndKeepsMarkupAsItStands()
{
    using R = CompareRun;
    QCOMPARE(VersionCompare::markedRuns(QStringLiteral("甲乙"), QStringLiteral("甲丙")),
             (QVector<R>{{R::Unchanged, QStringLiteral("甲"), false}, {R::Deleted, QStringLiteral("乙"), false},
                         {R::Inserted, QStringLiteral("丙"), false}}));
    // Markup characters are text: shown as typed, never read as markup.
    QCOMPARE(VersionCompare::markedRuns(QStringLiteral("a"), QStringLiteral("a<b>&c")),
             (QVector<R>{{R::Unchanged, QStringLiteral("a"), false}, {R::Inserted, QStringLiteral("<b>&c"), false}}));
    QCOMPARE(VersionCompare::markedRuns(QStringLiteral("一"), QStringLiteral("一\n二")),
             (QVector<R>{{R::Unchanged, QStringLiteral("一"), false}, {R::Inserted, QStringLiteral("二"), true}}));
    QVERIFY(VersionCompare::markedRuns(QString(), QString()).isEmpty());
    QCOMPARE(VersionCompare::markedRuns(QStringLiteral("全部删掉"), QString()),
             (QVector<R>{{R::Deleted, QStringLiteral("全部删掉"), false}}));
}

void TimeMachineTest::restoreSavesTheVersionAndRecountsWords()
{
    BooksFixture f;
    QVERIFY(f.up());
    T_Book* other = f.offlineBook(QStringLiteral("别的书"));
    T_Book* book = f.offlineBook(QStringLiteral("恢复"));
    QVERIFY(other && book);
    T_Chapter* chapter = book->chapterList.first();
    T_Chapter* second = book->chapterList.at(1);
    QVERIFY(saveText(book, second, QStringLiteral("五个字符呀")));
    QVERIFY(addVersion(book, chapter, QStringLiteral("　　旧版本 '引号' \"%1\"")));
    spreadVersionTimes();
    QVERIFY(saveText(book, chapter, QStringLiteral("现在的正文内容很长很长")));
    CPublicManager::instance()->bookList.move(CPublicManager::instance()->bookList.indexOf(book),
                                              CPublicManager::instance()->bookList.size() - 1);
    QSqlQuery clear = CTessaneDb::instance()->newQuery();
    QVERIFY(clear.exec(QStringLiteral("delete from tb_job;")));

    Dialog_TimeMachine dialog(chapter);
    dialog.show();
    auto* restore = dialog.findChild<QPushButton*>(QStringLiteral("btnRestore"));
    QTest::mouseClick(restore, Qt::LeftButton);

    const QString version = QStringLiteral("　　旧版本 '引号' \"%1\"");
    QCOMPARE(chapter->content, version);
    QCOMPARE(chapter->wordCount, T_Chapter::countWords(version));
    QCOMPARE(book->wordNum, chapter->wordCount + 5);
    QCOMPARE(BooksFixture::scalar(QStringLiteral("select content from tb_chapter where localId = %1").arg(chapter->localId))
                 .toString(),
             version);
    QCOMPARE(BooksFixture::jobTypes().count(1016) + BooksFixture::jobTypes().count(1017), 1);
    QCOMPARE(CPublicManager::instance()->bookList.first(), book);
    // The current pane now shows the restored text without marks.
    const QString html = dialog.findChild<QTextBrowser*>(QStringLiteral("text_blade_current_content"))->toHtml();
    QVERIFY(!html.contains(QStringLiteral("#ff0000")));
    QVERIFY(!html.contains(QStringLiteral("#0000ff")));
    QVERIFY(dialog.isVisible()); // the dialog stays open
    QCOMPARE(dialog.labels().size(), 1);
}

void TimeMachineTest::restoreOfChapterTheEditorNeverShowedComparesWithStoredText()
{
    BooksFixture f;
    QVERIFY(f.up());
    T_Book* book = f.offlineBook(QStringLiteral("未读"));
    QVERIFY(book);
    T_Chapter* chapter = book->chapterList.first();
    QVERIFY(addVersion(book, chapter, QStringLiteral("同样的文字")));
    QVERIFY(saveText(book, chapter, QStringLiteral("同样的文字")));
    // As after a sign-in: the chapter list is held without texts.
    chapter->content.clear();
    chapter->contentLoaded = false;

    Dialog_TimeMachine dialog(chapter);
    dialog.show();
    QCOMPARE(chapter->content, QStringLiteral("同样的文字"));
    const QString html = dialog.findChild<QTextBrowser*>(QStringLiteral("text_blade_current_content"))->toHtml();
    QVERIFY(!html.contains(QStringLiteral("#ff0000")));
}

void TimeMachineTest::restoreOfOnlineChapterIsSentToThePlatform()
{
    BooksFixture f;
    QVERIFY(f.up());
    T_Book* book = f.onlineBook(QStringLiteral("在线恢复"));
    QVERIFY(book);
    T_Chapter* chapter = book->chapterList.first();
    QVERIFY(addVersion(book, chapter, QStringLiteral("要找回的文字")));
    // A local save not sent yet: the restore's save takes its place in the queue.
    QVERIFY(saveText(book, chapter, QStringLiteral("后来改坏了")));
    QVERIFY(BooksFixture::waitUntil([]() { return !BooksFixture::jobTypes().contains(1019); }));
    standin().clearJournal();

    Dialog_TimeMachine dialog(chapter);
    dialog.show();
    dialog.restoreVersion();
    QVERIFY(BooksFixture::waitUntil([]() { return BooksFixture::sent(QStringLiteral("/chapter/editChapter")) == 1; }));
    QCOMPARE(BooksFixture::lastBody(QStringLiteral("/chapter/editChapter")).value(QStringLiteral("content")).toString(),
             QStringLiteral("要找回的文字"));
    QCOMPARE(BooksFixture::lastBody(QStringLiteral("/chapter/editChapter")).value(QStringLiteral("chapter_id")).toInt(),
             chapter->chapterId);
}

void TimeMachineTest::tipsButtonShowsAndHidesTheLegend()
{
    BooksFixture f;
    QVERIFY(f.up());
    T_Book* book = f.offlineBook(QStringLiteral("图例"));
    QVERIFY(book);
    QVERIFY(addVersion(book, book->chapterList.first(), QStringLiteral("一")));
    Dialog_TimeMachine dialog(book->chapterList.first());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto* tips = dialog.findChild<QPushButton*>(QStringLiteral("btnTips"));
    auto* hint = dialog.findChild<Widget_CompareHint*>();
    QVERIFY(hint && !hint->isVisible());
    QHoverEvent enter(QEvent::HoverEnter, QPointF(5, 5), QPointF(-1, -1));
    QCoreApplication::sendEvent(tips, &enter);
    QVERIFY(hint->isVisible());
    QCOMPARE(hint->pos(), tips->mapToGlobal(QPoint(tips->width(), 0)) + QPoint(6, -16));
    QCOMPARE(hint->findChild<QLabel*>(QStringLiteral("label"))->text(), QStringLiteral("Red is the deleted section"));
    QHoverEvent leave(QEvent::HoverLeave, QPointF(-1, -1), QPointF(5, 5));
    QCoreApplication::sendEvent(tips, &leave);
    QVERIFY(!hint->isVisible());
}

void TimeMachineTest::screenshot()
{
    BooksFixture f;
    QVERIFY(f.up());
    ScreenshotTheme theme;
    QVERIFY(theme.loaded());
    T_Book* book = f.offlineBook(QStringLiteral("截图"));
    QVERIFY(book);
    T_Chapter* chapter = book->chapterList.first();
    QVERIFY(addVersion(book, chapter, QStringLiteral("　　山门外的风很大，他站了很久。\n　　老人没有回头。")));
    QVERIFY(addVersion(book, chapter, QStringLiteral("　　山门外的风很大。")));
    spreadVersionTimes();
    QVERIFY(saveText(book, chapter, QStringLiteral("　　山门外的风很冷，他站了很久很久。\n　　老人终于回头了。")));
    Dialog_TimeMachine dialog(chapter);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto* list = dialog.findChild<QListView*>(QStringLiteral("listView"));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(1, 0)).center());
    QTemporaryDir dir;
    dir.setAutoRemove(qEnvironmentVariableIsEmpty("KEEP_SCREENSHOTS"));
    const QString path = dir.filePath(QStringLiteral("time_machine.png"));
    QVERIFY(dialog.grab().save(path));
    qInfo("saved %s", qPrintable(path));
    QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("labelCount"))->text(), QStringLiteral("版本列表（2/2）"));
}

int runTimeMachineTests(int argc, char** argv)
{
    TimeMachineTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_TimeMachine.moc"
