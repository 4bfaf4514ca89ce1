#include "common/DPIAdapter.h"
#include "common/StyleType.h"
#include "manager/CQssManager.h"
#include "manager/CUiManager.h"

#include <QApplication>
#include <QSignalSpy>
#include <QtTest>

namespace {
QString resourceText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}
}

class TestQss : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void applyingTheCurrentThemeDoesNothing();
    void darkVariantsShareTheDarkSheet();
};

void TestQss::initTestCase()
{
    QVERIFY(!resourceText(":/res/qss/light.qss").isEmpty());
    CQssManager* qss = CQssManager::instance();
    qss->setQssStyle(StyleLight, ":/res/qss/light.qss");
    qss->setQssStyle(StyleDark, ":/res/qss/dark.qss");
    qss->setQssStyle(StyleGreen, ":/res/qss/green.qss");
    qss->setQssStyle(StyleKraft, ":/res/qss/kraft.qss");
    qss->setQssStyle(StyleCustom, ":/res/qss/custom.qss");
}

void TestQss::applyingTheCurrentThemeDoesNothing()
{
    QSignalSpy scroll(CUiManager::instance(), &CUiManager::sig_CleanCreationScroll);
    CQssManager::instance()->applyStyle(StyleLight);
    QCOMPARE(qApp->styleSheet(), CQssManager::instance()->styleSheet(StyleLight));
    QCOMPARE(scroll.count(), 1);
    qApp->setStyleSheet(QString());
    CQssManager::instance()->applyStyle(StyleLight);
    QCOMPARE(scroll.count(), 1);
    QVERIFY(qApp->styleSheet().isEmpty());
}

void TestQss::darkVariantsShareTheDarkSheet()
{
    CQssManager::instance()->applyStyle(StyleDark | StyleGreen);
    QCOMPARE(CQssManager::instance()->currentStyleType(), StyleDark | StyleGreen);
    QCOMPARE(qApp->styleSheet(), CQssManager::instance()->styleSheet(StyleDark));
}

QTEST_MAIN(TestQss)
#include "tst_qss.moc"
