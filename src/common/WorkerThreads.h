#pragma once

class QThread;

// The program's worker threads that no owner joins. Each is asked to stop
// and waited for when the application quits, and at the latest when the
// application object goes: a worker never runs on into the objects it uses
// (the application, the SQL drivers, the managers, the network stack).
// GUI thread only.
namespace WorkerThreads {

// Takes a thread that is about to start. At the end it gets an interruption
// request (a worker that loops looks at it) and a quit of its event loops,
// then it is waited for. A thread that was deleted meanwhile drops out.
void adopt(QThread* thread);

// Stops and waits for every adopted thread still running.
void stopAll();

}
