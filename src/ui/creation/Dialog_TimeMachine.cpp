#include "Dialog_TimeMachine.h"

#include "Widget_CompareHint.h"
#include "common/DPIAdapter.h"
#include "common/ServerClock.h"
#include "common/StyleType.h"
#include "common/Utility.h"
#include "common/WorkerThreads.h"
#include "db/records/T_Book.h"
#include "db/records/T_Chapter_TimeMachineItem.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "manager/CQssManager.h"
#include "manager/CUiManager.h"
#include "remote/records/ChapterRecords.h"
#include "ui/common/CBaseTitleBar.h"
#include "ui/common/DialogKeys.h"
#include "ui/common/NcFramelessHelper.h"
#include "ui/creation/Widget_Creation_Content.h"

#include <QDebug>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QItemSelectionModel>
#include <QListView>
#include <QPushButton>
#include <QStackedWidget>
#include <QStringListModel>
#include <QTextDocument>
#include <QThread>
#include <QTimer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QScreen>
#include <QTextBrowser>
#include <QVBoxLayout>

#include <cmath>
#include <functional>

Dialog_TimeMachine::Dialog_TimeMachine(T_Chapter* chapter, QWidget* parent)
    : QDialog(parent),
      m_localBookId(chapter ? chapter->localBookId : 0),
      m_localChapterId(chapter ? chapter->localId : 0),
      m_jobs(CJobManager::instance()),
      m_ui(CUiManager::instance()),
      m_qss(CQssManager::instance()),
      m_scale(DPIAdapter::instance()->scale())
{
    buildForm();
    m_currentIndex = -1;
    readVersions();
    // The chapter list is read without texts; compare with the stored one.
    if (chapter && !chapter->contentLoaded && !m_jobs->getChapterContent(chapter))
        qWarning() << "time machine: chapter text not read" << chapter->localId;
    initUI();

    connect(m_titleBar, &CBaseTitleBar::sig_close, this, &QDialog::accept);
    connect(m_btnRestore, &QPushButton::clicked, this, &Dialog_TimeMachine::restoreVersion);
    connect(m_jobs, &CJobManager::chapterVersionsChanged, this, &Dialog_TimeMachine::onVersionsChanged);

    m_hint = new Widget_CompareHint(this);
    m_hint->hide();

    m_fillTimer = new QTimer(this);
    m_fillTimer->setSingleShot(true);
    m_fillTimer->setInterval(0);
    connect(m_fillTimer, &QTimer::timeout, this, &Dialog_TimeMachine::fillViews);

    m_model = new QStringListModel(this);
    m_list->setModel(m_model);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setMouseTracking(true);
    // A version is chosen with a click or with the arrow keys alike.
    connect(m_list->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { onRowChosen(current.row()); });
    // The keys start in the list; Enter restores the version chosen there.
    DialogKeys::setUp(this, m_list, m_btnRestore);
    DialogKeys::setUpPage(this, m_page, m_list, m_btnRestore);
    // Its hint shows on hover; Enter on it restores, as anywhere else here.
    DialogKeys::setLink(m_btnTips);
}

Dialog_TimeMachine::~Dialog_TimeMachine()
{
    qDeleteAll(m_versions);
}

void Dialog_TimeMachine::clearVersions()
{
    m_labels.clear();
    qDeleteAll(m_versions);
    m_versions.clear();
}

void Dialog_TimeMachine::readVersions()
{
    clearVersions();
    // Only the list: a version's text (a long chapter each) is read when it
    // is compared or restored.
    if (m_localChapterId > 0 && m_jobs->getContentBlades(m_localChapterId, m_versions, false)) {
        for (const T_Chapter_TimeMachineItem* item : qAsConst(m_versions))
            m_labels.append(timeToString(static_cast<quint32>(item->createTime)));
    }
}

void Dialog_TimeMachine::onVersionsChanged(int localChapterId)
{
    if (localChapterId != m_localChapterId)
        return;
    const int chosen = m_currentIndex >= 0 && m_currentIndex < m_versions.size() ? m_versions.at(m_currentIndex)->localId
                                                                                  : 0;
    readVersions();
    // Out of sight with the program's windows, the chosen row still names
    // the version a restore takes.
    if (m_listed)
        showVersions(chosen);
}

void Dialog_TimeMachine::showVersions(int chosenLocalId)
{
    m_currentIndex = -1;
    if (m_labels.isEmpty()) {
        m_model->setStringList({});
        m_stack->setCurrentWidget(m_emptyPage);
        return;
    }
    m_stack->setCurrentWidget(m_page);
    // Filling the model forgets the chosen row without a signal; choosing it
    // again compares it.
    m_model->setStringList(m_labels);
    int row = 0;
    for (int i = 0; i < m_versions.size(); ++i) {
        if (m_versions.at(i)->localId == chosenLocalId)
            row = i;
    }
    m_list->setCurrentIndex(m_model->index(row));
}

