#include "DbFixture.h"

#include <QCoreApplication>
#include <QStandardPaths>

int main(int argc, char** argv)
{
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication app(argc, argv);
    int failures = 0;
    failures += runDbTestSqlText(argc, argv);
    failures += runDbTestLifecycle(argc, argv);
    failures += runDbTestJobQueue(argc, argv);
    failures += runDbTestServerIds(argc, argv);
    failures += runDbTestStatistics(argc, argv);
    return failures;
}
