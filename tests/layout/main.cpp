// Every window of the client, as an author on a Chinese desktop sees it: the
// settings file holds the scale the author's screen asks for, and the look
// comes from the program's own start-up.

#include "AreaMain.h"

#include "platform/ProgramPath.h"
#include "ui/common/StartupLook.h"

#include <QSettings>

int runEveryWindowFitsTests(int argc, char** argv);

namespace {
// Each key with the variable CTest sets for the screen the run stands for.
const struct {
    const char* key;
    const char* variable;
} kScaleKeys[] = {{"system/dpiScale", "LAYOUT_DPI_SCALE"}, {"system/rheight", "LAYOUT_RHEIGHT"}};

// The settings file lies beside the executables and other tests start the
// program with it; the scale keys are put back as they were.
class ScaleKeys
{
public:
    explicit ScaleKeys(const char* argv0) : m_path(ProgramPath::settingsFile(argv0))
    {
        QSettings settings(m_path, QSettings::IniFormat);
        for (const auto& k : kScaleKeys) {
            m_before.append(settings.value(QLatin1String(k.key)));
            const QByteArray value = qgetenv(k.variable);
            if (!value.isEmpty())
                settings.setValue(QLatin1String(k.key), QString::fromLatin1(value));
        }
    }
    ~ScaleKeys()
    {
        QSettings settings(m_path, QSettings::IniFormat);
        int i = 0;
        for (const auto& k : kScaleKeys) {
            const QVariant before = m_before.at(i++);
            if (before.isValid())
                settings.setValue(QLatin1String(k.key), before);
            else
                settings.remove(QLatin1String(k.key));
        }
    }

private:
    QString m_path;
    QVariantList m_before;
};
} // namespace

int main(int argc, char** argv)
{
    ScaleKeys keys(argv[0]);
    StartupLook::beforeApplication(argv[0]);
    return runArea(argc, argv, {runEveryWindowFitsTests}, Catalogue::Program, StartupLook::apply);
}
