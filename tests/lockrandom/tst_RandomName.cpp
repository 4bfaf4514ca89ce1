// The random-name panel over name lists placed in the model's cache, the
// way the system manager keeps them once read from tb_people.

#include "manager/CPublicManager.h"
#include "ui/creation/CRandomNameDelegate.h"
#include "ui/creation/Widget_ClientTips.h"
#include "ui/creation/Widget_RandomName.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QClipboard>
#include <QListView>
#include <QPushButton>
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
