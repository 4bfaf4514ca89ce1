#include "common/DPIAdapter.h"
#include "db/records/T_Chapter.h"
#include "ui/common/BkMessageBox.h"
#include "ui/common/CBaseTitleBar.h"
#include "ui/common/CColorDialog.h"
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
#include <QRegularExpression>
#include <QScopedPointer>
#include <QSignalSpy>
#include <QTest>

class TestCommonWidgets : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { DPIAdapter::instance()->setScaleForTest(1.0); }

    void skinSelectorsFindTheirWidgets_data();
    void skinSelectorsFindTheirWidgets();

    void titleBarSmallButtonsMaximiseRestoreAndClose();

    void tabShowsCloseButtonOnHover();
    void tabElidesLongChapterName();

    void badgeClampsAndWidens();

    void backgroundCutsTheLongSide();
    void unreadableBackgroundKeepsOldPicture();

    void insertingBeyondTheLimitCutsWhatWasInserted_data();
    void insertingBeyondTheLimitCutsWhatWasInserted();

    void fontColourIsUsedAsItStands();
};

void TestCommonWidgets::skinSelectorsFindTheirWidgets_data()
{
    QTest::addColumn<QString>("widget");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("title bar") << QStringLiteral("title")
        << QStringList{"CommonWidgetTitle", "CommonLabelTitle", "btn_close_popup", "btnCloseMac", "btnMinMac", "btnMaxMac"};
    QTest::newRow("tab") << QStringLiteral("tab") << QStringList{"TabButton", "TabCloseBtn", "TabLine"};
    QTest::newRow("message box") << QStringLiteral("box")
        << QStringList{"BkMessageBox", "MessageBoxBg", "widgetContent", "btnConfirm", "btnCancel"};
    QTest::newRow("colour dialog") << QStringLiteral("colour") << QStringList{"CommonWidgetBg", "btnConfirm", "btnRe"};
}

// Every skin selects these widgets by name: a name changed on either side
// leaves the widget unstyled in every theme.
void TestCommonWidgets::skinSelectorsFindTheirWidgets()
{
    QFETCH(QString, widget);
    QFETCH(QStringList, names);
    QScopedPointer<QWidget> w;
    if (widget == QLatin1String("title"))
        w.reset(new CBaseTitleBar);
    else if (widget == QLatin1String("tab"))
        w.reset(new CTabButton);
    else if (widget == QLatin1String("colour"))
        w.reset(new CColorDialog);
    else {
        auto* box = new BkMessageBox;
        box->addButton(QStringLiteral("Cancel"));
        box->addButton(QStringLiteral("Confirm"));
        w.reset(box);
    }
    for (const QString& sheet : {QStringLiteral("light"), QStringLiteral("dark")}) {
        QFile file(QStringLiteral(":/res/qss/%1.qss").arg(sheet));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        for (const QString& name : names) {
            QVERIFY2(w->objectName() == name || w->findChild<QWidget*>(name), qPrintable(name));
            QVERIFY2(QRegularExpression(QStringLiteral("#%1\\b").arg(name)).match(text).hasMatch(),
                     qPrintable(sheet + QLatin1Char(' ') + name));
        }
    }
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
    tab.resize(160, 36);
    tab.show();
    QVERIFY(tab.closeButton()->isHidden());
    QEvent enter(QEvent::HoverEnter);
    QApplication::sendEvent(&tab, &enter);
    QVERIFY(tab.closeButton()->isVisible());
    QEvent leave(QEvent::HoverLeave);
    QApplication::sendEvent(&tab, &leave);
    QVERIFY(tab.closeButton()->isHidden());

    QSignalSpy spy(&tab, &CTabButton::sig_close);
    tab.closeButton()->click();
    QCOMPARE(spy.count(), 1);
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
    const QString narrow = tab.text();
    QVERIFY(chapter.name.startsWith(narrow.chopped(1)));
    // A wider tab shows more of the name.
    tab.resize(240, 36);
    tab.setItem(&chapter);
    QVERIFY(tab.text().size() > narrow.size());
    QVERIFY(chapter.name.startsWith(tab.text().chopped(1)));

    T_Chapter shortOne;
    shortOne.name = QStringLiteral("序章");
    tab.setItem(&shortOne);
    QCOMPARE(tab.text(), QStringLiteral("序章"));
    tab.setItem(nullptr);
    QCOMPARE(tab.text(), QStringLiteral("序章"));
}

void TestCommonWidgets::badgeClampsAndWidens()
{
    CIconButton button;
    button.setBadgeNumber(true, 150);
    QCOMPARE(button.badge()->text(), QStringLiteral("99"));
    QVERIFY(!button.badge()->isHidden());
    button.setBadgeNumber(true, -3);
    QCOMPARE(button.badge()->text(), QStringLiteral("0"));
    // Two digits need a wider badge than one.
    const int narrow = (button.setBadgeNumber(true, 9), button.badge()->width());
    button.setBadgeNumber(true, 10);
    QVERIFY(button.badge()->width() > narrow);
    button.setBadgeNumber(false, 10);
    QVERIFY(button.badge()->isHidden());
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

void TestCommonWidgets::insertingBeyondTheLimitCutsWhatWasInserted_data()
{
    QTest::addColumn<int>("limit");
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("cursor");
    QTest::addColumn<QString>("inserted");
    QTest::addColumn<QString>("after");
    QTest::addColumn<int>("cursorAfter");
    QTest::newRow("paste at the end") << 10 << QStringLiteral("123456789") << 9 << QStringLiteral("abcdefghijklmnopqrst")
                                      << QStringLiteral("123456789a") << 10;
    QTest::newRow("typing in the middle") << 6 << QStringLiteral("abcdef") << 3 << QStringLiteral("XY") << QStringLiteral("abcdef") << 3;
    QTest::newRow("markup stays plain") << 12 << QStringLiteral("") << 0 << QStringLiteral("<b>bold</b>xyz") << QStringLiteral("<b>bold</b>x") << 12;
}

void TestCommonWidgets::insertingBeyondTheLimitCutsWhatWasInserted()
{
    QFETCH(int, limit);
    QFETCH(QString, before);
    QFETCH(int, cursor);
    QFETCH(QString, inserted);
    QFETCH(QString, after);
    QFETCH(int, cursorAfter);
    CTextEdit edit;
    edit.setMaxLength(limit);
    edit.setPlainText(before);
    QTextCursor c = edit.textCursor();
    c.setPosition(cursor);
    edit.setTextCursor(c);
    edit.insertPlainText(inserted);
    QCOMPARE(edit.toPlainText(), after);
    QCOMPARE(edit.textCursor().position(), cursorAfter);
    QCOMPARE(edit.counter()->text(), QStringLiteral("%1/%2").arg(after.size()).arg(limit));
}

void TestCommonWidgets::fontColourIsUsedAsItStands()
{
    QWidget host;
    auto* button = new FontColorButton(&host);
    button->setGeometry(0, 0, 40, 40);
    button->setColor(QStringLiteral("#ff0000"));
    QVERIFY(button->colorBar()->styleSheet().startsWith(QStringLiteral("background:#ff0000;")));
    // A colour text is used as it stands, never as a pattern.
    button->setColor(QStringLiteral("%2"));
    QVERIFY(button->colorBar()->styleSheet().startsWith(QStringLiteral("background:%2;")));
}

QTEST_MAIN(TestCommonWidgets)
#include "tst_common_widgets.moc"
