#include "NetworkWarmUp.h"

#include "ApiBase.h"

#include "common/WorkerThreads.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSslSocket>
#include <QThread>
#include <QTimer>

namespace {
constexpr int kWaitMs = 2000;

// Shares nothing with the rest of the program; the reply is never read.
class WarmUpThread : public QThread
{
protected:
    void run() override
    {
        QSslSocket::supportsSsl();
        QNetworkAccessManager manager;
        QNetworkReply* reply = manager.get(QNetworkRequest(ApiBase::url()));
        QEventLoop loop;
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        QTimer::singleShot(kWaitMs, &loop, &QEventLoop::quit);
        loop.exec();
        reply->abort();
        delete reply;
    }
};
}

namespace NetworkWarmUp {

void start()
{
    auto* thread = new WarmUpThread();
    QObject::connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    // A quit ends its wait for the reply at once and waits for the thread.
    WorkerThreads::adopt(thread);
    thread->start(QThread::LowPriority);
}

}
