// The QML panel itself, driven through its own items: it loads, shows the
// cards, sizes the book list, switches modes, and saves typed text by the
// panel's rules. One screenshot is kept for a look.

#include "OutlineFixture.h"

#include "outline/COutlineController.h"
#include "outline/COutlineModel.h"
#include "outline/COutlineSortModel.h"

#include "db/records/T_Book.h"
#include "manager/CPublicManager.h"

#include <QDir>
#include <QImage>
#include <QQuickItem>
#include <QQuickWidget>
#include <QTest>

namespace {

QQuickItem* findItem(QQuickItem* item, const QString& name)
{
    if (item == nullptr)
        return nullptr;
    if (item->objectName() == name)
        return item;
    for (QQuickItem* child : item->childItems()) {
        if (QQuickItem* found = findItem(child, name))
            return found;
    }
    return nullptr;
}

// The card of an outline: the delegate whose cLocalId matches.
QQuickItem* findCard(QQuickItem* item, int localId)
{
    if (item == nullptr)
        return nullptr;
    if (item->property("editingNow").isValid() && item->property("cLocalId").toInt() == localId)
        return item;
    for (QQuickItem* child : item->childItems()) {
        if (QQuickItem* found = findCard(child, localId))
            return found;
    }
    return nullptr;
}

QQuickItem* cardText(QQuickItem* card)
{
    return findItem(card, QStringLiteral("cardText"));
}

struct Panel
{
    COutlineController* ctr = COutlineController::instance();
    QQuickWidget* widget = nullptr;
    QQuickItem* root = nullptr;

    explicit Panel(T_Book* book)
    {
        widget = ctr->getWidget();
        ctr->addAllItem(book);
        widget->resize(351, 700);
        ctr->setHeight(700);
        widget->show();
        root = widget->rootObject();
    }
    QQuickItem* item(const char* name) const { return findItem(root, QString::fromLatin1(name)); }
};

}

class OutlinePanelTest : public QObject
{
    Q_OBJECT
private slots:
    void panelLoadsAndShowsOneCardPerOutline();
    void selectionButtonsFollowTheChecks();
    void switchingBooksResetsFilterAndMode();
    void createWithoutFilterMakesBookOutlines();
    void smallEditsWaitForTheEndOfEditing();
    void newCardIsStoredOnItsFirstCharacter();
    void textOverTheLimitIsStoredWhole();
    void leavingAnEmptyNewCardRemovesIt();
};

void OutlinePanelTest::panelLoadsAndShowsOneCardPerOutline()
{
    OutlineFixture f;
    QVERIFY(f.up());
    T_Book* book = f.offlineBook(QStringLiteral("长篇《星海\"%1\"》的名字很长很长"));
    QVERIFY(book);
    QVERIFY(OutlineFixture::stored(book, 1, 1, QStringLiteral("主角出身寒门，十六岁离家。")));
    QVERIFY(OutlineFixture::stored(book, 2, 2, QStringLiteral("第一卷：\"%1\" 与 '%2' 的约定\n第二行\n第三行")));
    QVERIFY(OutlineFixture::stored(book, 3, 3, QStringLiteral("林青：剑客")));
    QVERIFY(OutlineFixture::stored(book, 4, 4, QStringLiteral("世界观：九州")));
    Panel p(book);
    QCOMPARE(p.widget->status(), QQuickWidget::Ready);
    QVERIFY(p.root);
    QQuickItem* list = p.item("cardList");
    QVERIFY(list);
    QTRY_COMPARE(list->property("count").toInt(), 4);
    QVERIFY(p.item("bookNameText")->property("text").toString().startsWith(QStringLiteral("《长篇")));
    QVERIFY(p.item("bookNameText")->property("text").toString().endsWith(QStringLiteral("》")));

    const int plotId = book->outline.outlineList.at(1)->localId;
    QQuickItem* plotCard = findCard(list, plotId);
    QVERIFY(plotCard);
    QCOMPARE(cardText(plotCard)->property("text").toString(),
             QStringLiteral("第一卷：\"%1\" 与 '%2' 的约定\n第二行\n第三行"));

    // An unfolded card shows every line.
    p.ctr->expand(plotId, true);
    QTRY_COMPARE(cardText(plotCard)->property("lineCount").toInt(), 3);
}

