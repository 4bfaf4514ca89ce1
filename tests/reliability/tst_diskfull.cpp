// The disk refuses writes while the author types: the save fails and says
// so, the typed text stays in the editor, what was stored before is whole
// and unchanged, and the next save once the disk takes writes again stores
// what was typed meanwhile.
//
// The refusal is a file size limit of one byte for the process
// (RLIMIT_FSIZE): every write into a file then fails as on a full disk, also
// for root, for whom file modes do not bind.

#include "CreationFixture.h"

#include "db/records/T_Book.h"
#include "db/records/T_Chapter.h"
#include "ui/creation/Creation_TextEdit.h"
#include "ui/creation/Widget_ClientTips.h"
#include "ui/creation/Widget_Creation.h"
#include "ui/creation/Widget_Creation_Content.h"

#include <QApplication>
#include <QLabel>
#include <QStandardPaths>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

namespace {

StandinServer* g_standin = nullptr;

// Every write into a file fails while the object lives.
class FullDisk
{
public:
    FullDisk()
    {
        m_previousSignal = std::signal(SIGXFSZ, SIG_IGN);
        m_ok = getrlimit(RLIMIT_FSIZE, &m_previous) == 0;
        rlimit tiny = m_previous;
        tiny.rlim_cur = 1;
        m_ok = m_ok && setrlimit(RLIMIT_FSIZE, &tiny) == 0;
    }
    ~FullDisk()
    {
        setrlimit(RLIMIT_FSIZE, &m_previous);
        std::signal(SIGXFSZ, m_previousSignal);
    }
    bool ok() const { return m_ok; }

private:
    rlimit m_previous{};
    void (*m_previousSignal)(int) = nullptr;
    bool m_ok = false;
};

}

StandinServer& standin()
{
    return *g_standin;
}

class DiskFullTest : public QObject
{
    Q_OBJECT
private slots:
    void fullDiskKeepsTypedTextAndStoredChapter();
};

void DiskFullTest::fullDiskKeepsTypedTextAndStoredChapter()
{
    CreationFixture f;
    QVERIFY(f.up());
    T_Book* book = f.onlineBook(QStringLiteral("满盘"));
    QVERIFY(book);
    QVERIFY(f.open(book));
    const T_Chapter* chapter = f.pane()->currentChapter();
    QVERIFY(chapter);
    const int localChapterId = chapter->localId;
    f.editor()->setFocus();
    f.type(QStringLiteral("已经存好的一段。"));
    f.tick();
    f.pause();
    f.tick(2);
    const QString stored = CreationFixture::storedText(chapter);
    QVERIFY(stored.endsWith(QStringLiteral("已经存好的一段。")));

    {
        FullDisk disk;
        QVERIFY(disk.ok());
        f.type(QStringLiteral("磁盘满时写的字。"));
        f.tick();
        f.pause();
        f.tick(2);
        // Said to the author, and the text still in the editor.
        QVERIFY(f.window()->tips()->isVisible());
        QCOMPARE(f.window()->tips()->label()->text(),
                 QCoreApplication::translate("Widget_Creation_Content", "The chapter could not be saved"));
        QVERIFY(f.editor()->toPlainText().endsWith(QStringLiteral("磁盘满时写的字。")));
    }
    // What was stored is whole and unchanged.
    QCOMPARE(BooksFixture::scalar(QStringLiteral("PRAGMA integrity_check;")).toString(), QStringLiteral("ok"));
    QCOMPARE(CreationFixture::storedText(chapter), stored);
    QCOMPARE(BooksFixture::scalar(QStringLiteral("select count(*) from tb_job where localChapterId = %1 "
                                                 "and content like '%磁盘满%';").arg(localChapterId)).toInt(), 0);

    // The disk takes writes again: the next pause stores what was typed.
    f.type(QStringLiteral("又一句。"));
    f.tick();
    f.pause();
    f.tick(2);
    QVERIFY(CreationFixture::storedText(chapter).endsWith(QStringLiteral("磁盘满时写的字。又一句。")));
    QCOMPARE(BooksFixture::scalar(QStringLiteral("PRAGMA integrity_check;")).toString(), QStringLiteral("ok"));
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    StandinServer server;
    g_standin = &server;
    if (!server.start())
        return 1;
    server.exportApiBase();
    DiskFullTest test;
    const int result = QTest::qExec(&test, argc, argv);
    server.stop();
    return result;
}

#include "tst_diskfull.moc"
