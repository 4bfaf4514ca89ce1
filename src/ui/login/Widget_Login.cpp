#include "Widget_Login.h"

#include "common/DPIAdapter.h"
#include "manager/CJobManager.h"
#include "ui/common/DialogKeys.h"
#include "ui/common/WindowWait.h"

#include <QCheckBox>
#include <QDebug>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegExpValidator>
#include <QVBoxLayout>

Widget_Login::Widget_Login(QWidget* parent) : QWidget(parent)
{
    buildForm();
    initUi();
    initConnects();
}

void Widget_Login::buildForm()
{
    setObjectName(QStringLiteral("Widget_Login"));
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    m_content = new QWidget(this);
    m_content->setObjectName(QStringLiteral("widgetContent"));
    outer->addWidget(m_content);

    auto* column = new QVBoxLayout(m_content);
    column->setContentsMargins(40, 56, 40, 24);
    column->setSpacing(14);
    m_labelTitle = new QLabel(tr("Login"), m_content);
    m_labelTitle->setObjectName(QStringLiteral("labelTitle"));
    column->addWidget(m_labelTitle);
    column->addSpacing(12);

    m_account = new QLineEdit(m_content);
    m_account->setObjectName(QStringLiteral("lineEditAccount"));
    column->addWidget(m_account);
    m_password = new QLineEdit(m_content);
    m_password->setObjectName(QStringLiteral("lineEditPwd"));
    column->addWidget(m_password);

    auto* options = new QHBoxLayout();
    m_auto = new QCheckBox(tr("Auto"), m_content);
    m_auto->setObjectName(QStringLiteral("checkBoxAuto"));
    m_auto->setCursor(Qt::PointingHandCursor);
    options->addWidget(m_auto);
    options->addStretch();
    m_btnForget = new QPushButton(tr("Forget Pwd"), m_content);
    m_btnForget->setObjectName(QStringLiteral("btnGotoForgetPwd"));
    m_btnForget->setCursor(Qt::PointingHandCursor);
    options->addWidget(m_btnForget);
    column->addLayout(options);

    m_labelError = new QLabel(m_content);
    m_labelError->setObjectName(QStringLiteral("labelError"));
    m_labelError->setFixedHeight(int(14 * DPIAdapter::instance()->scale()));
    column->addWidget(m_labelError);

    m_btnLogin = new QPushButton(tr("Login"), m_content);
    m_btnLogin->setObjectName(QStringLiteral("btnLogin"));
    m_btnLogin->setCursor(Qt::PointingHandCursor);
    column->addWidget(m_btnLogin);

    auto* links = new QHBoxLayout();
    links->addStretch();
    m_btnRegister = new QPushButton(tr("Register"), m_content);
    m_btnRegister->setObjectName(QStringLiteral("btnGotoRegister"));
    m_btnRegister->setCursor(Qt::PointingHandCursor);
    links->addWidget(m_btnRegister);
    links->addStretch();
    column->addLayout(links);
    column->addStretch();

    auto* other = new QHBoxLayout();
    m_labelOther = new QLabel(tr("Other login methods"), m_content);
    m_labelOther->setObjectName(QStringLiteral("labelOther"));
    other->addWidget(m_labelOther);
    m_btnWechat = new QPushButton(m_content);
    m_btnWechat->setObjectName(QStringLiteral("btnWechat"));
    m_btnWechat->setFixedSize(int(30 * DPIAdapter::instance()->scale()), int(30 * DPIAdapter::instance()->scale()));
    other->addWidget(m_btnWechat);
    other->addStretch();
    column->addLayout(other);
}

void Widget_Login::initUi()
{
    m_account->setPlaceholderText(tr("Please enter account"));
    m_account->setValidator(new QRegExpValidator(QRegExp(QStringLiteral("[0-9]+$")), m_account));
    m_account->setMaxLength(11);
    m_password->setPlaceholderText(tr("Please enter password"));
    m_password->setEchoMode(QLineEdit::Password);
    m_password->setMaxLength(16);
    m_auto->setChecked(true);
    m_btnLogin->setEnabled(!m_account->text().isEmpty() && !m_password->text().isEmpty());
    DPIAdapter::instance()->adaptWidget(m_content);
    for (QPushButton* link : {m_btnForget, m_btnRegister, m_btnWechat})
        DialogKeys::setLink(link);
    // The WeChat sign-in is not offered on this page.
    m_btnWechat->hide();
    m_labelOther->hide();
}

void Widget_Login::initConnects()
{
    connect(m_btnLogin, &QPushButton::clicked, this, &Widget_Login::onDealLogin);
    connect(m_btnRegister, &QPushButton::clicked, this, [this]() { emit sig_toggle(1); });
    connect(m_btnForget, &QPushButton::clicked, this, [this]() { emit sig_toggle(2); });
    connect(m_btnWechat, &QPushButton::clicked, this, [this]() { emit sig_toggle(3); });
    connect(m_account, &QLineEdit::textChanged, this, &Widget_Login::checkInput);
    connect(m_password, &QLineEdit::textChanged, this, &Widget_Login::checkInput);
}

void Widget_Login::checkInput()
{
    m_btnLogin->setEnabled(!WindowWait::isWaiting(this) && !m_account->text().isEmpty()
                           && m_password->text().size() >= 8);
    m_labelError->clear();
}

void Widget_Login::setAccount(const QString& account, const QString& password)
{
    m_account->setText(account);
    m_password->setText(password);
}

void Widget_Login::onDealLogin()
{
    WindowWait wait(this, {m_btnLogin, m_account, m_password});
    if (!wait.started())
        return;
    const QString password = m_password->text();
    const QString account = m_account->text();
    TC_Author_Login request;
    request.phone = account;
    request.password = password;
    TS_Author_Login reply;
    CJobManager::instance()->author_login(request, reply, m_auto->isChecked());
    if (!wait.resumed())
        return;
    qDebug() << "sign-in reply:" << reply.header.code << reply.header.msg;
    if (reply.header.code == HttpOk) {
        m_labelError->clear();
        CJobManager::instance()->initAfterLogin();
        return;
    }
    m_labelError->setText(reply.header.msg);
}

void Widget_Login::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (m_btnLogin->isEnabled())
            onDealLogin();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}
