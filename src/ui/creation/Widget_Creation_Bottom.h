#pragma once

#include <QWidget>

class CPublicManager;
class CSystemManager;
class CUiManager;
class QLabel;
class QPushButton;

// The status bar under the chapter editor: words (selected/total), typing
// speed or its countdown, writing and idle time with their lamps, and the
// chapter's fee estimate. It keeps no values: each refresh redraws from the
// shared model.
class Widget_Creation_Bottom : public QWidget
{
    Q_OBJECT
public:
    explicit Widget_Creation_Bottom(QWidget* parent = nullptr);

    void updateInfo(bool active, int window);

    // The fee text for a chapter length and a rate: rounded down to the cent.
    static QString feeText(int words, double rate);

signals:
    void sig_openSetMoneyDlg();

private:
    CPublicManager* m_public = nullptr;
    CSystemManager* m_system = nullptr;
    CUiManager* m_ui = nullptr;
    QLabel* m_selectWord = nullptr;
    QLabel* m_wordCount = nullptr;
    QLabel* m_speed = nullptr;
    QPushButton* m_btnWrite = nullptr;
    QLabel* m_writeTime = nullptr;
    QPushButton* m_btnFree = nullptr;
    QLabel* m_freeTime = nullptr;
    QLabel* m_money = nullptr;
};
