// Every window and dialog of the client, at 100 % and 150 % and in the light
// and dark skins: no text is cut, nothing lies outside its window, and every
// text can be read against what is drawn behind it. The pictures are kept in
// the build folder for a person to look at; the verdict is the measurements.

#include "CreationFixture.h"
#include "LayoutAudit.h"

#include "common/DPIAdapter.h"
#include "common/StyleType.h"
#include "manager/CQssManager.h"
#include "manager/CUiManager.h"
#include "platform/WindowCompositing.h"
#include "remote/records/SystemRecords.h"
#include "ui/bookshelf/Dialog_BookImportRule.h"
#include "ui/bookshelf/Dialog_BookInfo.h"
#include "ui/bookshelf/Dialog_BookRecycle.h"
#include "ui/bookshelf/Dialog_CreateBook.h"
#include "ui/bookshelf/Dialog_UserInfo.h"
#include "ui/common/BkMessageBox.h"
#include "ui/common/CTextEdit.h"
#include "ui/creation/Dialog_Reboot.h"
#include "ui/creation/Dialog_Search.h"
#include "ui/creation/Dialog_TimeMachine.h"
#include "ui/creation/Dialog_WritingLock.h"
#include "ui/creation/Creation_TextEdit.h"
#include "ui/creation/Widget_Creation.h"
#include "ui/creation/Widget_StatisticsBar.h"
#include "ui/creation/tools/Dialog_WritingSettings.h"
#include "ui/setting/Dialog_UpdateOnline.h"
#include "ui/setting/Widget_Setting.h"
#include "ui/shell/Dialog_ChangeLockPwd.h"
#include "ui/shell/Dialog_Unlock.h"
#include "ui/shell/Widget_ThemeSettings.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QDir>
#include <QLineEdit>
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
};

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

const QList<Window>& windows()
{
    static const QList<Window> all = {
        {"writing window", [](Client& f) -> QWidget* { return f.window(); }},
        {"search and replace", [](Client&) -> QWidget* { return new Dialog_Search; }},
        {"writing window, full screen", [](Client& f) -> QWidget* {
             CUiManager::instance()->setWindowFullScreen(true);
             f.tick();
             return f.window();
         }},
        {"settings: user", settingsTab(0)},
        {"settings: general", settingsTab(1)},
        {"settings: account safety", settingsTab(2)},
        {"settings: backup", settingsTab(3)},
        {"settings: keys", settingsTab(4)},
        {"settings: about", settingsTab(5)},
        {"create book", [](Client&) -> QWidget* { return new Dialog_CreateBook; }},
        {"book information", [](Client& f) -> QWidget* {
             auto* dialog = new Dialog_BookInfo;
             dialog->loadBookInfo(f.book);
             // Long enough for the scroll bar and a full counter.
             dialog->introEdit()->setPlainText(QString(500, QChar(0x5b57)));
             return dialog;
         }},
        {"book recycle bin", [](Client&) -> QWidget* { return new Dialog_BookRecycle; }},
        {"import rules", [](Client&) -> QWidget* { return new Dialog_BookImportRule; }},
        {"personal information", [](Client&) -> QWidget* { return new Dialog_UserInfo; }},
        {"message box", messageBox},
        {"theme picker", [](Client&) -> QWidget* { return new Widget_ThemeSettings; }},
        {"writing lock", [](Client&) -> QWidget* { return new Dialog_WritingLock; }},
        {"reboot", [](Client&) -> QWidget* { return new Dialog_Reboot; }},
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
    };
    return all;
}

// The skin and scale the program would start with on such a screen.
void applyLook(int skin, double scale)
{
    DPIAdapter::instance()->setScaleForTest(scale);
    CQssManager* qss = CQssManager::instance();
    qss->forgetStylesForTest();
    qss->setQssStyle(StyleLight, QStringLiteral(":/res/qss/light.qss"));
    qss->setQssStyle(StyleDark, QStringLiteral(":/res/qss/dark.qss"));
    qss->applyStyle(skin);
    CUiManager::initFont();
    QFont font = QApplication::font();
    font.setPointSizeF(font.pointSizeF() * scale);
    QApplication::setFont(font);
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
    applyLook(StyleLight, 1.0);
    m_f.reset();
}

void EveryWindowFitsTest::windowShowsEveryTextWholeAndReadable_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("skin");
    QTest::addColumn<double>("scale");
    for (int i = 0; i < windows().size(); ++i)
        for (double scale : {1.0, 1.5})
            for (int skin : {int(StyleLight), int(StyleDark)})
                QTest::addRow("%s, %s, %d%%", windows().at(i).name, skin == StyleLight ? "light" : "dark",
                              int(scale * 100))
                    << i << skin << scale;
}

void EveryWindowFitsTest::windowShowsEveryTextWholeAndReadable()
{
    QFETCH(int, index);
    QFETCH(int, skin);
    QFETCH(double, scale);
    applyLook(skin, scale);
    const Window& entry = windows().at(index);
    QWidget* window = entry.open(*m_f);
    QVERIFY(window);
    const bool owned = window != m_f->window();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QCoreApplication::processEvents();

    QStringList faults = LayoutAudit::audit(window);
    // Without a compositor a translucent window shows black where it means
    // to be see-through.
    if (!WindowCompositing::isAvailable() && window->testAttribute(Qt::WA_TranslucentBackground))
        faults << QStringLiteral("translucent window without a compositor");
    const QString shot = QStringLiteral(SHOTS_DIR "/%1-%2-%3.png")
                             .arg(QString::fromLatin1(entry.name).replace(QRegularExpression(QStringLiteral("[^a-z]+")),
                                                                          QStringLiteral("-")))
                             .arg(skin == StyleLight ? QStringLiteral("light") : QStringLiteral("dark"))
                             .arg(int(scale * 100));
    LayoutAudit::saveShot(window, shot);
    if (owned)
        delete window;
    else
        CUiManager::instance()->setWindowFullScreen(false);
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
}

void EveryWindowFitsTest::searchOpensClearOfTheCaretLine()
{
    applyLook(StyleLight, 1.0);
    Widget_Creation* window = m_f->window();
    window->resize(1200, 800);
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
        applyLook(skin, 1.0);
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

int runEveryWindowFitsTests(int argc, char** argv)
{
    EveryWindowFitsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_EveryWindowFits.moc"
