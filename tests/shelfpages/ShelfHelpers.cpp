#include "ShelfHelpers.h"
#include "WhenShown.h"

#include "common/DPIAdapter.h"
#include "common/StyleType.h"
#include "manager/CQssManager.h"

#include <QApplication>
#include <QWidget>
#include <QInputMethodEvent>
#include <QJsonArray>
#include <QJsonDocument>
#include <QDialog>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <memory>

void shelfSetUp()
{
    DPIAdapter::instance()->setScaleForTest(1.0);
    CQssManager* qss = CQssManager::instance();
    qss->setQssStyle(StyleLight, QStringLiteral(":/res/qss/light.qss"));
    qss->setQssStyle(StyleDark, QStringLiteral(":/res/qss/dark.qss"));
    qss->setQssStyle(StyleGreen, QStringLiteral(":/res/qss/green.qss"));
    qss->applyStyle(StyleLight);
}

void onNextModal(const std::function<void(QWidget*)>& act)
{
    // The modal window appears inside the caller's exec(); a window already
    // modal now (the one this is called from) is not the next one.
    whenShown<QWidget>(act, false, QApplication::activeModalWidget(), 500);
}

QList<QJsonObject> requestsTo(const QString& path)
{
    QList<QJsonObject> found;
    for (const QJsonValue& v : standin().journal()) {
        if (v.toObject().value(QStringLiteral("path")).toString() == path)
            found.append(v.toObject());
    }
    return found;
}

QJsonObject lastBodyTo(const QString& path)
{
    const QList<QJsonObject> all = requestsTo(path);
    if (all.isEmpty())
        return QJsonObject();
    return QJsonDocument::fromJson(all.last().value(QStringLiteral("body")).toString().toUtf8()).object();
}

void commitText(QWidget* target, const QString& text)
{
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(target, &event);
}
