#include "Widget_Creation.h"
#include "Widget_Creation_Left.h"

#include "Widget_Creation_Content.h"
#include "Widget_Creation_Top.h"
#include "Widget_ClientTips.h"
#include "Creation_TextEdit.h"
#include "common/DPIAdapter.h"
#include "common/Utility.h"
#include "db/records/T_Book.h"
#include "db/records/T_Chapter.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "manager/CQssManager.h"
#include "manager/CUiManager.h"
#include "manager/TextRecovery.h"
#include "volume/CBookVolumeController.h"
#include "ui/common/CPixmapContainer.h"
#include "ui/common/NcFramelessHelper.h"

#include <QCloseEvent>
#include <QMouseEvent>
#include <QParallelAnimationGroup>
#include <QPropertyAnimation>
#include <QScrollBar>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWindow>

Widget_Creation::Widget_Creation(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Widget_Creation"));
    resize(943, 604);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    m_scale = DPIAdapter::instance()->scale();
    const double scale = m_scale;
    setMinimumSize(int(767 * scale), int(600 * scale));
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setWindowTitle(tr("Vellora Writing"));
    setAttribute(Qt::WA_MouseTracking);

    auto* outer = new QHBoxLayout(this);
    outer->setObjectName(QStringLiteral("horizontalLayout"));
    outer->setSpacing(0);
    outer->setContentsMargins(0, 0, 0, 0);
    m_bg = new QWidget(this);
    m_bg->setObjectName(QStringLiteral("Widget_CreationBg"));
    outer->addWidget(m_bg);
    m_layoutMain = new QHBoxLayout(m_bg);
    m_layoutMain->setObjectName(QStringLiteral("layoutMain"));
    m_layoutMain->setSpacing(0);
    m_layoutMain->setContentsMargins(14, 14, 14, 14);
    m_theme = new CPixmapContainer(m_bg);
    m_theme->setObjectName(QStringLiteral("widgetTheme"));
    m_layoutMain->addWidget(m_theme);
    auto* columns = new QHBoxLayout(m_theme);
    columns->setObjectName(QStringLiteral("horizontalLayout_2"));
    columns->setSpacing(0);
    columns->setContentsMargins(0, 0, 0, 0);

    m_layoutLeft = new QVBoxLayout();
    m_layoutLeft->setObjectName(QStringLiteral("layoutLeft"));
    m_layoutLeft->setSpacing(0);
    // The chapter tree is hosted here; until its panel exists the column
    // shows the book's name.
    m_left = new QWidget(m_theme);
    m_left->setObjectName(QStringLiteral("widget_creation_left_origin"));
    m_left->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    m_left->setMinimumSize(int(200 * DPIAdapter::instance()->scale()), 0);
    m_left->setMaximumSize(int(200 * DPIAdapter::instance()->scale()), 16777215);
    auto* leftColumn = new QVBoxLayout(m_left);
    leftColumn->setContentsMargins(0, 0, 0, 0);
    m_chapterPane = new Widget_Creation_Left(m_left);
    leftColumn->addWidget(m_chapterPane);
    m_layoutLeft->addWidget(m_left);
    columns->addLayout(m_layoutLeft);

    auto* right = new QVBoxLayout();
    right->setObjectName(QStringLiteral("verticalLayout"));
    right->setSpacing(0);
    right->setContentsMargins(11, 0, 11, 11);
    m_layoutTop = new QHBoxLayout();
    m_layoutTop->setObjectName(QStringLiteral("layoutTop"));
    m_layoutTop->setSpacing(0);
    m_top = new Widget_Creation_Top(m_theme);
    m_top->setObjectName(QStringLiteral("widget_creation_top_origin"));
    m_top->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    m_top->setMinimumSize(0, int(92 * scale));
    m_top->setMaximumSize(16777215, int(92 * scale));
    connect(m_top, &Widget_Creation_Top::sig_creation_close, this, &Widget_Creation::on_creation_close);
    m_layoutTop->addWidget(m_top);
    right->addLayout(m_layoutTop);
    m_content = new Widget_Creation_Content(m_theme);
    m_content->setObjectName(QStringLiteral("widget_creation_content_origin"));
    m_content->setMinimumSize(0, 0);
    // A click on the strip of tabs and window buttons, or a drag of the
    // window by it, leaves the keys where the author writes.
    m_top->setFocusProxy(m_content->textEdit());
    right->addWidget(m_content, 1);
    columns->addLayout(right, 1);

    m_frameless = new NcFramelessHelper(this);
    m_frameless->setWidgetMovable(true);
    m_frameless->setWidgetResizable(true);
    m_frameless->activateOn(this);

    m_btnLockLeft = new QPushButton(m_bg);
    m_btnLockLeft->setObjectName(QStringLiteral("btnLockLeft"));
    m_btnLockLeft->setFixedSize(int(12 * scale), int(32 * scale));
    m_btnLockLeft->setCursor(Qt::PointingHandCursor);
    m_btnLockLeft->setCheckable(true);
    m_btnLockLeft->setChecked(true);
    m_btnLockLeft->hide();
    connect(m_btnLockLeft, &QPushButton::clicked, this, [this](bool checked) {
        if (CUiManager::instance()->isFullScreen()) {
            m_leftPinned = checked;
            if (checked)
                showLeftPane();
            else
                hideLeftPane();
            return;
        }
        m_leftVisible = checked;
        m_left->setVisible(checked);
        placeLockButton();
    });
    m_topAnimation = new QPropertyAnimation(m_top, "geometry", this);
    m_topAnimation->setDuration(200);
    m_leftAnimation = new QPropertyAnimation(m_left, "geometry", this);
    m_leftAnimation->setDuration(200);
    m_lockButtonAnimation = new QPropertyAnimation(m_btnLockLeft, "geometry", this);
    m_lockButtonAnimation->setDuration(200);
    m_leftGroup = new QParallelAnimationGroup(this);
    m_leftGroup->addAnimation(m_leftAnimation);
    m_leftGroup->addAnimation(m_lockButtonAnimation);
    connect(m_leftGroup, &QParallelAnimationGroup::finished, this, [this]() { m_btnLockLeft->setChecked(m_leftShown); });
    connect(m_content, &Widget_Creation_Content::sig_full_editing, this, &Widget_Creation::hideTopBar);
    m_content->textEdit()->viewport()->installEventFilter(this);
    m_tips = new Widget_ClientTips(this);
    m_tips->hide();
    m_content->textEdit()->setMouseTracking(true);
    // The model tells before and after it recycles or deletes what may be
    // open here; the editor's words are stored first, then the window moves on.
    CPublicManager* model = CPublicManager::instance();
    connect(model, &CPublicManager::sig_recordLeaving, this, &Widget_Creation::onRecordLeaving,
            Qt::DirectConnection);
    connect(model, &CPublicManager::sig_recordLeft, this, &Widget_Creation::onRecordLeft, Qt::DirectConnection);
    connect(m_content, &Widget_Creation_Content::sig_chapterLost, this, &Widget_Creation::leaveShownChapter);
    CQssManager::instance()->addShadowEffect(m_bg);
    changeSkin();
}

