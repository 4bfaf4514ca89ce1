// The bookshelf as an author works it: the stand-in is started once, the
// client pointed at it, then each test class runs in turn.

#include "ShelfHelpers.h"

#include <QApplication>

int runShelfButtonsTests(int argc, char** argv);
int runBookInfoDialogTests(int argc, char** argv);

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    return runShelfTests(argc, argv, [](int c, char** v) {
        return runShelfButtonsTests(c, v) + runBookInfoDialogTests(c, v);
    });
}
