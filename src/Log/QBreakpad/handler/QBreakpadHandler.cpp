#include "QBreakpadHandler.h"

#include "Log/QBreakpad/handler/QBreakpadHttpUploader.h"
#include "common/PrivateFiles.h"
#include "remote/ApiBase.h"

#include <QAtomicInt>
#include <QAtomicPointer>
#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

namespace {
QAtomicInt g_creationState(0); // 0 none, 1 being created, 2 created
QAtomicPointer<QBreakpadHandler> g_instance;
}

QBreakpadHandler* QBreakpadHandler::instance()
{
    if (g_creationState.testAndSetOrdered(0, 1)) {
        // Never destroyed: a crash may still come after main() returns.
        g_instance.storeRelease(new QBreakpadHandler);
        g_creationState.storeRelease(2);
    } else {
        while (g_creationState.loadAcquire() != 2)
            QThread::yieldCurrentThread();
    }
    return g_instance.loadAcquire();
}

QBreakpadHandler::QBreakpadHandler() : QObject(nullptr) {}

void QBreakpadHandler::setDumpPath(const QString& path)
{
    QString folder = path;
    if (QFileInfo(path).isRelative())
        folder = QDir::cleanPath(QCoreApplication::applicationDirPath() + QLatin1Char('/') + path);
    PrivateFiles::makeFolder(folder);
    if (!QDir(folder).exists()) {
        qDebug("Failed to set dump path which not exists: %s", qPrintable(folder));
        return;
    }
    if (m_crashHandler && folder == m_dumpPath)
        return; // already handling crashes into this folder
    m_dumpPath = folder;
    m_crashHandler = new CrashHandler(folder, nullptr, &QBreakpadHandler::DumpCallback, nullptr,
                                      CrashHandler::HANDLER_ALL);
    updateNote();
}

QString QBreakpadHandler::dumpPath() const
{
    return m_dumpPath;
}

void QBreakpadHandler::setLogFile(const QString& path)
{
    m_logFile = path;
    updateNote();
}

void QBreakpadHandler::updateNote()
{
    if (!m_crashHandler)
        return;
    QByteArray note = "program: " + QCoreApplication::applicationName().toUtf8() + ' '
        + QCoreApplication::applicationVersion().toUtf8() + '\n';
    note += "log file: " + QFile::encodeName(m_logFile) + '\n';
    m_crashHandler->setNote(note);
}

QUrl QBreakpadHandler::uploadUrl()
{
    QUrl url = ApiBase::url();
    QString base = url.path();
    while (base.endsWith(QLatin1Char('/')))
        base.chop(1);
    url.setPath(base + QStringLiteral("/crash/uploadDump"));
    url.setQuery(QString());
    url.setFragment(QString());
    return url;
}

bool QBreakpadHandler::DumpCallback(const char* dumpPath, const char* minidumpId, void*,
                                    const CrashSignals::Crash*, bool succeeded)
{
    // Runs on the crash handler's thread while the crashed thread waits.
    const QString file = QFile::decodeName(dumpPath) + QLatin1Char('/') + QString::fromLatin1(minidumpId)
        + QStringLiteral(".dmp");
    qDebug("%s, dump path: %s\n", succeeded ? "Succeed to write minidump" : "Failed to write minidump",
           qPrintable(file));
    const QString reporter = instance()->m_reporter;
    if (succeeded && !reporter.isEmpty()) {
        const bool started = QProcess::startDetached(reporter, {file});
        qDebug() << "start reporter:" << started;
    }
    // Not written: the crash goes on to the previous handler, by default the
    // system's, so the process still ends by its signal.
    return succeeded;
}

void QBreakpadHandler::sendDumps()
{
    if (m_dumpPath.isEmpty())
        return;
    const QDir folder(m_dumpPath);
    const QStringList names = folder.entryList({QStringLiteral("*.dmp")}, QDir::Files, QDir::NoSort);
    for (const QString& name : names) {
        qDebug() << "Sending " << name;
        auto* uploader = new QBreakpadHttpUploader(uploadUrl());
        connect(uploader, &QBreakpadHttpUploader::finished, uploader, &QObject::deleteLater);
        uploader->uploadDump(m_dumpPath + QLatin1Char('/') + name);
    }
}
