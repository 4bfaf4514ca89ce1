#include "common/DPIAdapter.h"
#include "ui/common/BkMessageBox.h"
#include "ui/common/CBaseTitleBar.h"
#include "ui/common/NcFramelessHelper.h"

#include <QApplication>
#include <QGraphicsDropShadowEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

namespace {
// Runs the action on the message box once it is shown modally.
void whenShown(std::function<void(BkMessageBox*)> action)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<BkMessageBox*>(w);
            if (box && box->isVisible()) {
                timer->stop();
                timer->deleteLater();
                action(box);
                return;
            }
        }
    });
    timer->start();
}

QList<QPushButton*> rowButtons(BkMessageBox* box)
{
    QList<QPushButton*> buttons;
    auto* layout = box->findChild<QHBoxLayout*>(QStringLiteral("buttonLayout"));
    for (int i = 0; i < layout->count(); ++i)
        if (auto* b = qobject_cast<QPushButton*>(layout->itemAt(i)->widget()))
            buttons.append(b);
    return buttons;
}
}

class TestMessageBox : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { DPIAdapter::instance()->setScaleForTest(1.0); }

    void informationOkReturns1024();
    void questionReturnsIndexAndNamesButtons();
    void escapeReturns512();
    void titleBarCloseReturnsMinusOne();
    void closingWindowReturns512();
    void returnPressesDefaultButton();
    void emptyTextAddsNoButtonAndIndicesSkipIt();
    void informationButtonsComeInAscendingOrder();
};

void TestMessageBox::informationOkReturns1024()
{
    QString name;
    QString text;
    int count = 0;
    whenShown([&](BkMessageBox* box) {
        const QList<QPushButton*> buttons = rowButtons(box);
        count = buttons.size();
        name = buttons.value(0)->objectName();
        text = buttons.value(0)->text();
        buttons.value(0)->click();
    });
    const int result = BkMessageBox::information(nullptr, QStringLiteral("提示"), QStringLiteral("完成"), 0x400, 0);
    QCOMPARE(result, 1024);
    QCOMPARE(count, 1);
    QCOMPARE(name, QStringLiteral("btnConfirm"));
    QCOMPARE(text, QStringLiteral("OK"));
}

void TestMessageBox::questionReturnsIndexAndNamesButtons()
{
    for (int which = 0; which < 2; ++which) {
        QStringList names;
        whenShown([&](BkMessageBox* box) {
            const QList<QPushButton*> buttons = rowButtons(box);
            for (QPushButton* b : buttons)
                names << b->objectName();
            buttons.at(which)->click();
        });
        const int result = BkMessageBox::question(nullptr, QStringLiteral("删除"), QStringLiteral("确定删除？"),
                                                  QStringLiteral("Cancel"), QStringLiteral("Confirm"), 1);
        QCOMPARE(result, which);
        QCOMPARE(names, (QStringList{QStringLiteral("btnCancel"), QStringLiteral("btnConfirm")}));
    }
}

void TestMessageBox::escapeReturns512()
{
    whenShown([](BkMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); });
    QCOMPARE(BkMessageBox::warning(nullptr, QString(), QString(), QStringLiteral("No"), QStringLiteral("Yes"), 0),
             512);
}

void TestMessageBox::titleBarCloseReturnsMinusOne()
{
    whenShown([](BkMessageBox* box) { box->titleBar()->closeButton()->click(); });
    QCOMPARE(BkMessageBox::question(nullptr, QString(), QString(), QStringLiteral("A"), QStringLiteral("B"), 0), -1);
}

void TestMessageBox::closingWindowReturns512()
{
    whenShown([](BkMessageBox* box) { box->close(); });
    QCOMPARE(BkMessageBox::information(nullptr, QString(), QString(), 0x400 | 0x400000, 0x400), 512);
}

void TestMessageBox::returnPressesDefaultButton()
{
    bool isDefault = false;
    whenShown([&](BkMessageBox* box) {
        isDefault = box->button(0x400000)->isDefault();
        QTest::keyClick(box, Qt::Key_Return);
    });
    QCOMPARE(BkMessageBox::information(nullptr, QString(), QString(), 0x4000 | 0x400000, 0x400000), 0x400000);
    QVERIFY(isDefault);

    whenShown([](BkMessageBox* box) { QTest::keyClick(box, Qt::Key_Return); });
    QCOMPARE(BkMessageBox::question(nullptr, QString(), QString(), QStringLiteral("A"), QStringLiteral("B"), 1), 1);
}

void TestMessageBox::emptyTextAddsNoButtonAndIndicesSkipIt()
{
    BkMessageBox box;
    QVERIFY(!box.addButton(QString()));
    box.addButton(QStringLiteral("first"));
    QVERIFY(!box.addButton(QString()));
    QPushButton* second = box.addButton(QStringLiteral("second"));
    QCOMPARE(rowButtons(&box).size(), 2);
    QVERIFY(!box.addStandardButton(0));
    QCOMPARE(rowButtons(&box).size(), 2);
    QTimer::singleShot(0, second, &QPushButton::click);
    QCOMPARE(box.exec(), 1);
}

void TestMessageBox::informationButtonsComeInAscendingOrder()
{
    QStringList texts;
    QStringList names;
    whenShown([&](BkMessageBox* box) {
        for (QPushButton* b : rowButtons(box)) {
            texts << b->text();
            names << b->objectName();
        }
        box->button(0x10000)->click();
    });
    const int result = BkMessageBox::information(nullptr, QString(), QString(),
                                                 0x800000 | 0x10000 | 0x4000 | 0x8000000, 0);
    QCOMPARE(result, 0x10000);
    QCOMPARE(texts, (QStringList{QStringLiteral("Yes"), QStringLiteral("No"), QStringLiteral("Discard"), QString()}));
    QCOMPARE(names, (QStringList{QStringLiteral("btnConfirm"), QStringLiteral("btnCancel"),
                                 QStringLiteral("btnCancel"), QStringLiteral("btnConfirm")}));
}

QTEST_MAIN(TestMessageBox)
#include "tst_messagebox.moc"