void OutlinePanelTest::selectionButtonsFollowTheChecks()
{
    OutlineFixture f;
    QVERIFY(f.up());
    T_Book* book = f.offlineBook(QStringLiteral("选择"));
    QVERIFY(book);
    T_Outline* a = OutlineFixture::stored(book, 1, 1, QStringLiteral("a"));
    QVERIFY(a && OutlineFixture::stored(book, 2, 2, QStringLiteral("b")));
    Panel p(book);
    p.root->setProperty("selectMode", true);
    QQuickItem* third = p.item("selectAllButton");
    QQuickItem* exportButton = p.item("exportButton");
    QQuickItem* deleteButton = p.item("deleteButton");
    QVERIFY(third && exportButton && deleteButton);
    QCOMPARE(third->property("text").toString(), QStringLiteral("全选"));
    QVERIFY(!exportButton->isEnabled());
    QVERIFY(!deleteButton->isEnabled());
    p.ctr->checkAll(true);
    QCOMPARE(third->property("text").toString(), QStringLiteral("取消"));
    QVERIFY(exportButton->isEnabled());
    p.ctr->check(a->localId, false);
    QCOMPARE(third->property("text").toString(), QStringLiteral("全选"));
    QVERIFY(deleteButton->isEnabled());
}

void OutlinePanelTest::switchingBooksResetsFilterAndMode()
{
    OutlineFixture f;
    QVERIFY(f.up());
    T_Book* first = f.offlineBook(QStringLiteral("甲"));
    T_Book* second = f.offlineBook(QStringLiteral("乙"));
    QVERIFY(first && second);
    Panel p(first);
    QVERIFY(QMetaObject::invokeMethod(p.root, "chooseFilter", Q_ARG(QVariant, 3)));
    p.root->setProperty("selectMode", true);
    p.root->setProperty("olType", 4);
    QCOMPARE(p.ctr->sortModel()->filter(), 3);
    p.ctr->toggleBook(second->localId);
    QCOMPARE(p.root->property("filterT").toInt(), 0);
    QCOMPARE(p.root->property("selectMode").toBool(), false);
    QCOMPARE(p.root->property("olType").toInt(), 1);
    QCOMPARE(p.root->property("bookName").toString(), QStringLiteral("乙"));
    QCOMPARE(p.ctr->sortModel()->filter(), 0);
}

void OutlinePanelTest::createWithoutFilterMakesBookOutlines()
{
    OutlineFixture f;
    QVERIFY(f.up());
    T_Book* book = f.offlineBook(QStringLiteral("新卡"));
    QVERIFY(book);
    QVERIFY(OutlineFixture::stored(book, 2, 1, QStringLiteral("情节")));
    Panel p(book);
    QVERIFY(QMetaObject::invokeMethod(p.root, "createCard"));
    QCOMPARE(p.root->property("olType").toInt(), 1);
    QCOMPARE(p.root->property("filterT").toInt(), 1);
    QCOMPARE(p.ctr->sortModel()->filter(), 0);  // the list keeps every type
    QCOMPARE(p.ctr->sortModel()->rowCount(), 2);
    QCOMPARE(book->outline.outlineList.first()->localId, 0);
    QCOMPARE(book->outline.outlineList.first()->type, 1);
}

void OutlinePanelTest::smallEditsWaitForTheEndOfEditing()
{
    OutlineFixture f;
    QVERIFY(f.up());
    T_Book* book = f.offlineBook(QStringLiteral("编辑"));
    QVERIFY(book);
    T_Outline* outline = OutlineFixture::stored(book, 1, 1, QStringLiteral("开头"));
    QVERIFY(outline);
    Panel p(book);
    QQuickItem* card = nullptr;
    QTRY_VERIFY((card = findCard(p.root, outline->localId)) != nullptr);
    QQuickItem* text = cardText(card);
    QVERIFY(QMetaObject::invokeMethod(card, "beginEdit"));
    QVERIFY(outline->isEdit);

    text->setProperty("text", QStringLiteral("开头12345"));
    QCOMPARE(OutlineFixture::storedContent(outline->localId), QStringLiteral("开头"));
    text->setProperty("text", QStringLiteral("开头1234567890\"%1\""));  // 14 more: stored at once
    QCOMPARE(OutlineFixture::storedContent(outline->localId), QStringLiteral("开头1234567890\"%1\""));
    text->setProperty("text", QStringLiteral("开头1234567890\"%1\"!"));
    QVERIFY(QMetaObject::invokeMethod(card, "leave"));
    QCOMPARE(OutlineFixture::storedContent(outline->localId), QStringLiteral("开头1234567890\"%1\"!"));
    QVERIFY(!outline->isEdit);
}

