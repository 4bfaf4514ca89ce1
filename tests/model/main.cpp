#include "ModelDb.h"

#include <QCoreApplication>
#include <QStandardPaths>

int main(int argc, char** argv)
{
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication app(argc, argv);
    int failures = 0;
    failures += runModelBooks(argc, argv);
    failures += runModelBookWriters(argc, argv);
    failures += runModelNotes(argc, argv);
    failures += runModelUserData(argc, argv);
    failures += runModelSysData(argc, argv);
    failures += runModelPublic(argc, argv);
    return failures;
}
