#include "Widget_ForgetPwd.h"

#include "manager/CJobManager.h"
#include "ui/common/DialogKeys.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

Widget_ForgetPwd::Widget_ForgetPwd(QWidget* parent)
    : AccountCodeForm(tr("ForgetPwd"), QStringLiteral("btnResetPwd"), tr("Reset Password"), parent)
{
    setObjectName(QStringLiteral("Widget_ForgetPwd"));
    m_labelError->setMinimumHeight(13);
    auto* row = static_cast<QHBoxLayout*>(m_links->layout());
    auto* btnGotoRegister = new QPushButton(tr("Free Registration"), m_links);
    btnGotoRegister->setObjectName(QStringLiteral("btnGotoRegister"));
    btnGotoRegister->setCursor(Qt::PointingHandCursor);
    auto* btnGotoLogin = new QPushButton(tr("GotoLogin"), m_links);
    btnGotoLogin->setObjectName(QStringLiteral("btnGotoLogin"));
    btnGotoLogin->setCursor(Qt::PointingHandCursor);
    DialogKeys::setLink(btnGotoRegister);
    DialogKeys::setLink(btnGotoLogin);
    row->addWidget(btnGotoRegister);
    row->addStretch();
    row->addWidget(btnGotoLogin);

    connect(btnGotoLogin, &QPushButton::clicked, this, [this]() { emit sig_toggle(0); });
    connect(btnGotoRegister, &QPushButton::clicked, this, [this]() { emit sig_toggle(1); });
}

void Widget_ForgetPwd::submitRequest(const QString& phone, const QString& code, const QString& password,
                                     int& replyCode, QString& replyMsg)
{
    TC_Author_EditPwd request;
    request.phone = phone;
    request.code = code;
    request.password = password;
    TS_Author_EditPwd reply;
    CJobManager::instance()->author_editPwd(request, reply);
    replyCode = reply.header.code;
    replyMsg = reply.header.msg;
}

void Widget_ForgetPwd::afterSuccess(const QString& phone)
{
    emit sig_forgetpwdMsg(phone);
}

QString Widget_ForgetPwd::successText() const
{
    return tr("Password reset Successful");
}
