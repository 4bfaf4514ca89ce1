#include "DocumentWordCount.h"

#include "db/records/T_Chapter.h"

#include <QTextBlock>
#include <QTextDocument>

namespace {

class BlockWords : public QTextBlockUserData
{
public:
    BlockWords(const QSharedPointer<qint64>& total, int words) : m_total(total), m_words(words)
    {
        *m_total += words;
    }
    ~BlockWords() override { *m_total -= m_words; }
    void set(int words)
    {
        *m_total += words - m_words;
        m_words = words;
    }

private:
    QSharedPointer<qint64> m_total;
    int m_words;
};

}

DocumentWordCount::DocumentWordCount(QTextDocument* document)
    : QObject(document), m_document(document), m_total(new qint64(0))
{
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
        recount(block);
    connect(document, &QTextDocument::contentsChange, this, &DocumentWordCount::onContentsChange);
}

int DocumentWordCount::countBlockWords(const QString& blockText)
{
    // A paragraph's raw text keeps the characters the plain text turns into
    // spaces and line breaks; the chapter's rule counts neither.
    return T_Chapter::countWords(blockText);
}

void DocumentWordCount::onContentsChange(int position, int removed, int added)
{
    Q_UNUSED(removed);
    // Paragraphs that went are out of the total already; those from the
    // change's start to its end hold the new text.
    QTextBlock block = m_document->findBlock(position);
    const QTextBlock last = m_document->findBlock(position + added);
    for (; block.isValid(); block = block.next()) {
        recount(block);
        if (block == last)
            break;
    }
}

void DocumentWordCount::recount(QTextBlock block)
{
    const int words = countBlockWords(block.text());
    if (auto* data = static_cast<BlockWords*>(block.userData()))
        data->set(words);
    else
        block.setUserData(new BlockWords(m_total, words));
}
