#pragma once

#include "db/records/T_Book.h"
#include "WhenShown.h"
#include "ui/common/BkMessageBox.h"

#include <QMenu>
#include <QPushButton>
#include <QTest>

Q_DECLARE_METATYPE(T_Book*)
Q_DECLARE_METATYPE(T_Chapter*)

// The window title and button texts of the last box answered below.
inline QStringList& lastBoxTexts()
{
    static QStringList texts;
    return texts;
}

// Acts on the next modal message box once it is up: clicks its text button
// `button`, or presses Escape when `button` is negative.
inline void answerNextBox(int button)
{
    // A box that never comes must not pass on an earlier box's texts.
    lastBoxTexts().clear();
    whenShown<BkMessageBox>([button](BkMessageBox* box) {
        lastBoxTexts() = QStringList{box->windowTitle()};
        for (QPushButton* b : box->textButtons())
            lastBoxTexts() << b->text();
        if (button < 0)
            QTest::keyClick(box, Qt::Key_Escape);
        else
            box->textButtons().at(button)->click();
    });
}

// Closes the next popup menu once it is up.
inline void closeNextMenu()
{
    whenShown<QMenu>([](QMenu* menu) { menu->close(); }, true);
}
