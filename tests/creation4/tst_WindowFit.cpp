// The tool bar's boxes show their values whole at 100 % and 150 % scale, and
// frameless windows draw no shadow where nothing composes translucent windows.

#include "CreationFixture.h"
#include "WhenShown.h"

#include "common/DPIAdapter.h"
#include "manager/CPublicManager.h"
#include "manager/CQssManager.h"
#include "manager/CUiManager.h"
#include "platform/WindowCompositing.h"
#include "ui/creation/Widget_Creation.h"
#include "ui/creation/Widget_Creation_Top.h"
#include "ui/shell/Widget_ThemeSettings.h"

#include <QComboBox>
#include <QGraphicsEffect>
#include <QLayout>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTest>

namespace {

// Every box shows its value whole in its text field, also after the author
// picked the widest line spacing, and the line-spacing box ends before the
// bold button begins.
void checkBoxesFit(Widget_Creation_Top* top)
{
    QComboBox* lineSpacing = top->findChild<QComboBox*>(QStringLiteral("comLineWidth"));
    lineSpacing->setCurrentIndex(lineSpacing->findText(QStringLiteral("1.25"), Qt::MatchStartsWith));
    QVERIFY(lineSpacing->currentText().startsWith(QStringLiteral("1.25")));
    for (const char* name : {"comFontFamily", "comFontSize", "comLineWidth"}) {
        QComboBox* box = top->findChild<QComboBox*>(QLatin1String(name));
        QVERIFY(box);
        QVERIFY2(box->count() > 0, name);
        QVERIFY2(!box->currentText().isEmpty(), name);
        QStyleOptionComboBox option;
        option.initFrom(box);
        option.editable = false;
        option.frame = true;
        option.currentText = box->currentText();
        const QRect field =
            box->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, box);
        const int needed = box->fontMetrics().horizontalAdvance(box->currentText());
        QVERIFY2(field.width() >= needed, qPrintable(QStringLiteral("%1 \"%2\": %3 < %4")
                                                          .arg(QLatin1String(name), box->currentText())
                                                          .arg(field.width())
                                                          .arg(needed)));
    }
    QComboBox* spacing = top->findChild<QComboBox*>(QStringLiteral("comLineWidth"));
    QPushButton* bold = top->findChild<QPushButton*>(QStringLiteral("btnBold"));
    QVERIFY(spacing->geometry().right() < bold->geometry().left());
}

} // namespace

class WindowFitTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void toolBarBoxesShowTheirValuesAtBothScales();
    void framelessWindowsDrawNoShadowWithoutACompositor();

private:
    CreationFixture* m_f = nullptr;
};

void WindowFitTest::initTestCase()
{
    m_f = new CreationFixture();
    QVERIFY(m_f->up());
    T_Book* book = m_f->offlineBook(QStringLiteral("尺寸"));
    QVERIFY(book);
    QVERIFY(m_f->open(book));
    QVERIFY(QTest::qWaitForWindowExposed(m_f->window()));
}

void WindowFitTest::cleanupTestCase()
{
    WindowCompositing::setOverrideForTest(-1);
    DPIAdapter::instance()->setScaleForTest(1.0);
    delete m_f;
}

void WindowFitTest::toolBarBoxesShowTheirValuesAtBothScales()
{
    // The writing window's own tool bar at 100 %, in a window of the size
    // it opens with on a common screen.
    m_f->window()->resize(DPIAdapter::instance()->mainWindowSizeFor(QSize(1920, 1080)));
    Widget_Creation_Top* top = m_f->window()->getTop();
    QTRY_VERIFY(top->width() > 900);
    checkBoxesFit(top);
    QComboBox* family = top->findChild<QComboBox*>(QStringLiteral("comFontFamily"));
    QVERIFY(family->findText(family->currentText()) >= 0);
    // Asked to be narrower than its tool bar, the window keeps the bar whole.
    m_f->window()->resize(767, m_f->window()->height());
    QCoreApplication::processEvents();
    checkBoxesFit(top);
    QPushButton* last = top->findChild<QPushButton*>(QStringLiteral("btnFocus"));
    QVERIFY(last->mapTo(top, QPoint(last->width(), 0)).x() <= top->width());

    // A tool bar built at 150 %: sizes scaled and fonts half as large again,
    // as a screen at 144 dots per inch draws them.
    DPIAdapter::instance()->setScaleForTest(1.5);
    QFont font = QApplication::font();
    font.setPointSizeF(font.pointSizeF() * 1.5);
    Widget_Creation_Top large;
    large.setFont(font);
    large.resize(1600, 138);
    large.show();
    QVERIFY(QTest::qWaitForWindowExposed(&large));
    checkBoxesFit(&large);
    DPIAdapter::instance()->setScaleForTest(1.0);
}

void WindowFitTest::framelessWindowsDrawNoShadowWithoutACompositor()
{
    QPushButton* skin = m_f->window()->getTop()->findChild<QPushButton*>(QStringLiteral("btnSkin"));
    for (int composing : {0, 1}) {
        WindowCompositing::setOverrideForTest(composing);
        bool seen = false;
        bool translucent = false;
        bool shadow = false;
        whenShown<Widget_ThemeSettings>([&](Widget_ThemeSettings* picker) {
            seen = true;
            translucent = picker->testAttribute(Qt::WA_TranslucentBackground);
            shadow = picker->findChild<QWidget*>(QStringLiteral("CommonWidgetBg"))->graphicsEffect() != nullptr;
            picker->reject();
        });
        QTest::mouseClick(skin, Qt::LeftButton);
        QTRY_VERIFY(seen);
        QCOMPARE(translucent, composing == 1);
        QCOMPARE(shadow, composing == 1);
    }
    WindowCompositing::setOverrideForTest(-1);
}

int runWindowFitTests(int argc, char** argv)
{
    WindowFitTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_WindowFit.moc"
