#include "Dialog_ChangeLockPwd.h"

#include "common/DPIAdapter.h"
#include "manager/CPublicManager.h"
#include "manager/CQssManager.h"
#include "ui/common/CBaseTitleBar.h"
#include "ui/common/DialogKeys.h"
#include "ui/common/NcFramelessHelper.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
// The lock password is short by design: the lock screen field takes the same.
constexpr int kMaxPasswordLength = 8;
}

Dialog_ChangeLockPwd::Dialog_ChangeLockPwd(int mode, QWidget* parent)
    : QDialog(parent), m_model(CPublicManager::instance()), m_mode(mode)
{
    if (m_mode < Create || m_mode > Verify)
        m_mode = Create;
    m_scale = DPIAdapter::instance()->scale();
    setObjectName(QStringLiteral("Dialog_ChangeLockPwd"));
    setAttribute(Qt::WA_TranslucentBackground);
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setModal(true);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* bg = new QWidget(this);
    bg->setObjectName(QStringLiteral("CommonWidgetBg"));
    bg->setAttribute(Qt::WA_StyledBackground);
    outer->addWidget(bg);
    CQssManager::instance()->addShadowEffect(bg);

    auto* bgLayout = new QVBoxLayout(bg);
    bgLayout->setContentsMargins(0, 0, 0, int(20 * m_scale));
    bgLayout->setSpacing(int(10 * m_scale));
    m_widgetTitle = new CBaseTitleBar(bg);
    m_widgetTitle->setObjectName(QStringLiteral("widgetTitle"));
    m_widgetTitle->setFixedHeight(int(44 * m_scale));
    bgLayout->addWidget(m_widgetTitle);

    auto* grid = new QGridLayout;
    grid->setContentsMargins(int(30 * m_scale), int(6 * m_scale), int(30 * m_scale), 0);
    grid->setHorizontalSpacing(int(12 * m_scale));
    grid->setVerticalSpacing(int(10 * m_scale));
    m_lineEditOriginal = addRow(bg, grid, 0, "labelOriginal", QStringLiteral("原始密码"),
                                "lineEditOriginal", QStringLiteral("请输入原始密码"),
                                &m_labelOriginal);
    m_lineEditNew = addRow(bg, grid, 1, "labelNew", QStringLiteral("新密码"), "lineEditNew",
                           QStringLiteral("请输入8位以内新密码"), &m_labelNew);
    m_lineEditConfirm = addRow(bg, grid, 2, "labelConfirm", QStringLiteral("确认新密码"),
                               "lineEditConfirm", QStringLiteral("请再次输入8位以内新密码"),
                               &m_labelConfirm);
    bgLayout->addLayout(grid);

    m_labelError = new QLabel(bg);
    m_labelError->setObjectName(QStringLiteral("labelError"));
    m_labelError->setAlignment(Qt::AlignCenter);
    m_labelError->setMinimumHeight(int(18 * m_scale));
    bgLayout->addWidget(m_labelError);
    bgLayout->addStretch();

    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(int(30 * m_scale), 0, int(30 * m_scale), 0);
    buttons->setSpacing(int(16 * m_scale));
    buttons->addStretch();
    m_btnCancel = new QPushButton(QStringLiteral("取消"), bg);
    m_btnCancel->setObjectName(QStringLiteral("btnCancel"));
    m_btnConfirm = new QPushButton(QStringLiteral("确定"), bg);
    m_btnConfirm->setObjectName(QStringLiteral("btnConfirm"));
    for (QPushButton* b : {m_btnCancel, m_btnConfirm}) {
        b->setFixedSize(int(96 * m_scale), int(34 * m_scale));
        buttons->addWidget(b);
    }
    buttons->addStretch();
    bgLayout->addLayout(buttons);

    int height = 236;
    switch (m_mode) {
    case Create:
        setWindowTitle(tr("Creat password"));
        m_labelOriginal->hide();
        m_lineEditOriginal->hide();
        break;
    case Change:
        setWindowTitle(tr("Change password"));
        height = 268;
        break;
    default:
        setWindowTitle(tr("Verify password"));
        height = 204;
        for (QWidget* w : {static_cast<QWidget*>(m_labelNew), static_cast<QWidget*>(m_lineEditNew),
                           static_cast<QWidget*>(m_labelConfirm),
                           static_cast<QWidget*>(m_lineEditConfirm)})
            w->hide();
        break;
    }
    m_widgetTitle->setTitle(windowTitle());
    setFixedSize(int(380 * m_scale), int(height * m_scale));

    m_frameless = new NcFramelessHelper(this);
    m_frameless->activateOn(this);
    m_frameless->setWidgetMovable(true);
    m_frameless->setWidgetResizable(false);

    connect(m_widgetTitle, &CBaseTitleBar::sig_close, this, &QDialog::reject);
    connect(m_btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_btnConfirm, &QPushButton::clicked, this, &Dialog_ChangeLockPwd::verifyInput);

    DialogKeys::setUp(this, m_mode == Create ? m_lineEditNew : m_lineEditOriginal, m_btnConfirm);
}

QLineEdit* Dialog_ChangeLockPwd::addRow(QWidget* parent, QGridLayout* grid, int row, const char* labelName,
                                        const QString& label, const char* editName,
                                        const QString& placeholder, QLabel** labelOut)
{
    auto* l = new QLabel(label, parent);
    l->setObjectName(QLatin1String(labelName));
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(editName));
    edit->setEchoMode(QLineEdit::Password);
    edit->setMaxLength(kMaxPasswordLength);
    edit->setPlaceholderText(placeholder);
    edit->setFixedHeight(int(32 * m_scale));
    grid->addWidget(l, row, 0);
    grid->addWidget(edit, row, 1);
    *labelOut = l;
    return edit;
}

QString Dialog_ChangeLockPwd::newPassword() const
{
    return m_lineEditNew->text();
}

void Dialog_ChangeLockPwd::resetFields()
{
    m_lineEditOriginal->clear();
    m_lineEditNew->clear();
    m_lineEditConfirm->clear();
    m_labelError->clear();
}

void Dialog_ChangeLockPwd::verifyInput()
{
    const QString original = m_lineEditOriginal->text();
    const QString fresh = m_lineEditNew->text();
    const QString confirm = m_lineEditConfirm->text();

    QString message;
    if (m_mode != Verify) {
        if (fresh.isEmpty())
            message = tr("Please enter new password");
        else if (confirm.isEmpty())
            message = tr("Please enter confirm password");
        else if (fresh != confirm)
            message = tr("Two different passwords");
    }

    if (m_mode == Change || m_mode == Verify) {
        if (original.isEmpty()) {
            m_labelError->setText(tr("Please enter the original password"));
            return;
        }
        if (original != m_model->userConf.systemConf.pwdLockPwd) {
            m_labelError->setText(tr("The original password is incorrect"));
            return;
        }
    }

    if (!message.isEmpty()) {
        m_labelError->setText(message);
        return;
    }
    m_labelError->clear();
    accept();
}