void OutlinePanelTest::newCardIsStoredOnItsFirstCharacter()
{
    OutlineFixture f;
    QVERIFY(f.up());
    T_Book* book = f.offlineBook(QStringLiteral("首字"));
    QVERIFY(book);
    Panel p(book);
    QVERIFY(QMetaObject::invokeMethod(p.root, "createCard"));
    QQuickItem* card = nullptr;
    QTRY_VERIFY((card = findCard(p.root, 0)) != nullptr);
    QTRY_VERIFY(card->isVisible());
    QCOMPARE(cardText(card)->property("placeholderText").toString(), QStringLiteral("请输入本书概要"));
    QVERIFY(QMetaObject::invokeMethod(card, "beginEdit"));
    cardText(card)->setProperty("text", QStringLiteral("新"));
    QCOMPARE(OutlineFixture::outlineRows(book->localId), 1);
    const int localId = book->outline.outlineList.first()->localId;
    QVERIFY(localId > 0);
    QCOMPARE(card->property("cLocalId").toInt(), localId);
    QCOMPARE(OutlineFixture::storedContent(localId), QStringLiteral("新"));
    // The first outline of a book is number 1, recorded for the platform
    // together with the day's outline characters.
    QCOMPARE(OutlineFixture::storedOrder(localId), 1);
    QCOMPARE(OutlineFixture::jobTypes(), QList<int>({1022, 2006}));
}

void OutlinePanelTest::leavingAnEmptyNewCardRemovesIt()
{
    OutlineFixture f;
    QVERIFY(f.up());
    T_Book* book = f.offlineBook(QStringLiteral("空卡"));
    QVERIFY(book);
    Panel p(book);
    QVERIFY(QMetaObject::invokeMethod(p.root, "createCard"));
    QQuickItem* card = nullptr;
    QTRY_VERIFY((card = findCard(p.root, 0)) != nullptr);
    QVERIFY(QMetaObject::invokeMethod(card, "beginEdit"));
    QVERIFY(QMetaObject::invokeMethod(card, "leave"));  // no question asked
    QVERIFY(book->outline.outlineList.isEmpty());
    QCOMPARE(OutlineFixture::outlineRows(book->localId), 0);
    QVERIFY(OutlineFixture::jobTypes().isEmpty());
}

void OutlinePanelTest::textOverTheLimitIsStoredWhole()
{
    OutlineFixture f;
    QVERIFY(f.up());
    T_Book* book = f.offlineBook(QStringLiteral("长文"));
    QVERIFY(book);
    T_Outline* outline = OutlineFixture::stored(book, 1, 1, QStringLiteral("短"));
    QVERIFY(outline);
    Panel p(book);
    QQuickItem* card = nullptr;
    QTRY_VERIFY((card = findCard(p.root, outline->localId)) != nullptr);
    QVERIFY(QMetaObject::invokeMethod(card, "beginEdit"));
    // Past the limit the author is told, and nothing is cut.
    const QString longText = QString(20001, QChar(0x5B57)) + QStringLiteral("\"%1\"");
    cardText(card)->setProperty("text", longText);
    QCOMPARE(OutlineFixture::storedContent(outline->localId), longText);
    QVERIFY(QMetaObject::invokeMethod(card, "leave"));
    QCOMPARE(outline->content.size(), longText.size());
}

int runOutlinePanelTests(int argc, char** argv)
{
    OutlinePanelTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_OutlinePanel.moc"
