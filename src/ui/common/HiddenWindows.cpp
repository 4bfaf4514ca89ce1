#include "ui/common/HiddenWindows.h"

#include "common/QxtGlobalShortcut.h"
#include "platform/KeyboardHold.h"
#include "platform/WindowManagerState.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QVariant>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace {

// Long enough for a window manager to map a dozen windows on a loaded
// machine; past it the keys go back to what is there.
constexpr int SettleLimitMs = 2000;
// How long, in steps, Qt's idea of the active window may lag behind the
// window manager's once the windows are back.
constexpr int CatchUpMs = 50;
constexpr int CatchUpTries = 20;
// Set on a native window while it is shown: the window manager is told not
// to give it the keyboard as it maps it (a user time of 0).
const char* const kShowQuietly = "_q_showWithoutActivating";

QList<HiddenWindows*>& everyInstance()
{
    static QList<HiddenWindows*> instances;
    return instances;
}

QList<QWidget*> present(const QList<QPointer<QWidget>>& windows)
{
    QList<QWidget*> list;
    for (const QPointer<QWidget>& window : windows) {
        if (window)
            list << window.data();
    }
    return list;
}

} // namespace

HiddenWindows::HiddenWindows(QObject* parent)
    : QObject(parent),
      m_settleLimit(new QTimer(this))
{
    m_settleLimit->setSingleShot(true);
    m_settleLimit->setInterval(SettleLimitMs);
    connect(m_settleLimit, &QTimer::timeout, this, &HiddenWindows::settle);
    everyInstance().append(this);
}

HiddenWindows::~HiddenWindows()
{
    releaseKeyboard();
    everyInstance().removeAll(this);
}

bool HiddenWindows::isProgramWindow(const QWidget* window)
{
    return window->isWindow() && window->windowType() != Qt::Desktop
        && !window->windowFlags().testFlag(Qt::BypassWindowManagerHint) && !window->inherits("QSystemTrayIconSys");
}

bool HiddenWindows::isAway(const QWidget* window)
{
    return std::any_of(everyInstance().cbegin(), everyInstance().cend(), [window](const HiddenWindows* hidden) {
        return hidden->contains(window)
            || std::any_of(hidden->m_returning.cbegin(), hidden->m_returning.cend(),
                           [window](const QPointer<QWidget>& w) { return w.data() == window; });
    });
}

void HiddenWindows::hide(const QList<QWidget*>& except)
{
    QList<QWidget*> hiding;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->isVisible() && !except.contains(top) && isProgramWindow(top))
            hiding << top;
    }
    // Keys typed on the way back have gone to the window that had them;
    // from here on the keys are no window's of the program.
    for (HiddenWindows* hidden : everyInstance())
        hidden->releaseKeyboard();
    if (!m_waiting.isEmpty()) {
        // Hidden again before the last show settled: what had the keys and
        // the old stacking are still those recorded then.
        stopWaiting();
    } else {
        if (QWidget* active = QApplication::activeWindow()) {
            if (isProgramWindow(active)) {
                m_keys = active;
                m_focus = active->focusWidget();
            }
        }
        const QList<QWidget*> stacked = WindowManagerState::stacking(hiding);
        if (!stacked.isEmpty()) {
            m_stacking.clear();
            for (QWidget* window : stacked)
                m_stacking << window;
        }
    }
    for (QWidget* top : qAsConst(hiding)) {
        const Qt::WindowType kind = top->windowType();
        const bool comesBack = kind == Qt::Window || kind == Qt::Dialog || kind == Qt::Tool;
        // Known as put away before it goes: the keys leave it as it does.
        if (comesBack && !contains(top)) {
            m_windows.append(top);
            top->installEventFilter(this);
        }
        if (QWindow* window = top->windowHandle())
            window->hide();
        else
            top->hide();
        // From here on only the program's own hide, end or close marks it
        // as closed.
        if (comesBack)
            top->setAttribute(Qt::WA_WState_ExplicitShowHide, false);
    }
}

