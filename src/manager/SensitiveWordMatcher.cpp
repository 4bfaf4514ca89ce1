#include "SensitiveWordMatcher.h"

#include <QFile>
#include <QHash>
#include <QSet>
#include <QTextStream>

#include <algorithm>
#include <limits>
#include <map>
#include <set>
#include <utility>
#include <vector>

namespace {
const QChar kEnumerationComma(0x3001);

// True when word, placed anywhere around or across piece, can share at least
// one unit with it: some shift makes their overlap non-empty and equal. The
// text around the piece is unknown, so only the overlap is compared.
bool canTouch(const QString& word, const QString& piece)
{
    const int w = word.size();
    const int r = piece.size();
    for (int shift = 1 - w; shift < r; ++shift) {
        const int from = qMax(0, shift);
        const int to = qMin(r, shift + w);
        bool equal = true;
        for (int i = from; i < to && equal; ++i)
            equal = piece.at(i) == word.at(i - shift);
        if (equal)
            return true;
    }
    return false;
}

// Replacing word after word through the whole text differs from one pass
// over it only where a replacement makes a new occurrence of a later word:
// by deleting a word (its neighbours meet) or by ending up inside or across
// an occurrence. Without either, each word finds in the treated text exactly
// the occurrences that earlier words left untouched.
bool replacementsAreInert(const QStringList& words, const QStringList& replacements)
{
    QHash<ushort, QVector<int>> holders; // unit -> replacements holding it
    for (int i = 0; i < replacements.size(); ++i) {
        const QString& r = replacements.at(i);
        if (r.isEmpty())
            return false;
        for (const QChar c : r) {
            QVector<int>& list = holders[c.unicode()];
            if (list.isEmpty() || list.last() != i)
                list.append(i);
        }
    }
    QSet<int> checked;
    for (int j = 1; j < words.size(); ++j) {
        checked.clear();
        for (const QChar c : words.at(j)) {
            const auto it = holders.constFind(c.unicode());
            if (it == holders.constEnd())
                continue;
            for (const int i : it.value()) {
                if (i >= j)
                    break;
                if (checked.contains(i))
                    continue;
                checked.insert(i);
                if (canTouch(words.at(j), replacements.at(i)))
                    return false;
            }
        }
    }
    return true;
}

// Replacing each word in turn through the whole text, done line by line: no
// word holds a line break, so no occurrence spans two lines and a line only
// changes through the words that occur in it. A line is rescanned after each
// change, since a replacement can make an occurrence of a later word.
QString replaceLineByLine(const QString& text, const QStringList& words, const QStringList& replacements)
{
    WordAutomaton automaton;
    automaton.build(words);
    QVector<int> wordOfPattern(automaton.patternCount(), -1);
    for (int w = 0; w < words.size(); ++w)
        wordOfPattern[automaton.patternOf(w)] = w;
    QVector<int> lineStarts{0};
    for (int i = 0; i < text.size(); ++i) {
        if (text.at(i) == QLatin1Char('\n'))
            lineStarts.append(i + 1);
    }
    // Line -> the words that occur in it.
    std::map<int, std::set<int>> touched;
    automaton.findAll(text, [&](int pattern, int start) {
        const int line = int(std::upper_bound(lineStarts.begin(), lineStarts.end(), start) - lineStarts.begin()) - 1;
        touched[line].insert(wordOfPattern.at(pattern));
    });
    QString result;
    result.reserve(text.size() + text.size() / 4);
    int copied = 0;
    for (auto& entry : touched) {
        const int start = lineStarts.at(entry.first);
        const int end = entry.first + 1 < lineStarts.size() ? lineStarts.at(entry.first + 1) - 1 : text.size();
        result.append(text.constData() + copied, start - copied);
        QString line = text.mid(start, end - start);
        std::set<int>& pending = entry.second;
        while (!pending.empty()) {
            const int w = *pending.begin();
            pending.erase(pending.begin());
            if (!line.contains(words.at(w)))
                continue;
            line.replace(words.at(w), replacements.at(w), Qt::CaseSensitive);
            automaton.findAll(line, [&](int pattern, int) {
                const int later = wordOfPattern.at(pattern);
                if (later > w)
                    pending.insert(later);
            });
        }
        result.append(line);
        copied = end;
    }
    result.append(text.constData() + copied, text.size() - copied);
    return result;
}

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
    m_regularListing.clear();
    for (const QStringList& words : qAsConst(m_index))
        m_regularListing += words;
    m_regular.build(m_regularListing);
}

