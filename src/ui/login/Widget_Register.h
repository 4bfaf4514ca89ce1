#pragma once

#include "AccountCodeForm.h"

// The registration page of the login dialog.
class Widget_Register : public AccountCodeForm
{
    Q_OBJECT
public:
    explicit Widget_Register(QWidget* parent = nullptr);

signals:
    void sig_registerMsg(QString account, QString pwd);

protected:
    void submitRequest(const QString& phone, const QString& code, const QString& password, int& replyCode,
                       QString& replyMsg) override;
    void afterSuccess(const QString& phone) override;
    QString successText() const override;
};
