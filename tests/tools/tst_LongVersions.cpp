// Chapter versions at length: only the newest ten of a chapter are kept, and
// a long chapter is compared off the GUI thread with the same result as the
// diff gives.

#include "BooksFixture.h"

#include "db/records/T_Book.h"
#include "manager/CJobManager.h"
#include "ui/creation/Dialog_TimeMachine.h"
#include "ui/creation/VersionCompare.h"

#include <QRandomGenerator>
#include <QSignalSpy>
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

// Sentences of a long chapter; a third of them rewritten in the newer text.
QPair<QString, QString> versionAndRewrite()
{
    const QStringList words{QStringLiteral("山风"), QStringLiteral("灯火"), QStringLiteral("他说"), QStringLiteral("江湖"),
                            QStringLiteral("夜色"), QStringLiteral("剑"), QStringLiteral("\U00020000"), QStringLiteral("<b>&")};
    QRandomGenerator random(9);
    auto sentence = [&]() {
        QString s;
        for (int i = 3 + random.bounded(6); i > 0; --i)
            s += words.at(random.bounded(words.size()));
        return s + QStringLiteral("。");
    };
    QString version, current;
    while (version.size() < 15000) {
        const QString s = sentence();
        const bool newLine = random.bounded(6) == 0;
        version += s + (newLine ? QStringLiteral("\n　　") : QString());
        current += (random.bounded(3) == 0 ? sentence() : s) + (newLine ? QStringLiteral("\r\n\t") : QString());
    }
    return {version, current};
}

QString withoutLayout(QString text)
{
    for (const QString& c : {QStringLiteral("\r"), QStringLiteral("\t"), QStringLiteral("\n"), QStringLiteral("　")})
        text.remove(c);
    return text;
}
}

class LongVersionsTest : public QObject
{
    Q_OBJECT
private slots:
    void onlyTheNewestTenOfEachChapterAreKept();
    void longChapterIsComparedOffTheGuiThreadWithTheDiffsResult();
};

void LongVersionsTest::onlyTheNewestTenOfEachChapterAreKept()
{
    BooksFixture f;
    QVERIFY(f.up());
    T_Book* one = f.offlineBook(QStringLiteral("十版"));
    T_Book* other = f.offlineBook(QStringLiteral("三版"));
    QVERIFY(one && other);
    T_Chapter* chapter = one->chapterList.first();
    T_Chapter* neighbour = other->chapterList.first();
    for (int i = 1; i <= 3; ++i)
        QVERIFY(addVersion(other, neighbour, QStringLiteral("邻%1").arg(i)));
    for (int i = 1; i <= 12; ++i)
        QVERIFY(addVersion(one, chapter, QStringLiteral("第%1版").arg(i)));
    QStringList kept;
    for (int i = 3; i <= 12; ++i)
        kept.append(QStringLiteral("第%1版").arg(i));
    QCOMPARE(storedVersions(chapter), kept);
    QCOMPARE(storedVersions(neighbour), (QStringList{QStringLiteral("邻1"), QStringLiteral("邻2"), QStringLiteral("邻3")}));
}

void LongVersionsTest::longChapterIsComparedOffTheGuiThreadWithTheDiffsResult()
{
    BooksFixture f;
    QVERIFY(f.up());
    T_Book* book = f.offlineBook(QStringLiteral("长版本"));
    QVERIFY(book);
    T_Chapter* chapter = book->chapterList.first();
    const QPair<QString, QString> texts = versionAndRewrite();
    QVERIFY(addVersion(book, chapter, texts.first));
    chapter->content = texts.second;
    chapter->contentLoaded = true;

    Dialog_TimeMachine dialog(chapter);
    QSignalSpy shown(&dialog, &Dialog_TimeMachine::compared);
    dialog.show();
    // The dialog is up and the comparison is still running.
    QVERIFY(dialog.isComparing());
    QVERIFY(shown.wait(20000));
    QVERIFY(!dialog.isComparing());

    // The runs are the diff: unchanged and deleted text make the version,
    // unchanged and inserted text the current one (layout characters aside).
    const QVector<CompareRun> runs = VersionCompare::markedRuns(texts.first, texts.second);
    QString older, newer;
    for (const CompareRun& run : runs) {
        if (run.kind != CompareRun::Inserted)
            older += run.text;
        if (run.kind != CompareRun::Deleted)
            newer += run.text;
    }
    QCOMPARE(older, withoutLayout(texts.first));
    QCOMPARE(newer, withoutLayout(texts.second));
    // The pane shows them as built at once, markup characters as text.
    QTextDocument expected;
    VersionCompare::appendRuns(&expected, runs, 0, CompareStyle(), false, -1);
    auto* current = dialog.findChild<QTextBrowser*>(QStringLiteral("text_blade_current_content"));
    QCOMPARE(current->toPlainText(), expected.toPlainText());
    QVERIFY(current->toPlainText().contains(QStringLiteral("<b>&")));
    const QString html = current->toHtml();
    QVERIFY(html.contains(QStringLiteral("#ff0000")));
    QVERIFY(html.contains(QStringLiteral("#0000ff")));
    QTextDocument version;
    VersionCompare::appendRuns(&version, VersionCompare::versionRuns(texts.first), 0, CompareStyle(), true, -1);
    QCOMPARE(dialog.findChild<QTextBrowser*>(QStringLiteral("text_blade_content"))->toPlainText(), version.toPlainText());
}

int runLongVersionsTests(int argc, char** argv)
{
    LongVersionsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_LongVersions.moc"