void Dialog_TimeMachine::buildForm()
{
    setObjectName(QStringLiteral("Dialog_TimeMachine"));
    // Lengths below are given at 100 %.
    auto px = [this](int length) { return static_cast<int>(length * m_scale); };
    QSize size(px(1100), px(800));
    if (QScreen* screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size());
    setFixedSize(size);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(10, 10, 10, 10);
    m_background = new QWidget(this);
    m_background->setObjectName(QStringLiteral("Dialog_TimeMachine_Bg"));
    m_background->setAttribute(Qt::WA_StyledBackground, true);
    outer->addWidget(m_background);
    auto* bgLayout = new QVBoxLayout(m_background);
    bgLayout->setContentsMargins(0, 0, 0, 0);
    bgLayout->setSpacing(0);

    m_titleBar = new CBaseTitleBar(m_background);
    m_titleBar->setObjectName(QStringLiteral("widgetTitle"));
    m_titleBar->setFixedHeight(px(38));
    bgLayout->addWidget(m_titleBar);

    m_stack = new QStackedWidget(m_background);
    m_stack->setObjectName(QStringLiteral("stackedWidget"));
    bgLayout->addWidget(m_stack);

    m_page = new QWidget(m_stack);
    m_page->setObjectName(QStringLiteral("page"));
    auto* columns = new QHBoxLayout(m_page);
    columns->setContentsMargins(0, 0, 0, 0);
    columns->setSpacing(0);

    auto header = [this, px](const QString& name, const QMargins& margins) {
        auto* w = new QWidget(m_page);
        w->setObjectName(name);
        w->setFixedHeight(px(40));
        auto* row = new QHBoxLayout(w);
        row->setContentsMargins(margins);
        return qMakePair(w, row);
    };

    auto* left = new QVBoxLayout();
    left->setSpacing(0);
    auto t1 = header(QStringLiteral("widgetT1"), QMargins(20, 0, 0, 0));
    m_labelCount = new QLabel(QStringLiteral("版本列表（0/0）"), t1.first);
    m_labelCount->setObjectName(QStringLiteral("labelCount"));
    t1.second->addWidget(m_labelCount);
    left->addWidget(t1.first);
    m_list = new QListView(m_page);
    m_list->setObjectName(QStringLiteral("listView"));
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    left->addWidget(m_list);
    columns->addLayout(left);

    auto* middle = new QVBoxLayout();
    middle->setSpacing(0);
    auto t2 = header(QStringLiteral("widgetT2"), QMargins(20, 0, 30, 0));
    auto* label2 = new QLabel(QStringLiteral("历史版本"), t2.first);
    label2->setObjectName(QStringLiteral("label_2"));
    t2.second->addWidget(label2);
    t2.second->addStretch(1);
    m_btnRestore = new QPushButton(QStringLiteral("恢复此版本"), t2.first);
    m_btnRestore->setObjectName(QStringLiteral("btnRestore"));
    // As wide as its words and icon need, never narrower than designed.
    m_btnRestore->setFixedHeight(px(26));
    m_btnRestore->setMinimumWidth(px(86));
    m_btnRestore->setCursor(Qt::PointingHandCursor);
    m_btnRestore->setIconSize(QSize(14, 14));
    t2.second->addWidget(m_btnRestore);
    middle->addWidget(t2.first);
    m_versionText = new QTextBrowser(m_page);
    m_versionText->setObjectName(QStringLiteral("text_blade_content"));
    middle->addWidget(m_versionText);
    columns->addLayout(middle, 1);

    auto* right = new QVBoxLayout();
    right->setSpacing(0);
    auto t3 = header(QStringLiteral("widgetT3"), QMargins(20, 0, 0, 0));
    t3.second->setSpacing(6);
    auto* label3 = new QLabel(QStringLiteral("当前版本"), t3.first);
    label3->setObjectName(QStringLiteral("label_3"));
    t3.second->addWidget(label3);
    m_btnTips = new QPushButton(t3.first);
    m_btnTips->setObjectName(QStringLiteral("btnTips"));
    m_btnTips->setFixedSize(px(18), px(18));
    m_btnTips->setCursor(Qt::PointingHandCursor);
    t3.second->addWidget(m_btnTips);
    t3.second->addStretch(1);
    right->addWidget(t3.first);
    m_currentText = new QTextBrowser(m_page);
    m_currentText->setObjectName(QStringLiteral("text_blade_current_content"));
    right->addWidget(m_currentText);
    columns->addLayout(right, 1);
    m_stack->addWidget(m_page);

    m_emptyPage = new QWidget(m_stack);
    m_emptyPage->setObjectName(QStringLiteral("page_2"));
    auto* empty = new QVBoxLayout(m_emptyPage);
    empty->setSpacing(20);
    empty->setContentsMargins(0, 0, 0, 20);
    empty->addStretch(1);
    auto* pixmap = new QLabel(m_emptyPage);
    pixmap->setObjectName(QStringLiteral("labelPixmap"));
    pixmap->setFixedSize(px(175), px(175));
    empty->addWidget(pixmap, 0, Qt::AlignHCenter);
    // Two lines of their own: a wrapped label in a centring layout is given
    // the height of one line and loses the second.
    auto* explain = new QLabel(QStringLiteral("这里还没有内容哦\n时光机需要在联网情况下使用"), m_emptyPage);
    explain->setObjectName(QStringLiteral("labelExplain"));
    explain->setAlignment(Qt::AlignCenter);
    empty->addWidget(explain, 0, Qt::AlignHCenter);
    empty->addStretch(1);
    m_stack->addWidget(m_emptyPage);
    m_stack->setCurrentWidget(m_page);
}

