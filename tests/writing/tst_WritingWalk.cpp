// A random walk through the writing window with platform and database faults.
// After every step the editor shows no chapter the model lost and every typed
// word is still somewhere; at the end rows and platform agree.
// WRITING_WALK_SEED and WRITING_WALK_STEPS run another or a longer walk.

#include "CreationFixture.h"
#include "FeedFixture.h"
#include "WritingFaults.h"

#include "db/records/T_Book.h"
#include "db/records/T_Chapter.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"
#include "ui/creation/Creation_TextEdit.h"
#include "ui/creation/Dialog_TimeMachine.h"
#include "ui/creation/Widget_Creation.h"
#include "ui/creation/Widget_Creation_Content.h"
#include "volume/CBookVolumeController.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QDateTime>
#include <QRandomGenerator>
#include <QTest>
#include <QTextCursor>

#include <memory>

namespace {

int envInt(const char* name, int fallback)
{
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(name, &ok);
    return ok ? value : fallback;
}

int now()
{
    return static_cast<int>(QDateTime::currentSecsSinceEpoch());
}

class Walk
{
public:
    Walk(CreationFixture& f, quint32 seed) : m_f(f), m_rng(seed) {}

    bool setUp()
    {
        T_Book* book = m_f.onlineBook(QStringLiteral("漫步"));
        if (book == nullptr || !m_f.open(book))
            return false;
        m_localBookId = book->localId;
        return true;
    }

    // One random step; false with the reason in why() when an invariant broke.
    bool step(int n)
    {
        m_step = n;
        m_fault.reset();  // its trigger goes before the armed one is put in place
        m_fault = std::move(m_armNext);
        // Chances out of a hundred, in this order.
        static const struct { int below; void (Walk::*act)(); } kSteps[] = {
            {30, &Walk::type}, {42, &Walk::tick}, {50, &Walk::switchChapter}, {54, &Walk::addChapter},
            {57, &Walk::renameChapter}, {62, &Walk::recycleChapter}, {66, &Walk::restoreChapter},
            {69, &Walk::deleteChapter}, {73, &Walk::closeAndReopen}, {76, &Walk::timeMachine},
            {80, &Walk::replace}, {87, &Walk::feed}, {91, &Walk::platformFault}, {100, &Walk::databaseFault}};
        const int pick = m_rng.bounded(100);
        for (const auto& s : kSteps) {
            if (pick < s.below) {
                (this->*s.act)();
                break;
            }
        }
        return check();
    }

    // Faults off, everything stored and synchronised; rows and platform agree.
    bool finish()
    {
        m_fault.reset();
        m_armNext.reset();
        if (book() == nullptr)
            restoreBook();
        CUiManager::instance()->closeCreation();
        if (m_f.window()->isVisible())
            return fail(QStringLiteral("the window did not close with the faults gone"));
        if (!check())
            return false;
        drain(20);
        if (!BooksFixture::jobTypes().isEmpty())
            return fail(QStringLiteral("jobs left after synchronising"));
        BooksFixture::waitUntil([]() { return CUiManager::instance()->syncRunning() == 0; });
        const QJsonArray remote = standin().store().value(QStringLiteral("chapters")).toArray();
        for (const T_Chapter* chapter : qAsConst(book()->chapterList)) {
            if (chapter->chapterId < 1)
                return fail(QStringLiteral("chapter %1 never reached the platform").arg(chapter->localId));
            const QString local = BooksFixture::scalar(
                QStringLiteral("select content from tb_chapter_text where localId = %1").arg(chapter->localId)).toString();
            bool found = false;
            for (const QJsonValue& value : remote) {
                const QJsonObject object = value.toObject();
                if (object.value(QStringLiteral("chapter_id")).toInt() != chapter->chapterId)
                    continue;
                found = true;
                if (object.value(QStringLiteral("content")).toString() != local)
                    return fail(QStringLiteral("chapter %1 differs from the platform").arg(chapter->chapterId));
            }
            if (!found)
                return fail(QStringLiteral("chapter %1 missing on the platform").arg(chapter->chapterId));
        }
        return true;
    }

    QString why() const { return m_why; }

    void drain(int passes)
    {
        for (int pass = 0; pass < passes && !BooksFixture::jobTypes().isEmpty(); ++pass) {
            CJobManager::instance()->synNow(false);
            BooksFixture::waitUntil([]() { return BooksFixture::jobTypes().isEmpty(); }, 3000);
        }
    }

private:
    T_Book* book() const { return CPublicManager::instance()->findBookByLocalId(m_localBookId); }
    Widget_Creation_Content* pane() const { return m_f.pane(); }

