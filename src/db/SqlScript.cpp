#include "SqlScript.h"

#include <QRegularExpression>

namespace {

enum class Lexeme { Code, SingleQuote, DoubleQuote, BackQuote, Bracket, LineComment, BlockComment };

// A trigger body holds statements of its own; its ";" only ends the whole
// statement after the closing END.
bool insideTriggerBody(const QString& code)
{
    static const QRegularExpression trigger(
        QStringLiteral("^\\s*CREATE\\s+(TEMP\\s+|TEMPORARY\\s+)?TRIGGER\\b"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression endWord(QStringLiteral("\\bEND\\s*$"),
                                            QRegularExpression::CaseInsensitiveOption);
    return trigger.match(code).hasMatch() && !endWord.match(code).hasMatch();
}

}

QStringList splitSqlScript(const QString& script)
{
    QString text = script;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));

    QStringList statements;
    QString current;  // the statement as written
    QString code;     // the same without comments and with quoted parts blanked
    bool hasCode = false;
    bool endsInLineComment = false;  // the closing ";" must not join the comment
    Lexeme state = Lexeme::Code;

    const int n = text.size();
    for (int i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        const QChar next = i + 1 < n ? text.at(i + 1) : QChar();
        switch (state) {
        case Lexeme::Code:
            if (c == QLatin1Char(';')) {
                if (insideTriggerBody(code)) {
                    current += c;
                    code += c;
                    break;
                }
                if (hasCode)
                    statements.append(current.trimmed()
                                      + QLatin1String(endsInLineComment ? "\n;" : ";"));
                current.clear();
                code.clear();
                hasCode = false;
                endsInLineComment = false;
                break;
            }
            if (c == QLatin1Char('-') && next == QLatin1Char('-')) {
                state = Lexeme::LineComment;
            } else if (c == QLatin1Char('/') && next == QLatin1Char('*')) {
                state = Lexeme::BlockComment;
                current += c;
                current += next;
                ++i;
                break;
            } else if (c == QLatin1Char('\'')) {
                state = Lexeme::SingleQuote;
            } else if (c == QLatin1Char('"')) {
                state = Lexeme::DoubleQuote;
            } else if (c == QLatin1Char('`')) {
                state = Lexeme::BackQuote;
            } else if (c == QLatin1Char('[')) {
                state = Lexeme::Bracket;
            }
            current += c;
            if (state == Lexeme::Code) {
                code += c;
                if (!c.isSpace()) {
                    hasCode = true;
                    endsInLineComment = false;
                }
            } else if (state != Lexeme::LineComment) {
                code += QLatin1Char(' ');
                hasCode = true;
                endsInLineComment = false;
            }
            break;
        case Lexeme::SingleQuote:
        case Lexeme::DoubleQuote:
        case Lexeme::BackQuote: {
            current += c;
            const QChar quote = state == Lexeme::SingleQuote ? QLatin1Char('\'')
                : state == Lexeme::DoubleQuote               ? QLatin1Char('"')
                                                             : QLatin1Char('`');
            if (c == quote) {
                // A doubled quote stands for itself and stays inside.
                if (next == quote) {
                    current += next;
                    ++i;
                } else {
                    state = Lexeme::Code;
                }
            }
            break;
        }
        case Lexeme::Bracket:
            current += c;
            if (c == QLatin1Char(']'))
                state = Lexeme::Code;
            break;
        case Lexeme::LineComment:
            current += c;
            if (c == QLatin1Char('\n')) {
                state = Lexeme::Code;
                code += c;
                endsInLineComment = true;
            }
            break;
        case Lexeme::BlockComment:
            current += c;
            if (c == QLatin1Char('*') && next == QLatin1Char('/')) {
                current += next;
                ++i;
                state = Lexeme::Code;
                code += QLatin1Char(' ');
            }
            break;
        }
    }
    if (hasCode)
        statements.append(current.trimmed()
                          + QLatin1String(endsInLineComment || state == Lexeme::LineComment ? "\n;" : ";"));
    return statements;
}
