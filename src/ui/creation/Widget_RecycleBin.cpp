#include "Widget_RecycleBin.h"

#include "ChapterListDelegate.h"
#include "ChapterListModel.h"
#include "common/DPIAdapter.h"
#include "common/ServerClock.h"
#include "common/Utility.h"
#include "db/records/T_Book.h"
#include "manager/CJobManager.h"
#include "manager/CQssManager.h"
#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"
#include "remote/records/ChapterRecords.h"
#include "ui/common/CBaseTitleBar.h"
#include "ui/common/DialogKeys.h"
#include "ui/common/NcFramelessHelper.h"
#include "volume/CBookVolumeController.h"

#include <QAction>
#include <QApplication>
#include <QDebug>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QStackedWidget>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTextFrame>
#include <QVBoxLayout>

namespace {
constexpr qint64 kKeepSeconds = 2592000;  // 30 days in the bin
constexpr qint64 kDaySeconds = 86400;
}

Widget_RecycleBin::Widget_RecycleBin(QWidget* parent)
    : QWidget(parent),
      m_ui(CUiManager::instance()),
      m_jobs(CJobManager::instance()),
      m_scale(DPIAdapter::instance()->scale())
{
    buildForm();
    DPIAdapter::instance()->adaptWidget(m_inner);
    setWindowFlags(windowFlags() | Qt::Dialog | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground, true);
    CQssManager::instance()->addShadowEffect(m_inner);
    auto* frameless = new NcFramelessHelper(this);
    frameless->setWidgetMovable(true);
    frameless->setWidgetResizable(false);
    frameless->activateOn(this);

    m_model = new ChapterListModel(this);
    m_delegate = new ChapterListDelegate(m_list);
    m_delegate->setMode(7);
    m_list->setModel(m_model);
    m_list->setItemDelegate(m_delegate);
    m_list->viewport()->installEventFilter(m_delegate);
    m_list->setMouseTracking(true);

    m_menu = new QMenu(this);
    m_menu->setMinimumWidth(static_cast<int>(136 * m_scale));
    m_menu->setWindowFlags(m_menu->windowFlags() | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint);
    m_menu->setAttribute(Qt::WA_TranslucentBackground, true);
    m_deleteAction = m_menu->addAction(tr("Delete"));
    m_recoverAction = m_menu->addAction(tr("Recover"));
    m_menu->addSeparator();
    m_deleteAllAction = m_menu->addAction(tr("Delete All"));
    m_recoverAllAction = m_menu->addAction(tr("Recover All"));
    connect(m_deleteAction, &QAction::triggered, this, &Widget_RecycleBin::deleteCurrent);
    connect(m_recoverAction, &QAction::triggered, this, &Widget_RecycleBin::recoverCurrent);
    connect(m_deleteAllAction, &QAction::triggered, this, &Widget_RecycleBin::deleteAll);
    connect(m_recoverAllAction, &QAction::triggered, this, &Widget_RecycleBin::recoverAll);
    connect(CPublicManager::instance(), &CPublicManager::sig_binChanged, this, &Widget_RecycleBin::followBin);
    updateActions();

    connect(m_delegate, &ChapterListDelegate::sig_onMousePressedByLeftBtn, this,
            &Widget_RecycleBin::onMousePressedByLeftBtn);
    connect(m_delegate, &ChapterListDelegate::sig_onMousePressedByRightBtn, this,
            &Widget_RecycleBin::onMousePressedByRightBtn);
    connect(m_titleBar, &CBaseTitleBar::sig_close, this, &Widget_RecycleBin::closeBin);
    DialogKeys::setUp(this, m_list);
    // A bin that fills again while open hands the keys back to its list.
    DialogKeys::setUpPage(this, m_listPage, m_list);
}

Widget_RecycleBin::~Widget_RecycleBin() = default;

