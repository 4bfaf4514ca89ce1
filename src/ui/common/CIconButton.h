#pragma once

#include <QPushButton>

class QLabel;

// An entry of the bookshelf's left bar: a skinned icon, a count badge and a
// VIP mark over a checkable button.
class CIconButton : public QPushButton
{
    Q_OBJECT
public:
    explicit CIconButton(QWidget* parent = nullptr);

    // The skins pick the icon's picture by this name.
    void setIconObjectName(const QString& name);
    // Shows or hides the badge; the number is kept within 0 to 99.
    void setBadgeNumber(bool show, int number);
    // Left offset of the inner icon in design pixels (default 32).
    void setIconLeftOffset(int x) { m_iconX = x; }

    QPushButton* icon() const { return m_icon; }
    QLabel* badge() const { return m_badge; }
    QLabel* vipMark() const { return m_vip; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QPushButton* m_icon;
    QLabel* m_badge;
    QLabel* m_vip;
    int m_vipX = 128;
    int m_iconX = 32;
    double m_s = 1.0;
};
