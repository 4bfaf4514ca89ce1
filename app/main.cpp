// The client's start-up, in order. Everything it calls lives in the library.

#include "Log/CLog.h"
#include "common/DPIAdapter.h"
#include "common/Translations.h"
#include "common/Utility.h"
#include "manager/CJobManager.h"
#include "manager/CUiManager.h"
#include "platform/CSingleApplication.h"
#include "platform/SessionEndSignals.h"
#include "remote/NetworkWarmUp.h"
#include "ui/common/StartupLook.h"

#include <QDateTime>
#include <QDebug>
#include <QSqlDatabase>
#include <QSslSocket>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    if (DPIAdapter::readIsDX(argv[0])) {
        std::printf("dx-----\n");
        QCoreApplication::setAttribute(Qt::AA_UseOpenGLES);
    }
    StartupLook::beforeApplication(argv[0]);
    QCoreApplication::setOrganizationName(QStringLiteral("Tessane"));
    QCoreApplication::setApplicationName(QStringLiteral("vellora-client"));

    CSingleApplication app(argc, argv);

    QString message = QStringLiteral("vellora-client");
    const QStringList arguments = app.arguments();
    const QString argument = arguments.size() > 1 ? arguments.at(1) : QString();
    qDebug() << argument;
    if (!argument.isEmpty())
        message = argument;

    if (app.isRunning()) {
        app.sendMessage(message, 5000);
        return 0;
    }

    QApplication::setQuitOnLastWindowClosed(false);
    qDebug() << "OpenSSL支持情况:" << QSslSocket::sslLibraryBuildVersionString()
             << QSslSocket::supportsSsl();
    qDebug() << QSqlDatabase::drivers();

    installTranslations(app);

    CLog::instance()->init(getLogDir() + QStringLiteral("/client_")
                           + QDateTime::currentDateTime().toString(QStringLiteral("yyyy_MM_dd_hh_mm_ss")) + QStringLiteral(".log"));

    NetworkWarmUp::start();

    StartupLook::apply();
    CUiManager::instance()->initTray();
    if (!CJobManager::instance()->init()) {
        CUiManager::showStartFailure(CJobManager::instance()->initErrorText());
        CUiManager::instance()->shutdown();
        return 1;
    }
    // A logout or shutdown of the session quits the way the tray's quit does;
    // only once there is a database to save into.
    SessionEndSignals sessionEnd;
    QObject::connect(&sessionEnd, &SessionEndSignals::endRequested, CUiManager::instance(),
                     &CUiManager::endSession);

    QObject::connect(&app, &CSingleApplication::messageReceived,
                     CUiManager::instance(), &CUiManager::activeWindows);
    app.exec();
    // The rest of the quit is the program's own to finish.
    SessionEndSignals::ignoreFromNowOn();
    CJobManager::instance()->saveUserData();
    return 0;
}
