#pragma once

#include <QDialog>

class CBaseTitleBar;
class QVBoxLayout;
class QWidget;

// The frame every book dialog shares: frameless and translucent, moved (not
// resized) by the frameless helper, the theme's shadow, the background named
// "CommonWidgetBg" and the common title bar.
class BookDialogBase : public QDialog
{
    Q_OBJECT
public:
    BookDialogBase(const QString& bgName, const QSize& designSize, QWidget* parent);

    void setTitle(const QString& title);
    CBaseTitleBar* titleBar() const { return m_title; }

protected:
    int px(double design) const { return static_cast<int>(design * m_s); }
    QVBoxLayout* content() const { return m_content; }

    double m_s;

private:
    CBaseTitleBar* m_title;
    QVBoxLayout* m_content;
};
