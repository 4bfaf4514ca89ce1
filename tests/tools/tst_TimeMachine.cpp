// The time machine on a real database: the newest ten versions kept, compared and restored.

#include "BooksFixture.h"
#include "CreationFixture.h"

#include "db/CTessaneDb.h"
#include "db/records/T_Book.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "common/Utility.h"
#include "db/records/T_Chapter_TimeMachineItem.h"
#include "ui/creation/Creation_TextEdit.h"
#include "ui/creation/Dialog_TimeMachine.h"
#include "ui/creation/VersionCompare.h"
#include "ui/creation/Widget_Creation.h"
#include "ui/creation/Widget_Creation_Content.h"

#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QStackedWidget>
#include <QTest>
#include <QTextBrowser>
#include <QTextDocument>

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

QStringList storedVersions(const T_Chapter* chapter)
{
    QStringList out;
    const int count = BooksFixture::scalar(
        QStringLiteral("select count(*) from tb_contentblade where localChapterId = %1").arg(chapter->localId)).toInt();
    for (int i = 0; i < count; ++i)
        out.append(BooksFixture::scalar(QStringLiteral("select content from tb_contentblade where localChapterId = %1 "
                                                       "order by localId limit 1 offset %2")
                                            .arg(chapter->localId)
                                            .arg(i))
                       .toString());
    return out;
}

QString currentPage(const QDialog& dialog)
{
    return dialog.findChild<QStackedWidget*>(QStringLiteral("stackedWidget"))->currentWidget()->objectName();
}

// Paragraphs of prose, long enough to be compared off the GUI thread.
QString prose(int paragraphs, const QString& word)
{
    QString text;
    for (int i = 0; i < paragraphs; ++i)
        text += QStringLiteral("　　%1第%2段山风吹过灯火\U00020000，夜色很长。\n").arg(word).arg(i).repeated(6);
    return text;
}

// What the editor shows after loading a text the plain way, whole.
QString shownWhole(const QString& text)
{
    QTextDocument document;
    document.setPlainText(text == QLatin1String("|") ? QString() : withoutControlChars(text));
    return document.toPlainText();
}

// The writing window on a new book's chapter, which holds text and one
// stored version; null when any step failed.
T_Chapter* openWithVersion(CreationFixture& f, const QString& text, const QString& version)
{
    T_Book* book = f.start(QStringLiteral("恢复到编辑器"));
    T_Chapter* chapter = book != nullptr ? f.pane()->currentChapter() : nullptr;
    if (chapter == nullptr || !saveText(book, chapter, text) || !f.pane()->showChapter(book, chapter, true)
        || !addVersion(book, chapter, version))
        return nullptr;
    return chapter;
}

QString versionPane(const QString& version)
{
    QTextDocument document;
    VersionCompare::appendRuns(&document, VersionCompare::versionRuns(version), 0, CompareStyle(), true, -1);
    return document.toPlainText();
}
}

class TimeMachineTest : public QObject
{
    Q_OBJECT
private slots:
    void opensOnNewestOfTheTenVersionsKept();
    void markedTextColoursEditsAndKeepsMarkupAsItStands();
    void restoreSavesTheVersionAndRecountsWords();
    void restoreOfChapterTheEditorNeverShowedComparesWithStoredText();
    void restoreOfOnlineChapterIsSentToThePlatform();
    void longChapterIsComparedOffTheGuiThreadAsAtOnce();
    void listAndClicksShowTheStoredVersions();
    void restoreIntoTheOpenEditorGivesTheVersionWhereverItDiffers_data();
    void restoreIntoTheOpenEditorGivesTheVersionWhereverItDiffers();
    void wordsTypedDuringARestoreStay_data();
    void wordsTypedDuringARestoreStay();
    void restoreEndsAfterTheDialogClosed();
};

