#pragma once

#include <QDialog>

class CPublicManager;
class NcFramelessHelper;
class QLabel;
class QLineEdit;
class QPushButton;

// The lock screen of the application lock: the author types the lock
// password kept in the user's settings. Nothing is sent anywhere.
class Dialog_Unlock : public QDialog
{
    Q_OBJECT
public:
    explicit Dialog_Unlock(QWidget* parent = nullptr);

    // 0 unlocked, 1 closed (also the value before any choice), 2 forgot password.
    int resultKind() const { return m_resultKind; }
    // Empties the password field and its error, disables the confirm button
    // and forgets the last result: an end without a choice reads as closed.
    void resetInput();

    QLineEdit* lineEditPwd() const { return m_lineEditPwd; }
    QLabel* labelError() const { return m_labelError; }
    QPushButton* btnConfirm() const { return m_btnConfirm; }
    QPushButton* btnForgotPwd() const { return m_btnForgotPwd; }
    QPushButton* btnClose() const { return m_btnClose; }

public slots:
    void unlock();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void onForgot();

    CPublicManager* m_model;
    int m_resultKind = 1;
    QLineEdit* m_lineEditPwd;
    QLabel* m_labelError;
    QPushButton* m_btnConfirm;
    QPushButton* m_btnForgotPwd;
    QPushButton* m_btnClose;
    NcFramelessHelper* m_frameless;
};
