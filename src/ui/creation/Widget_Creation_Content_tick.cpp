#include "Widget_Creation_Content.h"

#include "Creation_TextEdit.h"
#include "Widget_Creation_Bottom.h"
#include "common/ServerClock.h"
#include "common/Utility.h"
#include "db/records/T_Chapter.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"

#include <QDebug>

namespace {
// A window of ten ticks gives one speed value.
const int kSpeedWindow = 10;

void endLock(CJobManager* jobs, CPublicManager* model, CUiManager* ui)
{
    model->userConf.writeLock = T_WriteLock();
    jobs->updateLock(model->userConf.uid, model->userConf.writeLock);
    ui->setWritingLock(false, true);
}
}

// Once a second while a chapter is open. The word count comes from the
// editor, which keeps it per paragraph, and the text is copied only to be
// saved, so a tick costs the same for a long chapter as for a short one; its
// saves commit on the database's worker.
void Widget_Creation_Content::onCreationTimer()
{
    T_Chapter* chapter = currentChapter();
    if (chapter == nullptr) {
        if (m_localChapterId > 0)
            emit sig_chapterLost();
        return;
    }
    const qint64 now = currentServerTime();
    T_Statistics& today = m_public->statistics;
    T_WriteLock& lock = m_public->userConf.writeLock;
    bool lockEnded = false;
    // An edit since the last tick calls for a save of its own, even when it
    // keeps every count: stars in place of a word change no count and press
    // no key, yet the text is no longer the stored one.
    const quint64 serial = m_edit->editSerial();
    if (serial != m_tickSerial) {
        m_tickSerial = serial;
        if (serial != m_savedSerial)
            m_quietEdit = true;
    }

    if (m_writing.active) {
        m_writing.idleSeconds = 0;
        if (now - static_cast<qint64>(m_writing.lastChangeTime) < 10) {
            if (m_autoSaveCounter >= 60) {
                saveChapterInBackground();
                m_autoSaveCounter = 0;
            }
            m_writing.activeSeconds += 1;
            m_autoSaveCounter += 1;
            m_savedAfterPause = false;
            today.writeTime += 1;
            if (lock.lockType == 2) {
                if (m_writing.speed < 15600)
                    lock.writeTime += 1;
                if (lock.writeTime >= lock.lockTime * 60)
                    lockEnded = true;
            }
        } else {
            m_writing.active = false;
        }
    } else if (m_writing.started && m_writing.idleSeconds <= 300) {
        m_writing.pausedSeconds += 1;
        m_writing.idleSeconds += 1;
        // A pause save that failed is tried again at the next tick.
        if (!m_savedAfterPause)
            m_savedAfterPause = saveChapterInBackground();
    }

    const int count = currentWordCount();
    const int old = chapter->wordCount;
    m_writing.changedWords += qAbs(count - old);

    // A version is written apart from a save still under way; it would wait
    // for that save's commit on this thread. The next tick takes it.
    if (m_writing.changedWords >= 300 && !m_jobs->chapterSaveRunning()) {
        qDebug() << "creat Blade==" << count << old;
        const QString& text = currentText();
        if (!text.isEmpty()) {
            TC_Chapter_ContentBlade blade;
            blade.header.localBookId = chapter->localBookId;
            blade.header.bookId = chapter->bookId;
            blade.header.localChapterId = chapter->localId;
            blade.header.chapterId = chapter->chapterId;
            blade.content = text;
            blade.chapterName = chapter->name;
            blade.createTime = static_cast<int>(now);
            if (!m_jobs->chapter_contentBlade(blade))
                qWarning() << m_jobs->lastError();
            m_writing.changedWords = 0;
        }
    }

    if (count <= old) {
        today.netIncrease += count - old;
    } else {
        m_writing.started = true;
        m_writing.active = true;
        const int delta = count - old;
        if (delta < 12) {
            m_writing.bucketWords += delta;
            today.wordCount += delta;
            today.netIncrease += delta;
        }
        today.wordCountAll += delta;
        if (lock.lockType == 1) {
            if (m_writing.speed >= 1 && m_writing.speed < 18000)
                lock.writeWords += delta;
            if (lock.writeWords >= lock.lockWords)
                lockEnded = true;
        }
    }

    if (m_writing.lastWordCount != count) {
        chapter->wordCount = count;
        m_writing.lastWordCount = count;
        m_writing.lastChangeTime = static_cast<int>(now);
    }
    if (lockEnded)
        endLock(m_jobs, m_public, m_ui);
    // Outside writing that change is stored now, once it is counted, not at
    // a pause that no typing will bring; a failed save is tried again at the
    // next tick. During writing the pause save takes it.
    if (m_quietEdit && !m_writing.active) {
        m_savedAfterPause = saveChapterInBackground();
        m_quietEdit = !m_savedAfterPause;
    } else if (m_quietEdit) {
        m_savedAfterPause = false;
        m_quietEdit = false;
    }

    if (m_writing.started) {
        m_writing.tickCount += 1;
        if (m_writing.tickCount >= kSpeedWindow) {
            m_writing.tickCount = 0;
            int s = m_writing.bucketWords * 360;
            if (m_writing.speed > 0)
                s = (s + m_writing.speed) / 2;
            m_writing.speed = s;
            if (m_writing.speed <= 18000 && m_writing.speed > today.writeSpeed)
                today.writeSpeed = m_writing.speed;
            m_writing.bucketWords = 0;
        }
    }
    refreshBottom();
    m_ui->emitCreationScrollTimer();
}

void Widget_Creation_Content::refreshBottom()
{
    m_bottom->updateInfo(m_writing.active, kSpeedWindow);
    updateStatisticsBar();
}
