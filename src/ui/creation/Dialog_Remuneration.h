#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// Asks for a book's fee rate in yuan per thousand characters; accepted only
// with a value from 0.01 to 10000.
class Dialog_Remuneration : public QDialog
{
    Q_OBJECT
public:
    explicit Dialog_Remuneration(QWidget* parent = nullptr);

    void setMoney(double value);
    // The typed value; 0 when it is not a number.
    double money() const;

    QLineEdit* lineEdit() const { return m_edit; }
    QLabel* errorLabel() const { return m_error; }
    QPushButton* confirmButton() const { return m_confirm; }

public slots:
    void onConfirm();

private:
    QLineEdit* m_edit = nullptr;
    QLabel* m_error = nullptr;
    QPushButton* m_confirm = nullptr;
};
