#pragma once

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QString>

#include <functional>

// The stand-in platform as a test sees it: started as a child process on a
// free port of 127.0.0.1, driven through its /__control/ endpoint (journal of
// requests, reset, faults, change feed, pictures). Stops with the object, and
// with this process however it ends.
class StandinServer
{
public:
    StandinServer() = default;
    ~StandinServer();
    StandinServer(const StandinServer&) = delete;
    StandinServer& operator=(const StandinServer&) = delete;

    // Before start: a folder of this process's that the stand-in removes if
    // this process ends without stopping it (killed, crashed).
    void setParentFolder(const QString& folder) { m_parentFolder = folder; }
    bool start();
    void stop();
    quint16 port() const { return m_port; }
    // "http://127.0.0.1:<port>"
    QString baseUrl() const;
    // Points the client at this server. The client reads TESSANE_API_BASE once,
    // so call this before anything asks for the API base address.
    void exportApiBase() const;

    // Every API request since the last reset, oldest first: objects with
    // "method", "target" (as on the request line), "path", "query" (raw), "headers" ([name, value] pairs as
    // sent), "body", "bodyBase64" and "port".
    QJsonArray journal();
    // Waits (events keep flowing) until the journal holds at least count requests.
    bool waitForRequests(int count, int timeoutMs = 15000);
    // Runs act once, as soon as the journal holds a request whose path ends
    // with pathEnd (clear the journal first). Each look is a timer of its
    // own, set before the look waits for the journal: act also runs while
    // the client waits in a loop of its own. Nothing runs once context is gone.
    void onceAsked(const QString& pathEnd, QObject* context, const std::function<void()>& act);
    bool reset();
    bool clearJournal();
    // kind: "ok" (delay only), "http500", "code300", "code400", "code500",
    // "notjson", "nouserdata", "truncated", "drop", "raw" (rawBody as the
    // whole reply), "without:m1,m2" (the reply's content, and the objects of
    // its lists, without those members), "null:m1,m2" (those members as
    // null) or "mistyped:m1,m2" (as a value of another kind). path "*" hits any API path, "/img/" any picture (which
    // takes "ok" and "http500"); count < 0 until reset. A negative delay
    // holds the answer until releaseHeld().
    bool addFault(const QString& path, const QString& kind, int delayMs = 0, int count = 1,
                  const QByteArray& rawBody = QByteArray());
    // Drops the faults not yet used up.
    bool clearFaults();
    // Sends every answer held so far.
    bool releaseHeld();
    // Appends change-feed items for an author; returns their ids.
    QJsonArray pushFeed(int uid, const QJsonArray& items);
    bool putImage(const QString& name, const QByteArray& bytes);
    // Whether a machine new to an author gets the feed items that bring the
    // author's work (off at start and after every reset).
    bool setDeviceWelcome(bool on);
    // Whether the platform's lists give a machine's local ids back (on at
    // start and after every reset).
    bool setLocalIdsListed(bool on);
    // An API request of the demo author made from another machine (its
    // uniquecode device) while the client keeps running; the reply's
    // content, empty when the platform refused it.
    QJsonObject callAs(const QString& device, const QString& path, const QJsonObject& body);
    // A file served at fileUrl(name) until reset; the fault kind "truncated"
    // on "/files/<name>" cuts the next download in half.
    bool putFile(const QString& name, const QByteArray& bytes);
    QString fileUrl(const QString& name) const;
    // What the version check answers until reset: "status" (1 offered,
    // 2 forced), "name", "url", "update_log".
    bool offerUpdate(const QJsonObject& update);
    // The data versions the platform reports from now on (keys as the
    // synchronisation reply has them).
    bool setVersions(const QJsonObject& versions);
    QJsonObject store();
    // Opens one more port on the same server: another origin for tests.
    quint16 listenAnotherPort();

    static QByteArray demoToken() { return "standin-demo-token"; }
    static int demoUid() { return 10001; }

    // The value of a header in a journal entry (names compared without case);
    // found tells whether it was there at all.
    static QByteArray header(const QJsonObject& entry, const QByteArray& name, bool* found = nullptr);
    // The journal entries of one API path, oldest first, and an entry's JSON body.
    QList<QJsonObject> requestsTo(const QString& path);
    static QJsonObject bodyOf(const QJsonObject& entry);

private:
    bool call(const QByteArray& method, const QString& what, const QJsonObject& body, QJsonObject& reply);

    QProcess m_process;
    quint16 m_port = 0;
    QString m_parentFolder;
};
