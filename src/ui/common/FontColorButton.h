#pragma once

#include <QPushButton>

class QLabel;

// The font-colour button of the writing window's tool bar: a thin bar under
// its icon shows the current colour.
class FontColorButton : public QPushButton
{
    Q_OBJECT
public:
    explicit FontColorButton(QWidget* parent = nullptr);

    // Any style-sheet colour value.
    void setColor(const QString& color);
    QLabel* colorBar() const { return m_bar; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    double m_s = 1.0;
    QLabel* m_bar;
};
