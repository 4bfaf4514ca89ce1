#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>

class QTimer;
class QWidget;
class QWindow;

// The program's windows put out of sight together (the boss key, a close to
// the tray, the idle lock) and brought back together. They are hidden through
// their native windows: hiding a dialog itself would end its exec() as if the
// author had closed it, and shown again it would stay the application's modal
// window after it is closed. A window the program closes, ends or deletes
// while it is out of sight stays away.
class HiddenWindows : public QObject
{
public:
    explicit HiddenWindows(QObject* parent = nullptr);
    ~HiddenWindows() override;

    // A window the author sees as the program's: not the tray icon's (on X11
    // a top-level widget of its own, kept out of the window manager's hands).
    static bool isProgramWindow(const QWidget* window);
    // Hides every shown window of the program but those given, menus and
    // other popups closing; the windows among them join those to bring back.
    void hide(const QList<QWidget*>& except = {});
    // Brings back each window still open, each after the one it belongs to
    // and the modal ones last. Once the window system has them all on screen
    // (or after a bounded wait), those found out of their old stacking are
    // put back in it and the window and widget that had the keys have them
    // again: activated before, a window would lose the keys to whichever of
    // the others the window manager maps last. Where no window of the
    // program had the keys, a modal one gets them, or else keysOtherwise.
    // Only that window may take the keyboard as it maps, and what the
    // author types meanwhile is held for it.
    void show(QWidget* keysOtherwise = nullptr);
    bool contains(const QWidget* window) const;
    void clear();
    // Whether a window is out of sight because the program put it away, or
    // brought back and the keys not yet where they were: its losing the keys
    // is no answer of the author.
    static bool isAway(const QWidget* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void forget(QObject* window);
    void stopWaiting();
    void settle();
    void catchUpActivation(QWidget* keys, int triesLeft);
    void releaseKeyboardWhenFocused(QWidget* keys, int triesLeft);
    void releaseKeyboard();
    QList<QPointer<QWidget>> m_windows;
    QPointer<QWidget> m_keys;
    QPointer<QWidget> m_focus;
    // The windows as the window manager stacked them when hidden, bottom first.
    QList<QPointer<QWidget>> m_stacking;
    // The windows brought back that are not on screen yet.
    QList<QPointer<QWindow>> m_waiting;
    // The windows brought back, until the keys are where they were.
    QList<QPointer<QWidget>> m_returning;
    QTimer* m_settleLimit = nullptr;
    // The keyboard is held for the window with the keys while it comes back.
    bool m_holding = false;
    // The windows whose close is being handed on.
    QSet<QObject*> m_closing;
};
