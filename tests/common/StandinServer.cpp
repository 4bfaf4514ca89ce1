#include "StandinServer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

#include <memory>

namespace {
constexpr int kControlTimeoutMs = 10000;
}

StandinServer::~StandinServer()
{
    stop();
}

bool StandinServer::start()
{
    if (m_process.state() != QProcess::NotRunning)
        return m_port != 0;
    m_process.setProgram(QStringLiteral(STANDIN_PATH));
    // Tests count requests exactly: machines new to an author get no feed
    // items unless a test asks for them (setDeviceWelcome).
    QStringList arguments{QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--no-device-welcome"),
                          QStringLiteral("--watch-parent")};
    if (!m_parentFolder.isEmpty())
        arguments << QStringLiteral("--parent-folder") << m_parentFolder;
    m_process.setArguments(arguments);
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    m_process.start();
    if (!m_process.waitForStarted(10000))
        return false;
    QElapsedTimer clock;
    clock.start();
    while (!m_process.canReadLine() && clock.elapsed() < 10000)
        m_process.waitForReadyRead(500);
    const QByteArray line = m_process.readLine().trimmed();
    bool ok = false;
    m_port = quint16(line.toUInt(&ok));
    if (!ok || m_port == 0) {
        stop();
        return false;
    }
    return true;
}

void StandinServer::stop()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
    m_port = 0;
}

QString StandinServer::baseUrl() const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(m_port);
}

void StandinServer::exportApiBase() const
{
    qputenv("TESSANE_API_BASE", baseUrl().toLatin1());
}

bool StandinServer::call(const QByteArray& method, const QString& what, const QJsonObject& body, QJsonObject& reply)
{
    QNetworkAccessManager manager;
    QNetworkRequest request(QUrl(baseUrl() + QStringLiteral("/__control/") + what));
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArray("application/json"));
    QNetworkReply* answer = method == "GET"
        ? manager.get(request)
        : manager.post(request, QJsonDocument(body).toJson(QJsonDocument::Compact));
    QEventLoop loop;
    QObject::connect(answer, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(kControlTimeoutMs, &loop, &QEventLoop::quit);
    if (!answer->isFinished())
        loop.exec();
    const bool ok = answer->isFinished() && answer->error() == QNetworkReply::NoError;
    if (ok)
        reply = QJsonDocument::fromJson(answer->readAll()).object();
    answer->abort();
    delete answer;
    return ok;
}

void StandinServer::onceAsked(const QString& pathEnd, QObject* context, const std::function<void()>& act)
{
    auto done = std::make_shared<bool>(false);
    auto look = std::make_shared<std::function<void()>>();
    // The pending timers own the look; once it has acted none is set again.
    *look = [this, pathEnd, context, act, done, self = std::weak_ptr<std::function<void()>>(look)]() {
        if (*done)
            return;
        QTimer::singleShot(20, context, [again = self.lock()]() { (*again)(); });
        bool asked = false;
        for (const QJsonValue& entry : journal())
            asked = asked || entry[QStringLiteral("path")].toString().endsWith(pathEnd);
        if (asked && !*done) {
            *done = true;
            act();
        }
    };
    QTimer::singleShot(0, context, [look]() { (*look)(); });
}

QJsonArray StandinServer::journal()
{
    QJsonObject reply;
    call("GET", QStringLiteral("journal"), {}, reply);
    return reply.value(QStringLiteral("requests")).toArray();
}

QList<QJsonObject> StandinServer::requestsTo(const QString& path)
{
    QList<QJsonObject> out;
    for (const QJsonValue& entry : journal()) {
        if (entry.toObject().value(QStringLiteral("path")).toString() == path)
            out.append(entry.toObject());
    }
    return out;
}

QJsonObject StandinServer::bodyOf(const QJsonObject& entry)
{
    return QJsonDocument::fromJson(entry.value(QStringLiteral("body")).toString().toUtf8()).object();
}

