#include "WordAutomaton.h"

#include <QHash>

#include <algorithm>
#include <map>
#include <vector>

void WordAutomaton::build(const QStringList& words)
{
    m_root.clear();
    m_edgeBegin.clear();
    m_edgeUnit.clear();
    m_edgeTarget.clear();
    m_fail.clear();
    m_nodePattern.clear();
    m_output.clear();
    m_patternLength.clear();
    m_wordPattern.clear();
    m_wordPattern.reserve(words.size());

    // The trie first, with ordered child maps; flattened below.
    std::vector<std::map<ushort, int>> children(1);
    std::vector<int> nodePattern(1, -1);
    QHash<QString, int> patternOfWord;
    for (const QString& word : words) {
        if (word.isEmpty()) {
            m_wordPattern.append(-1);
            continue;
        }
        const auto known = patternOfWord.constFind(word);
        if (known != patternOfWord.constEnd()) {
            m_wordPattern.append(known.value());
            continue;
        }
        int node = 0;
        for (const QChar c : word) {
            const ushort u = c.unicode();
            auto it = children[node].find(u);
            if (it == children[node].end()) {
                const int created = static_cast<int>(children.size());
                children[node].emplace(u, created);
                children.emplace_back();
                nodePattern.push_back(-1);
                node = created;
            } else {
                node = it->second;
            }
        }
        const int pattern = m_patternLength.size();
        m_patternLength.append(word.size());
        nodePattern[node] = pattern;
        patternOfWord.insert(word, pattern);
        m_wordPattern.append(pattern);
    }
    if (m_patternLength.isEmpty())
        return;

    const int nodes = static_cast<int>(children.size());
    m_root.fill(-1, 0x10000);
    m_edgeBegin.resize(nodes + 1);
    for (int n = 0; n < nodes; ++n) {
        m_edgeBegin[n] = m_edgeUnit.size();
        for (const auto& edge : children[n]) {
            m_edgeUnit.append(edge.first);
            m_edgeTarget.append(edge.second);
        }
    }
    m_edgeBegin[nodes] = m_edgeUnit.size();
    for (const auto& edge : children[0])
        m_root[edge.first] = edge.second;
    m_nodePattern = QVector<int>(nodePattern.begin(), nodePattern.end());

    // Failure and output links, breadth first so a node's fallback is known
    // before its children need it.
    m_fail.fill(0, nodes);
    m_output.fill(-1, nodes);
    std::vector<int> queue;
    queue.reserve(nodes);
    for (const auto& edge : children[0])
        queue.push_back(edge.second);
    for (size_t head = 0; head < queue.size(); ++head) {
        const int node = queue[head];
        for (const auto& edge : children[node]) {
            const int next = edge.second;
            int fallback = m_fail[node];
            int target;
            while (true) {
                target = child(fallback, edge.first);
                if (target >= 0 || fallback == 0)
                    break;
                fallback = m_fail[fallback];
            }
            m_fail[next] = target >= 0 && target != next ? target : 0;
            const int via = m_fail[next];
            m_output[next] = m_nodePattern[via] >= 0 ? via : m_output[via];
            queue.push_back(next);
        }
    }
    // Root misses are the root itself.
    std::replace(m_root.begin(), m_root.end(), -1, 0);
}

QVector<QVector<int>> WordAutomaton::occurrences(const QString& text) const
{
    QVector<QVector<int>> out(m_patternLength.size());
    findAll(text, [&out](int pattern, int start) { out[pattern].append(start); });
    return out;
}
