#include "CHttpBase.h"

#include "ApiBase.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkRequest>
#include <QPointer>
#include <QTimer>

namespace {
// The request attribute that carries the session a request left under.
const QNetworkRequest::Attribute kSessionAttribute = QNetworkRequest::Attribute(QNetworkRequest::User + 1);
// The attribute that carries the request's order number.
const QNetworkRequest::Attribute kOrderAttribute = QNetworkRequest::Attribute(QNetworkRequest::User + 2);
}

CHttpBase::CHttpBase(QObject* parent)
    : QObject(parent),
      m_asyncManager(new QNetworkAccessManager(this)),
      m_syncManager(new QNetworkAccessManager(this))
{
    connect(m_asyncManager, &QNetworkAccessManager::finished, this, &CHttpBase::onFinished);
}

CHttpBase::~CHttpBase() = default;

void CHttpBase::releaseNetwork()
{
    delete m_asyncManager;
    m_asyncManager = nullptr;
    delete m_syncManager;
    m_syncManager = nullptr;
}

void CHttpBase::setRawHeader(const QByteArray& name, const QByteArray& value)
{
    m_headers.insert(name, value);
}

QString CHttpBase::encodeQuery(const QVector<QPair<QString, QString>>& items)
{
    QByteArray text;
    for (const auto& item : items) {
        if (!text.isEmpty())
            text += '&';
        text += QUrl::toPercentEncoding(item.first);
        text += '=';
        text += QUrl::toPercentEncoding(item.second);
    }
    return QString::fromLatin1(text);
}

bool CHttpBase::isApiOrigin(const QUrl& url)
{
    const QUrl api = ApiBase::url();
    const int defaultPort = api.scheme() == QLatin1String("https") ? 443 : 80;
    return url.scheme().compare(api.scheme(), Qt::CaseInsensitive) == 0
        && url.host().compare(api.host(), Qt::CaseInsensitive) == 0
        && url.port(defaultPort) == api.port(defaultPort);
}

QNetworkRequest CHttpBase::buildRequest(const QString& url, const QString& query, const QByteArray& userdata,
                                        const QByteArray* body) const
{
    QString text = url;
    if (body == nullptr && !query.isEmpty())
        text += QLatin1Char('?') + query;
    QNetworkRequest request(QUrl(text, QUrl::TolerantMode));
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArray("application/json"));
    if (body != nullptr)
        request.setHeader(QNetworkRequest::ContentLengthHeader, body->size());
    // The token and the uniquecode belong to the API alone: picture hosts and
    // any other origin never see them.
    if (isApiOrigin(request.url())) {
        for (auto it = m_headers.constBegin(); it != m_headers.constEnd(); ++it)
            request.setRawHeader(it.key(), it.value());
    }
    if (!userdata.isEmpty())
        request.setRawHeader("userdata", userdata);
    request.setAttribute(kSessionAttribute, m_session);
    request.setAttribute(kOrderAttribute, ++m_sentOrder);
    return request;
}

void CHttpBase::beginSession()
{
    ++m_session;
    emit sigSessionBegun();
}

bool CHttpBase::isOfEndedSession(const QNetworkReply* reply) const
{
    return reply != nullptr && reply->request().attribute(kSessionAttribute).toInt() != m_session;
}

int CHttpBase::orderOf(const QNetworkReply* reply)
{
    return reply != nullptr ? reply->request().attribute(kOrderAttribute).toInt() : 0;
}

QNetworkReply::NetworkError CHttpBase::waitFor(QNetworkReply* reply, QByteArray& out)
{
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    connect(this, &CHttpBase::sigSessionBegun, &loop, &QEventLoop::quit);
    timer.start(kSyncTimeoutMs);
    // Events keep flowing while we wait: timers, input and other replies.
    loop.exec();

    QNetworkReply::NetworkError result = kTimeoutResult;
    if (isOfEndedSession(reply)) {
        // A sign-out or another sign-in came while it waited.
        result = kEndedSessionResult;
    } else if (reply->isFinished()) {
        timer.stop();
        result = reply->error();
        if (result == QNetworkReply::NoError)
            out = reply->readAll();
    }
    reply->abort();
    reply->close();
    reply->deleteLater();
    return result;
}

QNetworkReply::NetworkError CHttpBase::getSync(const QString& url, const QString& query, QByteArray& reply,
                                               const QByteArray& userdata)
{
    if (m_syncManager == nullptr)
        return kEndedSessionResult;
    const QNetworkRequest request = buildRequest(url, query, userdata, nullptr);
    return waitFor(m_syncManager->get(request), reply);
}

QNetworkReply::NetworkError CHttpBase::postSync(const QString& url, const QString& body, QByteArray& reply,
                                                const QByteArray& userdata)
{
    if (m_syncManager == nullptr)
        return kEndedSessionResult;
    const QByteArray bytes = body.toUtf8();
    const QNetworkRequest request = buildRequest(url, QString(), userdata, &bytes);
    return waitFor(m_syncManager->post(request, bytes), reply);
}

void CHttpBase::getAsync(const QString& url, const QString& query, const QByteArray& userdata)
{
    if (m_asyncManager == nullptr)
        return;
    QNetworkRequest request = buildRequest(url, query, userdata, nullptr);
    request.setTransferTimeout(kAsyncTimeoutMs);
    ++m_outstanding;
    m_asyncManager->get(request);
}

void CHttpBase::postAsync(const QString& url, const QString& body, const QByteArray& userdata)
{
    postAsync(url, body.toUtf8(), userdata);
}

void CHttpBase::postAsync(const QString& url, const QByteArray& body, const QByteArray& userdata)
{
    if (m_asyncManager == nullptr)
        return;
    QNetworkRequest request = buildRequest(url, QString(), userdata, &body);
    request.setTransferTimeout(kAsyncTimeoutMs);
    ++m_outstanding;
    m_asyncManager->post(request, body);
}

void CHttpBase::getDetached(const QString& url, QObject* context, DetachedDone done)
{
    if (m_syncManager == nullptr)
        return;
    QNetworkRequest request = buildRequest(url, QString(), QByteArray(), nullptr);
    request.setTransferTimeout(kAsyncTimeoutMs);
    QNetworkReply* reply = m_syncManager->get(request);
    const QPointer<QObject> receiver(context);
    connect(reply, &QNetworkReply::finished, this, [reply, receiver, done]() {
        const QNetworkReply::NetworkError result = reply->error();
        const QByteArray body = result == QNetworkReply::NoError ? reply->readAll() : QByteArray();
        reply->deleteLater();
        if (receiver)
            done(result, body);
    });
}

void CHttpBase::onFinished(QNetworkReply* reply)
{
    m_outstanding = qMax(0, m_outstanding - 1);
    emit sigGetAsynData(reply);
}
