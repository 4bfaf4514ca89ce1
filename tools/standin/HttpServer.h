#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>
#include <functional>

class QTcpServer;
class QTcpSocket;

struct HttpRequest
{
    QByteArray method;
    QByteArray target;   // as on the request line
    QByteArray path;     // target up to "?"
    QByteArray rawQuery; // after "?", undecoded
    QList<QPair<QByteArray, QByteArray>> headers; // in arrival order, names as sent
    QByteArray body;
    quint16 localPort = 0;

    QByteArray header(const QByteArray& name) const;
};

struct HttpResponse
{
    enum Action { Send, Drop };
    Action action = Send;
    int status = 200;
    QByteArray contentType = "application/json; charset=utf-8";
    QByteArray body;
    // Milliseconds before the answer goes; negative: held until the server
    // releases what it holds.
    int delayMs = 0;
    // When set, the Content-Length sent instead of the body's size and the
    // connection closed after the body: a download cut off half-way.
    qint64 declaredLength = -1;
};

// A minimal HTTP/1.1 server: Content-Length bodies, keep-alive, one request at
// a time per connection (a delayed answer holds the connection's next request).
class HttpServer : public QObject
{
    Q_OBJECT
public:
    using Handler = std::function<HttpResponse(const HttpRequest&)>;

    explicit HttpServer(Handler handler, QObject* parent = nullptr);
    // Listens on 127.0.0.1; port 0 picks a free one. Returns the port, 0 on failure.
    quint16 listen(quint16 port);
    // Sends every answer held so far.
    void releaseHeld() { emit released(); }

signals:
    void released();

private:
    void onNewConnection(QTcpServer* server);

    Handler m_handler;
};

class HttpConnection : public QObject
{
    Q_OBJECT
public:
    HttpConnection(QTcpSocket* socket, HttpServer::Handler handler, HttpServer* server);

private:
    void readMore();
    bool takeRequest(HttpRequest& request, bool& bad);
    void answer(const HttpRequest& request, const HttpResponse& response);
    void write(const HttpResponse& response, bool close);

    QTcpSocket* m_socket;
    HttpServer* m_server;
    HttpServer::Handler m_handler;
    QByteArray m_buffer;
    bool m_busy = false;
};
