#include "DiffMatchPatch.h"

#include <QRegularExpression>

#include <chrono>
#include <limits>
#include <vector>

namespace {
// Built once, only read afterwards.
const QRegularExpression& blankLineEnd()
{
    static const QRegularExpression re(QStringLiteral("\\n\\r?\\n$"));
    return re;
}

const QRegularExpression& blankLineStart()
{
    static const QRegularExpression re(QStringLiteral("^\\r?\\n\\r?\\n"));
    return re;
}

QString nonNull(const QString& s)
{
    return s.isNull() ? QStringLiteral("") : s;
}

QString leftOf(const QString& s, int n)
{
    return nonNull(s.left(n));
}

QString rightOf(const QString& s, int n)
{
    return nonNull(s.right(n));
}
}

QString Diff::toString() const
{
    static const char* names[] = {"DELETE", "INSERT", "EQUAL"};
    return QStringLiteral("Diff(%1,\"%2\")").arg(QLatin1String(names[operation]), text);
}

qint64 DiffMatchPatch::nowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

QString DiffMatchPatch::safeMid(const QString& str, int pos)
{
    return pos >= str.length() ? QStringLiteral("") : nonNull(str.mid(pos));
}

QString DiffMatchPatch::safeMid(const QString& str, int pos, int len)
{
    return pos >= str.length() ? QStringLiteral("") : nonNull(str.mid(pos, len));
}

QList<Diff> DiffMatchPatch::diff_main(const QString& text1, const QString& text2, bool checklines)
{
    qint64 deadline = std::numeric_limits<qint64>::max();
    if (Diff_Timeout > 0)
        deadline = nowMs() + static_cast<qint64>(Diff_Timeout * 1000);
    return diff_main(text1, text2, checklines, deadline);
}

QList<Diff> DiffMatchPatch::diff_main(const QString& text1, const QString& text2, bool checklines, qint64 deadline)
{
    if (text1.isNull() || text2.isNull())
        throw DiffError(QStringLiteral("Null inputs. (diff_main)"));

    QList<Diff> diffs;
    if (text1 == text2) {
        if (!text1.isEmpty())
            diffs.append(Diff(EQUAL, text1));
        return diffs;
    }

    int common = diff_commonPrefix(text1, text2);
    const QString prefix = leftOf(text1, common);
    QString a = safeMid(text1, common);
    QString b = safeMid(text2, common);

    common = diff_commonSuffix(a, b);
    const QString suffix = rightOf(a, common);
    a = leftOf(a, a.length() - common);
    b = leftOf(b, b.length() - common);

    diffs = diff_compute(a, b, checklines, deadline);
    if (!prefix.isEmpty())
        diffs.prepend(Diff(EQUAL, prefix));
    if (!suffix.isEmpty())
        diffs.append(Diff(EQUAL, suffix));
    diff_cleanupMerge(diffs);
    return diffs;
}

QList<Diff> DiffMatchPatch::diff_compute(const QString& text1, const QString& text2, bool checklines,
                                         qint64 deadline)
{
    QList<Diff> diffs;
    if (text1.isEmpty()) {
        diffs.append(Diff(INSERT, text2));
        return diffs;
    }
    if (text2.isEmpty()) {
        diffs.append(Diff(DELETE, text1));
        return diffs;
    }

    const bool firstLonger = text1.length() > text2.length();
    const QString longtext = firstLonger ? text1 : text2;
    const QString shorttext = firstLonger ? text2 : text1;
    const int i = longtext.indexOf(shorttext);
    if (i != -1) {
        const Operation op = firstLonger ? DELETE : INSERT;
        diffs.append(Diff(op, leftOf(longtext, i)));
        diffs.append(Diff(EQUAL, shorttext));
        diffs.append(Diff(op, safeMid(longtext, i + shorttext.length())));
        return diffs;
    }

    if (shorttext.length() == 1) {
        diffs.append(Diff(DELETE, text1));
        diffs.append(Diff(INSERT, text2));
        return diffs;
    }

    const QStringList hm = diff_halfMatch(text1, text2);
    if (hm.size() == 5) {
        diffs = diff_main(hm.at(0), hm.at(2), checklines, deadline);
        diffs.append(Diff(EQUAL, hm.at(4)));
        diffs += diff_main(hm.at(1), hm.at(3), checklines, deadline);
        return diffs;
    }

    if (checklines && text1.length() > 100 && text2.length() > 100)
        return diff_lineMode(text1, text2, deadline);

    return diff_bisect(text1, text2, deadline);
}

