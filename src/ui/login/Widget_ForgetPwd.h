#pragma once

#include "AccountCodeForm.h"

// The password-reset page of the login dialog.
class Widget_ForgetPwd : public AccountCodeForm
{
    Q_OBJECT
public:
    explicit Widget_ForgetPwd(QWidget* parent = nullptr);

signals:
    void sig_forgetpwdMsg(QString account);

protected:
    void submitRequest(const QString& phone, const QString& code, const QString& password, int& replyCode,
                       QString& replyMsg) override;
    void afterSuccess(const QString& phone) override;
    QString successText() const override;
};