void SensitiveWordMatcher::setCustomWords(const QString& text)
{
    m_customText = text;
    m_customWords = text.isEmpty() ? QStringList() : text.split(kEnumerationComma);
    m_custom.build(m_customWords);
}

int SensitiveWordMatcher::wordCount() const
{
    int n = 0;
    for (const QStringList& words : m_index)
        n += words.size();
    return n;
}

void SensitiveWordMatcher::appendHits(const WordAutomaton& automaton, const QStringList& listing,
                                      const QString& text)
{
    if (automaton.isEmpty())
        return;
    // One pass collects the starts per distinct word; the hits are then laid
    // out in listing order, a word listed twice giving its starts twice.
    const QVector<QVector<int>> starts = automaton.occurrences(text);
    for (int i = 0; i < listing.size(); ++i) {
        const int pattern = automaton.patternOf(i);
        if (pattern < 0)
            continue;
        const QString& word = listing.at(i);
        for (const int p : starts.at(pattern))
            m_hits.append(SensitiveWordHit{p, word.size(), word});
    }
}

int SensitiveWordMatcher::scan(const QString& text, int flags)
{
    m_hits.clear();
    if (flags & RegularList)
        appendHits(m_regular, m_regularListing, text);
    if (flags & CustomList)
        appendHits(m_custom, m_customWords, text);
    return m_hits.size();
}

QList<SensitiveWordHit> SensitiveWordMatcher::scanWordByWord(const QMap<QString, QStringList>& index,
                                                             const QStringList& customWords, const QString& text,
                                                             int flags)
{
    QList<SensitiveWordHit> hits;
    if (flags & RegularList) {
        // Only the buckets whose first character occurs in the text are searched.
        for (auto it = index.constBegin(); it != index.constEnd(); ++it) {
            if (!text.contains(it.key(), Qt::CaseSensitive))
                continue;
            for (const QString& word : it.value())
                findAll(text, word, hits);
        }
    }
    if (flags & CustomList) {
        for (const QString& word : customWords) {
            if (!word.isEmpty())
                findAll(text, word, hits);
        }
    }
    return hits;
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
    m_pinyinOf.clear();
    while (!in.atEnd()) {
        const QString line = in.readLine();
        if (line.isEmpty())
            break;
        const QStringList parts = line.split(QLatin1Char(','));
        if (parts.size() < 2)
            continue;
        PinyinEntry entry;
        entry.syllable = parts.first();
        for (int i = 1; i < parts.size(); ++i) {
            const int code = parts.at(i).toInt(nullptr, 16);
            entry.codePoints.append(code);
            // The first line that lists a character names its reading.
            if (code >= 0 && code <= 0xFFFF && !m_pinyinOf.contains(static_cast<ushort>(code)))
                m_pinyinOf.insert(static_cast<ushort>(code), entry.syllable);
        }
        m_pinyin.append(entry);
    }
}

QString SensitiveWordMatcher::pinyinOf(const QString& ch)
{
    if (ch.isEmpty())
        return QString();
    if (m_pinyin.isEmpty())
        loadPinyin();
    return m_pinyinOf.value(ch.at(0).unicode());
}

QString SensitiveWordMatcher::replacementOf(const QString& word, int treatment)
{
    // A character outside the basic plane is two units; it stays one
    // character here, so no treatment ever splits a surrogate pair.
    QStringList characters;
    for (int i = 0; i < word.size(); ++i) {
        const int units = word.at(i).isHighSurrogate() && i + 1 < word.size() && word.at(i + 1).isLowSurrogate() ? 2 : 1;
        characters.append(word.mid(i, units));
        i += units - 1;
    }
    QString out;
    switch (treatment) {
    case ReplaceByPinyin:
        for (const QString& c : qAsConst(characters))
            out += pinyinOf(c);
        return out;
    case ReplaceByStars:
        return QString(characters.size(), QLatin1Char('*'));
    case SeparateByDash:
        return characters.join(QLatin1Char('-'));
    default:
        return word;
    }
}

