#pragma once

#include <QLabel>

class QTimer;

// The bookshelf's toast: a rounded label shown over the window for a while.
// Kinds: 0 error, 1 success, 2 and 3 information.
class BookshelfTips : public QLabel
{
    Q_OBJECT
public:
    explicit BookshelfTips(QWidget* parent);
    void showTips(const QString& text, int kind, int msecs);
    int kind() const { return m_kind; }

private:
    QTimer* m_timer;
    int m_kind = -1;
};
