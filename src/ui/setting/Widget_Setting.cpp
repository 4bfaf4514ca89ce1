#include "Widget_Setting.h"
#include "ui/common/FileDialogs.h"

#include "common/DPIAdapter.h"
#include "common/Utility.h"
#include "db/records/T_UserConf.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"
#include "ui/common/BkMessageBox.h"
#include "ui/common/BorderShadow.h"
#include "ui/common/CBaseTitleBar.h"
#include "ui/common/DialogKeys.h"
#include "ui/common/NcFramelessHelper.h"
#include "ui/common/WindowWait.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDebug>
#include <QDesktopServices>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QStackedWidget>
#include <QTimer>
#include <QPointer>
#include <QUrl>
#include <QVBoxLayout>

namespace {
const char kSiteHome[] = "http://127.0.0.1/";

QLabel* label(QWidget* parent, const char* name, const QString& text)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    return l;
}

template <class T>
T* named(QWidget* parent, const char* name)
{
    auto* w = new T(parent);
    w->setObjectName(QLatin1String(name));
    return w;
}

template <class T>
T* named(QWidget* parent, const char* name, const QString& text)
{
    auto* w = named<T>(parent, name);
    w->setText(text);
    return w;
}
} // namespace

QStringList& Widget_Setting::reservedKeys()
{
    static QStringList keys;
    return keys;
}

Widget_Setting::Widget_Setting(QWidget* parent)
    : QDialog(parent),
      m_model(CPublicManager::instance()),
      m_ui(CUiManager::instance()),
      m_jobs(CJobManager::instance())
{
    m_scale = DPIAdapter::instance()->scale();
    m_ui->setSettingWidget(this);
    initUi();
    initData();
    initConnects();
}

void Widget_Setting::initUi()
{
    setObjectName(QStringLiteral("Widget_Setting"));
    setAttribute(Qt::WA_TranslucentBackground);
    auto* frameless = new NcFramelessHelper(this);
    frameless->activateOn(this);
    resize(int(750 * m_scale), int(486 * m_scale));
    setMaximumWidth(int(779 * m_scale));

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* bg = new QWidget(this);
    bg->setObjectName(QStringLiteral("CommonWidgetBg"));
    bg->setAttribute(Qt::WA_StyledBackground);
    outer->addWidget(bg);
    auto* shadow = new BorderShadow(this);
    shadow->attachTo(bg);

    auto* bgLayout = new QVBoxLayout(bg);
    bgLayout->setContentsMargins(0, 0, 0, 0);
    bgLayout->setSpacing(0);
    m_title = new CBaseTitleBar(bg);
    m_title->setObjectName(QStringLiteral("widgetTitle"));
    m_title->setTitle(tr("SysSetting"));
    bgLayout->addWidget(m_title);
    connect(m_title, &CBaseTitleBar::sig_close, this, &QDialog::reject);

    auto* body = new QHBoxLayout;
    bgLayout->addLayout(body, 1);
    auto* left = new QWidget(bg);
    left->setObjectName(QStringLiteral("widgetLeft"));
    left->setAttribute(Qt::WA_StyledBackground);
    auto* leftLayout = new QVBoxLayout(left);
    m_pageGroup = new QButtonGroup(this);
    m_pageGroup->setObjectName(QStringLiteral("buttonGroup_3"));
    const char* names[] = {"btnUser", "btnNormal", "btnSafety", "btnBackups", "btnHotkeys", "btnAbout"};
    const QString texts[] = {tr("用户设置"), tr("常规设置"), tr("账户安全"),
                             tr("数据备份"), tr("快捷键"), tr("关于我们")};
    for (int i = 0; i < 6; ++i) {
        auto* b = named<QPushButton>(left, names[i], texts[i]);
        b->setCheckable(true);
        b->setFixedHeight(int(40 * m_scale));
        m_pageGroup->addButton(b, i);
        leftLayout->addWidget(b);
    }
    leftLayout->addStretch(1);
    body->addWidget(left);

    m_stack = new QStackedWidget(bg);
    m_stack->setObjectName(QStringLiteral("stackedWidget"));
    m_stack->addWidget(buildUserPage());
    m_stack->addWidget(buildNormalPage());
    m_stack->addWidget(buildSafetyPage());
    m_stack->addWidget(buildBackupsPage());
    m_stack->addWidget(buildHotkeysPage());
    m_stack->addWidget(buildAboutPage());
    body->addWidget(m_stack, 1);
    m_pageGroup->button(0)->setChecked(true);
    m_stack->setCurrentIndex(0);

    m_lineEditBoss->installEventFilter(this);
    // The first page's password fields; Enter there saves the new password.
    DialogKeys::setUp(this, m_lineEditPwd, m_btnChangePwd2);
    // The tabs are links: the page a tab brings takes the keys in its first
    // field. The boss key's field keeps every key it is given, Tab too, so
    // its page starts at the button beside it.
    for (QAbstractButton* tab : m_pageGroup->buttons())
        DialogKeys::setLink(static_cast<QPushButton*>(tab));
    const QList<QWidget*> firsts{m_lineEditPwd, m_checkAuto, m_checkPwdLock, m_btnChangePath, m_btnRestore,
                                 m_stack->widget(5)->findChild<QPushButton*>(QStringLiteral("btnZozado"))};
    for (int page = 0; page < firsts.size(); ++page)
        DialogKeys::setUpPart(this, m_stack->widget(page), firsts.at(page));
}

