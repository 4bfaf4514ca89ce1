#pragma once

#include <QWidget>

class QLabel;

// The legend of the time machine's colours, shown while the pointer rests on
// the tips button.
class Widget_CompareHint : public QWidget
{
    Q_OBJECT
public:
    explicit Widget_CompareHint(QWidget* parent = nullptr);
    ~Widget_CompareHint() override;

private:
    QLabel* m_red = nullptr;
    QLabel* m_blue = nullptr;
};
