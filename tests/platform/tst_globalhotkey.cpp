// The system-wide hot key on a real X server: keys are typed through the
// server's test extension, as a user's keyboard would.

#include "common/QxtGlobalShortcut.h"

#include <QProcess>
#include <QSignalSpy>
#include <QX11Info>
#include <QtTest>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

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

private:
    // Presses and releases the key with the modifiers held, as a user does.
    void type(KeySym key, const QList<KeySym>& modifiers);
    // True when another client could take the combination for itself.
    bool otherClientCanTake(KeySym key, unsigned int modifiers);

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
