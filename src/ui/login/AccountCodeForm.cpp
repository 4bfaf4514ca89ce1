#include "AccountCodeForm.h"

#include "CTimerButton.h"
#include "PictureCode.h"
#include "common/DPIAdapter.h"
#include "manager/CJobManager.h"
#include "ui/common/VerificationCodeLabel.h"
#include "ui/common/WindowWait.h"

#include <QDebug>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegExpValidator>
#include <QTimer>
#include <QVBoxLayout>

AccountCodeForm::AccountCodeForm(const QString& title, const QString& submitName, const QString& submitText,
                                 QWidget* parent)
    : QWidget(parent)
{
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    m_content = new QWidget(this);
    m_content->setObjectName(QStringLiteral("widgetContent"));
    outer->addWidget(m_content);

    auto* column = new QVBoxLayout(m_content);
    column->setContentsMargins(40, 40, 40, 20);
    column->setSpacing(10);
    auto* labelTitle = new QLabel(title, m_content);
    labelTitle->setObjectName(QStringLiteral("labelTitle"));
    column->addWidget(labelTitle);
    column->addSpacing(6);

    m_account = new QLineEdit(m_content);
    m_account->setObjectName(QStringLiteral("lineEditAccount"));
    m_account->setPlaceholderText(tr("Please enter account"));
    m_account->setValidator(new QRegExpValidator(QRegExp(QStringLiteral("[0-9]+$")), m_account));
    m_account->setMaxLength(11);
    column->addWidget(m_account);

    auto* pictureRow = new QHBoxLayout();
    pictureRow->setSpacing(8);
    m_codeV = new QLineEdit(m_content);
    m_codeV->setObjectName(QStringLiteral("lineEditCodeV"));
    m_codeV->setPlaceholderText(QStringLiteral("请输入验证码"));
    m_codeV->setMaxLength(4);
    pictureRow->addWidget(m_codeV);
    m_labelCodeV = new VerificationCodeLabel(m_content);
    m_labelCodeV->setObjectName(QStringLiteral("labelCodeV"));
    m_labelCodeV->setMinimumWidth(66);
    m_labelCodeV->setCursor(Qt::PointingHandCursor);
    pictureRow->addWidget(m_labelCodeV);
    column->addLayout(pictureRow);

    m_widgetCode = new QWidget(m_content);
    m_widgetCode->setObjectName(QStringLiteral("widgetCode"));
    m_widgetCode->setAttribute(Qt::WA_StyledBackground);
    auto* codeRow = new QHBoxLayout(m_widgetCode);
    codeRow->setContentsMargins(1, 1, 1, 1);
    codeRow->setSpacing(0);
    m_code = new QLineEdit(m_widgetCode);
    m_code->setObjectName(QStringLiteral("lineEditCode"));
    m_code->setPlaceholderText(tr("Please Enter Verify Code"));
    m_code->setMaxLength(10);
    codeRow->addWidget(m_code);
    m_btnGetCode = new CTimerButton(m_widgetCode);
    m_btnGetCode->setObjectName(QStringLiteral("btnGetCode"));
    m_btnGetCode->setFixedWidth(int(66 * DPIAdapter::instance()->scale()));
    m_btnGetCode->setText(tr("Get Code"));
    m_btnGetCode->setCursor(Qt::PointingHandCursor);
    codeRow->addWidget(m_btnGetCode);
    column->addWidget(m_widgetCode);

    m_password = new QLineEdit(m_content);
    m_password->setObjectName(QStringLiteral("lineEditPwd"));
    m_password->setPlaceholderText(tr("Please enter 8-16 bit password"));
    m_password->setEchoMode(QLineEdit::Password);
    m_password->setMaxLength(16);
    column->addWidget(m_password);
    m_passwordV = new QLineEdit(m_content);
    m_passwordV->setObjectName(QStringLiteral("lineEditPwdV"));
    m_passwordV->setPlaceholderText(tr("Please enter 8-16 bit password again"));
    m_passwordV->setEchoMode(QLineEdit::Password);
    m_passwordV->setMaxLength(16);
    column->addWidget(m_passwordV);

    m_labelError = new QLabel(m_content);
    m_labelError->setObjectName(QStringLiteral("labelError"));
    column->addWidget(m_labelError);

    m_btnSubmit = new QPushButton(submitText, m_content);
    m_btnSubmit->setObjectName(submitName);
    m_btnSubmit->setCursor(Qt::PointingHandCursor);
    column->addWidget(m_btnSubmit);

    m_links = new QWidget(m_content);
    m_links->setObjectName(QStringLiteral("widgetLinks"));
    auto* linkRow = new QHBoxLayout(m_links);
    linkRow->setContentsMargins(0, 0, 0, 0);
    column->addWidget(m_links);
    column->addStretch();

    DPIAdapter::instance()->adaptWidget(m_content);
    checkSend(m_codeV->text(), false);
    checkSubmit();

    connect(m_account, &QLineEdit::textChanged, this, &AccountCodeForm::onAccountChanged);
    connect(m_codeV, &QLineEdit::textChanged, this, [this](const QString& text) {
        checkSend(text, false);
        m_labelError->clear();
    });
    connect(m_code, &QLineEdit::textChanged, this, &AccountCodeForm::checkSubmit);
    connect(m_password, &QLineEdit::textChanged, this, &AccountCodeForm::checkSubmit);
    connect(m_passwordV, &QLineEdit::textChanged, this, &AccountCodeForm::checkSubmit);
    connect(m_btnGetCode, &QPushButton::clicked, this, &AccountCodeForm::onSendCode);
    connect(m_btnGetCode, &CTimerButton::sig_timeout, this, [this]() { checkSend(m_codeV->text(), true); });
    connect(m_btnSubmit, &QPushButton::clicked, this, &AccountCodeForm::onSubmit);
    connect(m_labelCodeV, &VerificationCodeLabel::sigClicked, this, [this]() { getCode(m_uuid); });
    m_code->installEventFilter(this);
}

