#pragma once

// What the writing window counts while a chapter is open: the tick fills it,
// the editor marks typing, the bottom bar shows it. One per program run.
struct T_WritingCounters
{
    int pausedSeconds = 0;
    int idleSeconds = 0;
    int activeSeconds = 0;
    int tickCount = 0;
    int lastWordCount = 0;
    // Words per hour; 0 until the first speed window has closed.
    int speed = 0;
    bool started = false;
    bool active = false;
    int lastChangeTime = 0;
    int bucketWords = 0;
    int changedWords = 0;
    int selectedWords = 0;
};
