#include "EditorMarks.h"

#include <algorithm>
#include <cmath>

#include <QAbstractTextDocumentLayout>
#include <QEvent>
#include <QFontMetrics>
#include <QScrollBar>
#include <QTextDocument>
#include <QTimer>

#include <algorithm>

namespace {
// Marks this far outside the view are painted too, so that a small scroll
// does not show unmarked text before the refresh runs.
const int kViewMargin = 2000;
}

EditorMarks::EditorMarks(QTextEdit* edit) : QObject(edit), m_edit(edit)
{
    connect(edit->verticalScrollBar(), &QScrollBar::valueChanged, this, [this]() {
        if (!isEmpty())
            scheduleRefresh();
    });
    connect(edit->document(), &QTextDocument::contentsChange, this, &EditorMarks::onContentsChange);
    // Positions in view settle as a long text is laid out step by step, also
    // by a layout that replaced the first one.
    followLayout();
    connect(edit->document(), &QTextDocument::documentLayoutChanged, this, &EditorMarks::followLayout);
    m_viewport = edit->viewport();
    m_viewport->installEventFilter(this);
}

void EditorMarks::followLayout()
{
    connect(m_edit->document()->documentLayout(), &QAbstractTextDocumentLayout::documentSizeChanged, this,
            [this]() {
                if (!isEmpty())
                    scheduleRefresh();
            });
}

bool EditorMarks::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_viewport && event->type() == QEvent::Resize && !isEmpty())
        scheduleRefresh();
    return QObject::eventFilter(watched, event);
}

void EditorMarks::setMarks(QVector<Mark> marks)
{
    std::sort(marks.begin(), marks.end(), [](const Mark& a, const Mark& b) {
        return a.start < b.start || (a.start == b.start && a.end < b.end);
    });
    m_marks.clear();
    m_marks.reserve(marks.size());
    m_longest = 0;
    for (const Mark& mark : qAsConst(marks)) {
        if (mark.end <= mark.start)
            continue;
        // Overlapping marks of one colour would darken where they overlap;
        // one mark over their union looks like a format applied to each.
        if (!m_marks.isEmpty() && m_marks.last().colour == mark.colour && mark.start <= m_marks.last().end) {
            m_marks.last().end = qMax(m_marks.last().end, mark.end);
        } else {
            if (!m_marks.isEmpty())
                m_longest = qMax(m_longest, m_marks.last().end - m_marks.last().start);
            m_marks.append(mark);
        }
    }
    if (!m_marks.isEmpty())
        m_longest = qMax(m_longest, m_marks.last().end - m_marks.last().start);
    refresh();
}

void EditorMarks::setCurrent(int start, int end, const QColor& colour)
{
    m_current = Mark{start, end, colour};
    refresh();
}

void EditorMarks::clear()
{
    if (isEmpty())
        return;
    m_marks.clear();
    m_current = Mark();
    m_longest = 0;
    refresh();
}

void EditorMarks::setBaseSelections(const QList<QTextEdit::ExtraSelection>& selections, const QColor& textColour)
{
    m_base = selections;
    m_textColour = textColour;
    refresh();
}

void EditorMarks::scheduleRefresh()
{
    // Scrolling sends a burst of value changes; one refresh after it will do.
    if (m_refreshPending)
        return;
    m_refreshPending = true;
    QTimer::singleShot(0, this, [this]() {
        m_refreshPending = false;
        refresh();
    });
}

QColor EditorMarks::inkOn(const QColor& mark, const QColor& text)
{
    // Relative luminance and contrast ratio as the accessibility guidelines
    // define them; 3:1 is the least that reads at a glance.
    auto luminance = [](const QColor& c) {
        auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
    };
    const double a = luminance(mark), b = luminance(text);
    const double ratio = (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
    if (ratio >= 3.0)
        return text;
    return a > 0.18 ? QColor(0x1a, 0x1a, 0x1a) : QColor(0xf5, 0xf5, 0xf5);
}

QTextEdit::ExtraSelection EditorMarks::selectionFor(const Mark& mark) const
{
    QTextEdit::ExtraSelection selection;
    selection.format.setBackground(mark.colour);
    if (m_textColour.isValid())
        selection.format.setForeground(inkOn(mark.colour, m_textColour));
    selection.cursor = QTextCursor(m_edit->document());
    selection.cursor.setPosition(mark.start);
    selection.cursor.setPosition(mark.end, QTextCursor::KeepAnchor);
    return selection;
}

void EditorMarks::refresh()
{
    QList<QTextEdit::ExtraSelection> selections = m_base;
    if (!isEmpty()) {
        const int length = m_edit->document()->characterCount() - 1;
        const QRect view = m_edit->viewport()->rect();
        // While a long text is still being laid out the bottom corner can
        // map before the top one; a view never holds more characters than
        // fit in it at the font's narrowest, so that bounds the span.
        const int top = m_edit->cursorForPosition(view.topLeft()).position();
        const int bottom = m_edit->cursorForPosition(view.bottomRight()).position();
        const QFontMetrics metrics(m_edit->font());
        const int fit = (view.width() / qMax(1, metrics.averageCharWidth()) + 1)
                        * (view.height() / qMax(1, metrics.lineSpacing()) + 1);
        const int first = qMax(0, qMin(top, bottom) - kViewMargin);
        const int last = qMin(length, qMax(bottom, top + fit) + kViewMargin);
        // Marks are ordered by start and none is longer than m_longest: the
        // ones reaching into [first, last] start at or after first - m_longest.
        auto it = std::lower_bound(m_marks.constBegin(), m_marks.constEnd(), first - m_longest,
                                   [](const Mark& mark, int position) { return mark.start < position; });
        for (; it != m_marks.constEnd() && it->start <= last; ++it) {
            if (it->end > first && it->end <= length)
                selections.append(selectionFor(*it));
        }
        if (m_current.start < m_current.end && m_current.end <= length)
            selections.append(selectionFor(m_current));
    }
    m_edit->setExtraSelections(selections);
}

void EditorMarks::onContentsChange(int from, int removed, int added)
{
    if (isEmpty() || (removed == 0 && added == 0))
        return;
    // A format applied to the whole text (bold, size, style) leaves the
    // characters where they were.
    if (removed == added && from == 0 && added >= m_edit->document()->characterCount() - 1)
        return;
    const int changedEnd = from + removed;
    const int shift = added - removed;
    QVector<Mark> kept;
    kept.reserve(m_marks.size());
    for (Mark mark : qAsConst(m_marks)) {
        if (mark.end <= from) {
            kept.append(mark);
        } else if (mark.start >= changedEnd) {
            mark.start += shift;
            mark.end += shift;
            kept.append(mark);
        }
    }
    m_marks = kept;
    if (m_current.end <= from) {
    } else if (m_current.start >= changedEnd) {
        m_current.start += shift;
        m_current.end += shift;
    } else {
        m_current = Mark();
    }
    scheduleRefresh();
}
