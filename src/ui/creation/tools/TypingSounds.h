#pragma once

class AudioThread;

// The three typing-sound players, made together at the first sound.
// Kinds: 1 enter, 2 delete, 3 writing.
struct TypingSounds
{
    AudioThread* writing = nullptr;
    AudioThread* deleting = nullptr;
    AudioThread* enter = nullptr;
    bool created = false;
    // Players made while this is off queue their sounds without playing
    // them (tests, machines without a sound server).
    static void setAudible(bool on);
    static bool audible();

    // GUI thread only; queues the sound and returns at once.
    void play(int kind);
    // The kind of sound for a key, from its scan code: Enter, Backspace or
    // Delete, anything else.
    static int kindOfScanCode(int scanCode);
};
