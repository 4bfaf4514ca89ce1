// The floating figures of full screen, fed from the bottom bar it replaces.

#include "Widget_Creation_Bottom.h"
#include "Widget_Creation_Content.h"
#include "Widget_StatisticsBar.h"
#include "common/DPIAdapter.h"
#include "db/records/T_UserConf.h"
#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"

#include <QLabel>
#include <QTime>

namespace {

QString bottomText(const Widget_Creation_Bottom* bottom, const char* name)
{
    const auto* label = bottom->findChild<QLabel*>(QLatin1String(name));
    return label ? label->text() : QString();
}

} // namespace

QString Widget_Creation_Content::lockProgressText(const T_WriteLock& lock)
{
    if (lock.lockType == 1)
        return tr("lock:%1/%2word").arg(lock.writeWords).arg(lock.lockWords);
    if (lock.lockType == 2)
        return tr("lock:%1/%2sec").arg(lock.writeTime).arg(lock.lockTime * 60);
    return QString();
}

void Widget_Creation_Content::updateStatisticsBar()
{
    if (m_statistics == nullptr) {
        m_statistics = new Widget_StatisticsBar(this);
        m_statistics->hide();
    }
    if (!m_ui->isFullScreen()) {
        m_statistics->hide();
        return;
    }
    const T_WriteLock& lock = CPublicManager::instance()->userConf.writeLock;
    m_statistics->setTexts(QTime::currentTime().toString(QStringLiteral("HH:mm")), bottomText(m_bottom, "lb_speed"),
                           tr("Chapter Number: %1").arg(bottomText(m_bottom, "lb_wordCount")),
                           lockProgressText(lock));
    m_statistics->setLockVisible(lock.lockType != 0);
    const double s = DPIAdapter::instance()->scale();
    m_statistics->move(width() - m_statistics->width() - int(40 * s), int(60 * s));
    m_statistics->show();
    m_statistics->raise();
}
