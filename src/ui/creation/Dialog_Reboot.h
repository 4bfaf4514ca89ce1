#pragma once

#include <QDialog>

class QButtonGroup;
class QPushButton;

// Asks whether to shut down, restart or put the machine to sleep while the
// writing lock holds; the caller runs the choice.
class Dialog_Reboot : public QDialog
{
    Q_OBJECT
public:
    explicit Dialog_Reboot(QWidget* parent = nullptr);

    // 0 shut down, 1 restart, 2 sleep.
    int checkedId() const;

private:
    QButtonGroup* m_group = nullptr;
};
