#include "ChapterLayout.h"

#include <QElapsedTimer>
#include <QFontMetricsF>
#include <QPainter>
#include <QPaintDevice>
#include <QStyle>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <QTimerEvent>

#include <algorithm>
#include <climits>
#include <cmath>

namespace {
// A change of at most this many characters is laid out at once; a larger one
// (a chapter opening, a new page width over a long chapter) is laid out where
// it is looked at, and the rest in slices.
const int kAtOnceChars = 100000;
// Paragraphs above one that is scrolled to, laid out with it: more than any
// screen is tall, so that the view that scrolls there shows final places.
const qreal kScreenAbove = 3000;
// Lines without wrapping (a page without width) are this wide at most.
const qreal kNoWrapWidth = 1e7;
const qreal kDefaultDpi = 96;

qreal dpiScale(const QPaintDevice* device)
{
    return device != nullptr && device->logicalDpiY() != kDefaultDpi ? device->logicalDpiY() / kDefaultDpi : 1.0;
}
}

ChapterLayout::ChapterLayout(QTextDocument* document) : QAbstractTextDocumentLayout(document) {}

ChapterLayout::Page ChapterLayout::readPage() const
{
    Page page;
    const QSizeF size = document()->pageSize();
    page.sized = !size.isNull();
    const QTextFrameFormat format = document()->rootFrame()->frameFormat();
    const qreal frame = format.border() + format.padding();
    page.width = size.width() > 0 ? size.width() : 0;
    page.left = format.leftMargin() + frame;
    page.right = (size.width() > 0 ? size.width() : kNoWrapWidth) - format.rightMargin() - frame;
    page.top = format.topMargin() + frame;
    page.bottom = format.bottomMargin() + frame;
    return page;
}

qreal ChapterLayout::gapAbove(const QTextBlock& block) const
{
    const QTextBlock previous = block.previous();
    if (!previous.isValid())
        return 0;
    const qreal margin = qMax(block.blockFormat().topMargin(), previous.blockFormat().bottomMargin());
    return margin > 0 ? margin * dpiScale(paintDevice()) : 0;
}

qreal ChapterLayout::estimate(const QTextBlock& block) const
{
    if (!block.isVisible())
        return 0;
    qreal charsPerLine = m_sampleLines > 0 ? m_sampleChars / m_sampleLines : 0;
    qreal lineHeight = m_sampleLines > 0 ? m_sampleHeight / m_sampleLines : 0;
    if (charsPerLine <= 0 || lineHeight <= 0) {
        const QFontMetricsF metrics(block.charFormat().font());
        lineHeight = metrics.height();
        charsPerLine = qMax<qreal>(1, (m_page.right - m_page.left) / qMax<qreal>(1, metrics.averageCharWidth()));
    }
    const qreal lines = qMax<qreal>(1, std::ceil(qMax(0, block.length() - 1) / charsPerLine));
    return lines * lineHeight;
}

