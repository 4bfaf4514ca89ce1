#pragma once

#include "HttpServer.h"
#include "Store.h"

#include <QJsonArray>
#include <QList>
#include <QMap>
#include <QObject>

// The stand-in platform: answers the API in the platform's reply envelope,
// echoes "userdata", keeps a journal of every API request for tests, and
// injects faults on request. Control endpoints under /__control/ drive it.
class Platform : public QObject
{
    Q_OBJECT
public:
    explicit Platform(QObject* parent = nullptr);

    // Listens on 127.0.0.1 (port 0: a free one); the port, or 0 on failure.
    quint16 start(quint16 port);
    // See Store::setWelcomeDefault.
    void setWelcomeNewDevices(bool on) { m_store.setWelcomeDefault(on); }

private:
    struct Fault
    {
        QString path; // "*" for any API path
        QString kind;
        int delayMs = 0; // negative: held until released
        int count = 1; // how many requests it hits; negative: until cleared
        QByteArray body; // for "raw"
    };

    HttpResponse handle(const HttpRequest& request);
    HttpResponse control(const HttpRequest& request);
    HttpResponse api(const HttpRequest& request);
    // What a faulty reply does to the members it names: leaves them out,
    // sends them as null, or as a value of another kind.
    enum class MemberFault { Without, Null, Mistyped };
    static QJsonValue withMembers(const QJsonValue& value, const QStringList& members, MemberFault fault);
    HttpResponse envelope(const HttpRequest& request, const ApiResult& result, bool echoUserdata) const;
    void record(const HttpRequest& request);
    bool takeFault(const QString& path, Fault& fault);

    HttpServer* m_server;
    Store m_store;
    QJsonArray m_journal;
    QList<Fault> m_faults;
    QMap<QString, QByteArray> m_files; // served at /files/<name>
    quint16 m_port = 0;
};
