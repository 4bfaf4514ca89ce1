#include "Widget_Bookshelf_Top.h"

#include "common/DPIAdapter.h"
#include "common/StyleType.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "manager/CQssManager.h"
#include "manager/CUiManager.h"

#include <QDateTime>
#include <QHBoxLayout>
#include <QLabel>
#include <QMovie>
#include <QPushButton>
#include <QTimer>

Widget_Bookshelf_Top::Widget_Bookshelf_Top(QWidget* parent)
    : QWidget(parent), m_ui(CUiManager::instance()), m_model(CPublicManager::instance()),
      m_qss(CQssManager::instance()), m_movie(new QMovie(this)), m_s(DPIAdapter::instance()->scale())
{
    setObjectName(QStringLiteral("Widget_Bookshelf_Top"));
    resize(int(779 * m_s), int(59 * m_s));
    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* inner = new QWidget(this);
    inner->setObjectName(QStringLiteral("widget_bookshelf_top"));
    outer->addWidget(inner);

    auto* layoutMain = new QHBoxLayout(inner);
    layoutMain->setObjectName(QStringLiteral("layoutMain"));
    layoutMain->setContentsMargins(int(24 * m_s), 0, int(20 * m_s), 0);
    auto* layoutSync = new QHBoxLayout();
    layoutSync->setObjectName(QStringLiteral("layoutSync"));
    layoutSync->setSpacing(int(4 * m_s));
    auto* layoutBtns = new QHBoxLayout();
    layoutBtns->setObjectName(QStringLiteral("layoutBtns"));
    layoutBtns->setSpacing(int(15 * m_s));

    auto button = [this, inner](const char* name, QSize size) {
        auto* b = new QPushButton(inner);
        b->setObjectName(QLatin1String(name));
        if (size.isValid())
            b->setFixedSize(int(size.width() * m_s), int(size.height() * m_s));
        b->setCursor(Qt::PointingHandCursor);
        b->setFocusPolicy(Qt::NoFocus);
        return b;
    };
    m_btnSync = button("btnSync", QSize(26, 26));
    m_btnSync->setToolTip(tr("Synchronize"));
    m_btnSyn = button("btn_syn", QSize(50, 30));
    m_btnSyn->setIconSize(QSize(int(20 * m_s), int(20 * m_s)));
    m_btnSyn->setText(QStringLiteral("同步"));
    m_labelSync = new QLabel(inner);
    m_labelSync->setObjectName(QStringLiteral("labelSync"));
    m_labelSync->setFixedSize(int(26 * m_s), int(26 * m_s));
    m_labelSyncTip = new QLabel(QStringLiteral("同步中..."), inner);
    m_labelSyncTip->setObjectName(QStringLiteral("labelSyncTip"));
    m_btnStyle = button("btn_style", QSize(20, 20));
    m_btnStyle->setToolTip(tr("Theme"));
    m_btnSetup = button("btn_setup", QSize(20, 20));
    m_btnSetup->setToolTip(tr("Settings"));
    m_btnMsg = button("btn_msg", QSize(20, 20));
    m_btnMin = button("btn_min", QSize(20, 20));
    m_btnMax = button("btn_max", QSize(20, 20));
    m_btnMax->setCheckable(true);
    m_btnClose = button("btn_close", QSize(20, 20));

    layoutSync->addWidget(m_btnSync);
    layoutSync->addWidget(m_btnSyn);
    layoutSync->addWidget(m_labelSync);
    layoutSync->addWidget(m_labelSyncTip);
    layoutMain->addLayout(layoutSync);
    layoutMain->addStretch(1);
    for (QPushButton* b : {m_btnStyle, m_btnSetup, m_btnMsg, m_btnMin, m_btnMax, m_btnClose})
        layoutBtns->addWidget(b);
    layoutMain->addLayout(layoutBtns);

    m_labelSync->hide();
    m_labelSyncTip->hide();
    m_btnSyn->hide();
    const int side = int(26 * m_s);
    m_movie->setScaledSize(QSize(side, side));
    m_labelSync->setMovie(m_movie);
    changeSkin();
    setFocusPolicy(Qt::StrongFocus);
    m_btnMsg->hide();

    auto syncNow = []() { CJobManager::instance()->synNow(true); };
    connect(m_btnSync, &QPushButton::clicked, this, syncNow);
    connect(m_btnSyn, &QPushButton::clicked, this, syncNow);
    connect(m_btnStyle, &QPushButton::clicked, this, [this]() { m_ui->setCurrentPage(7); });
    connect(m_btnSetup, &QPushButton::clicked, this, [this]() { m_ui->setCurrentPage(2); });
    connect(m_btnMsg, &QPushButton::clicked, this, [this]() { m_ui->setCurrentPage(5); });
    connect(m_btnMin, &QPushButton::clicked, this, [this]() {
        if (!m_ui->isLocked())
            m_ui->showMinimized();
    });
    connect(m_btnMax, &QPushButton::clicked, this, [this]() {
        if (m_ui->isLocked()) {
            m_btnMax->setChecked(true);
            return;
        }
        m_ui->switchWindowSize();
    });
    connect(m_btnClose, &QPushButton::clicked, this, [this]() { m_ui->closeWindow(); });
}

QString Widget_Bookshelf_Top::movieFile() const
{
    const int style = m_qss->currentStyleType();
    if (style == StyleLight || style == StyleCustom || style == StyleKraft || (style & StyleDark))
        return QStringLiteral(":/res/skin/light/top/gif_sync.gif");
    if (style == StyleGreen)
        return QStringLiteral(":/res/skin/green/top/gif_sync.gif");
    return QString();
}

void Widget_Bookshelf_Top::changeSkin()
{
    m_movie->stop();
    m_movie->setFileName(movieFile());
    m_movie->start();
}

bool Widget_Bookshelf_Top::isSyncing() const
{
    return !m_labelSync->isHidden();
}

void Widget_Bookshelf_Top::startSync()
{
    if (isSyncing())
        return;
    m_failed = false;
    m_btnSync->hide();
    m_labelSync->show();
    m_labelSync->setProperty("msec", QDateTime::currentMSecsSinceEpoch());
}

void Widget_Bookshelf_Top::endSync(bool ok)
{
    if (!isSyncing())
        return;
    const qint64 elapsed = QDateTime::currentMSecsSinceEpoch() - m_labelSync->property("msec").toLongLong();
    if (elapsed < kMinSyncMs)
        QTimer::singleShot(int(kMinSyncMs - elapsed), this, [this, ok]() { finishSync(ok); });
    else
        finishSync(ok);
}

void Widget_Bookshelf_Top::failSync()
{
    if (isSyncing())
        m_failed = true;
}

void Widget_Bookshelf_Top::finishSync(bool ok)
{
    // A second end while the first still waits must not toast twice.
    if (!isSyncing())
        return;
    m_btnSync->show();
    m_labelSync->hide();
    if (ok && !m_failed)
        m_ui->showSuccess(tr("Synchronous success"), 1000);
    else
        m_ui->showError(tr("Synchronization failure"), 1000);
}

void Widget_Bookshelf_Top::updateMaxButton()
{
    if (m_ui->isLocked())
        m_btnMax->setChecked(true);
    else
        m_btnMax->setChecked(m_model->userInfo.windowSize == 2);
}
