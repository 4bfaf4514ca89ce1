// One chapter from and to a text file: encodings, quotes, unreadable files,
// nothing made from a file that cannot be read, and exports that never leave
// a half-written file.

#include "BooksFixture.h"
#include "TreeTestHelpers.h"

#include "db/records/T_Book.h"
#include "manager/CBookJobManager.h"
#include "manager/CUiManager.h"
#include "volume/CBookChapterModel.h"
#include "volume/CBookVolumeController.h"
#include "volume/CBookVolumeModel.h"
#include "WhenShown.h"

#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QSettings>
#include <QStandardPaths>

#include <QFile>
#include <QSignalSpy>
#include <QTextCodec>

namespace {
CBookVolumeController* tree()
{
    return CBookVolumeController::instance();
}

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    const QString path = dir.path() + QLatin1Char('/') + name;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return QString();
    return path;
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const QString kText = QStringLiteral("　　他说：\"别走'远'了，%1 还在。\"\n　　第二段。");
}

class ChapterFilesTest : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { tree()->loadBook(nullptr); }

    void utf8FileBecomesANewStoredChapter();
    void otherFilesAreDecodedOrRefused_data();
    void otherFilesAreDecodedOrRefused();
    void exportToAReadOnlyFolderFailsAndLeavesNothing();
    void failedExportKeepsTheEarlierFile();
    void exportDialogStartsInDocumentsThenTheLastFolderAndWritesTxt();
};

void ChapterFilesTest::utf8FileBecomesANewStoredChapter()
{
    BooksFixture f;
    QVERIFY(f.up());
    T_Book* book = f.offlineBook(QStringLiteral("导入"));
    QVERIFY(book);
    tree()->loadBook(book);
    tree()->selectedVolume(0);
    QTemporaryDir dir;
    const QString path = writeFile(dir, QStringLiteral("a.txt"), kText.toUtf8());
    QSignalSpy opened(CUiManager::instance(), &CUiManager::sig_OpenChapter);
    QString text;
    QVERIFY2(tree()->importChapterFile(path, text), qPrintable(tree()->lastError()));
    QCOMPARE(text, kText);
    QCOMPARE(book->chapterList.size(), 3);
    const T_Chapter* chapter = book->chapterList.last();
    QCOMPARE(chapter->content, kText);
    QCOMPARE(chapter->wordCount, T_Chapter::countWords(kText));
    QCOMPARE(BooksFixture::scalar(QStringLiteral("select content from tb_chapter_text where localId = %1").arg(chapter->localId))
                 .toString(),
             kText);
    QCOMPARE(book->lastEditChapterId, chapter->localId);
    QCOMPARE(tree()->currentChapter(), chapter);
    QCOMPARE(opened.count(), 1);
    QCOMPARE(BooksFixture::jobTypes(), (QList<int>{1008, 1017}));
    QCOMPARE(BooksFixture::jobContent(1017).contains(QStringLiteral("%1")), true);
}

void ChapterFilesTest::otherFilesAreDecodedOrRefused_data()
{
    QTest::addColumn<QByteArray>("bytes");   // empty: no file at all
    QTest::addColumn<QString>("text");       // the chapter made, or
    QTest::addColumn<QString>("error");      // why none was made
    const QString gbk = QStringLiteral("第一章 风起云涌\n天色已晚。");
    const QString wide = QStringLiteral("双字节 \"引号\"");
    QByteArray utf16("\xFF\xFE", 2);
    utf16.append(reinterpret_cast<const char*>(wide.utf16()), wide.size() * 2);
    QTest::newRow("GBK") << QTextCodec::codecForName("GBK")->fromUnicode(gbk) << gbk << QString();
    QTest::newRow("UTF-16 with byte order mark") << utf16 << wide << QString();
    QTest::newRow("web remnants") << QStringLiteral("&nbsp;&nbsp;她说<p>\r\na &lt; b &amp;&amp; c &gt; d&#12;\n&lt;p&gt;").toUtf8()
                                  << QStringLiteral("她说\na < b && c > d\n<p>") << QString();
    QTest::newRow("tags with attributes, self-closing tags")
        << QStringLiteral("<p class=\"x\">她说<br/>走<br />吧<span style=\"color:red\">红字</span>\n"
                          "<走吧><i love you><b 走吧><img src='a.png' alt=\"a>b\"/>完").toUtf8()
        << QStringLiteral("她说走吧红字\n<走吧><i love you><b 走吧>完") << QString();
    QTest::newRow("undecodable") << QByteArray("\x89PNG\r\n\x1a\n\x00\x00\x00\rIHDR\xff\xfe\x81\x00\xc0", 22)
                                 << QString() << CBookVolumeController::tr("unknown encoding");
    QTest::newRow("missing") << QByteArray() << QString() << CBookVolumeController::tr("open file failed");
}

