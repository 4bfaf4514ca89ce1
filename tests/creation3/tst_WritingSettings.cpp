// The writing settings dialog: what it shows, what it stores, and that the
// editor follows at the next key press.

#include "CreationFixture.h"
#include "WhenShown.h"

#include "db/records/T_Book.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"
#include "ui/creation/Creation_TextEdit.h"
#include "ui/creation/Widget_Creation_Content.h"
#include "ui/creation/tools/Dialog_WritingSettings.h"
#include "ui/creation/tools/T_ItemData.h"

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QFile>
#include <QTest>
#include <QTimer>

namespace {
T_CreationConf& conf()
{
    return CPublicManager::instance()->userConf.creationConf;
}

int stored(const char* column)
{
    return CreationFixture::scalar(QStringLiteral("select %1 from tb_creation_conf where uid = %2")
                                       .arg(QString::fromLatin1(column))
                                       .arg(CPublicManager::instance()->userConf.uid))
        .toInt();
}

void click(Dialog_WritingSettings* dialog, const char* name)
{
    QTest::mouseClick(dialog->findChild<QPushButton*>(QString::fromLatin1(name)), Qt::LeftButton);
}
}

class WritingSettingsTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();
    void opensShowingTheCurrentFields();
    void cancelLeavesFieldsAndRowUnchanged();
    void confirmStoresTheRowThroughTheSettingsTool();
    void noPairCompletionAfterUncheckingPunctuation();
    void oddValueShowsUncheckedAndIsSavedAsZero();

private:
    CreationFixture* m_f = nullptr;
};

void WritingSettingsTest::initTestCase()
{
    m_f = new CreationFixture();
    QVERIFY(m_f->up());
    T_Book* book = m_f->offlineBook(QStringLiteral("设置"));
    QVERIFY(book);
    QVERIFY(m_f->open(book));
}

void WritingSettingsTest::init()
{
    conf() = T_CreationConf();
    QVERIFY(CJobManager::instance()->updateCreationConf(conf(), CPublicManager::instance()->userConf.uid));
}

void WritingSettingsTest::cleanupTestCase()
{
    delete m_f;
}

void WritingSettingsTest::opensShowingTheCurrentFields()
{
    conf().isIndent = 1;
    conf().isSpaces = 0;
    conf().isAutoPunctuation = 1;
    Dialog_WritingSettings dialog;
    QVERIFY(dialog.checkBoxIndent()->isChecked());
    QVERIFY(!dialog.checkBoxSpacing()->isChecked());
    QVERIFY(dialog.checkBoxPunctuation()->isChecked());
    QCOMPARE(dialog.checkBoxSpacing()->text(), QStringLiteral("段与段之间增加空行"));
    QVERIFY(dialog.findChild<QWidget*>(QStringLiteral("CommonWidgetBg")));
    QCOMPARE(dialog.size(), QSize(380, 446));
}

void WritingSettingsTest::cancelLeavesFieldsAndRowUnchanged()
{
    conf().isIndent = 1;
    conf().isSpaces = 0;
    QVERIFY(CJobManager::instance()->updateCreationConf(conf(), CPublicManager::instance()->userConf.uid));
    Dialog_WritingSettings dialog;
    dialog.checkBoxIndent()->setChecked(false);
    dialog.checkBoxSpacing()->setChecked(true);
    whenShown<Dialog_WritingSettings>([](Dialog_WritingSettings* d) { click(d, "btnCancel"); });
    QCOMPARE(dialog.exec(), int(QDialog::Rejected));
    QCOMPARE(conf().isIndent, 1);
    QCOMPARE(conf().isSpaces, 0);
    QCOMPARE(stored("isIndent"), 1);
    QCOMPARE(stored("isSpaces"), 0);
}

void WritingSettingsTest::confirmStoresTheRowThroughTheSettingsTool()
{
    whenShown<Dialog_WritingSettings>([](Dialog_WritingSettings* d) {
        d->checkBoxIndent()->setChecked(false);
        d->checkBoxSpacing()->setChecked(true);
        d->checkBoxPunctuation()->setChecked(false);
        click(d, "btnConfirm");
    });
    // The writing-settings tool of the tool panel opens the dialog.
    T_ItemData item(13, 1, 1);
    emit CUiManager::instance()->sig_Creation_Btn_Press(&item);
    QCOMPARE(conf().isIndent, 0);
    QCOMPARE(conf().isSpaces, 1);
    QCOMPARE(conf().isAutoPunctuation, 0);
    QCOMPARE(stored("isIndent"), 0);
    QCOMPARE(stored("isSpaces"), 1);
    QCOMPARE(stored("isAutoPunctuation"), 0);
}

void WritingSettingsTest::noPairCompletionAfterUncheckingPunctuation()
{
    conf().isIndent = 0;
    Creation_TextEdit* edit = m_f->editor();
    edit->clear();
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_ParenLeft, Qt::ShiftModifier);
    QTRY_COMPARE(edit->toPlainText(), QStringLiteral("()"));

    Dialog_WritingSettings dialog(m_f->pane());
    whenShown<Dialog_WritingSettings>([](Dialog_WritingSettings* d) {
        d->checkBoxPunctuation()->setChecked(false);
        click(d, "btnConfirm");
    });
    QCOMPARE(dialog.exec(), int(QDialog::Accepted));
    edit->clear();
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_ParenLeft, Qt::ShiftModifier);
    QTest::keyClick(edit, Qt::Key_A);
    QTRY_COMPARE(edit->toPlainText(), QStringLiteral("(a"));
    edit->clear();
}

void WritingSettingsTest::oddValueShowsUncheckedAndIsSavedAsZero()
{
    conf().isSpaces = 2;
    Dialog_WritingSettings dialog;
    QVERIFY(!dialog.checkBoxSpacing()->isChecked());
    whenShown<Dialog_WritingSettings>([](Dialog_WritingSettings* d) { click(d, "btnConfirm"); });
    QCOMPARE(dialog.exec(), int(QDialog::Accepted));
    QCOMPARE(conf().isSpaces, 0);
    QCOMPARE(stored("isSpaces"), 0);
}

int runWritingSettingsTests(int argc, char** argv)
{
    WritingSettingsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_WritingSettings.moc"
