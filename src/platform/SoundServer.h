#pragma once

// Whether this machine has a sound server the audio library can play
// through. Without one, the audio library's sound effects never load, and
// they leave the process at the mercy of its reconnect attempts: the program
// asks first and makes no sound effect when nobody answers.
namespace SoundServer {

// Connects to the server the audio library would use, as a client of its
// own, and hangs up again; true when the server took the connection. Never
// starts a server. Blocks for up to timeoutMs, or less when the calling
// thread is asked to stop: a worker thread only, never the GUI thread.
bool answers(int timeoutMs);

}
