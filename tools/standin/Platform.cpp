#include "Platform.h"

#include "CommunityPage.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QUrlQuery>

namespace {
HttpResponse jsonResponse(const QJsonObject& object, int status = 200)
{
    HttpResponse response;
    response.status = status;
    response.body = QJsonDocument(object).toJson(QJsonDocument::Compact);
    return response;
}

HttpResponse textResponse(const QByteArray& text, int status, const QByteArray& type = "text/plain; charset=utf-8")
{
    HttpResponse response;
    response.status = status;
    response.contentType = type;
    response.body = text;
    return response;
}
}

Platform::Platform(QObject* parent)
    : QObject(parent)
    , m_server(new HttpServer([this](const HttpRequest& request) { return handle(request); }, this))
{
}

quint16 Platform::start(quint16 port)
{
    m_port = m_server->listen(port);
    if (m_port != 0) {
        m_store.setBaseUrl(QStringLiteral("http://127.0.0.1:%1").arg(m_port));
        m_store.reset();
    }
    return m_port;
}

HttpResponse Platform::handle(const HttpRequest& request)
{
    if (request.path.startsWith("/__control/"))
        return control(request);
    record(request);
    return api(request);
}

void Platform::record(const HttpRequest& request)
{
    QJsonArray headers;
    for (const auto& header : request.headers)
        headers.append(QJsonArray{QString::fromLatin1(header.first), QString::fromLatin1(header.second)});
    m_journal.append(QJsonObject{
        {QStringLiteral("method"), QString::fromLatin1(request.method)},
        {QStringLiteral("target"), QString::fromLatin1(request.target)},
        {QStringLiteral("path"), QString::fromLatin1(request.path)},
        {QStringLiteral("query"), QString::fromLatin1(request.rawQuery)},
        {QStringLiteral("headers"), headers},
        {QStringLiteral("body"), QString::fromUtf8(request.body)},
        {QStringLiteral("bodyBase64"), QString::fromLatin1(request.body.toBase64())},
        {QStringLiteral("port"), request.localPort},
    });
}

bool Platform::takeFault(const QString& path, Fault& fault)
{
    const bool picture = path.startsWith(QLatin1String("/img/"));
    for (int i = 0; i < m_faults.size(); ++i) {
        Fault& candidate = m_faults[i];
        // "*" is any API path; "/img/" any picture.
        const bool any = picture ? candidate.path == QLatin1String("/img/") : candidate.path == QLatin1String("*");
        if (!any && candidate.path != path)
            continue;
        fault = candidate;
        if (candidate.count > 0 && --candidate.count == 0)
            m_faults.removeAt(i);
        return true;
    }
    return false;
}

// A reply that leaves members out, or sends them as null or as a value of
// another kind (a text as a number, anything else as a text): of the content
// itself and of every object in its lists.
QJsonValue Platform::withMembers(const QJsonValue& value, const QStringList& members, MemberFault fault)
{
    if (value.isArray()) {
        QJsonArray items;
        for (const QJsonValue& item : value.toArray())
            items.append(withMembers(item, members, fault));
        return items;
    }
    if (!value.isObject())
        return value;
    QJsonObject object = value.toObject();
    for (const QString& member : members) {
        if (!object.contains(member))
            continue;
        const QJsonValue held = object.value(member);
        if (fault == MemberFault::Without)
            object.remove(member);
        else if (fault == MemberFault::Null)
            object.insert(member, QJsonValue::Null);
        else if (held.isString())
            object.insert(member, 0);
        else
            object.insert(member, held.toVariant().toString());
    }
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (it.value().isArray())
            it.value() = withMembers(it.value(), members, fault);
    }
    return object;
}

HttpResponse Platform::envelope(const HttpRequest& request, const ApiResult& result, bool echoUserdata) const
{
    QJsonObject reply{{QStringLiteral("code"), result.code},
                      {QStringLiteral("msg"), result.msg},
                      {QStringLiteral("server_time"), qint64(QDateTime::currentSecsSinceEpoch())},
                      {QStringLiteral("content"), result.content}};
    if (echoUserdata)
        reply.insert(QStringLiteral("userdata"), QString::fromLatin1(request.header("userdata")));
    return jsonResponse(reply);
}

