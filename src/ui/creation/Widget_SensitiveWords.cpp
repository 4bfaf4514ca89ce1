#include "Widget_SensitiveWords.h"

#include "common/DPIAdapter.h"
#include "common/ServerClock.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "manager/CQssManager.h"
#include "manager/CUiManager.h"
#include "ui/common/CBaseTitleBar.h"
#include "ui/common/DialogKeys.h"
#include "ui/common/NcFramelessHelper.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDebug>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTextEdit>
#include <QVBoxLayout>

namespace {
QPushButton* makeButton(const QString& name, const QString& text, const QSize& size, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    // Sizes are given at 100 %.
    const double scale = DPIAdapter::instance()->scale();
    button->setFixedSize(static_cast<int>(size.width() * scale), static_cast<int>(size.height() * scale));
    button->setCursor(Qt::PointingHandCursor);
    return button;
}
}

Widget_SensitiveWords::Widget_SensitiveWords(QWidget* parent) : QWidget(parent)
{
    buildForm();
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground, true);
    m_background->setObjectName(QStringLiteral("CommonWidgetBg"));
    CQssManager::instance()->addShadowEffect(m_background);
    const double scale = DPIAdapter::instance()->scale();
    setFixedSize(static_cast<int>(380 * scale), static_cast<int>(446 * scale));
    DPIAdapter::instance()->adaptWidget(m_background);
    auto* frameless = new NcFramelessHelper(this);
    frameless->setWidgetMovable(true);
    frameless->setWidgetResizable(false);
    frameless->activateOn(this);
    m_titleBar->setTitle(tr("SensitiveWords"));
    initConnect();
    // Enter checks the text, as the first page's main button does; on the
    // result page it applies the treatment, whose choice takes the keys.
    DialogKeys::setUp(this, m_checkNormal, m_btnConfirm);
    DialogKeys::setUpPage(this, m_pageSetting, m_checkNormal, m_btnConfirm);
    DialogKeys::setUpPage(this, m_pageResult, m_group->button(1), m_btnReplace);
}

Widget_SensitiveWords::~Widget_SensitiveWords() = default;

void Widget_SensitiveWords::buildForm()
{
    setObjectName(QStringLiteral("Widget_SensitiveWords"));
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(10, 10, 10, 10);
    m_background = new QWidget(this);
    m_background->setObjectName(QStringLiteral("Widget_SensitiveWords_Bg"));
    m_background->setAttribute(Qt::WA_StyledBackground, true);
    outer->addWidget(m_background);
    auto* bgLayout = new QVBoxLayout(m_background);
    bgLayout->setContentsMargins(0, 0, 0, 0);
    bgLayout->setSpacing(0);
    m_titleBar = new CBaseTitleBar(m_background);
    m_titleBar->setObjectName(QStringLiteral("widgetTitle"));
    const double scale = DPIAdapter::instance()->scale();
    m_titleBar->setFixedHeight(static_cast<int>(38 * scale));
    bgLayout->addWidget(m_titleBar);
    m_stack = new QStackedWidget(m_background);
    m_stack->setObjectName(QStringLiteral("stackedWidget"));
    bgLayout->addWidget(m_stack);

    m_pageSetting = new QWidget(m_stack);
    m_pageSetting->setObjectName(QStringLiteral("pageSetting"));
    auto* setting = new QVBoxLayout(m_pageSetting);
    setting->setContentsMargins(24, 16, 24, 20);
    setting->setSpacing(12);
    m_checkNormal = new QCheckBox(QStringLiteral("常规词库"), m_pageSetting);
    m_checkNormal->setObjectName(QStringLiteral("checkBoxNormal"));
    setting->addWidget(m_checkNormal);
    auto* customRow = new QHBoxLayout();
    m_checkCustom = new QCheckBox(QStringLiteral("自定义词库"), m_pageSetting);
    m_checkCustom->setObjectName(QStringLiteral("checkBoxCustom"));
    customRow->addWidget(m_checkCustom);
    customRow->addStretch(1);
    m_btnEdit = makeButton(QStringLiteral("btnEdit"), QStringLiteral("编辑"), QSize(48, 22), m_pageSetting);
    m_btnSaveEdit = makeButton(QStringLiteral("btnSaveEdit"), QStringLiteral("保存"), QSize(48, 22), m_pageSetting);
    m_btnCancelEdit = makeButton(QStringLiteral("btnCancelEdit"), QStringLiteral("取消"), QSize(48, 22), m_pageSetting);
    customRow->addWidget(m_btnEdit);
    customRow->addWidget(m_btnSaveEdit);
    customRow->addWidget(m_btnCancelEdit);
    setting->addLayout(customRow);
    m_textEdit = new QTextEdit(m_pageSetting);
    m_textEdit->setObjectName(QStringLiteral("textEdit"));
    m_textEdit->setFixedHeight(static_cast<int>(120 * scale));
    m_textEdit->setContextMenuPolicy(Qt::NoContextMenu);
    m_textEdit->setAcceptRichText(false);
    setting->addWidget(m_textEdit);
    auto* explain = new QLabel(QStringLiteral("* 编辑自定义敏感词，多个敏感词请用“、”分隔"), m_pageSetting);
    explain->setObjectName(QStringLiteral("labelExplain"));
    explain->setWordWrap(true);
    setting->addWidget(explain);
    setting->addStretch(1);
    auto* buttons = new QHBoxLayout();
    buttons->addStretch(1);
    m_btnCancel = makeButton(QStringLiteral("btnCancel"), QStringLiteral("取消"), QSize(82, 32), m_pageSetting);
    m_btnConfirm = makeButton(QStringLiteral("btnConfirm"), QStringLiteral("检测"), QSize(82, 32), m_pageSetting);
    buttons->addWidget(m_btnCancel);
    buttons->addWidget(m_btnConfirm);
    setting->addLayout(buttons);
    m_stack->addWidget(m_pageSetting);

    m_pageResult = new QWidget(m_stack);
    m_pageResult->setObjectName(QStringLiteral("pageResult"));
    auto* result = new QVBoxLayout(m_pageResult);
    result->setContentsMargins(18, 16, 18, 20);
    result->setSpacing(12);
    m_labelResult = new QLabel(QStringLiteral("本次检测，未发现敏感词！"), m_pageResult);
    m_labelResult->setObjectName(QStringLiteral("labelResult"));
    m_labelResult->setAlignment(Qt::AlignCenter);
    result->addWidget(m_labelResult);
    m_group = new QButtonGroup(m_pageResult);
    m_group->setObjectName(QStringLiteral("buttonGroup"));
    m_group->setExclusive(true);
    const QStringList texts{QStringLiteral("不修改敏感词，仅文字内容高亮显示"),
                            QStringLiteral("替换为汉语拼音全拼，如“仙侠”替换为“xianxia”"),
                            QStringLiteral("将敏感词替换为“*”，如“仙侠”替换为“**”"),
                            QStringLiteral("将敏感词中间加“-”显示“仙-侠”")};
    for (int i = 0; i < texts.size(); ++i) {
        auto* radio = new QRadioButton(texts.at(i), m_pageResult);
        radio->setObjectName(i == 0 ? QStringLiteral("radioButton") : QStringLiteral("radioButton_%1").arg(i + 1));
        m_group->addButton(radio, i + 1);
        result->addWidget(radio);
    }
    result->addStretch(1);
    auto* resultButtons = new QHBoxLayout();
    resultButtons->addStretch(1);
    // Named like the first page's buttons so that the sheets style them alike.
    m_btnReturn = makeButton(QStringLiteral("btnCancel"), QStringLiteral("取消"), QSize(82, 32), m_pageResult);
    m_btnReplace = makeButton(QStringLiteral("btnConfirm"), QStringLiteral("确认"), QSize(82, 32), m_pageResult);
    resultButtons->addWidget(m_btnReturn);
    resultButtons->addWidget(m_btnReplace);
    result->addLayout(resultButtons);
    m_stack->addWidget(m_pageResult);
}

