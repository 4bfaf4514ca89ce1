#include "Dialog_Reboot.h"

#include "common/DPIAdapter.h"
#include "manager/CQssManager.h"
#include "ui/common/CBaseTitleBar.h"
#include "ui/common/DialogFrame.h"
#include "ui/common/DialogKeys.h"
#include "ui/common/NcFramelessHelper.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

Dialog_Reboot::Dialog_Reboot(QWidget* parent) : QDialog(parent)
{
    const double s = DPIAdapter::instance()->scale();
    setObjectName(QStringLiteral("Dialog_Reboot"));
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    const DialogFrame frame = buildDialogFrame(this, tr("Reboot"), 38, 16);
    QWidget* bg = frame.background;
    QVBoxLayout* column = frame.column;
    CBaseTitleBar* title = frame.title;

    auto* notice = new QLabel(QStringLiteral("请选择对应操作（重启后仍将进入小黑屋模式）"), bg);
    notice->setObjectName(QStringLiteral("label_2"));
    notice->setAlignment(Qt::AlignCenter);
    notice->setWordWrap(true);
    column->addWidget(notice);

    m_group = new QButtonGroup(this);
    m_group->setObjectName(QStringLiteral("buttonGroup"));
    m_group->setExclusive(true);
    auto* choices = new QHBoxLayout();
    choices->addStretch(1);
    const struct {
        const char* name;
        const char* text;
    } buttons[] = {{"radioButton_shutdown", "关机"}, {"radioButton_reboot", "重启"}, {"radioButton_sleep", "睡眠"}};
    for (int id = 0; id < 3; ++id) {
        auto* radio = new QRadioButton(QString::fromUtf8(buttons[id].text), bg);
        radio->setObjectName(QString::fromLatin1(buttons[id].name));
        m_group->addButton(radio, id);
        choices->addWidget(radio);
        choices->addSpacing(12);
    }
    choices->addStretch(1);
    column->addLayout(choices);
    m_group->button(0)->setChecked(true);
    column->addStretch(1);

    auto* row = new QHBoxLayout();
    row->addStretch(1);
    auto* confirm = new QPushButton(QStringLiteral("确认"), bg);
    confirm->setObjectName(QStringLiteral("btnConfirm"));
    confirm->setFixedSize(int(92 * s), int(30 * s));
    confirm->setCursor(Qt::PointingHandCursor);
    auto* cancel = new QPushButton(QStringLiteral("取消"), bg);
    cancel->setObjectName(QStringLiteral("btnCancel"));
    cancel->setFixedSize(int(92 * s), int(30 * s));
    row->addWidget(confirm);
    row->addSpacing(16);
    row->addWidget(cancel);
    row->addStretch(1);
    column->addLayout(row);

    auto* frameless = new NcFramelessHelper(this);
    frameless->setWidgetMovable(true);
    frameless->setWidgetResizable(false);
    frameless->activateOn(this);
    CQssManager::instance()->addShadowEffect(bg);
    DPIAdapter::instance()->adaptWidget(bg);
    fixDialogSize(this, QSize(380, 220));

    connect(confirm, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(title, &CBaseTitleBar::sig_close, this, &QDialog::reject);
    // The arrows choose among the three. Shutting the machine down is never
    // the answer to an Enter meant for something else: Enter cancels.
    DialogKeys::setUp(this, m_group->checkedButton(), cancel);
}

int Dialog_Reboot::checkedId() const
{
    return m_group->checkedId();
}
