#include "JobsFixture.h"
#include "WhenShown.h"

#include "db/records/T_UserConf.h"
#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"
#include "platform/SessionAutostart.h"
#include "remote/records/AccountRecords.h"
#include "ui/bookshelf/Widget_Bookshelf.h"
#include "ui/setting/Widget_Setting.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTest>

namespace {
template <class T>
T* child(QWidget* w, const char* name)
{
    return w->findChild<T*>(QLatin1String(name));
}

void press(QWidget* w, Qt::Key key, Qt::KeyboardModifiers mods)
{
    QKeyEvent down(QEvent::KeyPress, key, mods);
    QApplication::sendEvent(w, &down);
    QKeyEvent up(QEvent::KeyRelease, key, mods);
    QApplication::sendEvent(w, &up);
}
} // namespace

class SettingTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void passwordFormIsCheckedBeforeTheAccountOperation();
    void plainKeyIsNeverCaptured();
    void reservedKeysAreRefused();
    void refusedRegistrationEmptiesFieldAndKeepsKey();
    void unwritableSettingsAreToldAndThePageShowsWhatIsStored();

private:
    JobsFixture* m_fixture = nullptr;
};

void SettingTest::init()
{
    QFile::remove(CUiManager::settingFilePath());
    m_fixture = new JobsFixture;
    QVERIFY(m_fixture->seed());
    QVERIFY(m_fixture->start());
    CPublicManager::instance()->userInfo.uid = StandinServer::demoUid();
}

void SettingTest::cleanup()
{
    delete m_fixture;
    m_fixture = nullptr;
    QDir().rmdir(CUiManager::settingFilePath());
    QFile::remove(CUiManager::settingFilePath());
}

void SettingTest::passwordFormIsCheckedBeforeTheAccountOperation()
{
    Widget_Setting page;
    child<QLineEdit>(&page, "lineEditNewPwd")->setText(QStringLiteral("newpass12"));
    child<QLineEdit>(&page, "lineEditNewPwd2")->setText(QStringLiteral("newpass12"));
    const auto buttons = page.findChildren<QPushButton*>(QStringLiteral("btnConfirm"));
    buttons.at(1)->click();
    QCOMPARE(child<QLabel>(&page, "labelError_2")->text(),
             QStringLiteral("Please enter the correct password"));
    QVERIFY(child<QLabel>(&page, "labelError_3")->text().isEmpty());
    // Two different new passwords are refused on the page too.
    child<QLineEdit>(&page, "lineEditPwd")->setText(QStringLiteral("demo1234"));
    child<QLineEdit>(&page, "lineEditNewPwd2")->setText(QStringLiteral("newpass13"));
    buttons.at(1)->click();
    QCOMPARE(child<QLabel>(&page, "labelError_3")->text(),
             QStringLiteral("Please enter the same new password twice"));
    QVERIFY(JobsFixture::requestsTo(QStringLiteral("/author/changePassword")).isEmpty());

    child<QLineEdit>(&page, "lineEditPwd")->setText(QStringLiteral("wrong-password"));
    child<QLineEdit>(&page, "lineEditNewPwd2")->setText(QStringLiteral("newpass12"));
    child<QLabel>(&page, "labelError_2")->clear();
    buttons.at(1)->click();
    // Whatever the platform answers, a refusal shows its own message and
    // the typed passwords stay.
    QCOMPARE(child<QLineEdit>(&page, "lineEditNewPwd")->text(), QStringLiteral("newpass12"));
    const QString error = child<QLabel>(&page, "labelError_2")->text();
    QVERIFY2(!error.isEmpty(), "a wrong current password must be reported");
    const QJsonArray sent = JobsFixture::requestsTo(QStringLiteral("/author/changePassword"));
    QCOMPARE(sent.size(), 1);
    const QJsonObject body = QJsonDocument::fromJson(
        sent.at(0).toObject().value(QStringLiteral("body")).toString().toUtf8()).object();
    QCOMPARE(body.value(QStringLiteral("newPassword")).toString(), QStringLiteral("newpass12"));
}

