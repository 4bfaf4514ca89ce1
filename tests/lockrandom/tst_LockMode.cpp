// The locked writing mode: engaged from the dialog, advanced by typing and
// by writing time, released at the goal, and what the window refuses while
// it holds.

#include "CreationFixture.h"
#include "WhenShown.h"

#include "common/ServerClock.h"
#include "db/records/T_UserConf.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"
#include "platform/SessionAutostart.h"
#include "ui/common/BkMessageBox.h"
#include "ui/creation/Creation_TextEdit.h"
#include "ui/creation/Dialog_WritingLock.h"
#include "ui/creation/Widget_Creation.h"
#include "ui/creation/Widget_ClientTips.h"
#include "ui/setting/Widget_Setting.h"

#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

class LockModeTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        CUiManager::instance()->setSettingsFile(settingsFile());
        m_f = new CreationFixture();
        QVERIFY(m_f->up());
        T_Book* book = m_f->offlineBook(QStringLiteral("小黑屋"));
        QVERIFY(book);
        QVERIFY(m_f->open(book));
    }
    void cleanupTestCase()
    {
        delete m_f;
        CUiManager::instance()->setSettingsFile(QString());
    }
    void init() { CPublicManager::instance()->writing = T_WritingCounters(); }
    void cleanup()
    {
        CPublicManager* model = CPublicManager::instance();
        model->userConf.writeLock = T_WriteLock();
        CJobManager::instance()->updateLock(model->userInfo.uid, model->userConf.writeLock);
        CUiManager::instance()->setWritingLock(false, false);
    }

    void acceptedDialogEngagesTheLock()
    {
        whenShown<Dialog_WritingLock>([](Dialog_WritingLock* d) {
            auto* words = d->findChild<QLineEdit*>(QStringLiteral("lineEditWords"));
            words->setText(QString());
            QTest::keyClicks(words, QStringLiteral("3000"));
            d->findChild<QPushButton*>(QStringLiteral("btnConfirm"))->click();
        });
        QVERIFY(CUiManager::instance()->openWritingLock(m_f->window()));
        QVERIFY(CUiManager::instance()->isLocked());
        QVERIFY(CUiManager::instance()->isFullScreen());
        // The flag goes to the native window in place (no hide and re-create).
        const QWindow* handle = m_f->window()->windowHandle();
        QVERIFY((handle ? handle->flags() : m_f->window()->windowFlags()) & Qt::WindowStaysOnTopHint);
        QCOMPARE(BooksFixture::scalar(QStringLiteral("select lockWords from tb_lock")).toInt(), 3000);
        // Esc is refused while locked: the toast says what ends the lock.
        // (A synchronisation's own toast may follow it: every text shown counts.)
        const QString hint = QStringLiteral("写作锁定中：写满 3000 字后自动解锁");
        QStringList shown;
        QElapsedTimer timer;
        timer.start();
        while (!shown.contains(hint) && timer.elapsed() < 15000) {
            QTest::qWait(5);
            const QString text = m_f->window()->tips()->label()->text();
            if (shown.isEmpty() || shown.last() != text)
                shown << text;
        }
        QVERIFY2(shown.contains(hint), qPrintable(shown.join(QLatin1Char('|'))));
        QVERIFY(!shown.contains(QStringLiteral("按 Esc 键退出全屏")));
    }

    void tooSmallAGoalIsToldOnceBesideTheDialog()
    {
        const QString error = QCoreApplication::translate("Dialog_WritingLock", "Lock words minimum 1000, maximum 200,000");
        QList<QRect> told;
        QList<QRect> dialogShows;
        whenShown<Dialog_WritingLock>([&](Dialog_WritingLock* d) {
            told.clear();
            auto* words = d->findChild<QLineEdit*>(QStringLiteral("lineEditWords"));
            words->setText(QString());
            QTest::keyClicks(words, QStringLiteral("999"));
            QTest::mouseClick(d->findChild<QPushButton*>(QStringLiteral("btnConfirm")), Qt::LeftButton);
            for (QWidget* widget : QApplication::allWidgets()) {
                auto* tips = qobject_cast<Widget_ClientTips*>(widget);
                if (tips != nullptr && tips->isVisible() && tips->label()->text() == error)
                    told << QRect(tips->mapToGlobal(QPoint()), tips->size());
            }
            for (const char* name : {"plainTextEdit", "radioButtonWords", "lineEditWords", "radioButtonTime",
                                     "lineEditTime", "btnConfirm", "btnCancel"}) {
                auto* part = d->findChild<QWidget*>(QString::fromLatin1(name));
                dialogShows << QRect(part->mapToGlobal(QPoint()), part->size());
            }
            d->findChild<QPushButton*>(QStringLiteral("btnCancel"))->click();
        });
        // A window as an author has it, the dialog in its middle.
        m_f->window()->resize(1200, 800);
        QVERIFY(!CUiManager::instance()->openWritingLock(m_f->window()));
        QVERIFY(!CUiManager::instance()->isLocked());
        // Once, and over none of the dialog's texts, fields and buttons.
        QCOMPARE(told.size(), 1);
        for (const QRect& part : qAsConst(dialogShows))
            QVERIFY(!part.intersects(told.first()));
    }

    void goalReleasesTheLock_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("column");
        QTest::newRow("words") << 1 << "lockWords + writeWords";
        QTest::newRow("time") << 2 << "lockTime + writeTime";
    }
    void goalReleasesTheLock()
    {
        QFETCH(int, type);
        QFETCH(QString, column);
        engage(type, type == 1 ? 20 : 0, type == 1 ? 0 : 1);
        T_WriteLock& lock = CPublicManager::instance()->userConf.writeLock;
        lock.writeTime = 58;
        CPublicManager::instance()->writing.speed = 600;  // a speed window has passed
        append(QStringLiteral("一二三四五六七八九十"));
        m_f->tick();
        QCOMPARE(type == 1 ? lock.writeWords : lock.writeTime, type == 1 ? 10 : 59);
        QVERIFY(CUiManager::instance()->isLocked());
        append(QStringLiteral("一二三四五六七八九十"));
        m_f->tick();
        QVERIFY(!CUiManager::instance()->isLocked());
        QVERIFY(!CUiManager::instance()->isFullScreen());
        QCOMPARE(BooksFixture::scalar(QStringLiteral("select lockType + %1 from tb_lock").arg(column)).toInt(), 0);
    }

    // The lock gives back the author's start-with-the-system choice at its
    // goal, or the one made on the settings page while it held.
    void releasedLockGivesBackTheAuthorsStartUpChoice_data()
    {
        QTest::addColumn<bool>("before");
        QTest::addColumn<int>("clicks");  // on the page's box while the lock holds
        QTest::addColumn<bool>("reopen"); // the book opened again while the lock holds
        QTest::newRow("off") << false << 0 << false;
        QTest::newRow("off, the book opened again") << false << 0 << true;
        QTest::newRow("on") << true << 0 << false;
        QTest::newRow("unticked while locked") << true << 1 << false;
        QTest::newRow("unticked and ticked again while locked") << false << 2 << false;
    }
    void releasedLockGivesBackTheAuthorsStartUpChoice()
    {
        QFETCH(bool, before);
        QFETCH(int, clicks);
        QFETCH(bool, reopen);
        CUiManager* ui = CUiManager::instance();
        QVERIFY(ui->setExeAuto(before));
        whenShown<Dialog_WritingLock>([](Dialog_WritingLock* d) {
            QTest::keyClicks(d->findChild<QLineEdit*>(QStringLiteral("lineEditWords")), QStringLiteral("1000"));
            d->findChild<QPushButton*>(QStringLiteral("btnConfirm"))->click();
        });
        QVERIFY(ui->openWritingLock(m_f->window()) && ui->isExeAuto());
        QVERIFY(!reopen || m_f->open(m_f->window()->currentBook()));
        Widget_Setting page;
        for (int i = 0; i < clicks; ++i)
            page.findChild<QCheckBox*>(QStringLiteral("checkBox_auto"))->click();
        // The author writes the thousand words.
        CPublicManager::instance()->writing.speed = 600;
        append(QString(1000, QChar(0x5B57)));
        m_f->tick();
        const bool after = clicks > 0 ? clicks == 2 : before;
        QVERIFY(!ui->isLocked() && ui->isExeAuto() == after && SessionAutostart::isEnabled() == after);
        QCOMPARE(Widget_Setting().findChild<QCheckBox*>(QStringLiteral("checkBox_auto"))->isChecked(), after);
    }

    void releasingWithoutTheKeyWritesOff()
    {
        QFile::remove(settingsFile());
        CUiManager::instance()->setWritingLock(false, false);
        QSettings settings(settingsFile(), QSettings::IniFormat);
        QVERIFY(settings.contains(QStringLiteral("system/exeAuto")));
        QCOMPARE(settings.value(QStringLiteral("system/exeAuto")).toInt(), 0);
    }

    void lockStartUpThatCannotBeStoredIsTakenBackAndTold()
    {
        QTemporaryDir config;
        qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
        // A settings file that exists but cannot be written, also by root: a
        // running program's file. Qt keeps a change it could not write to
        // such a file for the file's next reader.
        const QString unwritable = m_dir.path() + QStringLiteral("/running.ini");
        QVERIFY(QFile::copy(QStringLiteral("/bin/sleep"), unwritable));
        QVERIFY(QFile::setPermissions(unwritable, QFile::permissions(unwritable) | QFile::ExeOwner));
        QProcess running;
        running.start(unwritable, {QStringLiteral("600")});
        QVERIFY(running.waitForStarted());
        CUiManager::instance()->setSettingsFile(unwritable);
        engage(1, 5000, 0);
        CUiManager::instance()->setSettingsFile(settingsFile());
        qunsetenv("XDG_CONFIG_HOME");
        // No entry runs ahead of the setting, and no reader of the file sees
        // a value the file does not hold.
        QVERIFY(!QFile::exists(config.path() + QStringLiteral("/autostart")));
        QVERIFY(!QSettings(unwritable, QSettings::IniFormat).contains(QStringLiteral("system/exeAuto")));
        auto* box = m_f->window()->findChild<BkMessageBox*>();
        QVERIFY(box && box->isVisible());
        QVERIFY2(box->textLabel()->text().contains(unwritable), qPrintable(box->textLabel()->text()));
        delete box;
        running.kill();
        running.waitForFinished();
    }

    void refusedGoalsEngageNothing()
    {
        CPublicManager* model = CPublicManager::instance();
        Dialog_WritingLock d;
        auto* words = d.findChild<QLineEdit*>(QStringLiteral("lineEditWords"));
        auto* confirm = d.findChild<QPushButton*>(QStringLiteral("btnConfirm"));
        words->setText(QString());
        QTest::keyClicks(words, QStringLiteral("a1b2c"));
        QCOMPARE(words->text(), QStringLiteral("12"));
        // Under the smallest goal: the field keeps what was typed.
        confirm->click();
        QVERIFY(d.result() != QDialog::Accepted);
        QCOMPARE(words->text(), QStringLiteral("12"));
        // A user without a lock row: nothing can be written for them.
        const int uid = model->userInfo.uid;
        model->userInfo.uid = 987654;
        words->setText(QStringLiteral("5000"));
        confirm->click();
        model->userInfo.uid = uid;
        QVERIFY(d.result() != QDialog::Accepted);
        QCOMPARE(model->userConf.writeLock.lockType, 0);
        QCOMPARE(BooksFixture::scalar(QStringLiteral("select lockType from tb_lock")).toInt(), 0);
    }

    void secondLockIsRefusedWhileOneHolds()
    {
        engage(1, 5000, 0);
        QVERIFY(!CUiManager::instance()->openWritingLock(m_f->window()));
        QCOMPARE(CPublicManager::instance()->userConf.writeLock.lockWords, 5000);
    }

private:
    void engage(int type, int words, int minutes)
    {
        T_WriteLock& lock = CPublicManager::instance()->userConf.writeLock;
        lock = T_WriteLock();
        lock.lockType = type;
        lock.lockWords = words;
        lock.lockTime = minutes;
        CUiManager::instance()->setWritingLock(true, true);
        QVERIFY(CUiManager::instance()->isFullScreen());
    }
    void append(const QString& text)
    {
        QTextCursor cursor = m_f->editor()->textCursor();
        cursor.movePosition(QTextCursor::End);
        cursor.insertText(text);
        CPublicManager::instance()->writing.active = true;
        CPublicManager::instance()->writing.lastChangeTime = static_cast<int>(currentServerTime());
    }

    QString settingsFile() const { return m_dir.path() + QStringLiteral("/setting.ini"); }

    QTemporaryDir m_dir;
    CreationFixture* m_f = nullptr;
};

int runLockModeTests(int argc, char** argv)
{
    LockModeTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_LockMode.moc"
