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

QUrl communityUrl()
{
    const QUrl configured(QString::fromUtf8(qgetenv("TESSANE_COMMUNITY_URL")).trimmed());
    if (configured.isValid() && !configured.scheme().isEmpty())
        return configured;
    QUrl page = url();
    QString path = page.path();
    while (path.endsWith(QLatin1Char('/')))
        path.chop(1);
    page.setPath(path + QStringLiteral("/feedback"));
    page.setQuery(QString());
    return page;
}

}
