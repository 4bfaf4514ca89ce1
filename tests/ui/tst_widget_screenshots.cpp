#include "common/StyleType.h"
#include "manager/CQssManager.h"
#include "ui/common/BkMessageBox.h"
#include "ui/common/CBaseTitleBar.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {
bool nearColour(const QColor& a, const QColor& b, int tolerance = 12)
{
    return qAbs(a.red() - b.red()) <= tolerance && qAbs(a.green() - b.green()) <= tolerance
        && qAbs(a.blue() - b.blue()) <= tolerance;
}

int countNear(const QImage& image, const QColor& colour, const QRect& area)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (nearColour(image.pixelColor(x, y), colour))
                ++n;
    return n;
}
}

// Renders the skinned widgets on a real X server with the light theme and
// keeps the pictures in the test's temporary folder.
class TestWidgetScreenshots : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void messageBoxLooksFinished();
    void titleBarLooksFinished();

private:
    QTemporaryDir m_dir;
};

void TestWidgetScreenshots::initTestCase()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("needs a real X server (run under xvfb-run)");
    QVERIFY(m_dir.isValid());
    m_dir.setAutoRemove(qEnvironmentVariableIsEmpty("KEEP_SCREENSHOTS"));
    CQssManager::instance()->setQssStyle(StyleLight, QStringLiteral(":/res/qss/light.qss"));
    CQssManager::instance()->applyStyle(StyleLight);
    QVERIFY(!qApp->styleSheet().isEmpty());
}

void TestWidgetScreenshots::messageBoxLooksFinished()
{
    BkMessageBox box(QStringLiteral("Notice"), QStringLiteral("The chapter was imported."));
    box.addButton(QStringLiteral("Cancel"));
    box.addButton(QStringLiteral("Confirm"));
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QTest::qWait(50);
    const QImage shot = box.grab().toImage().convertToFormat(QImage::Format_ARGB32);
    const QString path = m_dir.filePath(QStringLiteral("messagebox.png"));
    QVERIFY(shot.save(path));
    qInfo("saved %s", qPrintable(path));
    QCOMPARE(shot.size(), QSize(380, 180));

    // White panel inside the shadow margin, blue confirm button, dark text.
    QWidget* bg = box.findChild<QWidget*>(QStringLiteral("MessageBoxBg"));
    const QPoint panel = bg->mapTo(&box, QPoint(30, bg->height() / 2));
    QVERIFY(nearColour(shot.pixelColor(panel), QColor(0xff, 0xff, 0xff)));
    auto* confirm = box.findChild<QPushButton*>(QStringLiteral("btnConfirm"));
    const QRect confirmArea(confirm->mapTo(&box, QPoint(2, 2)), confirm->size() - QSize(4, 4));
    QVERIFY(countNear(shot, QColor(0x1f, 0x6f, 0xe5), confirmArea) > confirmArea.width() * confirmArea.height() / 2);
    auto* cancel = box.findChild<QPushButton*>(QStringLiteral("btnCancel"));
    QVERIFY(nearColour(shot.pixelColor(cancel->mapTo(&box, QPoint(3, cancel->height() / 2))), Qt::white));
    const QRect textArea(box.textLabel()->mapTo(&box, QPoint()), box.textLabel()->size());
    QVERIFY(countNear(shot, QColor(0x33, 0x33, 0x33), textArea) + countNear(shot, Qt::black, textArea) > 10);
}

void TestWidgetScreenshots::titleBarLooksFinished()
{
    QWidget panel;
    panel.setObjectName(QStringLiteral("CommonWidgetBg"));
    panel.setAttribute(Qt::WA_StyledBackground);
    auto* bar = new CBaseTitleBar(&panel);
    bar->setTitle(QStringLiteral("Font Color"));
    panel.resize(360, 46);
    bar->resize(360, 46);
    panel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&panel));
    QTest::qWait(50);
    const QImage shot = panel.grab().toImage().convertToFormat(QImage::Format_ARGB32);
    const QString path = m_dir.filePath(QStringLiteral("titlebar.png"));
    QVERIFY(shot.save(path));
    qInfo("saved %s", qPrintable(path));

    // The close button's cross is drawn in grey at the right end.
    QPushButton* close = bar->closeButton();
    const QRect closeArea(close->mapTo(&panel, QPoint()), close->size());
    QVERIFY(closeArea.right() > 320);
    int ink = 0;
    for (int y = closeArea.top(); y <= closeArea.bottom(); ++y)
        for (int x = closeArea.left(); x <= closeArea.right(); ++x)
            if (shot.pixelColor(x, y).lightness() < 200)
                ++ink;
    QVERIFY2(ink > 10, "close button has no picture");
    // The title is centred: dark pixels around the middle, none at the left.
    QLabel* title = bar->titleLabel();
    const QRect titleArea(title->mapTo(&panel, QPoint()), title->size());
    QVERIFY(qAbs(titleArea.center().x() - 180) < 20);
    QVERIFY(countNear(shot, QColor(0x33, 0x33, 0x33), titleArea) + countNear(shot, Qt::black, titleArea) > 10);
    QCOMPARE(countNear(shot, QColor(0x33, 0x33, 0x33), QRect(0, 0, 60, 46)), 0);
}

QTEST_MAIN(TestWidgetScreenshots)
#include "tst_widget_screenshots.moc"
