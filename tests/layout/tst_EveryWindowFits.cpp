// Every window and dialog of the client, at the scale the run started with
// (100 % and 150 % are two runs) and in the light and dark skins: no text is cut, nothing lies outside its window, and every
// text can be read against what is drawn behind it. The pictures are kept in
// the build folder for a person to look at; the verdict is the measurements.

#include "CreationFixture.h"
#include "LayoutAudit.h"
#include "WhenShown.h"

#include "common/DPIAdapter.h"
#include "db/records/T_Book.h"
#include "db/records/T_Chapter.h"
#include "common/StyleType.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "manager/CQssManager.h"
#include "manager/CUiManager.h"
#include "platform/WindowCompositing.h"
#include "remote/records/BookRecords.h"
#include "remote/records/ChapterRecords.h"
#include "remote/records/SystemRecords.h"
#include "volume/CBookVolumeController.h"
#include "ui/bookshelf/Dialog_BookImportRule.h"
#include "ui/bookshelf/Dialog_BookInfo.h"
#include "ui/bookshelf/Dialog_BookRecycle.h"
#include "ui/bookshelf/Dialog_CreateBook.h"
#include "ui/bookshelf/Dialog_UserInfo.h"
#include "ui/bookshelf/Widget_Bookshelf.h"
#include "ui/bookshelf/Widget_Bookshelf_Content.h"
#include "ui/common/CColorDialog.h"
#include "ui/common/FileDialogs.h"
#include "ui/creation/Widget_ClientTips.h"
#include "ui/creation/Widget_RandomName.h"
#include "ui/creation/Widget_RecycleBin.h"
#include "ui/creation/Widget_SensitiveWords.h"
#include "ui/creation/memo/MemoItemManager.h"
#include "ui/creation/memo/MemoItemWidget.h"
#include "ui/creation/memo/MemoListWidget.h"
#include "ui/creation/tools/Widget_Creation_Plane1.h"
#include "ui/creation/tools/Widget_Creation_Plane3.h"
#include "ui/login/Dialog_LoginMain.h"
#include "ui/login/Widget_ForgetPwd.h"
#include "ui/login/Widget_Login.h"
#include "ui/login/Widget_Register.h"
#include "ui/login/widget_tips.h"
#include "ui/common/BkMessageBox.h"
#include "ui/common/CTextEdit.h"
#include "ui/creation/Dialog_Reboot.h"
#include "ui/creation/Dialog_Remuneration.h"
#include "ui/creation/Widget_Creation_Left.h"
#include "ui/creation/Widget_Creation_Top.h"
#include "ui/creation/Dialog_Search.h"
#include "ui/creation/Dialog_TimeMachine.h"
#include "ui/creation/Dialog_WritingLock.h"
#include "ui/creation/Creation_TextEdit.h"
#include "ui/creation/Widget_Creation_Content.h"
#include "ui/creation/Widget_Creation.h"
#include "ui/creation/Widget_StatisticsBar.h"
#include "ui/creation/tools/Dialog_WritingSettings.h"
#include "ui/setting/Dialog_UpdateOnline.h"
#include "ui/setting/Widget_Setting.h"
#include "ui/shell/Dialog_ChangeLockPwd.h"
#include "ui/shell/Dialog_Unlock.h"
#include "ui/shell/Widget_ThemeSettings.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLayout>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QLineEdit>
#include <QStackedWidget>
#include <QStringListModel>
#include <QRegularExpression>
#include <QTest>

#include <functional>
#include <memory>

