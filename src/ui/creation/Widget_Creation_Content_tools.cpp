#include "Widget_Creation_Content.h"

#include "common/Utility.h"

#include "Creation_TextEdit.h"
#include "Widget_SensitiveWords.h"
#include "manager/CPublicManager.h"
#include "manager/CQssManager.h"
#include "manager/CUiManager.h"
#include "memo/MemoItemManager.h"
#include "tools/Dialog_WritingSettings.h"
#include "tools/T_ItemData.h"
#include "volume/CBookVolumeController.h"

#include <QDebug>

void Widget_Creation_Content::creation_btnPress(T_ItemData* pItem)
{
    // The item is borrowed for this call only.
    if (pItem != nullptr)
        creation_command(pItem->id, pItem->text, pItem->shortcut);
}

bool Widget_Creation_Content::runTool(int code)
{
    switch (code) {
    case 2: CBookVolumeController::instance()->exportChapter(currentChapter()); return true;
    case 3: {
        QString text;
        CBookVolumeController::instance()->importChapter(text);
        return true;
    }
    case 5: m_ui->showRandomNames(this); return true;
    case 8: openSensitiveWords(); return true;
    case 9: toggleDarkSkin(); return true;
    case 10: m_ui->openWritingLock(window()); return true;
    case 11: toggleTypingSounds(); return true;
    case 12: MemoItemManager::instance()->showMemoList(window(), nullptr); return true;
    case 13: openWritingSettings(); return true;
    default: return false;
    }
}

void Widget_Creation_Content::openSensitiveWords()
{
    if (currentBook() == nullptr)
        return;
    clearHighlights();
    if (m_sensitive.isNull())
        m_sensitive = new Widget_SensitiveWords(this);
    // A top-level panel opens where the author is writing, not at the
    // screen's corner; once moved by the author it stays where it was put.
    if (!m_sensitive->isVisible()) {
        m_sensitive->openAnew();
        moveOverWindowCenter(m_sensitive, this);
    }
    m_sensitive->show();
    m_sensitive->raise();
    // F7 means to check now: the keys go to the panel, open already or not.
    m_sensitive->activateWindow();
}

void Widget_Creation_Content::toggleTypingSounds()
{
    int& sound = m_public->userConf.systemConf.isSound;
    sound = sound == 1 ? 0 : 1;
    disconnect(m_soundCheck);
    if (sound == 0) {
        m_ui->showTips(tr("sound close"), false, 1000);
        return;
    }
    TypingSounds& sounds = m_public->typingSounds;
    const auto tell = [this] {
        const bool missing = m_public->typingSounds.output() == TypingSounds::Output::Missing;
        m_ui->showTips(missing ? tr("Typing sounds on, but this computer has no sound output") : tr("sound open"),
                       true, missing ? 3000 : 1000);
    };
    tell();
    if (sounds.output() == TypingSounds::Output::Present)
        return;
    // The sounds find out whether the machine can play them (again, when it
    // could not); a machine found without sound output is named here, once,
    // rather than at every key.
    m_soundCheck = connect(&sounds, &TypingSounds::outputChanged, this, [this, tell] {
        disconnect(m_soundCheck);
        if (m_public->userConf.systemConf.isSound == 1
            && m_public->typingSounds.output() == TypingSounds::Output::Missing)
            tell();
    });
    sounds.prepare();
}

void Widget_Creation_Content::openWritingSettings()
{
    Dialog_WritingSettings dialog(this);
    dialog.exec();
}

void Widget_Creation_Content::toggleDarkSkin()
{
    // The dark flag goes on top of the author's theme or comes off it again,
    // through the window manager so that the choice is stored.
    // A plain dark skin has no theme under it to return to: that is light.
    const int stored = m_public->userInfo.style;
    const bool dark = (CQssManager::instance()->currentStyleType() & 2) != 0;
    const int base = (stored & ~2) != 0 ? (stored & ~2) : 1;
    m_ui->changeSkin(dark ? base : (stored | 2));
    applyTextStyle();
    m_edit->setFontFamily(m_settings.fontFamily);
    m_font.setFamily(m_settings.fontFamily);
    onCurrentLine();
}
