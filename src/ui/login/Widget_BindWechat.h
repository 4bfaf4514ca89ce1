#pragma once

#include <QWidget>

class CTimerButton;
class QLabel;
class QLineEdit;
class QPushButton;

// Laid over the login dialog's pages after a WeChat scan whose account has
// no phone yet: phone and SMS code finish the sign-in.
class Widget_BindWechat : public QWidget
{
    Q_OBJECT
public:
    explicit Widget_BindWechat(QWidget* parent = nullptr);

    QLineEdit* phoneEdit() const { return m_phone; }
    QLineEdit* codeEdit() const { return m_code; }
    CTimerButton* sendButton() const { return m_btnGetCode; }
    QPushButton* confirmButton() const { return m_btnConfirm; }
    QLabel* errorLabel() const { return m_labelError; }

private:
    void onConfirm();

    QLineEdit* m_phone = nullptr;
    QLineEdit* m_code = nullptr;
    CTimerButton* m_btnGetCode = nullptr;
    QLabel* m_labelError = nullptr;
    QPushButton* m_btnConfirm = nullptr;
};