QStringList DiffMatchPatch::diff_halfMatch(const QString& text1, const QString& text2)
{
    const bool firstLonger = text1.length() > text2.length();
    const QString longtext = firstLonger ? text1 : text2;
    const QString shorttext = firstLonger ? text2 : text1;
    if (longtext.length() < 4 || shorttext.length() * 2 < longtext.length())
        return QStringList();

    const QStringList hm1 = diff_halfMatchI(longtext, shorttext, (longtext.length() + 3) / 4);
    const QStringList hm2 = diff_halfMatchI(longtext, shorttext, (longtext.length() + 1) / 2);
    QStringList hm;
    if (hm1.isEmpty() && hm2.isEmpty())
        return QStringList();
    if (hm2.isEmpty())
        hm = hm1;
    else if (hm1.isEmpty())
        hm = hm2;
    else
        hm = hm1.at(4).length() > hm2.at(4).length() ? hm1 : hm2;

    if (firstLonger)
        return hm;
    return QStringList{hm.at(2), hm.at(3), hm.at(0), hm.at(1), hm.at(4)};
}

QStringList DiffMatchPatch::diff_halfMatchI(const QString& longtext, const QString& shorttext, int i)
{
    const QString seed = safeMid(longtext, i, longtext.length() / 4);
    int j = -1;
    QString bestCommon = QStringLiteral("");
    QString bestLongA, bestLongB, bestShortA, bestShortB;
    while ((j = shorttext.indexOf(seed, j + 1)) != -1) {
        const int prefixLength = diff_commonPrefix(safeMid(longtext, i), safeMid(shorttext, j));
        const int suffixLength = diff_commonSuffix(leftOf(longtext, i), leftOf(shorttext, j));
        if (bestCommon.length() < suffixLength + prefixLength) {
            bestCommon = safeMid(shorttext, j - suffixLength, suffixLength) + safeMid(shorttext, j, prefixLength);
            bestLongA = leftOf(longtext, i - suffixLength);
            bestLongB = safeMid(longtext, i + prefixLength);
            bestShortA = leftOf(shorttext, j - suffixLength);
            bestShortB = safeMid(shorttext, j + prefixLength);
        }
    }
    if (bestCommon.length() * 2 >= longtext.length())
        return QStringList{bestLongA, bestLongB, bestShortA, bestShortB, bestCommon};
    return QStringList();
}

QList<Diff> DiffMatchPatch::diff_lineMode(const QString& text1, const QString& text2, qint64 deadline)
{
    QStringList lineArray;
    const QStringList encoded = diff_linesToChars(text1, text2, lineArray);
    QList<Diff> diffs = diff_main(encoded.at(0), encoded.at(1), false, deadline);
    diff_charsToLines(diffs, lineArray);
    diff_cleanupSemantic(diffs);

    // Re-diff each replacement block character by character.
    diffs.append(Diff(EQUAL, QStringLiteral("")));
    int countDelete = 0;
    int countInsert = 0;
    QString textDelete;
    QString textInsert;
    for (int pointer = 0; pointer < diffs.size(); ++pointer) {
        const Diff& d = diffs.at(pointer);
        if (d.operation == INSERT) {
            ++countInsert;
            textInsert += d.text;
        } else if (d.operation == DELETE) {
            ++countDelete;
            textDelete += d.text;
        } else {
            if (countDelete >= 1 && countInsert >= 1) {
                const int n = countDelete + countInsert;
                const int start = pointer - n;
                for (int k = 0; k < n; ++k)
                    diffs.removeAt(start);
                pointer = start;
                const QList<Diff> sub = diff_main(nonNull(textDelete), nonNull(textInsert), false, deadline);
                for (int k = 0; k < sub.size(); ++k)
                    diffs.insert(pointer + k, sub.at(k));
                pointer += sub.size();
            }
            countInsert = 0;
            countDelete = 0;
            textDelete.clear();
            textInsert.clear();
        }
    }
    diffs.removeLast();
    return diffs;
}

QStringList DiffMatchPatch::diff_linesToChars(const QString& text1, const QString& text2, QStringList& lineArray)
{
    QMap<QString, int> lineHash;
    lineArray.clear();
    // Code 0 stays unused so that no real line is written as a NUL.
    lineArray.append(QStringLiteral(""));
    // A line is one 16-bit code: text1 may fill the table up to 40,000 lines so
    // that text2 keeps room for its own; past the limit the rest of a text is
    // one last line, so codes never wrap and the result still rebuilds both.
    const QString chars1 = mungeLines(text1, lineArray, lineHash, 40000);
    const QString chars2 = mungeLines(text2, lineArray, lineHash, 65535);
    return QStringList{chars1, chars2};
}

