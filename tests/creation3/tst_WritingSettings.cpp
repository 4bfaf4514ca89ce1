// The writing settings dialog, opened from the tool panel: what it stores and
// that cancelling or a quit stores nothing.

#include "CreationFixture.h"
#include "WhenShown.h"
#include "db/records/T_Book.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"
#include "ui/creation/tools/Dialog_WritingSettings.h"
#include "ui/creation/tools/T_ItemData.h"

#include <QCheckBox>
#include <QPushButton>
#include <QTest>

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

void openFromTheToolPanel()
{
    T_ItemData item(13, 1, 1);
    emit CUiManager::instance()->sig_Creation_Btn_Press(&item);
}
}

class WritingSettingsTest : public QObject
{
    Q_OBJECT
private slots:
    void confirmStoresAndCancelDoesNot();
};

void WritingSettingsTest::confirmStoresAndCancelDoesNot()
{
    CreationFixture f;
    QVERIFY(f.up());
    T_Book* book = f.offlineBook(QStringLiteral("设置"));
    QVERIFY(book && f.open(book));
    conf() = T_CreationConf();
    conf().isIndent = 1;
    // An odd stored value shows unchecked and is written back as zero.
    conf().isSpaces = 2;
    QVERIFY(CJobManager::instance()->updateCreationConf(conf(), CPublicManager::instance()->userConf.uid));

    whenShown<Dialog_WritingSettings>([](Dialog_WritingSettings* d) {
        d->checkBoxIndent()->setChecked(false);
        d->checkBoxSpacing()->setChecked(true);
        click(d, "btnCancel");
    });
    openFromTheToolPanel();
    QCOMPARE(conf().isIndent, 1);
    QCOMPARE(stored("isIndent"), 1);

    bool spacingShown = true;
    whenShown<Dialog_WritingSettings>([&spacingShown](Dialog_WritingSettings* d) {
        spacingShown = d->checkBoxSpacing()->isChecked();
        d->checkBoxIndent()->setChecked(false);
        d->checkBoxPunctuation()->setChecked(false);
        click(d, "btnConfirm");
    });
    openFromTheToolPanel();
    QVERIFY(!spacingShown);
    QCOMPARE(conf().isIndent, 0);
    QCOMPARE(conf().isAutoPunctuation, 0);
    QCOMPARE(stored("isIndent"), 0);
    QCOMPARE(stored("isSpaces"), 0);
    QCOMPARE(stored("isAutoPunctuation"), 0);

    // A quit stores every setting while the dialog is up and ends it unanswered.
    whenShown<Dialog_WritingSettings>([](Dialog_WritingSettings* d) {
        d->checkBoxIndent()->setChecked(true);
        CJobManager::instance()->saveUserData();
        d->done(QDialog::Rejected);
    });
    openFromTheToolPanel();
    QCOMPARE(stored("isIndent"), 0);
}

int runWritingSettingsTests(int argc, char** argv)
{
    WritingSettingsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_WritingSettings.moc"