Widget_Creation::~Widget_Creation() = default;

T_Chapter* Widget_Creation::chapterToOpen(T_Book* book)
{
    if (book == nullptr)
        return nullptr;
    if (book->lastEditChapterId < 1)
        return book->chapterList.isEmpty() ? nullptr : book->chapterList.last();
    for (T_Chapter* chapter : book->chapterList)
        if (chapter->localId == book->lastEditChapterId)
            return chapter;
    for (T_Chapter* chapter : book->recycleChapterList)
        if (chapter->localId == book->lastEditChapterId)
            return chapter;
    return nullptr;
}

T_Book* Widget_Creation::currentBook() const
{
    return m_localBookId > 0 ? CPublicManager::instance()->findBookByLocalId(m_localBookId) : nullptr;
}

void Widget_Creation::setBook(T_Book* book)
{
    if (book == nullptr)
        return;
    // Words of the book shown before that could not be stored keep it open.
    if (!m_content->saveChapter(true))
        return;
    CPublicManager::instance()->userConf.curBookLocalId = book->localId;
    m_localBookId = book->localId;
    if (!book->chaptersLoaded)
        CJobManager::instance()->getChapters(book);
    m_top->resetTabs();
    T_Chapter* chapter = chapterToOpen(book);
    m_chapterPane->openBook(book, chapter);
    // The tree opens the chapter through the window manager; open it here
    // when that did not reach the editor (or there is no chapter to open).
    if (chapter == nullptr || m_content->currentChapterId() != chapter->localId)
        openChapter(book, chapter);
}

