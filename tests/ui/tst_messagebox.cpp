#include "WhenShown.h"
#include "common/DPIAdapter.h"
#include "ui/common/BkMessageBox.h"
#include "ui/common/CBaseTitleBar.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTest>

namespace {
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

    void everyWayOutReturnsItsValue_data();
    void everyWayOutReturnsItsValue();
};

void TestMessageBox::everyWayOutReturnsItsValue_data()
{
    // Callers branch on these values: a standard button's value, a text
    // button's index, 512 for Escape or closing, -1 for the title bar's cross,
    // -2 when the box ended without the author (a quit, or code hid it).
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("standard");
    QTest::addColumn<int>("preferred");
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("expected");
    QTest::newRow("OK clicked") << "information" << 0x400 << 0 << "first" << 0x400;
    QTest::newRow("first of two texts") << "question" << 0 << 1 << "first" << 0;
    QTest::newRow("escape") << "warning" << 0 << 0 << "escape" << 512;
    QTest::newRow("window closed") << "information" << (0x400 | 0x400000) << 0x400 << "close" << 512;
    QTest::newRow("title bar cross") << "question" << 0 << 0 << "cross" << -1;
    QTest::newRow("return, default standard") << "information" << (0x4000 | 0x400000) << 0x400000 << "return"
                                              << 0x400000;
    QTest::newRow("hidden, as a quit ends it") << "question" << 0 << 0 << "hide" << -2;
    QTest::newRow("accepted by code") << "warning" << 0 << 0 << "accept" << -2;
}

void TestMessageBox::everyWayOutReturnsItsValue()
{
    QFETCH(QString, kind);
    QFETCH(int, standard);
    QFETCH(int, preferred);
    QFETCH(QString, action);
    QFETCH(int, expected);
    whenShown<BkMessageBox>([action](BkMessageBox* box) {
        if (action == QLatin1String("first"))
            rowButtons(box).at(0)->click();
        else if (action == QLatin1String("escape"))
            QTest::keyClick(box, Qt::Key_Escape);
        else if (action == QLatin1String("return"))
            QTest::keyClick(box, Qt::Key_Return);
        else if (action == QLatin1String("cross"))
            box->titleBar()->closeButton()->click();
        else if (action == QLatin1String("hide"))
            box->hide();
        else if (action == QLatin1String("accept"))
            box->accept();
        else
            box->close();
    });
    const QString a = QStringLiteral("A");
    const QString b = QStringLiteral("B");
    int result = 0;
    if (kind == QLatin1String("information"))
        result = BkMessageBox::information(nullptr, QStringLiteral("提示"), QStringLiteral("完成"), standard, preferred);
    else if (kind == QLatin1String("question"))
        result = BkMessageBox::question(nullptr, QStringLiteral("删除"), QStringLiteral("确定删除？"), a, b, preferred);
    else
        result = BkMessageBox::warning(nullptr, QString(), QString(), a, b, preferred);
    QCOMPARE(result, expected);
}

QTEST_MAIN(TestMessageBox)
#include "tst_messagebox.moc"
