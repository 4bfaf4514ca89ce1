// The QML panel itself, driven through its own items: typed text is saved
// by the panel's rules.

#include "OutlineFixture.h"
#include "WritingFaults.h"

#include "outline/COutlineController.h"
#include "outline/COutlineModel.h"
#include "outline/COutlineSortModel.h"

#include "db/records/T_Book.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"

#include <QDir>
#include <QImage>
#include <QJsonArray>
#include <QMap>
#include <QQuickItem>
#include <QQuickWidget>
#include <QSignalSpy>
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
    // A card "原文" made in the panel, once the platform has it.
    const T_Outline* syncedCard(const T_Book* book) const
    {
        ctr->create(1, QStringLiteral("原文"));
        const T_Outline* outline = book->outline.outlineList.value(0);
        return outline && OutlineFixture::waitUntil([&]() {
                   return outline->outlineId > 0 && OutlineFixture::jobTypes().isEmpty();
               })
                   ? outline
                   : nullptr;
    }
};

}

class OutlinePanelTest : public QObject
{
    Q_OBJECT
private slots:
    void newCardIsStoredOnItsFirstCharacter();
    void textOverTheLimitIsStoredWhole();
    void leavingAnEmptyNewCardRemovesIt();
    void shortChangeIsStoredAtThePauseWithTheCardOpen();
    void outlineRetypedElsewhereKeepsBothTexts_data();
    void outlineRetypedElsewhereKeepsBothTexts();
};

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

void OutlinePanelTest::shortChangeIsStoredAtThePauseWithTheCardOpen()
{
    OutlineFixture f;
    QVERIFY(f.up());
    T_Book* book = f.offlineBook(QStringLiteral("停顿"));
    QVERIFY(book);
    T_Outline* outline = OutlineFixture::stored(book, 1, 1, QStringLiteral("短"));
    QVERIFY(outline);
    const int localId = outline->localId;
    Panel p(book);
    QQuickItem* card = nullptr;
    QTRY_VERIFY((card = findCard(p.root, localId)) != nullptr);
    QVERIFY(QMetaObject::invokeMethod(card, "beginEdit"));
    QSignalSpy told(CUiManager::instance(), &CUiManager::sig_Message);
    {
        // A pause whose save the database refuses: the words stay in the
        // card, the author is told, and the retry after its wait stores them
        // with no further key.
        WriteFault refused(QStringLiteral("tb_outline"), QStringLiteral("UPDATE"));
        cardText(card)->setProperty("text", QStringLiteral("短一"));
        const QString saidFirst =
            QCoreApplication::translate("COutlineController",
                                        "The outline could not be saved; its text stays in the card.\n%1")
                .section(QLatin1Char('\n'), 0, 0);
        const auto toldOnce = [&told, &saidFirst]() {
            int count = 0;
            for (const QList<QVariant>& message : qAsConst(told))
                count += message.first().toString().startsWith(saidFirst) ? 1 : 0;
            return count;
        };
        QTRY_COMPARE(toldOnce(), 1);
        QCOMPARE(cardText(card)->property("text").toString(), QStringLiteral("短一"));
        QCOMPARE(OutlineFixture::storedContent(localId), QStringLiteral("短"));
    }
    QTRY_COMPARE_WITH_TIMEOUT(OutlineFixture::storedContent(localId), QStringLiteral("短一"), 15000);
    cardText(card)->setProperty("text", QStringLiteral("短一些"));
    QTRY_COMPARE(OutlineFixture::storedContent(localId), QStringLiteral("短一些"));
    QCOMPARE(outline->content, QStringLiteral("短一些"));
    QVERIFY(card->property("editingNow").toBool());
}

void OutlinePanelTest::outlineRetypedElsewhereKeepsBothTexts_data()
{
    // Typed in a card while the feed's look at the outline waits (its
    // answer held until the author typed); typed in a card opened before or
    // after the words written elsewhere, before any pull; or saved by the
    // panel with no card typed in, before any pull.
    QTest::addColumn<QString>("card");
    QTest::newRow("words waiting for the pause when the feed looks") << "feed";
    QTest::newRow("card open before the edit elsewhere, saved before the pull") << "before";
    QTest::newRow("card opened after the edit elsewhere, saved before the pull") << "after";
    QTest::newRow("saved with no card typed in before the pull") << "none";
}

// Another device retypes the outline while this machine is online. The
// words this machine saves stay the outline's and the other device's become
// an outline of their own, here and on the platform.
void OutlinePanelTest::outlineRetypedElsewhereKeepsBothTexts()
{
    QFETCH(QString, card);
    OutlineFixture f;
    QVERIFY(f.up());
    T_Book* book = f.onlineBook(QStringLiteral("两处"));
    QVERIFY(book);
    Panel p(book);
    const T_Outline* outline = p.syncedCard(book);
    QVERIFY(outline);
    const int localId = outline->localId;
    const int outlineId = outline->outlineId;
    QQuickItem* typed = nullptr;
    const auto openCard = [&]() {
        return OutlineFixture::waitUntil([&]() { return (typed = findCard(p.root, localId)) != nullptr; })
               && QMetaObject::invokeMethod(typed, "beginEdit");
    };
    QVERIFY(card != QLatin1String("before") || openCard());
    QVERIFY(!standin().callAs(QStringLiteral("machine2000000000000000000000000"), QStringLiteral("/bookoutline/editOutline"),
                              {{QStringLiteral("outline_id"), outlineId}, {QStringLiteral("content"), QStringLiteral("别处写的")}})
                 .isEmpty());
    const QString detail = QStringLiteral("/bookoutline/outlineDetail");
    if (card == QLatin1String("feed")) {
        QVERIFY(standin().addFault(detail, QStringLiteral("ok"), -1));
        CJobManager::instance()->synNow(false);
        QVERIFY(OutlineFixture::waitUntil([&]() { return OutlineFixture::sent(detail) > 0; }));
    }
    QVERIFY((card != QLatin1String("after") && card != QLatin1String("feed")) || openCard());
    if (typed)
        cardText(typed)->setProperty("text", QStringLiteral("原文本机写的"));
    else
        QVERIFY(p.ctr->update(localId, outline->type, QStringLiteral("原文本机写的")));
    QVERIFY(card != QLatin1String("feed") || standin().releaseHeld());
    const auto platform = []() {
        QMap<int, QString> texts;
        for (const QJsonValue& value : standin().store().value(QStringLiteral("outlines")).toArray())
            texts.insert(value[QStringLiteral("outline_id")].toInt(), value[QStringLiteral("content")].toString());
        return texts;
    };
    QVERIFY(OutlineFixture::waitUntil([&]() {
        return OutlineFixture::jobTypes().isEmpty() && platform().value(outlineId) == QStringLiteral("原文本机写的")
               && platform().values().count(QStringLiteral("别处写的")) == 1;
    }));
    QCOMPARE(OutlineFixture::storedContent(localId), QStringLiteral("原文本机写的"));
    QVERIFY(!typed || cardText(typed)->property("text").toString() == QStringLiteral("原文本机写的"));
    int copies = 0;
    for (const T_Outline* other : qAsConst(book->outline.outlineList))
        copies += other->localId != localId && other->content == QStringLiteral("别处写的") ? 1 : 0;
    QCOMPARE(copies, 1);
}

int runOutlinePanelTests(int argc, char** argv)
{
    OutlinePanelTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_OutlinePanel.moc"
