#include "TypingSounds.h"

#include "AudioThread.h"

#include <QUrl>

namespace {
bool g_audible = true;

AudioThread* makePlayer(const char* path)
{
    auto* player = new AudioThread(g_audible);
    // The qrc scheme reaches the bundled file; a local-file URL of a
    // resource path would name no file at all.
    emit player->setSource(QUrl(QStringLiteral("qrc") + QString::fromLatin1(path)));
    return player;
}
}

void TypingSounds::setAudible(bool on)
{
    g_audible = on;
}

bool TypingSounds::audible()
{
    return g_audible;
}

void TypingSounds::play(int kind)
{
    if (!created) {
        if (writing == nullptr)
            writing = makePlayer(":/res/sound/creation/writing.wav");
        if (deleting == nullptr)
            deleting = makePlayer(":/res/sound/creation/delete.wav");
        if (enter == nullptr)
            enter = makePlayer(":/res/sound/creation/enter.wav");
        created = true;
    }
    AudioThread* chosen = nullptr;
    switch (kind) {
    case 1: chosen = enter; break;
    case 2: chosen = deleting; break;
    case 3: chosen = writing; break;
    default: break;
    }
    if (chosen != nullptr)
        emit chosen->play();
}

int TypingSounds::kindOfScanCode(int scanCode)
{
    const int code = scanCode & 0xFF;
    const bool extended = (scanCode & 0x100) != 0;
    if (code == 0x1C)
        return 1; // Enter, main block or keypad
    if (code == 0x0E || (code == 0x53 && extended))
        return 2; // Backspace, Delete
    return 3;
}
