#pragma once

#include "StandinServer.h"
#include "remote/CHttpBase.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QList>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QObject>
#include <QTimer>

// The one stand-in shared by every test class of this executable; main()
// starts it and points the client at it before any test runs.
StandinServer& standin();

// What a finished non-blocking request handed to the receiver.
struct CaughtReply
{
    QNetworkReply::NetworkError error = QNetworkReply::NoError;
    QByteArray body;
    QByteArray requestUserdata;
};

// Stands where the job manager will stand: receives every finished request and
// releases the reply and its manager, as a receiver must.
class AsyncCatcher : public QObject
{
    Q_OBJECT
public:
    explicit AsyncCatcher(CHttpBase* client)
    {
        connect(client, &CHttpBase::sigGetAsynData, this, &AsyncCatcher::onReply);
    }

    QList<CaughtReply> replies;

    bool waitFor(int count, int timeoutMs = 20000)
    {
        QElapsedTimer clock;
        clock.start();
        while (replies.size() < count && clock.elapsed() < timeoutMs) {
            QEventLoop loop;
            QTimer::singleShot(10, &loop, &QEventLoop::quit);
            loop.exec();
        }
        return replies.size() >= count;
    }

    // Lets queued events run for a while, to see that nothing more arrives.
    static void settle(int ms)
    {
        QEventLoop loop;
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        loop.exec();
    }

private slots:
    void onReply(QNetworkReply* reply)
    {
        CaughtReply caught;
        caught.error = reply->error();
        caught.body = reply->readAll();
        caught.requestUserdata = reply->request().rawHeader("userdata");
        replies.append(caught);
        reply->deleteLater();
    }
};
