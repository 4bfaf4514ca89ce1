#pragma once

#include <QKeySequence>
#include <QObject>

class QxtGlobalShortcutPrivate;

// One system-wide hot key: reports its presses whichever program has the
// focus. The object whose kind is 0 also reports every key press that
// reaches the program's own windows. GUI thread only.
class QxtGlobalShortcut : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool enabled READ isEnabled WRITE setEnabled)
    Q_PROPERTY(bool valid READ isValid)
    Q_PROPERTY(QKeySequence shortcut READ shortcut WRITE setShortcut)

public:
    explicit QxtGlobalShortcut(QObject* parent = nullptr);
    ~QxtGlobalShortcut() override;

    // Releases the current hot key and takes the new one; true when it is
    // taken. An empty sequence takes nothing.
    bool setShortcut(const QKeySequence& shortcut, int kind = 0);
    QKeySequence shortcut() const;
    int kind() const { return m_kind; }

    bool isEnabled() const;
    bool isValid() const;

    // Whether a shortcut of the program took this key with these modifier
    // bits (lock keys aside), as the window system reports a key press.
    static bool takes(quint32 nativeKey, quint32 nativeState);

public slots:
    void setEnabled(bool enabled = true);
    void setDisabled(bool disabled = true);

signals:
    void activated(QxtGlobalShortcut* self);
    // A key pressed in one of the program's windows, with its key code.
    void sig_globalKeyDown(int keyCode);

private:
    friend class QxtGlobalShortcutPrivate;

    int m_kind = -1;
    QxtGlobalShortcutPrivate* d;
};
