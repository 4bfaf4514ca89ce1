#include "Dialog_LoginMain.h"

#include "Widget_Banner.h"
#include "Widget_BindWechat.h"
#include "Widget_ForgetPwd.h"
#include "Widget_Login.h"
#include "Widget_Register.h"
#include "Widget_WeChatLogin.h"
#include "widget_tips.h"
#include "common/DPIAdapter.h"
#include "manager/CJobManager.h"
#include "manager/CQssManager.h"
#include "ui/common/DialogKeys.h"
#include "ui/common/NcFramelessHelper.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>
#include <QUuid>

Dialog_LoginMain::Dialog_LoginMain(QWidget* parent) : QDialog(parent)
{
    buildForm();
    m_uuid = QUuid::createUuid().toString(QUuid::WithoutBraces);
    initUi();
    initConnects();
}

Dialog_LoginMain::~Dialog_LoginMain()
{
    // The WeChat window is a top-level window of its own.
    delete m_weChat;
}

Widget_WeChatLogin* Dialog_LoginMain::weChatWindow() const
{
    return m_weChat;
}

void Dialog_LoginMain::buildForm()
{
    setObjectName(QStringLiteral("Dialog_LoginMain"));
    const double s = DPIAdapter::instance()->scale();
    setFixedSize(int(882 * s), int(505 * s));
    auto* grid = new QGridLayout(this);
    grid->setObjectName(QStringLiteral("gridLayout"));
    grid->setSpacing(0);
    grid->setContentsMargins(10, 10, 10, 10);
    m_frame = new QWidget(this);
    m_frame->setObjectName(QStringLiteral("widget_frame"));
    m_frame->setAttribute(Qt::WA_StyledBackground);
    grid->addWidget(m_frame, 0, 0);
    auto* row = new QHBoxLayout(m_frame);
    row->setObjectName(QStringLiteral("horizontalLayout"));
    row->setSpacing(0);
    row->setContentsMargins(0, 0, 0, 0);
    m_banner = new Widget_Banner(m_frame);
    m_banner->setObjectName(QStringLiteral("widgetBanner"));
    m_banner->setFixedWidth(int(517 * s));
    row->addWidget(m_banner);
    m_stack = new QStackedWidget(m_frame);
    m_stack->setObjectName(QStringLiteral("stackedWidget"));
    row->addWidget(m_stack);
}

void Dialog_LoginMain::initUi()
{
    m_btnClose = new QPushButton(this);
    m_btnClose->setObjectName(QStringLiteral("loginCloseBtn"));
    m_btnClose->setCursor(Qt::PointingHandCursor);
    // It quits the program: a click only, never a key.
    m_btnClose->setFocusPolicy(Qt::NoFocus);
    m_login = new Widget_Login(this);
    m_register = new Widget_Register(this);
    m_forget = new Widget_ForgetPwd(this);
    m_tips = new widget_tips(m_stack);
    m_tips->duration = 1000;

    m_stack->addWidget(m_login);
    m_stack->addWidget(m_register);
    m_stack->addWidget(m_forget);
    m_stack->setCurrentWidget(m_login);

    setWindowTitle(tr("Login"));
    setAttribute(Qt::WA_TranslucentBackground);

    m_frameless = new NcFramelessHelper(this);
    m_frameless->setWidgetMovable(true);
    m_frameless->setWidgetResizable(false);
    m_frameless->activateOn(this);
    CQssManager::instance()->addShadowEffect(m_frame);

    m_banner->addImage(QStringLiteral(":/res/skin/light/login/banner_1.jpg"));
    m_banner->addImage(QStringLiteral(":/res/skin/light/login/banner_2.jpg"));
    m_banner->addImage(QStringLiteral(":/res/skin/light/login/banner_3.jpg"));
    m_banner->startPlay();

    m_btnClose->raise();
    // Each page takes the keys in its phone field when it comes up, and
    // Enter there does what its main button does.
    DialogKeys::setUp(this, m_login->accountEdit());
    DialogKeys::setUpPage(this, m_login, m_login->accountEdit(), m_login->loginButton());
    for (AccountCodeForm* form : {static_cast<AccountCodeForm*>(m_register), static_cast<AccountCodeForm*>(m_forget)})
        DialogKeys::setUpPage(this, form, form->accountEdit(), form->submitButton());
}

