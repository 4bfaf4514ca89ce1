#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The sign-in page of the login dialog: account and password.
class Widget_Login : public QWidget
{
    Q_OBJECT
public:
    explicit Widget_Login(QWidget* parent = nullptr);

    void setAccount(const QString& account, const QString& password);

    QLineEdit* accountEdit() const { return m_account; }
    QLineEdit* passwordEdit() const { return m_password; }
    QCheckBox* autoCheck() const { return m_auto; }
    QPushButton* loginButton() const { return m_btnLogin; }
    QLabel* errorLabel() const { return m_labelError; }

signals:
    // 1 registration, 2 password reset, 3 WeChat sign-in.
    void sig_toggle(int index);

public slots:
    void onDealLogin();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildForm();
    void initUi();
    void initConnects();
    void checkInput();

    QWidget* m_content = nullptr;
    QLabel* m_labelTitle = nullptr;
    QLineEdit* m_account = nullptr;
    QLineEdit* m_password = nullptr;
    QCheckBox* m_auto = nullptr;
    QPushButton* m_btnForget = nullptr;
    QLabel* m_labelError = nullptr;
    QPushButton* m_btnLogin = nullptr;
    QPushButton* m_btnRegister = nullptr;
    QPushButton* m_btnWechat = nullptr;
    QLabel* m_labelOther = nullptr;
};