void ChapterLayout::layOut(int index, const QTextBlock& block)
{
    Entry& entry = m_entries[size_t(index)];
    if (!entry.exact) {
        --m_estimated;
        entry.exact = true;
    }
    m_topsFrom = qMin(m_topsFrom, index + 1);
    QTextLayout* layout = block.layout();
    if (!block.isVisible() || !m_page.sized) {
        layout->clearLayout();
        entry.body = 0;
        return;
    }
    const QTextBlockFormat format = block.blockFormat();
    const Qt::LayoutDirection direction = block.textDirection();
    QTextOption option = document()->defaultTextOption();
    option.setTextDirection(direction);
    option.setTabs(format.tabPositions());
    const Qt::Alignment align = format.hasProperty(QTextFormat::BlockAlignment) ? format.alignment() : option.alignment();
    option.setAlignment(QStyle::visualAlignment(direction, align));
    if (format.nonBreakableLines() || m_page.width <= 0)
        option.setWrapMode(QTextOption::ManualWrap);
    layout->setTextOption(option);

    const qreal scale = dpiScale(paintDevice());
    const qreal indent = format.indent() * document()->indentWidth() * scale;
    const qreal left = format.leftMargin() + (direction == Qt::RightToLeft ? 0 : indent);
    const qreal width = m_page.right - m_page.left - format.leftMargin() - format.rightMargin() - indent;
    layout->setPosition(QPointF(m_page.left, 0));
    layout->beginLayout();
    qreal y = 0;
    qreal bottom = 0;
    bool firstLine = true;
    int lines = 0;
    for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
        line.setLeadingIncluded(true);
        qreal x = left;
        qreal lineWidth = width;
        if (firstLine) {
            lineWidth -= format.textIndent();
            if (direction != Qt::RightToLeft)
                x += format.textIndent();
            firstLine = false;
        }
        line.setLineWidth(lineWidth);
        // Line spacing as Qt's own layout gives it, so that a chapter looks
        // the same as in any other editor of the program.
        const qreal advance = format.lineHeight(std::ceil(line.ascent() + line.descent() + line.leading()), scale);
        const qreal lineBottom = format.lineHeight(line.height(), scale);
        qreal adjustment = 0;
        if (format.lineHeightType() == QTextBlockFormat::FixedHeight)
            adjustment = line.ascent() + qMax<qreal>(line.leading(), 0) - advance * 4 / 5;
        else if (format.lineHeightType() == QTextBlockFormat::MinimumHeight)
            adjustment = line.height() - advance;
        line.setPosition(QPointF(x, y - adjustment));
        bottom = y + lineBottom;
        y += advance;
        ++lines;
    }
    layout->endLayout();
    entry.body = qMax(y, bottom);
    m_widest = qMax(m_widest, layout->maximumWidth() + format.leftMargin() + format.rightMargin() + indent);
    // Only whole lines teach the estimate: the last line of a paragraph is
    // as long as it happens to be.
    if (lines > 1) {
        m_sampleChars += layout->lineAt(lines - 2).textStart() + layout->lineAt(lines - 2).textLength();
        m_sampleLines += lines - 1;
        m_sampleHeight += entry.body * (lines - 1) / lines;
    }
}

void ChapterLayout::layOutInPlace(int index, const QTextBlock& block)
{
    settleTops();
    const qreal before = m_entries[size_t(index)].body;
    const qreal bottom = m_page.top + m_tops[size_t(index) + 1];
    layOut(index, block);
    moveBelow(bottom, m_entries[size_t(index)].body - before);
}

void ChapterLayout::moveBelow(qreal y, qreal delta)
{
    if (delta == 0)
        return;
    // A view below follows within the scroll range it has: before a range
    // that shrinks, after one that grew, never clamped on the way.
    if (delta < 0)
        emit movedBelow(y, delta);
    reportSize();
    if (delta > 0)
        emit movedBelow(y, delta);
}

void ChapterLayout::layOutAround(int index, const QTextBlock& block)
{
    layOutInPlace(index, block);
    qreal above = 0;
    QTextBlock previous = block.previous();
    for (int i = index - 1; i >= 0 && above < kScreenAbove && previous.isValid(); --i, previous = previous.previous()) {
        if (!m_entries[size_t(i)].exact)
            layOutInPlace(i, previous);
        above += m_entries[size_t(i)].gap + m_entries[size_t(i)].body;
    }
}

qreal ChapterLayout::layOutDownTo(int index, qreal y, qreal* end)
{
    settleTops();
    QTextBlock block = document()->findBlockByNumber(index);
    qreal top = m_page.top + m_tops[size_t(index)];
    qreal delta = 0;
    for (int i = index; block.isValid() && i < int(m_entries.size()) && top <= y; ++i, block = block.next()) {
        const qreal before = m_entries[size_t(i)].body;
        if (!m_entries[size_t(i)].exact)
            layOut(i, block);
        delta += m_entries[size_t(i)].body - before;
        top += m_entries[size_t(i)].gap + m_entries[size_t(i)].body;
        *end = top - delta;
    }
    settleTops();
    return delta;
}

void ChapterLayout::markEstimated(int index, const QTextBlock& block, bool keepHeight)
{
    Entry& entry = m_entries[size_t(index)];
    entry.gap = gapAbove(block);
    if (entry.exact) {
        entry.exact = false;
        ++m_estimated;
    }
    // A paragraph's layout left from before would be taken as current by the
    // caret's moves up and down, which lay out only what has no lines.
    block.layout()->clearLayout();
    if (!keepHeight)
        entry.body = estimate(block);
    m_firstEstimated = qMin(m_firstEstimated, index);
}