QWidget* Widget_Setting::buildUserPage()
{
    auto* page = named<QWidget>(nullptr, "pageUser");
    auto* g = new QGridLayout(page);
    g->addWidget(label(page, "label_16", tr("切换账号")), 0, 0);
    g->addWidget(label(page, "label_17", tr("确定更换其他账号登陆吗？")), 0, 1);
    m_btnChangeUser = named<QPushButton>(page, "btnConfirm", tr("退出"));
    g->addWidget(m_btnChangeUser, 0, 2);
    g->addWidget(label(page, "label_2", tr("修改密码")), 1, 0);
    m_lineEditPwd = named<QLineEdit>(page, "lineEditPwd");
    m_lineEditPwd->setPlaceholderText(tr("请输入原始密码"));
    m_lineEditNewPwd = named<QLineEdit>(page, "lineEditNewPwd");
    m_lineEditNewPwd->setPlaceholderText(tr("请输入8~16位新密码"));
    m_lineEditNewPwd2 = named<QLineEdit>(page, "lineEditNewPwd2");
    m_lineEditNewPwd2->setPlaceholderText(tr("请再次输入8~16位新密码"));
    m_labelError2 = label(page, "labelError_2", QString());
    m_labelError3 = label(page, "labelError_3", QString());
    g->addWidget(m_lineEditPwd, 1, 1);
    g->addWidget(m_labelError2, 2, 1);
    g->addWidget(m_lineEditNewPwd, 3, 1);
    g->addWidget(m_lineEditNewPwd2, 4, 1);
    g->addWidget(m_labelError3, 5, 1);
    m_btnChangePwd2 = named<QPushButton>(page, "btnConfirm", tr("保存"));
    g->addWidget(m_btnChangePwd2, 6, 1, Qt::AlignLeft);
    g->setRowStretch(7, 1);
    return page;
}

