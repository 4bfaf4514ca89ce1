// Themes from the tool bar and F8, and typing sounds from the keys the author
// presses in the editor, with no boss key registered. The sounds play for
// real: CTest runs this with no sound server, and once more against one
// (TEST_SOUND_SERVER set).

#include "CreationFixture.h"
#include "WhenShown.h"

#include "manager/CPublicManager.h"
#include "manager/CQssManager.h"
#include "manager/CUiManager.h"
#include "ui/creation/Creation_TextEdit.h"
#include "ui/creation/Widget_ClientTips.h"
#include "ui/creation/Widget_Creation.h"
#include "ui/creation/Widget_Creation_Content.h"
#include "ui/creation/Widget_Creation_Top.h"
#include "ui/creation/tools/AudioThread.h"
#include "ui/creation/tools/TypingSounds.h"
#include "ui/shell/ThemeButton.h"
#include "ui/setting/Widget_Setting.h"
#include "ui/shell/Widget_ThemeSettings.h"
#include "common/QxtGlobalShortcut.h"

#include <QCheckBox>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace {

TypingSounds& sounds()
{
    return CPublicManager::instance()->typingSounds;
}

TypingSounds::Output expectedOutput()
{
    return qEnvironmentVariableIsSet("TEST_SOUND_SERVER") ? TypingSounds::Output::Present
                                                           : TypingSounds::Output::Missing;
}

// Everything asked of the audio thread so far is done.
bool audioThreadCaughtUp()
{
    return QMetaObject::invokeMethod(sounds().player()->worker(), [] {}, Qt::BlockingQueuedConnection);
}

int storedStyle()
{
    return CreationFixture::scalar(QStringLiteral("select style from tb_user where uid = %1")
                                       .arg(CPublicManager::instance()->userInfo.uid))
        .toInt();
}

} // namespace

class ThemeAndKeysTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void themePickerIsModalAndTheTextTakesTheChosenTheme();
    void f8PutsDarkOnTopOfTheThemeAndStoresIt();
    void keysPlayTheirSoundWithoutABossKey_data();
    void keysPlayTheirSoundWithoutABossKey();
    void keysOutsideTheEditorOrWithSoundOffAreSilent();
    void aBurstOfKeysSoundsOnTheAudioThreadAndKeepsEveryKey();
    void switchingSoundsOnSaysOnceWhetherTheMachineCanPlayThem_data();
    void switchingSoundsOnSaysOnceWhetherTheMachineCanPlayThem();

private:
    Creation_TextEdit* edit() const { return m_f->editor(); }
    CreationFixture* m_f = nullptr;
};

void ThemeAndKeysTest::initTestCase()
{
    m_f = new CreationFixture();
    QVERIFY(m_f->up());
    // No boss key: nothing relays the window system's key-downs.
    CPublicManager::instance()->userConf.systemConf.hideKey.clear();
    CUiManager::instance()->setBoosKey(QString());
    QVERIFY(!CUiManager::instance()->bossKey()->isValid());
    CPublicManager::instance()->userConf.creationConf.fontColor.clear();
    CPublicManager::instance()->userConf.creationConf.isFocusing = 0;
    T_Book* book = m_f->offlineBook(QStringLiteral("主题"));
    QVERIFY(book);
    QVERIFY(m_f->open(book));
    QVERIFY(QTest::qWaitForWindowExposed(m_f->window()));
    CUiManager::instance()->changeSkin(1);
}

void ThemeAndKeysTest::cleanupTestCase()
{
    CUiManager::instance()->changeSkin(1);
    delete m_f;
}

void ThemeAndKeysTest::themePickerIsModalAndTheTextTakesTheChosenTheme()
{
    bool modal = false;
    QWidget* parent = nullptr;
    whenShown<Widget_ThemeSettings>([&](Widget_ThemeSettings* picker) {
        modal = picker->isModal();
        parent = picker->parentWidget();
        QVERIFY(picker->btnThemeWhite()->isChecked());
        QTest::mouseClick(picker->btnThemeGreen(), Qt::LeftButton);
        picker->reject();
    });
    QTest::mouseClick(m_f->window()->getTop()->findChild<QPushButton*>(QStringLiteral("btnSkin")), Qt::LeftButton);
    // The tool bar posts its command; the picker runs from the event loop.
    QTRY_VERIFY(modal);
    QCOMPARE(parent, static_cast<QWidget*>(m_f->window()));
    QCOMPARE(CPublicManager::instance()->userInfo.style, 4);
    QCOMPARE(storedStyle(), 4);
    QVERIFY2(edit()->styleSheet().contains(QStringLiteral("#255d3c")), qPrintable(edit()->styleSheet()));
}

