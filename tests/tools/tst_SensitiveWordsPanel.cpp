// The sensitive-word panel: the list switches and the user's own list saved
// through the system data operation. The check and the treatments are tested
// from the writing window.

#include "BooksFixture.h"

#include "manager/CPublicManager.h"
#include "ui/creation/Widget_SensitiveWords.h"

#include <QPushButton>
#include <QTest>
#include <QTextEdit>

namespace {
template <typename T>
T* child(const QWidget& panel, const char* name)
{
    return panel.findChild<T*>(QLatin1String(name));
}

}

class SensitiveWordsPanelTest : public QObject
{
    Q_OBJECT
private slots:
    void savingOwnListStoresAndSendsIt();
};

void SensitiveWordsPanelTest::savingOwnListStoresAndSendsIt()
{
    BooksFixture f;
    QVERIFY(f.up());
    standin().clearJournal();
    Widget_SensitiveWords panel;
    panel.show();
    QTest::mouseClick(child<QPushButton>(panel, "btnEdit"), Qt::LeftButton);
    const QString words = QStringLiteral("坏蛋、 it's \"%1\"、");
    child<QTextEdit>(panel, "textEdit")->setPlainText(words);
    QTest::mouseClick(child<QPushButton>(panel, "btnSaveEdit"), Qt::LeftButton);
    QCOMPARE(CPublicManager::instance()->sensitiveMatcher.customText(), words);
    QCOMPARE(CPublicManager::instance()->sensitiveMatcher.customWords().size(), 3);
    QCOMPARE(BooksFixture::scalar(QStringLiteral("select words from tb_sensitive_words where type = 2 and uid = %1")
                                      .arg(StandinServer::demoUid()))
                 .toString(),
             words);
    QVERIFY(BooksFixture::waitUntil([]() { return BooksFixture::sent(QStringLiteral("/sensitive/editSensitive")) == 1; }));
    QCOMPARE(BooksFixture::lastBody(QStringLiteral("/sensitive/editSensitive")).value(QStringLiteral("words")).toString(), words);
    QVERIFY(child<QTextEdit>(panel, "textEdit")->isReadOnly());
}

int runSensitiveWordsPanelTests(int argc, char** argv)
{
    SensitiveWordsPanelTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_SensitiveWordsPanel.moc"
