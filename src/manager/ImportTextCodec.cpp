#include "ImportTextCodec.h"

#include "common/Utility.h"

#include <QTextCodec>

namespace {

// Decodes the whole buffer; false when a sequence is invalid or incomplete.
bool decodeStrict(const char* codecName, const QByteArray& bytes, int offset, QString& text,
                  int* invalidChars = nullptr)
{
    QTextCodec* codec = QTextCodec::codecForName(codecName);
    if (codec == nullptr)
        return false;
    // The caller has already taken off a byte-order mark; a second one is text.
    QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
    text = codec->toUnicode(bytes.constData() + offset, bytes.size() - offset, &state);
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

} // namespace

bool decodeImportText(const QByteArray& bytes, QString& text, ImportEncoding* encoding)
{
    text.clear();
    ImportEncoding found = ImportEncoding::None;
    bool ok = false;
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        found = ImportEncoding::Utf8;
        ok = decodeStrict("UTF-8", bytes, 3, text);
    } else if (bytes.startsWith("\xFF\xFE")) {
        found = ImportEncoding::Utf16LE;
        ok = decodeStrict("UTF-16LE", bytes, 2, text);
    } else if (bytes.startsWith("\xFE\xFF")) {
        found = ImportEncoding::Utf16BE;
        ok = decodeStrict("UTF-16BE", bytes, 2, text);
    } else {
        int invalid = 0;
        found = ImportEncoding::Utf8;
        ok = decodeStrict("UTF-8", bytes, 0, text, &invalid);
        // Mostly good UTF-8 with a few broken sequences is a damaged UTF-8
        // file: read as GB18030 it would come out as wrong characters.
        if (!ok && validNonAscii(text) <= invalid) {
            found = ImportEncoding::Gb18030;
            ok = decodeStrict("GB18030", bytes, 0, text);
        }
    }
    if (!ok || looksBinary(text)) {
        text.clear();
        found = ImportEncoding::None;
        ok = false;
    } else {
        normaliseLineEnds(text);
        // The few control characters a text file may carry show as boxes.
        text = withoutControlChars(text);
    }
    if (encoding)
        *encoding = found;
    return ok;
}