void Widget_RecycleBin::buildForm()
{
    setObjectName(QStringLiteral("Widget_RecycleBin"));
    setFixedSize(static_cast<int>(828 * m_scale), static_cast<int>(556 * m_scale));
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(10, 10, 10, 10);
    outer->setSpacing(0);

    m_inner = new QWidget(this);
    m_inner->setObjectName(QStringLiteral("CommonWidgetBg"));
    m_inner->setAttribute(Qt::WA_StyledBackground, true);
    outer->addWidget(m_inner);
    auto* innerLayout = new QVBoxLayout(m_inner);
    innerLayout->setContentsMargins(0, 0, 0, 0);
    innerLayout->setSpacing(0);

    m_titleBar = new CBaseTitleBar(m_inner);
    m_titleBar->setObjectName(QStringLiteral("widgetTitle"));
    m_titleBar->setFixedHeight(static_cast<int>(46 * m_scale));
    m_titleBar->setTitle(tr("Chapter Recyclebin"));
    innerLayout->addWidget(m_titleBar);

    m_stack = new QStackedWidget(m_inner);
    m_stack->setObjectName(QStringLiteral("stackedWidget"));
    innerLayout->addWidget(m_stack);

    m_listPage = new QWidget(m_stack);
    m_listPage->setObjectName(QStringLiteral("page"));
    auto* row = new QHBoxLayout(m_listPage);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    m_list = new QListView(m_listPage);
    m_list->setObjectName(QStringLiteral("recycle_listview"));
    m_list->setFixedWidth(static_cast<int>(180 * m_scale));
    m_list->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setSpacing(0);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    row->addWidget(m_list);
    auto* line = new QWidget(m_listPage);
    line->setObjectName(QStringLiteral("CommonLine"));
    line->setAttribute(Qt::WA_StyledBackground, true);
    line->setFixedWidth(1);
    row->addWidget(line);

    auto* column = new QVBoxLayout();
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    auto* info = new QWidget(m_listPage);
    info->setObjectName(QStringLiteral("widget_recycle_info"));
    info->setFixedHeight(static_cast<int>(66 * m_scale));
    auto* grid = new QGridLayout(info);
    grid->setContentsMargins(20, 10, 0, 10);
    m_volumeName = new QLabel(info);
    m_volumeName->setObjectName(QStringLiteral("label_volumeName"));
    // The author's words, like the chapter text below.
    m_volumeName->setTextFormat(Qt::PlainText);
    m_wordCount = new QLabel(info);
    m_wordCount->setObjectName(QStringLiteral("label_wordCount"));
    m_wordCount->setMinimumWidth(static_cast<int>(60 * m_scale));
    m_wordCount->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_createTime = new QLabel(info);
    m_createTime->setObjectName(QStringLiteral("label_creatTime"));
    m_dateTime = new QLabel(info);
    m_dateTime->setObjectName(QStringLiteral("label_DateTime"));
    grid->addWidget(m_volumeName, 0, 0, 1, 4);
    grid->addWidget(m_wordCount, 1, 0);
    grid->addWidget(m_createTime, 1, 1);
    grid->addWidget(m_dateTime, 1, 2);
    grid->setColumnStretch(3, 1);
    column->addWidget(info);
    m_text = new QTextBrowser(m_listPage);
    m_text->setObjectName(QStringLiteral("textEdit_recycle"));
    m_text->setContextMenuPolicy(Qt::NoContextMenu);
    m_text->document()->rootFrame()->setFrameFormat([this]() {
        QTextFrameFormat format = m_text->document()->rootFrame()->frameFormat();
        format.setMargin(12);
        return format;
    }());
    column->addWidget(m_text);
    row->addLayout(column);
    m_stack->addWidget(m_listPage);

    m_emptyPage = new QWidget(m_stack);
    m_emptyPage->setObjectName(QStringLiteral("page_2"));
    auto* empty = new QVBoxLayout(m_emptyPage);
    empty->addStretch(1);
    auto* pixmap = new QLabel(m_emptyPage);
    pixmap->setObjectName(QStringLiteral("labelPixmap"));
    pixmap->setFixedSize(static_cast<int>(175 * m_scale), static_cast<int>(175 * m_scale));
    empty->addWidget(pixmap, 0, Qt::AlignHCenter);
    auto* explain = new QLabel(QStringLiteral("这里还没有内容哦"), m_emptyPage);
    explain->setObjectName(QStringLiteral("labelExplain"));
    explain->setAlignment(Qt::AlignCenter);
    empty->addWidget(explain, 0, Qt::AlignHCenter);
    empty->addStretch(1);
    m_stack->addWidget(m_emptyPage);
}