QString DiffMatchPatch::diff_linesToCharsMunge(const QString& text, QStringList& lineArray,
                                               QMap<QString, int>& lineHash)
{
    return mungeLines(text, lineArray, lineHash, 65535);
}

QString DiffMatchPatch::mungeLines(const QString& text, QStringList& lineArray, QMap<QString, int>& lineHash,
                                   int maxLines)
{
    int lineStart = 0;
    int lineEnd = -1;
    QString chars = QStringLiteral("");
    while (lineEnd < text.length() - 1) {
        lineEnd = text.indexOf(QLatin1Char('\n'), lineStart);
        if (lineEnd == -1 || lineArray.size() >= maxLines)
            lineEnd = text.length() - 1;
        const QString line = safeMid(text, lineStart, lineEnd + 1 - lineStart);
        lineStart = lineEnd + 1;
        auto it = lineHash.constFind(line);
        if (it != lineHash.constEnd()) {
            chars += QChar(static_cast<ushort>(it.value()));
        } else {
            lineArray.append(line);
            lineHash.insert(line, lineArray.size() - 1);
            chars += QChar(static_cast<ushort>(lineArray.size() - 1));
        }
    }
    return chars;
}

void DiffMatchPatch::diff_charsToLines(QList<Diff>& diffs, const QStringList& lineArray)
{
    for (Diff& d : diffs) {
        QString text = QStringLiteral("");
        for (const QChar c : qAsConst(d.text))
            text += lineArray.value(c.unicode());
        d.text = text;
    }
}

QList<Diff> DiffMatchPatch::diff_bisect(const QString& text1, const QString& text2, qint64 deadline)
{
    const int len1 = text1.length();
    const int len2 = text2.length();
    const int maxD = (len1 + len2 + 1) / 2;
    const int vOffset = maxD;
    const int vLength = 2 * maxD;
    std::vector<int> v1(static_cast<size_t>(vLength), -1);
    std::vector<int> v2(static_cast<size_t>(vLength), -1);
    v1[vOffset + 1] = 0;
    v2[vOffset + 1] = 0;
    const int delta = len1 - len2;
    // With an odd delta the forward path meets the reverse one, else the reverse the forward.
    const bool front = (delta % 2 != 0);
    int k1start = 0;
    int k1end = 0;
    int k2start = 0;
    int k2end = 0;
    for (int d = 0; d < maxD; ++d) {
        if (nowMs() > deadline)
            break;

        for (int k1 = -d + k1start; k1 <= d - k1end; k1 += 2) {
            const int k1Offset = vOffset + k1;
            int x1;
            if (k1 == -d || (k1 != d && v1[k1Offset - 1] < v1[k1Offset + 1]))
                x1 = v1[k1Offset + 1];
            else
                x1 = v1[k1Offset - 1] + 1;
            int y1 = x1 - k1;
            while (x1 < len1 && y1 < len2 && text1.at(x1) == text2.at(y1)) {
                ++x1;
                ++y1;
            }
            v1[k1Offset] = x1;
            if (x1 > len1) {
                k1end += 2;
            } else if (y1 > len2) {
                k1start += 2;
            } else if (front) {
                const int k2Offset = vOffset + delta - k1;
                if (k2Offset >= 0 && k2Offset < vLength && v2[k2Offset] != -1) {
                    const int x2 = len1 - v2[k2Offset];
                    if (x1 >= x2)
                        return diff_bisectSplit(text1, text2, x1, y1, deadline);
                }
            }
        }

        for (int k2 = -d + k2start; k2 <= d - k2end; k2 += 2) {
            const int k2Offset = vOffset + k2;
            int x2;
            if (k2 == -d || (k2 != d && v2[k2Offset - 1] < v2[k2Offset + 1]))
                x2 = v2[k2Offset + 1];
            else
                x2 = v2[k2Offset - 1] + 1;
            int y2 = x2 - k2;
            while (x2 < len1 && y2 < len2 && text1.at(len1 - x2 - 1) == text2.at(len2 - y2 - 1)) {
                ++x2;
                ++y2;
            }
            v2[k2Offset] = x2;
            if (x2 > len1) {
                k2end += 2;
            } else if (y2 > len2) {
                k2start += 2;
            } else if (!front) {
                const int k1Offset = vOffset + delta - k2;
                if (k1Offset >= 0 && k1Offset < vLength && v1[k1Offset] != -1) {
                    const int x1 = v1[k1Offset];
                    const int y1 = vOffset + x1 - k1Offset;
                    if (x1 >= len1 - x2)
                        return diff_bisectSplit(text1, text2, x1, y1, deadline);
                }
            }
        }
    }
    QList<Diff> diffs;
    diffs.append(Diff(DELETE, text1));
    diffs.append(Diff(INSERT, text2));
    return diffs;
}

