#include "common/DPIAdapter.h"
#include "ui/common/StartupLook.h"

#include <QBoxLayout>
#include <QGridLayout>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QStackedWidget>
#include <QWidget>
#include <QtTest>

class TestDpi : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { DPIAdapter::instance()->setScaleForTest(1.0); }
    void scaleFollowsScreenHeight_data();
    void scaleFollowsScreenHeight();
    void settingsFileDrivesTheScale();
    void malformedSettingsLeaveScaleOne();
    void scaleTheScreenCannotHoldCountsAsAbsent_data();
    void scaleTheScreenCannotHoldCountsAsAbsent();
};

void TestDpi::scaleFollowsScreenHeight_data()
{
    QTest::addColumn<double>("dpiScale");
    QTest::addColumn<int>("height");
    QTest::addColumn<double>("scale");
    QTest::addColumn<bool>("qtScaling");
    QTest::newRow("1.5 at 1080") << 1.5 << 1080 << 1.25 << false;
    QTest::newRow("2.0 at 2160") << 2.0 << 2160 << 1.0 << true;
    QTest::newRow("3.0 at 2000") << 3.0 << 2000 << 2.25 << false;
    QTest::newRow("1.5 at 900") << 1.5 << 900 << 1.0 << false;
    QTest::newRow("1.25 at 1440 kept") << 1.25 << 1440 << 1.25 << false;
    QTest::newRow("3.0 at 2880") << 3.0 << 2880 << 1.0 << true;
}

void TestDpi::scaleFollowsScreenHeight()
{
    QFETCH(double, dpiScale);
    QFETCH(int, height);
    QFETCH(double, scale);
    QFETCH(bool, qtScaling);
    const DPIAdapter::Decision decision = DPIAdapter::decideScale(dpiScale, height);
    QCOMPARE(decision.scale, scale);
    QCOMPARE(decision.qtScaling, qtScaling);
}

void TestDpi::settingsFileDrivesTheScale()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("setting.ini");
    {
        QSettings settings(path, QSettings::IniFormat);
        settings.setValue("system/dpiScale", 1.5);
        settings.setValue("system/rheight", 1080);
    }
    DPIAdapter::instance()->initScaleFrom(path);
    QCOMPARE(DPIAdapter::instance()->scale(), 1.25);

    // A missing key leaves the factor as it is.
    DPIAdapter::instance()->setScaleForTest(1.0);
    DPIAdapter::instance()->initScaleFrom(dir.filePath("missing.ini"));
    QCOMPARE(DPIAdapter::instance()->scale(), 1.0);
}

void TestDpi::malformedSettingsLeaveScaleOne()
{
    QTemporaryDir dir;
    for (const QByteArray& content : {QByteArray("[system]\ndpiScale=0\nrheight=1080\n"),
                                      QByteArray("[system]\ndpiScale=abc\n"),
                                      QByteArray("\xff\xfe garbage [[[\n=\n"),
                                      QByteArray("[system]\ndpiscale=2\n")}) {
        const QString path = dir.filePath("setting.ini");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
        file.close();
        DPIAdapter::instance()->initScaleFrom(path);
        QCOMPARE(DPIAdapter::instance()->scale(), 1.0);
    }
}

void TestDpi::scaleTheScreenCannotHoldCountsAsAbsent_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<double>("scale");
    // A hand-edited file: a window tens of thousands of pixels wide.
    QTest::newRow("40 at 40000") << QByteArray("dpiScale=40\nrheight=40000") << QSize(1920, 1080) << 1.0;
    // The file of another machine: 150 % on a screen 1000 pixels high.
    QTest::newRow("1.5 at 1200 on 1000") << QByteArray("dpiScale=1.5\nrheight=1200") << QSize(1600, 1000) << 1.0;
    // A wide screen: the main window follows the screen, the sign-in window does not.
    QTest::newRow("40 at 40000 on 2400") << QByteArray("dpiScale=40\nrheight=40000") << QSize(2400, 1500) << 1.0;
    QTest::newRow("1.5 at 1500 kept") << QByteArray("dpiScale=1.5\nrheight=1500") << QSize(2400, 1500) << 1.5;
}

void TestDpi::scaleTheScreenCannotHoldCountsAsAbsent()
{
    QFETCH(QByteArray, stored);
    QFETCH(QSize, screen);
    QFETCH(double, scale);
    // A task bar takes the bottom of the screen.
    const QSize available = screen - QSize(0, 40);
    QTemporaryDir dir;
    QFile file(dir.filePath("setting.ini"));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write("[system]\n" + stored + '\n') > 0);
    file.close();
    DPIAdapter::instance()->initScaleFrom(file.fileName());
    QCOMPARE(StartupLook::keepScaleThatFits(screen, available), scale != 1.0);
    QCOMPARE(DPIAdapter::instance()->scale(), scale);
    // The writing window, the largest, fits the free area.
    const QSize window = DPIAdapter::instance()->mainWindowSizeFor(screen);
    QVERIFY(window.width() <= available.width());
    QVERIFY(window.height() * DPIAdapter::kWritingHeightFactor <= available.height());
    // Whatever the screen, the proposed size stays inside its free area.
    const QSize free = QGuiApplication::primaryScreen()->availableGeometry().size();
    QVERIFY(free.expandedTo(DPIAdapter::instance()->mainWindowSize()) == free);
}

QTEST_MAIN(TestDpi)
#include "tst_dpi.moc"
