#pragma once

#include <QColor>
#include <QString>
#include <QVector>

class QTextDocument;

// One stretch of text of a compared chapter in one colour: unchanged, only in
// the older version (deleted since) or only in the current text (inserted).
// startsLine: the stretch begins a new line of the view.
struct CompareRun
{
    enum Kind { Unchanged = 0, Deleted = 1, Inserted = 2 };
    int kind = Unchanged;
    QString text;
    bool startsLine = false;

    bool operator==(const CompareRun& other) const
    {
        return kind == other.kind && text == other.text && startsLine == other.startsLine;
    }
};

// What the time machine shows for one version: the version as paragraphs and
// the current text marked against it. Plain values, made on a worker thread
// for long chapters.
struct ComparedVersion
{
    int serial = 0;
    QVector<CompareRun> version;
    QVector<CompareRun> marked;
};

// The look of both panes, in pixels.
struct CompareStyle
{
    int fontSize = 14;
    int lineHeight = 24;
    int indent = 24;
    int margin = 10;
};

namespace VersionCompare {

// The version's paragraphs: one per non-empty line, carriage returns, tabs
// and ideographic spaces removed, trimmed.
QVector<CompareRun> versionRuns(const QString& version);

// The current text marked against the older version, from one diff and in
// one pass: deletions and insertions as their own runs, a line break of
// either text starting a new line (which the view indents by four spaces).
// Carriage returns, tabs and ideographic spaces are left out, as in the
// version pane. Texts stay text: markup characters are shown as typed.
QVector<CompareRun> markedRuns(const QString& version, const QString& current);

// Both, for one request.
ComparedVersion compare(const QString& version, const QString& current, int serial);

// Appends runs[from...] to a document in the given look until budgetMs
// passed (no limit below 0), the laying out of an attached document's new
// text included; returns the index of the first run not added.
// The version pane gives each line its own indented paragraph; the marked
// pane keeps the lines of one paragraph, its first line indented.
int appendRuns(QTextDocument* document, const QVector<CompareRun>& runs, int from, const CompareStyle& style,
               bool paragraphs, int budgetMs);

QColor colourOf(int kind);

} // namespace VersionCompare