void TimeMachineTest::opensOnNewestOfTheTenVersionsKept()
{
    BooksFixture f;
    QVERIFY(f.up());
    T_Book* book = f.offlineBook(QStringLiteral("版本"));
    T_Book* other = f.offlineBook(QStringLiteral("三版"));
    QVERIFY(book && other);
    T_Chapter* chapter = book->chapterList.first();
    T_Chapter* neighbour = other->chapterList.first();
    for (int i = 1; i <= 3; ++i)
        QVERIFY(addVersion(other, neighbour, QStringLiteral("邻%1").arg(i)));
    QStringList kept;
    for (int i = 1; i <= 12; ++i) {
        QVERIFY(addVersion(book, chapter, QStringLiteral("第%1版").arg(i)));
        kept.append(QStringLiteral("第%1版").arg(i));
    }
    // Only the chapter's own oldest versions go.
    QCOMPARE(storedVersions(chapter), kept.mid(2));
    QCOMPARE(storedVersions(neighbour), (QStringList{QStringLiteral("邻1"), QStringLiteral("邻2"), QStringLiteral("邻3")}));
    spreadVersionTimes();
    QVERIFY(saveText(book, chapter, QStringLiteral("第12版")));

    Dialog_TimeMachine dialog(chapter);
    dialog.show();
    QCOMPARE(currentPage(dialog), QStringLiteral("page"));
    QCOMPARE(dialog.labels().size(), 10);
    QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("labelCount"))->text(), QStringLiteral("版本列表（1/10）"));
    QCOMPARE(dialog.currentIndex(), 0);
    // Newest first: the labels' times go down.
    QVERIFY(dialog.labels().first() > dialog.labels().last());
    // The newest version equals the current text: shown without marks.
    const QString current = dialog.findChild<QTextBrowser*>(QStringLiteral("text_blade_current_content"))->toHtml();
    QVERIFY(!current.contains(QStringLiteral("#ff0000")) && !current.contains(QStringLiteral("#0000ff")));
    QCOMPARE(dialog.findChild<QTextBrowser*>(QStringLiteral("text_blade_content"))->toPlainText(), QStringLiteral("第12版"));
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
    QTRY_VERIFY(!dialog.isRestoring());

    const QString version = QStringLiteral("　　旧版本 '引号' \"%1\"");
    QCOMPARE(chapter->content, version);
    QCOMPARE(chapter->wordCount, T_Chapter::countWords(version));
    QCOMPARE(book->wordNum, chapter->wordCount + 5);
    QCOMPARE(BooksFixture::scalar(QStringLiteral("select content from tb_chapter_text where localId = %1").arg(chapter->localId))
                 .toString(),
             version);
    QCOMPARE(BooksFixture::jobTypes().count(1016) + BooksFixture::jobTypes().count(1017), 1);
    QCOMPARE(CPublicManager::instance()->bookList.first(), book);
    // The current pane now shows the restored text without marks.
    const QString html = dialog.findChild<QTextBrowser*>(QStringLiteral("text_blade_current_content"))->toHtml();
    QVERIFY(!html.contains(QStringLiteral("#ff0000")));
    QVERIFY(!html.contains(QStringLiteral("#0000ff")));
    QVERIFY(dialog.isVisible()); // the dialog stays open
    // The text it replaced is a version of its own, listed at once; the
    // restored version stays the chosen one.
    QCOMPARE(dialog.labels().size(), 2);
    QCOMPARE(dialog.currentIndex(), 1);
    QVERIFY(dialog.findChild<QLabel*>(QStringLiteral("labelCount"))->text().contains(QStringLiteral("2/2")));
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

int runTimeMachineTests(int argc, char** argv)
{
    TimeMachineTest test;
    return QTest::qExec(&test, argc, argv);
}

// A long rewrite goes to the worker thread; the pane must end up showing
// exactly what the at-once path builds from the same diff.
void TimeMachineTest::longChapterIsComparedOffTheGuiThreadAsAtOnce()
{
    BooksFixture f;
    QVERIFY(f.up());
    T_Book* book = f.offlineBook(QStringLiteral("长版本"));
    QVERIFY(book);
    T_Chapter* chapter = book->chapterList.first();
    QString version, current;
    for (int i = 0; version.size() < 15000; ++i) {
        const QString sentence = QStringLiteral("山风%1灯火<b>&\U00020000。").arg(i);
        version += sentence + (i % 7 == 0 ? QStringLiteral("\n") : QString());
        current += (i % 3 == 0 ? QStringLiteral("夜色%1。").arg(i) : sentence);
    }
    QVERIFY(addVersion(book, chapter, version));
    chapter->content = current;
    chapter->contentLoaded = true;

    Dialog_TimeMachine dialog(chapter);
    QSignalSpy shown(&dialog, &Dialog_TimeMachine::compared);
    auto documents = [&dialog]() {
        return dialog.findChildren<QTextDocument*>(QString(), Qt::FindDirectChildrenOnly).size();
    };
    const int before = documents();
    dialog.show();
    QVERIFY(dialog.isComparing());
    // The diff runs elsewhere: until the event loop turns, nothing of its
    // result has reached the dialog, not even the documents it fills.
    QCOMPARE(documents(), before);
    QVERIFY(shown.wait(20000));
    QTextDocument expected;
    VersionCompare::appendRuns(&expected, VersionCompare::markedRuns(version, current), 0, CompareStyle(), false, -1);
    QCOMPARE(dialog.findChild<QTextBrowser*>(QStringLiteral("text_blade_current_content"))->toPlainText(),
             expected.toPlainText());
}

