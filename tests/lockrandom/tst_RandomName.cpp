// The random-name panel over name lists placed in the model's cache, the
// way the system manager keeps them once read from tb_people.

#include "db/CTessaneDb.h"
#include "manager/CPublicManager.h"
#include "remote/records/SystemRecords.h"
#include "ui/creation/CRandomNameDelegate.h"
#include "ui/creation/Widget_ClientTips.h"
#include "ui/creation/Widget_RandomName.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QClipboard>
#include <QListView>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {
// One name per list, named after its list.
void fillLists()
{
    QMap<int, QStringList>& cache = CPublicManager::instance()->nameCache;
    cache.clear();
    for (int type = 1; type <= 20; ++type)
        cache[type] = QStringList{QStringLiteral("n%1").arg(type)};
}

void clickKind(Widget_RandomName& w, const char* name)
{
    w.findChild<QAbstractButton*>(QString::fromLatin1(name))->click();
}

QLineEdit* fixedPart(Widget_RandomName& w)
{
    return w.findChild<QLineEdit*>(QStringLiteral("lineEdit"));
}
} // namespace

class RandomNameTest : public QObject
{
    Q_OBJECT
private slots:
    void init() { fillLists(); }
    void cleanupTestCase() { CPublicManager::instance()->nameCache.clear(); }

    void fixedSurnameIsUsedForAllNames()
    {
        Widget_RandomName w;
        clickKind(w, "btnEnglishName");
        fixedPart(w)->setText(QStringLiteral("Turner"));
        w.findChild<QPushButton*>(QStringLiteral("btnConfirm"))->click();
        QCOMPARE(w.names().size(), 20);
        for (const QString& name : w.names())
            QCOMPARE(name, QStringLiteral("n11·Turner"));
    }

    void emptyListsGiveNothing()
    {
        CPublicManager::instance()->nameCache.clear();
        for (int type = 1; type <= 20; ++type)
            CPublicManager::instance()->nameCache[type] = QStringList();
        Widget_RandomName w;
        QVERIFY(w.names().isEmpty());
        fixedPart(w)->setText(QStringLiteral("李"));
        w.findChild<QPushButton*>(QStringLiteral("btnSingle"))->click();
        QVERIFY(fixedPart(w)->text().isEmpty());
        clickKind(w, "btnJapanesName");
        fixedPart(w)->setText(QStringLiteral("木"));
        w.findChild<QPushButton*>(QStringLiteral("btnSurname"))->click();
        QCOMPARE(fixedPart(w)->text(), QStringLiteral("木"));
    }

    // The lists a new database is seeded with give each gender names of its
    // own kind only, in the lists and through the panel.
    void genderedNamesKeepTheirKind_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("gender");
        QTest::addColumn<QList<int>>("types");
        QTest::addColumn<QList<int>>("otherTypes");
        QTest::addColumn<QString>("never");  // characters of the other kind only
        const QString female = QStringLiteral("娟娥莉婷娜妹姗娇妮媛嫣婉姝婧萍菊芬莲翠艳黛倩莺");
        const QString male = QStringLiteral("彪刚勇强军雄豪虎猛武威壮铁钢鹏栋斌");
        QTest::newRow("中国 男") << "btnChineseName" << "radioButton_man" << QList<int>{3, 5} << QList<int>{4, 6} << female;
        QTest::newRow("中国 女") << "btnChineseName" << "radioButton_women" << QList<int>{4, 6} << QList<int>{3, 5} << male;
        QTest::newRow("日本 男") << "btnJapanesName" << "radioButton_man" << QList<int>{8} << QList<int>{9} << "子美奈香菜花";
        QTest::newRow("日本 女") << "btnJapanesName" << "radioButton_women" << QList<int>{9} << QList<int>{8} << "郎介太斗彦";
        QTest::newRow("西方 男") << "btnEnglishName" << "radioButton_man" << QList<int>{11} << QList<int>{12} << "丽莉娜丝琳莎妮娅";
        QTest::newRow("西方 女") << "btnEnglishName" << "radioButton_women" << QList<int>{12} << QList<int>{11} << "森姆查肯";
    }

    void genderedNamesKeepTheirKind()
    {
        QFETCH(QString, kind);
        QFETCH(QString, gender);
        QFETCH(QList<int>, types);
        QFETCH(QList<int>, otherTypes);
        QFETCH(QString, never);
        QTemporaryDir dir;
        CTessaneDb db(nullptr, QStringLiteral("seeded-names"));
        TS_Sensitive_NameData seeded;
        QVERIFY(db.init(dir.filePath(QStringLiteral("wrt.db")), dir.path()) && db.getAllPeopleNames(seeded));
        QStringList own, others;
        for (int type : types)
            own += seeded.lists.value(type);
        for (int type : otherTypes)
            others += seeded.lists.value(type);
        const auto wrong = [&](const QString& name) {
            return others.contains(name) || std::any_of(never.begin(), never.end(), [&](QChar c) { return name.contains(c); });
        };
        QVERIFY(!own.isEmpty());
        for (const QString& name : own)
            QVERIFY2(!wrong(name), qPrintable(name));
        // Through the panel, with a fixed surname the given names are told from.
        CPublicManager::instance()->nameCache = seeded.lists;
        Widget_RandomName w;
        w.findChild<QAbstractButton*>(kind)->click();
        w.findChild<QAbstractButton*>(gender)->click();
        fixedPart(w)->setText(QStringLiteral("X"));
        for (int round = 0; round < 10; ++round) {
            w.findChild<QPushButton*>(QStringLiteral("btnConfirm"))->click();
            for (QString name : w.names())
                QVERIFY2(!wrong(name.remove(QLatin1Char('X')).remove(QChar(0xb7))), qPrintable(name));
        }
    }

    void clickingANameCopiesIt()
    {
        Widget_RandomName w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QListView* view = w.listView();
        QApplication::clipboard()->clear();
        const QModelIndex first = view->model()->index(0, 0);
        const QPoint centre = view->visualRect(first).center();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, centre);
        QCOMPARE(QApplication::clipboard()->text(), first.data().toString());
        QVERIFY(w.delegate()->tip()->isVisible());
        // Again on the selected item: copied again.
        QApplication::clipboard()->clear();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, centre);
        QCOMPARE(QApplication::clipboard()->text(), first.data().toString());
    }

};

int runRandomNameTests(int argc, char** argv)
{
    RandomNameTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_RandomName.moc"