namespace {

// The signed-in client with the writing window open on a book.
struct Client : CreationFixture
{
    T_Book* book = nullptr;
};

using Opener = std::function<QWidget*(Client&)>;

struct Window
{
    const char* name;
    Opener open;
    // Short-lived texts that must be read at a glance ask for more.
    double minContrast = 3.0;
    // Painted in colours of its own in every skin (memo papers).
    bool ownColours = false;
    // A window drawn at a fixed size for 100 % grows with the scale.
    QSize sizeAt100;
    // A document or list whose text the audit of labels and buttons cannot
    // see: it, or its selected row, must read as body text does.
    const char* bodyText = nullptr;
    // The part of the window built again at 100 % to compare sizes with,
    // when the window is not one the row builds anew (the writing window).
    Opener at100 = nullptr;
    // Whether its lengths are compared with the window built at 100 %.
    bool builtToScale = true;
    // Parts of the window that the panels it opened leave in view.
    QStringList keepInSight;
    // Puts the client back on the writing window, in place of deleting the
    // window the row opened.
    std::function<void(Client&, QWidget*)> after = nullptr;
};

// The body text of the named child reads at 4.5:1 or more.
QStringList bodyTextFaults(QWidget* window, const char* name)
{
    auto* area = window->findChild<QAbstractScrollArea*>(QLatin1String(name));
    if (area == nullptr || !area->isVisible())
        return {QStringLiteral("%1 is not shown").arg(QLatin1String(name))};
    QRect rect = area->viewport()->rect();
    if (auto* view = qobject_cast<QAbstractItemView*>(area); view && view->selectionModel()
        && !view->selectionModel()->selectedIndexes().isEmpty())
        rect = view->visualRect(view->selectionModel()->selectedIndexes().first());
    const QImage image = window->grab().toImage();
    const double ratio = image.width() / double(qMax(1, window->width()));
    const QRect inWindow(area->viewport()->mapTo(window, rect.topLeft()), rect.size());
    QColor paper, ink;
    const double c = LayoutAudit::inkContrast(image, QRect(inWindow.topLeft() * ratio, inWindow.size() * ratio),
                                              &paper, &ink);
    if (c >= 4.5)
        return {};
    return {QStringLiteral("%1: text %2 on %3, contrast %4").arg(QLatin1String(name), ink.name(), paper.name()).arg(c, 0, 'f', 2)};
}

// The settings page with one of its six tabs chosen by its own button.
Opener settingsTab(int tab)
{
    return [tab](Client&) -> QWidget* {
        auto* page = new Widget_Setting;
        page->show();
        const QList<QAbstractButton*> tabs = page->findChildren<QAbstractButton*>();
        for (QAbstractButton* b : tabs)
            if (b->group() && b->group()->objectName() == QLatin1String("buttonGroup_3") && b->group()->id(b) == tab)
                b->click();
        // The keys tab as it looks after the author tried a key that is taken.
        if (auto* boss = page->findChild<QLineEdit*>(QStringLiteral("lineEditBoss")); boss && tab == 4)
            QTest::keyClick(boss, Qt::Key_F, Qt::ControlModifier);
        return page;
    };
}

QWidget* messageBox(Client&)
{
    auto* box = new BkMessageBox(QCoreApplication::translate("Widget_BookShelfList", "Delete"),
                                 QCoreApplication::translate("Widget_BookShelfList", "Are you sure to delete %1?")
                                     .arg(QStringLiteral("一本名字相当长的书")));
    box->addButton(QCoreApplication::translate("Widget_BookShelfList", "Ok"));
    box->addButton(QCoreApplication::translate("Widget_BookShelfList", "Cancel"));
    return box;
}

// A stand-in for the window a toast is shown in, painted as the skin paints windows.
QWidget* toastHost()
{
    auto* host = new QWidget;
    host->setObjectName(QStringLiteral("CommonWidgetBg"));
    host->setAttribute(Qt::WA_StyledBackground);
    return host;
}

// A toast of one kind over its window.
Opener toast(int kind)
{
    return [kind](Client&) -> QWidget* {
        QWidget* host = toastHost();
        host->resize(int(480 * DPIAdapter::instance()->scale()), int(160 * DPIAdapter::instance()->scale()));
        auto* tips = new Widget_ClientTips(host);
        tips->showTips(QCoreApplication::translate("Widget_Setting", "Password changed successfully"), kind, 1000);
        tips->move(20, 40);
        return host;
    };
}

// The sign-in dialog with one of its pages shown, as its links show them.
Opener loginPage(int page)
{
    return [page](Client&) -> QWidget* {
        auto* dialog = new Dialog_LoginMain;
        QWidget* pages[] = {dialog->loginPage(), dialog->registerPage(), dialog->forgetPage()};
        dialog->stack()->setCurrentWidget(pages[page]);
        return dialog;
    };
}

// The bookshelf window on one of its pages.
Opener bookshelfPage(int page)
{
    return [page](Client&) -> QWidget* {
        auto* shelf = new Widget_Bookshelf;
        shelf->getContent()->showPage(page);
        return shelf;
    };
}

// The writing window's tool and title bars, as it builds them.
QWidget* writingBars(Client&)
{
    return new Widget_Creation_Top;
}

// The writing window's chapter tree pane, as it builds it.
QWidget* writingTree(Client&)
{
    return new Widget_Creation_Left;
}

// The writing window with a long chapter name on its tab and the tools an
// author opens over it.
QWidget* writingWithPanels(Client& f)
{
    Widget_Creation* window = f.window();
    if (T_Chapter* chapter = f.pane()->currentChapter()) {
        TC_Chapter_Edit_Name rename;
        rename.header.localBookId = chapter->localBookId;
        rename.header.localChapterId = chapter->localId;
        rename.chapterName = QStringLiteral("第四章 托盘退出之后");
        rename.updateTime = 1700000000;
        // As the tree renames it: the tab shows the name once it is stored.
        if (CJobManager::instance()->chapter_edit_name(rename))
            CUiManager::instance()->updateChapterTitle(chapter->localId, rename.chapterName);
    }
    window->resize(DPIAdapter::instance()->mainWindowSize());
    window->show();
    QTest::qWaitForWindowExposed(window);
    CUiManager::instance()->showRandomNames(f.pane());
    return window;
}

// The update box as it asks for an update the author cannot refuse.
QWidget* requiredUpdate(Client&)
{
    static TS_UpdateOnline info;
    info.status = 2;
    info.name = QStringLiteral("3.0.0");
    info.update_log = QStringLiteral("1、必须更新的版本");
    return new Dialog_UpdateOnline(&info);
}

// The bookshelf as the program shows it once the writing window is closed.
Widget_Bookshelf* programBookshelf()
{
    CUiManager* ui = CUiManager::instance();
    ui->closeCreation();
    QTest::qWaitForWindowExposed(ui->bookshelf());
    return ui->bookshelf();
}

// The memo list as the bookshelf's 便签 opens it.
QWidget* memoListOfTheBookshelf(Client&)
{
    Widget_Bookshelf* shelf = programBookshelf();
    shelf->findChild<QAbstractButton*>(QStringLiteral("btnMemo"))->click();
    return shelf;
}

// The settings page with the bookshelf's page stack as parent, as the
// bookshelf's settings button opens it.
QWidget* settingsOfTheBookshelf(Client&)
{
    return new Widget_Setting(programBookshelf()->getContent());
}

// The chapter bin as the tree's recycle button opens it.
QWidget* binOfTheTree(Client& f)
{
    Widget_Creation* window = f.window();
    window->show();
    QTest::qWaitForWindowExposed(window);
    CBookVolumeController::instance()->openRecycleBin();
    return window;
}

void backToTheBook(Client& f, QWidget* window)
{
    if (window != CUiManager::instance()->bookshelf() && window != f.window())
        delete window;
    MemoItemManager::instance()->closeAll();
    if (Widget_RecycleBin* bin = f.window()->chapterPane()->recycleBin())
        bin->close();
    f.open(f.book);
}

const QList<Window>& windows()
{
    static const QList<Window> all = {
        {"writing window", [](Client& f) -> QWidget* { return f.window(); }, 3.0, false, QSize(), nullptr, writingBars},
        {"writing window, panels open", writingWithPanels, 3.0, false, QSize(), nullptr, writingTree},
        {"search and replace", [](Client&) -> QWidget* { return new Dialog_Search; }},
        {"writing window, full screen", [](Client& f) -> QWidget* {
             CUiManager::instance()->setWindowFullScreen(true);
             f.tick();
             return f.window();
         }, 3.0, false, QSize(), nullptr, writingBars},
        {"settings: user", settingsTab(0)},
        {"settings: general", settingsTab(1)},
        {"settings: account safety", settingsTab(2)},
        {"settings: backup", settingsTab(3)},
        {"settings: keys", settingsTab(4)},
        {"settings: about", settingsTab(5)},
        {"create book", [](Client&) -> QWidget* {
             auto* dialog = new Dialog_CreateBook;
             // Enough system covers for two rows.
             QStringList covers;
             for (int i = 0; i < 10; ++i)
                 covers << QStringLiteral(":/res/common/theme_white.png");
             auto* model = new QStringListModel(covers, dialog);
             dialog->setCoverModel(model);
             return dialog;
         }},
        {"book information", [](Client& f) -> QWidget* {
             auto* dialog = new Dialog_BookInfo;
             dialog->loadBookInfo(f.book);
             // Long enough for the scroll bar and a full counter.
             dialog->introEdit()->setPlainText(QString(500, QChar(0x5b57)));
             return dialog;
         }},
        {"book recycle bin", [](Client& f) -> QWidget* {
             // A deleted book, chosen.
             if (CPublicManager::instance()->recycleBookList.isEmpty()) {
                 TC_Books_Delete gone(f.offlineBook(QStringLiteral("删掉的书"))->localId, 1700000000);
                 CJobManager::instance()->books_delete(gone);
             }
             auto* bin = new Dialog_BookRecycle;
             bin->listView()->setCurrentIndex(bin->model()->index(0, 0));
             return bin;
         }, 3.0, false, QSize(), "listView"},
        {"import rules", [](Client&) -> QWidget* { return new Dialog_BookImportRule; }},
        {"personal information", [](Client&) -> QWidget* { return new Dialog_UserInfo; }},
        {"message box", messageBox},
        {"theme picker", [](Client&) -> QWidget* { return new Widget_ThemeSettings; }},
        {"writing lock", [](Client&) -> QWidget* { return new Dialog_WritingLock; }, 3.0, false, QSize(460, 390), "plainTextEdit"},
        {"reboot", [](Client&) -> QWidget* { return new Dialog_Reboot; }, 3.0, false, QSize(380, 220)},
        {"writing settings", [](Client&) -> QWidget* { return new Dialog_WritingSettings; }},
        {"lock password", [](Client&) -> QWidget* { return new Dialog_ChangeLockPwd(Dialog_ChangeLockPwd::Change); }},
        {"unlock", [](Client&) -> QWidget* { return new Dialog_Unlock; }},
        {"online update", [](Client&) -> QWidget* {
             static TS_UpdateOnline info;
             info.status = 1;
             info.name = QStringLiteral("2.3.0");
             info.update_log = QStringLiteral("1、修复已知问题\n2、提升稳定性");
             return new Dialog_UpdateOnline(&info);
         }},
        {"online update, required", requiredUpdate},
        {"remuneration", [](Client&) -> QWidget* { return new Dialog_Remuneration; }},
        {"toast error", toast(0), 4.5},
        {"toast success", toast(1), 4.5},
        {"toast hint", toast(2), 4.5},
        {"toast hint off", toast(3), 4.5},
        {"toast notice", toast(4), 4.5},
        {"sign in tip", [](Client&) -> QWidget* {
             QWidget* host = toastHost();
             host->resize(400, 300);
             auto* tips = new widget_tips(host);
             tips->showTips(QStringLiteral("注册成功"));
             return host;
         }, 4.5},
        {"sign in", loginPage(0), 3.0, false, QSize(882, 505)},
        {"register", loginPage(1), 3.0, false, QSize(882, 505)},
        {"forgot password", loginPage(2), 3.0, false, QSize(882, 505)},
        {"bookshelf: books", bookshelfPage(1)},
        {"bookshelf: personal data", bookshelfPage(3)},
        {"memo list", [](Client&) -> QWidget* { return new MemoListWidget; }, 3.0, false, QSize(380, 722)},
        {"memo", [](Client&) -> QWidget* { return new MemoItemWidget; }, 3.0, true},
        {"time machine", [](Client& f) -> QWidget* { return new Dialog_TimeMachine(f.book->chapterList.first()); }},
        {"time machine, versions", [](Client& f) -> QWidget* {
             T_Chapter* chapter = f.book->chapterList.at(1);
             TC_Chapter_ContentBlade version;
             version.header.localBookId = chapter->localBookId;
             version.header.localChapterId = chapter->localId;
             version.content = QStringLiteral("　　从前的一段正文，比现在的短一些。");
             version.chapterName = chapter->name;
             CJobManager::instance()->chapter_contentBlade(version);
             return new Dialog_TimeMachine(chapter);
         }},
        {"sensitive words", [](Client&) -> QWidget* { return new Widget_SensitiveWords; }},
        {"random names", [](Client&) -> QWidget* { return new Widget_RandomName; }},
        {"writing tools panel", [](Client&) -> QWidget* { return new Widget_Creation_Plane1; }},
        {"focus mode panel", [](Client&) -> QWidget* { return new Widget_Creation_Plane3; }},
        {"colour", [](Client&) -> QWidget* { return new CColorDialog; }},
        // Qt's own chooser, whose parts follow the screen's dots per inch.
        {"file chooser", [](Client&) -> QWidget* {
             return FileDialogs::makeDialog(nullptr, QStringLiteral("导入书籍"),
                                            FileDialogs::startFolder(FileDialogs::BookImport),
                                            QStringLiteral("文本文件 (*.txt)"));
         }, 3.0, false, QSize(), nullptr, nullptr, false},
        {"chapter recycle bin", [](Client& f) -> QWidget* {
             auto* bin = new Widget_RecycleBin;
             bin->loadBook(f.book);
             return bin;
         }},
        {"memo list, from the bookshelf", memoListOfTheBookshelf, 3.0, false, QSize(), nullptr, nullptr, false,
         {"btnRecycle"}, backToTheBook},
        {"settings, from the bookshelf", settingsOfTheBookshelf, 3.0, false, QSize(), nullptr, nullptr, false, {},
         backToTheBook},
        {"chapter recycle bin, from the tree", binOfTheTree, 3.0, false, QSize(), nullptr, nullptr, false,
         {"Widget_Creation_Left"}, backToTheBook},
    };
    return all;
}

// The skin chosen in the theme picker, over the look the program started with.
void applyLook(int skin)
{
    CQssManager::instance()->applyStyle(skin);
}

// Windows built at 100 % to compare with, never shown. They stay until the
// end: the next row's restyle of the application crashed inside Qt once such
// a translucent dialog, never shown, had been deleted.
std::vector<std::unique_ptr<QWidget>>& builtAt100()
{
    static std::vector<std::unique_ptr<QWidget>> kept;
    return kept;
}

// The skin's sheet as the program composes it at 100 %, with the sizes the
// adaptive sheet adds at other scales: set on the window built at 100 %, it
// takes the place of the application's sheet of this scale.
QString sheetAt100(int skin)
{
    static QHash<int, QString> sheets;
    QString& sheet = sheets[skin];
    if (sheet.isEmpty()) {
        QFile adaptive(QStringLiteral(":/res/qss/adaptive.qss"));
        adaptive.open(QIODevice::ReadOnly);
        sheet = CQssManager::composeSheet(skin == StyleDark ? QStringLiteral(":/res/qss/dark.qss")
                                                            : QStringLiteral(":/res/qss/light.qss"),
                                          1.0)
            + QString::fromUtf8(adaptive.readAll());
    }
    return sheet;
}

// Lengths of the shown window that the same window built at 100 % has too.
QStringList unscaledFaults(const Window& entry, Client& f, QWidget* window, int skin, double scale)
{
    DPIAdapter::instance()->setScaleForTest(1.0);
    builtAt100().emplace_back((entry.at100 ? entry.at100 : entry.open)(f));
    DPIAdapter::instance()->setScaleForTest(scale);
    QWidget* at100 = builtAt100().back().get();
    at100->setStyleSheet(sheetAt100(skin));
    at100->ensurePolished();
    for (QWidget* w : at100->findChildren<QWidget*>())
        w->ensurePolished();
    QWidget* shown = window;
    if (entry.at100) {
        shown = nullptr;
        for (QWidget* w : window->findChildren<QWidget*>())
            if (!shown && w->metaObject() == at100->metaObject())
                shown = w;
        if (shown == nullptr)
            return {QStringLiteral("no part built as the one at 100 %")};
    }
    return LayoutAudit::unscaled(LayoutAudit::measure(at100), LayoutAudit::measure(shown), scale);
}

} // namespace

class EveryWindowFitsTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void windowShowsEveryTextWholeAndReadable_data();
    void windowShowsEveryTextWholeAndReadable();
    void searchOpensClearOfTheCaretLine();
    void settingsTabsShowWhichPageIsOpen();
    void toastOfAModalDialogIsShownInIt();
    void createBookSaysWhySaveWaits();
    void focusModeLeavesMarksReadable();
    void checkedStandsOutInEverySkin_data();
    void checkedStandsOutInEverySkin();

private:
    std::unique_ptr<Client> m_f;
};

void EveryWindowFitsTest::initTestCase()
{
    m_f.reset(new Client);
    m_f->book = m_f->start(QStringLiteral("量体"));
    QVERIFY(m_f->book);
    QDir().mkpath(QStringLiteral(SHOTS_DIR));
}

void EveryWindowFitsTest::cleanupTestCase()
{
    applyLook(StyleLight);
    m_f.reset();
    builtAt100().clear();
}

void EveryWindowFitsTest::windowShowsEveryTextWholeAndReadable_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("skin");
    const int scale = int(DPIAdapter::instance()->scale() * 100);
    for (int i = 0; i < windows().size(); ++i)
        for (int skin : {int(StyleLight), int(StyleDark)})
            QTest::addRow("%s, %s, %d%%", windows().at(i).name, skin == StyleLight ? "light" : "dark", scale)
                << i << skin;
}