void Widget_Creation::openChapter(T_Book* book, T_Chapter* chapter)
{
    if (!m_content->showChapter(book, chapter, false)) {
        syncTabs();
        return;
    }
    if (chapter != nullptr && m_content->currentChapterId() == chapter->localId)
        m_top->setCurrentTab(chapter);
}

void Widget_Creation::selectChapter(T_Book* book, T_Chapter* chapter)
{
    if (chapter == nullptr || !m_top->openTab(chapter))
        return;
    if (!m_content->showChapter(book, chapter, false))
        syncTabs();
}

void Widget_Creation::syncTabs()
{
    if (T_Chapter* shown = m_content->currentChapter())
        m_top->setCurrentTab(shown);
}

void Widget_Creation::onRecordLeaving(int localBookId, int localChapterId, bool* stored)
{
    const int shown = m_content->currentChapterId();
    if (shown < 1 || m_content->currentBookId() != localBookId)
        return;
    if (localChapterId != 0 && localChapterId != shown)
        return;
    if (!m_content->saveChapter(true) && stored != nullptr)
        *stored = false;
}

void Widget_Creation::onRecordLeft(int localBookId, int localChapterId)
{
    if (localChapterId > 0)
        m_top->dropTab(localChapterId);
    if (m_content->currentBookId() != localBookId || m_content->currentBookId() < 1)
        return;
    if (localChapterId == 0) {
        if (currentBook() == nullptr)
            leaveShownBook();
        return;
    }
    if (localChapterId == m_content->currentChapterId())
        leaveShownChapter();
}

bool Widget_Creation::secureEditorText()
{
    if (!m_content->holdsUnsavedText() || m_content->saveChapter(true))
        return true;
    const QString path = TextRecovery::keepSomewhere(CPublicManager::instance()->userInfo.uid,
                                                     m_content->shownBookName(), m_content->shownChapterName(),
                                                     m_content->toPlainText());
    if (path.isEmpty())
        return false;
    CUiManager::instance()->showMessage(tr("The chapter's text could not be saved; it was kept in %1").arg(path), 0,
                                        8000);
    return true;
}

void Widget_Creation::leaveShownChapter()
{
    const int gone = m_content->currentChapterId();
    T_Book* book = m_content->currentBook();
    if (book == nullptr) {
        leaveShownBook();
        return;
    }
    // A recycled chapter still takes its words; one deleted cannot, and
    // what it held goes to a file instead.
    if (m_content->currentChapter() != nullptr && !m_content->saveChapter(true))
        return;
    if (!secureEditorText())
        return;
    m_content->dropChapter();
    m_top->dropTab(gone);
    T_Chapter* next = book->chapterList.isEmpty() ? nullptr : book->chapterList.last();
    if (next != nullptr) {
        // Through the tree, so that it marks the chapter too.
        CBookVolumeController::instance()->openChapter(next);
        if (m_content->currentChapterId() != next->localId)
            openChapter(book, next);
    }
    CUiManager::instance()->showMessage(tr("The chapter you were writing was moved to the recycle bin or deleted"), 2,
                                        3000);
}

void Widget_Creation::leaveShownBook()
{
    if (!secureEditorText())
        return;
    m_content->dropChapter();
    CUiManager* ui = CUiManager::instance();
    ui->closeCreation();
    ui->showMessage(tr("The book you were writing was moved to the recycle bin or deleted"), 2, 3000);
}

void Widget_Creation::renameChapterTab(int localChapterId, const QString& name)
{
    m_top->renameTab(localChapterId, name);
}

void Widget_Creation::showMessage(const QString& text, int kind, int msecs)
{
    if (m_tips == nullptr)
        return;
    m_tips->showTips(text, kind, msecs);
    m_tips->move((width() - m_tips->width()) / 2, int(66 * m_scale));
}

void Widget_Creation::getEditorText(QString& text) const
{
    text = m_content->toPlainText();
}

bool Widget_Creation::on_creation_close()
{
    if (!m_content->saveChapter(true) || !m_content->closeBook()) {
        CUiManager::instance()->showMessage(
            tr("The chapter could not be saved; the book stays open so that no word is lost"), 0, 3000);
        return false;
    }
    m_localBookId = 0;
    m_chapterPane->closeRecycleBin();
    return true;
}

