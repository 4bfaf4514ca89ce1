#pragma once

#include <QObject>
#include <QSharedPointer>
#include <QTextBlock>

class QTextDocument;

// The words of a document (T_Chapter::countWords of its plain text), kept up
// to date from the document's change notifications: an edit recounts only the
// paragraphs it touched, so reading the count costs nothing however long the
// chapter is. Each paragraph carries its own count; a paragraph the document
// drops takes its words out of the total as it goes.
class DocumentWordCount : public QObject
{
    Q_OBJECT
public:
    explicit DocumentWordCount(QTextDocument* document);

    int words() const { return static_cast<int>(*m_total); }
    // Words of a paragraph's text as the plain text of the document shows it
    // (line and paragraph separators become line breaks, a no-break space a
    // space).
    static int countBlockWords(const QString& blockText);

private:
    void onContentsChange(int position, int removed, int added);
    void recount(QTextBlock block);

    QTextDocument* m_document;
    // Shared with the paragraphs' counts, which may outlive this object while
    // the document is torn down.
    QSharedPointer<qint64> m_total;
};
