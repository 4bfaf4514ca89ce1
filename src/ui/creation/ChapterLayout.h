#pragma once

#include <QAbstractTextDocumentLayout>

#include <vector>

class QTextBlock;

// Lays out a chapter's paragraphs for the writing editor.
//
// Qt's own document layout moves every paragraph below an edit, one by one,
// on each key; a long chapter felt that. Here a paragraph's place is the sum
// of the heights above it, kept per paragraph, so a key lays out only its own
// paragraph and adds up numbers.
//
// Paragraphs that a large change (a chapter opening, a new page width) leaves
// behind carry an estimated height until they are needed: drawing, a caret or
// a click lays out what it touches, and whoever shows the document lays out
// the rest in short slices (layOutSlice) while the event loop is idle.
//
// Only plain paragraphs are supported: the chapter editor takes no rich text,
// tables or images.
class ChapterLayout : public QAbstractTextDocumentLayout
{
    Q_OBJECT
    Q_PROPERTY(int cursorWidth READ cursorWidth WRITE setCursorWidth)
public:
    explicit ChapterLayout(QTextDocument* document);

    void draw(QPainter* painter, const PaintContext& context) override;
    int hitTest(const QPointF& point, Qt::HitTestAccuracy accuracy) const override;
    int pageCount() const override { return 1; }
    QSizeF documentSize() const override;
    QRectF frameBoundingRect(QTextFrame* frame) const override;
    QRectF blockBoundingRect(const QTextBlock& block) const override;

    int cursorWidth() const { return m_cursorWidth; }
    void setCursorWidth(int width) { m_cursorWidth = width; }

    // No paragraph is left with an estimated height.
    bool isComplete() const { return m_estimated == 0; }
    // Lays out estimated paragraphs, top down, for about msecs.
    void layOutSlice(int msecs);

signals:
    // A change left paragraphs with estimated heights.
    void estimated();
    // Paragraphs ending at y got their real heights, delta more than their
    // estimates: a view showing what lies below y moves by delta to keep
    // showing the same text. Sent while the scroll range can take the move;
    // from a drawing, whose text lies below the view's top, before the range
    // has grown.
    void movedBelow(qreal y, qreal delta);

protected:
    void documentChanged(int from, int charsRemoved, int charsAdded) override;
    void timerEvent(QTimerEvent* event) override;

private:
    // Lays out every estimated paragraph now: for a drawing of the whole
    // document, never for the editor's view.
    void finish();

    struct Entry
    {
        qreal gap = 0;  // space above the paragraph: margins between it and the one before
        qreal body = 0; // the paragraph's own height, real or estimated
        bool exact = false;
    };
    struct Page
    {
        qreal width = 0;
        qreal left = 0;
        qreal right = 0;
        qreal top = 0;
        qreal bottom = 0;
        bool sized = false;
        bool operator==(const Page& o) const
        {
            return width == o.width && left == o.left && right == o.right && top == o.top && bottom == o.bottom
                && sized == o.sized;
        }
    };

    Page readPage() const;
    qreal gapAbove(const QTextBlock& block) const;
    qreal estimate(const QTextBlock& block) const;
    void layOut(int index, const QTextBlock& block);
    // Lays out a paragraph outside the slices, telling views below it.
    void layOutInPlace(int index, const QTextBlock& block);
    void moveBelow(qreal y, qreal delta);
    // The paragraph at index and enough of the estimated ones above it to
    // fill a screen, so that whatever scrolls to it sees final places.
    void layOutAround(int index, const QTextBlock& block);
    // Lays out the estimated paragraphs from index down to y: how much they
    // grew, and in end where the last of them ended before.
    qreal layOutDownTo(int index, qreal y, qreal* end);
    void replaceEntries(int first, int oldLast, int last);
    void markEstimated(int index, const QTextBlock& block, bool keepHeight);
    void settleTops() const;
    int indexAt(qreal y) const;
    // Where the paragraph's first line starts, in document coordinates.
    qreal originY(int index) const { return m_page.top + m_tops[size_t(index)] + m_entries[size_t(index)].gap; }
    qreal contentHeight() const { return m_tops.empty() ? 0 : m_tops.back(); }
    QSizeF currentSize() const;
    void reportSize();
    // Tells the view about a new size from the event loop, not from inside a
    // paint.
    void reportSizeLater();
    void drawBlock(QPainter* painter, const PaintContext& context, const QTextBlock& block, qreal y) const;

    Page m_page;
    std::vector<Entry> m_entries;
    // m_tops[i] is where paragraph i's gap starts, below the page's top
    // margin; one more than there are paragraphs, the last being the total.
    mutable std::vector<qreal> m_tops;
    // Tops from this paragraph on need adding up again.
    mutable int m_topsFrom = 0;
    int m_estimated = 0;
    // The first paragraph that may still be estimated.
    int m_firstEstimated = 0;
    // What laid-out paragraphs teach about the rest: characters and lines.
    qreal m_sampleChars = 0;
    qreal m_sampleLines = 0;
    qreal m_sampleHeight = 0;
    qreal m_widest = 0;
    int m_cursorWidth = 1;
    int m_sizeTimer = 0;
    QSizeF m_reportedSize;
};