void ChapterFilesTest::otherFilesAreDecodedOrRefused()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(QString, error);
    BooksFixture f;
    QVERIFY(f.up());
    T_Book* book = f.offlineBook(QStringLiteral("编码"));
    QVERIFY(book);
    tree()->loadBook(book);
    tree()->selectedVolume(0);
    QTemporaryDir dir;
    const QString path = bytes.isEmpty() ? dir.filePath(QStringLiteral("none.txt"))
                                         : writeFile(dir, QStringLiteral("chapter.txt"), bytes);
    QString read;
    QCOMPARE(tree()->importChapterFile(path, read), error.isEmpty());
    QCOMPARE(read, text);
    // A new chapter holds the text; a refused file adds none.
    QCOMPARE(book->chapterList.size(), error.isEmpty() ? 3 : 2);
    QCOMPARE(book->chapterList.size() == 3 ? book->chapterList.last()->content : QString(), text);
    QCOMPARE(tree()->lastError(), error);
}

void ChapterFilesTest::exportToAReadOnlyFolderFailsAndLeavesNothing()
{
    BooksFixture f;
    QVERIFY(f.up());
    T_Book* book = f.offlineBook(QStringLiteral("只读"));
    QVERIFY(book);
    tree()->loadBook(book);
    T_Chapter* chapter = book->chapterList.first();
    chapter->content = kText;
    chapter->contentLoaded = true;
    QTemporaryDir dir;
    // A folder nobody may write to: below a plain file (permissions alone
    // do not stop a test run as root).
    const QString blocker = writeFile(dir, QStringLiteral("plain"), QByteArray("x"));
    const QString path = blocker + QStringLiteral("/ro.txt");
    QVERIFY(!tree()->exportChapterTo(chapter, path));
    QCOMPARE(tree()->lastError(), CBookVolumeController::tr("create power"));
    QVERIFY(!QFile::exists(path));
    QCOMPARE(readFile(blocker), QByteArray("x"));
}

void ChapterFilesTest::failedExportKeepsTheEarlierFile()
{
    BooksFixture f;
    QVERIFY(f.up());
    T_Book* book = f.offlineBook(QStringLiteral("保留"));
    QVERIFY(book);
    tree()->loadBook(book);
    QTemporaryDir dir;
    const QString path = writeFile(dir, QStringLiteral("keep.txt"), QByteArray("earlier"));
    QVERIFY(!tree()->exportChapterTo(nullptr, path));
    QCOMPARE(tree()->lastError(), CBookVolumeController::tr("select chapter"));
    T_Chapter* chapter = book->chapterList.first();
    chapter->content = QStringLiteral("新");
    chapter->contentLoaded = true;
    chapter->updateTime = 1700000000;
    QVERIFY(tree()->exportChapterTo(chapter, path));
    QCOMPARE(readFile(path), QStringLiteral("新").toUtf8());
}

void ChapterFilesTest::exportDialogStartsInDocumentsThenTheLastFolderAndWritesTxt()
{
    BooksFixture f;
    QVERIFY(f.up());
    T_Book* book = f.offlineBook(QStringLiteral("导出"));
    QVERIFY(book);
    tree()->loadBook(book);
    T_Chapter* chapter = book->chapterList.first();
    chapter->content = kText;
    chapter->contentLoaded = true;
    chapter->updateTime = 1700000000;
    QSettings(CUiManager::settingFilePath(), QSettings::IniFormat).remove(QStringLiteral("lastFolder"));
    QTemporaryDir working, chosen;
    const QString before = QDir::currentPath();
    QDir::setCurrent(working.path());
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString expectedFirst = QFileInfo(documents).isDir() ? documents : QDir::homePath();

    QStringList openedIn;
    auto answer = [&](const QString& name) {
        const int answers = openedIn.size();
        whenShown<QFileDialog>([&openedIn, &chosen, name, answers](QFileDialog* dialog) {
            // Once, however often the answer is tried.
            if (openedIn.size() == answers)
                openedIn << dialog->directory().absolutePath();
            // As the author types it: a name in another folder, no suffix.
            if (auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
                edit->setText(chosen.filePath(name));
            QMetaObject::invokeMethod(dialog, "accept", Qt::DirectConnection);
        });
    };
    answer(QStringLiteral("第一章"));
    tree()->exportChapter(chapter);
    answer(QStringLiteral("第二次.doc"));
    tree()->exportChapter(chapter);
    QDir::setCurrent(before);

    QCOMPARE(openedIn, QStringList({QDir(expectedFirst).absolutePath(), QDir(chosen.path()).absolutePath()}));
    QCOMPARE(readFile(chosen.filePath(QStringLiteral("第一章.txt"))), kText.toUtf8());
    QVERIFY(QFile::exists(chosen.filePath(QStringLiteral("第二次.doc.txt"))));
    QVERIFY(QDir(working.path()).entryList(QDir::Files).isEmpty());
}

int runChapterFileTests(int argc, char** argv)
{
    ChapterFilesTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_ChapterFiles.moc"