void ChapterLayout::replaceEntries(int first, int oldLast, int last)
{
    const int removed = oldLast - first + 1;
    const int added = last - first + 1;
    for (int i = first; i <= oldLast; ++i)
        if (!m_entries[size_t(i)].exact)
            --m_estimated;
    if (added > removed) {
        m_entries.insert(m_entries.begin() + first, size_t(added - removed), Entry());
    } else if (removed > added) {
        m_entries.erase(m_entries.begin() + first, m_entries.begin() + first + (removed - added));
    }
    // Fresh entries count as estimated until laid out; the ones that stand
    // for the same paragraphs as before keep their heights as the estimate.
    for (int i = first; i <= last; ++i) {
        Entry& entry = m_entries[size_t(i)];
        entry.exact = false;
        ++m_estimated;
        if (added != removed)
            entry.body = -1;
    }
    m_tops.resize(m_entries.size() + 1);
    m_topsFrom = qMin(m_topsFrom, first);
    m_firstEstimated = qMin(m_firstEstimated, first);
}

void ChapterLayout::documentChanged(int from, int charsRemoved, int charsAdded)
{
    Q_UNUSED(charsRemoved);
    QTextDocument* doc = document();
    const Page page = readPage();
    const bool newPage = !(page == m_page);
    m_page = page;
    const int count = doc->blockCount();
    const int length = doc->characterCount();

    int first = 0;
    int last = count - 1;
    int oldLast = int(m_entries.size()) - 1;
    QTextBlock firstBlock = doc->firstBlock();
    if (!newPage && !m_entries.empty()) {
        firstBlock = doc->findBlock(qBound(0, from, length - 1));
        const QTextBlock lastBlock = doc->findBlock(qBound(0, from + charsAdded, length - 1));
        first = firstBlock.blockNumber();
        last = lastBlock.blockNumber();
        oldLast = last - (count - int(m_entries.size()));
        if (first < 0 || last < first || oldLast < first - 1 || oldLast >= int(m_entries.size())) {
            first = 0;
            last = count - 1;
            oldLast = int(m_entries.size()) - 1;
            firstBlock = doc->firstBlock();
        }
    }
    replaceEntries(first, oldLast, last);

    int chars = 0;
    QTextBlock block = firstBlock;
    for (int i = first; i <= last && block.isValid(); ++i, block = block.next())
        chars += block.length();
    const bool atOnce = chars <= kAtOnceChars;
    block = firstBlock;
    for (int i = first; i <= last && block.isValid(); ++i, block = block.next()) {
        Entry& entry = m_entries[size_t(i)];
        entry.gap = gapAbove(block);
        if (atOnce && m_page.sized)
            layOut(i, block);
        else
            markEstimated(i, block, entry.body >= 0);
    }
    // The paragraph after the change keeps its text, but its margin to the
    // one before may have changed with it.
    if (block.isValid() && last + 1 < int(m_entries.size()))
        m_entries[size_t(last + 1)].gap = gapAbove(block);
    m_topsFrom = qMin(m_topsFrom, first);
    settleTops();

    reportSize();
    const qreal top = m_page.top + m_tops[size_t(first)];
    emit update(QRectF(0, top, qreal(INT_MAX), qreal(INT_MAX)));
    if (!isComplete())
        emit estimated();
}

void ChapterLayout::settleTops() const
{
    const int count = int(m_entries.size());
    if (m_tops.size() != size_t(count) + 1)
        m_tops.resize(size_t(count) + 1);
    if (m_topsFrom > count)
        return;
    int i = qMax(0, m_topsFrom);
    if (i == 0)
        m_tops[0] = 0;
    else
        --i;
    for (; i < count; ++i)
        m_tops[size_t(i) + 1] = m_tops[size_t(i)] + m_entries[size_t(i)].gap + m_entries[size_t(i)].body;
    m_topsFrom = INT_MAX;
}

int ChapterLayout::indexAt(qreal y) const
{
    settleTops();
    if (m_entries.empty())
        return -1;
    const qreal inside = y - m_page.top;
    // The last paragraph whose gap starts at or above y.
    auto it = std::upper_bound(m_tops.begin(), m_tops.end() - 1, inside);
    return qBound(0, int(it - m_tops.begin()) - 1, int(m_entries.size()) - 1);
}

QSizeF ChapterLayout::currentSize() const
{
    settleTops();
    const qreal width = m_page.width > 0 ? m_page.width : m_page.left + m_widest + (kNoWrapWidth - m_page.right);
    return QSizeF(width, m_page.top + contentHeight() + m_page.bottom);
}

QSizeF ChapterLayout::documentSize() const
{
    return currentSize();
}

QRectF ChapterLayout::frameBoundingRect(QTextFrame* frame) const
{
    if (frame != document()->rootFrame())
        return QRectF();
    return QRectF(QPointF(0, 0), currentSize());
}