void ThemeAndKeysTest::f8PutsDarkOnTopOfTheThemeAndStoresIt()
{
    CUiManager::instance()->changeSkin(4);
    edit()->setFocus();
    QTest::keyClick(m_f->window(), Qt::Key_F8);
    QCOMPARE(CQssManager::instance()->currentStyleType(), 6);
    QCOMPARE(storedStyle(), 6);
    QVERIFY2(edit()->styleSheet().contains(QStringLiteral("#bcbbbb")), qPrintable(edit()->styleSheet()));
    // Again: back to the green theme it was put on.
    QTest::keyClick(m_f->window(), Qt::Key_F8);
    QCOMPARE(CQssManager::instance()->currentStyleType(), 4);
    QCOMPARE(storedStyle(), 4);
    QVERIFY(edit()->styleSheet().contains(QStringLiteral("#255d3c")));
}

void ThemeAndKeysTest::keysPlayTheirSoundWithoutABossKey_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("repeat");
    QTest::addColumn<int>("kind"); // 0 none, 1 enter, 2 delete, 3 writing
    QTest::newRow("letter") << int(Qt::Key_A) << 0 << false << 3;
    QTest::newRow("space") << int(Qt::Key_Space) << 0 << false << 3;
    QTest::newRow("held letter") << int(Qt::Key_A) << 0 << true << 3;
    QTest::newRow("enter") << int(Qt::Key_Return) << 0 << false << 1;
    QTest::newRow("held enter") << int(Qt::Key_Return) << 0 << true << 1;
    QTest::newRow("keypad enter") << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << false << 1;
    QTest::newRow("backspace") << int(Qt::Key_Backspace) << 0 << false << 2;
    QTest::newRow("held backspace") << int(Qt::Key_Backspace) << 0 << true << 2;
    QTest::newRow("delete") << int(Qt::Key_Delete) << 0 << false << 2;
    QTest::newRow("shift") << int(Qt::Key_Shift) << int(Qt::ShiftModifier) << false << 3;
    QTest::newRow("arrow") << int(Qt::Key_Left) << 0 << false << 0;
    QTest::newRow("held arrow") << int(Qt::Key_Down) << 0 << true << 0;
    QTest::newRow("ctrl") << int(Qt::Key_Control) << int(Qt::ControlModifier) << false << 0;
    QTest::newRow("f12") << int(Qt::Key_F12) << 0 << false << 0;
    QTest::newRow("alt") << int(Qt::Key_Alt) << int(Qt::AltModifier) << false << 0;
}

void ThemeAndKeysTest::keysPlayTheirSoundWithoutABossKey()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(bool, repeat);
    QFETCH(int, kind);
    CPublicManager::instance()->userConf.systemConf.isSound = 1;
    QApplication::setActiveWindow(m_f->window());
    edit()->setFocus();
    QTRY_VERIFY(edit()->hasEditorFocus());
    // The first sound of the run makes the audio thread.
    if (sounds().player() == nullptr)
        QTest::keyClick(edit(), Qt::Key_B);
    QVERIFY(sounds().player());
    QSignalSpy played(sounds().player(), &AudioThread::play);
    T_WritingCounters& counters = CPublicManager::instance()->writing;
    counters.active = false;

    QKeyEvent press(QEvent::KeyPress, key, Qt::KeyboardModifiers(modifiers), QString(), repeat);
    QApplication::sendEvent(edit(), &press);

    QCOMPARE(played.count(), kind == 0 ? 0 : 1);
    QCOMPARE(played.value(0).value(0).toInt(), kind == 0 ? 0 : kind);
    // What sounds counts as writing; quiet keys do not.
    QCOMPARE(counters.active, kind != 0);
}

void ThemeAndKeysTest::keysOutsideTheEditorOrWithSoundOffAreSilent()
{
    CPublicManager::instance()->userConf.systemConf.isSound = 1;
    QVERIFY(sounds().player());
    QSignalSpy writing(sounds().player(), &AudioThread::play);
    CUiManager::instance()->setIdleSeconds(40);
    // Focus elsewhere in the window: the key still counts against the idle
    // lock, but plays nothing.
    QPushButton* bold = m_f->window()->getTop()->findChild<QPushButton*>(QStringLiteral("btnBold"));
    bold->setFocusPolicy(Qt::StrongFocus);
    bold->setFocus();
    QTRY_VERIFY(!edit()->hasEditorFocus());
    QTest::keyClick(bold, Qt::Key_X);
    QCOMPARE(CUiManager::instance()->idleSeconds(), 0);
    QCOMPARE(writing.count(), 0);

    edit()->setFocus();
    QTRY_VERIFY(edit()->hasEditorFocus());
    CPublicManager::instance()->userConf.systemConf.isSound = 0;
    QTest::keyClicks(edit(), QStringLiteral("abc"));
    QCOMPARE(writing.count(), 0);
    CPublicManager::instance()->userConf.systemConf.isSound = 1;
    QTest::keyClick(edit(), Qt::Key_D);
    QCOMPARE(writing.count(), 1);
    // An input method takes the keys itself: what it composes and commits
    // sounds as writing.
    QInputMethodEvent composing(QStringLiteral("xie"), {});
    QApplication::sendEvent(edit(), &composing);
    QCOMPARE(writing.count(), 2);
    m_f->type(QStringLiteral("写"));
    QCOMPARE(writing.count(), 3);
}

