#pragma once

#include <QWidget>

class QHBoxLayout;
class QLabel;
class QPushButton;
class QVBoxLayout;

// The title bar every frameless dialog carries: a centred title and a close
// button at the right. Three small window buttons on the left exist for the
// skins that show them; they start hidden.
class CBaseTitleBar : public QWidget
{
    Q_OBJECT
public:
    explicit CBaseTitleBar(QWidget* parent = nullptr);

    void setTitle(const QString& title);
    QString title() const;

    QLabel* titleLabel() const { return m_labelTitle; }
    QPushButton* closeButton() const { return m_btnClose; }

signals:
    void sig_close();

private:
    void toggleMaximized();

    QVBoxLayout* m_verticalLayout = nullptr;
    QWidget* m_background = nullptr;
    QHBoxLayout* m_layoutMain = nullptr;
    QHBoxLayout* m_macButtons = nullptr;
    QPushButton* m_btnCloseMac = nullptr;
    QPushButton* m_btnMinMac = nullptr;
    QPushButton* m_btnMaxMac = nullptr;
    QLabel* m_labelTitle = nullptr;
    QPushButton* m_btnClose = nullptr;
};
