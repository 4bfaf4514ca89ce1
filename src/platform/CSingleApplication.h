#pragma once

#include <QApplication>

class QLocalServer;
class QLocalSocket;

// A QApplication that keeps the program to one running instance per user and
// executable. A second instance hands its message to the first and exits.
class CSingleApplication : public QApplication
{
    Q_OBJECT
public:
    CSingleApplication(int& argc, char** argv);
    ~CSingleApplication() override;

    // True when another instance was already running at construction.
    bool isRunning() const { return m_running; }
    // Delivers the message to the running instance; false when it did not
    // confirm within the time-out.
    bool sendMessage(const QString& message, int timeoutMs = 5000);

    QString serverName() const { return m_serverName; }
    static QString serverNameFor(const QString& executablePath);

signals:
    void messageReceived(const QString& message);

private:
    void claimOrConnect();
    bool listen();
    void readMessage(QLocalSocket* socket);

    QString m_serverName;
    QLocalServer* m_server = nullptr;
    bool m_running = false;
};