void HiddenWindows::show(QWidget* keysOtherwise)
{
    QList<QWidget*> windows;
    for (const QPointer<QWidget>& window : qAsConst(m_windows)) {
        if (!window)
            continue;
        window->removeEventFilter(this);
        if (!window->isVisible() && !window->testAttribute(Qt::WA_WState_ExplicitShowHide))
            windows.append(window);
    }
    m_windows.clear();
    // In their old stacking, bottom first, so that the window manager stacks
    // them so again as they come.
    const QList<QWidget*> stacking = present(m_stacking);
    std::stable_sort(windows.begin(), windows.end(), [&stacking](const QWidget* a, const QWidget* b) {
        return stacking.indexOf(const_cast<QWidget*>(a)) < stacking.indexOf(const_cast<QWidget*>(b));
    });
    const auto rank = [](const QWidget* window) {
        int rank = window->isModal() ? 1000 : 0;
        for (const QWidget* owner = window->parentWidget(); owner != nullptr; owner = owner->parentWidget())
            ++rank;
        return rank;
    };
    std::stable_sort(windows.begin(), windows.end(),
                     [&rank](const QWidget* a, const QWidget* b) { return rank(a) < rank(b); });
    stopWaiting();
    // Until the keys are back, a window on screen already still loses them
    // to those mapped after it: its losing them is no answer of the author.
    for (QWidget* window : qAsConst(windows))
        m_returning << window;
    if (!m_keys) {
        // A modal window comes last and is the one the keys can go to.
        if (!windows.isEmpty() && windows.last()->isModal())
            m_keys = windows.last();
        else
            m_keys = keysOtherwise;
    }
    // What the author types from now on goes to the window that had the
    // keys, whenever the window manager maps it and hands it the keyboard.
    QWindow* keysHandle = m_keys ? m_keys->windowHandle() : nullptr;
    const bool keysComing = !windows.isEmpty() || (keysHandle != nullptr && !keysHandle->isExposed());
    if (keysHandle != nullptr && keysComing && !KeyboardHold::isHolding())
        m_holding = KeyboardHold::start(keysHandle, &QxtGlobalShortcut::takes);
    for (QWidget* window : qAsConst(windows)) {
        // A window manager gives the keyboard to each window it maps: only
        // the one that had the keys may take it.
        QWindow* handle = window->windowHandle();
        const bool quiet = handle != nullptr && window != m_keys && !window->isModal();
        const QVariant before = quiet ? handle->property(kShowQuietly) : QVariant();
        if (quiet)
            handle->setProperty(kShowQuietly, true);
        window->show();
        if (quiet)
            handle->setProperty(kShowQuietly, before);
    }
    if (!m_keys)
        m_keys = QApplication::activeModalWidget();
    if (m_keys)
        m_returning << m_keys;
    // Each window shown here is waited for until it hears it is on screen:
    // what it said before its hide may not have reached it yet.
    for (QWidget* window : qAsConst(windows)) {
        if (QWindow* handle = window->windowHandle(); handle != nullptr && window->isVisible())
            m_waiting << handle;
    }
    // The window with the keys may have been shown by the caller.
    if (m_keys && !windows.contains(m_keys) && m_keys->isVisible() && m_keys->windowHandle() != nullptr
        && !m_keys->windowHandle()->isExposed())
        m_waiting << m_keys->windowHandle();
    for (const QPointer<QWindow>& window : qAsConst(m_waiting))
        window->installEventFilter(this);
    if (m_waiting.isEmpty())
        settle();
    else
        m_settleLimit->start();
}

void HiddenWindows::stopWaiting()
{
    m_settleLimit->stop();
    for (const QPointer<QWindow>& window : qAsConst(m_waiting)) {
        if (window)
            window->removeEventFilter(this);
    }
    m_waiting.clear();
    m_returning.clear();
}

