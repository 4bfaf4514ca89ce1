#pragma once

#include <QPushButton>

class QLabel;
struct T_Chapter;

// A chapter tab of the writing window: checkable, with a close button shown
// on hover and a thin separator at its right edge.
class CTabButton : public QPushButton
{
    Q_OBJECT
    Q_PROPERTY(bool line READ line WRITE setLine NOTIFY lineChanged)
public:
    explicit CTabButton(QWidget* parent = nullptr);

    bool line() const { return m_line; }
    void setItem(T_Chapter* chapter);
    void setCurrentItem(T_Chapter* chapter);
    T_Chapter* item() const { return m_chapter; }
    QPushButton* closeButton() const { return m_btnClose; }
    QLabel* separator() const { return m_separator; }

    // The chapter name cut to the given width with an ellipsis at the right.
    static QString elidedName(const QString& name, int width);

public slots:
    void setLine(bool line);

signals:
    void sig_close();
    void lineChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QPushButton* m_btnClose;
    QLabel* m_separator;
    bool m_line = true;
    T_Chapter* m_chapter = nullptr;
};
