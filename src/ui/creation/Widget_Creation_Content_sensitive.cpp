// Sensitive-word treatments of the editor text: marking the hits of the last
// check, or replacing the words by pinyin, stars or dashed characters.

#include "Widget_Creation_Content.h"

#include "Creation_TextEdit.h"
#include "EditorMarks.h"
#include "manager/CPublicManager.h"
#include "manager/SensitiveWordMatcher.h"

#include <QTextCursor>

#include <limits>

namespace {
const QColor kSensitiveMark(255, 0, 0, 128);
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
    const QString treated = matcher.applyTreatment(currentText(), hits, treatment, &caret);
    // As plain text in the writing style; the tick saves it like any edit.
    setFormattedText(treated);
    QTextCursor cursor = m_edit->textCursor();
    cursor.setPosition(caret >= 0 && caret <= treated.size() ? caret : 0);
    m_edit->setTextCursor(cursor);
}
