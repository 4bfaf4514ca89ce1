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

QUrl warmUpUrl()
{
    const QString configured = QString::fromUtf8(qgetenv("TESSANE_WARMUP_URL")).trimmed();
    if (configured == QLatin1String("none"))
        return QUrl();
    const QUrl page(configured);
    if (!configured.isEmpty() && page.isValid() && !page.scheme().isEmpty())
        return page;
    return QUrl(QStringLiteral("about:blank"));
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