void SettingTest::plainKeyIsNeverCaptured()
{
    Widget_Setting page;
    auto* boss = child<QLineEdit>(&page, "lineEditBoss");
    boss->setText(QStringLiteral("Ctrl+Shift+N"));
    press(boss, Qt::Key_K, Qt::NoModifier);
    QCOMPARE(boss->text(), QStringLiteral("Ctrl+Shift+N"));
    QVERIFY(child<QLabel>(&page, "labelError")->text().isEmpty());
    // Modifiers alone complete nothing either.
    press(boss, Qt::Key_Shift, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(boss->text(), QStringLiteral("Ctrl+Shift+N"));
    QVERIFY(child<QLabel>(&page, "labelError")->text().isEmpty());
}

void SettingTest::reservedKeysAreRefused()
{
    const QString before = CPublicManager::instance()->userConf.systemConf.hideKey;
    Widget_Setting page;
    auto* boss = child<QLineEdit>(&page, "lineEditBoss");
    boss->setText(before);
    for (Qt::Key key : {Qt::Key_S, Qt::Key_F, Qt::Key_P, Qt::Key_W}) {
        child<QLabel>(&page, "labelError")->clear();
        press(boss, key, Qt::ControlModifier);
        QCOMPARE(child<QLabel>(&page, "labelError")->text(), QStringLiteral("Shortcut key conflict"));
        QCOMPARE(boss->text(), before);
    }
    QCOMPARE(CPublicManager::instance()->userConf.systemConf.hideKey, before);
}

void SettingTest::refusedRegistrationEmptiesFieldAndKeepsKey()
{
    // An offscreen run has no window system to take a hot key, which is a
    // refusal as far as the page is concerned.
    CPublicManager::instance()->userConf.systemConf.hideKey = QStringLiteral("Ctrl+Shift+N");
    Widget_Setting page;
    auto* boss = child<QLineEdit>(&page, "lineEditBoss");
    boss->setText(QStringLiteral("Ctrl+Shift+N"));
    press(boss, Qt::Key_J, Qt::ControlModifier | Qt::AltModifier);
    if (CUiManager::instance()->setBoosKey(QStringLiteral("Ctrl+Alt+J")))
        QSKIP("this display takes hot keys; the refusal path needs one that does not");
    QVERIFY(boss->text().isEmpty());
    QCOMPARE(child<QLabel>(&page, "labelError")->text(), QStringLiteral("Shortcut key conflict"));
    QCOMPARE(CPublicManager::instance()->userConf.systemConf.hideKey, QStringLiteral("Ctrl+Shift+N"));
}

void SettingTest::unwritableSettingsAreToldAndThePageShowsWhatIsStored()
{
    QVERIFY(SessionAutostart::setEnabled(false));
    // A folder in the settings file's place refuses writes even to root.
    const QString ini = CUiManager::settingFilePath();
    QVERIFY(QDir().mkpath(ini));
    auto* toast = CUiManager::instance()->bookshelf()->findChild<QLabel*>(QStringLiteral("BookshelfTips"));
    toast->hide();
    Widget_Setting page;
    auto* autoStart = child<QCheckBox>(&page, "checkBox_auto");
    autoStart->click();
    QVERIFY2(toast->isVisible() && toast->text().contains(ini), qPrintable(toast->text()));
    QVERIFY(!autoStart->isChecked());
    QVERIFY(!SessionAutostart::isEnabled());
    toast->hide();
    child<QRadioButton>(&page, "radioButton_dx")->click();
    QVERIFY(toast->isVisible());
    QVERIFY(child<QRadioButton>(&page, "radioButton_opengl")->isChecked());

    // A backup folder nobody can write to is refused when it is chosen.
    QVERIFY(QDir().rmdir(ini));
    toast->hide();
    const QString before = child<QLineEdit>(&page, "lineEditBackups")->text();
    whenShown<QFileDialog>([](QFileDialog* dialog) {
        dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(QStringLiteral("/proc"));
        QMetaObject::invokeMethod(dialog, "accept", Qt::DirectConnection);
    });
    child<QPushButton>(&page, "btnChangePath")->click();
    QVERIFY(toast->isVisible());
    QCOMPARE(child<QLineEdit>(&page, "lineEditBackups")->text(), before);
    QVERIFY(!QSettings(ini, QSettings::IniFormat).contains(QStringLiteral("system/backup")));
}

int runSettingTests(int argc, char** argv)
{
    SettingTest t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_Setting.moc"