// The list is read without the texts; it names the versions a full read
// finds, and a click shows the clicked one.
void TimeMachineTest::listAndClicksShowTheStoredVersions()
{
    BooksFixture f;
    QVERIFY(f.up());
    T_Book* book = f.offlineBook(QStringLiteral("列表"));
    QVERIFY(book);
    T_Chapter* chapter = book->chapterList.first();
    for (int i = 0; i < 4; ++i)
        QVERIFY(addVersion(book, chapter, prose(40 + i, QStringLiteral("版%1").arg(i))));
    spreadVersionTimes();
    QVERIFY(saveText(book, chapter, prose(41, QStringLiteral("今"))));

    QList<T_Chapter_TimeMachineItem*> stored;
    QVERIFY(CJobManager::instance()->getContentBlades(chapter->localId, stored, true));
    Dialog_TimeMachine dialog(chapter);
    dialog.show();
    QTRY_VERIFY(!dialog.isComparing());
    QCOMPARE(dialog.labels().size(), stored.size());
    for (int row = 0; row < stored.size(); ++row)
        QCOMPARE(dialog.labels().at(row), timeToString(static_cast<quint32>(stored.at(row)->createTime)));
    auto* list = dialog.findChild<QListView*>(QStringLiteral("listView"));
    auto* versionText = dialog.findChild<QTextBrowser*>(QStringLiteral("text_blade_content"));
    for (int row : {2, 0, 3, 1}) {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(row, 0)).center());
        QCOMPARE(dialog.currentIndex(), row);
        QTRY_VERIFY(!dialog.isComparing());
        QCOMPARE(versionText->toPlainText(), versionPane(stored.at(row)->content));
    }
    qDeleteAll(stored);
}

void TimeMachineTest::restoreIntoTheOpenEditorGivesTheVersionWhereverItDiffers_data()
{
    QTest::addColumn<QString>("version");
    QTest::addColumn<bool>("undoable");
    const QString base = prose(30, QStringLiteral("原"));
    const int middle = base.size() / 2;
    QTest::newRow("only at the start") << QStringLiteral("改") + base.mid(3) << true;
    QTest::newRow("only at the end") << base.left(base.size() - 4) + QStringLiteral("结尾改了\n新段") << true;
    QTest::newRow("in the middle") << base.left(middle) + QStringLiteral("插\n入") + base.mid(middle + 9) << true;
    QTest::newRow("everywhere") << prose(25, QStringLiteral("全新")) << true;
    QTest::newRow("longer by a tail") << base + prose(3, QStringLiteral("续")) << true;
    QTest::newRow("emptied") << QString() << true;
    QTest::newRow("within a surrogate pair")
        << QString(base).replace(QStringLiteral("\U00020000"), QStringLiteral("\U00020001")) << true;
    // Line breaks of other kinds show as the editor's own; the record and
    // the row keep the version as it is.
    QTest::newRow("with carriage returns") << QString(base).replace(QStringLiteral("\n"), QStringLiteral("\r\n"))
                                           << true;
    QTest::newRow("with a no-break space") << base.left(middle) + QChar(0x00a0) + base.mid(middle) << true;
    QTest::newRow("with separators and a lone carriage return")
        << QString(base)
               .replace(QStringLiteral("灯火"), QStringLiteral("灯\u2028火"))
               .replace(QStringLiteral("很长"), QStringLiteral("很\u2029长\r"))
        << true;
}

