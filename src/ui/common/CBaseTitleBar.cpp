#include "ui/common/CBaseTitleBar.h"

#include "common/DPIAdapter.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtMath>

namespace {
QPushButton* smallButton(const QString& name, QWidget* parent)
{
    auto* button = new QPushButton(parent);
    button->setObjectName(name);
    const int side = qRound(12 * DPIAdapter::instance()->scale());
    button->setFixedSize(side, side);
    button->setFlat(false);
    button->setText(QString());
    return button;
}
}

CBaseTitleBar::CBaseTitleBar(QWidget* parent)
    : QWidget(parent)
{
    const double s = DPIAdapter::instance()->scale();
    if (objectName().isEmpty())
        setObjectName(QStringLiteral("CBaseTitleBar"));
    resize(458, 51);
    // Room above and below the title, which otherwise sits against the
    // window's edge; dialogs that fix their own height keep it.
    setMinimumHeight(qRound(46 * s));
    setWindowTitle(tr("Form"));
    setStyleSheet(QString());

    m_verticalLayout = new QVBoxLayout(this);
    m_verticalLayout->setObjectName(QStringLiteral("verticalLayout"));
    m_verticalLayout->setSpacing(0);
    m_verticalLayout->setContentsMargins(0, 0, 0, 0);

    m_background = new QWidget(this);
    m_background->setObjectName(QStringLiteral("CommonWidgetTitle"));
    m_background->setAttribute(Qt::WA_StyledBackground, true);
    m_verticalLayout->addWidget(m_background);

    m_layoutMain = new QHBoxLayout(m_background);
    m_layoutMain->setObjectName(QStringLiteral("layoutMain"));
    m_layoutMain->setSpacing(0);
    m_layoutMain->setContentsMargins(qRound(12 * s), 0, qRound(12 * s), 0);

    m_macButtons = new QHBoxLayout();
    m_macButtons->setObjectName(QStringLiteral("horizontalLayout_2"));
    m_macButtons->setSpacing(qRound(8 * s));
    m_macButtons->setContentsMargins(0, 0, 0, 0);
    m_btnCloseMac = smallButton(QStringLiteral("btnCloseMac"), m_background);
    m_btnMinMac = smallButton(QStringLiteral("btnMinMac"), m_background);
    m_btnMaxMac = smallButton(QStringLiteral("btnMaxMac"), m_background);
    m_macButtons->addWidget(m_btnCloseMac);
    m_macButtons->addWidget(m_btnMinMac);
    m_macButtons->addWidget(m_btnMaxMac);
    m_layoutMain->addLayout(m_macButtons);

    m_layoutMain->addSpacerItem(new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
    m_labelTitle = new QLabel(m_background);
    m_labelTitle->setObjectName(QStringLiteral("CommonLabelTitle"));
    m_layoutMain->addWidget(m_labelTitle);
    m_layoutMain->addSpacerItem(new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));

    m_btnClose = new QPushButton(m_background);
    m_btnClose->setObjectName(QStringLiteral("btn_close_popup"));
    const int closeSide = static_cast<int>(20 * s);
    m_btnClose->setFixedSize(closeSide, closeSide);
    m_btnClose->setFlat(true);
    m_btnClose->setText(QString());
    m_btnClose->setCursor(Qt::PointingHandCursor);
    m_layoutMain->addWidget(m_btnClose);

    m_btnCloseMac->hide();
    m_btnMinMac->hide();
    m_btnMaxMac->hide();
    // The window's own buttons answer the mouse only: with the keys, Tab
    // would stop on them and Enter would close the dialog the author types in.
    for (QPushButton* button : {m_btnCloseMac, m_btnMinMac, m_btnMaxMac, m_btnClose}) {
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoDefault(false);
    }

    connect(m_btnClose, &QPushButton::clicked, this, &CBaseTitleBar::sig_close);
    // The small buttons act on the window only where a skin shows them.
    connect(m_btnCloseMac, &QPushButton::clicked, this, &CBaseTitleBar::sig_close);
    connect(m_btnMinMac, &QPushButton::clicked, this, [this] { window()->showMinimized(); });
    connect(m_btnMaxMac, &QPushButton::clicked, this, &CBaseTitleBar::toggleMaximized);
}

void CBaseTitleBar::setTitle(const QString& title)
{
    m_labelTitle->setText(title);
    // A frameless dialog is named on the task bar and in window lists by
    // its window title: the one its title bar shows.
    if (auto* dialog = qobject_cast<QDialog*>(window()))
        dialog->setWindowTitle(title);
}

QString CBaseTitleBar::title() const
{
    return m_labelTitle->text();
}

void CBaseTitleBar::toggleMaximized()
{
    QWidget* w = window();
    if (w->isMaximized())
        w->showNormal();
    else
        w->showMaximized();
}
