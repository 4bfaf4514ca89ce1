#include "common/DPIAdapter.h"
#include "db/records/T_Chapter.h"
#include "ui/common/CBaseTitleBar.h"
#include "ui/common/CIconButton.h"
#include "ui/common/CPixmapContainer.h"
#include "ui/common/CTabButton.h"
#include "ui/common/CTextEdit.h"
#include "ui/common/FontColorButton.h"

#include <QApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

class TestCommonWidgets : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { DPIAdapter::instance()->setScaleForTest(1.0); }

    void titleBarCarriesSkinNames();
    void titleBarCloseEmitsSigClose();
    void titleBarMarginsFollowScale();
    void titleBarSmallButtonsMaximiseRestoreAndClose();

    void tabShowsCloseButtonOnHover();
    void tabSeparatorFollowsCheckAndLine();
    void tabElidesLongChapterName();
    void tabCurrentItemChecksAndShows();

    void badgeClampsAndWidens();
    void badgeAndIconFollowScale();
    void iconFollowsButtonCheck();

    void backgroundCutsTheLongSide();
    void unreadableBackgroundKeepsOldPicture();

    void pasteBeyondLimitKeepsTextBeforeCursor();
    void typingInMiddleCutsWhatWasTyped();
    void cutTextStaysPlain();
    void counterShowsLengthOfMaximum();

    void fontColorBarTakesColourAndScale();
};

void TestCommonWidgets::titleBarCarriesSkinNames()
{
    CBaseTitleBar bar;
    QCOMPARE(bar.objectName(), QStringLiteral("CBaseTitleBar"));
    QVERIFY(bar.findChild<QWidget*>(QStringLiteral("CommonWidgetTitle")));
    QVERIFY(bar.findChild<QLabel*>(QStringLiteral("CommonLabelTitle")));
    auto* close = bar.findChild<QPushButton*>(QStringLiteral("btn_close_popup"));
    QVERIFY(close);
    QCOMPARE(close->size(), QSize(20, 20));
    QVERIFY(close->isFlat());
    QCOMPARE(close->cursor().shape(), Qt::PointingHandCursor);
    for (const char* name : {"btnCloseMac", "btnMinMac", "btnMaxMac"}) {
        auto* b = bar.findChild<QPushButton*>(QString::fromLatin1(name));
        QVERIFY(b);
        QVERIFY(b->isHidden());
        QCOMPARE(b->size(), QSize(12, 12));
    }
    bar.setTitle(QStringLiteral("字体颜色"));
    QCOMPARE(bar.titleLabel()->text(), QStringLiteral("字体颜色"));

    // A name given before construction ends is kept.
    QWidget host;
    CBaseTitleBar named(&host);
    named.setObjectName(QStringLiteral("widgetTitleBar"));
    QCOMPARE(named.objectName(), QStringLiteral("widgetTitleBar"));
}

void TestCommonWidgets::titleBarCloseEmitsSigClose()
{
    CBaseTitleBar bar;
    QSignalSpy spy(&bar, &CBaseTitleBar::sig_close);
    bar.closeButton()->click();
    QCOMPARE(spy.count(), 1);
}

void TestCommonWidgets::titleBarMarginsFollowScale()
{
    DPIAdapter::instance()->setScaleForTest(1.25);
    CBaseTitleBar bar;
    auto* main = bar.findChild<QHBoxLayout*>(QStringLiteral("layoutMain"));
    QVERIFY(main);
    QCOMPARE(main->contentsMargins(), QMargins(15, 0, 15, 0));
    QCOMPARE(bar.closeButton()->size(), QSize(25, 25));
}

void TestCommonWidgets::titleBarSmallButtonsMaximiseRestoreAndClose()
{
    QWidget window;
    auto* layout = new QHBoxLayout(&window);
    auto* bar = new CBaseTitleBar(&window);
    layout->addWidget(bar);
    window.resize(500, 300);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto* max = bar->findChild<QPushButton*>(QStringLiteral("btnMaxMac"));
    max->click();
    QTRY_VERIFY(window.isMaximized());
    max->click();
    QTRY_VERIFY(!window.isMaximized());
    QSignalSpy spy(bar, &CBaseTitleBar::sig_close);
    bar->findChild<QPushButton*>(QStringLiteral("btnCloseMac"))->click();
    QCOMPARE(spy.count(), 1);
}

void TestCommonWidgets::tabShowsCloseButtonOnHover()
{
    CTabButton tab;
    QCOMPARE(tab.objectName(), QStringLiteral("TabButton"));
    QCOMPARE(tab.closeButton()->objectName(), QStringLiteral("TabCloseBtn"));
    QCOMPARE(tab.separator()->objectName(), QStringLiteral("TabLine"));
    tab.resize(160, 36);
    tab.show();
    QVERIFY(tab.closeButton()->isHidden());
    QEvent enter(QEvent::HoverEnter);
    QApplication::sendEvent(&tab, &enter);
    QVERIFY(tab.closeButton()->isVisible());
    QCOMPARE(tab.closeButton()->pos(), QPoint(160 - 20 - 10, 8));
    QEvent leave(QEvent::HoverLeave);
    QApplication::sendEvent(&tab, &leave);
    QVERIFY(tab.closeButton()->isHidden());

    QSignalSpy spy(&tab, &CTabButton::sig_close);
    tab.closeButton()->click();
    QCOMPARE(spy.count(), 1);
}

