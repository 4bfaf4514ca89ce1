// The system-wide hot key on a real X server: keys are typed through the
// server's test extension, as a user's keyboard would.

#include "common/QxtGlobalShortcut.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCompleter>
#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QSignalSpy>
#include <QX11Info>
#include <QtTest>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

// The X event's name hides Qt's.
#undef KeyPress

namespace {

bool g_refused = false;
int recordRefusal(Display*, XErrorEvent* error)
{
    if (error->error_code == BadAccess)
        g_refused = true;
    return 0;
}

}

class TestGlobalHotKey : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();

    void ctrlShiftNIsTakenAndReportsItsPress();
    void settingTheSameSequenceTwiceRetakesIt();
    void disabledShortcutStaysValidAndIsSilent();
    void combinationHeldByAnotherProgramIsRefused();
    void destroyedShortcutReleasesItsCombination();
    void programHoldingTheHotKeyExitsCleanly();
    void hotKeyReachesPastAnOpenPopupOrDialog_data();
    void hotKeyReachesPastAnOpenPopupOrDialog();

private:
    // Presses and releases the key with the modifiers held, as a user does.
    void type(KeySym key, const QList<KeySym>& modifiers);
    // True when another client could take the combination for itself.
    bool otherClientCanTake(KeySym key, unsigned int modifiers);
    // True while a client holds the whole keyboard.
    bool keyboardHeld();

    Display* m_display = nullptr;
};

void TestGlobalHotKey::initTestCase()
{
    if (!QX11Info::isPlatformX11())
        QSKIP("needs an X server (run under xvfb-run)");
    int event = 0, error = 0, major = 0, minor = 0;
    m_display = XOpenDisplay(nullptr);
    QVERIFY(m_display);
    if (!XTestQueryExtension(m_display, &event, &error, &major, &minor))
        QSKIP("the X server has no test extension");
}

void TestGlobalHotKey::cleanupTestCase()
{
    if (m_display)
        XCloseDisplay(m_display);
}

void TestGlobalHotKey::type(KeySym key, const QList<KeySym>& modifiers)
{
    for (KeySym modifier : modifiers)
        XTestFakeKeyEvent(m_display, XKeysymToKeycode(m_display, modifier), True, CurrentTime);
    XTestFakeKeyEvent(m_display, XKeysymToKeycode(m_display, key), True, CurrentTime);
    XTestFakeKeyEvent(m_display, XKeysymToKeycode(m_display, key), False, CurrentTime);
    for (KeySym modifier : modifiers)
        XTestFakeKeyEvent(m_display, XKeysymToKeycode(m_display, modifier), False, CurrentTime);
    XSync(m_display, False);
}

bool TestGlobalHotKey::otherClientCanTake(KeySym key, unsigned int modifiers)
{
    g_refused = false;
    XErrorHandler previous = XSetErrorHandler(&recordRefusal);
    const KeyCode code = XKeysymToKeycode(m_display, key);
    XGrabKey(m_display, code, modifiers, DefaultRootWindow(m_display), True, GrabModeAsync, GrabModeAsync);
    XSync(m_display, False);
    const bool taken = !g_refused;
    XUngrabKey(m_display, code, modifiers, DefaultRootWindow(m_display));
    XSync(m_display, False);
    XSetErrorHandler(previous);
    return taken;
}

