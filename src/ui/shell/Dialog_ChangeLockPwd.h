#pragma once

#include <QDialog>

class CBaseTitleBar;
class CPublicManager;
class NcFramelessHelper;
class QLabel;
class QLineEdit;
class QPushButton;

// Sets (mode 0), changes (mode 1) or confirms (mode 2) the application lock
// password. The dialog only checks what was typed; the caller stores the
// accepted password in the user's settings.
class Dialog_ChangeLockPwd : public QDialog
{
    Q_OBJECT
public:
    enum Mode { Create = 0, Change = 1, Verify = 2 };

    explicit Dialog_ChangeLockPwd(int mode, QWidget* parent = nullptr);

    int mode() const { return m_mode; }
    QString newPassword() const;
    // Empties the three fields and the error line.
    void resetFields();

    CBaseTitleBar* titleBar() const { return m_widgetTitle; }
    QLineEdit* lineEditOriginal() const { return m_lineEditOriginal; }
    QLineEdit* lineEditNew() const { return m_lineEditNew; }
    QLineEdit* lineEditConfirm() const { return m_lineEditConfirm; }
    QLabel* labelError() const { return m_labelError; }
    QPushButton* btnConfirm() const { return m_btnConfirm; }
    QPushButton* btnCancel() const { return m_btnCancel; }

public slots:
    // The confirm button's check; accepts the dialog when the input holds.
    void verifyInput();

private:
    QLineEdit* addRow(QWidget* parent, class QGridLayout* grid, int row, const char* labelName,
                      const QString& label, const char* editName, const QString& placeholder,
                      QLabel** labelOut);

    CPublicManager* m_model;
    int m_mode;
    double m_scale = 1.0;
    CBaseTitleBar* m_widgetTitle = nullptr;
    QLabel* m_labelOriginal = nullptr;
    QLabel* m_labelNew = nullptr;
    QLabel* m_labelConfirm = nullptr;
    QLineEdit* m_lineEditOriginal = nullptr;
    QLineEdit* m_lineEditNew = nullptr;
    QLineEdit* m_lineEditConfirm = nullptr;
    QLabel* m_labelError = nullptr;
    QPushButton* m_btnConfirm = nullptr;
    QPushButton* m_btnCancel = nullptr;
    NcFramelessHelper* m_frameless = nullptr;
};
