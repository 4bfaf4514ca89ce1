// The stand-in platform. Prints the port it listens on as the first line of
// its output, then serves until killed.
//
//   standin [--port N] [--no-device-welcome]
//
// N = 0 or absent: a free port. A machine an author uses for the first time
// gets change items bringing the author's books and memos, unless
// --no-device-welcome is given (tests that count requests exactly).

#include "Platform.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

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
    std::printf("%u\n", unsigned(chosen));
    std::fflush(stdout);
    return app.exec();
}