HttpResponse Platform::api(const HttpRequest& request)
{
    const QString path = QString::fromLatin1(request.path);

    if (path.startsWith(QLatin1String("/files/"))) {
        const auto file = m_files.constFind(path.mid(7));
        if (file == m_files.constEnd())
            return textResponse("no such file", 404);
        HttpResponse response = textResponse(file.value(), 200, "application/octet-stream");
        Fault fault;
        if (takeFault(path, fault) && fault.kind == QLatin1String("truncated")) {
            response.declaredLength = response.body.size();
            response.body.truncate(response.body.size() / 2);
        }
        return response;
    }
    if (path.startsWith(QLatin1String("/img/"))) {
        QByteArray bytes;
        if (!m_store.image(path.mid(5), bytes))
            return textResponse("no such picture", 404);
        // A slow or failing picture host.
        Fault fault;
        const bool faulty = takeFault(path, fault);
        HttpResponse response = faulty && fault.kind == QLatin1String("http500")
                                    ? textResponse("Internal Server Error", 500)
                                    : textResponse(bytes, 200, "image/png");
        if (faulty)
            response.delayMs = fault.delayMs;
        return response;
    }
    if (!m_store.knows(path)) {
        if (path == QLatin1String(CommunityPage::path()))
            return textResponse(CommunityPage::html(), 200, "text/html; charset=utf-8");
        if (path == QLatin1String("/") || path.startsWith(QLatin1String("/wx/")))
            return textResponse("<html><body>stand-in platform</body></html>", 200, "text/html; charset=utf-8");
        ApiResult missing;
        missing.code = 404;
        missing.msg = QStringLiteral("接口不存在");
        HttpResponse response = envelope(request, missing, true);
        response.status = 404;
        return response;
    }

    Fault fault;
    const bool faulty = takeFault(path, fault);
    HttpResponse response;
    if (faulty && fault.kind == QLatin1String("drop")) {
        response.action = HttpResponse::Drop;
    } else if (faulty && fault.kind == QLatin1String("http500")) {
        response = textResponse("Internal Server Error", 500);
    } else if (faulty && fault.kind.startsWith(QLatin1String("code"))) {
        ApiResult verdict;
        verdict.code = fault.kind.mid(4).toInt();
        verdict.msg = verdict.code == 300 ? QStringLiteral("登录已失效，请重新登录")
                                          : QStringLiteral("请求被拒绝");
        response = envelope(request, verdict, true);
    } else if (faulty && fault.kind == QLatin1String("notjson")) {
        response = textResponse("<html><body>502 Bad Gateway</body></html>", 200, "text/html");
    } else if (faulty && fault.kind == QLatin1String("raw")) {
        response = textResponse(fault.body, 200, "application/json; charset=utf-8");
    } else {
        ApiCall call;
        call.path = path;
        call.query = QUrlQuery(QString::fromLatin1(request.rawQuery));
        call.body = QJsonDocument::fromJson(request.body).object();
        call.uid = m_store.authorOfToken(request.header("Authorization"));
        call.device = QString::fromLatin1(request.header("uniquecode"));
        ApiResult result;
        if (call.uid == 0 && !m_store.isPublic(path)) {
            result.code = 300;
            result.msg = QStringLiteral("登录已失效，请重新登录");
        } else {
            result = m_store.call(call);
        }
        static const QList<QPair<QString, MemberFault>> memberFaults{{QStringLiteral("without:"), MemberFault::Without},
                                                                    {QStringLiteral("null:"), MemberFault::Null},
                                                                    {QStringLiteral("mistyped:"), MemberFault::Mistyped}};
        for (const auto& memberFault : memberFaults) {
            if (faulty && fault.kind.startsWith(memberFault.first))
                result.content = withMembers(result.content,
                                             fault.kind.mid(memberFault.first.size()).split(QLatin1Char(',')),
                                             memberFault.second);
        }
        const bool echo = !(faulty && fault.kind == QLatin1String("nouserdata"));
        response = envelope(request, result, echo);
        if (faulty && fault.kind == QLatin1String("truncated"))
            response.body.truncate(response.body.size() / 2);
    }
    if (faulty)
        response.delayMs = fault.delayMs;
    return response;
}

