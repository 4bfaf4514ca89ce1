// Focus mode keeps the caret's line in the middle of the editor as the author
// moves it with keys, mouse, wheel and window size; the floating parts of the
// pane follow full screen, the writing lock and the outline panel.

#include "CreationFixture.h"
#include "WhenShown.h"
#include "WindowManagerProbe.h"

#include "common/ServerClock.h"
#include "db/CTessaneDb.h"
#include "db/records/T_Book.h"
#include "db/records/T_Chapter.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"
#include "manager/CQssManager.h"
#include "outline/COutlineController.h"
#include "ui/bookshelf/Widget_BookShelfList.h"
#include "ui/bookshelf/Widget_Bookshelf.h"
#include "ui/common/CBaseTitleBar.h"
#include "ui/common/CColorDialog.h"
#include "ui/common/SVColorArea.h"
#include "ui/common/CTextEdit.h"
#include "ui/creation/Creation_TextEdit.h"
#include "ui/creation/Dialog_Search.h"
#include "ui/creation/Dialog_TimeMachine.h"
#include "ui/creation/Dialog_WritingLock.h"
#include "ui/creation/tools/Dialog_WritingSettings.h"
#include "ui/creation/Widget_Creation.h"
#include "ui/creation/Widget_Creation_Bottom.h"
#include "ui/creation/Widget_Creation_Content.h"
#include "ui/creation/Widget_Creation_Top.h"
#include "ui/creation/Widget_SensitiveWords.h"
#include "ui/login/Dialog_LoginMain.h"
#include "ui/login/Widget_ForgetPwd.h"
#include "ui/login/Widget_Login.h"
#include "ui/login/Widget_Register.h"
#include "ui/creation/Widget_StatisticsBar.h"
#include "ui/creation/memo/MemoItemManager.h"
#include "ui/creation/memo/MemoItemWidget.h"
#include "ui/creation/memo/MemoListWidget.h"
#include "ui/creation/tools/Widget_Creation_Plane3.h"
#include "ui/setting/Widget_Setting.h"
#include "volume/CBookVolumeController.h"

#include <QApplication>
#include <QGuiApplication>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QQuickWidget>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QStackedWidget>
#include <QSqlQuery>
#include <QTest>
#include <QTextFrame>
#include <QWheelEvent>

#include <memory>

