#include "ApiBase.h"

namespace ApiBase {

QString defaultUrl()
{
    return QStringLiteral("https://api.tessane.com");
}

QUrl url()
{
    static const QUrl base = []() {
        const QByteArray fromEnvironment = qgetenv("TESSANE_API_BASE");
        QUrl chosen = QUrl(QString::fromUtf8(fromEnvironment).trimmed());
        if (fromEnvironment.isEmpty() || !chosen.isValid() || chosen.scheme().isEmpty())
            chosen = QUrl(defaultUrl());
        return chosen;
    }();
    return base;
}

}