void ThemeAndKeysTest::aBurstOfKeysSoundsOnTheAudioThreadAndKeepsEveryKey()
{
    CPublicManager::instance()->userConf.systemConf.isSound = 1;
    QApplication::setActiveWindow(m_f->window());
    edit()->setFocus();
    QTRY_VERIFY(edit()->hasEditorFocus());
    QTest::keyClick(edit(), Qt::Key_End, Qt::ControlModifier);
    QVERIFY(sounds().player());
    QVERIFY(audioThreadCaughtUp());
    const int taken = sounds().player()->worker()->plays();
    const int lines = edit()->toPlainText().count(QStringLiteral("soundline"));
    // Every line sounds all three kinds: letters, a letter taken back, Enter.
    const QString letters = QStringLiteral("soundlinex");
    constexpr int rounds = 25;
    for (int round = 0; round < rounds; ++round) {
        QTest::keyClicks(edit(), letters);
        QTest::keyClick(edit(), Qt::Key_Backspace);
        QTest::keyClick(edit(), Qt::Key_Return);
    }
    const int keys = rounds * (letters.size() + 2);
    QCOMPARE(edit()->toPlainText().count(QStringLiteral("soundline")), lines + rounds);
    QVERIFY(!edit()->toPlainText().contains(QLatin1Char('x')));
    QTRY_COMPARE(sounds().player()->worker()->plays(), taken + keys);
    QTRY_COMPARE(sounds().output(), expectedOutput());
    // Against a sound server all three sounds are loaded into it; without
    // one, none is ever made.
    QTRY_COMPARE(sounds().player()->worker()->ready(), expectedOutput() == TypingSounds::Output::Present ? 3 : 0);
}

void ThemeAndKeysTest::switchingSoundsOnSaysOnceWhetherTheMachineCanPlayThem_data()
{
    QTest::addColumn<bool>("inSettings");
    QTest::newRow("settings page") << true;
    QTest::newRow("writing window tool") << false;
}

void ThemeAndKeysTest::switchingSoundsOnSaysOnceWhetherTheMachineCanPlayThem()
{
    QFETCH(bool, inSettings);
    const bool present = expectedOutput() == TypingSounds::Output::Present;
    const QStringList soundTips{
        QCoreApplication::translate("Widget_Creation_Content", "sound open"),
        QCoreApplication::translate("Widget_Creation_Content", "Typing sounds on, but this computer has no sound output")};
    CPublicManager::instance()->userConf.systemConf.isSound = 0;
    Widget_ClientTips* tips = m_f->window()->tips();
    QScopedPointer<Widget_Setting> page;
    QLabel* note = nullptr;
    if (inSettings) {
        page.reset(new Widget_Setting(m_f->window()));
        page->show();
        QVERIFY(QTest::qWaitForWindowExposed(page.data()));
        auto* box = page->findChild<QCheckBox*>(QStringLiteral("checkBox_audio"));
        note = page->findChild<QLabel*>(QStringLiteral("labelAudioNote"));
        QVERIFY(box && note);
        QVERIFY(note->isHidden());
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(box->sizeHint().width() / 2, box->height() / 2));
        QTRY_COMPARE(sounds().output(), expectedOutput());
        QTRY_COMPARE(note->isHidden(), present);
    } else {
        tips->label()->clear();
        m_f->pane()->creation_command(11, QString(), QString());
        // The tip fades; its text stays.
        QTRY_COMPARE(sounds().output(), expectedOutput());
        QTRY_COMPARE(tips->label()->text(), soundTips.at(present ? 0 : 1));
    }
    QCOMPARE(CPublicManager::instance()->userConf.systemConf.isSound, 1);
    // The keys that follow play or stay silent without a word.
    tips->label()->clear();
    QApplication::setActiveWindow(m_f->window());
    edit()->setFocus();
    QTRY_VERIFY(edit()->hasEditorFocus());
    QVERIFY(audioThreadCaughtUp());
    const int taken = sounds().player()->worker()->plays();
    QTest::keyClicks(edit(), QStringLiteral("quiet"));
    QTRY_COMPARE(sounds().player()->worker()->plays(), taken + 5);
    QVERIFY(audioThreadCaughtUp());
    QCoreApplication::processEvents();
    // Only the sound's own words count: a tip an earlier test's lock change
    // left on its timer may still land here.
    QVERIFY2(!soundTips.contains(tips->label()->text()), qPrintable(tips->label()->text()));
    if (note)
        QCOMPARE(note->isHidden(), present);
}

int runThemeAndKeyTests(int argc, char** argv)
{
    ThemeAndKeysTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_ThemeAndKeys.moc"
