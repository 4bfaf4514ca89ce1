#include "CUiManager.h"

#include <QStringList>

void CUiManager::formatTextWith(const QString& text, QString& out, bool indent, bool blankLine)
{
    QString normalised = text;
    normalised.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    normalised.remove(QLatin1Char('\r'));
    normalised.remove(QLatin1Char('\t'));
    normalised.remove(QChar(0x3000));
    const QStringList parts = normalised.split(QLatin1Char('\n'));
    out.clear();
    const int n = parts.size();
    for (int i = 0; i < n; ++i) {
        const QString& part = parts.at(i);
        if (part.isEmpty())
            continue;
        if (indent)
            out += QString(2, QChar(0x3000));
        out += part;
        if (blankLine && i < n - 1)
            out += QLatin1Char('\n');
        if (i < n - 1)
            out += QLatin1Char('\n');
    }
}
