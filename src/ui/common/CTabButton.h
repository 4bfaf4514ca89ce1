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
    // The tab remembers the chapter by id and shows its name; null clears it.
    void setItem(const T_Chapter* chapter);
    void setCurrentItem(const T_Chapter* chapter);
    // The chapter looked up in the model; null once the model lost it.
    T_Chapter* item() const;
    int chapterLocalId() const { return m_localChapterId; }
    int bookLocalId() const { return m_localBookId; }
    void setName(const QString& name);
    QPushButton* closeButton() const { return m_btnClose; }
    QLabel* separator() const { return m_separator; }

    // The chapter name as the tab shows it: cut with an ellipsis at the
    // right where it does not fit the tab.
    QString elidedName(const QString& name) const;

public slots:
    void setLine(bool line);

signals:
    void sig_close();
    void lineChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QPushButton* m_btnClose;
    QLabel* m_separator;
    bool m_line = true;
    QString m_name;
    int m_localChapterId = 0;
    int m_localBookId = 0;
};
