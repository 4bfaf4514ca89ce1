#pragma once

#include <QScrollBar>

class CQssManager;
class CUiManager;
class QGraphicsOpacityEffect;
class QPropertyAnimation;

// The editor's vertical scroll bar: out of sight while the author types,
// shown by the wheel or the mouse over it, hidden again by the writing tick
// two seconds after the last such activity. It can also scroll smoothly,
// which keeps the caret line centred in focus mode.
class Createtion_TextEdit_VScroll : public QScrollBar
{
    Q_OBJECT
public:
    explicit Createtion_TextEdit_VScroll(QWidget* parent = nullptr);

    void showBar();
    void scrollTo(int value);
    void stopScroll();
    // Where a smooth scroll under way ends; -1 when none runs.
    int scrollTarget() const;
    // The text under a smooth scroll moved by delta (paragraphs above it got
    // their real heights): the scroll ends on the same text.
    void shiftScroll(int delta);

    bool isShown() const { return m_shown; }
    double opacity() const;
    // The handle colour of a style type.
    static QString handleColor(int styleType);

public slots:
    void clean();
    void onTimer();

protected:
    void wheelEvent(QWheelEvent* event) override;
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    CQssManager* m_qss;
    CUiManager* m_uiManager;
    int m_hovered = 0;
    qint64 m_lastActivity = 0;
    bool m_shown = false;
    QPropertyAnimation* m_fade = nullptr;
    QPropertyAnimation* m_scroll = nullptr;
    QGraphicsOpacityEffect* m_effect = nullptr;
};
