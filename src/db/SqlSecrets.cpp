#include "SqlSecrets.h"

#include <QRegularExpression>
#include <QVector>

namespace {

const QString kMask = QStringLiteral("***");

struct Token {
    enum Kind { Word, Quoted, Text, Number, Symbol };
    Kind kind;
    int start;
    int length;
    QString text; // a word lower-cased, a quoted name or text value unquoted
};

// Splits the statement into words, quoted names, text values, numbers and
// symbols; whitespace and comments are dropped. An unterminated quote runs to
// the end, so a cut-off statement still has its value found.
QVector<Token> tokenize(const QString& sql)
{
    QVector<Token> tokens;
    const int n = sql.size();
    int i = 0;
    while (i < n) {
        const QChar c = sql.at(i);
        if (c.isSpace()) {
            ++i;
        } else if (c == QLatin1Char('-') && i + 1 < n && sql.at(i + 1) == QLatin1Char('-')) {
            while (i < n && sql.at(i) != QLatin1Char('\n'))
                ++i;
        } else if (c == QLatin1Char('/') && i + 1 < n && sql.at(i + 1) == QLatin1Char('*')) {
            const int end = sql.indexOf(QLatin1String("*/"), i + 2);
            i = end < 0 ? n : end + 2;
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('`')
                   || c == QLatin1Char('[')) {
            const QChar close = c == QLatin1Char('[') ? QLatin1Char(']') : c;
            QString value;
            int j = i + 1;
            while (j < n) {
                if (sql.at(j) == close) {
                    if (close != QLatin1Char(']') && j + 1 < n && sql.at(j + 1) == close) {
                        value += close;
                        j += 2;
                        continue;
                    }
                    ++j;
                    break;
                }
                value += sql.at(j++);
            }
            tokens.append({c == QLatin1Char('\'') ? Token::Text : Token::Quoted, i, j - i, value});
            i = j;
        } else if (c.isLetter() || c == QLatin1Char('_')) {
            int j = i + 1;
            while (j < n && (sql.at(j).isLetterOrNumber() || sql.at(j) == QLatin1Char('_')
                             || sql.at(j) == QLatin1Char('$')))
                ++j;
            tokens.append({Token::Word, i, j - i, sql.mid(i, j - i).toLower()});
            i = j;
        } else if (c.isDigit()) {
            int j = i + 1;
            while (j < n && (sql.at(j).isLetterOrNumber() || sql.at(j) == QLatin1Char('.')))
                ++j;
            tokens.append({Token::Number, i, j - i, sql.mid(i, j - i)});
            i = j;
        } else {
            int length = 1;
            if (i + 1 < n) {
                const QString two = sql.mid(i, 2);
                if (two == QLatin1String("==") || two == QLatin1String("!=")
                    || two == QLatin1String("<>") || two == QLatin1String("||"))
                    length = 2;
            }
            tokens.append({Token::Symbol, i, length, sql.mid(i, length)});
            i += length;
        }
    }
    return tokens;
}

bool isName(const Token& t)
{
    return t.kind == Token::Word || t.kind == Token::Quoted;
}

bool isSymbol(const Token& t, const char* symbol)
{
    return t.kind == Token::Symbol && t.text == QLatin1String(symbol);
}

bool isWord(const Token& t, const char* word)
{
    return t.kind == Token::Word && t.text == QLatin1String(word);
}

bool isComparison(const Token& t)
{
    if (t.kind == Token::Symbol)
        return t.text == QLatin1String("=") || t.text == QLatin1String("==")
               || t.text == QLatin1String("!=") || t.text == QLatin1String("<>");
    return t.kind == Token::Word
           && (t.text == QLatin1String("like") || t.text == QLatin1String("glob")
               || t.text == QLatin1String("is"));
}

// "insert [or ...] into name [(columns)] values (...)[, (...)]": marks the
// text values standing at the position of a secret column.
void markInsertValues(const QVector<Token>& tokens, QVector<bool>& secret)
{
    for (int i = 0; i < tokens.size(); ++i) {
        if (!isWord(tokens.at(i), "into"))
            continue;
        int j = i + 1;
        while (j < tokens.size() && (isName(tokens.at(j)) || isSymbol(tokens.at(j), ".")))
            ++j;
        if (j >= tokens.size() || !isSymbol(tokens.at(j), "("))
            continue;
        QVector<bool> secretColumn;
        for (++j; j < tokens.size() && !isSymbol(tokens.at(j), ")"); ++j) {
            if (isName(tokens.at(j)))
                secretColumn.append(isSecretSqlColumn(tokens.at(j).text));
        }
        if (j + 1 >= tokens.size() || !isWord(tokens.at(j + 1), "values"))
            continue;
        int depth = 0;
        int column = 0;
        for (j += 2; j < tokens.size(); ++j) {
            const Token& t = tokens.at(j);
            if (isSymbol(t, "(")) {
                if (depth++ == 0)
                    column = 0;
            } else if (isSymbol(t, ")")) {
                if (--depth < 0)
                    break;
            } else if (depth == 0 && !isSymbol(t, ",")) {
                break; // past the last row of values
            } else if (depth == 1 && isSymbol(t, ",")) {
                ++column;
            } else if (t.kind == Token::Text && column < secretColumn.size()
                       && secretColumn.at(column)) {
                secret[j] = true;
            }
        }
        i = j;
    }
}

} // namespace

