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
    // Polls: the modal window appears inside the caller's exec(). A window
    // already modal now (the one this is called from) is not the next one.
    // act runs again while the window it ran on stays up: one try need not
    // take (a file chooser refuses a file until its folder has been read).
    const QPointer<QWidget> before = QApplication::activeModalWidget();
    auto* timer = new QTimer;
    timer->setInterval(20);
    auto tries = std::make_shared<int>(0);
    auto acted = std::make_shared<QPointer<QWidget>>();
    auto started = std::make_shared<bool>(false);
    auto busy = std::make_shared<bool>(false);
    QObject::connect(timer, &QTimer::timeout, [timer, tries, act, before, acted, started, busy]() {
        if (*busy)
            return;
        const auto stop = [timer]() {
            timer->stop();
            timer->deleteLater();
        };
        if (*started && (acted->isNull() || !(*acted)->isVisible())) {
            stop();
            return;
        }
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == before.data() || (*started && modal != acted->data()))
            modal = nullptr;
        if (modal == nullptr) {
            if (!*started && ++*tries >= 250)
                stop();
            return;
        }
        *started = true;
        *acted = modal;
        *busy = true;
        act(modal);
        *busy = false;
        // A failed check inside act must not leave the test waiting on it.
        if (QTest::currentTestFailed() && !acted->isNull() && (*acted)->isVisible()) {
            if (auto* dialog = qobject_cast<QDialog*>(acted->data()))
                dialog->reject();
            else
                (*acted)->close();
            stop();
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
