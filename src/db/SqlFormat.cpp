#include "SqlFormat.h"

#include "common/Utility.h"

#include <QDebug>
#include <QRegularExpression>

SqlArg::SqlArg(int value) : m_literal(QString::number(value)) {}

SqlArg::SqlArg(uint value) : m_literal(QString::number(value)) {}

SqlArg::SqlArg(qint64 value) : m_literal(QString::number(value)) {}

SqlArg::SqlArg(double value) : m_literal(QString::number(value, 'g', 17)) {}

SqlArg::SqlArg(const QString& text)
    : m_literal(QLatin1Char('\'') + sqlEscape(text) + QLatin1Char('\''))
{
}

SqlArg SqlArg::name(const QString& identifier)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    SqlArg arg;
    arg.m_valid = plain.match(identifier).hasMatch();
    if (arg.m_valid)
        arg.m_literal = identifier;
    return arg;
}

QString sqlFormat(const QString& pattern, const QVector<SqlArg>& args)
{
    for (int i = 0; i < args.size(); ++i) {
        if (!args.at(i).isValid()) {
            qWarning() << "sql name refused at position" << i + 1 << "in" << pattern;
            return QString();
        }
    }
    QString out;
    out.reserve(pattern.size() + 64);
    const int n = pattern.size();
    int i = 0;
    while (i < n) {
        const QChar c = pattern.at(i);
        if (c != QLatin1Char('%') || i + 1 >= n || !pattern.at(i + 1).isDigit()) {
            out += c;
            ++i;
            continue;
        }
        int number = pattern.at(i + 1).digitValue();
        int length = 2;
        if (i + 2 < n && pattern.at(i + 2).isDigit()) {
            const int twoDigits = number * 10 + pattern.at(i + 2).digitValue();
            if (twoDigits <= args.size()) {
                number = twoDigits;
                length = 3;
            }
        }
        if (number < 1 || number > args.size()) {
            qWarning() << "sql placeholder %" << number << "has no value in" << pattern;
            return QString();
        }
        out += args.at(number - 1).literal();
        i += length;
    }
    return out;
}

QString sqlFormat(const QString& pattern, std::initializer_list<SqlArg> args)
{
    return sqlFormat(pattern, QVector<SqlArg>(args));
}
