// The writing style of the whole chapter text: character and paragraph
// formats from the editor settings, the style sheet and the page margins.

#include "Widget_Creation_Content.h"

#include "Creation_TextEdit.h"
#include "db/records/T_UserConf.h"

#include <QScrollBar>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

void Widget_Creation_Content::applyDocumentFormat()
{
    formatDocument(nullptr);
}

void Widget_Creation_Content::setFormattedText(const QString& text)
{
    formatDocument(&text);
}

void Widget_Creation_Content::formatDocument(const QString* replacement)
{
    m_settings.fontSize = qMax(m_settings.fontSize, 10);
    QTextCharFormat chars;
    chars.setFontWeight(m_settings.isBlod ? QFont::Bold : QFont::Normal);
    chars.setFontItalic(m_settings.isItalics != 0);
    chars.setFontUnderline(m_settings.isUnderLine != 0);
    chars.setFontPointSize(m_settings.fontSize);
    chars.setFontFamily(m_settings.fontFamily);
    QTextBlockFormat blocks;
    blocks.setLineHeight(m_settings.lineSpacing * 100, QTextBlockFormat::ProportionalHeight);
    blocks.setTopMargin(m_settings.fontSize);
    m_font.setWeight(chars.fontWeight());
    m_font.setItalic(chars.fontItalic());
    m_font.setUnderline(chars.fontUnderline());
    m_font.setPointSize(m_settings.fontSize);
    m_font.setFamily(m_settings.fontFamily);

    // Text and formats go in as one change of the document: it is laid out
    // once, and a long chapter is not re-laid out once per format. The style
    // sheet (font, colour) is set first, while the new text is not in yet.
    // Switching undo off and on again empties the history, so a chapter's
    // undo never reaches into the previous chapter or into the formatting.
    QTextDocument* document = m_edit->document();
    const int scroll = m_edit->verticalScrollBar()->value();
    const int caret = m_edit->textCursor().position();
    m_edit->setUndoRedoEnabled(false);
    if (replacement != nullptr)
        document->clear();
    applyTextStyle();
    QTextCursor all(document);
    all.beginEditBlock();
    if (replacement != nullptr)
        document->setPlainText(*replacement);
    all.select(QTextCursor::Document);
    all.mergeCharFormat(chars);
    all.mergeBlockFormat(blocks);
    all.mergeBlockCharFormat(chars);
    applyPageMargins(m_settings.isCenter != 0);
    all.endEditBlock();
    // Typing at the caret, also into an empty chapter, takes the same style.
    m_edit->mergeCurrentCharFormat(chars);
    if (replacement != nullptr) {
        document->setModified(false);
    } else {
        QTextCursor restored = m_edit->textCursor();
        restored.setPosition(qMin(caret, document->characterCount() - 1));
        m_edit->setTextCursor(restored);
        m_edit->verticalScrollBar()->setValue(scroll);
    }
    onCurrentLine();
    m_edit->setUndoRedoEnabled(true);
}