    T_Chapter* anyChapter(bool recycled) const
    {
        T_Book* b = book();
        if (b == nullptr)
            return nullptr;
        const QList<T_Chapter*>& list = recycled ? b->recycleChapterList : b->chapterList;
        return list.isEmpty() ? nullptr : list.at(m_rng.bounded(list.size()));
    }

    void note(const QString& what) { m_trail.append(QStringLiteral("%1:%2").arg(m_step).arg(what)); }

    void type()
    {
        if (!m_f.editor()->isEnabled() || pane()->currentChapterId() < 1)
            return reopen();
        const QString token = QStringLiteral("[w%1]").arg(++m_tokens);
        // Anywhere in the text, but never inside a word typed before.
        const QString text = pane()->toPlainText();
        int at = m_rng.bounded(text.size() + 1);
        while (at > 0 && at < text.size() && text.at(at - 1) != QLatin1Char(']') && text.at(at - 1) != QLatin1Char(' ')
               && text.at(at - 1) != QChar(0x3000))
            ++at;
        QTextCursor cursor = m_f.editor()->textCursor();
        cursor.setPosition(at);
        m_f.editor()->setTextCursor(cursor);
        m_f.type(m_rng.bounded(3) == 0 ? token + QStringLiteral(" cat ") : token);
        m_typed.insert(token, pane()->currentChapterId());
        note(QStringLiteral("type ") + token);
    }

    void tick()
    {
        if (m_rng.bounded(2) == 0)
            m_f.pause();
        m_f.tick(1 + m_rng.bounded(3));
        note(QStringLiteral("tick"));
    }

    void switchChapter()
    {
        if (T_Chapter* chapter = anyChapter(false)) {
            CUiManager::instance()->openChapter(book(), chapter);
            note(QStringLiteral("switch %1").arg(chapter->localId));
        }
    }

    void addChapter()
    {
        T_Book* b = book();
        if (b == nullptr || b->volumeList.isEmpty())
            return;
        const T_Volume* volume = b->volumeList.first();
        int order = 0;
        for (const T_Chapter* chapter : qAsConst(b->chapterList))
            order = qMax(order, chapter->orderNum);
        for (const T_Chapter* chapter : qAsConst(b->recycleChapterList))
            order = qMax(order, chapter->orderNum);
        TC_Chapter_Add request(b->localId, b->bookId, volume->localId, volume->volumeId, now(), order + 1,
                               QStringLiteral("新章%1").arg(order + 1));
        CJobManager::instance()->chapter_add(request);
        CBookVolumeController::instance()->reloadBook(b);
        note(QStringLiteral("add"));
    }

    void renameChapter()
    {
        if (T_Chapter* chapter = anyChapter(false)) {
            TC_Chapter_Edit_Name request;
            request.header.localBookId = chapter->localBookId;
            request.header.localChapterId = chapter->localId;
            request.chapterName = QStringLiteral("改名%1").arg(m_step);
            request.updateTime = now();
            CJobManager::instance()->chapter_edit_name(request);
            note(QStringLiteral("rename %1").arg(chapter->localId));
        }
    }

    void recycleChapter()
    {
        T_Chapter* chapter = m_rng.bounded(2) == 0 ? pane()->currentChapter() : anyChapter(false);
        if (chapter == nullptr || chapter->status == 0)
            return;
        TC_Chapter_Recycle request;
        request.header.localBookId = chapter->localBookId;
        request.header.localVolumeId = chapter->localVolumeId;
        request.header.localChapterId = chapter->localId;
        request.status = 0;
        request.updateTime = now();
        note(QStringLiteral("recycle %1").arg(chapter->localId));
        CJobManager::instance()->chapter_recycle(request);
    }

    void restoreChapter()
    {
        if (T_Chapter* chapter = anyChapter(true)) {
            note(QStringLiteral("restore %1").arg(chapter->localId));
            CBookVolumeController::instance()->restoreChapter(book(), chapter);
        }
    }

    void deleteChapter()
    {
        T_Chapter* chapter = anyChapter(true);
        if (chapter == nullptr)
            return;
        const int localId = chapter->localId;
        TC_Chapter_Delete request;
        request.header.localBookId = chapter->localBookId;
        request.header.localChapterId = localId;
        request.updateTime = now();
        note(QStringLiteral("delete %1").arg(localId));
        if (CJobManager::instance()->chapter_delete(request))
            forgetChapter(localId);  // the author threw these words away
    }

