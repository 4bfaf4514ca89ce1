// Toasts of the writing window.

#include "CreationFixture.h"

#include "manager/CUiManager.h"
#include "ui/creation/Widget_ClientTips.h"
#include "ui/creation/Widget_Creation.h"

#include <QGraphicsOpacityEffect>
#include <QLabel>
#include <QPushButton>
#include <QTest>

class ToastTest : public QObject
{
    Q_OBJECT
private slots:
    void eachKindShowsItsIcon_data();
    void eachKindShowsItsIcon();
    void newToastDuringTheFadeShowsFully();
    void toastHidesByItself();
    void windowManagerToastsReachTheWritingWindow();
};

void ToastTest::eachKindShowsItsIcon_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("icon");
    QTest::addColumn<bool>("checked");
    QTest::newRow("error") << 0 << QStringLiteral("btnTips") << false;
    QTest::newRow("success") << 1 << QStringLiteral("btnTips") << true;
    QTest::newRow("notice") << 2 << QStringLiteral("btnInfo") << true;
    QTest::newRow("hint") << 3 << QStringLiteral("btnInfo") << false;
    QTest::newRow("warning") << 4 << QStringLiteral("btnInfo2") << false;
    QTest::newRow("unknown kind") << 9 << QString() << false;
}

void ToastTest::eachKindShowsItsIcon()
{
    QFETCH(int, kind);
    QFETCH(QString, icon);
    QFETCH(bool, checked);
    QWidget host;
    Widget_ClientTips tips(&host);
    // A toast of another kind first: its icon must not linger.
    tips.showTips(QStringLiteral("之前"), kind == 4 ? 0 : 4, 500);
    tips.showTips(QStringLiteral("这一条"), kind, 500);
    QStringList shown;
    for (QPushButton* button : tips.findChildren<QPushButton*>()) {
        if (!button->isHidden())
            shown << button->objectName();
    }
    QCOMPARE(shown, icon.isEmpty() ? QStringList() : QStringList{icon});
    const QPushButton* button = icon.isEmpty() ? nullptr : tips.findChild<QPushButton*>(icon);
    QCOMPARE(button != nullptr && button->isChecked(), checked);
    QCOMPARE(tips.label()->text(), QStringLiteral("这一条"));
}

void ToastTest::newToastDuringTheFadeShowsFully()
{
    QWidget host;
    host.show();
    Widget_ClientTips tips(&host);
    tips.showTips(QStringLiteral("第一条"), 1, 3000);
    QTRY_VERIFY_WITH_TIMEOUT(tips.opacityEffect()->opacity() < 1.0, 5000);
    tips.showTips(QStringLiteral("第二条"), 1, 3000);
    QCOMPARE(tips.opacityEffect()->opacity(), 1.0);
    QVERIFY(tips.isVisible());
    QCOMPARE(tips.label()->text(), QStringLiteral("第二条"));
}

void ToastTest::toastHidesByItself()
{
    QWidget host;
    host.show();
    Widget_ClientTips tips(&host);
    tips.showTips(QStringLiteral("很快消失"), 2, 100);
    QVERIFY(tips.isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(!tips.isVisible(), 10000);
    QCOMPARE(tips.opacityEffect()->opacity(), 1.0);
}

void ToastTest::windowManagerToastsReachTheWritingWindow()
{
    CreationFixture f;
    T_Book* book = f.start(QStringLiteral("提示"));
    QVERIFY(book);
    CUiManager::instance()->showError(QStringLiteral("出错了"), 1000);
    QVERIFY(f.window()->tips()->isVisible());
    QCOMPARE(f.window()->tips()->label()->text(), QStringLiteral("出错了"));
    CUiManager::instance()->closeCreation();
    f.window()->tips()->hide();
    CUiManager::instance()->showError(QStringLiteral("没有窗口"), 1000);
    QVERIFY(!f.window()->tips()->isVisible());
}

int runToastTests(int argc, char** argv)
{
    ToastTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_Toasts.moc"
