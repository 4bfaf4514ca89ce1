#pragma once

#include "db/records/T_UserConf.h"

#include <QDialog>
#include <QStringList>

class CBaseTitleBar;
class CJobManager;
class CPublicManager;
class CUiManager;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QStackedWidget;

// The signed-in author's settings: six pages (user, general, security,
// backup, hot keys, about) editing the shared model's system settings and
// the program's setting.ini. Most changes act at once through the model.
class Widget_Setting : public QDialog
{
    Q_OBJECT
public:
    explicit Widget_Setting(QWidget* parent = nullptr);

    // Shared by every page: texts the boss key may not take.
    static QStringList& reservedKeys();
    static QString defaultBossKey() { return QStringLiteral("Ctrl+Shift+N"); }

    QStackedWidget* stack() const { return m_stack; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void initUi();
    void initData();
    void initConnects();
    QWidget* buildUserPage();
    QWidget* buildNormalPage();
    QWidget* buildSafetyPage();
    QWidget* buildBackupsPage();
    QWidget* buildHotkeysPage();
    QWidget* buildAboutPage();

    // Stores the model's settings record; a refused write is told to the
    // author, and the record and the page go back to what is stored.
    bool writeConf();
    void showConf(const T_SystemConf& conf);
    // The choices kept in the settings file, as the file holds them.
    void showFileSettings();
    // A write of that file (or of a file that goes with it) failed: the
    // author is told and sees what the settings file holds.
    void fileSettingRefused(const QString& unwritable);
    void applyBossKey(const QString& keyText);
    void updateLockControls();
    // The note that this machine has no sound output, beside the switched-on
    // sounds; check also has the audio thread look (again).
    void checkSoundOutput();
    void showSoundOutput();
    void onLockClicked(bool checked);
    void onChangeLockPwd();
    void onForgotLockPwd();
    void onChangeUser();
    void onChangeLoginPwd();
    void onChangeBackupPath();
    void onRestoreBossKey();

    CPublicManager* m_model;
    CUiManager* m_ui;
    CJobManager* m_jobs;
    double m_scale = 1.0;
    bool m_keyComplete = false;
    QString m_keyText;
    // The record as last read or stored, for when the database cannot say.
    T_SystemConf m_storedConf;

    CBaseTitleBar* m_title = nullptr;
    QStackedWidget* m_stack = nullptr;
    QButtonGroup* m_pageGroup = nullptr;
    QButtonGroup* m_closeGroup = nullptr;
    QButtonGroup* m_renderGroup = nullptr;
    QLineEdit* m_lineEditPwd = nullptr;
    QLineEdit* m_lineEditNewPwd = nullptr;
    QLineEdit* m_lineEditNewPwd2 = nullptr;
    QLabel* m_labelError2 = nullptr;
    QLabel* m_labelError3 = nullptr;
    QPushButton* m_btnChangeUser = nullptr;
    QPushButton* m_btnChangePwd2 = nullptr;
    QCheckBox* m_checkAuto = nullptr;
    QCheckBox* m_checkNumber = nullptr;
    QCheckBox* m_checkNotice = nullptr;
    QRadioButton* m_radioTray = nullptr;
    QRadioButton* m_radioQuit = nullptr;
    QCheckBox* m_checkAudio = nullptr;
    QLabel* m_audioNote = nullptr;
    QRadioButton* m_radioOpenGl = nullptr;
    QRadioButton* m_radioDx = nullptr;
    QCheckBox* m_checkPwdLock = nullptr;
    QCheckBox* m_checkTray = nullptr;
    QCheckBox* m_checkFree = nullptr;
    QComboBox* m_comboTime = nullptr;
    QPushButton* m_btnChangePwd = nullptr;
    QPushButton* m_btnForgotPwd = nullptr;
    QLineEdit* m_lineEditBackups = nullptr;
    QPushButton* m_btnChangePath = nullptr;
    QPushButton* m_btnOpenFolder = nullptr;
    QLineEdit* m_lineEditBoss = nullptr;
    QLabel* m_labelError = nullptr;
    QPushButton* m_btnRestore = nullptr;
};
