#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <stdexcept>

// The kind of one edit: text only in the first text, only in the second, or in both.
enum Operation {
    DELETE = 0,
    INSERT = 1,
    EQUAL = 2,
};

// One edit of a diff result.
struct Diff
{
    Operation operation = EQUAL;
    QString text;

    Diff() = default;
    Diff(Operation op, const QString& t) : operation(op), text(t) {}
    bool operator==(const Diff& other) const { return operation == other.operation && text == other.text; }
    bool operator!=(const Diff& other) const { return !(*this == other); }
    QString toString() const;
};

// Bad input to the engine: a null text, or a list the merge cannot handle.
class DiffError : public std::runtime_error
{
public:
    explicit DiffError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    QString message() const { return m_message; }

private:
    QString m_message;
};

// Text differences: the list of edits that turns text1 into text2 (Myers'
// O(ND) bisection after prefix/suffix trimming, containment, half-match and a
// line-level pass for long texts), bounded by a deadline so that a comparison
// never blocks for more than Diff_Timeout seconds. Positions are UTF-16 units.
// A plain value object without shared state.
class DiffMatchPatch
{
public:
    // Seconds a top-level diff_main may take; 0 or less means no limit.
    float Diff_Timeout = 1.0f;

    QList<Diff> diff_main(const QString& text1, const QString& text2, bool checklines = true);
    QList<Diff> diff_main(const QString& text1, const QString& text2, bool checklines, qint64 deadline);

    QList<Diff> diff_compute(const QString& text1, const QString& text2, bool checklines, qint64 deadline);
    QStringList diff_halfMatch(const QString& text1, const QString& text2);
    QStringList diff_halfMatchI(const QString& longtext, const QString& shorttext, int i);
    QList<Diff> diff_lineMode(const QString& text1, const QString& text2, qint64 deadline);
    // Returns {chars1, chars2} and fills the line list (entry 0 an empty placeholder).
    QStringList diff_linesToChars(const QString& text1, const QString& text2, QStringList& lineArray);
    QString diff_linesToCharsMunge(const QString& text, QStringList& lineArray, QMap<QString, int>& lineHash);
    void diff_charsToLines(QList<Diff>& diffs, const QStringList& lineArray);
    QList<Diff> diff_bisect(const QString& text1, const QString& text2, qint64 deadline);
    QList<Diff> diff_bisectSplit(const QString& text1, const QString& text2, int x, int y, qint64 deadline);

    int diff_commonPrefix(const QString& text1, const QString& text2);
    int diff_commonSuffix(const QString& text1, const QString& text2);
    int diff_commonOverlap(const QString& text1, const QString& text2);

    void diff_cleanupSemantic(QList<Diff>& diffs);
    void diff_cleanupSemanticLossless(QList<Diff>& diffs);
    int diff_cleanupSemanticScore(const QString& one, const QString& two);
    void diff_cleanupMerge(QList<Diff>& diffs);

    // The first and the second text rebuilt from a diff list.
    static QString diff_text1(const QList<Diff>& diffs);
    static QString diff_text2(const QList<Diff>& diffs);

    // Substrings that are empty, never null, at the end of a text.
    static QString safeMid(const QString& str, int pos);
    static QString safeMid(const QString& str, int pos, int len);

    // Milliseconds on the process's monotonic clock.
    static qint64 nowMs();

private:
    // Encodes the lines of text; once the table holds maxLines
    // entries, the rest of the text becomes one line.
    QString mungeLines(const QString& text, QStringList& lineArray, QMap<QString, int>& lineHash, int maxLines);
};
