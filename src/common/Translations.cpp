#include "common/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

bool installTranslations(QCoreApplication& app)
{
    bool complete = true;
    auto* ours = new QTranslator(&app);
    if (ours->load(QStringLiteral(":/res/client.qm")))
        app.installTranslator(ours);
    else
        complete = false;

    // qtbase carries the dialogs' and buttons' texts; the catalogue of the
    // Qt package this client runs on is the one that matches its dialogs.
    auto* qt = new QTranslator(&app);
    if (!qt->load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::location(QLibraryInfo::TranslationsPath)))
        return false;
    app.installTranslator(qt);
    return complete;
}