void Widget_Creation::updateFullScreenLayout()
{
    const bool full = CUiManager::instance()->isFullScreen();
    if (full) {
        // The panes float outside the window's area and slide in at its edges.
        m_layoutMain->setContentsMargins(0, 0, 0, 0);
        m_frameless->setWidgetMovable(false);
        m_frameless->setWidgetResizable(false);
        m_layoutLeft->removeWidget(m_left);
        m_left->setParent(this);
        m_left->resize(m_left->width(), height());
        m_left->move(-m_left->width(), 0);
        m_left->show();
        m_left->raise();
        m_btnLockLeft->move(0, int(height() - 100 * m_scale));
        m_btnLockLeft->setChecked(false);
        m_leftPinned = false;
        m_layoutTop->removeWidget(m_top);
        m_top->setParent(this);
        m_top->resize(m_content->width(), m_top->height());
        m_top->move(-m_content->x(), -m_top->height());
        m_top->show();
        m_top->stackUnder(m_left);
    } else {
        m_layoutMain->setContentsMargins(QMargins() + 14);
        m_frameless->setWidgetMovable(true);
        m_frameless->setWidgetResizable(true);
        m_topAnimation->stop();
        if (m_top->parentWidget() == this) {
            m_top->setParent(m_theme);
            m_layoutTop->addWidget(m_top);
            m_top->show();
        }
        if (m_left->parentWidget() == this) {
            m_left->setParent(m_theme);
            m_layoutLeft->addWidget(m_left);
        }
        m_topShown = false;
        m_leftShown = false;
        m_btnLockLeft->setChecked(m_leftVisible);
        m_left->setVisible(m_leftVisible);
        placeLockButton();
    }
    m_top->updateWindowButtons();
    m_content->updateLockLabel();
    m_content->updateFloatingLayout();
}

bool Widget_Creation::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseMove && watched == m_content->textEdit()->viewport()
        && CUiManager::instance()->isFullScreen()) {
        const QPoint p = static_cast<QMouseEvent*>(event)->pos();
        const int w = width();
        const int h = height();
        const QRect top(0, 0, w, int(10 * m_scale));
        const QRect left(0, int(10 * m_scale), int(20 * m_scale), h);
        const QRect right(m_left->width(), int(10 * m_scale), w - m_left->width(), h);
        const QRect lockZone(0, int(h - 100 * m_scale), int(44 * m_scale), int(100 * m_scale));
        if (!m_topShown && top.contains(p)) {
            m_topAnimation->setStartValue(QRect(QPoint(0, int(-48 * m_scale)), QPoint(w - 1, int(48 * m_scale) - 1)));
            m_topAnimation->setEndValue(QRect(0, 0, w, int(48 * m_scale)));
            m_topAnimation->start();
            m_topShown = true;
        }
        if (!lockZone.contains(p)) {
            if (!m_leftShown && left.contains(p))
                showLeftPane();
            else if (!m_leftPinned && m_leftShown && right.contains(p))
                hideLeftPane();
        }
    }
    return QWidget::eventFilter(watched, event);
}

void Widget_Creation::hideTopBar()
{
    if (!m_topShown)
        return;
    m_topAnimation->setStartValue(m_top->geometry());
    m_topAnimation->setEndValue(QRect(0, -m_top->height(), width(), m_top->height()));
    m_topAnimation->start();
    m_topShown = false;
}

void Widget_Creation::showLeftPane()
{
    m_left->raise();
    QRect target = m_left->geometry();
    target.moveTopLeft(QPoint(0, 0));
    m_leftAnimation->setStartValue(m_left->geometry());
    m_leftAnimation->setEndValue(target);
    const QRect button(QPoint(m_left->width(), height() - 100), m_btnLockLeft->size());
    QRect from = button;
    from.moveLeft(0);
    m_lockButtonAnimation->setStartValue(from);
    m_lockButtonAnimation->setEndValue(button);
    m_leftGroup->start();
    m_leftShown = true;
}