QRectF ChapterLayout::blockBoundingRect(const QTextBlock& block) const
{
    if (!block.isValid() || block.document() != document())
        return QRectF();
    const int index = block.blockNumber();
    if (index < 0 || index >= int(m_entries.size()))
        return QRectF();
    // Whoever asks may scroll there at once; the range holds it already.
    if (!m_entries[size_t(index)].exact)
        const_cast<ChapterLayout*>(this)->layOutAround(index, block);
    settleTops();
    // As Qt's layout gives it: the size of the lines, placed at the
    // paragraph's origin, which cursor rectangles add line offsets to.
    QRectF bounds = block.layout()->boundingRect();
    bounds.moveTopLeft(QPointF(block.layout()->position().x(), originY(index)));
    return bounds;
}

int ChapterLayout::hitTest(const QPointF& point, Qt::HitTestAccuracy accuracy) const
{
    auto* self = const_cast<ChapterLayout*>(this);
    int index = indexAt(point.y());
    if (index < 0)
        return -1;
    // Laying a paragraph out moves the ones below it: look again until the
    // point falls into one with its final height.
    while (!m_entries[size_t(index)].exact) {
        self->layOutInPlace(index, document()->findBlockByNumber(index));
        index = indexAt(point.y());
    }
    // Where a point between paragraphs or lines goes follows Qt's layout, so
    // that clicks land as in any other editor: above a paragraph's text on
    // its start, below it on the start of the next one, between two lines on
    // the start of the lower one; where the lines of two paragraphs overlap
    // (line spacing below one), on the upper one.
    QTextBlock block = document()->findBlockByNumber(index);
    for (QTextBlock previous = block.previous(); previous.isValid(); previous = previous.previous()) {
        // One not laid out yet has no lines to reach down with.
        if (!m_entries[size_t(index - 1)].exact
            || point.y() > originY(index - 1) + previous.layout()->boundingRect().bottom())
            break;
        block = previous;
        --index;
    }
    const QTextLayout* layout = block.layout();
    const QRectF text = layout->boundingRect();
    const QPointF local = point - QPointF(layout->position().x(), originY(index));
    int position = block.position();
    bool exact = false;
    if (local.y() > text.bottom()) {
        position += block.length();
    } else if (local.y() >= text.top()) {
        int offset = 0;
        for (int i = 0; i < layout->lineCount(); ++i) {
            const QTextLine line = layout->lineAt(i);
            const QRectF bounds = line.naturalTextRect();
            if (bounds.top() > local.y()) {
                offset = qMin(offset, line.textStart());
            } else if (bounds.bottom() <= local.y()) {
                offset = qMax(offset, line.textStart() + line.textLength());
            } else {
                exact = bounds.left() <= local.x() && local.x() <= bounds.right();
                offset = line.xToCursor(local.x(), accuracy == Qt::ExactHit ? QTextLine::CursorOnCharacter
                                                                             : QTextLine::CursorBetweenCharacters);
                break;
            }
        }
        position += offset;
    }
    if (accuracy == Qt::ExactHit && !exact)
        return -1;
    int lastPosition = document()->characterCount() - 1;
    if (!layout->preeditAreaText().isEmpty())
        lastPosition += layout->preeditAreaText().length();
    return qBound(0, position, lastPosition);
}

void ChapterLayout::drawBlock(QPainter* painter, const PaintContext& context, const QTextBlock& block, qreal y) const
{
    QTextLayout* layout = block.layout();
    const int start = block.position();
    const int length = block.length();
    QVector<QTextLayout::FormatRange> ranges;
    for (const Selection& selection : context.selections) {
        const int from = selection.cursor.selectionStart() - start;
        const int to = selection.cursor.selectionEnd() - start;
        if (from < length && to > 0 && to > from) {
            ranges.append({from, to - from, selection.format});
        } else if (!selection.cursor.hasSelection() && selection.format.hasProperty(QTextFormat::FullWidthSelection)
                   && block.contains(selection.cursor.position())) {
            // A full-width mark needs no selection, only a place on its line.
            const QTextLine line = layout->lineForTextPosition(selection.cursor.position() - start);
            QTextLayout::FormatRange range{line.textStart(), line.textLength(), selection.format};
            if (range.start + range.length == length - 1)
                ++range.length;
            ranges.append(range);
        }
    }
    const QTextBlockFormat format = block.blockFormat();
    if (format.background().style() != Qt::NoBrush) {
        painter->fillRect(QRectF(m_page.left, y, m_page.right - m_page.left, layout->boundingRect().height()),
                          format.background());
    }
    const QPen pen = painter->pen();
    painter->setPen(context.palette.color(QPalette::Text));
    const QRectF page(m_page.left, context.clip.isValid() ? context.clip.top() : y,
                      qMax<qreal>(0, m_page.right - m_page.left), qreal(INT_MAX));
    layout->draw(painter, QPointF(0, y), ranges, context.clip.isValid() ? context.clip : page);
    int caret = context.cursorPosition;
    if (caret < -1 && !layout->preeditAreaText().isEmpty()) {
        layout->drawCursor(painter, QPointF(0, y), layout->preeditAreaPosition() - (caret + 2), m_cursorWidth);
    } else if (caret >= start && caret < start + length) {
        layout->drawCursor(painter, QPointF(0, y), caret - start, m_cursorWidth);
    }
    painter->setPen(pen);
}

