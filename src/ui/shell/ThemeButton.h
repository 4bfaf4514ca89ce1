#pragma once

#include <QPixmap>
#include <QPushButton>

// A theme tile: the theme's picture, darkened with a check mark when chosen.
class ThemeButton : public QPushButton
{
    Q_OBJECT
public:
    explicit ThemeButton(QWidget* parent = nullptr);
    // The theme's picture, drawn over the whole tile.
    void setPicture(const QString& path);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double m_scale = 1.0;
    QPixmap m_picture;
};
