// What leaves the writing window is the text on screen, stored yet or not
// (export, the time machine's current pane); what enters it (keys, input
// method, paste, drop, import, the change feed) brings no control character
// into the editor or a row; and the store takes any text, U+0000 included.

#include "CreationFixture.h"
#include "FeedFixture.h"
#include "WhenShown.h"

#include "db/records/T_Book.h"
#include "db/records/T_Chapter.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"
#include "remote/records/ChapterRecords.h"
#include "ui/common/BkMessageBox.h"
#include "ui/creation/Creation_TextEdit.h"
#include "ui/creation/Dialog_TimeMachine.h"
#include "ui/creation/Widget_Creation.h"
#include "ui/creation/Widget_Creation_Content.h"
#include "volume/CBookVolumeController.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>

namespace {

const QChar kNul(0);

QString fileText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QStringLiteral("<unreadable>");
}

// Control characters other than line feeds, carriage returns and tabs.
bool hasStrayControl(const QString& text)
{
    for (const QChar c : text) {
        const ushort u = c.unicode();
        if ((u < 0x20 && u != '\n' && u != '\r' && u != '\t') || (u >= 0x7f && u <= 0x9f))
            return true;
    }
    return false;
}

// The next file dialog takes the path as typed into its name field.
void answerFileDialog(const QString& path)
{
    whenShown<QFileDialog>([path](QFileDialog* dialog) {
        if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
            name->setText(path);
        QMetaObject::invokeMethod(dialog, "accept", Qt::DirectConnection);
    });
}

void focusEditor(CreationFixture& f)
{
    QApplication::setActiveWindow(f.window());
    f.editor()->setFocus();
    QTRY_VERIFY(f.editor()->hasEditorFocus());
}

} // namespace

class WhatTheAuthorSeesTest : public QObject
{
    Q_OBJECT
private slots:
    void exportWritesTheWordsOnScreenBeforeTheyAreStored();
    void timeMachineComparesWithTheEditorsText();
    void chordsTypeNothingAndNoWayInBringsControlCharacters();
    void feedTextLosesItsControlCharactersBeforeTheRow();
    void storeTakesTextWithNulWhole();
};

void WhatTheAuthorSeesTest::exportWritesTheWordsOnScreenBeforeTheyAreStored()
{
    CreationFixture f;
    T_Book* book = f.start(QStringLiteral("导出"));
    QVERIFY(book);
    T_Chapter* chapter = f.pane()->currentChapter();
    f.type(QStringLiteral("最后一分钟写的"));
    QVERIFY(!CreationFixture::storedText(chapter).contains(QStringLiteral("最后一分钟写的")));

    QTemporaryDir dir;
    const QString chapterFile = dir.filePath(QStringLiteral("chapter.txt"));
    answerFileDialog(chapterFile);
    QTest::keyClick(f.window(), Qt::Key_F1);
    QCOMPARE(fileText(chapterFile), f.pane()->toPlainText());

    // Exported again under the name typed without ".txt": the file that would
    // be replaced is asked about; declined, it stays as it was.
    f.type(QStringLiteral("又写"));
    QString asked;
    answerFileDialog(dir.filePath(QStringLiteral("chapter")));
    whenShown<BkMessageBox>([&asked](BkMessageBox* box) {
        asked = box->textLabel()->text();
        whenShown<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
        box->textButtons().at(1)->click();
    });
    QTest::keyClick(f.window(), Qt::Key_F1);
    QVERIFY2(asked.contains(QDir::toNativeSeparators(chapterFile)), qPrintable(asked));
    QVERIFY(!fileText(chapterFile).contains(QStringLiteral("又写")));

    const QString bookFile = dir.filePath(QStringLiteral("book.txt"));
    QVERIFY(CJobManager::instance()->books_export(book, bookFile));
    QVERIFY(fileText(bookFile).contains(f.pane()->toPlainText()));
}

