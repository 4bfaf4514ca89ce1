#include "common/DPIAdapter.h"
#include "db/CTessaneDb.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "ui/common/CBaseTitleBar.h"
#include "ui/common/CColorDialog.h"
#include "ui/common/HColorArea.h"
#include "ui/common/PreviewColorArea.h"
#include "ui/common/SVColorArea.h"

#include <QApplication>
#include <QPushButton>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {
QString& fontColor()
{
    return CPublicManager::instance()->userConf.creationConf.fontColor;
}

QString storedColour()
{
    QSqlQuery query = CTessaneDb::instance()->newQuery();
    return query.exec(QStringLiteral("select fontColor from tb_creation_conf where uid = 4242;")) && query.next()
               ? query.value(0).toString()
               : QStringLiteral("unread");
}
}

class TestColorDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void draggingSquareWritesColourAndSignals();
    void leavingPutsTheOpeningColourBack_data();
    void leavingPutsTheOpeningColourBack();
    void confirmStoresSettings();

private:
    QTemporaryDir m_dir;
};

void TestColorDialog::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_dir.isValid());
    CTessaneDb* db = CTessaneDb::instance();
    QVERIFY(db->init(m_dir.filePath(QStringLiteral("wrt.db")), m_dir.filePath(QStringLiteral("program"))));
    TS_Author_Info user;
    user.uid = 4242;
    user.author_name = QStringLiteral("作者");
    T_UserConf conf;
    conf.uid = user.uid;
    QVERIFY(db->insertUser(user, conf));
    CPublicManager::instance()->userInfo.uid = user.uid;
    CPublicManager::instance()->userConf.uid = user.uid;
}

void TestColorDialog::init()
{
    fontColor() = QStringLiteral("#336699");
}

void TestColorDialog::cleanup()
{
    DPIAdapter::instance()->setScaleForTest(1.0);
}

void TestColorDialog::cleanupTestCase()
{
    CTessaneDb::instance()->close();
}


