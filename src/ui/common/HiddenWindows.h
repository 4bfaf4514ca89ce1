#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>

class QWidget;

// The program's windows put out of sight together (the boss key, a close to
// the tray, the idle lock) and brought back together. They are hidden through
// their native windows: hiding a dialog itself would end its exec() as if the
// author had closed it, and shown again it would stay the application's modal
// window after it is closed. A window the program closes, ends or deletes
// while it is out of sight stays away.
class HiddenWindows : public QObject
{
public:
    using QObject::QObject;

    // A window the author sees as the program's: not the tray icon's (on X11
    // a top-level widget of its own, kept out of the window manager's hands).
    static bool isProgramWindow(const QWidget* window);
    // Hides every shown window of the program but those given, menus and
    // other popups closing; the windows among them join those to bring back.
    void hide(const QList<QWidget*>& except = {});
    // Brings back each window still open, each after the one it belongs to
    // and the modal ones last, and gives the keys back to the window that
    // had them.
    void show();
    bool contains(const QWidget* window) const;
    void clear();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void forget(QObject* window);
    QList<QPointer<QWidget>> m_windows;
    QPointer<QWidget> m_keys;
    // The windows whose close is being handed on.
    QSet<QObject*> m_closing;
};
