// Feeds every kept corpus input to its fuzz target: the crashes once found
// and the seeds stay tests of the ordinary build. A failing input aborts the
// program after its name is printed.

#include "FuzzTarget.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMap>

#include <cstdio>

namespace {
QMap<QString, FuzzFunction>& targets()
{
    static QMap<QString, FuzzFunction> map;
    return map;
}
}

FuzzRegistration::FuzzRegistration(const char* name, FuzzFunction function)
{
    targets().insert(QString::fromLatin1(name), function);
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
        return 2;
    }
    const QDir root(QString::fromLocal8Bit(argv[1]));
    int inputs = 0;
    for (auto it = targets().constBegin(); it != targets().constEnd(); ++it) {
        const QDir folder(root.filePath(it.key()));
        QStringList names;
        for (const QString& name : folder.entryList(QDir::Files, QDir::Name))
            names << folder.filePath(name);
        // Seeds that already live in the source tree are read from there
        // rather than kept twice.
        if (it.key() == QLatin1String("sqlscript"))
            names << QStringLiteral(FUZZ_SQLSCRIPT_SEED);
        if (names.isEmpty()) {
            std::fprintf(stderr, "no corpus for %s in %s\n", qPrintable(it.key()), qPrintable(folder.path()));
            return 1;
        }
        for (const QString& name : names) {
            QFile file(name);
            if (!file.open(QIODevice::ReadOnly))
                return 1;
            const QByteArray bytes = file.readAll();
            std::fprintf(stderr, "%s: %s\n", qPrintable(it.key()), qPrintable(name));
            it.value()(reinterpret_cast<const uint8_t*>(bytes.constData()), static_cast<size_t>(bytes.size()));
            ++inputs;
        }
    }
    std::printf("%d inputs replayed through %d targets\n", inputs, static_cast<int>(targets().size()));
    return 0;
}
