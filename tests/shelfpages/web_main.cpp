// The bookshelf's web pages and the boss key on a real X server.

#include "ShelfHelpers.h"

#include <QCoreApplication>

int runShelfWebPagesTests(int argc, char** argv);

int main(int argc, char** argv)
{
    // The web engine shares its rendering context with the widgets.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    return runArea(argc, argv, {runShelfWebPagesTests}, Catalogue::Program, shelfSetUp);
}