void AccountCodeForm::checkSend(const QString& pictureText, bool ignoreCounting)
{
    const bool counting = !ignoreCounting && m_btnGetCode->isCounting();
    m_btnGetCode->setEnabled(m_account->text().size() == 11 && !counting && pictureText == m_pictureCode
                             && !m_pictureCode.isEmpty());
}

void AccountCodeForm::checkSubmit()
{
    m_btnSubmit->setEnabled(!WindowWait::isWaiting(this) && m_password->text().size() >= 8 && !m_code->text().isEmpty()
                            && m_passwordV->text().size() >= 8 && !m_account->text().isEmpty());
    m_labelError->clear();
}

void AccountCodeForm::onAccountChanged()
{
    checkSend(m_codeV->text(), false);
    checkSubmit();
}

void AccountCodeForm::getCode(const QString& uuid)
{
    // While another request of the page is out, the code shown stays; while
    // this one is out, the picture takes no click.
    WindowWait wait(this, {m_labelCodeV});
    if (!wait.started())
        return;
    m_uuid = uuid;
    TC_Account_AuthNumber request;
    request.uuid = uuid;
    TS_Account_AuthNumber reply;
    CJobManager::instance()->author_authNumber(request, reply);
    if (!wait.resumed())
        return;
    if (reply.header.code != HttpOk) {
        m_labelError->setText(reply.header.msg);
        return;
    }
    m_pictureCode = decodePictureCode(reply.code);
    if (m_pictureCode.size() != VerificationCodeLabel::kLetterCount)
        qWarning() << "picture code did not decode to" << VerificationCodeLabel::kLetterCount << "characters";
    m_labelCodeV->setCode(m_pictureCode);
    checkSend(m_codeV->text(), false);
}

void AccountCodeForm::onSendCode()
{
    const QString account = m_account->text();
    if (account.size() != 11)
        return;
    // The phone and the picture code stay as sent, and no new picture
    // replaces the key the request carries.
    WindowWait wait(this, {m_account, m_codeV, m_labelCodeV});
    if (!wait.started())
        return;
    m_btnGetCode->setEnabled(false);
    m_code->setFocus();
    TC_Author_SendCode request;
    request.phone = account;
    request.code = m_pictureCode;
    request.uuid = m_uuid;
    TS_Author_SendCode reply;
    CJobManager::instance()->author_sendCode(request, reply);
    if (!wait.resumed())
        return;
    qDebug() << "SMS code reply:" << reply.header.code << reply.header.msg;
    if (reply.header.code == HttpOk)
        m_labelError->clear();
    else
        m_labelError->setText(reply.header.msg);
}

void AccountCodeForm::onSubmit()
{
    WindowWait wait(this, {m_btnSubmit, m_account, m_code, m_password, m_passwordV});
    if (!wait.started())
        return;
    if (m_passwordV->text() != m_password->text()) {
        m_errorText = tr("The two passwords do not match");
        m_labelError->setText(m_errorText);
        return;
    }
    const QString phone = m_account->text();
    int code = 0;
    QString msg;
    submitRequest(phone, m_code->text(), m_password->text(), code, msg);
    if (!wait.resumed())
        return;
    if (code != HttpOk) {
        m_labelError->setText(msg);
        return;
    }
    m_labelError->clear();
    emit sig_tips(successText());
    QPointer<AccountCodeForm> self(this);
    QTimer::singleShot(1000, this, [self, phone]() {
        if (self && self->isVisible())
            self->afterSuccess(phone);
    });
}

bool AccountCodeForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_code) {
        if (event->type() == QEvent::FocusIn)
            m_widgetCode->setStyleSheet(QStringLiteral("#widgetCode{border: 1px solid #51A8FF;}"));
        else if (event->type() == QEvent::FocusOut)
            m_widgetCode->setStyleSheet(QStringLiteral("#widgetCode{border: 1px solid #CED4E4;}"));
    }
    return QWidget::eventFilter(watched, event);
}
