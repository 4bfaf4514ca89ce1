#include "Dialog_WritingSettings.h"

#include "common/DPIAdapter.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "manager/CQssManager.h"
#include "ui/common/CBaseTitleBar.h"
#include "ui/common/DialogKeys.h"
#include "ui/common/NcFramelessHelper.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

Dialog_WritingSettings::Dialog_WritingSettings(QWidget* parent)
    : QDialog(parent), m_model(CPublicManager::instance()), m_jobs(CJobManager::instance())
{
    buildForm();
    setAttribute(Qt::WA_TranslucentBackground, true);
    auto* helper = new NcFramelessHelper(this);
    helper->setWidgetMovable(true);
    helper->setWidgetResizable(false);
    helper->activateOn(this);
    m_background->setObjectName(QStringLiteral("CommonWidgetBg"));
    m_titleBar->setTitle(tr("Writing Settings"));
    CQssManager::instance()->addShadowEffect(m_background);
    DPIAdapter::instance()->adaptWidget(m_background);

    auto* confirm = findChild<QPushButton*>(QStringLiteral("btnConfirm"));
    connect(confirm, &QPushButton::clicked, this, &Dialog_WritingSettings::onConfirm);
    connect(findChild<QPushButton*>(QStringLiteral("btnCancel")), &QPushButton::clicked, this, &QDialog::reject);
    connect(m_titleBar, &CBaseTitleBar::sig_close, this, &QDialog::reject);

    // Anything but 1 reads as off, and is saved as 0 on confirm.
    const T_CreationConf& conf = m_model->userConf.creationConf;
    m_indent->setChecked(conf.isIndent == 1);
    m_spacing->setChecked(conf.isSpaces == 1);
    m_punctuation->setChecked(conf.isAutoPunctuation == 1);
    DialogKeys::setUp(this, m_indent, confirm);
}

void Dialog_WritingSettings::buildForm()
{
    setObjectName(QStringLiteral("Dialog_WritingSettings"));
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    // Lengths below are given at 100 %; the layouts' margins grow with
    // the rest once the form is built.
    const double scale = DPIAdapter::instance()->scale();
    auto px = [scale](int length) { return static_cast<int>(length * scale); };
    setFixedSize(px(380), px(446));
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(10, 10, 10, 10);
    m_background = new QWidget(this);
    m_background->setObjectName(QStringLiteral("WritingSettingsBg"));
    outer->addWidget(m_background);

    auto* column = new QVBoxLayout(m_background);
    column->setContentsMargins(0, 0, 0, 20);
    column->setSpacing(0);
    m_titleBar = new CBaseTitleBar(m_background);
    m_titleBar->setObjectName(QStringLiteral("widgetTitle"));
    m_titleBar->setFixedHeight(px(44));
    column->addWidget(m_titleBar);

    auto* content = new QWidget(m_background);
    content->setObjectName(QStringLiteral("widgetContent"));
    auto* grid = new QGridLayout(content);
    grid->setContentsMargins(40, 30, 40, 10);
    grid->setVerticalSpacing(24);
    auto box = [content](const char* name, const QString& text) {
        auto* check = new QCheckBox(text, content);
        check->setObjectName(QString::fromLatin1(name));
        check->setCursor(Qt::PointingHandCursor);
        return check;
    };
    m_indent = box("checkBoxIndent", QStringLiteral("首行缩进"));
    m_spacing = box("checkBoxSpacing", QStringLiteral("段与段之间增加空行"));
    m_punctuation = box("checkBoxPunctuation", QStringLiteral("标点补全"));
    grid->addWidget(m_indent, 0, 0);
    grid->addWidget(m_spacing, 1, 0);
    grid->addWidget(m_punctuation, 2, 0);
    grid->setRowStretch(3, 1);
    column->addWidget(content, 1);

    auto* buttons = new QHBoxLayout();
    buttons->setSpacing(20);
    buttons->addStretch(1);
    for (const auto& spec : {qMakePair(QStringLiteral("btnConfirm"), QStringLiteral("确定")),
                             qMakePair(QStringLiteral("btnCancel"), QStringLiteral("取消"))}) {
        auto* button = new QPushButton(spec.second, m_background);
        button->setObjectName(spec.first);
        button->setFixedSize(px(92), px(30));
        button->setCursor(Qt::PointingHandCursor);
        buttons->addWidget(button);
    }
    buttons->addStretch(1);
    column->addLayout(buttons);
}

void Dialog_WritingSettings::onConfirm()
{
    T_CreationConf& conf = m_model->userConf.creationConf;
    conf.isAutoPunctuation = m_punctuation->checkState() == Qt::Checked ? 1 : 0;
    conf.isIndent = m_indent->checkState() == Qt::Checked ? 1 : 0;
    conf.isSpaces = m_spacing->checkState() == Qt::Checked ? 1 : 0;
    m_jobs->updateCreationConf(conf, m_model->userConf.uid);
    accept();
}
