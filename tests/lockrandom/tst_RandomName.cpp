// The random-name panel over name lists placed in the model's cache, the
// way the system manager keeps them once read from tb_people.

#include "manager/CPublicManager.h"
#include "ui/creation/CRandomNameDelegate.h"
#include "ui/creation/Widget_ClientTips.h"
#include "ui/creation/Widget_RandomName.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {
QStringList words(const QString& prefix, int n)
{
    QStringList out;
    for (int i = 0; i < n; ++i)
        out.append(prefix + QString::number(i));
    return out;
}

void fillLists()
{
    QMap<int, QStringList>& cache = CPublicManager::instance()->nameCache;
    cache.clear();
    cache[1] = QStringList{QStringLiteral("赵"), QStringLiteral("钱")};
    cache[2] = QStringList{QStringLiteral("欧阳")};
    cache[3] = QStringList{QStringLiteral("明")};
    cache[5] = QStringList{QStringLiteral("子轩")};
    cache[4] = QStringList{QStringLiteral("婷")};
    cache[6] = QStringList{QStringLiteral("雨涵")};
    cache[7] = QStringList{QStringLiteral("山田")};
    cache[8] = QStringList{QStringLiteral("太郎")};
    cache[9] = QStringList{QStringLiteral("花子")};
    cache[10] = QStringList{QStringLiteral("Smith")};
    cache[11] = QStringList{QStringLiteral("John")};
    cache[12] = QStringList{QStringLiteral("Mary")};
    cache[13] = QStringList{QStringLiteral("Lon")};
    cache[14] = QStringList{QStringLiteral("堡")};
    cache[15] = QStringList{QStringLiteral("青石")};
    cache[16] = QStringList{QStringLiteral("镇")};
    cache[17] = words(QStringLiteral("幻"), 3);
    cache[18] = words(QStringLiteral("奇"), 3);
    cache[19] = words(QStringLiteral("武"), 3);
    cache[20] = words(QStringLiteral("玄"), 3);
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

    void opensOnTwentyChineseNames()
    {
        Widget_RandomName w;
        QCOMPARE(w.currentKind(), 0);
        const QStringList names = w.names();
        QCOMPARE(names.size(), 20);
        const QStringList surnames{QStringLiteral("赵"), QStringLiteral("钱"), QStringLiteral("欧阳")};
        const QStringList given{QStringLiteral("明"), QStringLiteral("子轩")};
        for (const QString& name : names) {
            bool ok = false;
            for (const QString& s : surnames)
                for (const QString& g : given)
                    ok = ok || name == s + g;
            QVERIFY2(ok, qPrintable(name));
        }
    }

    void everyKindGivesTwentyOfItsLists_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("sample");
        QTest::newRow("western") << "btnEnglishName" << 1 << "John·Smith";
        QTest::newRow("japanese") << "btnJapanesName" << 2 << "山田太郎";
        QTest::newRow("chinese places") << "btnChineseToponym" << 4 << "青石镇";
        QTest::newRow("western places") << "btnWestToponym" << 5 << "Lon堡";
        QTest::newRow("fantasy places") << "btnFntsyToponym" << 6 << "幻";
        QTest::newRow("qh techniques") << "btnGongQh" << 8 << "奇";
        QTest::newRow("wx techniques") << "btnGongWx" << 9 << "武";
        QTest::newRow("xh techniques") << "btnGongXh" << 10 << "玄";
    }
    void everyKindGivesTwentyOfItsLists()
    {
        QFETCH(QString, button);
        QFETCH(int, kind);
        QFETCH(QString, sample);
        Widget_RandomName w;
        clickKind(w, qPrintable(button));
        QCOMPARE(w.currentKind(), kind);
        const QStringList names = w.names();
        QCOMPARE(names.size(), 20);
        for (const QString& name : names)
            QVERIFY2(name.startsWith(sample), qPrintable(name));
    }

    void femaleNamesComeFromTheFemaleLists()
    {
        Widget_RandomName w;
        w.findChild<QRadioButton*>(QStringLiteral("radioButton_women"))->click();
        clickKind(w, "btnEnglishName");
        QVERIFY(w.names().contains(QStringLiteral("Mary·Smith")));
        QVERIFY(!w.names().join(QString()).contains(QStringLiteral("John")));
    }

    void fixedSurnameIsUsedForAllNames()
    {
        Widget_RandomName w;
        clickKind(w, "btnEnglishName");
        fixedPart(w)->setText(QStringLiteral("Turner"));
        w.findChild<QPushButton*>(QStringLiteral("btnConfirm"))->click();
        QCOMPARE(w.names().size(), 20);
        for (const QString& name : w.names())
            QCOMPARE(name, QStringLiteral("John·Turner"));
    }

    void fixedPartButtonsFillTheField()
    {
        Widget_RandomName w;
        w.findChild<QPushButton*>(QStringLiteral("btnDouble"))->click();
        QCOMPARE(fixedPart(w)->text(), QStringLiteral("欧阳"));
        clickKind(w, "btnWestToponym");
        w.findChild<QPushButton*>(QStringLiteral("btnSurname"))->click();
        QCOMPARE(fixedPart(w)->text(), QStringLiteral("堡"));
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
