#include "common/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

QTranslator* installClientCatalogue(QCoreApplication& app)
{
    auto* ours = new QTranslator(&app);
    if (!ours->load(QStringLiteral(":/res/client.qm"))) {
        delete ours;
        return nullptr;
    }
    app.installTranslator(ours);
    return ours;
}

bool installQtCatalogue(QCoreApplication& app)
{
    // qtbase carries the dialogs' and buttons' texts; the catalogue of the
    // Qt package this client runs on is the one that matches its dialogs.
    auto* qt = new QTranslator(&app);
    if (!qt->load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::location(QLibraryInfo::TranslationsPath))) {
        delete qt;
        return false;
    }
    app.installTranslator(qt);
    return true;
}

bool installTranslations(QCoreApplication& app)
{
    const bool ours = installClientCatalogue(app) != nullptr;
    return installQtCatalogue(app) && ours;
}
