#pragma once

#include "JobsFixture.h"

#include <QByteArray>
#include <QJsonValue>
#include <QList>
#include <QString>
#include <QVariant>

#include <functional>

struct T_Book;
struct T_Http_Custom;

// A signed-in client on a fresh database (JobsFixture) with helpers to make
// books and read rows, jobs and requests.
class BooksFixture : public JobsFixture
{
public:
    // Seeds the demo author, starts the client and waits for its first pass.
    bool up();
    // A book made by hand, waited for until the platform has given the book,
    // its volume and its chapter their ids and no job is left.
    T_Book* onlineBook(const QString& name);
    // A book that never reached the platform (server id 0), with one volume
    // and two chapters of its own, recorded as coming from the platform so
    // that no job is left.
    T_Book* offlineBook(const QString& name);

    static bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 15000);
    // The first column of the first row; invalid when there is none.
    static QVariant scalar(const QString& sql);
    // Job types in the queue, oldest first.
    static QList<int> jobTypes();
    static QString jobContent(int jobType);
    // A reply of the platform to a request with this identity.
    static QByteArray reply(const T_Http_Custom& identity, const QJsonValue& content, int code = 200);
    // Requests sent so far to the path.
    static int sent(const QString& path) { return requestsTo(path).size(); }
    static QJsonObject lastBody(const QString& path);
};