void Dialog_LoginMain::initConnects()
{
    connect(m_btnClose, &QPushButton::clicked, qApp, &QCoreApplication::quit);
    connect(m_login, &Widget_Login::sig_toggle, this, &Dialog_LoginMain::onDealToggle);
    connect(m_register, &Widget_Register::sig_toggle, this, &Dialog_LoginMain::onDealToggle);
    connect(m_forget, &Widget_ForgetPwd::sig_toggle, this, &Dialog_LoginMain::onDealToggle);
    connect(m_register, &Widget_Register::sig_tips, this, &Dialog_LoginMain::onDealTips);
    connect(m_forget, &Widget_ForgetPwd::sig_tips, this, &Dialog_LoginMain::onDealTips);
    connect(m_register, &Widget_Register::sig_registerMsg, this, [this](QString account, QString pwd) {
        m_login->setAccount(account, pwd);
        m_stack->setCurrentWidget(m_login);
    });
    connect(m_forget, &Widget_ForgetPwd::sig_forgetpwdMsg, this, [this](QString account) {
        m_login->setAccount(account, QString());
        m_stack->setCurrentWidget(m_login);
    });
}

void Dialog_LoginMain::onDealToggle(int index)
{
    switch (index) {
    case 0:
        m_stack->setCurrentWidget(m_login);
        break;
    case 1:
        m_register->getCode(m_uuid);
        m_stack->setCurrentWidget(m_register);
        break;
    case 2:
        m_forget->getCode(m_uuid);
        m_stack->setCurrentWidget(m_forget);
        break;
    case 3:
        if (!m_weChat) {
            m_weChat = new Widget_WeChatLogin(0, nullptr);
            connect(m_weChat, &Widget_WeChatLogin::sig_toggle, this, &Dialog_LoginMain::onDealToggle);
            connect(m_weChat, &Widget_WeChatLogin::sig_quit, this, &Dialog_LoginMain::onWeChatSignedIn);
        }
        m_weChat->show();
        break;
    case 4:
        m_stack->setCurrentWidget(m_login);
        QTimer::singleShot(20, this, [this]() {
            if (!m_bind) {
                m_bind = new Widget_BindWechat(m_stack);
                m_bind->setFixedSize(m_stack->size());
            }
            m_bind->move(0, 0);
            m_bind->show();
            m_bind->raise();
            m_btnClose->hide();
        });
        break;
    default:
        break;
    }
}

void Dialog_LoginMain::onWeChatSignedIn()
{
    // The signal comes from inside the window's own reply handler: it goes
    // once control is back in the event loop.
    if (m_weChat) {
        m_weChat->deleteLater();
        m_weChat = nullptr;
    }
    CJobManager::instance()->initAfterLogin();
}

void Dialog_LoginMain::pollingWx(const TS_Author_PollingWx& reply)
{
    if (m_weChat)
        m_weChat->pollingWx(reply);
}

void Dialog_LoginMain::onDealTips(QString tips)
{
    if (m_tips)
        m_tips->showTips(tips);
}

void Dialog_LoginMain::closeEvent(QCloseEvent* event)
{
    // The window manager's close (Alt+F4, a task bar) is the author's ×:
    // it ends the program as the × does, never hides the window as Escape
    // does. While the × is hidden nothing ends the window.
    event->ignore();
    if (m_btnClose->isVisible())
        m_btnClose->click();
}

void Dialog_LoginMain::resizeEvent(QResizeEvent* event)
{
    if (m_btnClose) {
        const int inset = int(28 * DPIAdapter::instance()->scale());
        m_btnClose->move(width() - m_btnClose->width() - inset, inset);
    }
    QDialog::resizeEvent(event);
}
