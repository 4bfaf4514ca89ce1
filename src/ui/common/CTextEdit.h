#pragma once

#include <QTextEdit>

class QLabel;

// A text edit that keeps at most a given number of characters, cutting what
// was just typed or pasted in front of the cursor, with an optional counter.
class CTextEdit : public QTextEdit
{
    Q_OBJECT
public:
    explicit CTextEdit(QWidget* parent = nullptr);

    void setMaxLength(int length);
    int maxLength() const { return m_maxLength; }
    QLabel* counter() const { return m_counter; }

    // Set by the owner before the widget is shown.
    bool m_counterVisible = false;

public slots:
    void onTextChanged();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void placeCounter();

private:
    int m_maxLength = 500;
    QLabel* m_counter;
};