void ChapterLayout::draw(QPainter* painter, const PaintContext& context)
{
    if (m_entries.empty() || !m_page.sized)
        return;
    if (!context.clip.isValid())
        finish();
    const qreal bottom = context.clip.isValid() ? context.clip.bottom() : qreal(INT_MAX);
    int index = context.clip.isValid() ? indexAt(context.clip.top()) : 0;
    if (!isComplete()) {
        qreal end = 0;
        const qreal delta = layOutDownTo(index, bottom, &end);
        reportSizeLater();
        // The text in view stays where it is; a smooth scroll to text below
        // it follows that text. No scroll range changes inside a paint.
        if (delta != 0)
            emit movedBelow(end, delta);
        index = context.clip.isValid() ? indexAt(context.clip.top()) : 0;
    }
    QTextBlock block = document()->findBlockByNumber(index);
    for (int i = index; block.isValid() && i < int(m_entries.size()); ++i, block = block.next()) {
        if (m_page.top + m_tops[size_t(i)] > bottom)
            break;
        if (block.isVisible() && m_entries[size_t(i)].exact)
            drawBlock(painter, context, block, originY(i));
    }
}

void ChapterLayout::layOutSlice(int msecs)
{
    if (isComplete() || m_entries.empty())
        return;
    QElapsedTimer clock;
    clock.start();
    const int count = int(m_entries.size());
    int i = qBound(0, m_firstEstimated, count - 1);
    QTextBlock block = document()->findBlockByNumber(i);
    int laid = 0;
    bool timeUp = false;
    while (block.isValid() && i < count && !isComplete() && !timeUp) {
        if (m_entries[size_t(i)].exact) {
            ++i;
            block = block.next();
            continue;
        }
        // A run of estimated paragraphs, reported as one move: where it ended
        // before and how much it grew.
        settleTops();
        const qreal top = m_page.top + m_tops[size_t(i)];
        qreal bottom = top;
        qreal delta = 0;
        for (; block.isValid() && i < count && !m_entries[size_t(i)].exact && !timeUp; ++i, block = block.next()) {
            const qreal before = m_entries[size_t(i)].body;
            bottom += m_entries[size_t(i)].gap + before;
            layOut(i, block);
            delta += m_entries[size_t(i)].body - before;
            timeUp = (++laid & 7) == 0 && clock.elapsed() >= msecs;
        }
        moveBelow(bottom, delta);
        // Only the paragraphs laid out look different: those below them
        // moved with a view that follows, or lie out of its sight.
        emit update(QRectF(0, top, qreal(INT_MAX), bottom + delta - top));
    }
    m_firstEstimated = isComplete() ? count : i;
}

void ChapterLayout::finish()
{
    if (isComplete())
        return;
    QTextBlock block = document()->findBlockByNumber(m_firstEstimated);
    for (int i = m_firstEstimated; block.isValid() && i < int(m_entries.size()); ++i, block = block.next())
        if (!m_entries[size_t(i)].exact)
            layOut(i, block);
    m_firstEstimated = int(m_entries.size());
    reportSizeLater();
}

void ChapterLayout::reportSize()
{
    const QSizeF size = currentSize();
    if (size != m_reportedSize) {
        m_reportedSize = size;
        emit documentSizeChanged(size);
    }
}

void ChapterLayout::reportSizeLater()
{
    if (m_sizeTimer == 0)
        m_sizeTimer = startTimer(0);
}

void ChapterLayout::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != m_sizeTimer) {
        QAbstractTextDocumentLayout::timerEvent(event);
        return;
    }
    killTimer(m_sizeTimer);
    m_sizeTimer = 0;
    reportSize();
}
