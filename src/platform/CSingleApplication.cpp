#include "CSingleApplication.h"

#include "ProgramPath.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QDebug>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QNetworkProxyFactory>

#include <unistd.h>

namespace {
// A message is a 32-bit length and that many UTF-8 bytes; the first instance
// answers one acknowledgement byte once it has taken the message.
constexpr quint32 kMaxMessageBytes = 64 * 1024;
constexpr char kAck = '\x06';
constexpr int kProbeTimeoutMs = 1000;
}

CSingleApplication::CSingleApplication(int& argc, char** argv)
    : QApplication(argc, argv)
{
    QNetworkProxyFactory::setUseSystemConfiguration(false);
    m_serverName = serverNameFor(ProgramPath::executableDir() + QLatin1Char('/')
                                 + QFileInfo(QCoreApplication::applicationFilePath()).fileName());
    claimOrConnect();
}

CSingleApplication::~CSingleApplication() = default;

QString CSingleApplication::serverNameFor(const QString& executablePath)
{
    const QByteArray identity = QByteArray::number(static_cast<qulonglong>(::getuid())) + ':'
        + QFileInfo(executablePath).absoluteFilePath().toUtf8();
    return QStringLiteral("vellora-")
        + QString::fromLatin1(QCryptographicHash::hash(identity, QCryptographicHash::Sha1).toHex().left(20));
}

void CSingleApplication::claimOrConnect()
{
    // Two instances started at once must not both decide they are first.
    QLockFile lock(QDir::tempPath() + QLatin1Char('/') + m_serverName + QStringLiteral(".lock"));
    lock.setStaleLockTime(10000);
    if (!lock.tryLock(5000))
        qWarning() << "single-instance lock not taken; deciding without it";

    QLocalSocket probe;
    probe.connectToServer(m_serverName);
    if (probe.waitForConnected(kProbeTimeoutMs)) {
        probe.disconnectFromServer();
        m_running = true;
        return;
    }
    // Nobody answers: any socket file left is from an instance that died.
    QLocalServer::removeServer(m_serverName);
    if (!listen())
        qWarning() << "single-instance server not started:" << m_serverName;
}

bool CSingleApplication::listen()
{
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_serverName))
        return false;
    connect(m_server, &QLocalServer::newConnection, this, [this]() {
        while (QLocalSocket* socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket]() { readMessage(socket); });
            readMessage(socket);
        }
    });
    return true;
}

void CSingleApplication::readMessage(QLocalSocket* socket)
{
    if (socket->bytesAvailable() < 4)
        return;
    QDataStream header(socket->peek(4));
    quint32 length = 0;
    header >> length;
    if (length > kMaxMessageBytes) {
        qWarning() << "second-instance message of" << length << "bytes refused";
        socket->abort();
        return;
    }
    if (socket->bytesAvailable() < 4 + static_cast<qint64>(length))
        return;
    socket->read(4);
    const QByteArray bytes = socket->read(length);
    const QString message = QString::fromUtf8(bytes);
    if (message.toUtf8() != bytes)
        qWarning() << "second-instance message is not valid UTF-8; undecodable bytes replaced";
    socket->write(&kAck, 1);
    socket->flush();
    socket->disconnectFromServer();
    emit messageReceived(message);
}

bool CSingleApplication::sendMessage(const QString& message, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    socket.connectToServer(m_serverName);
    if (!socket.waitForConnected(static_cast<int>(deadline.remainingTime())))
        return false;
    QByteArray bytes = message.toUtf8().left(kMaxMessageBytes);
    QByteArray packet;
    QDataStream out(&packet, QIODevice::WriteOnly);
    out << static_cast<quint32>(bytes.size());
    packet.append(bytes);
    socket.write(packet);
    if (!socket.waitForBytesWritten(static_cast<int>(deadline.remainingTime())))
        return false;
    while (socket.bytesAvailable() < 1) {
        if (deadline.hasExpired() || !socket.waitForReadyRead(static_cast<int>(deadline.remainingTime())))
            return false;
    }
    return socket.read(1).at(0) == kAck;
}
