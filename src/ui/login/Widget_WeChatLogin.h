#pragma once

#include "remote/records/AccountRecords.h"

#include <QWidget>

class QTimer;
class QVBoxLayout;
class QWebEngineView;

// The WeChat QR sign-in window: shows the platform's QR page for a fresh
// nonce and asks once a second whether it was scanned. In binding mode
// (any mode but 0) it binds the signed-in author's WeChat instead.
class Widget_WeChatLogin : public QWidget
{
    Q_OBJECT
public:
    explicit Widget_WeChatLogin(int mode, QWidget* parent = nullptr);

    // Poll replies, handed over by the window manager.
    void pollingWx(const TS_Author_PollingWx& reply);
    void pollingBindWx(const TS_Author_PollingBindWx& reply);

    int mode() const { return m_mode; }
    QString nonce() const { return m_nonce; }
    QString pageUrl() const { return m_pageUrl; }
    bool isPolling() const;

signals:
    // 4: show the binding page.
    void sig_toggle(int index);
    void sig_bind(bool bound);
    void sig_quit();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void poll();

    int m_mode = 0;
    QWebEngineView* m_view = nullptr;
    QTimer* m_pollTimer = nullptr;
    QString m_nonce;
    QString m_pageUrl;
    QVBoxLayout* m_layoutH5 = nullptr;
};
