#pragma once

#include "db/records/T_Book.h"
#include "ui/common/BkMessageBox.h"

#include <QApplication>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

Q_DECLARE_METATYPE(T_Book*)
Q_DECLARE_METATYPE(T_Chapter*)

// Acts on the next modal message box once it is up: clicks its text button
// `button`, or presses Escape when `button` is negative.
inline void answerNextBox(int button)
{
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [button, poll]() {
        auto* box = qobject_cast<BkMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            QTimer::singleShot(20, *poll);
            return;
        }
        if (button < 0)
            QTest::keyClick(box, Qt::Key_Escape);
        else
            box->textButtons().at(button)->click();
    };
    QTimer::singleShot(20, *poll);
}

// Closes the next popup menu once it is up.
inline void closeNextMenu()
{
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [poll]() {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget()))
            menu->close();
        else
            QTimer::singleShot(20, *poll);
    };
    QTimer::singleShot(20, *poll);
}