void TestColorDialog::draggingSquareWritesColourAndSignals()
{
    CColorDialog dialog;
    dialog.setColor(QColor(QStringLiteral("#336699")));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QSignalSpy spy(&dialog, &CColorDialog::changeColor);
    SVColorArea* square = dialog.svArea();
    QTest::mousePress(square, Qt::LeftButton, Qt::NoModifier, QPoint(255, 0));
    QCOMPARE(spy.count(), 1);
    const QColor expected = QColor::fromHsv(QColor(QStringLiteral("#336699")).hsvHue(), 255, 255);
    QCOMPARE(fontColor(), expected.name());
    QCOMPARE(dialog.previewArea()->color(), expected);
    // The hue strip changes the hue and keeps saturation and value.
    QTest::mousePress(dialog.hueArea(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(5, HColorArea::kTopOffset + 256 / 3));
    QCOMPARE(dialog.svArea()->hue(), 240);
    QCOMPARE(fontColor(), QColor::fromHsv(240, 255, 255).name());
}

void TestColorDialog::leavingPutsTheOpeningColourBack_data()
{
    // steps: what the author does; trace: the font colour and whether the
    // dialog is still open after each step.
    QTest::addColumn<QString>("opening");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("trace");
    QTest::addColumn<int>("result");
    const QString red = QStringLiteral("#ff0000");
    QTest::newRow("restore then cross") << "#336699" << QStringList{"restore", "cross"}
                                        << QStringList{"/open", "#336699/closed"} << int(QDialog::Rejected);
    QTest::newRow("colour then cross") << "#336699" << QStringList{"corner", "cross"}
                                       << QStringList{"#0080ff/open", "#336699/closed"} << int(QDialog::Rejected);
    QTest::newRow("no colour before, colour then close") << "" << QStringList{"corner", "close"}
                                                         << QStringList{red + "/open", "/closed"}
                                                         << int(QDialog::Rejected);
    // A quit stores every setting, then ends the dialog unanswered.
    QTest::newRow("colour then a quit") << "#336699" << QStringList{"corner", "quit"}
                                        << QStringList{"#0080ff/open", "#336699/closed"} << int(QDialog::Rejected);
    // Another store of the writing settings (the tool bar's font size)
    // stores the colour the dialog opened with, which the confirm replaces.
    QTest::newRow("colour, settings stored, then cross")
        << "#336699" << QStringList{"corner", "store", "cross"}
        << QStringList{"#0080ff/open", "#336699/stored", "#336699/closed"} << int(QDialog::Rejected);
    QTest::newRow("colour, settings stored, then confirm")
        << "#336699" << QStringList{"corner", "store", "confirm"}
        << QStringList{"#0080ff/open", "#336699/stored", "#0080ff/closed"} << int(QDialog::Accepted);
    QTest::newRow("escape does not end it") << "#336699" << QStringList{"escape", "confirm"}
                                            << QStringList{"#336699/open", "#336699/closed"}
                                            << int(QDialog::Accepted);
}

void TestColorDialog::leavingPutsTheOpeningColourBack()
{
    QFETCH(QString, opening);
    QFETCH(QStringList, steps);
    QFETCH(QStringList, trace);
    QFETCH(int, result);
    fontColor() = opening;
    CColorDialog dialog;
    dialog.setColor(opening.isEmpty() ? QColor(Qt::black) : QColor(opening));
    QStringList seen;
    QTimer::singleShot(0, &dialog, [&] {
        for (const QString& step : steps) {
            if (step == QLatin1String("corner"))
                QTest::mousePress(dialog.svArea(), Qt::LeftButton, Qt::NoModifier, QPoint(255, 0));
            else if (step == QLatin1String("restore"))
                dialog.findChild<QPushButton*>(QStringLiteral("btnRe"))->click();
            else if (step == QLatin1String("escape"))
                QTest::keyClick(&dialog, Qt::Key_Escape);
            else if (step == QLatin1String("confirm"))
                dialog.findChild<QPushButton*>(QStringLiteral("btnConfirm"))->click();
            else if (step == QLatin1String("cross"))
                dialog.titleBar()->closeButton()->click();
            else if (step == QLatin1String("quit"))
                CJobManager::instance()->saveUserData(), dialog.done(QDialog::Rejected);
            else if (step == QLatin1String("store"))
                CJobManager::instance()->updateCreationConf(CPublicManager::instance()->userConf.creationConf, 4242);
            else
                dialog.close();
            seen << (step == QLatin1String("store") ? storedColour() + QStringLiteral("/stored")
                                                   : fontColor() + (dialog.isVisible() ? QStringLiteral("/open")
                                                                                       : QStringLiteral("/closed")));
        }
    });
    QCOMPARE(dialog.exec(), result);
    QCOMPARE(seen, trace);
}

void TestColorDialog::confirmStoresSettings()
{
    CColorDialog dialog;
    dialog.setColor(QColor(QStringLiteral("#336699")));
    QTimer::singleShot(0, &dialog, [&] {
        QTest::mousePress(dialog.svArea(), Qt::LeftButton, Qt::NoModifier, QPoint(255, 0));
        dialog.findChild<QPushButton*>(QStringLiteral("btnConfirm"))->click();
    });
    QCOMPARE(dialog.exec(), int(QDialog::Accepted));
    const QString chosen = fontColor();
    QVERIFY(chosen != QStringLiteral("#336699"));
    QSqlQuery query = CTessaneDb::instance()->newQuery();
    QVERIFY(query.exec(QStringLiteral("select fontColor from tb_creation_conf where uid = 4242;")));
    QVERIFY(query.next());
    QCOMPARE(query.value(0).toString(), chosen);
}

QTEST_MAIN(TestColorDialog)
#include "tst_colordialog.moc"