void TestGlobalHotKey::ctrlShiftNIsTakenAndReportsItsPress()
{
    QxtGlobalShortcut shortcut;
    QSignalSpy activated(&shortcut, &QxtGlobalShortcut::activated);
    QVERIFY(shortcut.setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+N"))));
    QVERIFY(shortcut.isValid());
    QVERIFY(!otherClientCanTake(XK_n, ControlMask | ShiftMask));

    type(XK_n, {XK_Control_L, XK_Shift_L});
    QVERIFY(activated.wait(10000));
    QCOMPARE(activated.size(), 1);
    QCOMPARE(activated.first().first().value<QxtGlobalShortcut*>(), &shortcut);
}

void TestGlobalHotKey::settingTheSameSequenceTwiceRetakesIt()
{
    QxtGlobalShortcut shortcut;
    QSignalSpy activated(&shortcut, &QxtGlobalShortcut::activated);
    QVERIFY(shortcut.setShortcut(QKeySequence(QStringLiteral("Ctrl+Alt+J"))));
    QVERIFY(shortcut.setShortcut(QKeySequence(QStringLiteral("Ctrl+Alt+J"))));
    QVERIFY(shortcut.isValid());
    type(XK_j, {XK_Control_L, XK_Alt_L});
    QVERIFY(activated.wait(10000));
    type(XK_j, {XK_Control_L, XK_Alt_L});
    QTRY_COMPARE_WITH_TIMEOUT(activated.size(), 2, 10000);
}

void TestGlobalHotKey::disabledShortcutStaysValidAndIsSilent()
{
    QxtGlobalShortcut silent;
    QxtGlobalShortcut marker;
    QSignalSpy silentSpy(&silent, &QxtGlobalShortcut::activated);
    QSignalSpy markerSpy(&marker, &QxtGlobalShortcut::activated);
    QVERIFY(silent.setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+K"))));
    QVERIFY(marker.setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+L"))));
    silent.setDisabled(true);
    QVERIFY(!silent.isEnabled());
    QVERIFY(silent.isValid());
    // Still taken: nobody else gets the combination while it is disabled.
    QVERIFY(!otherClientCanTake(XK_k, ControlMask | ShiftMask));

    type(XK_k, {XK_Control_L, XK_Shift_L});
    // The server keeps the order of key events: once the later press has
    // arrived, the disabled one has been seen and dropped.
    type(XK_l, {XK_Control_L, XK_Shift_L});
    QVERIFY(markerSpy.wait(10000));
    QCOMPARE(silentSpy.size(), 0);

    silent.setEnabled(true);
    type(XK_k, {XK_Control_L, XK_Shift_L});
    QVERIFY(silentSpy.wait(10000));
}

void TestGlobalHotKey::combinationHeldByAnotherProgramIsRefused()
{
    const KeyCode code = XKeysymToKeycode(m_display, XK_m);
    XGrabKey(m_display, code, ControlMask | Mod1Mask, DefaultRootWindow(m_display), True, GrabModeAsync,
             GrabModeAsync);
    XSync(m_display, False);

    QxtGlobalShortcut shortcut;
    QVERIFY(!shortcut.setShortcut(QKeySequence(QStringLiteral("Ctrl+Alt+M"))));
    QVERIFY(!shortcut.isValid());

    XUngrabKey(m_display, code, ControlMask | Mod1Mask, DefaultRootWindow(m_display));
    XSync(m_display, False);
    QVERIFY(shortcut.setShortcut(QKeySequence(QStringLiteral("Ctrl+Alt+M"))));
}

void TestGlobalHotKey::destroyedShortcutReleasesItsCombination()
{
    {
        QxtGlobalShortcut shortcut;
        QVERIFY(shortcut.setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+P"))));
        QVERIFY(!otherClientCanTake(XK_p, ControlMask | ShiftMask));
    }
    QVERIFY(otherClientCanTake(XK_p, ControlMask | ShiftMask));

    QxtGlobalShortcut moved;
    QVERIFY(moved.setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+O"))));
    QVERIFY(moved.setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+I"))));
    QVERIFY(otherClientCanTake(XK_o, ControlMask | ShiftMask));
}

bool TestGlobalHotKey::keyboardHeld()
{
    const int status = XGrabKeyboard(m_display, DefaultRootWindow(m_display), False, GrabModeAsync, GrabModeAsync,
                                     CurrentTime);
    if (status == GrabSuccess)
        XUngrabKeyboard(m_display, CurrentTime);
    XSync(m_display, False);
    return status == AlreadyGrabbed;
}

// Counts the presses of N that reach a widget, while it lives.
struct KeysSeen : QObject {
    KeysSeen() { qApp->installEventFilter(this); }
    int presses = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        presses += event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_N ? 1 : 0;
        return false;
    }
};

void TestGlobalHotKey::hotKeyReachesPastAnOpenPopupOrDialog_data()
{
    // A popup holds the whole keyboard while it is open; a modal dialog does not.
    QTest::addColumn<QString>("open");
    QTest::newRow("a menu") << "menu";
    QTest::newRow("a combo box's list") << "combo box";
    QTest::newRow("a completer's list") << "completer";
    QTest::newRow("a modal dialog") << "dialog";
}

void TestGlobalHotKey::hotKeyReachesPastAnOpenPopupOrDialog()
{
    QFETCH(QString, open);
    QxtGlobalShortcut shortcut;
    QSignalSpy activated(&shortcut, &QxtGlobalShortcut::activated);
    QVERIFY(shortcut.setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+N"))));
    QWidget window;
    auto* field = new QLineEdit(&window);
    auto* combo = new QComboBox(&window);
    combo->addItems({QStringLiteral("one"), QStringLiteral("two")});
    combo->move(0, 40);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    KeysSeen keys;
    QMenu menu;
    menu.addAction(QStringLiteral("new"));
    QDialog dialog(&window);
    QWidget* shown = nullptr;
    if (open == QLatin1String("menu")) {
        menu.popup(window.mapToGlobal(QPoint(10, 10)));
        shown = &menu;
    } else if (open == QLatin1String("combo box")) {
        combo->showPopup();
        shown = combo->view()->window();
    } else if (open == QLatin1String("completer")) {
        auto* completer = new QCompleter(QStringList{QStringLiteral("na"), QStringLiteral("nb")}, field);
        field->setCompleter(completer);
        completer->complete();
        shown = completer->popup();
    } else {
        dialog.setModal(true);
        dialog.show();
        shown = &dialog;
    }
    QVERIFY(QTest::qWaitForWindowExposed(shown) && keyboardHeld() == (shown != &dialog));

    type(XK_n, {XK_Control_L, XK_Shift_L});
    QVERIFY(activated.wait(10000));
    QCOMPARE(activated.size(), 1);
    // The press is the hot key's alone; the popup never takes it as a key.
    QCOMPARE(keys.presses, 0);
}

QTEST_MAIN(TestGlobalHotKey)
// The shortcut belongs to a singleton and goes when the process's statics
// are destroyed: the exit must stay clean.
void TestGlobalHotKey::programHoldingTheHotKeyExitsCleanly()
{
    QProcess helper;
    helper.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    helper.start(QStringLiteral(SHORTCUT_EXIT_HELPER), QStringList());
    QVERIFY(helper.waitForFinished(60000));
    QCOMPARE(helper.readAllStandardOutput().trimmed(), QByteArray("held"));
    QCOMPARE(helper.exitStatus(), QProcess::NormalExit);
    QCOMPARE(helper.exitCode(), 0);
}

#include "tst_globalhotkey.moc"
