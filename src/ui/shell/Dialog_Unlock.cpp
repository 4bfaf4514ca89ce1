#include "Dialog_Unlock.h"

#include "common/DPIAdapter.h"
#include "manager/CPublicManager.h"
#include "manager/CQssManager.h"
#include "ui/common/BkMessageBox.h"
#include "ui/common/NcFramelessHelper.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

Dialog_Unlock::Dialog_Unlock(QWidget* parent)
    : QDialog(parent), m_model(CPublicManager::instance())
{
    const double scale = DPIAdapter::instance()->scale();
    setWindowTitle(tr("coded lock"));
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedSize(int(348 * scale), int(442 * scale));

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* bg = new QWidget(this);
    bg->setObjectName(QStringLiteral("CommonWidgetBg"));
    outer->addWidget(bg);
    CQssManager::instance()->addShadowEffect(bg);

    auto* layout = new QVBoxLayout(bg);
    layout->setContentsMargins(int(30 * scale), int(10 * scale), int(30 * scale), int(30 * scale));
    auto* top = new QHBoxLayout;
    for (const char* name : {"btnCloseMac", "btnMinMac", "btnMaxMac"}) {
        auto* mac = new QPushButton(bg);
        mac->setObjectName(QLatin1String(name));
        mac->hide();
        top->addWidget(mac);
    }
    top->addStretch();
    m_btnClose = new QPushButton(bg);
    m_btnClose->setObjectName(QStringLiteral("btn_close_popup"));
    m_btnClose->setFixedSize(int(24 * scale), int(24 * scale));
    top->addWidget(m_btnClose);
    layout->addLayout(top);

    auto* labelIcon = new QLabel(bg);
    labelIcon->setObjectName(QStringLiteral("labelIcon"));
    labelIcon->setAlignment(Qt::AlignCenter);
    labelIcon->setPixmap(QIcon(QStringLiteral(":/res/skin/logo.svg")).pixmap(int(64 * scale)));
    layout->addWidget(labelIcon);
    auto* labelDg = new QLabel(QStringLiteral("青岚笔写作"), bg);
    labelDg->setObjectName(QStringLiteral("labelDg"));
    labelDg->setAlignment(Qt::AlignCenter);
    layout->addWidget(labelDg);
    auto* labelPixmap = new QLabel(bg);
    labelPixmap->setObjectName(QStringLiteral("labelPixmap"));
    layout->addWidget(labelPixmap);
    layout->addStretch();

    m_lineEditPwd = new QLineEdit(bg);
    m_lineEditPwd->setObjectName(QStringLiteral("lineEditPwd"));
    m_lineEditPwd->setEchoMode(QLineEdit::Password);
    m_lineEditPwd->setMaxLength(8);
    m_lineEditPwd->setPlaceholderText(QStringLiteral("请输入密码锁"));
    m_lineEditPwd->setMinimumHeight(int(36 * scale));
    layout->addWidget(m_lineEditPwd);
    m_labelError = new QLabel(bg);
    m_labelError->setObjectName(QStringLiteral("labelError"));
    m_labelError->setMinimumHeight(int(20 * scale));
    layout->addWidget(m_labelError);
    m_btnForgotPwd = new QPushButton(QStringLiteral("忘记密码锁"), bg);
    m_btnForgotPwd->setObjectName(QStringLiteral("btnForgotPwd"));
    m_btnForgotPwd->setFlat(true);
    layout->addWidget(m_btnForgotPwd, 0, Qt::AlignRight);
    m_btnConfirm = new QPushButton(QStringLiteral("确定"), bg);
    m_btnConfirm->setObjectName(QStringLiteral("btnConfirm"));
    m_btnConfirm->setMinimumHeight(int(40 * scale));
    m_btnConfirm->setDefault(true);
    layout->addWidget(m_btnConfirm);

    // No key can press a button here: Return and Enter unlock, and only a
    // click on the close button ends the lock screen.
    for (QPushButton* button : {m_btnClose, m_btnForgotPwd, m_btnConfirm})
        button->setFocusPolicy(Qt::NoFocus);

    m_frameless = new NcFramelessHelper(this);
    m_frameless->activateOn(this);
    m_frameless->setWidgetMovable(true);
    m_frameless->setWidgetResizable(false);

    connect(m_lineEditPwd, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_btnConfirm->setEnabled(!text.isEmpty());
        m_labelError->clear();
    });
    connect(m_btnConfirm, &QPushButton::clicked, this, &Dialog_Unlock::unlock);
    connect(m_btnClose, &QPushButton::clicked, this, [this]() {
        m_resultKind = 1;
        reject();
    });
    connect(m_btnForgotPwd, &QPushButton::clicked, this, &Dialog_Unlock::onForgot);
    resetInput();
}

void Dialog_Unlock::resetInput()
{
    m_resultKind = 1;
    m_labelError->clear();
    m_lineEditPwd->clear();
    m_btnConfirm->setEnabled(false);
}

void Dialog_Unlock::unlock()
{
    // Compared as typed: case-sensitive, no trimming.
    if (m_lineEditPwd->text() == m_model->userConf.systemConf.pwdLockPwd) {
        m_resultKind = 0;
        accept();
        return;
    }
    m_labelError->setText(tr("wrong password"));
}

void Dialog_Unlock::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        // The lock screen must not be dismissed by a key.
        event->accept();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        unlock();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void Dialog_Unlock::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Whenever the lock screen shows (at start, after idle time, from the
    // tray, back from the boss key) the password takes the keys.
    m_lineEditPwd->setFocus(Qt::ActiveWindowFocusReason);
    activateWindow();
}

void Dialog_Unlock::onForgot()
{
    const int answer = BkMessageBox::warning(this, tr("Forget Password"),
                                             tr("log out of your account, reset the password."),
                                             tr("Ok"), tr("Cancel"), 0);
    if (answer != 0)
        return;
    m_resultKind = 2;
    reject();
}
