// Sensitive-word treatments of the editor text: marking the hits of the last
// check, or replacing the words by pinyin, stars or dashed characters.

#include "Widget_Creation_Content.h"

#include "ChapterLayout.h"
#include "Creation_TextEdit.h"
#include "EditorMarks.h"
#include "manager/CPublicManager.h"
#include "manager/SensitiveWordMatcher.h"

#include <QAbstractTextDocumentLayout>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

#include <limits>

namespace {
const QColor kSensitiveMark(255, 0, 0, 128);

// Stands in for the document's layout while a treatment edits the text: it
// lays nothing out, so the edits cost only themselves.
class SetAsideLayout : public QAbstractTextDocumentLayout
{
public:
    explicit SetAsideLayout(QTextDocument* document) : QAbstractTextDocumentLayout(document) {}
    void draw(QPainter*, const PaintContext&) override {}
    int hitTest(const QPointF&, Qt::HitTestAccuracy) const override { return -1; }
    int pageCount() const override { return 1; }
    QSizeF documentSize() const override { return QSizeF(); }
    QRectF frameBoundingRect(QTextFrame*) const override { return QRectF(); }
    QRectF blockBoundingRect(const QTextBlock&) const override { return QRectF(); }

protected:
    void documentChanged(int, int, int) override {}
};

// Replaces the stretches in place, as one step the author can undo, and puts
// the caret at caret. With the layout set aside meanwhile and a fresh one
// afterwards (which lays out what is shown and the rest in slices, as for a
// chapter that opens), a thousand replacements over a long chapter do not lay
// the rest of the chapter out once each, nor all of it at once.
void replaceInPlace(QTextEdit* edit, const QVector<SensitiveWordMatcher::TreatmentEdit>& edits, int caret)
{
    QTextDocument* document = edit->document();
    QTextCursor cursor(document);
    // The caret goes to the first edit before the layout is set aside, so
    // that the view shows the text the treatment starts with.
    cursor.setPosition(edits.first().position);
    edit->setTextCursor(cursor);
    document->setDocumentLayout(new SetAsideLayout(document));
    cursor.beginEditBlock();
    for (int i = edits.size() - 1; i >= 0; --i) {
        const SensitiveWordMatcher::TreatmentEdit& change = edits.at(i);
        cursor.setPosition(change.position);
        cursor.setPosition(change.position + change.length, QTextCursor::KeepAnchor);
        cursor.insertText(change.replacement);
    }
    cursor.endEditBlock();
    cursor.setPosition(caret >= 0 && caret < document->characterCount() ? caret : 0);
    edit->setTextCursor(cursor);
    document->setDocumentLayout(new ChapterLayout(document));
    edit->ensureCursorVisible();
}
}

void Widget_Creation_Content::showSensitiveWords(int treatment)
{
    clearHighlights();
    SensitiveWordMatcher& matcher = m_public->sensitiveMatcher;
    const QList<SensitiveWordHit>& hits = matcher.results();
    if (hits.isEmpty() || treatment < SensitiveWordMatcher::MarkOnly || treatment > SensitiveWordMatcher::SeparateByDash)
        return;

    if (treatment == SensitiveWordMatcher::MarkOnly) {
        // The hits belong to the last check; a text shortened since then
        // keeps the marks that still lie inside it.
        const int length = m_edit->document()->characterCount() - 1;
        QVector<EditorMarks::Mark> marks;
        marks.reserve(hits.size());
        int smallestEnd = std::numeric_limits<int>::max();
        for (const SensitiveWordHit& hit : hits) {
            smallestEnd = qMin(smallestEnd, hit.position + hit.length);
            if (hit.length > 0 && hit.position >= 0 && hit.position + hit.length <= length)
                marks.append(EditorMarks::Mark{hit.position, hit.position + hit.length, kSensitiveMark});
        }
        if (marks.isEmpty())
            return;
        m_marks->setMarks(marks);
        m_marked = true;
        if (smallestEnd <= length) {
            QTextCursor cursor = m_edit->textCursor();
            cursor.setPosition(smallestEnd);
            m_edit->setTextCursor(cursor);
        }
        return;
    }

    int caret = -1;
    const QString& text = currentText();
    QVector<SensitiveWordMatcher::TreatmentEdit> edits;
    const SensitiveWordMatcher::EditKind kind = matcher.treatmentEdits(text, hits, treatment, &edits, &caret);
    if (kind == SensitiveWordMatcher::NoEdit)
        return;
    // The tick saves the treated text like any edit.
    if (kind == SensitiveWordMatcher::Edits) {
        replaceInPlace(m_edit, edits, caret);
        return;
    }
    // As plain text in the writing style.
    setFormattedText(matcher.applyTreatment(text, hits, treatment, &caret));
    QTextCursor cursor = m_edit->textCursor();
    cursor.setPosition(caret >= 0 && caret < m_edit->document()->characterCount() ? caret : 0);
    m_edit->setTextCursor(cursor);
}