QList<Diff> DiffMatchPatch::diff_bisectSplit(const QString& text1, const QString& text2, int x, int y,
                                             qint64 deadline)
{
    QList<Diff> diffs = diff_main(leftOf(text1, x), leftOf(text2, y), false, deadline);
    diffs += diff_main(safeMid(text1, x), safeMid(text2, y), false, deadline);
    return diffs;
}

int DiffMatchPatch::diff_commonPrefix(const QString& text1, const QString& text2)
{
    const int n = qMin(text1.length(), text2.length());
    for (int i = 0; i < n; ++i) {
        if (text1.at(i) != text2.at(i))
            return i;
    }
    return n;
}

int DiffMatchPatch::diff_commonSuffix(const QString& text1, const QString& text2)
{
    const int len1 = text1.length();
    const int len2 = text2.length();
    const int n = qMin(len1, len2);
    for (int i = 1; i <= n; ++i) {
        if (text1.at(len1 - i) != text2.at(len2 - i))
            return i - 1;
    }
    return n;
}

int DiffMatchPatch::diff_commonOverlap(const QString& text1, const QString& text2)
{
    const int len1 = text1.length();
    const int len2 = text2.length();
    if (len1 == 0 || len2 == 0)
        return 0;
    QString a = text1;
    QString b = text2;
    if (len1 > len2)
        a = rightOf(text1, len2);
    else if (len1 < len2)
        b = leftOf(text2, len1);
    const int textLength = qMin(len1, len2);
    if (a == b)
        return textLength;

    int best = 0;
    int length = 1;
    while (true) {
        const QString pattern = rightOf(a, length);
        const int found = b.indexOf(pattern);
        if (found == -1)
            return best;
        length += found;
        if (found == 0 || rightOf(a, length) == leftOf(b, length)) {
            best = length;
            ++length;
        }
    }
}

void DiffMatchPatch::diff_cleanupSemantic(QList<Diff>& diffs)
{
    if (diffs.isEmpty())
        return;
    bool changes = false;
    QList<int> equalities;  // indices of equalities, the top last
    QString lastEquality;
    bool hasLastEquality = false;
    int lengthInsertions1 = 0;
    int lengthDeletions1 = 0;
    int lengthInsertions2 = 0;
    int lengthDeletions2 = 0;
    int pointer = 0;
    while (pointer < diffs.size()) {
        const Diff& d = diffs.at(pointer);
        if (d.operation == EQUAL) {
            equalities.append(pointer);
            lengthInsertions1 = lengthInsertions2;
            lengthDeletions1 = lengthDeletions2;
            lengthInsertions2 = 0;
            lengthDeletions2 = 0;
            lastEquality = d.text;
            hasLastEquality = true;
        } else {
            if (d.operation == INSERT)
                lengthInsertions2 += d.text.length();
            else
                lengthDeletions2 += d.text.length();
            if (hasLastEquality && lastEquality.length() <= qMax(lengthInsertions1, lengthDeletions1)
                && lastEquality.length() <= qMax(lengthInsertions2, lengthDeletions2)) {
                const int at = equalities.last();
                diffs.insert(at, Diff(DELETE, lastEquality));
                diffs[at + 1].operation = INSERT;
                equalities.removeLast();
                if (!equalities.isEmpty())
                    equalities.removeLast();
                lengthInsertions1 = lengthDeletions1 = lengthInsertions2 = lengthDeletions2 = 0;
                hasLastEquality = false;
                changes = true;
                // Read the equality now on top again (or start over).
                if (equalities.isEmpty()) {
                    pointer = 0;
                } else {
                    pointer = equalities.last();
                    equalities.removeLast();
                }
                continue;
            }
        }
        ++pointer;
    }

    if (changes)
        diff_cleanupMerge(diffs);
    diff_cleanupSemanticLossless(diffs);

    // Overlaps between a deletion and the insertion after it.
    pointer = 1;
    while (pointer < diffs.size()) {
        if (diffs.at(pointer - 1).operation == DELETE && diffs.at(pointer).operation == INSERT) {
            const QString deletion = diffs.at(pointer - 1).text;
            const QString insertion = diffs.at(pointer).text;
            const int overlap1 = diff_commonOverlap(deletion, insertion);
            const int overlap2 = diff_commonOverlap(insertion, deletion);
            if (overlap1 >= overlap2) {
                if (overlap1 >= deletion.length() * 0.5 || overlap1 >= insertion.length() * 0.5) {
                    diffs.insert(pointer, Diff(EQUAL, leftOf(insertion, overlap1)));
                    diffs[pointer - 1].text = leftOf(deletion, deletion.length() - overlap1);
                    diffs[pointer + 1].text = safeMid(insertion, overlap1);
                    ++pointer;
                }
            } else if (overlap2 >= deletion.length() * 0.5 || overlap2 >= insertion.length() * 0.5) {
                diffs.insert(pointer, Diff(EQUAL, leftOf(deletion, overlap2)));
                diffs[pointer - 1] = Diff(INSERT, leftOf(insertion, insertion.length() - overlap2));
                diffs[pointer + 1] = Diff(DELETE, safeMid(deletion, overlap2));
                ++pointer;
            }
            ++pointer;
        }
        ++pointer;
    }
}

