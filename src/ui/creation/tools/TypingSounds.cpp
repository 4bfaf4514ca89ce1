#include "TypingSounds.h"

#include "AudioThread.h"

#include <QUrl>

AudioThread* TypingSounds::ensurePlayer()
{
    if (m_player != nullptr)
        return m_player;
    m_player = new AudioThread;
    connect(m_player, &AudioThread::outputKnown, this, [this](bool present) {
        const Output now = present ? Output::Present : Output::Missing;
        if (now == m_output)
            return;
        m_output = now;
        emit outputChanged();
    });
    // The qrc scheme reaches the bundled file; a local-file URL of a
    // resource path would name no file at all. The sources go first on the
    // thread's one queue, so they are set before any play.
    const QList<QPair<int, const char*>> sources{{3, "qrc:/res/sound/creation/writing.wav"},
                                                 {2, "qrc:/res/sound/creation/delete.wav"},
                                                 {1, "qrc:/res/sound/creation/enter.wav"}};
    for (const auto& source : sources)
        emit m_player->setSource(source.first, QUrl(QString::fromLatin1(source.second)));
    return m_player;
}

void TypingSounds::play(int kind)
{
    if (kind >= 1 && kind <= 3)
        emit ensurePlayer()->play(kind);
}

void TypingSounds::prepare()
{
    emit ensurePlayer()->check();
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