QWidget* Widget_Setting::buildNormalPage()
{
    auto* page = named<QWidget>(nullptr, "pageNormal");
    auto* g = new QGridLayout(page);
    g->addWidget(label(page, "label", tr("启动")), 0, 0);
    m_checkAuto = named<QCheckBox>(page, "checkBox_auto", tr("开机自动启动"));
    g->addWidget(m_checkAuto, 0, 1);
    g->addWidget(label(page, "label_4", tr("通知")), 1, 0);
    m_checkNumber = named<QCheckBox>(page, "checkBox_number", tr("显示消息通知数字红点"));
    m_checkNotice = named<QCheckBox>(page, "checkBox_notice", tr("接受桌面消息通知"));
    g->addWidget(m_checkNumber, 1, 1);
    g->addWidget(m_checkNotice, 2, 1);
    g->addWidget(label(page, "label_5", tr("关闭窗口")), 3, 0);
    m_radioTray = named<QRadioButton>(page, "radioButton_tray", tr("最小化到托盘，不退出程序"));
    m_radioQuit = named<QRadioButton>(page, "radioButton_quit", tr("退出程序"));
    g->addWidget(m_radioTray, 3, 1);
    g->addWidget(m_radioQuit, 4, 1);
    m_closeGroup = new QButtonGroup(page);
    m_closeGroup->setObjectName(QStringLiteral("buttonGroup"));
    m_closeGroup->addButton(m_radioTray, 0);
    m_closeGroup->addButton(m_radioQuit, 1);
    g->addWidget(label(page, "label_6", tr("写作设置")), 5, 0);
    m_checkAudio = named<QCheckBox>(page, "checkBox_audio", tr("打字音效"));
    g->addWidget(m_checkAudio, 5, 1);
    m_audioNote = label(page, "labelAudioNote", tr("This computer has no sound output: typing stays silent."));
    m_audioNote->setWordWrap(true);
    m_audioNote->hide();
    g->addWidget(m_audioNote, 6, 1);
    g->addWidget(label(page, "label_3", tr("渲染方式")), 7, 0);
    m_radioOpenGl = named<QRadioButton>(page, "radioButton_opengl", QStringLiteral("OpenGL"));
    m_radioDx = named<QRadioButton>(page, "radioButton_dx", QStringLiteral("DX"));
    auto* render = new QHBoxLayout;
    render->addWidget(m_radioOpenGl);
    render->addWidget(m_radioDx);
    render->addStretch(1);
    g->addLayout(render, 7, 1);
    m_renderGroup = new QButtonGroup(page);
    m_renderGroup->setObjectName(QStringLiteral("buttonGroup_2"));
    auto* tips = label(page, "labelTips_2", tr("（软件四周显示黑边或者窗体透明时选择DX，重启后生效)"));
    tips->setWordWrap(true);
    g->addWidget(tips, 8, 1);
    g->setRowStretch(9, 1);
    return page;
}