void Dialog_TimeMachine::initUI()
{
    setAttribute(Qt::WA_TranslucentBackground, true);
    auto* frameless = new NcFramelessHelper(this);
    frameless->setWidgetMovable(true);
    frameless->setWidgetResizable(false);
    frameless->activateOn(this);
    m_qss->addShadowEffect(m_background);
    m_background->setObjectName(QStringLiteral("CommonWidgetBg"));
    m_titleBar->setTitle(tr("Time Machine"));

    const int style = m_qss->currentStyleType();
    QString icon;
    if (style == StyleLight || style == StyleKraft || style == StyleCustom)
        icon = QStringLiteral(":/res/skin/light/creation/btn_refresh.png");
    else if (style & StyleDark)
        icon = QStringLiteral(":/res/skin/dark/creation/btn_refresh.png");
    else if (style == StyleGreen)
        icon = QStringLiteral(":/res/skin/green/creation/btn_refresh.png");
    if (!icon.isEmpty())
        m_btnRestore->setIcon(QIcon(icon));

    m_btnTips->setAttribute(Qt::WA_Hover, true);
    m_btnTips->installEventFilter(this);
    DPIAdapter::instance()->adaptWidget(m_background);
    const QSize form = m_btnRestore->iconSize();
    m_btnRestore->setIconSize(QSize(static_cast<int>(std::lround(form.width() * m_scale)),
                                    static_cast<int>(std::lround(form.height() * m_scale))));
}

void Dialog_TimeMachine::showEvent(QShowEvent* event)
{
    // Opened on the newest version; brought back with the program's windows
    // it keeps the one the author chose.
    if (!m_listed) {
        m_listed = true;
        showVersions(0);
    }
    QDialog::showEvent(event);
}

void Dialog_TimeMachine::onRowChosen(int row)
{
    if (row < 0)
        return;
    m_labelCount->setText(
        tr("Version List(%1/%2)").arg(QString::number(row + 1), QString::number(m_model->rowCount())));
    compareVersion(row);
}

namespace {
// Below this many characters of both texts together a comparison takes a few
// milliseconds and is shown at once.
const int kCompareAtOnce = 20000;
// GUI time per turn of the event loop while a long comparison is filled in.
const int kFillBudgetMs = 8;
}

void Dialog_TimeMachine::compareVersion(int row)
{
    const T_Chapter* current = chapter();
    if (row < 0 || row >= m_versions.size() || m_versions.at(row) == nullptr || current == nullptr)
        return;
    if (!m_jobs->getContentBladeText(m_versions.at(row))) {
        m_ui->showError(tr("The version could not be read"), 2000);
        return;
    }
    m_currentIndex = row;
    const QString version = m_versions.at(row)->content;
    // The current version is what the author sees: words typed in the last
    // minute are new, not deleted.
    QString currentText;
    if (!m_ui->shownChapterText(m_localChapterId, &currentText))
        currentText = current->content;
    const int serial = ++m_compareSerial;
    m_comparing = true;
    if (version.size() + currentText.size() < kCompareAtOnce) {
        showCompared(VersionCompare::compare(version, currentText, serial));
        return;
    }
    // The diff of two long versions runs on a worker thread: it takes the two
    // texts (copies) and hands back plain runs through a queued call; it
    // touches no widget, model or database. A result that arrives after the
    // dialog closed or after a newer request is dropped. The quit waits for
    // it (the diff gives up after a second) before the application goes.
    QPointer<Dialog_TimeMachine> dialog(this);
    QThread* worker = QThread::create([dialog, version, currentText, serial]() {
        ComparedVersion result = VersionCompare::compare(version, currentText, serial);
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [dialog, result]() {
                if (dialog)
                    dialog->showCompared(result);
            },
            Qt::QueuedConnection);
    });
    connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    WorkerThreads::adopt(worker);
    worker->start();
}