QString SensitiveWordMatcher::applyTreatment(const QString& text, const QList<SensitiveWordHit>& hits,
                                             int treatment, int* cursor)
{
    if (cursor)
        *cursor = -1;
    QVector<TreatmentEdit> edits;
    switch (treatmentEdits(text, hits, treatment, &edits, cursor)) {
    case NoEdit:
        return text;
    case WholeText:
        break;
    case Edits: {
        QString result;
        result.reserve(text.size() + text.size() / 4);
        int at = 0;
        for (const TreatmentEdit& edit : qAsConst(edits)) {
            result.append(text.constData() + at, edit.position - at);
            result.append(edit.replacement);
            at = edit.position + edit.length;
        }
        result.append(text.constData() + at, text.size() - at);
        return result;
    }
    }
    // A replacement may make or break occurrences of later words: each word
    // goes through the whole text in turn.
    QStringList words, replacements;
    int smallestEnd = std::numeric_limits<int>::max();
    wordsOf(hits, treatment, &words, &replacements, &smallestEnd);
    bool lineBound = true;
    for (const QString& word : qAsConst(words))
        lineBound = lineBound && !word.contains(QLatin1Char('\n'));
    if (!lineBound)
        return applyTreatmentWordByWord(text, hits, treatment, cursor);
    if (cursor)
        *cursor = smallestEnd;
    return replaceLineByLine(text, words, replacements);
}

void SensitiveWordMatcher::wordsOf(const QList<SensitiveWordHit>& hits, int treatment, QStringList* words,
                                   QStringList* replacements, int* smallestEnd)
{
    // The words in the order of their first hit, each with its replacement.
    QSet<QString> seen;
    for (const SensitiveWordHit& hit : hits) {
        if (hit.word.isEmpty())
            continue;
        *smallestEnd = qMin(*smallestEnd, hit.position + hit.length);
        if (!seen.contains(hit.word)) {
            seen.insert(hit.word);
            words->append(hit.word);
        }
    }
    replacements->reserve(words->size());
    for (const QString& word : qAsConst(*words))
        replacements->append(replacementOf(word, treatment));
}

SensitiveWordMatcher::EditKind SensitiveWordMatcher::treatmentEdits(const QString& text,
                                                                    const QList<SensitiveWordHit>& hits,
                                                                    int treatment, QVector<TreatmentEdit>* edits,
                                                                    int* cursor)
{
    if (cursor)
        *cursor = -1;
    if (treatment < ReplaceByPinyin || treatment > SeparateByDash)
        return NoEdit;
    QStringList words, replacements;
    int smallestEnd = std::numeric_limits<int>::max();
    wordsOf(hits, treatment, &words, &replacements, &smallestEnd);
    if (words.isEmpty())
        return NoEdit;
    if (!replacementsAreInert(words, replacements))
        return WholeText;

    WordAutomaton automaton;
    automaton.build(words);
    const QVector<QVector<int>> starts = automaton.occurrences(text);
    // Earlier words claim their occurrences first, leftmost first and without
    // overlap, as a whole-text replacement of each word in turn would; a later
    // word keeps only the occurrences left untouched.
    std::vector<char> taken(static_cast<size_t>(text.size()), 0);
    std::vector<std::pair<int, int>> chosen; // start, word
    for (int w = 0; w < words.size(); ++w) {
        const int length = words.at(w).size();
        for (const int start : starts.at(automaton.patternOf(w))) {
            const auto first = taken.begin() + start;
            if (std::find(first, first + length, 1) != first + length)
                continue;
            std::fill(first, first + length, 1);
            chosen.emplace_back(start, w);
        }
    }
    std::sort(chosen.begin(), chosen.end());
    edits->clear();
    edits->reserve(static_cast<int>(chosen.size()));
    for (const auto& c : chosen)
        edits->append(TreatmentEdit{c.first, words.at(c.second).size(), replacements.at(c.second)});
    if (cursor)
        *cursor = smallestEnd;
    return Edits;
}

QString SensitiveWordMatcher::applyTreatmentWordByWord(const QString& text, const QList<SensitiveWordHit>& hits,
                                                       int treatment, int* cursor)
{
    QString result = text;
    int smallestEnd = std::numeric_limits<int>::max();
    if (treatment >= ReplaceByPinyin && treatment <= SeparateByDash) {
        const QString* last = nullptr;
        for (const SensitiveWordHit& hit : hits) {
            if (hit.word.isEmpty())
                continue;
            smallestEnd = qMin(smallestEnd, hit.position + hit.length);
            // Right after a word was replaced the text holds none of it.
            if (last != nullptr && *last == hit.word)
                continue;
            result.replace(hit.word, replacementOf(hit.word, treatment), Qt::CaseSensitive);
            last = &hit.word;
        }
    }
    if (cursor)
        *cursor = smallestEnd == std::numeric_limits<int>::max() ? -1 : smallestEnd;
    return result;
}
