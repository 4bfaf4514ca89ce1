#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

// The encodings a text file for import may be in.
enum class ImportEncoding { None, Utf8, Utf16LE, Utf16BE, Gb18030 };

// Decodes the bytes of a text file: a byte-order mark names UTF-8 or UTF-16;
// without one the bytes must be valid UTF-8, else valid GB18030. Every
// sequence must be valid in the chosen encoding: a file that is none of them
// whole (binary data, broken sequences) gives false rather than a text with
// replacement characters or wrong characters. CRLF and lone CR line ends
// become LF; other control characters but tabs are dropped. stopped, when
// given, is asked between pieces of a megabyte: once it says so, the result
// is false with an empty text, as for a file that is no text.
bool decodeImportText(const QByteArray& bytes, QString& text,
                      ImportEncoding* encoding = nullptr,
                      const std::function<bool()>& stopped = {});
