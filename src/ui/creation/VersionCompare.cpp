#include "VersionCompare.h"

#include "common/DiffMatchPatch.h"
#include "manager/CUiManager.h"

#include <QElapsedTimer>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

namespace {

const QChar kIdeographicSpace(0x3000);

QString withoutLayoutCharacters(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c != QLatin1Char('\r') && c != QLatin1Char('\t') && c != kIdeographicSpace)
            out += c;
    }
    return out;
}

int kindOf(Operation operation)
{
    switch (operation) {
    case DELETE: return CompareRun::Deleted;
    case INSERT: return CompareRun::Inserted;
    case EQUAL: break;
    }
    return CompareRun::Unchanged;
}

} // namespace

namespace VersionCompare {

QColor colourOf(int kind)
{
    if (kind == CompareRun::Deleted)
        return QColor(0xff, 0x00, 0x00);
    if (kind == CompareRun::Inserted)
        return QColor(0x00, 0x00, 0xff);
    return QColor();
}

QVector<CompareRun> versionRuns(const QString& version)
{
    QVector<CompareRun> runs;
    for (const QString& paragraph : CUiManager::splitParagraphs(version)) {
        const QString text = paragraph.trimmed();
        runs.append(CompareRun{CompareRun::Unchanged, text, true});
    }
    return runs;
}

QVector<CompareRun> markedRuns(const QString& version, const QString& current)
{
    DiffMatchPatch engine;
    const QList<Diff> diffs = engine.diff_main(version.isNull() ? QStringLiteral("") : version,
                                               current.isNull() ? QStringLiteral("") : current, true);
    QVector<CompareRun> runs;
    runs.reserve(diffs.size() * 2);
    for (const Diff& diff : diffs) {
        const int kind = kindOf(diff.operation);
        const QString text = withoutLayoutCharacters(diff.text);
        int from = 0;
        bool newLine = false;
        while (true) {
            const int end = text.indexOf(QLatin1Char('\n'), from);
            const QString piece = text.mid(from, end < 0 ? -1 : end - from);
            if (newLine || !piece.isEmpty())
                runs.append(CompareRun{kind, piece, newLine});
            if (end < 0)
                break;
            from = end + 1;
            newLine = true;
        }
    }
    return runs;
}

ComparedVersion compare(const QString& version, const QString& current, int serial)
{
    ComparedVersion out;
    out.serial = serial;
    out.version = versionRuns(version);
    out.marked = markedRuns(version, current);
    return out;
}

int appendRuns(QTextDocument* document, const QVector<CompareRun>& runs, int from, const CompareStyle& style,
               bool paragraphs, int budgetMs)
{
    QElapsedTimer clock;
    clock.start();
    QTextBlockFormat first;
    first.setLeftMargin(style.margin);
    first.setRightMargin(style.margin);
    first.setTopMargin(style.margin);
    first.setBottomMargin(paragraphs ? style.margin : 0);
    first.setTextIndent(style.indent);
    first.setLineHeight(style.lineHeight, QTextBlockFormat::FixedHeight);
    // A later line of the marked text continues its one paragraph: no
    // spacing, no indent, four spaces in front instead.
    QTextBlockFormat next = first;
    if (!paragraphs) {
        next.setTopMargin(0);
        next.setTextIndent(0);
    }
    QTextCharFormat plain;
    plain.setProperty(QTextFormat::FontPixelSize, style.fontSize);
    const QString lineIndent(4, QChar(0x00A0));

    QTextCursor cursor(document);
    cursor.movePosition(QTextCursor::End);
    cursor.beginEditBlock();
    if (from == 0) {
        cursor.setBlockFormat(first);
        cursor.setBlockCharFormat(plain);
    }
    int i = from;
    for (; i < runs.size(); ++i) {
        if (budgetMs >= 0 && (i - from) % 64 == 63) {
            // A document a view shows lays out what was added when the edit
            // block closes: closed every few runs, that work counts too.
            cursor.endEditBlock();
            if (clock.elapsed() >= budgetMs) {
                cursor.beginEditBlock();
                break;
            }
            cursor.beginEditBlock();
        }
        const CompareRun& run = runs.at(i);
        QTextCharFormat format = plain;
        const QColor colour = colourOf(run.kind);
        if (colour.isValid())
            format.setForeground(colour);
        // The first paragraph goes into the document's first block; marked
        // text that starts with a line break starts with an empty line.
        if (run.startsLine && (i > 0 || !paragraphs)) {
            cursor.insertBlock(next, plain);
            if (!paragraphs)
                cursor.insertText(lineIndent, format);
        }
        cursor.insertText(run.text, format);
    }
    if (i >= runs.size() && !paragraphs) {
        QTextBlockFormat last = cursor.blockFormat();
        last.setBottomMargin(style.margin);
        cursor.setBlockFormat(last);
    }
    cursor.endEditBlock();
    return i;
}

} // namespace VersionCompare
