#include "SensitiveWordMatcher.h"

#include <QFile>
#include <QTextStream>

#include <limits>

namespace {
const QChar kEnumerationComma(0x3001);

// Appends a hit for every occurrence of word, overlapping ones included.
void findAll(const QString& text, const QString& word, QList<SensitiveWordHit>& hits)
{
    int from = 0;
    while (true) {
        const int p = text.indexOf(word, from, Qt::CaseSensitive);
        if (p < 0)
            return;
        hits.append(SensitiveWordHit{p, word.size(), word});
        from = p + 1;
    }
}
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

int SensitiveWordMatcher::scan(const QString& text, int flags)
{
    m_hits.clear();
    if (flags & RegularList) {
        // Only the buckets whose first character occurs in the text are searched.
        for (auto it = m_index.constBegin(); it != m_index.constEnd(); ++it) {
            if (!text.contains(it.key(), Qt::CaseSensitive))
                continue;
            for (const QString& word : it.value())
                findAll(text, word, m_hits);
        }
    }
    if (flags & CustomList) {
        for (const QString& word : m_customWords) {
            if (!word.isEmpty())
                findAll(text, word, m_hits);
        }
    }
    return m_hits.size();
}

void SensitiveWordMatcher::setPinyinSource(const QString& path)
{
    m_pinyinSource = path;
    m_pinyin.clear();
}

void SensitiveWordMatcher::loadPinyin()
{
    QFile file(m_pinyinSource);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return;
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString line = in.readLine();
        if (line.isEmpty())
            break;
        const QStringList parts = line.split(QLatin1Char(','));
        if (parts.size() < 2)
            continue;
        PinyinEntry entry;
        entry.syllable = parts.first();
        for (int i = 1; i < parts.size(); ++i)
            entry.codePoints.append(parts.at(i).toInt(nullptr, 16));
        m_pinyin.append(entry);
    }
}

QString SensitiveWordMatcher::pinyinOf(const QString& ch)
{
    if (ch.isEmpty())
        return QString();
    if (m_pinyin.isEmpty())
        loadPinyin();
    const int unit = ch.at(0).unicode();
    for (const PinyinEntry& entry : qAsConst(m_pinyin)) {
        if (entry.codePoints.contains(unit))
            return entry.syllable;
    }
    return QString();
}

QString SensitiveWordMatcher::replacementOf(const QString& word, int treatment)
{
    QString out;
    switch (treatment) {
    case ReplaceByPinyin:
        for (const QChar c : word)
            out += pinyinOf(QString(c));
        return out;
    case ReplaceByStars:
        return QString(word.size(), QLatin1Char('*'));
    case SeparateByDash:
        for (int i = 0; i < word.size(); ++i) {
            if (i > 0)
                out += QLatin1Char('-');
            out += word.at(i);
        }
        return out;
    default:
        return word;
    }
}

QString SensitiveWordMatcher::applyTreatment(const QString& text, const QList<SensitiveWordHit>& hits,
                                             int treatment, int* cursor)
{
    QString result = text;
    int smallestEnd = std::numeric_limits<int>::max();
    if (treatment >= ReplaceByPinyin && treatment <= SeparateByDash) {
        for (const SensitiveWordHit& hit : hits) {
            if (hit.word.isEmpty())
                continue;
            result.replace(hit.word, replacementOf(hit.word, treatment), Qt::CaseSensitive);
            smallestEnd = qMin(smallestEnd, hit.position + hit.length);
        }
    }
    if (cursor)
        *cursor = smallestEnd == std::numeric_limits<int>::max() ? -1 : smallestEnd;
    return result;
}