void EveryWindowFitsTest::windowShowsEveryTextWholeAndReadable()
{
    QFETCH(int, index);
    QFETCH(int, skin);
    const double scale = DPIAdapter::instance()->scale();
    applyLook(skin);
    const Window& entry = windows().at(index);
    QWidget* window = entry.open(*m_f);
    QVERIFY(window);
    const bool owned = window != m_f->window();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QCoreApplication::processEvents();

    QStringList faults = LayoutAudit::audit(window, entry.minContrast);
    faults << LayoutAudit::panelsOver(window, entry.keepInSight);
    if (entry.bodyText)
        faults << bodyTextFaults(window, entry.bodyText);
    // Without a compositor a translucent window shows black where it means
    // to be see-through.
    if (!WindowCompositing::isAvailable() && window->testAttribute(Qt::WA_TranslucentBackground))
        faults << QStringLiteral("translucent window without a compositor");
    // Kept for a shadow that is not drawn, a margin shows as a bare frame
    // in the window's default colour.
    if (!WindowCompositing::isAvailable() && window->windowFlags().testFlag(Qt::FramelessWindowHint) && window->layout()
        && !window->layout()->contentsMargins().isNull() && !window->isFullScreen())
        faults << QStringLiteral("frameless window keeps a %1 px margin for a shadow without a compositor")
                      .arg(window->layout()->contentsMargins().left());
    const QSize grown(int(entry.sizeAt100.width() * scale), int(entry.sizeAt100.height() * scale));
    if (window->width() < grown.width() || window->height() < grown.height())
        faults << QStringLiteral("%1x%2 at this scale, %3x%4 at 100 %").arg(window->width()).arg(window->height())
                      .arg(entry.sizeAt100.width()).arg(entry.sizeAt100.height());
    // A dark skin paints the window dark; a light body means a part kept
    // the default colours.
    if (skin == StyleDark && !entry.ownColours) {
        const QColor body = LayoutAudit::dominantColour(window);
        if (body.lightnessF() > 0.5)
            faults << QStringLiteral("mostly %1 in the dark skin").arg(body.name());
    }
    const QString shot = QStringLiteral(SHOTS_DIR "/%1-%2-%3.png")
                             .arg(QString::fromLatin1(entry.name).replace(QRegularExpression(QStringLiteral("[^a-z]+")),
                                                                          QStringLiteral("-")))
                             .arg(skin == StyleLight ? QStringLiteral("light") : QStringLiteral("dark"))
                             .arg(int(scale * 100));
    LayoutAudit::saveShot(window, shot);
    // Lengths are the same in every skin.
    if (scale != 1.0 && entry.builtToScale && skin == StyleLight)
        faults << unscaledFaults(entry, *m_f, window, skin, scale);
    if (entry.after) {
        entry.after(*m_f, window);
    } else if (owned) {
        delete window;
    } else {
        CUiManager::instance()->setWindowFullScreen(false);
        for (QWidget* panel : window->findChildren<QWidget*>())
            if (panel->isWindow())
                panel->hide();
    }
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
}

