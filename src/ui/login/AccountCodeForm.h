#pragma once

#include <QWidget>

class CTimerButton;
class QLabel;
class QLineEdit;
class QPushButton;
class VerificationCodeLabel;

// What the registration and the password-reset pages share: phone, picture
// code, SMS code with its countdown button, password twice. The picture code
// guards the SMS request; the subclass makes the final request.
class AccountCodeForm : public QWidget
{
    Q_OBJECT
public:
    // Fetches, decodes and shows a new picture code tied to the key.
    void getCode(const QString& uuid);

    QString pictureCode() const { return m_pictureCode; }
    QString uuidKey() const { return m_uuid; }

    QLineEdit* accountEdit() const { return m_account; }
    QLineEdit* pictureCodeEdit() const { return m_codeV; }
    VerificationCodeLabel* pictureLabel() const { return m_labelCodeV; }
    QLineEdit* smsCodeEdit() const { return m_code; }
    CTimerButton* sendButton() const { return m_btnGetCode; }
    QLineEdit* passwordEdit() const { return m_password; }
    QLineEdit* passwordAgainEdit() const { return m_passwordV; }
    QLabel* errorLabel() const { return m_labelError; }
    QPushButton* submitButton() const { return m_btnSubmit; }
    QWidget* codeFrame() const { return m_widgetCode; }

signals:
    // 0 sign-in page, 1 registration page.
    void sig_toggle(int index);
    void sig_tips(QString tips);

protected:
    AccountCodeForm(const QString& title, const QString& submitName, const QString& submitText,
                    QWidget* parent);

    // The final request with phone, SMS code and password; fills code and
    // message of the reply.
    virtual void submitRequest(const QString& phone, const QString& code, const QString& password,
                               int& replyCode, QString& replyMsg) = 0;
    // After the success tip has been shown and the page is still visible.
    virtual void afterSuccess(const QString& phone) = 0;
    virtual QString successText() const = 0;

    bool eventFilter(QObject* watched, QEvent* event) override;

    QWidget* m_content = nullptr;
    QLabel* m_labelError = nullptr;
    // Holds the links below the submit button.
    QWidget* m_links = nullptr;

private:
    void checkSend(const QString& pictureText, bool ignoreCounting);
    void checkSubmit();
    void onAccountChanged();
    void onSendCode();
    void onSubmit();

    QString m_pictureCode;
    QString m_uuid;
    QString m_errorText;

    QLineEdit* m_account = nullptr;
    QLineEdit* m_codeV = nullptr;
    VerificationCodeLabel* m_labelCodeV = nullptr;
    QWidget* m_widgetCode = nullptr;
    QLineEdit* m_code = nullptr;
    CTimerButton* m_btnGetCode = nullptr;
    QLineEdit* m_password = nullptr;
    QLineEdit* m_passwordV = nullptr;
    QPushButton* m_btnSubmit = nullptr;
};
