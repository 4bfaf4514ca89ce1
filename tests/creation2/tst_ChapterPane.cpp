// The writing window's left pane: the tree of the open book, switching
// chapters through it, the preview of the other books and the recycle bin.

#include "CreationFixture.h"

#include "db/records/T_Book.h"
#include "db/records/T_Chapter.h"
#include "ui/bookshelf/Widget_BookListPreview.h"
#include "ui/creation/Widget_Creation.h"
#include "ui/creation/Widget_Creation_Content.h"
#include "ui/creation/Widget_Creation_Left.h"
#include "ui/creation/Widget_RecycleBin.h"
#include "volume/CBookVolumeController.h"
#include "volume/CBookVolumeModel.h"

#include <QLabel>
#include <QPushButton>
#include <QQuickWidget>
#include <QStackedWidget>
#include <QTest>

class ChapterPaneTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void paneShowsTheTreeOfTheOpenBook();
    void choosingAChapterInTheTreeOpensItInTheEditor();
    void nullBookChangesNothing();
    void previewCoversTheTreeAndCloses();
    void recycleRequestFromTheTreeOpensTheBinForTheBook();

private:
    Widget_Creation_Left* left() const { return m_f->window()->chapterPane(); }
    CreationFixture* m_f = nullptr;
    T_Book* m_book = nullptr;
};

void ChapterPaneTest::initTestCase()
{
    m_f = new CreationFixture();
    QVERIFY(m_f->up());
    m_book = m_f->offlineBook(QStringLiteral("左栏之书"));
    QVERIFY(m_book);
    QVERIFY(m_f->open(m_book));
    m_f->window()->resize(1200, 800);
    QVERIFY(left());
}

void ChapterPaneTest::cleanupTestCase()
{
    delete m_f;
}

void ChapterPaneTest::paneShowsTheTreeOfTheOpenBook()
{
    QCOMPARE(left()->objectName(), QStringLiteral("Widget_Creation_Left"));
    QCOMPARE(left()->findChild<QLabel*>(QStringLiteral("lb_bookName"))->text(), QStringLiteral("左栏之书"));
    QCOMPARE(left()->currentBook(), m_book);
    CBookVolumeController* tree = CBookVolumeController::instance();
    QVERIFY(tree->isCurrentBook(m_book));
    auto* stack = left()->findChild<QStackedWidget*>(QStringLiteral("stackedWidget"));
    QCOMPARE(stack->currentWidget(), static_cast<QWidget*>(tree->getQuickWidget()));
    QVERIFY(tree->volumeModel()->rowCount() >= 1);
    // The old creation buttons stay hidden; the tree's own menu replaces them.
    QVERIFY(left()->findChild<QWidget*>(QStringLiteral("widget_creation_btn"))->isHidden());
}

void ChapterPaneTest::choosingAChapterInTheTreeOpensItInTheEditor()
{
    QVERIFY(m_book->chapterList.size() >= 2);
    T_Chapter* second = m_book->chapterList.at(1);
    CBookVolumeController::instance()->selectedChapter(second->localVolumeId, 1, second->localId);
    QTRY_COMPARE(m_f->pane()->currentChapter(), second);
    QCOMPARE(CBookVolumeController::instance()->currentChapter(), second);

    T_Chapter* first = m_book->chapterList.at(0);
    left()->openBook(m_book, first);
    QTRY_COMPARE(m_f->pane()->currentChapter(), first);
}

void ChapterPaneTest::nullBookChangesNothing()
{
    left()->openBook(nullptr, nullptr);
    QCOMPARE(left()->currentBook(), m_book);
    QCOMPARE(left()->findChild<QLabel*>(QStringLiteral("lb_bookName"))->text(), QStringLiteral("左栏之书"));
    QVERIFY(CBookVolumeController::instance()->isCurrentBook(m_book));
}

void ChapterPaneTest::previewCoversTheTreeAndCloses()
{
    auto* button = left()->findChild<QPushButton*>(QStringLiteral("btnPreview"));
    QWidget* tree = CBookVolumeController::instance()->getQuickWidget();
    QVERIFY(!left()->preview()->isPreview());

    button->click();
    QVERIFY(left()->preview()->isPreview());
    QVERIFY(!tree->isVisible());
    QTRY_COMPARE(left()->preview()->pos(), QPoint(0, 0));

    button->click();
    QVERIFY(!left()->preview()->isPreview());
    QVERIFY(tree->isVisible());

    button->click();
    left()->closePreview();
    QVERIFY(!left()->preview()->isPreview());
    QVERIFY(!button->isChecked());
    // Opening a book always brings the tree back.
    left()->openBook(m_book, nullptr);
    QVERIFY(tree->isVisible());
}

void ChapterPaneTest::recycleRequestFromTheTreeOpensTheBinForTheBook()
{
    QVERIFY(!left()->recycleBin());
    emit CBookVolumeController::instance()->sigRecycle();
    Widget_RecycleBin* bin = left()->recycleBin();
    QVERIFY(bin);
    QVERIFY(bin->isVisible());
    emit CBookVolumeController::instance()->sigRecycle();
    QCOMPARE(left()->recycleBin(), bin);
    left()->closeRecycleBin();
    QVERIFY(!bin->isVisible());
}

int runChapterPaneTests(int argc, char** argv)
{
    ChapterPaneTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_ChapterPane.moc"
