#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class QWidget;

// Whose turn it is on the main windows' toasts. An error, hint or notice
// given more than a moment says something the author has to read (words
// kept as a note of their own, a change withdrawn, text put in a file): a
// later toast given no more time, a synchronisation's result say, does not
// cut it short but waits and shows once it has gone. A toast given longer
// takes the place at once; a success, or a toast of a moment, gives way to
// any other, as toasts always did.
class ToastTurns : public QObject
{
    Q_OBJECT
public:
    struct Toast
    {
        QString text;
        int kind = 0;
        int msecs = 0;
    };
    // show puts a waiting toast up when its turn comes; false when there is
    // no window left to show it in, and what still waits is dropped.
    explicit ToastTurns(std::function<bool(const Toast&)> show, QObject* parent = nullptr);

    // Whether toast may show now; if not, it waits its turn (once, however
    // often it is given meanwhile).
    bool mayShow(const Toast& toast);
    // toast is up in these toast widgets, the ones the author can see.
    void shown(const Toast& toast, const QList<QWidget*>& where);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static constexpr int kMomentMsecs = 1000;
    static constexpr int kSuccess = 1;

    static bool holdsItsPlace(const Toast& toast);
    bool isUp() const;
    void nextTurn();

    std::function<bool(const Toast&)> m_show;
    Toast m_current;
    QList<QPointer<QWidget>> m_showing;
    QList<Toast> m_waiting;
    bool m_turnPosted = false;
};
