// The sensitive-word panel: the list switches and the user's own list saved
// through the system data operation. The check and the treatments are tested
// from the writing window.

#include "BooksFixture.h"

#include "manager/CPublicManager.h"
#include "ui/creation/Widget_SensitiveWords.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTest>
#include <QTextEdit>

namespace {
QString page(const QWidget& panel)
{
    return panel.findChild<QStackedWidget*>(QStringLiteral("stackedWidget"))->currentWidget()->objectName();
}

template <typename T>
T* child(const QWidget& panel, const char* name)
{
    return panel.findChild<T*>(QLatin1String(name));
}

// The result page reuses the first page's button names; look on the settings page.
QPushButton* checkButton(const QWidget& panel)
{
    return panel.findChild<QWidget*>(QStringLiteral("pageSetting"))->findChild<QPushButton*>(QStringLiteral("btnConfirm"));
}
}

class SensitiveWordsPanelTest : public QObject
{
    Q_OBJECT
private slots:
    void showsStatusAndOwnList();
    void savingOwnListStoresAndSendsIt();
};

void SensitiveWordsPanelTest::showsStatusAndOwnList()
{
    BooksFixture f;
    QVERIFY(f.up());
    CPublicManager* model = CPublicManager::instance();
    model->userConf.systemConf.sensitiveStatus = 2;
    model->sensitiveMatcher.setCustomWords(QStringLiteral("甲、乙"));
    Widget_SensitiveWords panel;
    panel.show();
    QCOMPARE(page(panel), QStringLiteral("pageSetting"));
    QVERIFY(!child<QCheckBox>(panel, "checkBoxNormal")->isChecked());
    QVERIFY(child<QCheckBox>(panel, "checkBoxCustom")->isChecked());
    QCOMPARE(child<QTextEdit>(panel, "textEdit")->toPlainText(), QStringLiteral("甲、乙"));
    QVERIFY(child<QTextEdit>(panel, "textEdit")->isReadOnly());
    QVERIFY(child<QPushButton>(panel, "btnEdit")->isVisible());
    QVERIFY(!child<QPushButton>(panel, "btnSaveEdit")->isVisible());
    QVERIFY(child<QRadioButton>(panel, "radioButton")->isChecked());

    child<QCheckBox>(panel, "checkBoxNormal")->setChecked(true);
    QCOMPARE(model->userConf.systemConf.sensitiveStatus, 3);
    child<QCheckBox>(panel, "checkBoxCustom")->setChecked(false);
    QCOMPARE(model->userConf.systemConf.sensitiveStatus, 1);

    // Cancelling an edit puts the list back.
    QTest::mouseClick(child<QPushButton>(panel, "btnEdit"), Qt::LeftButton);
    QVERIFY(!child<QTextEdit>(panel, "textEdit")->isReadOnly());
    child<QTextEdit>(panel, "textEdit")->setPlainText(QStringLiteral("丙"));
    QTest::mouseClick(child<QPushButton>(panel, "btnCancelEdit"), Qt::LeftButton);
    QCOMPARE(child<QTextEdit>(panel, "textEdit")->toPlainText(), QStringLiteral("甲、乙"));
    QVERIFY(child<QTextEdit>(panel, "textEdit")->isReadOnly());
    model->userConf.systemConf.sensitiveStatus = 3;

    // With no chapter to look at, the check finds nothing and says so.
    QTest::mouseClick(checkButton(panel), Qt::LeftButton);
    QCOMPARE(child<QLabel>(panel, "labelResult")->text(), QStringLiteral("本次检测，未发现敏感词！"));
}

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