HttpResponse Platform::control(const HttpRequest& request)
{
    const QByteArray what = request.path.mid(int(qstrlen("/__control/")));
    const QJsonObject body = QJsonDocument::fromJson(request.body).object();

    if (what == "journal")
        return jsonResponse(QJsonObject{{QStringLiteral("requests"), m_journal}});
    if (what == "clearJournal") {
        m_journal = QJsonArray();
        return jsonResponse({});
    }
    if (what == "reset") {
        m_journal = QJsonArray();
        m_faults.clear();
        m_files.clear();
        m_store.reset();
        return jsonResponse({});
    }
    if (what == "fault") {
        Fault fault;
        fault.path = body.value(QStringLiteral("path")).toString(QStringLiteral("*"));
        fault.kind = body.value(QStringLiteral("kind")).toString(QStringLiteral("ok"));
        fault.delayMs = body.value(QStringLiteral("delayMs")).toInt(0);
        fault.count = body.value(QStringLiteral("count")).toInt(1);
        fault.body = body.value(QStringLiteral("body")).toString().toUtf8();
        if (fault.count == 0)
            return jsonResponse({{QStringLiteral("error"), QStringLiteral("count must not be 0")}}, 400);
        m_faults.append(fault);
        return jsonResponse({});
    }
    if (what == "release") {
        m_server->releaseHeld();
        return jsonResponse({});
    }
    if (what == "clearFaults") {
        m_faults.clear();
        return jsonResponse({});
    }
    if (what == "feed") {
        const int uid = body.value(QStringLiteral("uid")).toInt(Store::kDemoUid);
        const QJsonArray ids = m_store.pushFeed(uid, body.value(QStringLiteral("items")).toArray());
        return jsonResponse({{QStringLiteral("ids"), ids}});
    }
    if (what == "devices") {
        // Whether machines new to an author are welcomed with the author's work.
        m_store.setWelcomeNewDevices(body.value(QStringLiteral("welcome")).toBool());
        return jsonResponse({});
    }
    if (what == "call") {
        // A request of another machine of the demo author, made while the
        // client under test keeps running.
        ApiCall call;
        call.path = body.value(QStringLiteral("path")).toString();
        call.body = body.value(QStringLiteral("body")).toObject();
        call.uid = Store::kDemoUid;
        call.device = body.value(QStringLiteral("device")).toString();
        if (!m_store.knows(call.path))
            return jsonResponse({{QStringLiteral("error"), QStringLiteral("unknown path")}}, 404);
        const ApiResult result = m_store.call(call);
        return jsonResponse({{QStringLiteral("code"), result.code}, {QStringLiteral("content"), result.content}},
                            result.code == 200 ? 200 : 400);
    }
    if (what == "localIds") {
        m_store.setListLocalIds(body.value(QStringLiteral("listed")).toBool());
        return jsonResponse({});
    }
    if (what == "versions") {
        m_store.setVersions(body);
        return jsonResponse({});
    }
    if (what == "image") {
        m_store.putImage(body.value(QStringLiteral("name")).toString(),
                         QByteArray::fromBase64(body.value(QStringLiteral("base64")).toString().toLatin1()));
        return jsonResponse({});
    }
    if (what == "file") {
        m_files.insert(body.value(QStringLiteral("name")).toString(),
                       QByteArray::fromBase64(body.value(QStringLiteral("base64")).toString().toLatin1()));
        return jsonResponse({});
    }
    if (what == "update") {
        m_store.setUpdate(body);
        return jsonResponse({});
    }
    if (what == "store")
        return jsonResponse(m_store.dump());
    if (what == "listen") {
        // A second origin on the same data, e.g. a picture host that must
        // never see the API's token.
        const quint16 port = m_server->listen(0);
        return jsonResponse({{QStringLiteral("port"), port}}, port == 0 ? 500 : 200);
    }
    if (what == "demo") {
        return jsonResponse({{QStringLiteral("uid"), Store::kDemoUid},
                             {QStringLiteral("phone"), QString::fromLatin1(Store::demoPhone())},
                             {QStringLiteral("password"), QString::fromLatin1(Store::demoPassword())},
                             {QStringLiteral("token"), QString::fromLatin1(Store::demoToken())}});
    }
    return jsonResponse({{QStringLiteral("error"), QStringLiteral("unknown control")}}, 404);
}
