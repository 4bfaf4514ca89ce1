#pragma once

#include <QPushButton>

class QTimer;

// The "send code" button: a click starts a 60-second countdown shown in its
// text; it stays checked while it counts.
class CTimerButton : public QPushButton
{
    Q_OBJECT
public:
    explicit CTimerButton(QWidget* parent = nullptr);

    bool isCounting() const;
    int secondsLeft() const { return m_seconds; }
    // Stops the countdown and shows "Send Code" again.
    void reset();

signals:
    void sig_timeout();

private:
    void start();
    void tick();

    QTimer* m_timer = nullptr;
    int m_seconds = 60;
};
