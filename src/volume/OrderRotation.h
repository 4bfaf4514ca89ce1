#pragma once

#include <QList>
#include <QMap>

// The renumbering of a drag within one list: the item numbered `from` takes
// the number `to`, and every number between them shifts one place towards
// the gap. `numbers` are the order numbers of all items; the result maps each
// old number in [min, max] to its new one (numbers outside keep theirs and
// are absent). Items keep their positions; only their numbers change.
QMap<int, int> rotateOrderNums(const QList<int>& numbers, int from, int to);