void HiddenWindows::settle()
{
    stopWaiting();
    QList<QWidget*> stacking;
    for (QWidget* window : present(m_stacking)) {
        if (window->isVisible())
            stacking << window;
    }
    WindowManagerState::restoreOrder(stacking);
    QWidget* keys = m_keys.data();
    QWidget* focus = m_focus.data();
    m_keys.clear();
    m_focus.clear();
    m_stacking.clear();
    if (keys == nullptr || !keys->isVisible()) {
        releaseKeyboard();
        return;
    }
    // A window shown again may have put the keys in a widget of its own
    // choosing (a memo its text): the author's is the one they were in.
    if (focus != nullptr && focus->window() == keys && focus->isVisible() && focus->isEnabled())
        focus->setFocus(Qt::ActiveWindowFocusReason);
    // Without the window manager's stacking, the window with the keys is
    // at least not hidden under the others.
    if (stacking.isEmpty())
        keys->raise();
    keys->activateWindow();
    catchUpActivation(keys, CatchUpTries);
    releaseKeyboardWhenFocused(keys, CatchUpTries);
}

void HiddenWindows::releaseKeyboardWhenFocused(QWidget* keys, int triesLeft)
{
    // Once the X server sends the keys to the window itself, holding them
    // for it changes nothing; until then a key would go where the focus is.
    QTimer::singleShot(CatchUpMs, this, [this, window = QPointer<QWidget>(keys), triesLeft]() {
        if (!m_holding || !m_waiting.isEmpty())
            return;
        if (window && window->isVisible() && !WindowManagerState::hasKeyboard(window) && triesLeft > 1)
            releaseKeyboardWhenFocused(window, triesLeft - 1);
        else
            releaseKeyboard();
    });
}

void HiddenWindows::releaseKeyboard()
{
    if (!m_holding)
        return;
    m_holding = false;
    KeyboardHold::stop();
}

void HiddenWindows::catchUpActivation(QWidget* keys, int triesLeft)
{
    // The window manager may hand the keys to a window that had them last
    // without a focus event Qt takes in (the window had the focus when it
    // went): Qt then calls no window active and drops what is typed.
    QTimer::singleShot(CatchUpMs, this, [this, window = QPointer<QWidget>(keys), triesLeft]() {
        if (!window || !window->isVisible() || QApplication::activeWindow() != nullptr || !m_waiting.isEmpty())
            return;
        if (WindowManagerState::hasKeyboard(window))
            QApplication::setActiveWindow(window);
        else if (triesLeft > 1)
            catchUpActivation(window, triesLeft - 1);
    });
}

bool HiddenWindows::contains(const QWidget* window) const
{
    return std::any_of(m_windows.cbegin(), m_windows.cend(),
                       [window](const QPointer<QWidget>& hidden) { return hidden.data() == window; });
}

void HiddenWindows::clear()
{
    for (const QPointer<QWidget>& window : qAsConst(m_windows)) {
        if (window)
            window->removeEventFilter(this);
    }
    m_windows.clear();
    // Windows on their way back still get the keys they had.
    if (m_waiting.isEmpty()) {
        releaseKeyboard();
        m_keys.clear();
        m_focus.clear();
        m_stacking.clear();
    }
}

bool HiddenWindows::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Expose && watched->isWindowType()) {
        // Checked once the window had the event: it is exposed by then.
        const QPointer<QWindow> window = static_cast<QWindow*>(watched);
        QTimer::singleShot(0, this, [this, window]() {
            if (window && window->isExposed() && m_waiting.removeAll(window) > 0) {
                window->removeEventFilter(this);
                m_waiting.removeAll(nullptr);
                const bool allShown = std::all_of(m_waiting.cbegin(), m_waiting.cend(),
                                                  [](const QPointer<QWindow>& w) { return !w->isVisible(); });
                if (allShown)
                    settle();
            }
        });
        return false;
    }
    if (event->type() != QEvent::Close || m_closing.contains(watched))
        return false;
    // Whether the close was taken is known only once the window had its say
    // (a memo whose text no row takes stays open): it is handed on first.
    const QPointer<QObject> window = watched;
    m_closing.insert(watched);
    QCoreApplication::sendEvent(watched, event);
    m_closing.remove(watched);
    if (!window)
        forget(nullptr);
    else if (event->isAccepted())
        forget(watched);
    return true;
}

void HiddenWindows::forget(QObject* window)
{
    if (window != nullptr)
        window->removeEventFilter(this);
    m_windows.erase(std::remove_if(m_windows.begin(), m_windows.end(),
                                   [window](const QPointer<QWidget>& hidden) { return hidden.data() == window; }),
                    m_windows.end());
}
