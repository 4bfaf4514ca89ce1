#include "ui/common/StartupLook.h"

#include "common/DPIAdapter.h"
#include "common/StyleType.h"
#include "manager/CQssManager.h"
#include "manager/CUiManager.h"

#include <QDebug>
#include <QGuiApplication>
#include <QScreen>
#include <QSize>

namespace StartupLook {

void beforeApplication(const char* argv0)
{
    DPIAdapter::instance()->initScale(argv0);
}

bool keepScaleThatFits(const QSize& screen, const QSize& available)
{
    DPIAdapter* dpi = DPIAdapter::instance();
    if (dpi->scale() == 1.0)
        return true;
    // The writing window is the largest the client opens: the main window's
    // size with a taller body. On a wide screen that size follows the
    // screen, whatever the scale; the sign-in window and the bookshelf's
    // least size do not, and they are scaled as they are built.
    QSize largest = dpi->mainWindowSizeFor(screen);
    largest.setHeight(int(largest.height() * DPIAdapter::kWritingHeightFactor));
    largest = largest.expandedTo(DPIAdapter::kFixedWindowSize * dpi->scale());
    if (available.width() >= largest.width() && available.height() >= largest.height())
        return true;
    // The settings file is written by hand; a scale for another screen would
    // open windows whose edges and buttons the author cannot reach.
    qWarning().noquote() << QStringLiteral("ignoring dpiScale %1: a window of %2x%3 does not fit the screen's %4x%5")
                                .arg(dpi->scale())
                                .arg(largest.width())
                                .arg(largest.height())
                                .arg(available.width())
                                .arg(available.height());
    dpi->dropScale();
    return false;
}

void loadSkins()
{
    CQssManager* qss = CQssManager::instance();
    qss->setQssStyle(StyleLight, QStringLiteral(":/res/qss/light.qss"));
    qss->setQssStyle(StyleDark, QStringLiteral(":/res/qss/dark.qss"));
    qss->setQssStyle(StyleGreen, QStringLiteral(":/res/qss/green.qss"));
    qss->setQssStyle(StyleKraft, QStringLiteral(":/res/qss/kraft.qss"));
    qss->setQssStyle(StyleCustom, QStringLiteral(":/res/qss/custom.qss"));
    qss->applyStyle(StyleLight);
}

void apply()
{
    if (QScreen* screen = QGuiApplication::primaryScreen())
        keepScaleThatFits(screen->size(), screen->availableGeometry().size());
    loadSkins();
    CUiManager::initFont();
}

} // namespace StartupLook
