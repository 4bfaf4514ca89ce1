// The tool panels and the road of a tool command to its tool.

#include "CreationFixture.h"

#include "db/records/T_Book.h"
#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"
#include "outline/COutlineController.h"
#include "ui/creation/Creation_TextEdit.h"
#include "ui/creation/Widget_Creation.h"
#include "ui/creation/Widget_Creation_Content.h"
#include "ui/creation/Widget_Creation_Top.h"
#include "ui/creation/Widget_SensitiveWords.h"
#include "ui/creation/memo/MemoItemManager.h"
#include "ui/creation/memo/MemoListWidget.h"
#include "ui/creation/tools/CreationControlItemModel.h"
#include "ui/creation/tools/T_ItemData.h"
#include "ui/creation/tools/Widget_Creation_Plane1.h"
#include "ui/creation/tools/Widget_Creation_Plane3.h"

#include <QApplication>
#include <QKeyEvent>
#include <QListView>
#include <QQuickWidget>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QFile>
#include <QTest>

namespace {
T_CreationConf& conf()
{
    return CPublicManager::instance()->userConf.creationConf;
}

QList<int> idsOf(CreationControlItemModel* model)
{
    QList<int> ids;
    for (T_ItemData* item : model->items())
        ids.append(item->id);
    return ids;
}

int rowOf(CreationControlItemModel* model, int id)
{
    for (int row = 0; row < model->items().size(); ++row)
        if (model->items().at(row)->id == id)
            return row;
    return -1;
}

// A real press on the row, as the author clicks it.
void pressRow(QListView* list, int row)
{
    const QRect rect = list->visualRect(list->model()->index(row, 0));
    QTest::mousePress(list->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
    QTest::mouseRelease(list->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
}
}

class ToolPanelTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void toolPanelOffersElevenToolsInCodeOrder();
    void focusPanelChecksTheCurrentFocusMode();
    void pressOnARowSendsItsItemAndClosesThePanel();
    void focusChoiceIsAppliedStoredAndCheckedNextTime();
    void aPanelClosedJustNowIsNotReopenedByTheSamePress();
    void contextMenuCommandsTravelThroughTheWindowManager();
    void sensitiveWordToolRaisesThePanel();
    void memoToolShowsTheMemoList();
    void f7OpensTheSensitiveWordPanelLikeItsRow();
    void soundToolFlipsTheSoundFlag();
    void unknownCodeChangesNothing();

private:
    Widget_Creation_Top* top() const { return m_f->window()->findChild<Widget_Creation_Top*>(); }
    CreationFixture* m_f = nullptr;
    T_Book* m_book = nullptr;
};

void ToolPanelTest::initTestCase()
{
    qRegisterMetaType<T_ItemData*>();
    m_f = new CreationFixture();
    QVERIFY(m_f->up());
    m_book = m_f->offlineBook(QStringLiteral("工具"));
    QVERIFY(m_book);
    QVERIFY(m_f->open(m_book));
    QVERIFY(top());
}

void ToolPanelTest::cleanupTestCase()
{
    delete m_f;
}

void ToolPanelTest::toolPanelOffersElevenToolsInCodeOrder()
{
    CreationControlItemModel model(1);
    QCOMPARE(idsOf(&model), (QList<int>{2, 3, 4, 5, 6, 7, 8, 9, 10, 12, 13}));
    QCOMPARE(model.items().last()->shortcut, QStringLiteral("F11"));
}

void ToolPanelTest::focusPanelChecksTheCurrentFocusMode()
{
    const T_CreationConf saved = conf();
    auto checkedId = [](CreationControlItemModel& model) {
        for (T_ItemData* item : model.items())
            if (item->checked)
                return item->id;
        return 0;
    };
    conf().isFocusing = 0;
    { CreationControlItemModel model(3); QCOMPARE(checkedId(model), 33); }
    conf().isFocusing = 1;
    conf().isFocusLine = 1;
    { CreationControlItemModel model(3); QCOMPARE(checkedId(model), 34); }
    conf().isFocusLine = 0;
    {
        CreationControlItemModel model(3);
        QCOMPARE(checkedId(model), 35);
        QCOMPARE(model.items().at(0)->text, QStringLiteral("无"));
        QCOMPARE(model.items().at(0)->type, 6);
    }
    conf() = saved;
}

void ToolPanelTest::pressOnARowSendsItsItemAndClosesThePanel()
{
    Widget_Creation_Plane1* panel = top()->toolPanel();
    QVERIFY(panel);
    QSignalSpy sent(CUiManager::instance(), &CUiManager::sig_Creation_Btn_Press);
    top()->showPanel(panel, top()->findChild<QPushButton*>(QStringLiteral("btn_creation_setup1")), 0);
    QVERIFY(panel->isVisible());
    pressRow(panel->listView(), rowOf(panel->model(), 4));
    QCOMPARE(sent.count(), 1);
    QCOMPARE(sent.first().first().value<T_ItemData*>()->id, 4);
    QVERIFY(!panel->isVisible());
    // The outline tool opened its panel over the editor pane.
    QWidget* outline = COutlineController::instance()->getWidget();
    QVERIFY(outline);
    QCOMPARE(outline->parentWidget(), static_cast<QWidget*>(m_f->pane()));
    QVERIFY(outline->isVisible());
    outline->hide();
}

void ToolPanelTest::focusChoiceIsAppliedStoredAndCheckedNextTime()
{
    conf().isFocusing = 0;
    Widget_Creation_Plane3* panel = top()->focusPanel();
    QSignalSpy closed(panel, &Widget_Creation_Plane3::sigClose);
    top()->showPanel(panel, top()->findChild<QPushButton*>(QStringLiteral("btnFocus")), 0);
    pressRow(panel->listView(), 2);
    QCOMPARE(conf().isFocusing, 1);
    QCOMPARE(conf().isFocusLine, 0);
    const QString where = QStringLiteral("from tb_creation_conf where uid = ")
                          + QString::number(CPublicManager::instance()->userConf.uid);
    QCOMPARE(CreationFixture::scalar(QStringLiteral("select isFocusing ") + where).toInt(), 1);
    QCOMPARE(CreationFixture::scalar(QStringLiteral("select isFocusLine ") + where).toInt(), 0);
    QVERIFY(panel->model()->items().at(2)->checked);
    QVERIFY(!panel->model()->items().at(0)->checked);
    QVERIFY(!panel->isVisible());
    QCOMPARE(closed.count(), 1);

    // Back to no focus, so later cases write undimmed text.
    top()->showPanel(panel, top()->findChild<QPushButton*>(QStringLiteral("btnFocus")), 0);
    pressRow(panel->listView(), 0);
    QCOMPARE(conf().isFocusing, 0);
    QVERIFY(panel->model()->items().at(0)->checked);
}

void ToolPanelTest::aPanelClosedJustNowIsNotReopenedByTheSamePress()
{
    Widget_Creation_Plane1* panel = top()->toolPanel();
    QPushButton* button = top()->findChild<QPushButton*>(QStringLiteral("btn_creation_setup1"));
    top()->showPanel(panel, button, 0);
    panel->close();
    QVERIFY(panel->hideTime() > 0);
    top()->showPanel(panel, button, panel->hideTime());
    QVERIFY(!panel->isVisible());
    // Long after closing (hide time from an hour earlier) it opens again.
    top()->showPanel(panel, button, qMax(1, panel->hideTime() - 3600 * 1000));
    QVERIFY(panel->isVisible());
    panel->close();
}

void ToolPanelTest::contextMenuCommandsTravelThroughTheWindowManager()
{
    Creation_TextEdit* edit = m_f->editor();
    edit->setPlainText(QStringLiteral("全选这一段"));
    QTextCursor caret = edit->textCursor();
    caret.setPosition(0);
    edit->setTextCursor(caret);
    QSignalSpy sent(CUiManager::instance(), &CUiManager::sig_Creation_Btn_Press);
    QAction* selectAll = nullptr;
    for (QMenu* menu : edit->findChildren<QMenu*>())
        for (QAction* action : menu->actions())
            if (action->text() == Creation_TextEdit::tr("SelectAll"))
                selectAll = action;
    QVERIFY(selectAll);
    selectAll->trigger();
    QCOMPARE(sent.count(), 1);
    T_ItemData* item = sent.first().first().value<T_ItemData*>();
    QCOMPARE(item->id, 24);
    QCOMPARE(edit->textCursor().selectedText(), QStringLiteral("全选这一段"));
    edit->clear();
}

void ToolPanelTest::sensitiveWordToolRaisesThePanel()
{
    T_ItemData item(8, 1, 1);
    emit CUiManager::instance()->sig_Creation_Btn_Press(&item);
    auto* panel = m_f->pane()->findChild<Widget_SensitiveWords*>();
    QVERIFY(panel);
    QVERIFY(panel->isVisible());
    // A second press raises the same panel rather than a new one.
    emit CUiManager::instance()->sig_Creation_Btn_Press(&item);
    QCOMPARE(m_f->pane()->findChildren<Widget_SensitiveWords*>().size(), 1);
    panel->hide();
}

void ToolPanelTest::memoToolShowsTheMemoList()
{
    T_ItemData item(12, 1, 1);
    emit CUiManager::instance()->sig_Creation_Btn_Press(&item);
    QWidget* list = MemoItemManager::instance()->memoList();
    QVERIFY(list);
    QTRY_VERIFY(list->isVisible());
    list->hide();
}

void ToolPanelTest::f7OpensTheSensitiveWordPanelLikeItsRow()
{
    QKeyEvent f7(QEvent::KeyPress, Qt::Key_F7, Qt::NoModifier);
    QApplication::sendEvent(m_f->window(), &f7);
    auto* panel = m_f->pane()->findChild<Widget_SensitiveWords*>();
    QVERIFY(panel);
    QVERIFY(panel->isVisible());
    panel->hide();
}

void ToolPanelTest::soundToolFlipsTheSoundFlag()
{
    int& sound = CPublicManager::instance()->userConf.systemConf.isSound;
    sound = 0;
    T_ItemData item(11, 1, 1);
    emit CUiManager::instance()->sig_Creation_Btn_Press(&item);
    QCOMPARE(sound, 1);
    emit CUiManager::instance()->sig_Creation_Btn_Press(&item);
    QCOMPARE(sound, 0);
}

void ToolPanelTest::unknownCodeChangesNothing()
{
    m_f->editor()->setPlainText(QStringLiteral("原文"));
    const T_CreationConf before = conf();
    T_ItemData item(99, 1, 1);
    emit CUiManager::instance()->sig_Creation_Btn_Press(&item);
    QCOMPARE(m_f->editor()->toPlainText(), QStringLiteral("原文"));
    QCOMPARE(conf().fontSize, before.fontSize);
    m_f->editor()->clear();
}

int runToolPanelTests(int argc, char** argv)
{
    ToolPanelTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_ToolPanels.moc"
