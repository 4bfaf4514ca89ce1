#include "OrderRotation.h"

#include <algorithm>

QMap<int, int> rotateOrderNums(const QList<int>& numbers, int from, int to)
{
    const int lo = std::min(from, to);
    const int hi = std::max(from, to);
    QList<int> range;
    for (int n : numbers) {
        if (n >= lo && n <= hi)
            range.append(n);
    }
    std::sort(range.begin(), range.end());
    QMap<int, int> renumbered;
    if (range.isEmpty())
        return renumbered;
    const bool up = to <= from;
    for (int n : qAsConst(range)) {
        if (renumbered.contains(n))
            continue;
        const int k = range.indexOf(n);
        if (up)
            renumbered.insert(n, k + 1 < range.size() ? range.at(k + 1) : range.first());
        else
            renumbered.insert(n, k > 0 ? range.at(k - 1) : range.last());
    }
    return renumbered;
}
