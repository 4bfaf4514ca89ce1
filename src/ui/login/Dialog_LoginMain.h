#pragma once

#include "remote/records/AccountRecords.h"

#include <QDialog>
#include <QPointer>

class NcFramelessHelper;
class QPushButton;
class QStackedWidget;
class Widget_Banner;
class Widget_BindWechat;
class Widget_ForgetPwd;
class Widget_Login;
class Widget_Register;
class Widget_WeChatLogin;
class widget_tips;

// The window shown while nobody is signed in: a carousel on the left and the
// sign-in, registration and password-reset pages on the right. Closing it
// ends the program.
class Dialog_LoginMain : public QDialog
{
    Q_OBJECT
public:
    explicit Dialog_LoginMain(QWidget* parent = nullptr);
    ~Dialog_LoginMain() override;

    // The key the platform ties this dialog's picture codes to.
    QString uuidKey() const { return m_uuid; }

    Widget_Login* loginPage() const { return m_login; }
    Widget_Register* registerPage() const { return m_register; }
    Widget_ForgetPwd* forgetPage() const { return m_forget; }
    widget_tips* tips() const { return m_tips; }
    Widget_WeChatLogin* weChatWindow() const;
    Widget_BindWechat* bindPage() const { return m_bind; }
    Widget_Banner* banner() const { return m_banner; }
    QStackedWidget* stack() const { return m_stack; }
    QPushButton* closeButton() const { return m_btnClose; }

    // A WeChat poll reply for the open WeChat window; dropped without one.
    void pollingWx(const TS_Author_PollingWx& reply);

public slots:
    void onDealToggle(int index);
    void onDealTips(QString tips);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildForm();
    void initUi();
    void initConnects();
    void onWeChatSignedIn();

    QString m_uuid;
    QPushButton* m_btnClose = nullptr;
    Widget_Login* m_login = nullptr;
    Widget_Register* m_register = nullptr;
    Widget_ForgetPwd* m_forget = nullptr;
    widget_tips* m_tips = nullptr;
    QPointer<Widget_WeChatLogin> m_weChat;
    Widget_BindWechat* m_bind = nullptr;

    NcFramelessHelper* m_frameless = nullptr;
    QWidget* m_frame = nullptr;
    Widget_Banner* m_banner = nullptr;
    QStackedWidget* m_stack = nullptr;
};
