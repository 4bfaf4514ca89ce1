#include "ui/common/CColorDialog.h"

#include "common/DPIAdapter.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "manager/CQssManager.h"
#include "ui/common/CBaseTitleBar.h"
#include "ui/common/DialogKeys.h"
#include "ui/common/HColorArea.h"
#include "ui/common/NcFramelessHelper.h"
#include "ui/common/PreviewColorArea.h"
#include "ui/common/SVColorArea.h"

#include <QDebug>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QVBoxLayout>

CColorDialog::CColorDialog(QWidget* parent)
    : QDialog(parent),
      m_model(CPublicManager::instance()),
      m_jobs(CJobManager::instance())
{
    buildForm();

    auto* helper = new NcFramelessHelper(this);
    helper->setWidgetMovable(true);
    helper->setWidgetResizable(false);
    helper->activateOn(this);
    setAttribute(Qt::WA_TranslucentBackground, true);
    CQssManager::instance()->addShadowEffect(m_background);
    m_background->setObjectName(QStringLiteral("CommonWidgetBg"));
    m_titleBar->setTitle(tr("Font Color"));

    connect(m_hColor, &HColorArea::hueChangedSignal, m_svColor, &SVColorArea::hueChangedSlot);
    connect(m_svColor, &SVColorArea::svChangedSignal, this, &CColorDialog::onColorChanged);
    connect(m_titleBar, &CBaseTitleBar::sig_close, this, &CColorDialog::reject);
    connect(m_btnConfirm, &QPushButton::clicked, this, &CColorDialog::onConfirm);
    connect(m_btnRe, &QPushButton::clicked, this, &CColorDialog::onRestore);
    // The colour is picked with the mouse; the keys confirm it.
    DialogKeys::setUp(this, m_btnConfirm, m_btnConfirm);
}

CColorDialog::~CColorDialog() = default;

void CColorDialog::buildForm()
{
    const double s = DPIAdapter::instance()->scale();
    auto px = [s](int n) { return static_cast<int>(n * s); };

    setObjectName(QStringLiteral("CColorDialog"));
    // Every fixed size follows the display scale, the dialog's own included,
    // so the square and strip always fit.
    setFixedSize(px(352), px(412));

    auto* verticalLayout = new QVBoxLayout(this);
    verticalLayout->setObjectName(QStringLiteral("verticalLayout"));
    verticalLayout->setSpacing(0);
    verticalLayout->setContentsMargins(px(10), px(10), px(10), px(10));

    m_background = new QWidget(this);
    m_background->setObjectName(QStringLiteral("CColorDialogBg"));
    m_background->setAttribute(Qt::WA_StyledBackground, true);
    verticalLayout->addWidget(m_background);

    auto* verticalLayout_2 = new QVBoxLayout(m_background);
    verticalLayout_2->setObjectName(QStringLiteral("verticalLayout_2"));
    verticalLayout_2->setSpacing(0);
    verticalLayout_2->setContentsMargins(0, 0, 0, 0);

    m_titleBar = new CBaseTitleBar(m_background);
    m_titleBar->setObjectName(QStringLiteral("widgetTitle"));
    m_titleBar->setFixedHeight(px(46));
    verticalLayout_2->addWidget(m_titleBar);

    auto* horizontalLayout_2 = new QHBoxLayout();
    horizontalLayout_2->setObjectName(QStringLiteral("horizontalLayout_2"));
    horizontalLayout_2->setSpacing(px(8));
    horizontalLayout_2->addSpacerItem(new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
    auto* verticalLayout_3 = new QVBoxLayout();
    verticalLayout_3->setObjectName(QStringLiteral("verticalLayout_3"));
    m_svColor = new SVColorArea(m_background);
    m_svColor->setObjectName(QStringLiteral("svColorWgt"));
    m_svColor->setFixedSize(px(256), px(256));
    verticalLayout_3->addWidget(m_svColor);
    horizontalLayout_2->addLayout(verticalLayout_3);
    m_hColor = new HColorArea(m_background);
    m_hColor->setObjectName(QStringLiteral("hColorWgt"));
    m_hColor->setFixedSize(px(29), px(270));
    horizontalLayout_2->addWidget(m_hColor);
    horizontalLayout_2->addSpacerItem(new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
    verticalLayout_2->addLayout(horizontalLayout_2);

    verticalLayout_2->addSpacerItem(new QSpacerItem(20, 40, QSizePolicy::Minimum, QSizePolicy::Expanding));

    auto* horizontalLayout = new QHBoxLayout();
    horizontalLayout->setObjectName(QStringLiteral("horizontalLayout"));
    horizontalLayout->setSpacing(px(20));
    int top = 0;
    horizontalLayout->getContentsMargins(nullptr, &top, nullptr, nullptr);
    horizontalLayout->setContentsMargins(px(20), top, px(20), px(20));
    m_preview = new PreviewColorArea(m_background);
    m_preview->setObjectName(QStringLiteral("widgetPreview"));
    m_preview->setFixedSize(px(30), px(30));
    horizontalLayout->addWidget(m_preview);
    horizontalLayout->addSpacerItem(new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
    m_btnConfirm = new QPushButton(tr("确认"), m_background);
    m_btnConfirm->setObjectName(QStringLiteral("btnConfirm"));
    m_btnRe = new QPushButton(tr("恢复默认"), m_background);
    m_btnRe->setObjectName(QStringLiteral("btnRe"));
    for (QPushButton* button : {m_btnConfirm, m_btnRe}) {
        button->setFixedSize(px(92), px(30));
        button->setCursor(Qt::PointingHandCursor);
        horizontalLayout->addWidget(button);
    }
    verticalLayout_2->addLayout(horizontalLayout);
}

void CColorDialog::setColor(const QColor& color)
{
    m_openingColor = color;
    m_hadColor = !m_model->userConf.creationConf.fontColor.isEmpty();
    m_settingColor = true;
    m_hColor->setHue(color.hsvHue());
    m_svColor->setColor(color);
    m_preview->setColor(color);
    m_settingColor = false;
}

void CColorDialog::onColorChanged(int h, int s, int v)
{
    m_preview->svChangedSlot(h, s, v);
    if (m_settingColor)
        return;
    // The strip's top (hue 360) is red again.
    beginPreview(QColor::fromHsv(h % 360, s, v, 255).name());
}

void CColorDialog::beginPreview(const QString& colour)
{
    // By value: the colour also goes back after the dialog is gone.
    const QString before = m_hadColor ? m_openingColor.name() : QString();
    CPublicManager* model = m_model;
    m_trial.begin([model, before]() { model->userConf.creationConf.fontColor = before; });
    m_shown = colour;
    m_model->userConf.creationConf.fontColor = colour;
    emit changeColor();
}

void CColorDialog::reject()
{
    // However the dialog is closed without confirming, the colour goes back.
    m_trial.cancel();
    emit changeColor();
    QDialog::reject();
}

void CColorDialog::onConfirm()
{
    m_trial.confirm();
    if (m_shown)
        m_model->userConf.creationConf.fontColor = *m_shown;
    const int uid = m_model->userInfo.uid;
    if (!m_jobs->updateCreationConf(m_model->userConf.creationConf, uid))
        qWarning() << "the font colour stays in this session only: nobody is signed in";
    accept();
}

void CColorDialog::onRestore()
{
    beginPreview(QString());
}

void CColorDialog::keyPressEvent(QKeyEvent* event)
{
    // The choice ends only by confirming or by the title bar.
    if (event->key() == Qt::Key_Escape)
        return;
    QDialog::keyPressEvent(event);
}
