#include "CLog.h"

#include "Log/QBreakpad/handler/QBreakpadHandler.h"
#include "common/PrivateFiles.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <cstdio>

CLog::CLog(QObject* parent) : QObject(parent) {}

CLog::~CLog()
{
    if (m_logFile) {
        m_logFile->close();
        delete m_logFile;
    }
}

CLog* CLog::instance()
{
    static CLog logger;
    return &logger;
}

void CLog::init(const QString& logFilePath)
{
    // Crash dumps start with logging, before anything else can crash, and lie
    // in "crashes" beside the log: "logs/crashes" below the program
    // directory, or below the per-user folder where the logs went instead.
    // Logs and crash reports show what the author did and wrote: the folders
    // and every file in them, old ones too, are the author's alone.
    const QString folder = QFileInfo(logFilePath).absolutePath();
    PrivateFiles::makeFolder(folder);
    PrivateFiles::makeFolder(folder + QStringLiteral("/crashes"));
    PrivateFiles::narrowTree(folder);
    QBreakpadHandler::instance()->setDumpPath(folder + QStringLiteral("/crashes"));
    QBreakpadHandler::instance()->setLogFile(logFilePath);
    qInstallMessageHandler(&CLog::messageOutput);
    delete m_logFile;
    m_logFile = new QFile(logFilePath);
    if (!m_logFile->open(QIODevice::WriteOnly | QIODevice::Append))
        std::fprintf(stderr, "cannot open log file %s\n", qPrintable(logFilePath));
    else
        PrivateFiles::narrow(logFilePath);
}

QString CLog::logFilePath() const
{
    return m_logFile ? m_logFile->fileName() : QString();
}

QString CLog::tagFor(QtMsgType type)
{
    switch (type) {
    case QtDebugMsg: return QStringLiteral("[Debug]");
    case QtWarningMsg: return QStringLiteral("[Warning]");
    case QtCriticalMsg: return QStringLiteral("[Critical]");
    case QtFatalMsg: return QStringLiteral("[Fatal]");
    case QtInfoMsg: return QString();
    }
    return QString();
}

QString CLog::timePiece(const QDateTime& time)
{
    return QStringLiteral("[%1]").arg(time.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss-z")));
}

bool CLog::isWanted(QtMsgType type, const QString& message)
{
    // Image-library chatter and painter hints flood the log without telling
    // anything about the program.
    if (type == QtWarningMsg && message.contains(QLatin1String("libpng")))
        return false;
    return !message.contains(QLatin1String("QPainter::setRenderHint"));
}

void CLog::messageOutput(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (!isWanted(type, message))
        return;
    const QString location = QStringLiteral("[%1][%2]")
        .arg(QString::fromUtf8(context.file), QString::number(context.line));
    const QString function = QStringLiteral("[%1]").arg(QString::fromUtf8(context.function));
    const QString outLine = tagFor(type) + timePiece(QDateTime::currentDateTime());

    CLog* logger = instance();
    if (type == QtFatalMsg && QThread::currentThread() == logger->thread()) {
        // The process ends as soon as this handler returns: write it now.
        logger->outputLog(outLine, location + function, message, type);
        return;
    }
    QMetaObject::invokeMethod(logger, "outputLog", Qt::QueuedConnection,
                              Q_ARG(QString, outLine), Q_ARG(QString, location + function),
                              Q_ARG(QString, message), Q_ARG(int, static_cast<int>(type)));
}

void CLog::outputLog(const QString& outLine, const QString& line, const QString& msg, int type)
{
    if (type < m_minType)
        return;
    const QByteArray record = (outLine + line + msg + QStringLiteral("\r\n")).toUtf8();
    std::fwrite(record.constData(), 1, static_cast<size_t>(record.size()), stderr);
    if (m_logFile && m_logFile->isOpen()) {
        m_logFile->write(record);
        m_logFile->write("\n");
        m_logFile->flush();
    }
}