void Dialog_TimeMachine::showCompared(const ComparedVersion& result)
{
    if (result.serial != m_compareSerial)
        return;
    m_fillTimer->stop();
    m_pending = result;
    m_versionFilled = 0;
    m_markedFilled = 0;
    // Fresh documents go to the views empty and are filled there, a slice per
    // turn of the event loop for long texts: each slice is laid out as it is
    // added, so no view is ever handed a long text to lay out in one go (its
    // own background layout grows to steps of tens of milliseconds).
    m_versionDocument = new QTextDocument(this);
    m_markedDocument = new QTextDocument(this);
    attachDocument(m_versionText, m_versionDocument);
    attachDocument(m_currentText, m_markedDocument);
    fillViews();
}

void Dialog_TimeMachine::fillViews()
{
    // A newer request has its own fill coming.
    if (m_versionDocument.isNull() || m_markedDocument.isNull() || m_pending.serial != m_compareSerial)
        return;
    CompareStyle style;
    style.fontSize = static_cast<int>(14 * m_scale);
    style.lineHeight = static_cast<int>(24 * m_scale);
    style.indent = static_cast<int>(24 * m_scale);
    const bool atOnce = m_pending.version.size() + m_pending.marked.size() < 2000;
    QElapsedTimer clock;
    clock.start();
    const auto budget = [&]() { return atOnce ? -1 : qMax(1, kFillBudgetMs - static_cast<int>(clock.elapsed())); };
    // Both panes grow together, so the tops of both show from the first turn.
    if (m_versionFilled < m_pending.version.size()) {
        const int share = m_markedFilled < m_pending.marked.size() ? kFillBudgetMs / 2 : kFillBudgetMs;
        m_versionFilled = VersionCompare::appendRuns(m_versionDocument, m_pending.version, m_versionFilled, style,
                                                     true, atOnce ? -1 : share);
    }
    if (m_markedFilled < m_pending.marked.size())
        m_markedFilled = VersionCompare::appendRuns(m_markedDocument, m_pending.marked, m_markedFilled, style,
                                                    false, budget());
    if (m_versionFilled < m_pending.version.size() || m_markedFilled < m_pending.marked.size()) {
        // A timer, not a posted call: posted calls run back to back, while
        // between two timer turns the window paints and its timers run.
        m_fillTimer->start();
        return;
    }
    m_pending = ComparedVersion();
    m_comparing = false;
    emit compared();
}

void Dialog_TimeMachine::attachDocument(QTextBrowser* view, QTextDocument* document)
{
    // The view deletes a document of its own; ours go once replaced.
    QTextDocument* old = view->document();
    const bool ours = old != nullptr && old->parent() == this;
    view->setDocument(document);
    if (ours)
        old->deleteLater();
}

T_Chapter* Dialog_TimeMachine::chapter() const
{
    return CPublicManager::instance()->findChapter(m_localBookId, m_localChapterId);
}

