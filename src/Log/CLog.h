#pragma once

#include <QObject>
#include <QString>

class QFile;

// The process-wide message handler: formats every qDebug/qWarning/... record
// and writes it to stderr and to this run's log file. Records may come from
// any thread; the file is written only on the GUI thread.
class CLog : public QObject
{
    Q_OBJECT
public:
    static CLog* instance();
    ~CLog() override;

    // Installs the handler and opens the log file (appending). Call once, on
    // the GUI thread.
    void init(const QString& logFilePath);
    QString logFilePath() const;

    static void messageOutput(QtMsgType type, const QMessageLogContext& context,
                              const QString& message);

    // The record's pieces, exactly as they are written.
    static QString tagFor(QtMsgType type);
    static QString timePiece(const QDateTime& time);
    // False for records that are dropped before they reach any output.
    static bool isWanted(QtMsgType type, const QString& message);

public slots:
    void outputLog(const QString& outLine, const QString& line, const QString& msg, int type);

private:
    explicit CLog(QObject* parent = nullptr);

    QFile* m_logFile = nullptr;
    int m_minType = QtDebugMsg;
};