void WhatTheAuthorSeesTest::timeMachineComparesWithTheEditorsText()
{
    CreationFixture f;
    T_Book* book = f.start(QStringLiteral("时光对比"));
    QVERIFY(book);
    T_Chapter* chapter = f.pane()->currentChapter();
    f.type(QStringLiteral("刚写下的字"));
    // A version of exactly the words on screen, none of them stored yet.
    TC_Chapter_ContentBlade version;
    version.header.localBookId = book->localId;
    version.header.localChapterId = chapter->localId;
    version.content = f.pane()->toPlainText();
    QVERIFY(CJobManager::instance()->chapter_contentBlade(version));
    QVERIFY(!CreationFixture::storedText(chapter).contains(QStringLiteral("刚写下的字")));

    QString current;
    QString marked;
    whenShown<Dialog_TimeMachine>([&](Dialog_TimeMachine* dialog) {
        QTRY_VERIFY(!dialog->isComparing());
        auto* pane = dialog->findChild<QTextBrowser*>(QStringLiteral("text_blade_current_content"));
        current = pane->toPlainText();
        marked = pane->toHtml();
        dialog->accept();
    });
    QTimer::singleShot(0, []() {
        chooseInMenu(QCoreApplication::translate("CBookVolumeController", "Time Machine"));
    });
    CBookVolumeController::instance()->showMenu(1, QPoint(300, 200), chapter->localVolumeId, chapter->localId);
    QVERIFY2(current.contains(QStringLiteral("刚写下的字")), qPrintable(current));
    // Nothing deleted, nothing added: the version is what the editor shows.
    QVERIFY2(!marked.contains(QStringLiteral("#ff0000")) && !marked.contains(QStringLiteral("#0000ff")),
             qPrintable(marked));
}