bool isSecretSqlColumn(const QString& column)
{
    const QString name = column.toLower();
    return name.contains(QLatin1String("token")) || name.contains(QLatin1String("uniquecode"))
           || name.contains(QLatin1String("secret")) || name.endsWith(QLatin1String("pwd"))
           || name.endsWith(QLatin1String("passwd")) || name.endsWith(QLatin1String("password"));
}

QString maskSqlSecrets(const QString& statement, QStringList* masked)
{
    const QVector<Token> tokens = tokenize(statement);
    QVector<bool> secret(tokens.size(), false);
    for (int i = 2; i < tokens.size(); ++i) {
        if (tokens.at(i).kind == Token::Text && isComparison(tokens.at(i - 1))
            && isName(tokens.at(i - 2)) && isSecretSqlColumn(tokens.at(i - 2).text))
            secret[i] = true;
    }
    markInsertValues(tokens, secret);

    // Secret members of JSON documents stored as text values.
    static const QRegularExpression jsonSecret(
        QStringLiteral("(\"[A-Za-z_]*(?:token|uniquecode|unique_code|secret|pwd|passwd|password)\"\\s*:\\s*\")"
                       "((?:[^\"\\\\]|\\\\.)*)\""),
        QRegularExpression::CaseInsensitiveOption);

    QString out;
    out.reserve(statement.size());
    int copied = 0;
    for (int i = 0; i < tokens.size(); ++i) {
        const Token& t = tokens.at(i);
        if (t.kind != Token::Text)
            continue;
        out += statement.midRef(copied, t.start - copied);
        copied = t.start + t.length;
        if (secret.at(i)) {
            if (masked && !t.text.isEmpty())
                masked->append(t.text);
            out += QLatin1Char('\'') + kMask + QLatin1Char('\'');
            continue;
        }
        QString literal = statement.mid(t.start, t.length);
        QRegularExpressionMatchIterator it = jsonSecret.globalMatch(literal);
        QVector<QRegularExpressionMatch> matches;
        while (it.hasNext())
            matches.append(it.next());
        for (int m = matches.size() - 1; m >= 0; --m) {
            const QRegularExpressionMatch& match = matches.at(m);
            if (match.capturedLength(2) == 0)
                continue;
            if (masked)
                masked->append(match.captured(2));
            literal.replace(match.capturedStart(2), match.capturedLength(2), kMask);
        }
        out += literal;
    }
    out += statement.midRef(copied);
    return out;
}

QString scrubSecrets(QString text, const QStringList& secrets)
{
    for (const QString& secret : secrets) {
        if (!secret.isEmpty())
            text.replace(secret, kMask);
    }
    return text;
}
