#pragma once

#include "AreaMain.h"
#include "BookshelfFixture.h"

#include <QJsonObject>
#include <QString>
#include <functional>

class QWidget;

// The themes and scale the program starts with, for runArea.
void shelfSetUp();

// Runs `act` on the next modal window once it is up (call this, then open
// the window), and again while that window stays up, so act must do the same
// each time; nothing runs when none appears within five seconds.
void onNextModal(const std::function<void(QWidget*)>& act);
// Journal entries of one API path, oldest first.
QList<QJsonObject> requestsTo(const QString& path);
// The JSON body of the last request to the path (empty when none).
QJsonObject lastBodyTo(const QString& path);
// Types text into the focused widget as an input method commits it.
void commitText(QWidget* target, const QString& text);
