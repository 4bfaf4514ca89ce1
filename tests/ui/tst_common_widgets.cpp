#include "ui/common/CPixmapContainer.h"
#include "ui/common/CTextEdit.h"
#include "ui/common/FontColorButton.h"

#include <QApplication>
#include <QLabel>
#include <QTest>

class TestCommonWidgets : public QObject
{
    Q_OBJECT

private slots:





    void unreadableBackgroundKeepsOldPicture();

    void insertingBeyondTheLimitCutsWhatWasInserted_data();
    void insertingBeyondTheLimitCutsWhatWasInserted();

    void fontColourIsUsedAsItStands();
};

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
