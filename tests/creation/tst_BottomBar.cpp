// The bottom bar's figures and the fee dialog's range check.

#include "manager/CPublicManager.h"
#include "ui/creation/Dialog_Remuneration.h"
#include "ui/creation/Widget_Creation_Bottom.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

class BottomBarTest : public QObject
{
    Q_OBJECT
private slots:
    void cleanup();
    void feeIsRoundedDownToTheCent();
    void selectionShowsBeforeTheTotal();
    void speedCountsDownUntilTheFirstWindow();
    void lampsFollowActivity();
    void feeDialogAcceptsOnlyTheRange();
    void feeDialogPresetIsCutToFiveCharacters();

private:
    T_WritingCounters& writing() { return CPublicManager::instance()->writing; }
};

void BottomBarTest::cleanup()
{
    writing() = T_WritingCounters();
    CPublicManager::instance()->feeRate = 0.0;
}

void BottomBarTest::feeIsRoundedDownToTheCent()
{
    QCOMPARE(Widget_Creation_Bottom::feeText(3456, 10), QStringLiteral("34.56元"));
    QCOMPARE(Widget_Creation_Bottom::feeText(999, 1), QStringLiteral("0.99元"));
    QCOMPARE(Widget_Creation_Bottom::feeText(5, 1), QStringLiteral("0.00元"));
    QCOMPARE(Widget_Creation_Bottom::feeText(3456, 0), QStringLiteral("0.00元"));
}

void BottomBarTest::selectionShowsBeforeTheTotal()
{
    Widget_Creation_Bottom bar;
    writing().lastWordCount = 3456;
    bar.updateInfo(false, 10);
    QVERIFY(bar.findChild<QLabel*>(QStringLiteral("label_selectWord"))->isHidden());
    QCOMPARE(bar.findChild<QLabel*>(QStringLiteral("lb_wordCount"))->text(), QStringLiteral("3456"));
    writing().selectedWords = 12;
    bar.updateInfo(false, 10);
    QVERIFY(!bar.findChild<QLabel*>(QStringLiteral("label_selectWord"))->isHidden());
    QCOMPARE(bar.findChild<QLabel*>(QStringLiteral("label_selectWord"))->text(), QStringLiteral("12"));
    QCOMPARE(bar.findChild<QLabel*>(QStringLiteral("lb_wordCount"))->text(), QStringLiteral("/3456"));
    CPublicManager::instance()->feeRate = 10;
    bar.updateInfo(false, 10);
    QCOMPARE(bar.findChild<QLabel*>(QStringLiteral("lb_money"))->text(), QStringLiteral("34.56元"));
}

void BottomBarTest::speedCountsDownUntilTheFirstWindow()
{
    Widget_Creation_Bottom bar;
    writing().tickCount = 3;
    bar.updateInfo(true, 10);
    QCOMPARE(bar.findChild<QLabel*>(QStringLiteral("lb_speed"))->text(), QStringLiteral("计算速度中：7秒"));
    writing().speed = 12600;
    writing().activeSeconds = 3725;
    bar.updateInfo(true, 10);
    QCOMPARE(bar.findChild<QLabel*>(QStringLiteral("lb_speed"))->text(), QStringLiteral("输入速度：12600字/时"));
    QCOMPARE(bar.findChild<QLabel*>(QStringLiteral("lb_writeTime"))->text(), QStringLiteral("输入：01:02:05"));
}

void BottomBarTest::lampsFollowActivity()
{
    Widget_Creation_Bottom bar;
    auto* write = bar.findChild<QPushButton*>(QStringLiteral("btn_write"));
    auto* idle = bar.findChild<QPushButton*>(QStringLiteral("btn_free"));
    QVERIFY(write->isChecked() && idle->isChecked());
    bar.updateInfo(true, 10);
    QVERIFY(!write->isChecked());
    QVERIFY(idle->isChecked());
    bar.updateInfo(false, 10);
    QVERIFY(write->isChecked());
    QVERIFY(!idle->isChecked());
}

void BottomBarTest::feeDialogAcceptsOnlyTheRange()
{
    const struct { const char* text; bool accepted; } cases[] = {
        {"0.00", false}, {"0.01", true}, {"10000", true}, {"10001", false}, {".", false}};
    for (const auto& c : cases) {
        Dialog_Remuneration dialog;
        dialog.lineEdit()->setText(QString::fromLatin1(c.text));
        dialog.onConfirm();
        QCOMPARE(dialog.result() == QDialog::Accepted, c.accepted);
        QCOMPARE(dialog.errorLabel()->text().isEmpty(), c.accepted);
    }
    Dialog_Remuneration dialog;
    dialog.lineEdit()->setText(QStringLiteral("12"));
    QVERIFY(dialog.confirmButton()->isEnabled());
    dialog.lineEdit()->clear();
    QVERIFY(!dialog.confirmButton()->isEnabled());
}

void BottomBarTest::feeDialogPresetIsCutToFiveCharacters()
{
    Dialog_Remuneration dialog;
    dialog.setMoney(0);
    QCOMPARE(dialog.lineEdit()->text(), QStringLiteral("0.00"));
    dialog.setMoney(10000);
    QCOMPARE(dialog.lineEdit()->text(), QStringLiteral("10000"));
    QCOMPARE(dialog.money(), 10000.0);
}

int runBottomBarTests(int argc, char** argv)
{
    BottomBarTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_BottomBar.moc"
