#pragma once

#include <functional>

class QObject;

// Input the window system has already sent the program may still wait in
// the program's queues behind the event being handled (keys typed a moment
// before a reply that ends the session). An action that must come after that
// input, such as keeping the editor's words at a sign-out, takes it in first.
// GUI thread only.
class PendingInput
{
public:
    // Delivers every event the window system sent before this call; queued
    // calls of the program (replies among them) run on the way, timers and
    // sockets wait. Bounded: false when the window system did not answer in
    // time. Nothing to do (true) without a window system or while no window
    // of the program shows.
    static bool deliver();
    // Runs action on the GUI thread once the input handed to the program
    // before this call has gone to its windows, without waiting for it here:
    // a key read just before another comes first even when its window opens
    // a dialog of its own. Dropped when context is gone by then.
    static void afterInput(QObject* context, std::function<void()> action);
};
