#pragma once

#include <QColor>
#include <QObject>
#include <QTextEdit>
#include <QVector>

// Background marks over the chapter editor: search matches and found
// sensitive words. They are held as positions and painted as the editor's
// extra selections, only for the part of the text in view and rebuilt when
// the view scrolls, so marking thousands of places in a long chapter costs
// one pass over their positions: no character formats, nothing on the undo
// stack, no cursor moves and no per-mark signals.
class EditorMarks : public QObject
{
    Q_OBJECT
public:
    struct Mark
    {
        int start = 0;
        int end = 0;
        QColor colour;
    };

    explicit EditorMarks(QTextEdit* edit);

    // Replaces the marks; they may overlap and come in any order. Marks of
    // one colour that overlap or touch are painted as one.
    void setMarks(QVector<Mark> marks);
    // One mark painted over the others (the current search match); an empty
    // range removes it.
    void setCurrent(int start, int end, const QColor& colour);
    void clear();
    bool isEmpty() const { return m_marks.isEmpty() && m_current.start >= m_current.end; }
    // Selections that are not marks (the focus line); painted under them.
    // A valid textColour is the ink of marked text (or, where it cannot be
    // read on a mark, a dark or light one): focus mode dims the lines around
    // the caret's, and a mark must stay readable on any line.
    void setBaseSelections(const QList<QTextEdit::ExtraSelection>& selections, const QColor& textColour = QColor());

    // The text colour, or one that can be read on the mark when it cannot.
    static QColor inkOn(const QColor& mark, const QColor& text);

    // The marks as held, ordered by start (test and benchmark hook).
    const QVector<Mark>& marks() const { return m_marks; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void followLayout();
    void refresh();
    void scheduleRefresh();
    void onContentsChange(int from, int removed, int added);
    QTextEdit::ExtraSelection selectionFor(const Mark& mark) const;

    QTextEdit* m_edit = nullptr;
    // Compared by address only: while the editor is being destroyed its
    // viewport still sends events, and the editor can no longer be asked.
    QObject* m_viewport = nullptr;
    QVector<Mark> m_marks;
    Mark m_current;
    int m_longest = 0;
    bool m_refreshPending = false;
    QList<QTextEdit::ExtraSelection> m_base;
    QColor m_textColour;
};