int Widget_RecycleBin::daysLeft(qint64 recycleTime, qint64 now)
{
    const qint64 rest = kKeepSeconds - (now - recycleTime);
    qint64 days = rest / kDaySeconds;
    if (rest % kDaySeconds != 0)
        ++days;
    return static_cast<int>(days);
}

T_Book* Widget_RecycleBin::book() const
{
    return m_localBookId > 0 ? CPublicManager::instance()->findBookByLocalId(m_localBookId) : nullptr;
}

T_Chapter* Widget_RecycleBin::recycledChapter(int localChapterId) const
{
    // A chapter restored meanwhile (here or on another device) is not in the
    // bin, whatever row still names it: nothing here acts on it.
    const T_Book* shown = book();
    if (shown == nullptr || localChapterId < 1)
        return nullptr;
    for (T_Chapter* chapter : shown->recycleChapterList) {
        if (chapter->localId == localChapterId)
            return chapter->status == 0 ? chapter : nullptr;
    }
    return nullptr;
}

T_Chapter* Widget_RecycleBin::currentChapter() const
{
    return recycledChapter(m_localChapterId);
}

void Widget_RecycleBin::followBin(int localBookId)
{
    if (m_localBookId < 1 || localBookId != m_localBookId)
        return;
    T_Book* shown = book();
    const int shownChapter = m_localChapterId;
    m_model->loadBook(shown, true);
    if (shown == nullptr || shown->recycleChapterList.isEmpty()) {
        showEmptyPage();
        return;
    }
    m_stack->setCurrentWidget(m_listPage);
    T_Chapter* chapter = recycledChapter(shownChapter);
    if (chapter == nullptr) {
        // What the author looked at left the bin: no other chapter is chosen
        // in its place, so that a delete meant for it cannot hit another.
        m_localChapterId = 0;
        clearDetails();
        m_list->setCurrentIndex(QModelIndex());
        updateActions();
        return;
    }
    // Still here: its text may have changed elsewhere.
    selectChapter(chapter);
}

void Widget_RecycleBin::updateActions()
{
    const T_Book* shown = book();
    const bool any = shown != nullptr && !shown->recycleChapterList.isEmpty();
    m_deleteAction->setEnabled(currentChapter() != nullptr);
    m_recoverAction->setEnabled(currentChapter() != nullptr);
    m_deleteAllAction->setEnabled(any);
    m_recoverAllAction->setEnabled(any);
}

void Widget_RecycleBin::loadBook(T_Book* book)
{
    clearDetails();
    repaint();
    m_localBookId = book ? book->localId : 0;
    m_localChapterId = 0;
    if (book == nullptr)
        return;
    m_model->loadBook(book, true);
    if (!book->recycleChapterList.isEmpty()) {
        showDetails(book->recycleChapterList.first());
        m_list->setCurrentIndex(m_model->index(0));
        m_stack->setCurrentWidget(m_listPage);
    } else {
        m_stack->setCurrentWidget(m_emptyPage);
    }
    updateActions();
}

void Widget_RecycleBin::clearDetails()
{
    m_volumeName->setText(QString());
    m_wordCount->setText(QString());
    m_createTime->setText(QString());
    m_dateTime->setText(QString());
    m_text->clear();
}