bool StandinServer::waitForRequests(int count, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs) {
        if (journal().size() >= count)
            return true;
        QEventLoop loop;
        QTimer::singleShot(20, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return false;
}

bool StandinServer::reset()
{
    QJsonObject reply;
    return call("POST", QStringLiteral("reset"), {}, reply);
}

bool StandinServer::clearJournal()
{
    QJsonObject reply;
    return call("POST", QStringLiteral("clearJournal"), {}, reply);
}

bool StandinServer::addFault(const QString& path, const QString& kind, int delayMs, int count, const QByteArray& rawBody)
{
    QJsonObject reply;
    return call("POST", QStringLiteral("fault"),
                {{QStringLiteral("path"), path},
                 {QStringLiteral("kind"), kind},
                 {QStringLiteral("delayMs"), delayMs},
                 {QStringLiteral("count"), count},
                 {QStringLiteral("body"), QString::fromUtf8(rawBody)}},
                reply);
}

QJsonArray StandinServer::pushFeed(int uid, const QJsonArray& items)
{
    QJsonObject reply;
    call("POST", QStringLiteral("feed"), {{QStringLiteral("uid"), uid}, {QStringLiteral("items"), items}}, reply);
    return reply.value(QStringLiteral("ids")).toArray();
}

bool StandinServer::clearFaults()
{
    QJsonObject reply;
    return call("POST", QStringLiteral("clearFaults"), {}, reply);
}

bool StandinServer::releaseHeld()
{
    QJsonObject reply;
    return call("POST", QStringLiteral("release"), {}, reply);
}

bool StandinServer::setDeviceWelcome(bool on)
{
    QJsonObject reply;
    return call("POST", QStringLiteral("devices"), {{QStringLiteral("welcome"), on}}, reply);
}

QJsonObject StandinServer::callAs(const QString& device, const QString& path, const QJsonObject& body)
{
    QJsonObject reply;
    if (!call("POST", QStringLiteral("call"),
              {{QStringLiteral("device"), device}, {QStringLiteral("path"), path}, {QStringLiteral("body"), body}},
              reply))
        return QJsonObject();
    return reply.value(QStringLiteral("content")).toObject();
}

bool StandinServer::setLocalIdsListed(bool on)
{
    QJsonObject reply;
    return call("POST", QStringLiteral("localIds"), {{QStringLiteral("listed"), on}}, reply);
}

bool StandinServer::setVersions(const QJsonObject& versions)
{
    QJsonObject reply;
    return call("POST", QStringLiteral("versions"), versions, reply);
}

bool StandinServer::putImage(const QString& name, const QByteArray& bytes)
{
    QJsonObject reply;
    return call("POST", QStringLiteral("image"),
                {{QStringLiteral("name"), name}, {QStringLiteral("base64"), QString::fromLatin1(bytes.toBase64())}},
                reply);
}

bool StandinServer::putFile(const QString& name, const QByteArray& bytes)
{
    QJsonObject reply;
    return call("POST", QStringLiteral("file"),
                {{QStringLiteral("name"), name}, {QStringLiteral("base64"), QString::fromLatin1(bytes.toBase64())}},
                reply);
}

QString StandinServer::fileUrl(const QString& name) const
{
    return baseUrl() + QStringLiteral("/files/") + name;
}

bool StandinServer::offerUpdate(const QJsonObject& update)
{
    QJsonObject reply;
    return call("POST", QStringLiteral("update"), update, reply);
}

QJsonObject StandinServer::store()
{
    QJsonObject reply;
    call("GET", QStringLiteral("store"), {}, reply);
    return reply;
}

quint16 StandinServer::listenAnotherPort()
{
    QJsonObject reply;
    call("POST", QStringLiteral("listen"), {}, reply);
    return quint16(reply.value(QStringLiteral("port")).toInt());
}

QByteArray StandinServer::header(const QJsonObject& entry, const QByteArray& name, bool* found)
{
    if (found != nullptr)
        *found = false;
    for (const QJsonValue& value : entry.value(QStringLiteral("headers")).toArray()) {
        const QJsonArray pair = value.toArray();
        if (pair.at(0).toString().toLatin1().compare(name, Qt::CaseInsensitive) == 0) {
            if (found != nullptr)
                *found = true;
            return pair.at(1).toString().toLatin1();
        }
    }
    return QByteArray();
}
