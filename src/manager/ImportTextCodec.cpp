#include "ImportTextCodec.h"

#include "common/Utility.h"

#include <QTextCodec>

namespace {

// Bytes decoded, or characters cleaned, between two looks at the stop
// request: a few milliseconds of work each.
constexpr int kPiece = 1 << 20;

bool stopRequested(const std::function<bool()>& stopped)
{
    return stopped && stopped();
}

// Decodes the whole buffer a piece at a time; false when a sequence is
// invalid or incomplete, or when a stop came (*wasStopped).
bool decodeStrict(const char* codecName, const QByteArray& bytes, int offset, QString& text,
                  const std::function<bool()>& stopped, bool* wasStopped, int* invalidChars = nullptr)
{
    text.clear();
    QTextCodec* codec = QTextCodec::codecForName(codecName);
    if (codec == nullptr)
        return false;
    // The caller has already taken off a byte-order mark; a second one is
    // text. The state carries a sequence cut by a piece's end into the next.
    QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
    for (int at = offset; at < bytes.size(); at += kPiece) {
        if (stopRequested(stopped)) {
            *wasStopped = true;
            text.clear();
            return false;
        }
        text += codec->toUnicode(bytes.constData() + at, qMin(kPiece, bytes.size() - at), &state);
    }
    if (invalidChars)
        *invalidChars = state.invalidChars;
    return state.invalidChars == 0 && state.remainingChars == 0;
}

// Non-ASCII characters that decoded without error.
int validNonAscii(const QString& text)
{
    int count = 0;
    for (const QChar c : text) {
        if (c.unicode() > 0x7f && c != QChar::ReplacementCharacter)
            ++count;
    }
    return count;
}

// NUL characters, or more than one control character in a hundred, are no
// novel's text: a binary file that happened to decode.
bool looksBinary(const QString& text)
{
    int controls = 0;
    for (const QChar c : text) {
        const ushort u = c.unicode();
        if (u == 0)
            return true;
        if (u < 0x20 && u != '\n' && u != '\r' && u != '\t' && u != '\f' && u != '\v')
            ++controls;
    }
    return controls > 0 && controls * 100 > text.size();
}

void normaliseLineEnds(QString& text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
}

// CRLF and lone CR become LF, and the few control characters a text file may
// carry (they would show as boxes) go, a piece at a time; false when a stop
// came, the text then half cleaned.
bool cleanText(QString& text, const std::function<bool()>& stopped)
{
    QString clean;
    clean.reserve(text.size());
    for (int at = 0; at < text.size();) {
        if (stopRequested(stopped))
            return false;
        int n = qMin(kPiece, text.size() - at);
        // A CR LF pair stays in one piece.
        if (at + n < text.size() && text.at(at + n - 1) == QLatin1Char('\r'))
            ++n;
        QString piece = text.mid(at, n);
        normaliseLineEnds(piece);
        clean += withoutControlChars(piece);
        at += n;
    }
    text.swap(clean);
    return true;
}

} // namespace

bool decodeImportText(const QByteArray& bytes, QString& text, ImportEncoding* encoding,
                      const std::function<bool()>& stopped)
{
    text.clear();
    ImportEncoding found = ImportEncoding::None;
    bool ok = false;
    bool wasStopped = false;
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        found = ImportEncoding::Utf8;
        ok = decodeStrict("UTF-8", bytes, 3, text, stopped, &wasStopped);
    } else if (bytes.startsWith("\xFF\xFE")) {
        found = ImportEncoding::Utf16LE;
        ok = decodeStrict("UTF-16LE", bytes, 2, text, stopped, &wasStopped);
    } else if (bytes.startsWith("\xFE\xFF")) {
        found = ImportEncoding::Utf16BE;
        ok = decodeStrict("UTF-16BE", bytes, 2, text, stopped, &wasStopped);
    } else {
        int invalid = 0;
        found = ImportEncoding::Utf8;
        ok = decodeStrict("UTF-8", bytes, 0, text, stopped, &wasStopped, &invalid);
        // Mostly good UTF-8 with a few broken sequences is a damaged UTF-8
        // file: read as GB18030 it would come out as wrong characters.
        if (!ok && !wasStopped && validNonAscii(text) <= invalid) {
            found = ImportEncoding::Gb18030;
            ok = decodeStrict("GB18030", bytes, 0, text, stopped, &wasStopped);
        }
    }
    if (!ok || stopRequested(stopped) || looksBinary(text) || !cleanText(text, stopped)) {
        text.clear();
        found = ImportEncoding::None;
        ok = false;
    }
    if (encoding)
        *encoding = found;
    return ok;
}