void WhatTheAuthorSeesTest::chordsTypeNothingAndNoWayInBringsControlCharacters()
{
    CreationFixture f;
    T_Book* book = f.start(QStringLiteral("控制符"));
    QVERIFY(book);
    QVERIFY(CPublicManager::instance()->userConf.creationConf.isIndent);
    T_Chapter* chapter = f.pane()->currentChapter();
    QCOMPARE(f.pane()->toPlainText(), QString());
    focusEditor(f);

    // Ctrl+A as the keyboard delivers it (its text is U+0001), and Alt+A.
    QTest::sendKeyEvent(QTest::Click, f.editor(), Qt::Key_A, QString(QChar(1)), Qt::ControlModifier);
    QTest::sendKeyEvent(QTest::Click, f.editor(), Qt::Key_A, QStringLiteral("a"), Qt::AltModifier);
    QCOMPARE(f.pane()->toPlainText(), QString());
    // The first letter still opens the chapter with its indent.
    QTest::keyClick(f.editor(), Qt::Key_W);
    const QString indent(2, QChar(0x3000));
    QCOMPARE(f.pane()->toPlainText(), indent + QStringLiteral("w"));

    f.type(QStringLiteral("好") + QChar(1) + QStringLiteral("字") + kNul + QStringLiteral("句") + QChar(0x1b));
    QCOMPARE(f.pane()->toPlainText(), indent + QStringLiteral("w好字句"));

    QApplication::clipboard()->setText(QStringLiteral("\n粘") + kNul + QStringLiteral("贴\t") + QChar(0x7)
                                       + QChar(0x85));
    QTest::keyClick(f.editor(), Qt::Key_V, Qt::ControlModifier);
    QVERIFY(f.pane()->toPlainText().endsWith(QStringLiteral("\n粘贴\t")));

    QMimeData dragged;
    dragged.setText(QStringLiteral("拖") + QChar(0x2) + kNul + QStringLiteral("进来"));
    const QPoint end = f.editor()->viewport()->rect().bottomRight();
    QDragEnterEvent enter(end, Qt::CopyAction, &dragged, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(f.editor()->viewport(), &enter);
    QDropEvent drop(QPointF(end), Qt::CopyAction, &dragged, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(f.editor()->viewport(), &drop);
    QVERIFY2(f.pane()->toPlainText().contains(QStringLiteral("拖进来")), qPrintable(f.pane()->toPlainText()));

    // A file with a few stray control characters, imported with F2.
    QTemporaryDir dir;
    const QString imported = dir.filePath(QStringLiteral("import.txt"));
    {
        QFile file(imported);
        QVERIFY(file.open(QIODevice::WriteOnly));
        const QString body = QStringLiteral("导入") + QChar(0x1) + QStringLiteral("的文字\n") + QString(200, QChar(0x6587));
        file.write(body.toUtf8());
    }
    // The volume the new chapter goes to, as a click in the tree picks it.
    CBookVolumeController::instance()->selectedVolume(0);
    answerFileDialog(imported);
    QTest::keyClick(f.window(), Qt::Key_F2);
    QTRY_VERIFY(f.pane()->currentChapterId() != chapter->localId);
    QVERIFY(f.pane()->toPlainText().startsWith(QStringLiteral("导入的文字\n")));
    QVERIFY(CreationFixture::storedText(f.pane()->currentChapter()).startsWith(QStringLiteral("导入的文字\n")));

    // What was typed went into the row on the way to the next chapter.
    const QString stored = CreationFixture::storedText(chapter);
    QVERIFY2(!hasStrayControl(stored), qPrintable(stored));
    QVERIFY2(stored.startsWith(indent + QStringLiteral("w好字句\n粘贴\t")), qPrintable(stored));
    QVERIFY(stored.contains(QStringLiteral("拖进来")));
}

void WhatTheAuthorSeesTest::feedTextLosesItsControlCharactersBeforeTheRow()
{
    CreationFixture f;
    T_Book* book = f.start(QStringLiteral("平台控制符"), true);
    QVERIFY(book);
    T_Chapter* chapter = f.pane()->currentChapter();
    QVERIFY(chapter->chapterId > 0);
    // The platform holds a text with control characters (as a client that
    // let them through sent it), and its feed says the chapter changed.
    TC_Chapter_Edit_Content sent;
    sent.header.localBookId = book->localId;
    sent.header.localChapterId = chapter->localId;
    sent.content = QStringLiteral("平台") + kNul + QStringLiteral("来的") + QChar(0x1) + QStringLiteral("字\n第二段");
    sent.updateTime = 1700000000;
    sent.isSendToSrv = true;
    QVERIFY(CJobManager::instance()->chapter_edit_content(sent));
    const QString waiting = QStringLiteral("select count(*) from tb_job where localChapterId = %1").arg(chapter->localId);
    QVERIFY(BooksFixture::waitUntil([&]() { return BooksFixture::scalar(waiting).toInt() == 0; }));

    standin().pushFeed(StandinServer::demoUid(), {feedItem(9, book->bookId, chapter->chapterId)});
    CJobManager::instance()->synNow(false);
    const QString clean = QStringLiteral("平台来的字\n第二段");
    QVERIFY(BooksFixture::waitUntil([&]() { return CreationFixture::storedText(chapter) == clean; }));
    QCOMPARE(f.pane()->toPlainText(), clean);
    QVERIFY(BooksFixture::waitUntil([]() { return CUiManager::instance()->syncRunning() == 0; }));
}

void WhatTheAuthorSeesTest::storeTakesTextWithNulWhole()
{
    CreationFixture f;
    QVERIFY(f.up());
    T_Book* book = f.offlineBook(QStringLiteral("零"));
    QVERIFY(book);
    T_Chapter* chapter = book->chapterList.last();
    const QString text = QStringLiteral("前") + kNul + QStringLiteral("后 'quoted' %1");

    // The writer behind the editor's save.
    TC_Chapter_Edit_Content save;
    save.header.localBookId = book->localId;
    save.header.localChapterId = chapter->localId;
    save.content = text;
    save.updateTime = 1700000000;
    QVERIFY2(CJobManager::instance()->chapter_edit_content(save), qPrintable(CJobManager::instance()->lastError()));
    QCOMPARE(CreationFixture::storedText(chapter), text);
    QCOMPARE(chapter->content, text);
}

int runWhatTheAuthorSeesTests(int argc, char** argv)
{
    WhatTheAuthorSeesTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_WhatTheAuthorSees.moc"