void Widget_Creation::hideLeftPane()
{
    m_leftAnimation->setStartValue(m_left->geometry());
    m_leftAnimation->setEndValue(QRect(-m_left->width(), 0, m_left->width(), height()));
    QRect to = m_btnLockLeft->geometry();
    to.moveLeft(0);
    m_lockButtonAnimation->setStartValue(m_btnLockLeft->geometry());
    m_lockButtonAnimation->setEndValue(to);
    m_leftGroup->start();
    m_leftShown = false;
}

void Widget_Creation::placeLockButton()
{
    const int margin = m_layoutMain->contentsMargins().left();
    m_btnLockLeft->move(margin + (m_btnLockLeft->isChecked() ? m_left->width() : 0), int(height() - 100 * m_scale));
}

void Widget_Creation::changeSkin()
{
    const int style = CQssManager::instance()->currentStyleType();
    if (style == 16) {
        m_theme->loadPixmap(appDirPath() + QStringLiteral("/data/img/theme.png"));
        m_btnLockLeft->setWindowOpacity(0.3);
    } else if (style == 8) {
        m_theme->loadPixmap(QStringLiteral(":/res/common/parchment.png"));
        m_btnLockLeft->setWindowOpacity(0.3);
    } else {
        m_btnLockLeft->setWindowOpacity(1.0);
    }
}

void Widget_Creation::keyPressEvent(QKeyEvent* event)
{
    CUiManager* ui = CUiManager::instance();
    if (ui->isFullScreen() && event->key() == Qt::Key_Escape && !ui->isLocked())
        ui->setWindowFullScreen(false);
    if (event->modifiers() == Qt::ControlModifier)
        emit ui->sig_Creation_HotKey_Press(event);
    else if (event->modifiers() == Qt::NoModifier && event->key() >= Qt::Key_F1 && event->key() <= Qt::Key_F12)
        emit ui->sig_Creation_HotKey_Press(event);
    QWidget::keyPressEvent(event);
}

void Widget_Creation::storeGeometry()
{
    // Only a normal window's geometry is the one to come back to: a window
    // filling the screen (size mode 2) or in full screen would replace it.
    if (CPublicManager::instance()->userInfo.windowSize != 1 || CUiManager::instance()->isFullScreen()
        || isMaximized())
        return;
    setProperty("CG", geometry());
}

void Widget_Creation::resizeEvent(QResizeEvent* event)
{
    m_tips->move((width() - m_tips->width()) / 2, int(66 * m_scale));
    const int margin = m_layoutMain->contentsMargins().left();
    m_btnLockLeft->move(m_btnLockLeft->isChecked() ? margin + m_left->width() : margin, int(height() - 100 * m_scale));
    m_btnLockLeft->show();
    m_btnLockLeft->raise();
    storeGeometry();
    QWidget::resizeEvent(event);
}

void Widget_Creation::moveEvent(QMoveEvent* event)
{
    storeGeometry();
    QWidget::moveEvent(event);
}

void Widget_Creation::closeEvent(QCloseEvent* event)
{
    CUiManager* ui = CUiManager::instance();
    event->ignore();
    if (ui->isLocked()) {
        ui->showError(tr("Currently locked"), 1000);
        return;
    }
    // Whoever asks (the window manager's close, Alt+F4, a task bar), the
    // window goes as the author chose: to the tray, or the program quits as
    // the bookshelf's × quits it. A quit stores the words itself, or keeps
    // them in a file; to the tray, the words typed since the last save go to
    // the database first, and the window stays while they cannot.
    if (CPublicManager::instance()->userConf.systemConf.isTray != 0 && !m_content->saveChapter(true)) {
        ui->showMessage(tr("The chapter could not be saved; the book stays open so that no word is lost"), 0, 3000);
        return;
    }
    ui->closeWindow();
}

void Widget_Creation::showEvent(QShowEvent* event)
{
    setAttribute(Qt::WA_Mapped);
    QWidget::showEvent(event);
    // The tool bar's boxes take the width their values need once shown; a
    // window narrower than the tool bar would lay its buttons over the boxes.
    if (layout() != nullptr) {
        const int needed = layout()->minimumSize().width();
        if (needed > minimumWidth())
            setMinimumWidth(needed);
        if (width() < needed && !isFullScreen() && !isMaximized())
            resize(needed, height());
    }
}

void Widget_Creation::showSensitiveWords(int treatment)
{
    m_content->showSensitiveWords(treatment);
}
