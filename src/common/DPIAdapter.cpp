#include "DPIAdapter.h"

#include "platform/ProgramPath.h"

#include <QBoxLayout>
#include <QCoreApplication>
#include <QFormLayout>
#include <QGridLayout>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QStackedWidget>
#include <QWidget>

#include <cmath>
#include <cstdio>

namespace {
const QString kGroup = QStringLiteral("system");

bool hasKey(QSettings& settings, const QString& key)
{
    return settings.childKeys().contains(key, Qt::CaseSensitive);
}
}

const QSize DPIAdapter::kFixedWindowSize(882, 540);

DPIAdapter::DPIAdapter(QObject* parent) : QObject(parent)
{
    const QSize large(1180, 722), medium(1062, 650), small(994, 577);
    m_windowSizes = {
        {QStringLiteral("1920_1080"), large}, {QStringLiteral("1680_1050"), large},
        {QStringLiteral("1280_1024"), large}, {QStringLiteral("1280_960"), large},
        {QStringLiteral("1600_900"), medium}, {QStringLiteral("1440_900"), medium},
        {QStringLiteral("1440_1050"), medium}, {QStringLiteral("1366_768"), small},
        {QStringLiteral("1360_768"), small}, {QStringLiteral("1280_800"), small},
        {QStringLiteral("1280_768"), small}, {QStringLiteral("1152_864"), small},
        {QStringLiteral("1024_768"), small}, {QStringLiteral("1280_720"), QSize(885, 540)},
        {QStringLiteral("1280_600"), QSize(767, 470)}};
}

DPIAdapter* DPIAdapter::instance()
{
    static DPIAdapter adapter;
    return &adapter;
}

bool DPIAdapter::readIsDX(const char* argv0)
{
    return readIsDXFrom(ProgramPath::settingsFile(argv0));
}

bool DPIAdapter::readIsDXFrom(const QString& settingsFile)
{
    QSettings settings(settingsFile, QSettings::IniFormat);
    settings.beginGroup(kGroup);
    return hasKey(settings, QStringLiteral("isDX"))
        && settings.value(QStringLiteral("isDX")).toInt() == 1;
}

void DPIAdapter::initScale(const char* argv0)
{
    initScaleFrom(ProgramPath::settingsFile(argv0));
}

DPIAdapter::Decision DPIAdapter::decideScale(double s, int h)
{
    if (h / s < 800) {
        if (h / 2.25 > 800)
            return {2.25, false};
        if (h >= 1602)
            return {1.0, true};
        if (h / 1.75 > 800)
            return {1.75, false};
        if (h / 1.5 > 800)
            return {1.5, false};
        if (h / 1.25 > 800)
            return {1.25, false};
        return {1.0, false};
    }
    if (s == 2.0 || s == 3.0)
        return {1.0, true};
    return {s, false};
}

void DPIAdapter::initScaleFrom(const QString& settingsFile)
{
    QSettings settings(settingsFile, QSettings::IniFormat);
    settings.beginGroup(kGroup);
    if (!hasKey(settings, QStringLiteral("dpiScale")))
        return;
    const int height = settings.value(QStringLiteral("rheight")).toInt();
    bool ok = false;
    const double factor = settings.value(QStringLiteral("dpiScale")).toDouble(&ok);
    // The file is written by hand; a factor that is no positive number would
    // scale every size to nothing, so it counts as absent.
    if (!ok || !std::isfinite(factor) || factor <= 0.0) {
        std::fprintf(stderr, "ignoring invalid dpiScale in %s\n", qPrintable(settingsFile));
        return;
    }
    const Decision decision = decideScale(factor, height);
    m_scale = decision.scale;
    if (decision.qtScaling)
        QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    std::printf("client dpi====================%f\n", m_scale);
    std::fflush(stdout);
}

QSize DPIAdapter::mainWindowSize() const
{
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return mainWindowSizeFor(QSize(1920, 1080));
    return mainWindowSizeFor(screen->size()).boundedTo(screen->availableGeometry().size());
}

QSize DPIAdapter::mainWindowSizeFor(const QSize& screen) const
{
    const QString key = QStringLiteral("%1_%2").arg(screen.width()).arg(screen.height());
    QSize base;
    auto it = m_windowSizes.constFind(key);
    if (it != m_windowSizes.constEnd()) {
        base = it.value();
    } else if (screen.width() < 2048) {
        base = QSize(1180, 664);
    } else {
        const int width = static_cast<int>(screen.width() / m_scale * 0.7);
        base = QSize(width, width / 16 * 9);
    }
    return QSize(static_cast<int>(base.width() * m_scale + 28),
                 static_cast<int>(base.height() * m_scale + 28));
}

void DPIAdapter::adaptWidget(QWidget* widget) const
{
    if (m_scale == 1.0 || !widget || !widget->layout())
        return;
    adaptLayout(widget->layout());
}

void DPIAdapter::adaptLayout(QLayout* layout) const
{
    if (m_scale == 1.0 || !layout)
        return;
    const QMargins m = layout->contentsMargins();
    auto round = [this](int v) { return static_cast<int>(std::lround(v * m_scale)); };
    auto trunc = [this](int v) { return static_cast<int>(v * m_scale); };
    layout->setContentsMargins(round(m.left()), round(m.top()), round(m.right()), round(m.bottom()));

    if (auto* box = qobject_cast<QBoxLayout*>(layout)) {
        box->setSpacing(trunc(box->spacing()));
    } else if (auto* grid = qobject_cast<QGridLayout*>(layout)) {
        grid->setHorizontalSpacing(trunc(grid->horizontalSpacing()));
        grid->setVerticalSpacing(trunc(grid->verticalSpacing()));
    } else if (auto* form = qobject_cast<QFormLayout*>(layout)) {
        form->setHorizontalSpacing(trunc(form->horizontalSpacing()));
        form->setVerticalSpacing(trunc(form->verticalSpacing()));
    }

    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem* item = layout->itemAt(i);
        if (QWidget* child = item->widget()) {
            if (auto* stack = qobject_cast<QStackedWidget*>(child)) {
                for (int page = 0; page < stack->count(); ++page)
                    adaptLayout(stack->widget(page)->layout());
            } else {
                adaptLayout(child->layout());
            }
        } else if (QLayout* inner = item->layout()) {
            adaptLayout(inner);
        }
    }
}