void Widget_SensitiveWords::initConnect()
{
    connect(m_titleBar, &CBaseTitleBar::sig_close, this, &QWidget::close);
    connect(m_btnCancel, &QPushButton::clicked, this, &QWidget::close);
    connect(m_btnConfirm, &QPushButton::clicked, this, &Widget_SensitiveWords::check);
    connect(m_btnReturn, &QPushButton::clicked, this, [this]() { m_stack->setCurrentWidget(m_pageSetting); });
    connect(m_btnReplace, &QPushButton::clicked, this, [this]() {
        CUiManager::instance()->sensitiveWordsAction(m_group->checkedId());
        m_stack->setCurrentWidget(m_pageSetting);
    });
    connect(m_btnEdit, &QPushButton::clicked, this, [this]() { setEditing(true); });
    connect(m_btnCancelEdit, &QPushButton::clicked, this, [this]() {
        m_textEdit->setPlainText(CPublicManager::instance()->sensitiveMatcher.customText());
        setEditing(false);
    });
    connect(m_btnSaveEdit, &QPushButton::clicked, this, [this]() {
        TC_Sensitive_Edit request;
        request.header.jobType = 2003;
        request.words = m_textEdit->toPlainText();
        request.update_time = static_cast<int>(currentServerTime());
        CJobManager::instance()->sensitive_edit(request);
        setEditing(false);
    });
    connect(m_checkNormal, &QCheckBox::stateChanged, this,
            [this](int state) { setStatusBit(1, state == Qt::Checked); });
    connect(m_checkCustom, &QCheckBox::stateChanged, this,
            [this](int state) { setStatusBit(2, state == Qt::Checked); });
}

void Widget_SensitiveWords::setStatusBit(int bit, bool on)
{
    int& status = CPublicManager::instance()->userConf.systemConf.sensitiveStatus;
    status = on ? (status | bit) : (status & ~bit);
}

void Widget_SensitiveWords::setEditing(bool editing)
{
    m_textEdit->setReadOnly(!editing);
    m_btnEdit->setVisible(!editing);
    m_btnSaveEdit->setVisible(editing);
    m_btnCancelEdit->setVisible(editing);
}

QString Widget_SensitiveWords::resultText(int count)
{
    if (count != 0)
        return tr("In this test, a total of %1 sensitive word was found!").arg(count);
    return tr("No sensitive words were found in this test!");
}

void Widget_SensitiveWords::check()
{
    int flags = 0;
    if (m_checkNormal->isChecked())
        flags |= 1;
    if (m_checkCustom->isChecked())
        flags |= 2;
    const int count = CUiManager::instance()->countSensitiveWords(flags);
    qDebug() << "Sensitive Count:" << count;
    m_labelResult->setText(resultText(count));
    m_stack->setCurrentWidget(m_pageResult);
}

void Widget_SensitiveWords::openAnew()
{
    if (QAbstractButton* first = m_group->button(1))
        first->setChecked(true);
    m_textEdit->setPlainText(CPublicManager::instance()->sensitiveMatcher.customText());
    setEditing(false);
    m_stack->setCurrentWidget(m_pageSetting);
    const int status = CPublicManager::instance()->userConf.systemConf.sensitiveStatus;
    // Setting the boxes writes the status back through their handlers; read it first.
    m_checkNormal->setChecked(status & 1);
    m_checkCustom->setChecked(status & 2);
}