    void closeAndReopen()
    {
        CUiManager::instance()->closeCreation();
        note(QStringLiteral("close"));
        if (!m_f.window()->isVisible())
            reopen();
    }

    void reopen()
    {
        if (book() == nullptr)
            restoreBook();
        if (book() != nullptr && !m_f.window()->isVisible()) {
            m_f.open(book());
            note(QStringLiteral("reopen"));
        }
    }

    void restoreBook()
    {
        TC_Books_Restore request;
        request.header.localBookId = m_localBookId;
        request.updateTime = now();
        CJobManager::instance()->books_restore(request);
        note(QStringLiteral("restore book"));
    }

    void timeMachine()
    {
        T_Chapter* chapter = pane()->currentChapter();
        if (chapter == nullptr)
            return;
        TC_Chapter_ContentBlade version;
        version.header.localBookId = chapter->localBookId;
        version.header.localChapterId = chapter->localId;
        version.content = chapter->content;
        CJobManager::instance()->chapter_contentBlade(version);
        Dialog_TimeMachine dialog(chapter, m_f.window());
        if (dialog.labels().isEmpty())
            return;
        dialog.compareVersion(m_rng.bounded(dialog.labels().size()));
        const int localChapterId = chapter->localId;
        dialog.restoreVersion();
        BooksFixture::waitUntil([&dialog]() { return !dialog.isRestoring(); });
        note(QStringLiteral("time machine %1").arg(localChapterId));
    }

    void replace()
    {
        if (pane()->currentChapterId() < 1)
            return;
        pane()->on_sreach_btn(SreachSearch, QStringLiteral("cat"));
        if (m_rng.bounded(2) == 0)
            m_f.type(QStringLiteral(" "));  // typing between finding and replacing
        pane()->on_sreach_btn(SreachReplaceCurrent, QStringLiteral("cow"));
        note(QStringLiteral("replace"));
    }

    void feed()
    {
        T_Book* b = book();
        T_Chapter* chapter = m_rng.bounded(3) == 0 ? anyChapter(false) : pane()->currentChapter();
        if (b == nullptr || b->bookId < 1)
            return;
        const int kinds[] = {9, 9, 6, 7, 8, 3};
        const int kind = kinds[m_rng.bounded(6)];
        if (kind != 3 && (chapter == nullptr || chapter->chapterId < 1))
            return;
        if (kind == 7)
            forgetSyncedWordsOf(chapter->localId);
        if (kind == 3) {
            // The platform recycles the book after what was sent here reached
            // it: changes still under way to a book the platform holds in its
            // bin are a matter of the job queue, not of this window.
            m_fault.reset();
            drain(5);
        }
        note(QStringLiteral("feed %1 %2").arg(kind).arg(chapter ? chapter->localId : 0));
        standin().pushFeed(StandinServer::demoUid(), {feedItem(kind, b->bookId, kind == 3 ? 0 : chapter->chapterId)});
        // The feed may stop at a platform fault; it is pulled again until
        // the item went through.
        for (int pass = 0; pass < 6; ++pass) {
            CJobManager::instance()->synNow(false);
            BooksFixture::waitUntil([]() { return CUiManager::instance()->syncRunning() == 0; }, 3000);
            if (standin().store().value(QStringLiteral("feed")).toArray().isEmpty())
                break;
        }
        if (kind == 3)
            reopen();
    }

    void platformFault()
    {
        // Faults of the transport: the platform may or may not have done the
        // work, and the client must try again.
        static const char* const kinds[] = {"http500", "drop"};
        standin().addFault(QStringLiteral("*"), QLatin1String(kinds[m_rng.bounded(2)]), 0, 1 + m_rng.bounded(2));
        note(QStringLiteral("platform fault"));
    }

    void databaseFault()
    {
        static const char* const kinds[][2] = {{"tb_chapter", "UPDATE"}, {"tb_job", "INSERT"}, {"tb_job", "UPDATE"},
                                               {"tb_chapter", "DELETE"}};
        const int i = m_rng.bounded(4);
        m_armNext.reset(new WriteFault(QLatin1String(kinds[i][0]), QLatin1String(kinds[i][1])));
        note(QStringLiteral("db fault %1 %2").arg(kinds[i][0], kinds[i][1]));
    }

