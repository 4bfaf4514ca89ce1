// A client that holds the system-wide hot key the way the running program
// does, in a singleton that outlives main, and then leaves main normally:
// the shortcut is released while the process's statics are destroyed. The
// singleton exists before the hot key is first taken, as the window manager
// does when it was asked for before any window could be built.

#include "common/QxtGlobalShortcut.h"

#include <QApplication>
#include <QObject>

#include <cstdio>

namespace {

class Keeper : public QObject
{
public:
    static Keeper& instance()
    {
        static Keeper keeper;
        return keeper;
    }
    bool take(const QKeySequence& sequence)
    {
        // A child: it goes when the keeper does, at exit.
        auto* key = new QxtGlobalShortcut(this);
        return key->setShortcut(sequence);
    }
};

}

int main(int argc, char** argv)
{
    Keeper::instance();
    QApplication app(argc, argv);
    if (!Keeper::instance().take(QKeySequence(QStringLiteral("Ctrl+Alt+F11"))))
        return 3;
    std::puts("held");
    std::fflush(stdout);
    return 0;
}
