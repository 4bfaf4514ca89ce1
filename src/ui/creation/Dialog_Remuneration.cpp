#include "Dialog_Remuneration.h"

#include "common/DPIAdapter.h"
#include "manager/CQssManager.h"
#include "ui/common/CBaseTitleBar.h"
#include "ui/common/DialogFrame.h"
#include "ui/common/DialogKeys.h"
#include "ui/common/NcFramelessHelper.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegExpValidator>
#include <QVBoxLayout>

Dialog_Remuneration::Dialog_Remuneration(QWidget* parent) : QDialog(parent)
{
    const double s = DPIAdapter::instance()->scale();
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    const DialogFrame frame = buildDialogFrame(this, tr("Remuneration"), 38, 16);
    QWidget* bg = frame.background;
    QVBoxLayout* column = frame.column;
    CBaseTitleBar* title = frame.title;
    m_error = new QLabel(bg);
    m_error->setObjectName(QStringLiteral("lb_error"));
    m_error->setStyleSheet(QStringLiteral("color: rgb(255, 0, 0);"));
    m_error->setAlignment(Qt::AlignCenter);
    m_error->setMaximumHeight(20);
    column->addWidget(m_error);
    auto* inputRow = new QHBoxLayout();
    inputRow->addStretch(1);
    m_edit = new QLineEdit(bg);
    m_edit->setObjectName(QStringLiteral("lineEdit"));
    m_edit->setFixedSize(int(70 * s), int(22 * s));
    m_edit->setMaxLength(5);
    m_edit->setValidator(new QRegExpValidator(QRegExp(QStringLiteral("[0-9.]+$")), m_edit));
    inputRow->addWidget(m_edit);
    auto* unit = new QLabel(QStringLiteral("元/千字"), bg);
    unit->setObjectName(QStringLiteral("labelMoney"));
    inputRow->addWidget(unit);
    inputRow->addStretch(1);
    column->addLayout(inputRow);
    column->addStretch(1);
    auto* buttons = new QHBoxLayout();
    buttons->addStretch(1);
    m_confirm = new QPushButton(QStringLiteral("确认"), bg);
    m_confirm->setObjectName(QStringLiteral("btnConfirm"));
    m_confirm->setFixedSize(int(92 * s), int(30 * s));
    m_confirm->setCursor(Qt::PointingHandCursor);
    auto* cancel = new QPushButton(QStringLiteral("取消"), bg);
    cancel->setObjectName(QStringLiteral("btnCancel"));
    cancel->setFixedSize(int(92 * s), int(30 * s));
    buttons->addWidget(m_confirm);
    buttons->addSpacing(16);
    buttons->addWidget(cancel);
    buttons->addStretch(1);
    column->addLayout(buttons);

    auto* frameless = new NcFramelessHelper(this);
    frameless->setWidgetMovable(true);
    frameless->setWidgetResizable(false);
    frameless->activateOn(this);
    CQssManager::instance()->addShadowEffect(bg);
    DPIAdapter::instance()->adaptWidget(bg);
    fixDialogSize(this, QSize(310, 200));
    m_confirm->setEnabled(false);

    connect(m_edit, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_confirm->setEnabled(!text.isEmpty());
        m_error->clear();
    });
    connect(m_confirm, &QPushButton::clicked, this, &Dialog_Remuneration::onConfirm);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(title, &CBaseTitleBar::sig_close, this, &QDialog::reject);
    DialogKeys::setUp(this, m_edit, m_confirm);
}

void Dialog_Remuneration::setMoney(double value)
{
    m_edit->setText(QString::number(value, 'f', 2));
}

double Dialog_Remuneration::money() const
{
    return m_edit->text().toDouble();
}

void Dialog_Remuneration::onConfirm()
{
    const double value = money();
    if (value > double(0.01f) && value <= 10000.0) {
        accept();
        return;
    }
    m_error->setText(QStringLiteral("稿费设置范围:0.01元 - 10000元"));
}
