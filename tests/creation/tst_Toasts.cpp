// Toasts of the writing window and the floating tip.

#include "CreationFixture.h"

#include "common/StyleType.h"
#include "manager/CQssManager.h"
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
    void kindsPickIconAndColour();
    void darkThemeChangesOnlyTheHintColours();
    void emptyTextLeavesTheIconWidth();
    void newToastDuringTheFadeShowsFully();
    void toastHidesByItself();
    void windowManagerToastsReachTheWritingWindow();
    void floatingTipShowsItsText();
};

void ToastTest::kindsPickIconAndColour()
{
    QWidget host;
    Widget_ClientTips tips(&host);
    tips.showTips(QStringLiteral("保存失败"), 0, 500);
    auto* error = tips.findChild<QPushButton*>(QStringLiteral("btnTips"));
    QVERIFY(!error->isHidden());
    QVERIFY(!error->isChecked());
    QVERIFY(tips.background()->styleSheet().contains(QStringLiteral("#FFC0CB")));
    tips.showTips(QStringLiteral("已保存"), 1, 500);
    QVERIFY(error->isChecked());
    QVERIFY(tips.background()->styleSheet().contains(QStringLiteral("#B251a8ff")));
    tips.showTips(QStringLiteral("提示"), 2, 500);
    QVERIFY(error->isHidden());
    QVERIFY(tips.findChild<QPushButton*>(QStringLiteral("btnInfo"))->isChecked());
    tips.showTips(QStringLiteral("提示"), 4, 500);
    QVERIFY(!tips.findChild<QPushButton*>(QStringLiteral("btnInfo2"))->isHidden());
    QVERIFY(tips.findChild<QPushButton*>(QStringLiteral("btnInfo"))->isHidden());
    tips.showTips(QStringLiteral("别的"), 9, 500);
    QVERIFY(tips.background()->styleSheet().contains(QStringLiteral("#B251a8ff")));
    QCOMPARE(tips.label()->text(), QStringLiteral("别的"));
}

void ToastTest::darkThemeChangesOnlyTheHintColours()
{
    CQssManager* qss = CQssManager::instance();
    qss->setQssStyle(StyleLight, QStringLiteral(":/res/qss/light.qss"));
    qss->setQssStyle(StyleDark, QStringLiteral(":/res/qss/dark.qss"));
    qss->applyStyle(StyleDark);
    QWidget host;
    Widget_ClientTips tips(&host);
    tips.showTips(QStringLiteral("提示"), 3, 500);
    QVERIFY(tips.background()->styleSheet().contains(QStringLiteral("#8FA3D4")));
    tips.showTips(QStringLiteral("错误"), 0, 500);
    QVERIFY(tips.background()->styleSheet().contains(QStringLiteral("#FFC0CB")));
    qss->applyStyle(StyleLight);
    tips.showTips(QStringLiteral("提示"), 3, 500);
    QVERIFY(tips.background()->styleSheet().contains(QStringLiteral("#D6E2FF")));
}

void ToastTest::emptyTextLeavesTheIconWidth()
{
    QWidget host;
    Widget_ClientTips tips(&host);
    tips.showTips(QString(), 1, 500);
    QCOMPARE(tips.width(), 78);
    tips.showTips(QStringLiteral("一段比较长的提示文字"), 1, 500);
    QVERIFY(tips.width() > 78);
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
    QVERIFY(f.up());
    T_Book* book = f.offlineBook(QStringLiteral("提示"));
    QVERIFY(book);
    QVERIFY(f.open(book));
    CUiManager::instance()->showError(QStringLiteral("出错了"), 1000);
    QVERIFY(f.window()->tips()->isVisible());
    QCOMPARE(f.window()->tips()->label()->text(), QStringLiteral("出错了"));
    QCOMPARE(f.window()->tips()->y(), 66);
    CUiManager::instance()->closeCreation();
    f.window()->tips()->hide();
    CUiManager::instance()->showError(QStringLiteral("没有窗口"), 1000);
    QVERIFY(!f.window()->tips()->isVisible());
}

void ToastTest::floatingTipShowsItsText()
{
    Float_Tips tip;
    QCOMPARE(tip.objectName(), QStringLiteral("Float_Tips"));
    QCOMPARE(tip.size(), QSize(78, 36));
    tip.setText(QStringLiteral("已复制"));
    QCOMPARE(tip.text(), QStringLiteral("已复制"));
    QVERIFY(tip.windowFlags().testFlag(Qt::Popup));
}

int runToastTests(int argc, char** argv)
{
    ToastTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_Toasts.moc"
