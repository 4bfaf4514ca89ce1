// The stand-in platform. Prints the port it listens on as the first line of
// its output, then serves until killed.
//
//   standin [--port N] [--no-device-welcome] [--watch-parent [--parent-folder DIR]]
//
// N = 0 or absent: a free port. A machine an author uses for the first time
// gets change items bringing the author's books and memos, unless
// --no-device-welcome is given (tests that count requests exactly).
// --watch-parent: ends when its standard input closes, as it does when the
// process that started it through a pipe ends, however that ends; DIR, a
// folder of that process's, is removed then.

#include "Platform.h"

#include <QCoreApplication>
#include <QDir>
#include <QStringList>

#include <cstdio>
#include <thread>

namespace {
// The parent holds the pipe's other end, and the system closes it when the
// parent ends, a crash or a kill included: a test that dies leaves no
// server behind, nor the folder it would have removed itself.
void endWithParent(const QString& folder)
{
    std::thread([folder]() {
        char buffer[256];
        while (std::fread(buffer, 1, sizeof buffer, stdin) > 0) {
        }
        QMetaObject::invokeMethod(
            qApp,
            [folder]() {
                if (!folder.isEmpty())
                    QDir(folder).removeRecursively();
                QCoreApplication::quit();
            },
            Qt::QueuedConnection);
    }).detach();
}
}

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    quint16 port = 0;
    const QStringList arguments = app.arguments();
    const int at = arguments.indexOf(QStringLiteral("--port"));
    if (at >= 0 && at + 1 < arguments.size())
        port = quint16(arguments.at(at + 1).toUInt());

    Platform platform;
    platform.setWelcomeNewDevices(!arguments.contains(QStringLiteral("--no-device-welcome")));
    const quint16 chosen = platform.start(port);
    if (chosen == 0) {
        std::fprintf(stderr, "standin: cannot listen on 127.0.0.1:%u\n", unsigned(port));
        return 1;
    }
    if (arguments.contains(QStringLiteral("--watch-parent"))) {
        const int folderAt = arguments.indexOf(QStringLiteral("--parent-folder"));
        endWithParent(folderAt >= 0 && folderAt + 1 < arguments.size() ? arguments.at(folderAt + 1) : QString());
    }
    std::printf("%u\n", unsigned(chosen));
    std::fflush(stdout);
    return app.exec();
}
