#include "Widget_BindWechat.h"

#include "common/DPIAdapter.h"

#include "CTimerButton.h"
#include "manager/CJobManager.h"
#include "manager/CQssManager.h"
#include "ui/common/WindowWait.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegExpValidator>
#include <QVBoxLayout>

Widget_BindWechat::Widget_BindWechat(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Widget_BindWechat"));
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* background = new QWidget(this);
    background->setObjectName(QStringLiteral("Widget_BindWechat_Bg"));
    background->setAttribute(Qt::WA_StyledBackground);
    outer->addWidget(background);
    auto* centre = new QVBoxLayout(background);
    centre->setAlignment(Qt::AlignCenter);

    auto* content = new QWidget(background);
    content->setObjectName(QStringLiteral("widgetContent"));
    content->setAttribute(Qt::WA_StyledBackground);
    content->setFixedSize(242, 208);
    centre->addWidget(content, 0, Qt::AlignCenter);
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(16, 14, 16, 14);
    column->setSpacing(8);

    auto* labelBind = new QLabel(tr("Bind PhoneNumber"), content);
    labelBind->setObjectName(QStringLiteral("labelBind"));
    labelBind->setMaximumHeight(18);
    column->addWidget(labelBind);
    const QRegExp digits(QStringLiteral("[0-9]+$"));
    m_phone = new QLineEdit(content);
    m_phone->setObjectName(QStringLiteral("lineEditAccount"));
    m_phone->setPlaceholderText(tr("Please enter account"));
    m_phone->setValidator(new QRegExpValidator(digits, m_phone));
    m_phone->setMaxLength(11);
    column->addWidget(m_phone);
    auto* codeRow = new QHBoxLayout();
    m_code = new QLineEdit(content);
    m_code->setObjectName(QStringLiteral("lineEditCode"));
    m_code->setPlaceholderText(tr("Please Enter Verify Code"));
    m_code->setValidator(new QRegExpValidator(digits, m_code));
    m_code->setMaxLength(6);
    codeRow->addWidget(m_code);
    m_btnGetCode = new CTimerButton(content);
    m_btnGetCode->setObjectName(QStringLiteral("btnGetCode"));
    m_btnGetCode->setText(tr("Get Code"));
    m_btnGetCode->setFixedSize(int(66 * DPIAdapter::instance()->scale()), int(30 * DPIAdapter::instance()->scale()));
    codeRow->addWidget(m_btnGetCode);
    column->addLayout(codeRow);
    m_labelError = new QLabel(content);
    m_labelError->setObjectName(QStringLiteral("labelError"));
    m_labelError->setMinimumHeight(15);
    column->addWidget(m_labelError);
    m_btnConfirm = new QPushButton(tr("Bind"), content);
    m_btnConfirm->setObjectName(QStringLiteral("btnConfirm"));
    m_btnConfirm->setFixedSize(92, 30);
    column->addWidget(m_btnConfirm, 0, Qt::AlignHCenter);

    m_btnConfirm->setEnabled(false);
    m_btnGetCode->setEnabled(false);
    CQssManager::instance()->addShadowEffect(content);

    connect(m_phone, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_btnConfirm->setEnabled(!WindowWait::isWaiting(this) && !text.isEmpty() && !m_code->text().isEmpty());
        m_btnGetCode->setEnabled(text.size() == 11 && !m_btnGetCode->isCounting());
        m_labelError->clear();
    });
    connect(m_code, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_btnConfirm->setEnabled(!WindowWait::isWaiting(this) && !text.isEmpty() && !m_phone->text().isEmpty());
        m_labelError->clear();
    });
    // No request from here: the SMS request needs a picture code this page
    // does not have; the countdown only keeps the author from pressing again.
    connect(m_btnGetCode, &QPushButton::clicked, this, [this]() {
        m_btnGetCode->setEnabled(false);
        m_code->setFocus();
    });
    connect(m_btnGetCode, &CTimerButton::sig_timeout, this,
            [this]() { m_btnGetCode->setEnabled(m_phone->text().size() == 11); });
    connect(m_btnConfirm, &QPushButton::clicked, this, &Widget_BindWechat::onConfirm);
}

void Widget_BindWechat::onConfirm()
{
    WindowWait wait(this, {m_btnConfirm});
    if (!wait.started())
        return;
    TC_Author_WxBindPhone request;
    request.phone = m_phone->text();
    request.code = m_code->text();
    TS_Author_Login reply;
    CJobManager::instance()->author_wxBindPhone(request, reply);
    if (!wait.resumed())
        return;
    if (reply.header.code == HttpOk) {
        m_labelError->clear();
        CJobManager::instance()->initAfterLogin();
        return;
    }
    m_labelError->setText(reply.header.msg);
}
