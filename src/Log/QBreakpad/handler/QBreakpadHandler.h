#pragma once

#include "Log/QBreakpad/handler/CrashHandler.h"

#include <QObject>
#include <QString>
#include <QUrl>

// The Qt side of crash dumps: keeps the dump folder, sets up the crash
// handler on it, logs the outcome of a crash, and can upload the dumps of
// the folder to the platform.
class QBreakpadHandler : public QObject
{
    Q_OBJECT
public:
    // The one handler of the process; safe to call from any thread.
    static QBreakpadHandler* instance();

    // A relative folder is taken below the program directory. Creates the
    // folder and installs the crash handler on it; when the folder cannot be
    // made, logs it and installs nothing.
    void setDumpPath(const QString& path);
    QString dumpPath() const;
    // Named in every dump, so a dump leads to the log of its run.
    void setLogFile(const QString& path);
    // Null until setDumpPath succeeded.
    CrashHandler* crashHandler() const { return m_crashHandler; }
    // Where sendDumps() posts: always on the platform's API base.
    static QUrl uploadUrl();

    static bool DumpCallback(const char* dumpPath, const char* minidumpId, void* context,
                             const CrashSignals::Crash* crash, bool succeeded);

public slots:
    // Uploads every "*.dmp" of the dump folder; each successful upload
    // deletes its file.
    void sendDumps();

private:
    QBreakpadHandler();
    void updateNote();

    CrashHandler* m_crashHandler = nullptr;
    QString m_dumpPath;
    QString m_reporter;
    QString m_logFile;
};
