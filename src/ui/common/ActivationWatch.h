#pragma once

#include <QObject>
#include <QPointer>

class QTimer;
class QWidget;

// A window shown again at once after it was hidden (a book closed and
// opened again) may be given the keys by the window manager before Qt sees
// it mapped: the X server then sends them to it while Qt takes no window for
// active, so the caret stays still and the window's shortcuts do nothing.
// For a moment after a window shows, this tells Qt which window the keys
// really go to, only ever one the X server already gives them to.
class ActivationWatch : public QObject
{
    Q_OBJECT
public:
    explicit ActivationWatch(QObject* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void check();

    QTimer* m_timer = nullptr;
    QPointer<QWidget> m_shown;
    int m_checksLeft = 0;
};
