#pragma once

#include <QObject>

#include <functional>

// Whatever a QML panel asks for that opens a menu, a question or a file
// chooser goes through here. Each of those runs an event loop of its own, and
// a synchronisation finishing inside it may rebuild the panel's rows: a row
// destroyed while its QML handler is still on the stack takes the whole
// client down. So the work runs once the handler has returned, from the event
// loop, and not at all once context is gone. The work holds ids, never rows
// or records: by the time it runs, the row it came from may be gone.
void runAfterHandler(QObject* context, std::function<void()> work);