void TestCommonWidgets::tabSeparatorFollowsCheckAndLine()
{
    CTabButton tab;
    tab.resize(160, 36);
    tab.show();
    QVERIFY(tab.separator()->isVisible());
    QCOMPARE(tab.separator()->pos(), QPoint(159, 10));
    tab.setChecked(true);
    QVERIFY(tab.separator()->isHidden());
    tab.resize(170, 36);
    QVERIFY(tab.separator()->isHidden());   // a checked tab never shows it
    tab.setChecked(false);
    QVERIFY(tab.separator()->isVisible());

    QSignalSpy spy(&tab, &CTabButton::lineChanged);
    tab.setProperty("line", false);
    QCOMPARE(spy.count(), 1);
    QVERIFY(tab.separator()->isHidden());
    tab.setChecked(true);
    tab.setChecked(false);
    QVERIFY(tab.separator()->isHidden());
}

void TestCommonWidgets::tabElidesLongChapterName()
{
    T_Chapter chapter;
    chapter.localId = 41;
    chapter.name = QStringLiteral("第一百二十三章 一个非常非常非常长的章节名字会被截断");
    CTabButton tab;
    tab.resize(120, 36);
    tab.setItem(&chapter);
    QCOMPARE(tab.chapterLocalId(), 41);
    QVERIFY(tab.text().endsWith(QChar(0x2026)));
    QCOMPARE(tab.text(), CTabButton::elidedName(chapter.name, 90));

    T_Chapter shortOne;
    shortOne.name = QStringLiteral("序章");
    tab.setItem(&shortOne);
    QCOMPARE(tab.text(), QStringLiteral("序章"));
    tab.setItem(nullptr);
    QCOMPARE(tab.text(), QStringLiteral("序章"));
}

void TestCommonWidgets::tabCurrentItemChecksAndShows()
{
    QWidget host;
    T_Chapter chapter;
    chapter.name = QStringLiteral("第二章");
    auto* tab = new CTabButton(&host);
    tab->resize(160, 36);
    tab->hide();
    tab->setCurrentItem(&chapter);
    QVERIFY(tab->isChecked());
    QVERIFY(!tab->isHidden());
    QCOMPARE(tab->text(), QStringLiteral("第二章"));
}

void TestCommonWidgets::badgeClampsAndWidens()
{
    CIconButton button;
    button.setBadgeNumber(true, 150);
    QCOMPARE(button.badge()->text(), QStringLiteral("99"));
    QCOMPARE(button.badge()->width(), 20);
    QVERIFY(!button.badge()->isHidden());
    button.setBadgeNumber(true, -3);
    QCOMPARE(button.badge()->text(), QStringLiteral("0"));
    button.setBadgeNumber(true, 9);
    QCOMPARE(button.badge()->width(), 16);
    button.setBadgeNumber(true, 10);
    QCOMPARE(button.badge()->width(), 20);
    button.setBadgeNumber(false, 10);
    QVERIFY(button.badge()->isHidden());
}

void TestCommonWidgets::badgeAndIconFollowScale()
{
    DPIAdapter::instance()->setScaleForTest(1.5);
    CIconButton button;
    QCOMPARE(button.badge()->size(), QSize(24, 24));
    QVERIFY(button.badge()->styleSheet().contains(QStringLiteral("border-radius: 12px")));
    QVERIFY(button.badge()->styleSheet().contains(QStringLiteral("font-size:16px")));
    button.setBadgeNumber(true, 12);
    QCOMPARE(button.badge()->width(), 30);
    button.icon()->resize(24, 24);
    button.resize(220, 60);
    button.show();
    QCOMPARE(button.icon()->pos(), QPoint(48, 18));
    QCOMPARE(button.vipMark()->pos(), QPoint(192, 15));
    QCOMPARE(button.badge()->pos(), QPoint(192 + 30 + 3, 3));
}

void TestCommonWidgets::iconFollowsButtonCheck()
{
    CIconButton button;
    button.setCheckable(true);
    button.setIconObjectName(QStringLiteral("btnBookShelfIcon"));
    QCOMPARE(button.icon()->objectName(), QStringLiteral("btnBookShelfIcon"));
    QVERIFY(button.icon()->testAttribute(Qt::WA_TransparentForMouseEvents));
    button.setChecked(true);
    QVERIFY(button.icon()->isChecked());
    button.setChecked(false);
    QVERIFY(!button.icon()->isChecked());
}