void EveryWindowFitsTest::searchOpensClearOfTheCaretLine()
{
    applyLook(StyleLight);
    Widget_Creation* window = m_f->window();
    // The size the program opens the writing window with on this screen.
    QSize size = DPIAdapter::instance()->mainWindowSize();
    size.setHeight(int(size.height() * DPIAdapter::kWritingHeightFactor));
    window->resize(size);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    Creation_TextEdit* editor = m_f->editor();
    editor->setFocus();
    m_f->type(QStringLiteral("第一行\n第二行\n第三行"));
    QTest::keyClick(editor, Qt::Key_F6);
    Dialog_Search* search = window->findChild<Dialog_Search*>();
    QVERIFY(search);
    QTRY_VERIFY(search->isVisible());
    const QRect caret(editor->viewport()->mapToGlobal(editor->cursorRect().topLeft()), editor->cursorRect().size());
    const QRect caretLine(editor->viewport()->mapToGlobal(QPoint(0, 0)).x(), caret.top(), editor->viewport()->width(),
                          caret.height());
    QVERIFY2(!search->frameGeometry().intersects(caretLine),
             qPrintable(QStringLiteral("dialog %1,%2 %3x%4 over the caret line at %5")
                            .arg(search->x()).arg(search->y()).arg(search->width()).arg(search->height()).arg(caret.top())));
    search->close();
}