QWidget* Widget_Setting::buildSafetyPage()
{
    auto* page = named<QWidget>(nullptr, "pageSafety");
    auto* g = new QGridLayout(page);
    g->addWidget(label(page, "label_14", tr("密码锁")), 0, 0);
    m_checkPwdLock = named<QCheckBox>(page, "checkBoxPwdLock", tr("开启密码锁"));
    g->addWidget(m_checkPwdLock, 0, 1);
    g->addWidget(label(page, "labelTips", tr("（小黑屋状态下密码锁不生效）")), 0, 2);
    m_btnChangePwd = named<QPushButton>(page, "btnChangePwd", tr("修改密码"));
    m_btnForgotPwd = named<QPushButton>(page, "btnForgotPwd", tr("忘记密码"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_btnChangePwd);
    buttons->addWidget(m_btnForgotPwd);
    buttons->addStretch(1);
    g->addLayout(buttons, 1, 1, 1, 2);
    m_checkTray = named<QCheckBox>(page, "checkBoxTray", tr("最小化到任务栏托盘后锁定"));
    g->addWidget(m_checkTray, 2, 1, 1, 2);
    m_checkFree = named<QCheckBox>(page, "checkBoxFree", tr("应用程序闲置锁定时间"));
    m_comboTime = named<QComboBox>(page, "comboBoxTime");
    g->addWidget(m_checkFree, 3, 1);
    g->addWidget(m_comboTime, 3, 2);
    g->setRowStretch(4, 1);
    return page;
}

QWidget* Widget_Setting::buildBackupsPage()
{
    auto* page = named<QWidget>(nullptr, "pageBackups");
    auto* g = new QGridLayout(page);
    g->addWidget(label(page, "label_18", tr("本地备份")), 0, 0);
    m_lineEditBackups = named<QLineEdit>(page, "lineEditBackups");
    m_lineEditBackups->setReadOnly(true);
    g->addWidget(m_lineEditBackups, 0, 1, 1, 2);
    m_btnChangePath = named<QPushButton>(page, "btnChangePath", tr("更改目录"));
    m_btnOpenFolder = named<QPushButton>(page, "btnOpenFolder", tr("打开文件夹"));
    g->addWidget(m_btnChangePath, 1, 1);
    g->addWidget(m_btnOpenFolder, 1, 2);
    g->setRowStretch(2, 1);
    return page;
}

QWidget* Widget_Setting::buildHotkeysPage()
{
    auto* page = named<QWidget>(nullptr, "pageHotkeys");
    auto* g = new QGridLayout(page);
    g->setObjectName(QStringLiteral("gridLayout_2"));
    g->addWidget(label(page, "label_12", tr("老板键")), 0, 0);
    m_lineEditBoss = named<QLineEdit>(page, "lineEditBoss");
    g->addWidget(m_lineEditBoss, 0, 1);
    m_labelError = label(page, "labelError", QString());
    g->addWidget(m_labelError, 0, 2);
    // The error column keeps room for its message, which arrives later.
    g->setColumnStretch(1, 2);
    g->setColumnStretch(2, 1);
    struct Row { const char* label; QString text; const char* edit; QString keys; };
    const Row rows[] = {
        {"label_7", tr("保存内容"), "lineEdit_2", QStringLiteral("Ctrl+S")},
        {"label_8", tr("撤销操作"), "lineEdit_3", QStringLiteral("Ctrl+Z")},
        {"label_9", tr("重做操作"), "lineEdit_4", QStringLiteral("Ctrl+Shift_Z")},
        {"label_10", tr("搜索替换"), "lineEdit_5", QStringLiteral("Ctrl+F/Ctrl+P")},
        {"label_11", tr("关闭当前页"), "lineEdit_6", QStringLiteral("Ctrl+W")},
        {"label_15", tr("文首文尾"), "lineEdit", QString::fromUtf8("Ctrl+↑/Ctrl+↓")},
    };
    int r = 1;
    for (const Row& row : rows) {
        auto* l = label(page, row.label, row.text);
        auto* e = named<QLineEdit>(page, row.edit, row.keys);
        e->setEnabled(false);
        g->addWidget(l, r, 0);
        g->addWidget(e, r, 1);
        if (qstrcmp(row.edit, "lineEdit_6") == 0) {
            l->hide();
            e->hide();
        }
        ++r;
    }
    auto* widgetBtn = named<QWidget>(page, "widgetBtn");
    auto* bl = new QHBoxLayout(widgetBtn);
    bl->setContentsMargins(0, 0, 0, 0);
    m_btnRestore = named<QPushButton>(widgetBtn, "btnRestore", tr("恢复默认"));
    bl->addWidget(m_btnRestore);
    bl->addStretch(1);
    g->addWidget(widgetBtn, r, 1);
    g->setRowStretch(r + 1, 1);
    return page;
}

QWidget* Widget_Setting::buildAboutPage()
{
    auto* page = named<QWidget>(nullptr, "pageAbout");
    auto* g = new QGridLayout(page);
    g->addWidget(label(page, "label_En", QString()), 0, 0, 1, 2);
    auto* site = named<QPushButton>(page, "btnZozado", tr("官网"));
    auto* privacy = named<QPushButton>(page, "btnPrivacy", tr("隐私政策"));
    privacy->hide();
    g->addWidget(site, 1, 0);
    g->addWidget(privacy, 1, 1);
    g->addWidget(label(page, "labelTitle_6", tr("商务合作")), 2, 0);
    g->addWidget(label(page, "label_13", QStringLiteral("contact@127.0.0.1")), 2, 1);
    g->addWidget(label(page, "label_19", tr("软件版本")), 3, 0);
    g->addWidget(label(page, "label_20", QStringLiteral("1.1.3")), 3, 1);
    g->setRowStretch(4, 1);
    DialogKeys::setLink(site);
    DialogKeys::setLink(privacy);
    connect(site, &QPushButton::clicked, this,
            [] { QDesktopServices::openUrl(QUrl(QLatin1String(kSiteHome))); });
    connect(privacy, &QPushButton::clicked, this, [] {
        QDesktopServices::openUrl(QUrl(QLatin1String(kSiteHome) + QStringLiteral("privacy")));
    });
    return page;
}

void Widget_Setting::initData()
{
    reservedKeys() << QStringLiteral("Ctrl+Shift+Z") << QStringLiteral("Ctrl+W")
                   << QStringLiteral("Ctrl+F") << QStringLiteral("Ctrl+P")
                   << QStringLiteral("Ctrl+Y") << QStringLiteral("Ctrl+Z") << QStringLiteral("Ctrl+S");
    const T_SystemConf conf = m_model->userConf.systemConf;
    m_storedConf = conf;
    m_checkNumber->setChecked(conf.isShowMsgPt != 0);
    m_checkNotice->setChecked(conf.isRecvMsg != 0);
    m_checkAudio->setChecked(conf.isSound != 0);
    checkSoundOutput();
    (conf.isTray != 0 ? m_radioTray : m_radioQuit)->setChecked(true);

    QPointer<Widget_Setting> self(this);
    QTimer::singleShot(100, this, [self] {
        if (self)
            self->applyBossKey(self->m_model->userConf.systemConf.hideKey);
    });

    const QList<QPair<QString, int>> items = {{tr("30s"), 30},     {tr("1min"), 60},
                                              {tr("5min"), 300},   {tr("15min"), 900},
                                              {tr("30min"), 1800}, {tr("1h"), 3600}};
    for (const auto& item : items)
        m_comboTime->addItem(item.first, item.second);
    m_checkPwdLock->setChecked(conf.pwdLockType != 0);
    m_checkTray->setChecked((conf.pwdLockType & 2) != 0);
    m_checkFree->setChecked((conf.pwdLockType & 4) != 0);
    updateLockControls();
    const int index = m_comboTime->findData(conf.pwdLockTime);
    m_comboTime->setCurrentIndex(index < 0 ? 0 : index);
    qDebug() << "PwdLock" << conf.pwdLockType << conf.pwdLockTime;

    m_renderGroup->addButton(m_radioOpenGl, 0);
    m_renderGroup->addButton(m_radioDx, 1);
    showFileSettings();
}

void Widget_Setting::showFileSettings()
{
    const bool blocked = m_checkAuto->blockSignals(true);
    m_checkAuto->setChecked(m_ui->isExeAuto());
    m_checkAuto->blockSignals(blocked);
    QSettings settings(CUiManager::settingFilePath(), QSettings::IniFormat);
    settings.beginGroup(QStringLiteral("system"));
    bool ok = false;
    const bool dx = settings.contains(QStringLiteral("isDX"))
                    && settings.value(QStringLiteral("isDX")).toInt(&ok) == 1 && ok;
    (dx ? m_radioDx : m_radioOpenGl)->setChecked(true);
    QString backup = settings.value(QStringLiteral("backup")).toString();
    if (backup.isEmpty())
        backup = getBackupDir();
    m_lineEditBackups->setText(backup);
}

void Widget_Setting::fileSettingRefused(const QString& unwritable)
{
    showFileSettings();
    const QString reason = tr("%1 cannot be written.").arg(QDir::toNativeSeparators(unwritable));
    m_ui->showError(tr("The setting could not be saved; the page shows what is stored.\n%1").arg(reason), 5000);
}

void Widget_Setting::updateLockControls()
{
    const bool on = m_checkPwdLock->isChecked();
    m_checkTray->setEnabled(on);
    m_checkFree->setEnabled(on);
    m_comboTime->setEnabled(on && m_checkFree->isChecked());
    m_btnChangePwd->setEnabled(on);
    m_btnForgotPwd->setEnabled(on);
}

bool Widget_Setting::writeConf()
{
    T_SystemConf& conf = m_model->userConf.systemConf;
    const int uid = m_model->userInfo.uid;
    if (m_jobs->updateSystemConf(conf, uid)) {
        m_storedConf = conf;
        return true;
    }
    // A lock the page shows as on must really be on: the change is taken
    // back, in memory and on the page, and the author is told.
    const QString reason = m_jobs->lastDbError();
    qWarning() << "the system settings could not be stored:" << reason;
    T_SystemConf stored;
    conf = m_jobs->storedSystemConf(uid, stored) ? stored : m_storedConf;
    m_storedConf = conf;
    showConf(conf);
    m_ui->showError(tr("The setting could not be saved; the page shows what is stored.\n%1").arg(reason), 5000);
    return false;
}

void Widget_Setting::showConf(const T_SystemConf& conf)
{
    const QList<QObject*> controls{m_checkAudio, m_radioTray, m_radioQuit, m_closeGroup, m_checkPwdLock,
                                   m_checkTray, m_checkFree, m_comboTime};
    QList<bool> blocked;
    for (QObject* control : controls)
        blocked << control->blockSignals(true);
    m_checkAudio->setChecked(conf.isSound != 0);
    showSoundOutput();
    (conf.isTray != 0 ? m_radioTray : m_radioQuit)->setChecked(true);
    m_checkPwdLock->setChecked(conf.pwdLockType != 0);
    m_checkTray->setChecked((conf.pwdLockType & 2) != 0);
    m_checkFree->setChecked((conf.pwdLockType & 4) != 0);
    const int index = m_comboTime->findData(conf.pwdLockTime);
    m_comboTime->setCurrentIndex(index < 0 ? 0 : index);
    updateLockControls();
    for (int i = 0; i < controls.size(); ++i)
        controls.at(i)->blockSignals(blocked.at(i));
}

void Widget_Setting::checkSoundOutput()
{
    // Switched on, the sounds find out whether the machine can play them
    // (again, when it could not), and the page says so beside the switch
    // rather than at every key.
    TypingSounds& sounds = m_model->typingSounds;
    if (m_model->userConf.systemConf.isSound != 0 && sounds.output() != TypingSounds::Output::Present)
        sounds.prepare();
    showSoundOutput();
}

void Widget_Setting::showSoundOutput()
{
    m_audioNote->setVisible(m_model->userConf.systemConf.isSound != 0
                            && m_model->typingSounds.output() == TypingSounds::Output::Missing);
}

void Widget_Setting::initConnects()
{
    connect(m_pageGroup, &QButtonGroup::idClicked, m_stack,
            &QStackedWidget::setCurrentIndex);
    connect(m_checkAuto, &QCheckBox::stateChanged, this,
            [this](int state) {
                QString unwritable;
                if (!m_ui->setExeAuto(state == Qt::Checked, &unwritable))
                    fileSettingRefused(unwritable);
            });
    connect(m_closeGroup, QOverload<QAbstractButton*>::of(&QButtonGroup::buttonClicked), this,
            [this](QAbstractButton* b) {
                m_model->userConf.systemConf.isTray = b == m_radioTray ? 1 : 0;
                writeConf();
            });
    connect(m_checkAudio, &QCheckBox::stateChanged, this, [this](int state) {
        m_model->userConf.systemConf.isSound = state == Qt::Checked ? 1 : 0;
        writeConf();
        checkSoundOutput();
    });
    connect(&m_model->typingSounds, &TypingSounds::outputChanged, this, &Widget_Setting::showSoundOutput);
    connect(m_renderGroup, QOverload<QAbstractButton*>::of(&QButtonGroup::buttonClicked), this,
            [this](QAbstractButton* b) {
                if (!CUiManager::storeSetting(QStringLiteral("system/isDX"), b == m_radioDx ? 1 : 0))
                    fileSettingRefused(CUiManager::settingFilePath());
            });
    connect(m_checkPwdLock, &QCheckBox::clicked, this, &Widget_Setting::onLockClicked);
    connect(m_checkTray, &QCheckBox::clicked, this, [this](bool checked) {
        int& type = m_model->userConf.systemConf.pwdLockType;
        type = checked ? (type | 2) : (type & ~2);
        writeConf();
    });
    connect(m_checkFree, &QCheckBox::clicked, this, [this](bool checked) {
        int& type = m_model->userConf.systemConf.pwdLockType;
        type = checked ? (type | 4) : (type & ~4);
        m_comboTime->setEnabled(checked);
        writeConf();
    });
    connect(m_comboTime, QOverload<int>::of(&QComboBox::currentIndexChanged), this, [this](int) {
        m_model->userConf.systemConf.pwdLockTime = m_comboTime->currentData().toInt();
        writeConf();
    });
    connect(m_btnChangePwd, &QPushButton::clicked, this, &Widget_Setting::onChangeLockPwd);
    connect(m_btnForgotPwd, &QPushButton::clicked, this, &Widget_Setting::onForgotLockPwd);
    connect(m_btnChangeUser, &QPushButton::clicked, this, &Widget_Setting::onChangeUser);
    connect(m_btnChangePwd2, &QPushButton::clicked, this, &Widget_Setting::onChangeLoginPwd);
    connect(m_lineEditPwd, &QLineEdit::textChanged, m_labelError2, &QLabel::clear);
    connect(m_lineEditNewPwd, &QLineEdit::textChanged, m_labelError3, &QLabel::clear);
    connect(m_lineEditNewPwd2, &QLineEdit::textChanged, m_labelError3, &QLabel::clear);
    connect(m_btnChangePath, &QPushButton::clicked, this, &Widget_Setting::onChangeBackupPath);
    connect(m_btnOpenFolder, &QPushButton::clicked, this, [this] {
        QDesktopServices::openUrl(QUrl::fromLocalFile(m_lineEditBackups->text()));
    });
    connect(m_btnRestore, &QPushButton::clicked, this, &Widget_Setting::onRestoreBossKey);
}

void Widget_Setting::onLockClicked(bool checked)
{
    T_SystemConf& conf = m_model->userConf.systemConf;
    QString password;
    if (checked) {
        if (m_ui->runLockPwdDialog(0, this, &password) == QDialog::Rejected) {
            m_checkPwdLock->setChecked(false);
            return;
        }
        conf.pwdLockPwd = password;
        conf.pwdLockTime = 30;
        conf.pwdLockType = 7;
        m_checkFree->setChecked(true);
        m_checkTray->setChecked(true);
        m_comboTime->blockSignals(true);
        m_comboTime->setCurrentIndex(0);
        m_comboTime->blockSignals(false);
        updateLockControls();
        writeConf();
        return;
    }
    if (m_ui->runLockPwdDialog(2, this, &password) == QDialog::Rejected) {
        // Without the current password the lock stays on.
        m_checkPwdLock->setChecked(true);
        return;
    }
    conf.pwdLockPwd = T_SystemConf().pwdLockPwd;
    conf.pwdLockTime = 0;
    conf.pwdLockType = 0;
    updateLockControls();
    writeConf();
}

void Widget_Setting::onChangeLockPwd()
{
    QString password;
    if (m_ui->runLockPwdDialog(1, this, &password) == QDialog::Rejected)
        return;
    m_model->userConf.systemConf.pwdLockPwd = password;
    if (writeConf())
        m_ui->showSuccess(tr("Changed password lock password successfully"), 1000);
}

void Widget_Setting::onForgotLockPwd()
{
    const int answer = BkMessageBox::warning(this, tr("Forget Password"),
                                             tr("log out of your account, reset the password."),
                                             tr("Ok"), tr("Cancel"), 0);
    if (answer != 0 || !m_ui->signOutKeepsWords())
        return;
    T_SystemConf& conf = m_model->userConf.systemConf;
    const T_SystemConf before = conf;
    conf.pwdLockPwd = T_SystemConf().pwdLockPwd;
    conf.pwdLockType = 0;
    conf.pwdLockTime = 0;
    if (!m_jobs->author_logout()) {
        conf = before;
        return;
    }
    m_ui->logout();
}

void Widget_Setting::onChangeUser()
{
    if (m_ui->isLocked()) {
        m_ui->showError(tr("You cant change your account under the black room"), 1000);
        return;
    }
    if (!m_ui->signOutKeepsWords() || !m_jobs->author_logout())
        return;
    m_ui->logout();
}

void Widget_Setting::onChangeLoginPwd()
{
    const QString current = m_lineEditPwd->text();
    const QString first = m_lineEditNewPwd->text();
    if (current.isEmpty()) {
        m_labelError2->setText(tr("Please enter the correct password"));
        return;
    }
    if (first != m_lineEditNewPwd2->text()) {
        m_labelError3->setText(tr("Please enter the same new password twice"));
        return;
    }
    TC_Author_SetNewPwd request;
    request.password = current;
    request.newPassword = first;
    TS_Author_SetNewPwd reply;
    WindowWait wait(this, {m_btnChangePwd2});
    if (!wait.started())
        return;
    m_jobs->author_setNewPwd(request, reply);
    if (!wait.resumed())
        return;
    if (reply.header.code == 200) {
        m_ui->showSuccess(tr("Password changed successfully"), 1000);
        return;
    }
    qDebug() << reply.header.msg;
    m_labelError2->setText(reply.header.msg);
}

void Widget_Setting::onChangeBackupPath()
{
    const QString dir = FileDialogs::existingFolder(this, tr("Open Directory"), m_lineEditBackups->text());
    if (dir.isEmpty())
        return;
    // Refused now rather than at every quit, where a failed copy is only logged.
    if (!isWritableFolder(dir)) {
        m_ui->showError(tr("Backups cannot be written to %1; they stay in %2.")
                            .arg(QDir::toNativeSeparators(dir), QDir::toNativeSeparators(m_lineEditBackups->text())),
                        5000);
        return;
    }
    if (!CUiManager::storeSetting(QStringLiteral("system/backup"), dir)) {
        fileSettingRefused(CUiManager::settingFilePath());
        return;
    }
    m_lineEditBackups->setText(dir);
}

void Widget_Setting::onRestoreBossKey()
{
    applyBossKey(defaultBossKey());
    writeConf();
}

void Widget_Setting::applyBossKey(const QString& keyText)
{
    if (m_ui->setBoosKey(keyText)) {
        m_lineEditBoss->setText(keyText);
        m_labelError->clear();
        m_model->userConf.systemConf.hideKey = keyText;
        return;
    }
    m_lineEditBoss->clear();
    m_labelError->setText(tr("Shortcut key conflict"));
}

bool Widget_Setting::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_lineEditBoss)
        return QDialog::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::InputMethod:
        return true;
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        m_keyComplete = false;
        m_keyText.clear();
        const Qt::KeyboardModifiers mods = key->modifiers();
        if (mods == Qt::NoModifier)
            return true;
        if (mods & Qt::ControlModifier)
            m_keyText += QStringLiteral("Ctrl+");
        if (mods & Qt::ShiftModifier)
            m_keyText += QStringLiteral("Shift+");
        if (mods & Qt::AltModifier)
            m_keyText += QStringLiteral("Alt+");
        const int k = key->key();
        if (k == Qt::Key_Shift || k == Qt::Key_Control || k == Qt::Key_Alt)
            return true;
        m_keyText += QKeySequence(k).toString(QKeySequence::PortableText);
        if (reservedKeys().contains(m_keyText))
            m_labelError->setText(tr("Shortcut key conflict"));
        else
            m_keyComplete = true;
        return true;
    }
    case QEvent::KeyRelease:
        if (m_keyComplete) {
            m_keyComplete = false;
            applyBossKey(m_keyText);
        }
        return true;
    default:
        return QDialog::eventFilter(watched, event);
    }
}
