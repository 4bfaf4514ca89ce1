#include "QxtGlobalShortcut.h"
#include "QxtGlobalShortcut_p.h"

#include "platform/GlobalHotKey.h"
#include "platform/PendingInput.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QHash>
#include <QList>
#include <QPair>
#include <QPointer>

namespace {

using NativeCombination = QPair<quint32, quint32>;

// Which shortcut took which combination, process-wide. Never destroyed, for
// the same reason as the living parts below: a shortcut of a singleton made
// before its first shortcut gives its combination back after every
// function-local static made later is gone.
QHash<NativeCombination, QxtGlobalShortcut*>& registry()
{
    static auto* shortcuts = new QHash<NativeCombination, QxtGlobalShortcut*>;
    return *shortcuts;
}

// The living private parts in creation order; the first one is the
// installed filter. When it dies while others live, the next one takes over,
// so the dispatcher never calls a destroyed filter.
QList<QxtGlobalShortcutPrivate*>& livingParts()
{
    // Never destroyed: shortcuts owned by singletons go at exit, after any
    // function-local static would already be gone.
    static auto* parts = new QList<QxtGlobalShortcutPrivate*>;
    return *parts;
}

// Presses of the taken combinations read but not yet reported, oldest first.
QList<QPointer<QxtGlobalShortcut>>& waitingPresses()
{
    static auto* presses = new QList<QPointer<QxtGlobalShortcut>>;
    return *presses;
}

void reportWaitingPresses()
{
    const QList<QPointer<QxtGlobalShortcut>> presses = waitingPresses();
    waitingPresses().clear();
    for (const QPointer<QxtGlobalShortcut>& shortcut : presses) {
        if (shortcut && shortcut->isEnabled())
            emit shortcut->activated(shortcut);
    }
    // Acted on: the keys typed since go where it put them.
    GlobalHotKey::thawKeyboard();
}

void installFilter(QxtGlobalShortcutPrivate* part)
{
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance())
        dispatcher->installNativeEventFilter(part);
}

void removeFilter(QxtGlobalShortcutPrivate* part)
{
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance())
        dispatcher->removeNativeEventFilter(part);
}

}

QxtGlobalShortcutPrivate::QxtGlobalShortcutPrivate(QxtGlobalShortcut* owner_) : owner(owner_)
{
    if (livingParts().isEmpty())
        installFilter(this);
    livingParts().append(this);
}

QxtGlobalShortcutPrivate::~QxtGlobalShortcutPrivate()
{
    const bool installed = !livingParts().isEmpty() && livingParts().first() == this;
    livingParts().removeAll(this);
    if (installed) {
        removeFilter(this);
        if (!livingParts().isEmpty())
            installFilter(livingParts().first());
    }
}

bool QxtGlobalShortcutPrivate::setShortcut(Qt::Key newKey, Qt::KeyboardModifiers newMods)
{
    key = newKey;
    mods = newMods;
    // Letter keys are looked up by their lower-case characters; the key
    // itself is kept as given, so shortcut() returns what was set.
    const int code = int(newKey);
    const Qt::Key lookup = code > 0 && code <= 0xffff ? Qt::Key(QChar(code).toLower().unicode()) : newKey;
    nativeKey = GlobalHotKey::nativeKeycode(lookup);
    nativeMods = GlobalHotKey::nativeModifiers(mods);
    registered = GlobalHotKey::registerShortCut(nativeKey, nativeMods);
    if (registered)
        registry().insert(qMakePair(nativeKey, nativeMods), owner);
    return registered;
}

bool QxtGlobalShortcutPrivate::unsetShortcut()
{
    if (!registered)
        return false;
    const NativeCombination combination(nativeKey, nativeMods);
    if (registry().value(combination) != owner)
        return false;
    if (!GlobalHotKey::unregisterShortCut(nativeKey, nativeMods))
        return false;
    registry().remove(combination);
    registered = false;
    return true;
}

bool QxtGlobalShortcutPrivate::nativeEventFilter(const QByteArray& eventType, void* message, long*)
{
    GlobalHotKey::Press press;
    if (!GlobalHotKey::readKeyPress(eventType, message, press))
        return false;
    QxtGlobalShortcut* shortcut = press.hotKey || press.grabbedHere
        ? registry().value(qMakePair(press.nativeKey, press.nativeMods)) : nullptr;
    if (shortcut) {
        // Keys the author typed into our windows just before were read
        // before this press but are still on their way to those windows: the
        // press is reported after them, so that whatever they open goes with
        // what the press does (the boss key hides a dialog F11 opened).
        waitingPresses().append(shortcut);
        if (waitingPresses().size() == 1)
            PendingInput::afterInput(QCoreApplication::instance(), reportWaitingPresses);
        // The popup that holds the keyboard never sees the press as a key
        // of its own.
        return press.grabbedHere;
    }
    if (press.hotKey) {
        GlobalHotKey::thawKeyboard();
        return false;
    }
    for (QxtGlobalShortcut* shortcut : qAsConst(registry())) {
        if (shortcut->kind() == 0) {
            emit shortcut->sig_globalKeyDown(int(press.nativeKey));
            break;
        }
    }
    return false;
}

QxtGlobalShortcut::QxtGlobalShortcut(QObject* parent)
    : QObject(parent)
    , d(new QxtGlobalShortcutPrivate(this))
{
}

QxtGlobalShortcut::~QxtGlobalShortcut()
{
    d->unsetShortcut();
    delete d;
}

bool QxtGlobalShortcut::setShortcut(const QKeySequence& shortcut, int kind)
{
    m_kind = kind;
    d->unsetShortcut();
    const int combined = shortcut.isEmpty() ? 0 : shortcut[0];
    const Qt::KeyboardModifiers allMods(Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier
                                        | Qt::MetaModifier);
    const Qt::KeyboardModifiers mods = Qt::KeyboardModifiers(combined) & allMods;
    const Qt::Key key = Qt::Key(combined & ~int(allMods));
    if (combined == 0) {
        d->key = Qt::Key(0);
        d->mods = Qt::NoModifier;
        return false;
    }
    return d->setShortcut(key, mods);
}

QKeySequence QxtGlobalShortcut::shortcut() const
{
    return QKeySequence(int(d->key) | int(d->mods));
}

bool QxtGlobalShortcut::isEnabled() const
{
    return d->enabled;
}

bool QxtGlobalShortcut::isValid() const
{
    return d->registered;
}

void QxtGlobalShortcut::setEnabled(bool enabled)
{
    d->enabled = enabled;
}

void QxtGlobalShortcut::setDisabled(bool disabled)
{
    d->enabled = !disabled;
}

bool QxtGlobalShortcut::takes(quint32 nativeKey, quint32 nativeState)
{
    const quint32 modifiers = GlobalHotKey::nativeModifiers(Qt::ShiftModifier | Qt::ControlModifier
                                                            | Qt::AltModifier | Qt::MetaModifier);
    return registry().contains(qMakePair(nativeKey, nativeState & modifiers));
}
