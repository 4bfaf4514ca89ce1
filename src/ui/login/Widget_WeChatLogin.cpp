#include "Widget_WeChatLogin.h"

#include "common/Utility.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "ui/common/HiddenWindows.h"
#include "ui/common/WindowWait.h"

#include <QDebug>
#include <QShowEvent>
#include <QTimer>
#include <QUrl>
#include <QUuid>
#include <QVBoxLayout>
#include <QWebEngineView>

Widget_WeChatLogin::Widget_WeChatLogin(int mode, QWidget* parent) : QWidget(parent), m_mode(mode)
{
    setObjectName(QStringLiteral("Widget_WeChatLogin"));
    setFixedSize(636, 660);
    setWindowTitle(tr("WeChat Login"));
    setStyleSheet(QStringLiteral("#widgetTitle{background-color: #FFFFFF; border-bottom: 1px solid #EAEAEA;}"));
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* background = new QWidget(this);
    background->setObjectName(QStringLiteral("Widget_WeChatLogin_Bg"));
    outer->addWidget(background);
    m_layoutH5 = new QVBoxLayout(background);
    m_layoutH5->setObjectName(QStringLiteral("layoutH5"));
    m_layoutH5->setContentsMargins(0, 0, 0, 0);
    m_view = new QWebEngineView(background);
    m_layoutH5->addWidget(m_view);

    m_pollTimer = new QTimer(this);
    m_pollTimer->setInterval(1000);
    connect(m_pollTimer, &QTimer::timeout, this, &Widget_WeChatLogin::poll);
}

bool Widget_WeChatLogin::isPolling() const
{
    return m_pollTimer->isActive();
}

void Widget_WeChatLogin::showEvent(QShowEvent* event)
{
    // Brought back with the program's windows or out of the task bar, the
    // code on the page may be scanned already: its sign-in is asked after
    // again, not replaced by a new code.
    if ((event->spontaneous() || HiddenWindows::isAway(this)) && !m_pageUrl.isEmpty()) {
        m_pollTimer->start();
        QWidget::showEvent(event);
        return;
    }
    // A show while the last one's page address is still being fetched
    // leaves that fetch to finish.
    WindowWait wait(this);
    if (!wait.started()) {
        QWidget::showEvent(event);
        return;
    }
    TS_Author_WxCodeLogin reply;
    TC_Author_WxCodeLogin request;
    m_pageUrl.clear();
    if (m_mode == 0) {
        m_nonce = bytesMd5(QUuid::createUuid().toString().toLatin1());
        request.nonce_str = m_nonce;
        CJobManager::instance()->author_wxCodeLogin(request, reply, true);
        if (reply.header.code == HttpOk)
            m_pageUrl = reply.url;
        else
            qDebug() << "get wechat url error";
    } else {
        request.nonce_str = CPublicManager::instance()->userInfo.token;
        CJobManager::instance()->author_wxCodeUrl(request, reply);
        if (reply.header.code == HttpOk) {
            m_pageUrl = reply.url;
            qDebug() << "wechat bind url:" << m_pageUrl;
        } else {
            qDebug() << "get wechat bind url error";
        }
    }
    if (!wait.resumed())
        return;
    // The QR page is the platform's; only its http(s) address is shown.
    const QUrl url(m_pageUrl);
    const bool web = url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https");
    m_view->load(web ? url : QUrl(QStringLiteral("about:blank")));
    m_pollTimer->start();
    QWidget::showEvent(event);
}

void Widget_WeChatLogin::hideEvent(QHideEvent* event)
{
    m_pollTimer->stop();
    QWidget::hideEvent(event);
}

void Widget_WeChatLogin::poll()
{
    TC_Author_PollingWx request;
    if (m_mode == 0) {
        request.header.jobType = 4;
        request.nonce_str = m_nonce;
    } else {
        request.header.jobType = 5;
        request.nonce_str = CPublicManager::instance()->userInfo.token;
        qDebug() << "------author_pollingWx-------";
    }
    CJobManager::instance()->author_pollingWx(request);
}

void Widget_WeChatLogin::pollingWx(const TS_Author_PollingWx& reply)
{
    qDebug() << "pollingWx:" << reply.status << reply.isBindPhone;
    if (reply.status == 0)
        return;
    m_pollTimer->stop();
    if (reply.header.code != HttpOk) {
        // The scan was reported but the sign-in could not be completed here
        // (no account in the reply, or it could not be stored).
        qWarning() << "WeChat sign-in not completed:" << reply.header.code << reply.header.msg;
        return;
    }
    if (reply.isBindPhone == 1) {
        close();
        emit sig_quit();
    } else if (reply.isBindPhone == 2) {
        emit sig_toggle(4);
        close();
    }
}

void Widget_WeChatLogin::pollingBindWx(const TS_Author_PollingBindWx& reply)
{
    qDebug() << "pollingBindWx:" << reply.status << reply.isBindPhone << reply.header.msg;
    if (reply.status == 0)
        return;
    m_pollTimer->stop();
    emit sig_bind(reply.isBindPhone == 4);
    close();
}
