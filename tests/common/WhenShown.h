#pragma once

#include <QApplication>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <functional>

// Modal dialogs, message boxes and menus run their own event loop, so a test
// acts on them from a timer: once a visible T is the active modal widget (or
// the active popup), act runs on it, once.
template <typename T>
void whenShown(std::function<void(T*)> act, bool popup = false)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, act, popup]() {
        T* shown = qobject_cast<T*>(popup ? QApplication::activePopupWidget() : QApplication::activeModalWidget());
        if (shown == nullptr || !shown->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        act(shown);
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
