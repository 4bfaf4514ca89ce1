#include "Widget_Register.h"

#include "manager/CJobManager.h"
#include "remote/ApiBase.h"
#include "ui/common/DialogKeys.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QUrl>

Widget_Register::Widget_Register(QWidget* parent)
    : AccountCodeForm(tr("Register"), QStringLiteral("btnRegister"), tr("Register Now"), parent)
{
    setObjectName(QStringLiteral("Widget_Register"));
    m_labelError->setMinimumHeight(14);
    auto* row = static_cast<QHBoxLayout*>(m_links->layout());
    auto* labelAgreement = new QLabel(tr("Consent"), m_links);
    labelAgreement->setObjectName(QStringLiteral("labelAgreement"));
    auto* btnAgreement = new QPushButton(tr("Tessane Agreement"), m_links);
    btnAgreement->setObjectName(QStringLiteral("btnAgreement"));
    btnAgreement->setCursor(Qt::PointingHandCursor);
    auto* btnGotoLogin = new QPushButton(tr("GotoLogin"), m_links);
    btnGotoLogin->setObjectName(QStringLiteral("btnGotoLogin"));
    btnGotoLogin->setCursor(Qt::PointingHandCursor);
    row->addWidget(labelAgreement);
    row->addWidget(btnAgreement);
    row->addStretch();
    row->addWidget(btnGotoLogin);
    DialogKeys::setLink(btnAgreement);
    DialogKeys::setLink(btnGotoLogin);
    labelAgreement->hide();
    btnAgreement->hide();

    connect(btnGotoLogin, &QPushButton::clicked, this, [this]() { emit sig_toggle(0); });
    connect(btnAgreement, &QPushButton::clicked, this, []() {
        QUrl url = ApiBase::url();
        url.setPath(QStringLiteral("/agreement"));
        QDesktopServices::openUrl(url);
    });
}

void Widget_Register::submitRequest(const QString& phone, const QString& code, const QString& password,
                                    int& replyCode, QString& replyMsg)
{
    TC_Author_Register request;
    request.phone = phone;
    request.code = code;
    request.password = password;
    TS_Author_Register reply;
    CJobManager::instance()->author_register(request, reply);
    replyCode = reply.header.code;
    replyMsg = reply.header.msg;
}

void Widget_Register::afterSuccess(const QString& phone)
{
    emit sig_registerMsg(phone, passwordEdit()->text());
}

QString Widget_Register::successText() const
{
    return tr("Registration Successful");
}