void DiffMatchPatch::diff_cleanupSemanticLossless(QList<Diff>& diffs)
{
    int pointer = 1;
    while (pointer < diffs.size() - 1) {
        if (diffs.at(pointer - 1).operation == EQUAL && diffs.at(pointer + 1).operation == EQUAL) {
            QString equality1 = diffs.at(pointer - 1).text;
            QString edit = diffs.at(pointer).text;
            QString equality2 = diffs.at(pointer + 1).text;

            const int commonOffset = diff_commonSuffix(equality1, edit);
            if (commonOffset > 0) {
                const QString common = safeMid(edit, edit.length() - commonOffset);
                equality1 = leftOf(equality1, equality1.length() - commonOffset);
                edit = common + leftOf(edit, edit.length() - commonOffset);
                equality2 = common + equality2;
            }

            QString bestEquality1 = equality1;
            QString bestEdit = edit;
            QString bestEquality2 = equality2;
            int bestScore = diff_cleanupSemanticScore(equality1, edit) + diff_cleanupSemanticScore(edit, equality2);
            while (!edit.isEmpty() && !equality2.isEmpty() && edit.at(0) == equality2.at(0)) {
                equality1 += edit.at(0);
                edit = safeMid(edit, 1) + equality2.at(0);
                equality2 = safeMid(equality2, 1);
                const int score = diff_cleanupSemanticScore(equality1, edit) + diff_cleanupSemanticScore(edit, equality2);
                // >= so that edits end on trailing rather than leading white space.
                if (score >= bestScore) {
                    bestScore = score;
                    bestEquality1 = equality1;
                    bestEdit = edit;
                    bestEquality2 = equality2;
                }
            }

            if (diffs.at(pointer - 1).text != bestEquality1) {
                if (!bestEquality1.isEmpty()) {
                    diffs[pointer - 1].text = bestEquality1;
                } else {
                    diffs.removeAt(pointer - 1);
                    --pointer;
                }
                diffs[pointer].text = bestEdit;
                if (!bestEquality2.isEmpty()) {
                    diffs[pointer + 1].text = bestEquality2;
                } else {
                    diffs.removeAt(pointer + 1);
                    --pointer;
                }
            }
        }
        ++pointer;
    }
}

int DiffMatchPatch::diff_cleanupSemanticScore(const QString& one, const QString& two)
{
    if (one.isEmpty() || two.isEmpty())
        return 6;
    const QChar char1 = one.at(one.length() - 1);
    const QChar char2 = two.at(0);
    const bool nonAlphaNumeric1 = !char1.isLetterOrNumber();
    const bool nonAlphaNumeric2 = !char2.isLetterOrNumber();
    const bool whitespace1 = nonAlphaNumeric1 && char1.isSpace();
    const bool whitespace2 = nonAlphaNumeric2 && char2.isSpace();
    const bool lineBreak1 = whitespace1 && char1.category() == QChar::Other_Control;
    const bool lineBreak2 = whitespace2 && char2.category() == QChar::Other_Control;
    const bool blankLine1 = lineBreak1 && blankLineEnd().match(one).hasMatch();
    const bool blankLine2 = lineBreak2 && blankLineStart().match(two).hasMatch();

    if (blankLine1 || blankLine2)
        return 5;
    if (lineBreak1 || lineBreak2)
        return 4;
    if (nonAlphaNumeric1 && !whitespace1 && whitespace2)
        return 3;
    if (whitespace1 || whitespace2)
        return 2;
    if (nonAlphaNumeric1 || nonAlphaNumeric2)
        return 1;
    return 0;
}