void EveryWindowFitsTest::settingsTabsShowWhichPageIsOpen()
{
    for (int skin : {int(StyleLight), int(StyleDark)}) {
        applyLook(skin);
        Widget_Setting page;
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        QList<QAbstractButton*> tabs;
        for (QAbstractButton* b : page.findChildren<QAbstractButton*>())
            if (b->group() && b->group()->objectName() == QLatin1String("buttonGroup_3"))
                tabs << b;
        QCOMPARE(tabs.size(), 6);
        for (QAbstractButton* chosen : tabs) {
            QTest::mouseClick(chosen, Qt::LeftButton);
            const QImage shot = page.grab().toImage();
            auto look = [&](QAbstractButton* b) {
                const QPoint inside = b->mapTo(&page, QPoint(b->width() - 4, b->height() / 2));
                return shot.pixelColor(inside);
            };
            for (QAbstractButton* other : tabs)
                if (other != chosen)
                    QVERIFY2(LayoutAudit::contrast(look(chosen), look(other)) > 1.1,
                             qPrintable(chosen->text() + QLatin1String(" looks like ") + other->text()));
        }
    }
}

void EveryWindowFitsTest::toastOfAModalDialogIsShownInIt()
{
    applyLook(StyleLight);
    Widget_Creation* window = m_f->window();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    T_SystemConf& conf = CPublicManager::instance()->userConf.systemConf;
    const T_SystemConf saved = conf;
    conf.pwdLockPwd = QStringLiteral("first");
    conf.pwdLockType = 7;
    conf.pwdLockTime = 30;
    // The settings page runs modally over the writing window, as it is opened.
    Widget_Setting page(window);
    page.setWindowModality(Qt::ApplicationModal);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    whenShown<Dialog_ChangeLockPwd>([](Dialog_ChangeLockPwd* d) {
        d->lineEditOriginal()->setText(QStringLiteral("first"));
        d->lineEditNew()->setText(QStringLiteral("second"));
        d->lineEditConfirm()->setText(QStringLiteral("second"));
        d->btnConfirm()->click();
    });
    page.findChild<QPushButton*>(QStringLiteral("btnChangePwd"))->click();
    conf = saved;
    auto* tips = page.findChild<Widget_ClientTips*>();
    QVERIFY2(tips, "the toast is not shown in the dialog the author looks at");
    QTRY_VERIFY(tips->isVisible());
    QCOMPARE(tips->label()->text(), QCoreApplication::translate("Widget_Setting", "Changed password lock password successfully"));
    QVERIFY(page.rect().contains(tips->geometry()));
    // Drawn over the page: its pixels are the toast's, not the page's.
    const QImage shot = page.grab().toImage();
    const QPoint inside = tips->mapTo(&page, QPoint(6, tips->height() / 2));
    QVERIFY2(LayoutAudit::contrast(shot.pixelColor(inside), QColor(Qt::white)) > 1.3,
             qPrintable(shot.pixelColor(inside).name()));
}

