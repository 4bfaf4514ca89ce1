#include "HttpServer.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <memory>

#ifdef __linux__
#include <netinet/in.h>
#include <arpa/inet.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {
constexpr int kMaxHead = 64 * 1024;
constexpr qint64 kMaxBody = 256LL * 1024 * 1024;

QByteArray reasonOf(int status)
{
    switch (status) {
    case 200: return "OK";
    case 400: return "Bad Request";
    case 404: return "Not Found";
    case 411: return "Length Required";
    case 413: return "Payload Too Large";
    case 500: return "Internal Server Error";
    default: return "Status";
    }
}
}

QByteArray HttpRequest::header(const QByteArray& name) const
{
    for (const auto& pair : headers) {
        if (pair.first.compare(name, Qt::CaseInsensitive) == 0)
            return pair.second;
    }
    return QByteArray();
}

HttpServer::HttpServer(Handler handler, QObject* parent)
    : QObject(parent)
    , m_handler(std::move(handler))
{
}

namespace {
#ifdef __linux__
// A listening socket with a deep accept queue: a burst of a thousand new
// connections (one per client request) would overflow the toolkit's default
// queue of 50 and stall for a SYN retry.
bool listenDeep(QTcpServer* server, quint16 port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 4096) != 0
        || !server->setSocketDescriptor(fd)) {
        ::close(fd);
        return false;
    }
    return true;
}
#endif
}

quint16 HttpServer::listen(quint16 port)
{
    auto* server = new QTcpServer(this);
    server->setMaxPendingConnections(4096);
#ifdef __linux__
    const bool listening = listenDeep(server, port);
#else
    const bool listening = server->listen(QHostAddress::LocalHost, port);
#endif
    if (!listening) {
        delete server;
        return 0;
    }
    connect(server, &QTcpServer::newConnection, this, [this, server]() { onNewConnection(server); });
    return server->serverPort();
}

void HttpServer::onNewConnection(QTcpServer* server)
{
    while (QTcpSocket* socket = server->nextPendingConnection())
        new HttpConnection(socket, m_handler, this);
}

HttpConnection::HttpConnection(QTcpSocket* socket, HttpServer::Handler handler, HttpServer* server)
    : QObject(server)
    , m_socket(socket)
    , m_server(server)
    , m_handler(std::move(handler))
{
    socket->setParent(this);
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    connect(socket, &QTcpSocket::readyRead, this, &HttpConnection::readMore);
    connect(socket, &QTcpSocket::disconnected, this, &QObject::deleteLater);
    readMore();
}

bool HttpConnection::takeRequest(HttpRequest& request, bool& bad)
{
    bad = false;
    const int headEnd = m_buffer.indexOf("\r\n\r\n");
    if (headEnd < 0) {
        bad = m_buffer.size() > kMaxHead;
        return false;
    }
    const QList<QByteArray> lines = m_buffer.left(headEnd).split('\n');
    const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
    if (requestLine.size() < 3) {
        bad = true;
        return false;
    }
    request.method = requestLine.at(0);
    request.target = requestLine.at(1);
    const int mark = request.target.indexOf('?');
    request.path = mark < 0 ? request.target : request.target.left(mark);
    request.rawQuery = mark < 0 ? QByteArray() : request.target.mid(mark + 1);
    qint64 length = 0;
    for (int i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines.at(i).endsWith('\r') ? lines.at(i).chopped(1) : lines.at(i);
        const int colon = line.indexOf(':');
        if (colon <= 0)
            continue;
        const QByteArray name = line.left(colon);
        const QByteArray value = line.mid(colon + 1).trimmed();
        request.headers.append({name, value});
        if (name.compare("Content-Length", Qt::CaseInsensitive) == 0)
            length = value.toLongLong();
        if (name.compare("Transfer-Encoding", Qt::CaseInsensitive) == 0) {
            bad = true; // chunked uploads are not needed by the client
            return false;
        }
    }
    if (length < 0 || length > kMaxBody) {
        bad = true;
        return false;
    }
    const qint64 total = headEnd + 4 + length;
    if (m_buffer.size() < total)
        return false;
    request.body = m_buffer.mid(headEnd + 4, int(length));
    request.localPort = m_socket->localPort();
    m_buffer.remove(0, int(total));
    return true;
}

void HttpConnection::readMore()
{
#ifdef __linux__
    // Clients write a request's head and body separately; acknowledging at
    // once keeps their small second write from waiting on a delayed ACK.
    const int one = 1;
    ::setsockopt(int(m_socket->socketDescriptor()), IPPROTO_TCP, TCP_QUICKACK, &one, sizeof one);
#endif
    m_buffer += m_socket->readAll();
    while (!m_busy) {
        HttpRequest request;
        bool bad = false;
        if (!takeRequest(request, bad)) {
            if (bad) {
                HttpResponse response;
                response.status = 400;
                response.body = "bad request";
                write(response, true);
            }
            return;
        }
        const HttpResponse response = m_handler(request);
        if (response.delayMs != 0) {
            m_busy = true;
            const auto later = [this, request, response]() {
                m_busy = false;
                answer(request, response);
                if (m_socket->state() == QAbstractSocket::ConnectedState)
                    readMore();
            };
            if (response.delayMs > 0) {
                QTimer::singleShot(response.delayMs, this, later);
                return;
            }
            // Answered at the first release after it came.
            auto held = std::make_shared<QMetaObject::Connection>();
            *held = connect(m_server, &HttpServer::released, this, [held, later]() {
                QObject::disconnect(*held);
                later();
            });
            return;
        }
        answer(request, response);
        if (m_socket->state() != QAbstractSocket::ConnectedState)
            return;
    }
}

void HttpConnection::answer(const HttpRequest& request, const HttpResponse& response)
{
    if (response.action == HttpResponse::Drop) {
        m_socket->abort();
        return;
    }
    write(response, request.header("Connection").toLower() == "close");
}

void HttpConnection::write(const HttpResponse& response, bool close)
{
    if (m_socket->state() != QAbstractSocket::ConnectedState)
        return;
    QByteArray head = "HTTP/1.1 " + QByteArray::number(response.status) + ' ' + reasonOf(response.status) + "\r\n";
    head += "Content-Type: " + response.contentType + "\r\n";
    const bool cut = response.declaredLength >= 0;
    close = close || cut;
    head += "Content-Length: "
        + QByteArray::number(cut ? response.declaredLength : qint64(response.body.size())) + "\r\n";
    head += close ? "Connection: close\r\n\r\n" : "Connection: keep-alive\r\n\r\n";
    m_socket->write(head + response.body);
    if (close)
        m_socket->disconnectFromHost();
}