void DiffMatchPatch::diff_cleanupMerge(QList<Diff>& diffs)
{
    diffs.append(Diff(EQUAL, QStringLiteral("")));
    int pointer = 0;
    int countDelete = 0;
    int countInsert = 0;
    QString textDelete = QStringLiteral("");
    QString textInsert = QStringLiteral("");
    while (pointer < diffs.size()) {
        const Operation op = diffs.at(pointer).operation;
        if (op == INSERT) {
            ++countInsert;
            textInsert += diffs.at(pointer).text;
            ++pointer;
            continue;
        }
        if (op == DELETE) {
            ++countDelete;
            textDelete += diffs.at(pointer).text;
            ++pointer;
            continue;
        }
        if (countDelete + countInsert > 1) {
            if (countDelete != 0 && countInsert != 0) {
                int common = diff_commonPrefix(textInsert, textDelete);
                if (common != 0) {
                    const int before = pointer - countDelete - countInsert - 1;
                    if (before >= 0) {
                        if (diffs.at(before).operation != EQUAL)
                            throw DiffError(QStringLiteral("Previous diff should have been an equality."));
                        diffs[before].text += leftOf(textInsert, common);
                    } else {
                        diffs.prepend(Diff(EQUAL, leftOf(textInsert, common)));
                        ++pointer;
                    }
                    textInsert = safeMid(textInsert, common);
                    textDelete = safeMid(textDelete, common);
                }
                common = diff_commonSuffix(textInsert, textDelete);
                if (common != 0) {
                    diffs[pointer].text = safeMid(textInsert, textInsert.length() - common) + diffs.at(pointer).text;
                    textInsert = leftOf(textInsert, textInsert.length() - common);
                    textDelete = leftOf(textDelete, textDelete.length() - common);
                }
            }
            const int n = countDelete + countInsert;
            pointer -= n;
            for (int k = 0; k < n; ++k)
                diffs.removeAt(pointer);
            if (!textDelete.isEmpty()) {
                diffs.insert(pointer, Diff(DELETE, textDelete));
                ++pointer;
            }
            if (!textInsert.isEmpty()) {
                diffs.insert(pointer, Diff(INSERT, textInsert));
                ++pointer;
            }
            ++pointer;
        } else if (pointer != 0 && diffs.at(pointer - 1).operation == EQUAL) {
            diffs[pointer - 1].text += diffs.at(pointer).text;
            diffs.removeAt(pointer);
        } else {
            ++pointer;
        }
        countInsert = 0;
        countDelete = 0;
        textDelete = QStringLiteral("");
        textInsert = QStringLiteral("");
    }
    if (!diffs.isEmpty() && diffs.last().text.isEmpty())
        diffs.removeLast();

    // Single edits between equalities shifted sideways to swallow one of them.
    bool changes = false;
    pointer = 1;
    while (pointer < diffs.size() - 1) {
        if (diffs.at(pointer - 1).operation == EQUAL && diffs.at(pointer + 1).operation == EQUAL) {
            const QString previous = diffs.at(pointer - 1).text;
            const QString next = diffs.at(pointer + 1).text;
            const QString edit = diffs.at(pointer).text;
            if (edit.endsWith(previous)) {
                diffs[pointer].text = previous + leftOf(edit, edit.length() - previous.length());
                diffs[pointer + 1].text = previous + next;
                diffs.removeAt(pointer - 1);
                changes = true;
            } else if (edit.startsWith(next)) {
                diffs[pointer - 1].text = previous + next;
                diffs[pointer].text = safeMid(edit, next.length()) + next;
                diffs.removeAt(pointer + 1);
                changes = true;
            }
        }
        ++pointer;
    }
    if (changes)
        diff_cleanupMerge(diffs);
}

QString DiffMatchPatch::diff_text1(const QList<Diff>& diffs)
{
    QString text;
    for (const Diff& d : diffs)
        if (d.operation != INSERT)
            text += d.text;
    return text;
}

QString DiffMatchPatch::diff_text2(const QList<Diff>& diffs)
{
    QString text;
    for (const Diff& d : diffs)
        if (d.operation != DELETE)
            text += d.text;
    return text;
}
