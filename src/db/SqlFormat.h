#pragma once

#include <QString>
#include <QVariantList>
#include <QVector>

#include <initializer_list>

// One value for an SQL statement. Integers and reals are written as numbers,
// names (tables, columns) bare once they are checked to be plain identifiers,
// and texts either between single quotes after sqlEscape (sqlFormat) or as
// bound values (sqlBind).
class SqlArg
{
public:
    SqlArg(int value);
    SqlArg(uint value);
    SqlArg(qint64 value);
    SqlArg(double value);
    SqlArg(const QString& text);
    // A string literal is almost always a slip for a name or a QString.
    SqlArg(const char*) = delete;

    // A table or column name; anything but [A-Za-z_][A-Za-z0-9_]* is refused.
    static SqlArg name(const QString& identifier);

    QString literal() const;
    bool isValid() const { return m_valid; }
    bool isText() const { return m_isText; }
    // The text itself for a text, the literal for anything else.
    const QString& value() const { return m_value; }

private:
    SqlArg() = default;
    QString m_value;
    bool m_isText = false;
    bool m_valid = true;
};

// Fills %1..%99 of the pattern with the values in a single pass, so a value
// that itself contains "%1" is never substituted again. "%12" means the
// twelfth value when there are at least twelve, otherwise "%1" then "2".
// A placeholder without a value, or an invalid name, yields the empty text
// (which no database accepts) and a warning.
QString sqlFormat(const QString& pattern, const QVector<SqlArg>& args);
QString sqlFormat(const QString& pattern, std::initializer_list<SqlArg> args);

// A statement whose texts travel beside it as bound values. Whatever a text
// holds (quotes, U+0000, a megabyte of prose) it can never break the
// statement, and it is not copied into the statement's own text.
struct SqlStatement
{
    // Texts stand as "?", in the order of the values.
    QString text;
    QVariantList values;
    QString pattern;
    QVector<SqlArg> args;

    bool isEmpty() const { return text.isEmpty(); }
    // The statement with its texts written in, for a log line.
    QString shown() const { return sqlFormat(pattern, args); }
};

// As sqlFormat, with every text a bound value ("%8" used twice binds twice).
SqlStatement sqlBind(const QString& pattern, std::initializer_list<SqlArg> args);
