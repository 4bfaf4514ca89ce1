#pragma once

#include <QPushButton>

// A theme tile: the theme's picture, darkened with a check mark when chosen.
class ThemeButton : public QPushButton
{
    Q_OBJECT
public:
    explicit ThemeButton(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double m_scale = 1.0;
};
