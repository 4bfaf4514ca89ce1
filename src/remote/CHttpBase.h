#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QMap>
#include <QNetworkReply>
#include <QObject>
#include <QPair>
#include <QString>
#include <QUrl>
#include <QVector>

#include <functional>

class QNetworkAccessManager;
class QNetworkRequest;

// The HTTP layer under the API client: fixed headers, GET and POST, each in a
// blocking form (a nested event loop of at most kSyncTimeoutMs) and a
// non-blocking form whose finished reply is handed on through sigGetAsynData.
// It keeps no table of pending requests: a reply finds its job through the
// "userdata" identity it carries. Every request is also tagged with the
// session it leaves under (not on the wire): once that session has ended, a
// blocking request returns kEndedSessionResult and an asynchronous reply
// says so through isOfEndedSession. GUI thread only.
class CHttpBase : public QObject
{
    Q_OBJECT
public:
    static constexpr int kSyncTimeoutMs = 10000;
    // A request that hangs would hold the job queue forever; after this long
    // it is aborted and its reply emitted with the error.
    static constexpr int kAsyncTimeoutMs = 60000;
    // What a blocking request returns when the time limit ran out first; HTTP
    // and network failures return the network library's own codes, and the
    // server's verdict only ever arrives in a reply record after a 0.
    static constexpr QNetworkReply::NetworkError kTimeoutResult = QNetworkReply::TimeoutError;
    // What a blocking request returns when the session it was sent under
    // ended while it waited: whatever came back answers nobody now.
    static constexpr QNetworkReply::NetworkError kEndedSessionResult = QNetworkReply::OperationCanceledError;

    explicit CHttpBase(QObject* parent = nullptr);
    ~CHttpBase() override;

    // The session requests now leave under; every sign-in and sign-out
    // begins a new one.
    int session() const { return m_session; }
    void beginSession();
    // The reply's request left under a session that has ended since.
    bool isOfEndedSession(const QNetworkReply* reply) const;

    // Asynchronous requests whose reply has not been emitted yet.
    int outstandingReplies() const { return m_outstanding; }

    // Every request leaves with an order number one above the one before it
    // (not on the wire): a reply can then be told apart as older or newer
    // than another request's. The number of the request sent last, 0 before any.
    int lastSentOrder() const { return m_sentOrder; }
    // The order number of the reply's request; 0 for none.
    static int orderOf(const QNetworkReply* reply);

    // Blocking GET of url?query; on success (0) *reply* gets the whole body and
    // is otherwise left as it was.
    QNetworkReply::NetworkError getSync(const QString& url, const QString& query, QByteArray& reply,
                                        const QByteArray& userdata);
    void getAsync(const QString& url, const QString& query, const QByteArray& userdata);
    QNetworkReply::NetworkError postSync(const QString& url, const QString& body, QByteArray& reply,
                                         const QByteArray& userdata);
    void postAsync(const QString& url, const QString& body, const QByteArray& userdata);
    // The same with the body as the UTF-8 bytes it travels as.
    void postAsync(const QString& url, const QByteArray& body, const QByteArray& userdata);
    // A GET nobody waits for and whose reply does not go through
    // sigGetAsynData (a picture): done gets the transport's result and, on
    // success, the body, once, later, on this thread; never when context is
    // gone by then.
    using DetachedDone = std::function<void(QNetworkReply::NetworkError, const QByteArray&)>;
    void getDetached(const QString& url, QObject* context, DetachedDone done);

    // Inserts or replaces a header sent with every request to the API's own
    // origin (scheme, host and port of the base address), and to no other.
    void setRawHeader(const QByteArray& name, const QByteArray& value);
    QByteArray rawHeader(const QByteArray& name) const { return m_headers.value(name); }

    // "k1=v1&k2=v2" with every key and value percent-encoded, so a value
    // holding "&", "=", "+" or "#" stays one value.
    static QString encodeQuery(const QVector<QPair<QString, QString>>& items);
    // True when the URL points at the API's own origin.
    static bool isApiOrigin(const QUrl& url);

    // Ends every request and the network's own thread while the application
    // still stands: a thread left running races the program's exit. A request
    // made after it fails at once (blocking) or goes nowhere.
    void releaseNetwork();

signals:
    // Once for every finished non-blocking request, failed or not. The
    // receiver owns the reply and releases it with deleteLater(); the network
    // manager stays with the transport.
    void sigGetAsynData(QNetworkReply* reply);
    // A new session began: blocking requests of the last one stop waiting.
    void sigSessionBegun();

public slots:
    void onFinished(QNetworkReply* reply);

protected:
    // Scratch space of the API client: each operation empties it, fills the
    // body's members and serialises it before the request leaves.
    QJsonObject m_request;

private:
    QNetworkRequest buildRequest(const QString& url, const QString& query, const QByteArray& userdata,
                                 const QByteArray* body) const;
    QNetworkReply::NetworkError waitFor(QNetworkReply* reply, QByteArray& out);

    QMap<QByteArray, QByteArray> m_headers;
    int m_outstanding = 0;
    int m_session = 0;
    // Mutable: numbering a request is no change of what the transport holds.
    mutable int m_sentOrder = 0;
    // One manager per direction for the whole run, so connections (and TLS
    // sessions) to the platform are reused across requests. Blocking and
    // detached requests have their own, whose replies must not reach
    // sigGetAsynData.
    QNetworkAccessManager* m_asyncManager = nullptr;
    QNetworkAccessManager* m_syncManager = nullptr;
};
