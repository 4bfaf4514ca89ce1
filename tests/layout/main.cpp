// Every window of the client, as an author on a Chinese desktop sees it: the
// settings file holds the scale the author's screen asks for (CTest gives it
// for each run), and the look comes from the program's own start-up.

#include "AreaMain.h"

#include "platform/ProgramPath.h"
#include "ui/common/StartupLook.h"

#include <QSettings>

int runEveryWindowFitsTests(int argc, char** argv);

int main(int argc, char** argv)
{
    const QString path = ProgramPath::settingsFile(argv[0]);
    const QStringList keys = {QStringLiteral("system/dpiScale"), QStringLiteral("system/rheight")};
    const QByteArray values[] = {qgetenv("LAYOUT_DPI_SCALE"), qgetenv("LAYOUT_RHEIGHT")};
    QVariantList before;
    {
        QSettings settings(path, QSettings::IniFormat);
        for (int i = 0; i < keys.size(); ++i) {
            before << settings.value(keys.at(i));
            if (!values[i].isEmpty())
                settings.setValue(keys.at(i), QString::fromLatin1(values[i]));
        }
    }
    StartupLook::beforeApplication(argv[0]);
    const int failures = runArea(argc, argv, {runEveryWindowFitsTests}, Catalogue::Program, StartupLook::apply);
    // Other tests start the program with this file.
    QSettings settings(path, QSettings::IniFormat);
    for (int i = 0; i < keys.size(); ++i) {
        if (before.at(i).isValid())
            settings.setValue(keys.at(i), before.at(i));
        else
            settings.remove(keys.at(i));
    }
    return failures;
}
