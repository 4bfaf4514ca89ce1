#include "Widget_Creation_Content.h"

#include "Creation_TextEdit.h"
#include "EditorMarks.h"
#include "common/DPIAdapter.h"
#include "common/Utility.h"
#include "manager/CPublicManager.h"
#include "ui/common/BkMessageBox.h"

#include <QLineEdit>
#include <QTextCharFormat>
#include <QTextCursor>

namespace {
const QColor kCurrentMark(QStringLiteral("#17B978"));
const QColor kOtherMark(QStringLiteral("#81DCB5"));
}

void Widget_Creation_Content::openSearch()
{
    if (m_searchDialog == nullptr) {
        m_searchDialog = new Dialog_Search(this);
        connect(m_searchDialog, QOverload<Widget_Sreach_Btn, const QString&>::of(&Dialog_Search::sig_sreach_btn),
                this, &Widget_Creation_Content::on_sreach_btn);
        // Focus mode keeps the caret's line in the middle of the pane: the
        // dialog first opens in the pane's upper right corner, clear of it.
        const int margin = int(20 * DPIAdapter::instance()->scale());
        m_searchDialog->move(mapToGlobal(QPoint(qMax(0, width() - m_searchDialog->width() - margin), margin)));
    }
    m_searchDialog->show();
    m_searchDialog->raise();
    // The words typed next are the search's.
    m_searchDialog->activateWindow();
    m_searchDialog->searchEdit()->setFocus(Qt::ActiveWindowFocusReason);
}

void Widget_Creation_Content::on_sreach_btn(Widget_Sreach_Btn btnType, const QString& info)
{
    switch (btnType) {
    case SreachPrevious:
    case SreachNext: stepMatch(btnType); break;
    case SreachSearch: search(info); break;
    // A replacement field takes pasted control characters the editor keeps out.
    case SreachReplaceCurrent: replaceCurrent(withoutControlChars(info)); break;
    case SreachReplaceAll: replaceAll(withoutControlChars(info)); break;
    case SreachClose: clearHighlights(); break;
    }
}

void Widget_Creation_Content::clearHighlights()
{
    m_marks->clear();
    m_marked = false;
}

void Widget_Creation_Content::highlightMatch(int end, bool current)
{
    // Every occurrence is painted by the mark layer already; only the
    // current one gets its own colour, and the caret follows it.
    const int start = qMax(end - m_searchLength, 0);
    if (start >= end)
        return;
    if (current) {
        m_marks->setCurrent(start, end, kCurrentMark);
        QTextCursor cursor = m_edit->textCursor();
        cursor.setPosition(qMin(end, m_edit->document()->characterCount() - 1));
        m_edit->setTextCursor(cursor);
    } else {
        m_marks->setCurrent(0, 0, QColor());
    }
    m_marked = true;
}

void Widget_Creation_Content::search(const QString& text)
{
    clearHighlights();
    m_matchEnds.clear();
    m_currentMatch = 0;
    m_searchText = text;
    if (text.isEmpty())
        return;
    m_searchLength = text.size();
    const QString& plain = currentText();
    for (int p = plain.indexOf(text, 0, Qt::CaseSensitive); p >= 0;
         p = plain.indexOf(text, p + m_searchLength, Qt::CaseSensitive))
        m_matchEnds.append(p + m_searchLength);
    if (m_matchEnds.isEmpty()) {
        m_edit->setFocus(Qt::OtherFocusReason);
        return;
    }
    QVector<EditorMarks::Mark> marks;
    marks.reserve(m_matchEnds.size());
    for (const int end : qAsConst(m_matchEnds))
        marks.append(EditorMarks::Mark{end - m_searchLength, end, kOtherMark});
    m_marks->setMarks(marks);
    highlightMatch(m_matchEnds.first(), true);
    m_edit->setFocus(Qt::OtherFocusReason);
}

void Widget_Creation_Content::stepMatch(int direction)
{
    if (m_matchEnds.isEmpty())
        return;
    const int old = qBound(0, m_currentMatch, m_matchEnds.size() - 1);
    if (direction == SreachPrevious)
        m_currentMatch = m_currentMatch - 1 < 0 ? m_matchEnds.size() - 1 : m_currentMatch - 1;
    else
        m_currentMatch = m_currentMatch + 1 >= m_matchEnds.size() ? 0 : m_currentMatch + 1;
    highlightMatch(m_matchEnds.at(old), false);
    highlightMatch(m_matchEnds.at(m_currentMatch), true);
    m_edit->setFocus(Qt::OtherFocusReason);
}

void Widget_Creation_Content::replaceCurrent(const QString& replacement)
{
    if (currentBook() == nullptr || m_matchEnds.isEmpty() || m_currentMatch < 0
        || m_currentMatch >= m_matchEnds.size())
        return;
    const int end = m_matchEnds.at(m_currentMatch);
    QTextCursor cursor(m_edit->document());
    cursor.setPosition(qBound(0, end - m_searchLength, m_edit->document()->characterCount() - 1));
    cursor.setPosition(qBound(0, end, m_edit->document()->characterCount() - 1), QTextCursor::KeepAnchor);
    if (cursor.selectedText() != m_searchText) {
        // The author wrote since the search: the stored places are stale.
        // The search runs again and shows where the text is now.
        search(m_searchText);
        return;
    }
    cursor.beginEditBlock();
    {
        // Inserted as text in the editor's style, never read as markup: a
        // replacement holding "<", "&" or "%1" stays what the author typed.
        QTextCharFormat format = cursor.charFormat();
        format.setBackground(QColor(0, 0, 0, 0));
        cursor.removeSelectedText();
        cursor.insertText(replacement, format);
    }
    cursor.endEditBlock();
    const int diff = m_searchLength - replacement.size();
    m_matchEnds.removeAt(m_currentMatch);
    for (int i = m_currentMatch; i < m_matchEnds.size(); ++i)
        m_matchEnds[i] -= diff;
    m_currentMatch -= 1;
    if (!m_matchEnds.isEmpty())
        stepMatch(SreachNext);
    saveChapter(true);
}

void Widget_Creation_Content::replaceAll(const QString& replacement)
{
    if (currentBook() == nullptr || m_searchText.isEmpty())
        return;
    // Both values in one pass: a search text holding "%2" is not re-filled.
    const QString question = tr("repalce all are sure")
                                 .arg(m_searchText, replacement.isEmpty() ? tr("null") : replacement);
    const bool confirmed = m_confirmReplaceAll
        ? m_confirmReplaceAll(question)
        : BkMessageBox::question(this, tr("replace all"), question, tr("yes"), tr("no"), 0) == 0;
    if (!confirmed)
        return;
    QString text = currentText();
    text.replace(m_searchText, replacement, Qt::CaseSensitive);
    // The record takes the new text only from the save; a failed save keeps
    // it in the editor as words still to store.
    m_edit->setPlainText(text);
    applyDocumentFormat();
    saveChapter(true);
    clearHighlights();
    // The old positions mean nothing in the new text.
    m_matchEnds.clear();
    m_currentMatch = 0;
    m_edit->setFocus(Qt::OtherFocusReason);
}
