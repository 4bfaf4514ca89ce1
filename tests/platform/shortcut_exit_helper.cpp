// A client that holds the system-wide hot key the way the running program
// does, in the window manager's singleton, and then leaves main normally:
// the shortcut is released while the process's statics are destroyed.

#include "manager/CUiManager.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (!CUiManager::instance()->setBoosKey(QStringLiteral("Ctrl+Alt+F11")))
        return 3;
    std::puts("held");
    std::fflush(stdout);
    return 0;
}