// The author's button with the chapter open in the editor: the editor ends
// up showing exactly what loading the version whole shows, the row holds the
// version, and where only a stretch was replaced one undo brings back the
// text from before.
void TimeMachineTest::restoreIntoTheOpenEditorGivesTheVersionWhereverItDiffers()
{
    QFETCH(QString, version);
    QFETCH(bool, undoable);
    CreationFixture f;
    const QString base = prose(30, QStringLiteral("原"));
    T_Chapter* chapter = openWithVersion(f, base, version);
    QVERIFY(chapter);
    QCOMPARE(f.editor()->toPlainText(), base);

    Dialog_TimeMachine dialog(chapter, f.window());
    dialog.show();
    QTRY_VERIFY(!dialog.isComparing());
    QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("btnRestore")), Qt::LeftButton);
    QTRY_VERIFY(!dialog.isRestoring());

    QCOMPARE(f.editor()->toPlainText(), shownWhole(version));
    const QString written = Creation_TextEdit::asWritten(version);
    QCOMPARE(f.pane()->toPlainText(), written);
    QCOMPARE(CreationFixture::storedText(chapter), version);
    QCOMPARE(chapter->content, version);
    QVERIFY(!f.pane()->holdsUnsavedText());
    QCOMPARE(f.editor()->wordCount(), T_Chapter::countWords(shownWhole(version)));
    // The current pane compares with what the editor shows: no marks where
    // that is the version itself.
    QTRY_VERIFY(!dialog.isComparing());
    const QString marked = dialog.findChild<QTextBrowser*>(QStringLiteral("text_blade_current_content"))->toHtml();
    if (shownWhole(version) == version)
        QVERIFY(!marked.contains(QStringLiteral("#ff0000")) && !marked.contains(QStringLiteral("#0000ff")));
    if (undoable) {
        f.editor()->undo();
        QCOMPARE(f.editor()->toPlainText(), base);
        // Written on after the restore, the chapter keeps the version's
        // characters (a no-break space stays one).
        f.editor()->redo();
        f.editor()->moveCursor(QTextCursor::End);
        f.type(QStringLiteral("续"));
        QVERIFY(f.pane()->saveChapter(true));
        QVERIFY2(CreationFixture::storedText(chapter).startsWith(written), qPrintable(CreationFixture::storedText(chapter)));
    }
}

void TimeMachineTest::wordsTypedDuringARestoreStay_data()
{
    QTest::addColumn<bool>("versionStored");
    QTest::newRow("before the version is stored") << false;
    QTest::newRow("before the editor takes it") << true;
}

// A restore goes a turn of the event loop at a time after the click; words
// the author types in between are newer than the version and stay, in the
// editor and, from the next save on, in the row.
void TimeMachineTest::wordsTypedDuringARestoreStay()
{
    QFETCH(bool, versionStored);
    CreationFixture f;
    T_Chapter* chapter = openWithVersion(f, QStringLiteral("现在的文字"), QStringLiteral("旧的文字"));
    QVERIFY(chapter);
    Dialog_TimeMachine dialog(chapter, f.window());
    dialog.show();
    QTRY_VERIFY(!dialog.isComparing());

    dialog.restoreVersion();
    // One pass of the event loop at a time, up to the one that stored it.
    while (versionStored && dialog.isRestoring() && CreationFixture::storedText(chapter) != QStringLiteral("旧的文字"))
        QCoreApplication::processEvents();
    QVERIFY(dialog.isRestoring());
    QCOMPARE(f.editor()->toPlainText(), QStringLiteral("现在的文字"));
    f.editor()->moveCursor(QTextCursor::End);
    f.type(QStringLiteral("又写"));
    QTRY_VERIFY(!dialog.isRestoring());
    QCOMPARE(f.editor()->toPlainText(), QStringLiteral("现在的文字又写"));
    QCOMPARE(CreationFixture::storedText(chapter), versionStored ? QStringLiteral("旧的文字") : QStringLiteral("现在的文字"));
    f.tick();
    f.pause();
    f.tick(2);
    QCOMPARE(CreationFixture::storedText(chapter), QStringLiteral("现在的文字又写"));
}

void TimeMachineTest::restoreEndsAfterTheDialogClosed()
{
    CreationFixture f;
    T_Chapter* chapter = openWithVersion(f, QStringLiteral("现在的文字"), QStringLiteral("旧的文字"));
    QVERIFY(chapter);
    {
        Dialog_TimeMachine dialog(chapter, f.window());
        dialog.show();
        QTRY_VERIFY(!dialog.isComparing());
        dialog.restoreVersion();
    }
    QTRY_COMPARE(f.editor()->toPlainText(), QStringLiteral("旧的文字"));
    QCOMPARE(CreationFixture::storedText(chapter), QStringLiteral("旧的文字"));
}

#include "tst_TimeMachine.moc"
