#include "SensitiveWordMatcher.h"

namespace {
const QChar kEnumerationComma(0x3001);
}

void SensitiveWordMatcher::setWords(const QString& text)
{
    m_index.clear();
    const QStringList parts = text.split(kEnumerationComma);
    for (const QString& part : parts) {
        const QString word = part.trimmed();
        if (word.isEmpty())
            continue;
        m_index[word.left(1)].append(word);
    }
}

void SensitiveWordMatcher::setCustomWords(const QString& text)
{
    m_customText = text;
    m_customWords = text.isEmpty() ? QStringList() : text.split(kEnumerationComma);
}

int SensitiveWordMatcher::wordCount() const
{
    int n = 0;
    for (const QStringList& words : m_index)
        n += words.size();
    return n;
}
