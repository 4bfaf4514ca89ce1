#include "CreationFixture.h"

#include "db/records/T_Chapter.h"
#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"
#include "ui/creation/Creation_TextEdit.h"
#include "ui/creation/Widget_ClientTips.h"
#include "ui/creation/Widget_Creation.h"
#include "ui/creation/Widget_Creation_Content.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QTimer>

CreationFixture::~CreationFixture()
{
    // The window is kept across books like the program does; only the book
    // goes, so the next test starts from no chapter.
    if (window() != nullptr) {
        // A test that left words unstorable lets go of them here.
        if (!pane()->closeBook()) {
            pane()->dropChapter();
            pane()->closeBook();
        }
        window()->tips()->hide();
        window()->hide();
    }
    CPublicManager::instance()->writing = T_WritingCounters();
    CPublicManager::instance()->statistics = T_Statistics();
}

bool CreationFixture::open(T_Book* book)
{
    CUiManager::instance()->openCreation(book);
    if (window() != nullptr)
        holdTimer();
    return window() != nullptr && window()->isVisible();
}

T_Book* CreationFixture::start(const QString& name, bool online)
{
    if (!up())
        return nullptr;
    T_Book* book = online ? onlineBook(name) : offlineBook(name);
    return book != nullptr && open(book) ? book : nullptr;
}

Widget_Creation* CreationFixture::window() const
{
    return CUiManager::instance()->creationWindow();
}

Widget_Creation_Content* CreationFixture::pane() const
{
    return window()->getContent();
}

Creation_TextEdit* CreationFixture::editor() const
{
    return pane()->textEdit();
}

void CreationFixture::holdTimer()
{
    // Tests run the ticks themselves; the running timer would add its own
    // while the test waits for the stand-in.
    if (QTimer* timer = pane()->findChild<QTimer*>())
        timer->stop();
}

void CreationFixture::type(const QString& text, QWidget* target)
{
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(target != nullptr ? target : editor(), &event);
}

void CreationFixture::tick(int count)
{
    holdTimer();
    for (int i = 0; i < count; ++i)
        pane()->onCreationTimer();
}

void CreationFixture::pause()
{
    CPublicManager::instance()->writing.lastChangeTime -= 20;
}

QString CreationFixture::storedText(const T_Chapter* chapter)
{
    return scalar(QStringLiteral("select content from tb_chapter_text where localId = %1").arg(chapter->localId))
        .toString();
}

int CreationFixture::pendingSaves()
{
    return scalar(QStringLiteral("select count(*) from tb_job where jobType = 1017")).toInt();
}
