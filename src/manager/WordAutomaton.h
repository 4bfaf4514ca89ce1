#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

// A multi-word matcher over UTF-16 units (Aho–Corasick): built once for a word
// list, it finds every occurrence of every word in one pass over a text,
// overlapping occurrences and words inside longer words included. Words are
// compared unit by unit and case-sensitively, as QString::indexOf does.
class WordAutomaton
{
public:
    WordAutomaton() = default;

    // Replaces the word set; equal words share one pattern id. Empty words
    // are left out (they get id -1).
    void build(const QStringList& words);
    bool isEmpty() const { return m_patternLength.isEmpty(); }
    // The pattern id of words.at(i) as passed to build.
    int patternOf(int wordIndex) const { return m_wordPattern.value(wordIndex, -1); }
    int patternCount() const { return m_patternLength.size(); }
    int patternLength(int pattern) const { return m_patternLength.at(pattern); }

    // Calls found(pattern, start) for every occurrence, in order of the
    // occurrence's end, longer patterns first at one end.
    template <typename Found>
    void findAll(const QString& text, Found found) const;

    // Start positions of every occurrence, per pattern id, ascending.
    QVector<QVector<int>> occurrences(const QString& text) const;

private:
    int step(int state, ushort unit) const;
    int child(int node, ushort unit) const;

    // Root transitions, indexed by unit: the common case is one array read.
    QVector<int> m_root;
    // Per node: its edges are m_edgeUnit/m_edgeTarget[m_edgeBegin[n] .. m_edgeBegin[n+1]), sorted by unit.
    QVector<int> m_edgeBegin;
    QVector<ushort> m_edgeUnit;
    QVector<int> m_edgeTarget;
    QVector<int> m_fail;
    // The pattern that ends at a node, or -1; and the next node on the
    // failure chain that ends a pattern, or -1.
    QVector<int> m_nodePattern;
    QVector<int> m_output;
    QVector<int> m_patternLength;
    QVector<int> m_wordPattern;
};

inline int WordAutomaton::child(int node, ushort unit) const
{
    if (node == 0)
        return m_root.at(unit);
    int lo = m_edgeBegin.at(node);
    int hi = m_edgeBegin.at(node + 1);
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        const ushort u = m_edgeUnit.at(mid);
        if (u == unit)
            return m_edgeTarget.at(mid);
        if (u < unit)
            lo = mid + 1;
        else
            hi = mid;
    }
    return -1;
}

inline int WordAutomaton::step(int state, ushort unit) const
{
    while (true) {
        const int next = child(state, unit);
        if (next >= 0)
            return next;
        if (state == 0)
            return 0;
        state = m_fail.at(state);
    }
}

template <typename Found>
void WordAutomaton::findAll(const QString& text, Found found) const
{
    if (isEmpty())
        return;
    const ushort* units = reinterpret_cast<const ushort*>(text.constData());
    const int n = text.size();
    int state = 0;
    for (int i = 0; i < n; ++i) {
        state = step(state, units[i]);
        int node = m_nodePattern.at(state) >= 0 ? state : m_output.at(state);
        while (node >= 0) {
            const int pattern = m_nodePattern.at(node);
            found(pattern, i + 1 - m_patternLength.at(pattern));
            node = m_output.at(node);
        }
    }
}