void EveryWindowFitsTest::createBookSaysWhySaveWaits()
{
    applyLook(StyleLight);
    Dialog_CreateBook dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto* save = dialog.findChild<QPushButton*>(QStringLiteral("btnConfirm"));
    auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("lineEdit"));
    QVERIFY(!save->isEnabled());
    QVERIFY(!save->toolTip().isEmpty());
    name->setFocus();
    QTest::keyClicks(name, QStringLiteral("book"));
    QVERIFY(save->isEnabled());
    QVERIFY(save->toolTip().isEmpty());
    name->clear();
    QVERIFY(!save->isEnabled());
    QVERIFY(!save->toolTip().isEmpty());
}

void EveryWindowFitsTest::focusModeLeavesMarksReadable()
{
    for (int skin : {int(StyleLight), int(StyleDark)}) {
        applyLook(skin);
        // As the theme picker switches: the editor takes the skin's text colours.
        CUiManager::instance()->changeSkin(skin);
        Widget_Creation* window = m_f->window();
        window->resize(1200, 800);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        Creation_TextEdit* editor = m_f->editor();
        editor->setFocus();
        editor->selectAll();
        QTest::keyClick(editor, Qt::Key_Delete);
        m_f->type(QStringLiteral("标记在第一行\n第二行\n第三行也有标记"));
        // The first match becomes current and takes the caret; the second
        // stays on a line that focus mode dims.
        QTest::keyClick(editor, Qt::Key_F6);
        auto* search = window->findChild<Dialog_Search*>();
        QVERIFY(search);
        emit search->sig_sreach_btn(SreachSearch, QStringLiteral("标记"));
        search->close();
        const int at = editor->toPlainText().lastIndexOf(QStringLiteral("标记"));
        QVERIFY(editor->textCursor().block() != editor->document()->findBlock(at));
        // Focus mode scrolls the caret's line to the middle; measured once
        // the view rests there.
        QColor paper, ink;
        auto measure = [&]() {
            QTextCursor c(editor->document());
            c.setPosition(at);
            const QRect first = editor->cursorRect(c);
            c.setPosition(at + 2);
            const QRect last = editor->cursorRect(c);
            const QImage shot = editor->viewport()->grab().toImage();
            const QRect mark(first.right() + 2, first.top() + 2, last.left() - first.right() - 4, first.height() - 4);
            return LayoutAudit::inkContrast(shot, mark, &paper, &ink);
        };
        // The mark keeps its colour, and its word stands out from it.
        QTRY_VERIFY2(measure() >= 3.0 && paper.name() == QLatin1String("#81dcb5"),
                     qPrintable(QStringLiteral("%1 on %2: %3").arg(ink.name(), paper.name()).arg(measure())));
    }
    applyLook(StyleLight);
    CUiManager::instance()->changeSkin(StyleLight);
}

void EveryWindowFitsTest::checkedStandsOutInEverySkin_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("skin");
    const QStringList withIndicators = {"writing lock", "sensitive words", "random names", "writing settings",
                                        "settings: general", "settings: account safety", "reboot",
                                        "personal information", "book information", "sign in"};
    const char* skins[] = {"light", "dark", "green", "kraft", "custom"};
    for (int i = 0; i < windows().size(); ++i)
        for (int k = 0; k < 5 && withIndicators.contains(QLatin1String(windows().at(i).name)); ++k)
            QTest::addRow("%s, %s", windows().at(i).name, skins[k]) << i << (StyleLight << k);
}

void EveryWindowFitsTest::checkedStandsOutInEverySkin()
{
    QFETCH(int, index);
    QFETCH(int, skin);
    applyLook(skin);
    std::unique_ptr<QWidget> window(windows().at(index).open(*m_f));
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QVERIFY(window->findChild<QCheckBox*>() || window->findChild<QRadioButton*>());
    const QStringList faults = LayoutAudit::indicatorFaults(window.get());
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
}

int runEveryWindowFitsTests(int argc, char** argv)
{
    EveryWindowFitsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_EveryWindowFits.moc"