void TestCommonWidgets::backgroundCutsTheLongSide()
{
    QSize scaled;
    // Wider picture than the widget's proportions: cut left and right.
    QRect source = CPixmapContainer::sourceRect(QSize(400, 100), QSize(200, 100), &scaled);
    QCOMPARE(scaled, QSize(400, 100));
    QCOMPARE(source, QRect(100, 0, 200, 100));
    // Taller: cut top and bottom.
    source = CPixmapContainer::sourceRect(QSize(100, 400), QSize(200, 100), &scaled);
    QCOMPARE(scaled, QSize(200, 800));
    QCOMPARE(source, QRect(0, 350, 200, 100));

    // Painted: a picture red on its left and right quarters, green in the middle.
    QImage picture(400, 100, QImage::Format_RGB32);
    picture.fill(Qt::red);
    for (int x = 100; x < 300; ++x)
        for (int y = 0; y < 100; ++y)
            picture.setPixel(x, y, qRgb(0, 255, 0));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bg.png"));
    QVERIFY(picture.save(path));
    CPixmapContainer container;
    QVERIFY(container.loadPixmap(path));
    // Small pictures are first brought up to the screen's size.
    QVERIFY(container.pixmap().width() >= 400);
    container.resize(200, 100);
    const QImage shot = container.grab().toImage();
    QCOMPARE(shot.pixelColor(5, 50), QColor(0, 255, 0));
    QCOMPARE(shot.pixelColor(195, 50), QColor(0, 255, 0));
}

void TestCommonWidgets::unreadableBackgroundKeepsOldPicture()
{
    QTemporaryDir dir;
    const QString good = dir.filePath(QStringLiteral("a.png"));
    QImage image(10, 10, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QVERIFY(image.save(good));
    const QString bad = dir.filePath(QStringLiteral("b.png"));
    QFile file(bad);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("no picture");
    file.close();
    CPixmapContainer container;
    QVERIFY(container.loadPixmap(good));
    const qint64 key = container.pixmap().cacheKey();
    QVERIFY(!container.loadPixmap(bad));
    QCOMPARE(container.pixmap().cacheKey(), key);
}

void TestCommonWidgets::pasteBeyondLimitKeepsTextBeforeCursor()
{
    CTextEdit edit;
    edit.setMaxLength(10);
    edit.setPlainText(QStringLiteral("123456789"));
    QTextCursor cursor = edit.textCursor();
    cursor.movePosition(QTextCursor::End);
    edit.setTextCursor(cursor);
    edit.insertPlainText(QStringLiteral("abcdefghijklmnopqrst"));
    QCOMPARE(edit.toPlainText(), QStringLiteral("123456789a"));
    QCOMPARE(edit.textCursor().position(), 10);
    QCOMPARE(edit.counter()->text(), QStringLiteral("10/10"));
}

void TestCommonWidgets::typingInMiddleCutsWhatWasTyped()
{
    CTextEdit edit;
    edit.setMaxLength(6);
    edit.setPlainText(QStringLiteral("abcdef"));
    QTextCursor cursor = edit.textCursor();
    cursor.setPosition(3);
    edit.setTextCursor(cursor);
    edit.insertPlainText(QStringLiteral("XY"));
    QCOMPARE(edit.toPlainText(), QStringLiteral("abcdef"));
    QCOMPARE(edit.textCursor().position(), 3);
}

void TestCommonWidgets::cutTextStaysPlain()
{
    CTextEdit edit;
    edit.setMaxLength(12);
    edit.insertPlainText(QStringLiteral("<b>bold</b>xyz"));
    QCOMPARE(edit.toPlainText(), QStringLiteral("<b>bold</b>x"));
}

void TestCommonWidgets::counterShowsLengthOfMaximum()
{
    CTextEdit edit;
    QCOMPARE(edit.counter()->text(), QStringLiteral("0/500"));
    QVERIFY(edit.counter()->isHidden());
    edit.setMaxLength(10000);
    QCOMPARE(edit.counter()->text(), QStringLiteral("0/10000"));
    edit.setPlainText(QStringLiteral("四个汉字"));
    QCOMPARE(edit.counter()->text(), QStringLiteral("4/10000"));

    QWidget host;
    auto* shown = new CTextEdit(&host);
    shown->m_counterVisible = true;
    shown->resize(300, 120);
    host.show();
    QVERIFY(shown->counter()->isVisible());
    QCOMPARE(shown->counter()->pos(), QPoint(300 - 100 - 10, 120 - 26 - 2));
}

void TestCommonWidgets::fontColorBarTakesColourAndScale()
{
    DPIAdapter::instance()->setScaleForTest(2.0);
    QWidget host;
    auto* button = new FontColorButton(&host);
    button->setGeometry(0, 0, 40, 40);
    button->setColor(QStringLiteral("#ff0000"));
    QCOMPARE(button->colorBar()->styleSheet(), QStringLiteral("background:#ff0000;border-radius:3px;"));
    // A colour text is used as it stands, never as a pattern.
    button->setColor(QStringLiteral("%2"));
    QCOMPARE(button->colorBar()->styleSheet(), QStringLiteral("background:%2;border-radius:3px;"));
    host.show();
    QCOMPARE(button->colorBar()->size(), QSize(24, 6));
    QCOMPARE(button->colorBar()->pos(), QPoint(8, 32));
    QVERIFY(button->colorBar()->isVisible());
}

QTEST_MAIN(TestCommonWidgets)
#include "tst_common_widgets.moc"
