#pragma once

#include "remote/CHttpBase.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QList>
#include <QNetworkReply>
#include <QObject>
#include <QTimer>

// What a finished non-blocking request handed to the receiver.
struct CaughtReply
{
    QNetworkReply::NetworkError error = QNetworkReply::NoError;
    QByteArray body;
    QByteArray requestUserdata;
};

// Stands where the job manager stands: receives every finished non-blocking
// request and releases the reply, as a receiver must.
class ReplyCatcher
{
public:
    explicit ReplyCatcher(CHttpBase* client)
    {
        QObject::connect(client, &CHttpBase::sigGetAsynData, &m_context, [this](QNetworkReply* reply) {
            CaughtReply caught;
            caught.error = reply->error();
            caught.body = reply->readAll();
            caught.requestUserdata = reply->request().rawHeader("userdata");
            replies.append(caught);
            reply->deleteLater();
        });
    }

    QList<CaughtReply> replies;

    bool waitFor(int count, int timeoutMs = 20000)
    {
        QElapsedTimer clock;
        clock.start();
        while (replies.size() < count && clock.elapsed() < timeoutMs)
            settle(10);
        return replies.size() >= count;
    }

    // Lets queued events run for a while, to see that nothing more arrives.
    static void settle(int ms)
    {
        QEventLoop loop;
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        loop.exec();
    }

private:
    QObject m_context;
};
