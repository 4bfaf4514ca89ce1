#include "SqlFormat.h"

#include "common/Utility.h"

#include <QDebug>
#include <QRegularExpression>

SqlArg::SqlArg(int value) : m_value(QString::number(value)) {}

SqlArg::SqlArg(uint value) : m_value(QString::number(value)) {}

SqlArg::SqlArg(qint64 value) : m_value(QString::number(value)) {}

SqlArg::SqlArg(double value) : m_value(QString::number(value, 'g', 17)) {}

SqlArg::SqlArg(const QString& text) : m_value(text), m_isText(true) {}

SqlArg SqlArg::name(const QString& identifier)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    SqlArg arg;
    arg.m_valid = plain.match(identifier).hasMatch();
    if (arg.m_valid)
        arg.m_value = identifier;
    return arg;
}

QString SqlArg::literal() const
{
    return m_isText ? QLatin1Char('\'') + sqlEscape(m_value) + QLatin1Char('\'') : m_value;
}

namespace {

// The one pass behind sqlFormat and sqlBind: with values, texts become "?"
// and are appended there instead of being written in.
QString fillPlaceholders(const QString& pattern, const QVector<SqlArg>& args, QVariantList* values)
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
        const SqlArg& arg = args.at(number - 1);
        if (values != nullptr && arg.isText()) {
            out += QLatin1Char('?');
            // A null QString would be bound as NULL; a text is never NULL.
            values->append(arg.value().isNull() ? QStringLiteral("") : arg.value());
        } else {
            out += arg.literal();
        }
        i += length;
    }
    return out;
}

} // namespace

QString sqlFormat(const QString& pattern, const QVector<SqlArg>& args)
{
    return fillPlaceholders(pattern, args, nullptr);
}

QString sqlFormat(const QString& pattern, std::initializer_list<SqlArg> args)
{
    return sqlFormat(pattern, QVector<SqlArg>(args));
}

SqlStatement sqlBind(const QString& pattern, std::initializer_list<SqlArg> args)
{
    SqlStatement statement;
    statement.pattern = pattern;
    statement.args = QVector<SqlArg>(args);
    statement.text = fillPlaceholders(pattern, statement.args, &statement.values);
    if (statement.text.isEmpty())
        statement.values.clear();
    return statement;
}
