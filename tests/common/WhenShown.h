#pragma once

#include <QApplication>
#include <QMenu>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

// Modal dialogs, message boxes and menus run their own event loop, so a test
// acts on them from a timer: once a visible T is the active modal widget (or
// the active popup), act runs on it, and runs again while that same window
// stays up. One try need not take: a file chooser refuses a chosen file until
// its folder has been read, which no signal tells. So act must do the same
// each time it runs. A check that fails inside act closes the window, so that
// the test is not left waiting in the window's loop. A window modal when
// this is called (except) is not the one waited for; with giveUpAfter, the
// wait ends when no window came in that many tries (10 ms apart).
template <typename T>
void whenShown(std::function<void(T*)> act, bool popup = false, QWidget* except = nullptr, int giveUpAfter = 0)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    auto acted = std::make_shared<QPointer<T>>();
    auto started = std::make_shared<bool>(false);
    auto busy = std::make_shared<bool>(false);
    auto tries = std::make_shared<int>(0);
    const QPointer<QWidget> before = except;
    QObject::connect(timer, &QTimer::timeout, [=]() {
        // act may spin the event loop (QTRY_*) while it runs.
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
        T* shown = qobject_cast<T*>(popup ? QApplication::activePopupWidget() : QApplication::activeModalWidget());
        if (shown == nullptr || !shown->isVisible() || (before && shown == before.data())
            || (*started && shown != acted->data())) {
            if (!*started && giveUpAfter > 0 && ++*tries >= giveUpAfter)
                stop();
            return;
        }
        *started = true;
        *acted = shown;
        *busy = true;
        act(shown);
        *busy = false;
        if (QTest::currentTestFailed() && !acted->isNull() && (*acted)->isVisible()) {
            (*acted)->close();
            stop();
        }
    });
    timer->start();
}

// Chooses an entry of the open pop-up menu with the keyboard.
inline void chooseInMenu(const QString& text)
{
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    QVERIFY(menu);
    for (QAction* action : menu->actions()) {
        if (action->text() == text) {
            menu->setActiveAction(action);
            QTest::keyClick(menu, Qt::Key_Return);
            return;
        }
    }
    menu->close();
    QFAIL(qPrintable(QStringLiteral("no menu entry ") + text));
}
