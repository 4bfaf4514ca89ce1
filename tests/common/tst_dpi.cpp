#include "common/DPIAdapter.h"

#include <QBoxLayout>
#include <QGridLayout>
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
    void isDXOnlyForOne();
    void mainWindowSizeFromTableOrFallback_data();
    void mainWindowSizeFromTableOrFallback();
    void adaptWidgetScalesMarginsAndSpacings();
};

void TestDpi::scaleFollowsScreenHeight_data()
{
    QTest::addColumn<double>("dpiScale");
    QTest::addColumn<int>("height");
    QTest::addColumn<double>("scale");
    QTest::addColumn<bool>("qtScaling");
    QTest::newRow("1.5 at 1080") << 1.5 << 1080 << 1.25 << false;
    QTest::newRow("1.0 at 1080") << 1.0 << 1080 << 1.0 << false;
    QTest::newRow("2.0 at 2160") << 2.0 << 2160 << 1.0 << true;
    QTest::newRow("2.5 at 1800") << 2.5 << 1800 << 1.0 << true;
    QTest::newRow("3.0 at 2000") << 3.0 << 2000 << 2.25 << false;
    QTest::newRow("2.0 at 1500") << 2.0 << 1500 << 1.75 << false;
    QTest::newRow("1.75 at 1300") << 1.75 << 1300 << 1.5 << false;
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

void TestDpi::isDXOnlyForOne()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("setting.ini");
    QVERIFY(!DPIAdapter::readIsDXFrom(path));
    QSettings settings(path, QSettings::IniFormat);
    settings.setValue("system/isDX", 2);
    settings.sync();
    QVERIFY(!DPIAdapter::readIsDXFrom(path));
    settings.setValue("system/isDX", 1);
    settings.sync();
    QVERIFY(DPIAdapter::readIsDXFrom(path));
}

void TestDpi::mainWindowSizeFromTableOrFallback_data()
{
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<double>("scale");
    QTest::addColumn<QSize>("window");
    QTest::newRow("1920x1080 at 1") << QSize(1920, 1080) << 1.0 << QSize(1208, 750);
    QTest::newRow("1920x1080 at 1.25") << QSize(1920, 1080) << 1.25 << QSize(1503, 930);
    QTest::newRow("1536x864 not listed") << QSize(1536, 864) << 1.0 << QSize(1208, 692);
    QTest::newRow("2560x1440 wide") << QSize(2560, 1440) << 1.0 << QSize(1820, 1036);
    QTest::newRow("1280x600") << QSize(1280, 600) << 1.0 << QSize(795, 498);
}

void TestDpi::mainWindowSizeFromTableOrFallback()
{
    QFETCH(QSize, screen);
    QFETCH(double, scale);
    QFETCH(QSize, window);
    DPIAdapter::instance()->setScaleForTest(scale);
    QCOMPARE(DPIAdapter::instance()->mainWindowSizeFor(screen), window);
}

void TestDpi::adaptWidgetScalesMarginsAndSpacings()
{
    QWidget widget;
    auto* outer = new QVBoxLayout(&widget);
    outer->setContentsMargins(9, 9, 9, 9);
    outer->setSpacing(5);
    auto* stack = new QStackedWidget;
    auto* page = new QWidget;
    auto* pageLayout = new QGridLayout(page);
    pageLayout->setContentsMargins(2, 2, 2, 2);
    pageLayout->setHorizontalSpacing(3);
    stack->addWidget(page);
    outer->addWidget(stack);

    DPIAdapter::instance()->adaptWidget(&widget);
    QCOMPARE(outer->contentsMargins(), QMargins(9, 9, 9, 9));

    DPIAdapter::instance()->setScaleForTest(1.5);
    DPIAdapter::instance()->adaptWidget(&widget);
    QCOMPARE(outer->contentsMargins(), QMargins(14, 14, 14, 14));
    QCOMPARE(outer->spacing(), 7);
    QCOMPARE(pageLayout->contentsMargins(), QMargins(3, 3, 3, 3));
    QCOMPARE(pageLayout->horizontalSpacing(), 4);
}

QTEST_MAIN(TestDpi)
#include "tst_dpi.moc"
