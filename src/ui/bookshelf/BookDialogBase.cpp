#include "BookDialogBase.h"

#include "common/DPIAdapter.h"
#include "manager/CQssManager.h"
#include "ui/common/CBaseTitleBar.h"
#include "ui/common/NcFramelessHelper.h"

#include <QVBoxLayout>
#include <QVariant>

BookDialogBase::BookDialogBase(const QString& bgName, const QSize& designSize, QWidget* parent)
    : QDialog(parent), m_s(DPIAdapter::instance()->scale())
{
    setObjectName(bgName.section(QLatin1Char('_'), 0, -2));
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedSize(px(designSize.width()), px(designSize.height()));
    auto* frame = new NcFramelessHelper(this);
    frame->setWidgetMovable(true);
    frame->setWidgetResizable(false);
    frame->activateOn(this);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(px(10), px(10), px(10), px(10));
    auto* bg = new QWidget(this);
    bg->setObjectName(QStringLiteral("CommonWidgetBg"));
    bg->setProperty("formName", bgName);
    outer->addWidget(bg);
    CQssManager::instance()->addShadowEffect(bg);

    auto* layout = new QVBoxLayout(bg);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_title = new CBaseTitleBar(bg);
    m_title->setObjectName(QStringLiteral("widgetTitle"));
    layout->addWidget(m_title);
    auto* contentWidget = new QWidget(bg);
    contentWidget->setObjectName(QStringLiteral("widgetContent"));
    layout->addWidget(contentWidget, 1);
    m_content = new QVBoxLayout(contentWidget);
    m_content->setContentsMargins(px(30), px(16), px(30), px(24));
    m_content->setSpacing(px(14));
}

void BookDialogBase::setTitle(const QString& title)
{
    m_title->setTitle(title);
}