void Dialog_TimeMachine::restoreVersion()
{
    if (m_restoring || chapter() == nullptr || m_currentIndex < 0 || m_currentIndex >= m_versions.size()
        || m_versions.at(m_currentIndex) == nullptr)
        return;
    if (!m_jobs->getContentBladeText(m_versions.at(m_currentIndex))) {
        m_ui->showError(tr("The version could not be read"), 2000);
        return;
    }
    const QString restored = m_versions.at(m_currentIndex)->content;

    // The words in the editor are stored first, then kept as a version of
    // their own: restoring an older text never swallows newer words.
    Widget_Creation_Content* editor = m_ui->editorShowing(m_localChapterId);
    if (editor != nullptr && !editor->saveChapter(true)) {
        m_ui->showError(tr("The editor's text could not be saved; nothing was restored"), 3000);
        return;
    }
    if (chapter() == nullptr)
        return;
    const int now = static_cast<int>(currentServerTime());

    // The rest goes a turn of the event loop at a time: keeping the stored
    // words as a version, storing the restored text, the editor taking it.
    // Each holds the window on its own for a long chapter, and between them
    // nothing is at stake, the editor's words being stored already. Timers
    // rather than posted calls, so that timers already due (painting, the
    // writing tick) run in between. The rest runs even once the dialog is
    // closed.
    m_restoring = true;
    QPointer<Dialog_TimeMachine> dialog(this);
    const int localBookId = m_localBookId;
    const int localChapterId = m_localChapterId;
    const auto nextTurn = [](std::function<void()> step) {
        QTimer::singleShot(1, QCoreApplication::instance(), std::move(step));
    };
    const auto finish = [dialog](bool compare) {
        if (dialog.isNull())
            return;
        dialog->m_restoring = false;
        if (compare)
            dialog->compareVersion(dialog->m_currentIndex);
    };
    nextTurn([=]() {
        if (!keepStoredAsVersion(localBookId, localChapterId, restored, now))
            return finish(false);
        nextTurn([=]() {
            if (!storeRestored(localBookId, localChapterId, restored, now))
                return finish(false);
            nextTurn([=]() { finish(showRestored(localBookId, localChapterId)); });
        });
    });
}

bool Dialog_TimeMachine::keepStoredAsVersion(int localBookId, int localChapterId, const QString& restored, int now)
{
    const T_Chapter* current = CPublicManager::instance()->findChapter(localBookId, localChapterId);
    if (current == nullptr)
        return false;
    if (current->content.isEmpty() || current->content == restored)
        return true;
    TC_Chapter_ContentBlade version;
    version.header.localBookId = current->localBookId;
    version.header.localChapterId = current->localId;
    version.content = current->content;
    version.chapterName = current->name;
    version.createTime = now;
    CJobManager* jobs = CJobManager::instance();
    if (!jobs->chapter_contentBlade(version)) {
        qWarning() << "time machine: current text not kept as a version" << jobs->lastError();
        CUiManager::instance()->showError(tr("The current text could not be kept as a version; nothing was restored"),
                                          3000);
        return false;
    }
    return true;
}

bool Dialog_TimeMachine::storeRestored(int localBookId, int localChapterId, const QString& restored, int now)
{
    CPublicManager* model = CPublicManager::instance();
    CJobManager* jobs = CJobManager::instance();
    CUiManager* ui = CUiManager::instance();
    T_Chapter* current = model->findChapter(localBookId, localChapterId);
    if (current == nullptr)
        return false;
    // Words typed since the editor was stored are newer than any version.
    if (ui->holdsUnsavedText(localChapterId)) {
        ui->showError(tr("The version could not be restored"), 3000);
        return false;
    }
    TC_Chapter_Edit_Content request;
    request.header = T_Http_Custom();
    request.header.localBookId = localBookId;
    request.header.localChapterId = localChapterId;
    request.header.jobType = JobType::ChapterEditContent;
    request.content = restored;
    request.updateTime = now;
    request.isSendToSrv = true;
    if (!jobs->chapter_edit_content(request)) {
        qWarning() << "time machine: restored text not saved" << localChapterId << jobs->lastError();
        ui->showError(tr("The version could not be restored"), 3000);
        return false;
    }

    T_Book* book = model->findBookByLocalId(localBookId);
    if (book)
        book->calcWordCount();
    jobs->moveBookToFront(book, true);
    return true;
}

bool Dialog_TimeMachine::showRestored(int localBookId, int localChapterId)
{
    CPublicManager* model = CPublicManager::instance();
    T_Book* book = model->findBookByLocalId(localBookId);
    T_Chapter* current = model->findChapter(localBookId, localChapterId);
    Widget_Creation_Content* editor = CUiManager::instance()->editorShowing(localChapterId);
    if (book == nullptr || current == nullptr || editor == nullptr)
        return true;
    // Words typed since the restored text was stored stay in the editor, and
    // the next save keeps them over it; the restored text is a version still.
    if (editor->holdsUnsavedText())
        return false;
    // The current pane then compares with what the editor shows. Mostly only
    // a stretch of a long chapter differs: the editor changes just that.
    if (!editor->takeStoredText())
        editor->showChapter(book, current, true);
    return true;
}

bool Dialog_TimeMachine::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_btnTips) {
        if (event->type() == QEvent::HoverEnter) {
            const QPoint corner = m_btnTips->mapToGlobal(QPoint(m_btnTips->width(), 0));
            m_hint->move(corner + QPoint(6, -16));
            m_hint->raise();
            m_hint->show();
        } else if (event->type() == QEvent::HoverLeave) {
            m_hint->hide();
        }
    }
    return QDialog::eventFilter(watched, event);
}
