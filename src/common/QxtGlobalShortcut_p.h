#pragma once

#include <QAbstractNativeEventFilter>
#include <Qt>

class QxtGlobalShortcut;

// The per-shortcut state and the native event filter that every shortcut
// shares: one living private part at a time is installed as the filter.
class QxtGlobalShortcutPrivate : public QAbstractNativeEventFilter
{
public:
    explicit QxtGlobalShortcutPrivate(QxtGlobalShortcut* owner);
    ~QxtGlobalShortcutPrivate() override;

    bool setShortcut(Qt::Key newKey, Qt::KeyboardModifiers newMods);
    bool unsetShortcut();

    bool nativeEventFilter(const QByteArray& eventType, void* message, long* result) override;

    bool enabled = true;
    Qt::Key key = Qt::Key(0);
    Qt::KeyboardModifiers mods = Qt::NoModifier;
    quint32 nativeKey = 0;
    quint32 nativeMods = 0;
    bool registered = false;
    QxtGlobalShortcut* owner;
};