void Widget_RecycleBin::showDetails(T_Chapter* chapter)
{
    m_localChapterId = chapter ? chapter->localId : 0;
    updateActions();
    if (chapter == nullptr)
        return;
    if (!chapter->contentLoaded && !m_jobs->getChapterContent(chapter))
        qWarning() << "recycled chapter text not read" << chapter->localId;
    m_createTime->setText(tr("creatTime:%1").arg(timeToString(static_cast<quint32>(chapter->createTime))));
    m_wordCount->setText(tr("%1wordCount").arg(chapter->content.length()));
    m_dateTime->setText(tr("lastDay:%1").arg(daysLeft(chapter->recycleTime, currentServerTime())));
    QString html;
    CUiManager::chapterToHtml(chapter->content, html, static_cast<int>(14 * m_scale), static_cast<int>(24 * m_scale),
                              static_cast<int>(25 * m_scale), static_cast<int>(16 * m_scale));
    m_text->setHtml(html);
    if (const T_Book* shown = book()) {
        if (const T_Volume* volume = shown->findVolumeByLocalId(chapter->localVolumeId))
            m_volumeName->setText(volume->volumeName);
    }
}

T_Chapter* Widget_RecycleBin::neighbourOf(const T_Chapter* chapter) const
{
    const T_Book* shown = book();
    if (shown == nullptr || chapter == nullptr)
        return nullptr;
    const QList<T_Chapter*>& list = shown->recycleChapterList;
    const int n = list.size();
    const int i = list.indexOf(const_cast<T_Chapter*>(chapter));
    if (i < 0 || n < 2)
        return nullptr;
    return i < n - 1 ? list.at(i + 1) : list.at(i - 1);
}

void Widget_RecycleBin::selectChapter(T_Chapter* chapter)
{
    const T_Book* shown = book();
    const int row = shown ? shown->recycleChapterList.indexOf(chapter) : -1;
    m_list->setCurrentIndex(m_model->index(row));
    showDetails(chapter);
}

void Widget_RecycleBin::showEmptyPage()
{
    m_localChapterId = 0;
    clearDetails();
    m_stack->setCurrentWidget(m_emptyPage);
    updateActions();
}

void Widget_RecycleBin::onMousePressedByLeftBtn(int localChapterId)
{
    if (T_Chapter* chapter = recycledChapter(localChapterId))
        showDetails(chapter);
}

void Widget_RecycleBin::onMousePressedByRightBtn(int localChapterId, int row)
{
    Q_UNUSED(row)
    T_Chapter* chapter = recycledChapter(localChapterId);
    if (chapter == nullptr)
        return;
    showDetails(chapter);
    m_ui->moveToCursor(m_menu, 0);
    m_menu->show();
}

bool Widget_RecycleBin::deleteForGood(int localChapterId)
{
    TC_Chapter_Delete request;
    request.header.localBookId = m_localBookId;
    request.header.localChapterId = localChapterId;
    request.updateTime = static_cast<int>(currentServerTime());
    if (m_jobs->chapter_delete(request))
        return true;
    qWarning() << "recycled chapter not deleted" << localChapterId << m_jobs->lastError();
    m_deleteRefused = m_deleteRefused || m_jobs->lastRefusedByStore();
    return false;
}

void Widget_RecycleBin::deleteCurrent()
{
    T_Chapter* chapter = currentChapter();
    if (chapter == nullptr)
        return;
    const int localChapterId = chapter->localId;
    const bool writtenElsewhere = chapter->writtenInBin;
    const T_Chapter* neighbour = neighbourOf(chapter);
    const int neighbourId = neighbour ? neighbour->localId : 0;
    // Deleting can move the writing window on; records are looked up again after it.
    m_deleteRefused = false;
    if (!deleteForGood(localChapterId)) {
        // Kept once for the words written in it elsewhere: the reason is shown.
        if (m_deleteRefused)
            m_ui->tellRefusedChange(tr("The chapter could not be deleted; it stays in the recycle bin."));
        else if (writtenElsewhere && recycledChapter(localChapterId) != nullptr)
            m_ui->showError(m_jobs->lastError(), 8000);
        return;
    }
    clearDetails();
    m_model->removeItem(localChapterId);
    T_Chapter* next = recycledChapter(neighbourId);
    if (next == nullptr) {
        showEmptyPage();
        return;
    }
    selectChapter(next);
}

