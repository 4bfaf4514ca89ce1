#pragma once

#include <QString>
#include <QVector>

#include <initializer_list>

// One value for an SQL statement text. Integers and reals are written as
// numbers, texts between single quotes after sqlEscape, and names (tables,
// columns) bare once they are checked to be plain identifiers.
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

    const QString& literal() const { return m_literal; }
    bool isValid() const { return m_valid; }

private:
    SqlArg() = default;
    QString m_literal;
    bool m_valid = true;
};

// Fills %1..%99 of the pattern with the values in a single pass, so a value
// that itself contains "%1" is never substituted again. "%12" means the
// twelfth value when there are at least twelve, otherwise "%1" then "2".
// A placeholder without a value, or an invalid name, yields the empty text
// (which no database accepts) and a warning.
QString sqlFormat(const QString& pattern, const QVector<SqlArg>& args);
QString sqlFormat(const QString& pattern, std::initializer_list<SqlArg> args);
