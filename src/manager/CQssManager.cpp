#include "CQssManager.h"

#include "platform/WindowCompositing.h"

#include "common/DPIAdapter.h"
#include "manager/CUiManager.h"

#include <QApplication>
#include <QDebug>
#include <QFile>
#include <QGraphicsDropShadowEffect>
#include <QRegularExpression>
#include <QWidget>

namespace {
QString readUtf8(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}
}

CQssManager::CQssManager(QObject* parent) : QObject(parent) {}

CQssManager* CQssManager::instance()
{
    static CQssManager* manager = new CQssManager();
    return manager;
}

QString CQssManager::scalePixelSizes(const QString& sheet, double scale)
{
    static const QRegularExpression pixels(QStringLiteral("(\\d+)px"));
    QString result;
    result.reserve(sheet.size());
    int copied = 0;
    QRegularExpressionMatchIterator it = pixels.globalMatch(sheet);
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        result += sheet.midRef(copied, match.capturedStart() - copied);
        const qint64 n = match.captured(1).toLongLong();
        result += QString::number(static_cast<qint64>(n * scale)) + QStringLiteral("px");
        copied = match.capturedEnd();
    }
    result += sheet.midRef(copied);
    return result;
}

QString CQssManager::composeSheet(const QString& themeSheetPath, double scale)
{
    const QString login = readUtf8(QStringLiteral(":/res/qss/login.qss"));
    const QString adaptive = scale == 1.0
        ? QString()
        : scalePixelSizes(readUtf8(QStringLiteral(":/res/qss/adaptive.qss")), scale);

    QFile themeFile(themeSheetPath);
    if (!themeFile.open(QIODevice::ReadOnly)) {
        qDebug() << "can not open file : " << themeSheetPath;
        return QString();
    }
    QByteArray bytes = themeFile.readAll();
    const int nul = bytes.indexOf('\0');
    if (nul >= 0)
        bytes.truncate(nul);
    // Theme sheets are read byte by byte; they keep to ASCII. Every sheet is
    // written in pixels at 100 %: a font or padding left unscaled stands
    // small beside the controls the scale has grown.
    QString composed = QString::fromLatin1(bytes) + login;
    if (scale != 1.0)
        composed = scalePixelSizes(composed, scale);
    return composed + adaptive;
}

void CQssManager::setQssStyle(int type, const QString& themeSheetPath)
{
    QString composed = composeSheet(themeSheetPath, DPIAdapter::instance()->scale());
    if (composed.isEmpty())
        return;
    if (type == StyleKraft || type == StyleCustom) {
        // These two themes are written as differences from the light one.
        composed.prepend(m_sheets.value(StyleLight));
    }
    if (!m_sheets.contains(type))
        m_sheets.insert(type, composed);
}

void CQssManager::applyStyle(int type)
{
    if (m_sheets.isEmpty() || type == m_currentType)
        return;
    const int key = (type & StyleDark) ? StyleDark : type;
    auto it = m_sheets.constFind(key);
    if (it != m_sheets.constEnd()) {
        m_currentType = type;
        if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance()))
            app->setStyleSheet(it.value());
    }
    CUiManager::instance()->emitCleanCreationScroll();
}

void CQssManager::addShadowEffect(QWidget* widget) const
{
    if (!widget)
        return;
    if (WindowCompositing::settleOpaque(widget))
        return;
    auto* effect = new QGraphicsDropShadowEffect(widget);
    effect->setOffset(0, 0);
    effect->setBlurRadius(15);
    if (m_currentType == StyleLight || m_currentType == StyleCustom)
        effect->setColor(QColor(0, 0, 0, 60));
    else if (m_currentType & StyleDark)
        effect->setColor(QColor(255, 255, 255, 60));
    widget->setGraphicsEffect(effect);
}
