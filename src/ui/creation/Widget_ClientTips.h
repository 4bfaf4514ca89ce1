#pragma once

#include <QWidget>

class QGraphicsOpacityEffect;
class QLabel;
class QPropertyAnimation;
class QPushButton;
class QTimer;

// The toast of a main window: an icon and one line of text over the window's
// content that fades out by itself. Kinds: 0 error, 1 success, 2 and 3 hints,
// 4 and 5 notices.
class Widget_ClientTips : public QWidget
{
    Q_OBJECT
public:
    explicit Widget_ClientTips(QWidget* parent = nullptr);

    void showTips(const QString& text, int kind, int msecs);
    // Shows a toast inside host, a dialog that blocks the main window, where
    // it covers none of the dialog's texts, fields and buttons when it can;
    // the toast stays host's child.
    static Widget_ClientTips* showOver(QWidget* host, const QString& text, int kind, int msecs);
    // Whether showOver found such a place.
    bool coversNothing() const { return m_coversNothing; }

    QLabel* label() const { return m_label; }
    QWidget* background() const { return m_bg; }
    QGraphicsOpacityEffect* opacityEffect() const { return m_effect; }

private:
    static QPoint freeSpot(const QWidget* host, const QWidget* tips, bool* found);

    QPropertyAnimation* m_animation = nullptr;
    QGraphicsOpacityEffect* m_effect = nullptr;
    QTimer* m_timer = nullptr;
    int m_fadeMsecs = 0;
    double m_scale = 1.0;
    bool m_coversNothing = false;
    QWidget* m_bg = nullptr;
    QPushButton* m_btnInfo = nullptr;
    QPushButton* m_btnInfo2 = nullptr;
    QPushButton* m_btnTips = nullptr;
    QLabel* m_label = nullptr;
};

// A tiny frameless pop-up with one centred line, placed and hidden by its caller.
class Float_Tips : public QWidget
{
    Q_OBJECT
public:
    explicit Float_Tips(QWidget* parent = nullptr);
    void setText(const QString& text);
    QString text() const;

private:
    QLabel* m_label = nullptr;
};
