#include "ShelfHelpers.h"

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
    // Polls: the modal window appears inside the caller's exec(). A window
    // already modal now (the one this is called from) is not the next one.
    const QPointer<QWidget> before = QApplication::activeModalWidget();
    auto* timer = new QTimer;
    timer->setInterval(20);
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, tries, act, before]() {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == before.data())
            modal = nullptr;
        if (!modal && ++*tries < 250)
            return;
        timer->stop();
        timer->deleteLater();
        if (!modal)
            return;
        const QPointer<QWidget> window = modal;
        act(modal);
        // A failed check inside act must not leave the test waiting on it.
        if (QTest::currentTestFailed() && window && window->isVisible()) {
            if (auto* dialog = qobject_cast<QDialog*>(window.data()))
                dialog->reject();
            else
                window->close();
        }
    });
    timer->start();
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