void Widget_RecycleBin::recoverCurrent()
{
    clearDetails();
    T_Book* shown = book();
    T_Chapter* chapter = currentChapter();
    if (chapter == nullptr || shown == nullptr || !shown->recycleChapterList.contains(chapter))
        return;
    // Its row in the list without the recovered chapter, read while the
    // chapter is still in the bin.
    T_Chapter* neighbour = neighbourOf(chapter);
    int row = neighbour ? shown->recycleChapterList.indexOf(neighbour) : -1;
    if (row > shown->recycleChapterList.indexOf(chapter))
        --row;
    const int localChapterId = chapter->localId;
    if (!CBookVolumeController::instance()->restoreChapter(shown, chapter)) {
        qDebug() << "chapter restore not applied; it stays in the bin" << localChapterId;
        m_ui->tellRefusedChange(tr("The chapter could not be restored; it stays in the recycle bin."));
        loadBook(book());
        if (T_Chapter* kept = recycledChapter(localChapterId))
            selectChapter(kept);
        return;
    }
    m_model->removeItem(localChapterId);
    if (neighbour) {
        m_list->setCurrentIndex(m_model->index(row));
        showDetails(neighbour);
    } else {
        showEmptyPage();
    }
}

void Widget_RecycleBin::deleteAll()
{
    clearDetails();
    m_model->clear();
    resetView();
    // The bin showed none of the texts: chapters written in elsewhere since
    // they came here are kept once, and named.
    QStringList kept;
    QString reason;
    m_deleteRefused = false;
    if (book() != nullptr) {
        QList<int> ids;
        for (const T_Chapter* chapter : qAsConst(book()->recycleChapterList))
            ids.append(chapter->localId);
        for (int localChapterId : qAsConst(ids)) {
            const T_Chapter* chapter = recycledChapter(localChapterId);
            const bool writtenElsewhere = chapter != nullptr && chapter->writtenInBin;
            const QString name = chapter ? chapter->name : QString();
            if (deleteForGood(localChapterId))
                continue;
            // The database takes none of the others either.
            if (m_deleteRefused)
                break;
            if (writtenElsewhere && recycledChapter(localChapterId) != nullptr) {
                kept.append(tr("\"%1\"").arg(name));
                reason = m_jobs->lastError();
            }
        }
    }
    if (m_deleteRefused)
        m_ui->tellRefusedChange(tr("Some chapters could not be deleted; they stay in the recycle bin."));
    else if (kept.size() == 1)
        m_ui->showError(reason, 8000);
    else if (kept.size() > 1)
        m_ui->showError(tr("%1 were written in on another device after they went to the recycle bin; they are "
                           "kept. Delete them again to delete them for good.")
                            .arg(kept.join(tr(", "))),
                        8000);
    // What could not be deleted is listed again.
    if (T_Book* shown = book(); shown != nullptr && !shown->recycleChapterList.isEmpty()) {
        loadBook(shown);
        return;
    }
    showEmptyPage();
}

void Widget_RecycleBin::recoverAll()
{
    clearDetails();
    m_model->clear();
    resetView();
    if (T_Book* shown = book()) {
        // The list shrinks with each restore; a chapter the restore refuses
        // stays where it is, so the walk goes by position.
        const QList<T_Chapter*> chapters = shown->recycleChapterList;
        for (T_Chapter* chapter : chapters) {
            if (CBookVolumeController::instance()->restoreChapter(shown, chapter))
                continue;
            qDebug() << "chapter restore not applied; it stays in the bin" << chapter->localId;
            // The database takes none of the others either.
            if (m_ui->tellRefusedChange(tr("Some chapters could not be restored; they stay in the recycle bin.")))
                break;
        }
    }
    // What could not be restored is listed again.
    if (T_Book* shown = book(); shown != nullptr && !shown->recycleChapterList.isEmpty()) {
        loadBook(shown);
        return;
    }
    showEmptyPage();
}

void Widget_RecycleBin::closeBin()
{
    clearDetails();
    m_model->clear();
    resetView();
    close();
}

void Widget_RecycleBin::resetView()
{
    // The model was emptied without notice; a fresh attachment makes the view
    // and its selection forget the old rows.
    m_list->setModel(nullptr);
    m_list->setModel(m_model);
}

void Widget_RecycleBin::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    m_list->viewport()->update();
    QApplication::processEvents();
}