namespace {

T_CreationConf& conf()
{
    return CPublicManager::instance()->userConf.creationConf;
}

// A press on a row of a tool panel, as the author clicks it.
void pressRow(QListView* list, int row)
{
    const QRect rect = list->visualRect(list->model()->index(row, 0));
    QTest::mousePress(list->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
    QTest::mouseRelease(list->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
}

} // namespace

class FocusAndFloatingTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void caretLineIsCentredAfterKeysMouseAndResize();
    void wheelShowsTheWholeTextUntilTheCaretMoves();
    void fullScreenSwapsTheBottomBarForTheStatisticsBar();
    void hiddenOutlinePanelLeavesTheBallWhichBringsItBack();
    void memoListAndANewMemoOpenBesideTheirWindows();
    void f6OpensTheSearchWithTheKeysInItsFindField();
    void dialogsOpenWithTheKeysInTheirFirstField_data();
    void dialogsOpenWithTheKeysInTheirFirstField();
    void pagesTakeTheKeysInTheirFirstField_data();
    void pagesTakeTheKeysInTheirFirstField();
    void writingLockWindowsKeepTheirOrderUnderAWindowManager();

private:
    // Distance of the caret line's middle from the editor's middle, once the
    // smooth scroll came to rest.
    int caretOffset();
    bool centred();
    // Whether the scroll bar still runs a smooth scroll of the text.
    bool smoothScrolling() const;
    Creation_TextEdit* edit() const { return m_f->editor(); }
    CreationFixture* m_f = nullptr;
};

void FocusAndFloatingTest::initTestCase()
{
    m_f = new CreationFixture();
    QVERIFY(m_f->up());
    T_Book* book = m_f->offlineBook(QStringLiteral("专注"));
    QVERIFY(book);
    conf().isFocusing = 0;
    conf().isIndent = 0;
    QVERIFY(m_f->open(book));
    m_f->window()->resize(1000, 700);
    QVERIFY(QTest::qWaitForWindowExposed(m_f->window()));
    QStringList lines;
    for (int i = 1; i <= 150; ++i)
        lines << QStringLiteral("第%1行，写下去。").arg(i);
    edit()->setPlainText(lines.join(QLatin1Char('\n')));
}

void FocusAndFloatingTest::cleanupTestCase()
{
    conf().isFocusing = 0;
    CPublicManager::instance()->userConf.writeLock = T_WriteLock();
    CUiManager::instance()->setWindowFullScreen(false);
    delete m_f;
}

int FocusAndFloatingTest::caretOffset()
{
    return edit()->cursorRect().center().y() - edit()->height() / 2;
}

bool FocusAndFloatingTest::centred()
{
    const int line = edit()->fontMetrics().height() * 2;
    return qAbs(caretOffset()) <= line;
}

bool FocusAndFloatingTest::smoothScrolling() const
{
    QScrollBar* bar = edit()->verticalScrollBar();
    for (const QPropertyAnimation* animation : bar->findChildren<QPropertyAnimation*>()) {
        if (animation->targetObject() == bar && animation->propertyName() == "value"
            && animation->state() == QAbstractAnimation::Running)
            return true;
    }
    return false;
}

void FocusAndFloatingTest::caretLineIsCentredAfterKeysMouseAndResize()
{
    // Focus on the caret's line, from the focus panel under the tool bar.
    QTest::mouseClick(m_f->window()->getTop()->findChild<QPushButton*>(QStringLiteral("btnFocus")), Qt::LeftButton);
    Widget_Creation_Plane3* panel = m_f->window()->getTop()->focusPanel();
    QTRY_VERIFY(panel->isVisible());
    pressRow(panel->listView(), 1);
    QCOMPARE(conf().isFocusing, 1);
    QCOMPARE(conf().isFocusLine, 1);
    edit()->setFocus();

    // Keys: to the start, then well down into the text.
    QTest::keyClick(edit(), Qt::Key_Up, Qt::ControlModifier);
    for (int i = 0; i < 60; ++i)
        QTest::keyClick(edit(), Qt::Key_Down);
    const int start = edit()->verticalScrollBar()->value();
    QTRY_VERIFY2(centred(), qPrintable(QString::number(caretOffset())));
    QVERIFY(edit()->verticalScrollBar()->value() > start || start > 0);

    // Keys again: a jump to the end keeps the last line in the middle too,
    // reached by a smooth scroll rather than at once.
    QTest::keyClick(edit(), Qt::Key_Down, Qt::ControlModifier);
    QTRY_VERIFY2(centred(), qPrintable(QString::number(caretOffset())));
    // Centred within a line is reached before the smooth scroll has ended.
    QTRY_VERIFY_WITH_TIMEOUT(!smoothScrolling(), 10000);
    const int before = edit()->verticalScrollBar()->value();
    for (int i = 0; i < 5; ++i)
        QTest::keyClick(edit(), Qt::Key_Up);
    QCOMPARE(edit()->verticalScrollBar()->value(), before);
    QTRY_VERIFY(edit()->verticalScrollBar()->value() < before);
    QTRY_VERIFY2(centred(), qPrintable(QString::number(caretOffset())));

    // Mouse: a click low in the editor moves the caret there; on release the
    // line moves up to the middle.
    const QPoint low(edit()->viewport()->width() / 2, edit()->viewport()->height() - 40);
    const int clickedPosition = edit()->cursorForPosition(low).position();
    QTest::mouseClick(edit()->viewport(), Qt::LeftButton, {}, low);
    QCOMPARE(edit()->textCursor().position(), clickedPosition);
    QTRY_VERIFY2(centred(), qPrintable(QString::number(caretOffset())));

    // Resize: margins follow the new height and the line is centred again.
    m_f->window()->resize(1000, 560);
    const int expectedTop = int((edit()->height() - conf().lineSpacing * 100) * 0.5);
    QTRY_COMPARE(int(edit()->document()->rootFrame()->frameFormat().topMargin()), expectedTop);
    QTRY_VERIFY2(centred(), qPrintable(QString::number(caretOffset())));
    m_f->window()->resize(1000, 700);
}

void FocusAndFloatingTest::wheelShowsTheWholeTextUntilTheCaretMoves()
{
    conf().isFocusing = 1;
    conf().isFocusLine = 1;
    edit()->setFocus();
    QTest::keyClick(edit(), Qt::Key_Up);
    QTRY_VERIFY(centred());
    const QString dimmed = m_f->pane()->textColor().name();
    QVERIFY(edit()->styleSheet().contains(dimmed));
    QVERIFY(!edit()->extraSelections().isEmpty());

    // The wheel scrolls away from the caret and lifts the dimming.
    const QPoint middle = edit()->viewport()->rect().center();
    QWheelEvent wheel(middle, edit()->viewport()->mapToGlobal(middle), QPoint(), QPoint(0, -360), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(edit()->viewport(), &wheel);
    const int scrolled = edit()->verticalScrollBar()->value();
    QTest::qWait(150);
    QCOMPARE(edit()->verticalScrollBar()->value(), scrolled);
    QVERIFY(!centred());
    QVERIFY(edit()->extraSelections().isEmpty());
    QVERIFY(!edit()->styleSheet().contains(dimmed));

    // A key brings the dimming back and the caret's line to the middle.
    QTest::keyClick(edit(), Qt::Key_Down);
    QTRY_VERIFY(centred());
    QVERIFY(edit()->styleSheet().contains(dimmed));
    QVERIFY(!edit()->extraSelections().isEmpty());

    // Focus mode off from the panel: no recentring any more.
    pressRow(m_f->window()->getTop()->focusPanel()->listView(), 0);
    QCOMPARE(conf().isFocusing, 0);
}

void FocusAndFloatingTest::fullScreenSwapsTheBottomBarForTheStatisticsBar()
{
    CUiManager* ui = CUiManager::instance();
    Widget_Creation_Content* pane = m_f->pane();
    QVERIFY(pane->bottomBar()->isVisible());
    QTest::mouseClick(m_f->window()->getTop()->findChild<QPushButton*>(QStringLiteral("btn_fullscreen")),
                      Qt::LeftButton);
    QVERIFY(ui->isFullScreen());
    QVERIFY(!pane->bottomBar()->isVisible());
    QVERIFY(pane->statisticsBar());
    QVERIFY(pane->statisticsBar()->isVisible());
    // No lock: the lock line stays hidden.
    QVERIFY(!pane->statisticsBar()->label(3)->isVisible());

    // A lock in force shows its line once the window re-lays itself.
    T_WriteLock& lock = CPublicManager::instance()->userConf.writeLock;
    lock.lockType = 1;
    lock.lockWords = 300;
    ui->setWritingLock(true, false);
    QVERIFY(pane->statisticsBar()->label(3)->isVisible());
    QCOMPARE(pane->statisticsBar()->label(3)->text(), QStringLiteral("锁定进度：0/300字"));
    QCOMPARE(pane->statisticsBar()->label(2)->text().left(5), QStringLiteral("本章字数："));

    lock = T_WriteLock();
    ui->setWritingLock(false, false);
    QVERIFY(!ui->isFullScreen());
    QVERIFY(pane->bottomBar()->isVisible());
    QVERIFY(!pane->statisticsBar()->isVisible());
}

void FocusAndFloatingTest::hiddenOutlinePanelLeavesTheBallWhichBringsItBack()
{
    Widget_Creation_Content* pane = m_f->pane();
    QPushButton* ball = pane->outlineBall();
    QVERIFY(ball);
    QVERIFY(!ball->isVisible());
    // F3 opens the outline panel over the pane.
    edit()->setFocus();
    QTest::keyClick(m_f->window(), Qt::Key_F3);
    QWidget* outline = COutlineController::instance()->getWidget();
    QVERIFY(outline);
    QTRY_VERIFY(outline->isVisible());
    QCOMPARE(outline->parentWidget(), static_cast<QWidget*>(pane));

    // The panel's own hide button leaves the ball half out at the right edge.
    COutlineController::instance()->hide();
    QVERIFY(!outline->isVisible());
    QVERIFY(ball->isVisible());
    pane->updateFloatingLayout();
    QCOMPARE(ball->x(), pane->width() - ball->width() / 2);

    // The mouse over the ball slides it fully in; leaving slides it back.
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(ball, &enter);
    QTRY_COMPARE(ball->x(), pane->width() - ball->width());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(ball, &leave);
    QTRY_COMPARE(ball->x(), pane->width() - ball->width() / 2);

    QTest::mouseClick(ball, Qt::LeftButton);
    QVERIFY(outline->isVisible());
    QVERIFY(!ball->isVisible());
    COutlineController::instance()->close();
}

// Side by side: touching at a vertical edge, not overlapping.
bool besides(const QRect& a, const QRect& b)
{
    return !a.intersects(b) && (a.right() + 1 == b.left() || b.right() + 1 == a.left());
}

// Its title on the screen (a window taller than the screen goes on below).
bool onScreen(const QRect& window)
{
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    return window.left() >= area.left() && window.right() <= area.right() && area.contains(window.topLeft());
}

void FocusAndFloatingTest::memoListAndANewMemoOpenBesideTheirWindows()
{
    MemoItemManager* memos = MemoItemManager::instance();
    // F10 opens the memo list: beside the window, or over its right part
    // where the screen has no room beside it, never over the tree.
    edit()->setFocus();
    QTest::keyClick(m_f->window(), Qt::Key_F10);
    MemoListWidget* list = memos->memoList();
    QVERIFY(list);
    QTRY_VERIFY(list->isVisible());
    const QRect window = m_f->window()->frameGeometry();
    const QRect shown = list->frameGeometry();
    QVERIFY(onScreen(shown));
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    QVERIFY(besides(shown, window) || shown.right() == qMin(window.right(), area.right()));
    const QWidget* tree = m_f->window()->getLeft();
    QVERIFY(!shown.intersects(QRect(tree->mapToGlobal(QPoint()), tree->size())));
    // Its + opens an empty memo beside the list.
    QTest::mouseClick(list->findChild<QPushButton*>(QStringLiteral("btnAddMemo")), Qt::LeftButton);
    QTRY_COMPARE(memos->openWindows().size(), 1);
    const QRect memo = memos->openWindows().first()->frameGeometry();
    QVERIFY(onScreen(memo));
    QVERIFY2(besides(memo, shown), qPrintable(QStringLiteral("%1,%2 beside %3,%4")
                                                  .arg(memo.x()).arg(memo.width()).arg(shown.x()).arg(shown.width())));
    // It has the keys: a key, then words through the input method.
    MemoItemWidget* item = memos->openWindows().first();
    QVERIFY(QTest::qWaitForWindowActive(item));
    QTest::keyClick(item->windowHandle(), Qt::Key_A);
    m_f->type(QStringLiteral("便签"), QApplication::focusWidget());
    QCOMPARE(item->textEdit()->toPlainText(), QStringLiteral("a便签"));
    memos->closeAll();
}

void FocusAndFloatingTest::f6OpensTheSearchWithTheKeysInItsFindField()
{
    edit()->setFocus();
    QTest::keyClick(m_f->window()->windowHandle(), Qt::Key_F6);
    auto* search = m_f->pane()->findChild<Dialog_Search*>();
    QVERIFY(search && QTest::qWaitForWindowActive(search));
    // What is typed is searched for; Enter goes to the next occurrence and
    // leaves the dialog open.
    QTest::keyClick(search->windowHandle(), Qt::Key_1);
    m_f->type(QStringLiteral("行"), QApplication::focusWidget());
    const QString text = edit()->toPlainText();
    const int first = text.indexOf(QStringLiteral("1行")) + 2;
    QCOMPARE(edit()->textCursor().position(), first);
    QTest::keyClick(search->windowHandle(), Qt::Key_Return);
    QCOMPARE(edit()->textCursor().position(), text.indexOf(QStringLiteral("1行"), first) + 2);
    QVERIFY(search->isVisible());
    search->closeSearch();
}

namespace {

// Keys as they arrive from the keyboard, to the window, which hands them to
// the widget that has the keys: digits, ' ' Space, '>' Right, 'v' Down.
void typeKeys(QWidget* window, const QString& keys)
{
    for (const QChar key : keys) {
        const int code = key == QLatin1Char(' ')   ? Qt::Key_Space
                         : key == QLatin1Char('>') ? Qt::Key_Right
                         : key == QLatin1Char('v') ? Qt::Key_Down
                                                   : Qt::Key_0 + key.digitValue();
        QTest::keyClick(window->windowHandle(), Qt::Key(code));
    }
}

// The window has the keys. (Qt Test counts a dialog as active already while
// the window it belongs to is.)
bool active(QWidget* window)
{
    return QTest::qWaitFor([window]() { return QApplication::activeWindow() == window; });
}

bool inTitleBar(const QWidget* widget)
{
    for (; widget != nullptr; widget = widget->parentWidget()) {
        if (qobject_cast<const CBaseTitleBar*>(widget) != nullptr)
            return true;
    }
    return false;
}

QVariant storedConf(const char* column)
{
    return BooksFixture::scalar(QStringLiteral("select %1 from tb_creation_conf where uid = %2")
                                    .arg(QLatin1String(column))
                                    .arg(CPublicManager::instance()->userInfo.uid));
}

} // namespace

void FocusAndFloatingTest::dialogsOpenWithTheKeysInTheirFirstField_data()
{
    QTest::addColumn<QString>("keys"); // typed into the first field, then Enter
    QTest::newRow("稿费设置") << "30";
    QTest::newRow("导入规则") << "";
    QTest::newRow("系统设置") << "123";     // the current password alone
    QTest::newRow("小黑屋") << "3000";
    QTest::newRow("写作设置") << " ";       // 首行缩进 ticked
    QTest::newRow("主题设置") << ">";       // from the light tile to the dark one
    QTest::newRow("时光机") << "vv";        // the oldest of three versions
    QTest::newRow("字体颜色") << "";        // a colour picked with the mouse first
    QTest::newRow("创建作品") << "2024";    // the name, never the covers below it
}

// Each dialog as the author opens it: the keys typed at once go to its first
// field (never to the title bar's buttons, even with Shift+Tab), and Enter
// does what its own default button does.
void FocusAndFloatingTest::dialogsOpenWithTheKeysInTheirFirstField()
{
    QFETCH(QString, keys);
    const QString row = QString::fromUtf8(QTest::currentDataTag());
    CUiManager* ui = CUiManager::instance();
    T_Chapter* chapter = m_f->pane()->currentChapter();
    T_Book* book = m_f->window()->currentBook();
    QVERIFY(chapter && book);
    const auto click = [](QWidget* in, const char* name) {
        return [=]() { QTest::mouseClick(in->findChild<QPushButton*>(QLatin1String(name)), Qt::LeftButton); };
    };
    const auto press = [this](Qt::Key key) { return [=]() { QTest::keyClick(m_f->window()->windowHandle(), key); }; };
    std::function<void()> enter;          // the author's way in
    std::function<bool(QDialog*)> open;   // Enter's effect, the dialog still open
    std::function<bool()> done;           // Enter's effect, the dialog gone
    bool accepted = false;
    if (row == QStringLiteral("稿费设置")) {
        enter = click(m_f->pane()->bottomBar(), "btn_setMoney");
        done = [book]() {
            return book->money == 30.0
                   && BooksFixture::scalar(QStringLiteral("select money from tb_book where localId = %1").arg(book->localId))
                              .toDouble() == 30.0;
        };
    } else if (row == QStringLiteral("导入规则")) {
        enter = [&]() { accepted = Widget_BookShelfList::Prompts().askImportRule(m_f->window()); };
        done = [&]() { return accepted; };
    } else if (row == QStringLiteral("系统设置")) {
        enter = [this]() { std::unique_ptr<Widget_Setting>(new Widget_Setting(m_f->window()))->exec(); };
        // Saving the password says what is missing.
        open = [](QDialog* d) { return !d->findChild<QLabel*>(QStringLiteral("labelError_2"))->text().isEmpty(); };
    } else if (row == QStringLiteral("小黑屋")) {
        enter = press(Qt::Key_F9);
        done = [ui]() { return ui->isLocked() && CPublicManager::instance()->userConf.writeLock.lockWords == 3000; };
    } else if (row == QStringLiteral("写作设置")) {
        conf().isIndent = 0;
        enter = press(Qt::Key_F11);
        done = []() { return conf().isIndent == 1 && storedConf("isIndent").toInt() == 1; };
    } else if (row == QStringLiteral("主题设置")) {
        ui->changeSkin(1);
        enter = click(m_f->window()->getTop(), "btnSkin");
        open = [](QDialog*) { return (CQssManager::instance()->currentStyleType() & 2) != 0; };
    } else if (row == QStringLiteral("时光机")) {
        QVERIFY(m_f->pane()->saveChapter(true));
        for (const char* text : {"一版", "二版", "三版"}) {
            TC_Chapter_ContentBlade blade;
            blade.header.localBookId = book->localId;
            blade.header.localChapterId = chapter->localId;
            blade.content = QString::fromUtf8(text);
            QVERIFY(CJobManager::instance()->chapter_contentBlade(blade));
        }
        QSqlQuery spread = CTessaneDb::instance()->newQuery();
        QVERIFY(spread.exec(QStringLiteral("update tb_contentblade set createTime = 1700000000 + localId * 60;")));
        enter = [chapter]() {
            QTimer::singleShot(0, []() {
                chooseInMenu(QCoreApplication::translate("CBookVolumeController", "Time Machine"));
            });
            CBookVolumeController::instance()->showMenu(1, QPoint(300, 200), chapter->localVolumeId, chapter->localId);
        };
        // The restore keeps the editor's words as a version of their own, the
        // list shows it at once with the restored version still chosen; so
        // does a version the writing tick stores while the list is open.
        open = [this](QDialog* d) {
            auto* history = static_cast<Dialog_TimeMachine*>(d);
            auto* count = d->findChild<QLabel*>(QStringLiteral("labelCount"));
            if (!QTest::qWaitFor([&]() { return !history->isRestoring() && count->text().contains(QStringLiteral("4/4")); }))
                return false;
            CPublicManager::instance()->writing.changedWords = 300;
            m_f->tick();
            return history->labels().size() == 5 && count->text().contains(QStringLiteral("5/5"));
        };
        done = [this]() { return edit()->toPlainText() == QStringLiteral("一版"); };
    } else if (row == QStringLiteral("创建作品")) {
        // The shelf's 创建作品, with the shelf's own covers.
        enter = []() { CUiManager::instance()->bookshelf()->findChild<Widget_BookShelfList*>()->onCreate(); };
        done = []() {
            return BooksFixture::scalar(QStringLiteral("select count(*) from tb_book where bookName = '2024'")).toInt() == 1;
        };
    } else {
        conf().fontColor.clear();
        enter = click(m_f->window()->getTop(), "btnFontColor");
        done = []() { return !conf().fontColor.isEmpty() && storedConf("fontColor").toString() == conf().fontColor; };
    }

    bool acted = false;
    bool stayedOpen = false;
    whenShown<QDialog>([&](QDialog* d) {
        QVERIFY(active(d));
        QWidget* first = QApplication::focusWidget();
        QVERIFY(first && first->window() == d);
        QTest::keyClick(d->windowHandle(), Qt::Key_Backtab);
        QVERIFY(QApplication::focusWidget() != nullptr && !inTitleBar(QApplication::focusWidget()));
        QTest::keyClick(d->windowHandle(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), first);
        if (auto* colours = qobject_cast<CColorDialog*>(d))
            QTest::mousePress(colours->svArea(), Qt::LeftButton, {}, QPoint(255, 0));
        typeKeys(d, keys);
        QTest::keyClick(d->windowHandle(), Qt::Key_Return);
        stayedOpen = open && d->isVisible() && open(d);
        // Once: a dialog Enter left open is closed, and the row tells why.
        if (d->isVisible())
            d->reject();
        acted = true;
    });
    enter();
    QTRY_VERIFY(acted && QApplication::activeModalWidget() == nullptr);
    QVERIFY(!open || stayedOpen);
    QVERIFY(!done || done());

    if (ui->isLocked()) {
        CPublicManager::instance()->userConf.writeLock = T_WriteLock();
        QVERIFY(CJobManager::instance()->updateLock(CPublicManager::instance()->userInfo.uid, T_WriteLock()));
        ui->setWritingLock(false, false);
    }
    ui->changeSkin(1);
    conf().isIndent = 0;
    conf().fontColor.clear();
}

void FocusAndFloatingTest::pagesTakeTheKeysInTheirFirstField_data()
{
    QTest::addColumn<int>("dialog");
    QTest::newRow("登录") << 0;
    QTest::newRow("敏感词检测") << 1;
    QTest::newRow("系统设置") << 2;
    QTest::newRow("系统设置, by the arrow keys") << 3;
    QTest::newRow("创建作品's covers, by the arrow keys") << 4;
}

// A page that comes up takes the keys in its first field, Enter presses
// that page's own default button, and never a link the author clicked before.
void FocusAndFloatingTest::pagesTakeTheKeysInTheirFirstField()
{
    QFETCH(int, dialog);
    const auto focused = []() { return QApplication::focusWidget(); };
    const auto click = [](QWidget* in, const char* name) {
        QTest::mouseClick(in->findChild<QPushButton*>(QLatin1String(name)), Qt::LeftButton);
    };
    if (dialog == 0) {
        Dialog_LoginMain d;
        d.show();
        d.activateWindow();
        QVERIFY(active(&d));
        const QString login = QStringLiteral("/account/login"), phone = QStringLiteral("13900000731");
        // The author clicks the link, fills the page with Tab between its
        // fields (past the code button) and clicks its button, or presses Enter.
        const auto fill = [&](AccountCodeForm* page, const char* link) {
            click(d.stack()->currentWidget(), link);
            const bool first = focused() == page->accountEdit();
            for (const QString& text : {phone, page->pictureCode(), QStringLiteral("6688"), QStringLiteral("newpass88")}) {
                QTest::keyClicks(focused(), text);
                QTest::keyClick(d.windowHandle(), Qt::Key_Tab);
                if (qobject_cast<QLineEdit*>(focused()) == nullptr)
                    QTest::keyClick(d.windowHandle(), Qt::Key_Tab);
            }
            QTest::keyClicks(focused(), QStringLiteral("newpass88"));
            return first && focused() == page->passwordAgainEdit();
        };
        QVERIFY(fill(d.registerPage(), "btnGotoRegister"));
        click(d.registerPage(), "btnRegister");
        QTRY_COMPARE(d.stack()->currentWidget(), static_cast<QWidget*>(d.loginPage()));
        QCOMPARE(focused(), d.loginPage()->accountEdit());
        // Enter signs in, also from the link; refused, so that nobody else is.
        for (QWidget* from : {focused(), d.loginPage()->findChild<QWidget*>(QStringLiteral("btnGotoRegister"))}) {
            const int before = standin().requestsTo(login).size();
            QVERIFY(standin().addFault(login, QStringLiteral("code400")));
            from->setFocus(Qt::TabFocusReason);
            QTest::keyClick(d.windowHandle(), Qt::Key_Return);
            QCOMPARE(standin().requestsTo(login).size(), before + 1);
            const QJsonObject body = StandinServer::bodyOf(standin().requestsTo(login).last());
            QCOMPARE(body.value(QStringLiteral("phone")).toString(), phone);
            QCOMPARE(d.stack()->currentWidget(), static_cast<QWidget*>(d.loginPage()));
        }
        // On the reset page Enter sends the reset (refused: the password stays).
        const QString reset = QStringLiteral("/account/forgetPassword");
        const int resets = standin().requestsTo(reset).size();
        QVERIFY(standin().addFault(reset, QStringLiteral("code400")) && fill(d.forgetPage(), "btnGotoForgetPwd"));
        QTest::keyClick(d.windowHandle(), Qt::Key_Return);
        QCOMPARE(standin().requestsTo(reset).size(), resets + 1);
    } else if (dialog == 1) {
        const QString text = edit()->toPlainText();
        CPublicManager::instance()->sensitiveMatcher.setWords(QStringLiteral("写下"));
        CPublicManager::instance()->userConf.systemConf.sensitiveStatus = 1;
        edit()->setFocus();
        QTest::keyClick(m_f->window()->windowHandle(), Qt::Key_F7);
        auto* panel = m_f->pane()->findChild<Widget_SensitiveWords*>();
        QVERIFY(panel && active(panel));
        // The treatment chosen, where it has the keys.
        const auto chosen = [&]() {
            auto* radio = qobject_cast<QRadioButton*>(focused());
            return radio != nullptr && radio->isChecked() ? radio : nullptr;
        };
        // Each time: Enter checks, Down takes the next treatment, Enter applies it.
        for (const QString& treated : {QStringLiteral("xiexia去。"), QStringLiteral("**去。")}) {
            edit()->setPlainText(QStringLiteral("写下去。"));
            QTest::keyClick(panel->windowHandle(), Qt::Key_Return);
            QRadioButton* before = chosen();
            QVERIFY(before);
            QTest::keyClick(panel->windowHandle(), Qt::Key_Down);
            QVERIFY(chosen() && chosen() != before);
            QTest::keyClick(panel->windowHandle(), Qt::Key_Return);
            QCOMPARE(edit()->toPlainText(), treated);
        }
        panel->hide();
        CPublicManager::instance()->sensitiveMatcher.setWords(QString());
        edit()->setPlainText(text);
    } else if (dialog >= 3) {
        // Shift+Tab back to the chosen tab (Tab on from the book's name), and
        // an arrow key to the next one: its page takes the keys.
        const char* tab = dialog == 3 ? "btnNormal" : "btnSysCover";
        bool acted = false;
        whenShown<QDialog>([&](QDialog* d) {
            QVERIFY(active(d));
            if (dialog == 3)
                click(d, tab);
            for (int i = 0; i < 20 && focused() != d->findChild<QWidget*>(QLatin1String(tab)); ++i)
                QTest::keyClick(d->windowHandle(), dialog == 3 ? Qt::Key_Backtab : Qt::Key_Tab);
            QTest::keyClick(d->windowHandle(), dialog == 3 ? Qt::Key_Up : Qt::Key_Right);
            QCOMPARE(focused(), d->findChild<QWidget*>(QLatin1String(dialog == 3 ? "lineEditPwd" : "btnSelect")));
            d->reject();
            acted = true;
        });
        if (dialog == 3)
            std::unique_ptr<Widget_Setting>(new Widget_Setting(m_f->window()))->exec();
        else
            CUiManager::instance()->bookshelf()->findChild<Widget_BookShelfList*>()->onCreate();
        QVERIFY(acted);
    } else {
        bool acted = false;
        whenShown<QDialog>([&](QDialog* d) {
            QVERIFY(active(d));
            click(d, "btnSafety");
            QCOMPARE(focused(), d->findChild<QWidget*>(QStringLiteral("checkBoxPwdLock")));
            click(d, "btnUser");
            QCOMPARE(focused(), d->findChild<QWidget*>(QStringLiteral("lineEditPwd")));
            typeKeys(d, QStringLiteral("123"));
            QTest::keyClick(d->windowHandle(), Qt::Key_Return);
            // Saving the password says what is missing.
            QVERIFY(!d->findChild<QLabel*>(QStringLiteral("labelError_2"))->text().isEmpty());
            d->reject();
            acted = true;
        });
        std::unique_ptr<Widget_Setting>(new Widget_Setting(m_f->window()))->exec();
        QVERIFY(acted);
    }
}

// With a window manager, as authors have one: the lock's dialog opens over
// the writing window with the keys; the lock puts the window on top and full
// screen, and its release takes both back, also with a dialog open over the
// window, which stays over it with the keys.
void FocusAndFloatingTest::writingLockWindowsKeepTheirOrderUnderAWindowManager()
{
    WindowManagerProbe probe;
    CUiManager* ui = CUiManager::instance();
    QWidget* window = m_f->window();
    QVERIFY2(probe.ensureWindowManager(window), "no window manager: scripts/install-deps.sh installs openbox");
    // A window manager just started drops what it is asked until it settled.
    QTRY_VERIFY_WITH_TIMEOUT((window->activateWindow(), window->isActiveWindow()), 10000);
    const auto over = [window](QWidget* d) {
        return QTest::qWaitFor([&]() { return WindowManagerProbe::stackedAbove(d, window); });
    };
    const auto state = [window](const char* atom) {
        return WindowManagerProbe::states(window).contains(QLatin1String(atom));
    };
    T_WritingCounters& writing = CPublicManager::instance()->writing;
    // The last word of the goal typed.
    const auto reachGoal = [&]() {
        T_WriteLock& lock = CPublicManager::instance()->userConf.writeLock;
        lock.writeWords = lock.lockWords - 1;
        writing.speed = 600;
        writing.active = true;
        writing.lastChangeTime = static_cast<int>(currentServerTime());
        m_f->type(QStringLiteral("字"));
        m_f->tick();
    };
    for (const bool underDialog : {false, true}) {
        bool dialogOver = false;
        whenShown<Dialog_WritingLock>([&](Dialog_WritingLock* d) {
            dialogOver = active(d) && over(d);
            typeKeys(d, QStringLiteral("3000"));
            QTest::keyClick(d->windowHandle(), Qt::Key_Return);
            if (d->isVisible())
                d->reject();
        });
        QTest::keyClick(window->windowHandle(), Qt::Key_F9);
        QVERIFY(dialogOver && ui->isLocked());
        QTRY_VERIFY(state("FULLSCREEN") && state("ABOVE"));
        QVERIFY(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        if (underDialog) {
            bool stayedOver = false;
            whenShown<Dialog_WritingSettings>([&](Dialog_WritingSettings* d) {
                QVERIFY(active(d));
                reachGoal();
                stayedOver = QTest::qWaitFor([&]() { return !state("ABOVE"); }) && over(d) && active(d);
                d->reject();
            });
            QTest::keyClick(window->windowHandle(), Qt::Key_F11);
            QVERIFY(stayedOver);
        } else {
            reachGoal();
        }
        QVERIFY(!ui->isLocked());
        QTRY_VERIFY(!state("FULLSCREEN") && !state("ABOVE"));
        QVERIFY(!ui->isFullScreen() && !window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
    }
}

int runFocusAndFloatingTests(int argc, char** argv)
{
    FocusAndFloatingTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_FocusAndFloating.moc"