    // Words typed into a chapter the platform deletes are gone where they
    // already reached it; words still waiting here must survive as a copy.
    void forgetSyncedWordsOf(int localChapterId)
    {
        pane()->saveChapter(true);
        const QString waiting = BooksFixture::scalar(
            QStringLiteral("select group_concat(content) from tb_job where localChapterId = %1").arg(localChapterId))
                                    .toString()
            + (pane()->currentChapterId() == localChapterId ? pane()->toPlainText() : QString());
        for (auto it = m_typed.begin(); it != m_typed.end();) {
            if (it.value() == localChapterId && !waiting.contains(it.key()))
                it = m_typed.erase(it);
            else
                ++it;
        }
    }

    void forgetChapter(int localChapterId)
    {
        for (auto it = m_typed.begin(); it != m_typed.end();)
            it = it.value() == localChapterId ? m_typed.erase(it) : std::next(it);
    }

    bool check()
    {
        const int shown = pane()->currentChapterId();
        if (shown > 0 && CPublicManager::instance()->findChapter(pane()->currentBookId(), shown) == nullptr)
            return fail(QStringLiteral("the editor shows chapter %1, which the model no longer has").arg(shown));
        // A chapter the platform has not confirmed still has its add waiting.
        if (const T_Book* b = book()) {
            for (const T_Chapter* chapter : b->chapterList + b->recycleChapterList) {
                if (chapter->chapterId < 1
                    && BooksFixture::scalar(QStringLiteral("select count(*) from tb_job where jobType = 1008 and "
                                                           "localChapterId = %1").arg(chapter->localId)).toInt() == 0)
                    return fail(QStringLiteral("chapter %1 has neither a server id nor a waiting add").arg(chapter->localId));
            }
        }
        const QString local = allLocalTexts() + pane()->toPlainText() + recoveredTexts();
        QString remote;
        for (auto it = m_typed.begin(); it != m_typed.end(); ++it) {
            if (local.contains(it.key()))
                continue;
            if (remote.isEmpty())
                remote = QString::fromUtf8(QJsonDocument(standin().store()).toJson());
            if (!remote.contains(it.key()))
                return fail(QStringLiteral("%1 typed into chapter %2 is lost").arg(it.key()).arg(it.value()));
        }
        // A word's chapter may be gone while the word lives on in a copy:
        // it then belongs to the chapter that holds it.
        for (auto it = m_typed.begin(); it != m_typed.end(); ++it) {
            if (book() == nullptr || book()->findChapterByLocalId(it.value()) != nullptr)
                continue;
            for (const T_Chapter* chapter : book()->chapterList + book()->recycleChapterList)
                if (BooksFixture::scalar(QStringLiteral("select content from tb_chapter_text where localId = %1")
                                             .arg(chapter->localId)).toString().contains(it.key()))
                    it.value() = chapter->localId;
        }
        return true;
    }

    bool fail(const QString& why)
    {
        for (int i = 0; i < m_trail.size(); i += 20)
            qInfo().noquote() << "trail" << m_trail.mid(i, 20).join(QStringLiteral(", "));
        m_why = QStringLiteral("step %1: %2\ntrail: %3\neditor (chapter %4): %5")
                    .arg(m_step)
                    .arg(why, m_trail.mid(qMax(0, m_trail.size() - 25)).join(QStringLiteral(", ")))
                    .arg(pane()->currentChapterId())
                    .arg(pane()->toPlainText().left(400));
        return false;
    }

    CreationFixture& m_f;
    mutable QRandomGenerator m_rng;
    int m_localBookId = 0;
    int m_step = 0;
    int m_tokens = 0;
    QHash<QString, int> m_typed;
    QStringList m_trail;
    QString m_why;
    std::unique_ptr<WriteFault> m_fault;
    std::unique_ptr<WriteFault> m_armNext;
};

}

class WritingWalkTest : public QObject
{
    Q_OBJECT
private slots:
    void randomWalkNeverLosesAWord();
};

void WritingWalkTest::randomWalkNeverLosesAWord()
{
    const quint32 seed = static_cast<quint32>(envInt("WRITING_WALK_SEED", 20261207));
    const int steps = envInt("WRITING_WALK_STEPS", 150);
    qInfo("walk seed %u, %d steps", seed, steps);
    removeRecoveredFiles();
    CreationFixture f;
    QVERIFY(f.up());
    Walk walk(f, seed);
    QVERIFY(walk.setUp());
    for (int n = 1; n <= steps; ++n)
        QVERIFY2(walk.step(n), qPrintable(walk.why()));
    QVERIFY2(walk.finish(), qPrintable(walk.why()));
    removeRecoveredFiles();
}

int runWritingWalkTests(int argc, char** argv)
{
    WritingWalkTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_WritingWalk.moc"
