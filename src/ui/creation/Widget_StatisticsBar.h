#pragma once

#include <QWidget>

class QLabel;

// The writing figures that float at the top right of the editor in full
// screen, where the bottom bar is hidden: clock, speed, words and lock.
class Widget_StatisticsBar : public QWidget
{
    Q_OBJECT
public:
    explicit Widget_StatisticsBar(QWidget* parent = nullptr);

    void setTexts(const QString& time, const QString& speed, const QString& words, const QString& lock);
    void setLockVisible(bool visible);

    // The four lines, top to bottom.
    QLabel* label(int line) const;

private:
    QLabel* m_labels[4] = {};
};
