#include "MemoItemWidget.h"

#include "MemoColorPallet.h"
#include "MemoItemManager.h"
#include "common/DPIAdapter.h"
#include "common/ServerClock.h"
#include "db/records/T_Memo.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "manager/CQssManager.h"
#include "manager/CUiManager.h"
#include "ui/common/CTextEdit.h"
#include "ui/common/HiddenWindows.h"
#include "ui/common/NcFramelessHelper.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDebug>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>
#include <QTextCursor>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>

namespace {
const QString kDarkColor = QStringLiteral("#C9C3C3");
// Typed text is stored once the keys stop this long, as a chapter's text is
// within a second; a run of typing without a pause is stored after at most
// kLongestUnsavedMs, and a save the database refused is tried again after
// kRetryMs even when no further key comes.
constexpr int kPauseMs = 1000;
constexpr int kLongestUnsavedMs = 5000;
constexpr int kRetryMs = 5000;

int now()
{
    return static_cast<int>(currentServerTime());
}

QPushButton* titleButton(QWidget* parent, const char* name)
{
    auto* button = new QPushButton(parent);
    button->setObjectName(QLatin1String(name));
    const int side = int(20 * DPIAdapter::instance()->scale());
    button->setFixedSize(side, side);
    button->setCursor(Qt::PointingHandCursor);
    // A touch on the title is no reason to take the keys from the text.
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

void repolish(QWidget* widget, const QString& name)
{
    widget->setObjectName(name);
    widget->style()->unpolish(widget);
    widget->style()->polish(widget);
    widget->update();
}

TC_Memo_Edit editOf(const T_Memo* memo, const QString& color)
{
    return TC_Memo_Edit(memo->localId, memo->memoId, now(), memo->content, color,
                        memo->localBookId, memo->localChapterId, memo->x, memo->y,
                        memo->isHold ? 1 : 0, memo->width, memo->height);
}
}

MemoItemWidget::MemoItemWidget(QWidget* parent)
    : QWidget(parent),
      m_pause(new QTimer(this)),
      m_scale(DPIAdapter::instance()->scale())
{
    m_pause->setSingleShot(true);
    connect(m_pause, &QTimer::timeout, this, &MemoItemWidget::onPause);
    initUi();
    initMenu();
    initConnects();
}

void MemoItemWidget::initUi()
{
    setObjectName(QStringLiteral("memoItemWidget"));
    // Lengths below are given at 100 %.
    auto px = [this](int length) { return int(length * m_scale); };
    resize(px(324), px(324));
    setMinimumSize(px(324), px(324));
    setAttribute(Qt::WA_TranslucentBackground);
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint | Qt::Dialog);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(10, 10, 10, 10);
    outer->setSpacing(0);
    m_background = new QWidget(this);
    m_background->setObjectName(QStringLiteral("MemoItemWidget_Bg"));
    outer->addWidget(m_background);
    auto* inner = new QVBoxLayout(m_background);
    inner->setContentsMargins(0, 0, 0, 0);
    inner->setSpacing(0);

    m_widgetTitle = new QWidget(m_background);
    m_widgetTitle->setObjectName(QStringLiteral("widgetTitle"));
    m_layoutTitle = new QHBoxLayout(m_widgetTitle);
    m_layoutTitle->setObjectName(QStringLiteral("layoutTitle"));
    m_layoutTitle->setContentsMargins(px(12), px(8), px(12), 0);
    m_btnAddMemo = titleButton(m_widgetTitle, "btnAddMemo");
    m_btnDing = titleButton(m_widgetTitle, "btnDing");
    m_btnDing->setCheckable(true);
    m_btnClose = titleButton(m_widgetTitle, "btnClose");
    m_layoutTitle->addWidget(m_btnAddMemo);
    m_layoutTitle->addStretch();
    m_layoutTitle->addWidget(m_btnDing);
    m_layoutTitle->addStretch();
    m_layoutTitle->addWidget(m_btnClose);
    inner->addWidget(m_widgetTitle);

    auto* content = new QWidget(m_background);
    content->setObjectName(QStringLiteral("widgetContent"));
    auto* contentLayout = new QVBoxLayout(content);
    contentLayout->setObjectName(QStringLiteral("verticalLayout_3"));
    contentLayout->setContentsMargins(px(18), px(12), px(18), px(12));
    m_textEdit = new CTextEdit(content);
    m_textEdit->setObjectName(QStringLiteral("textEdit"));
    m_textEdit->setFrameShape(QFrame::NoFrame);
    // A click anywhere on the memo, its title or a drag by it, leaves the
    // keys in its text: the window itself has nothing to type into.
    setFocusProxy(m_textEdit);
    setFocusPolicy(Qt::ClickFocus);
    contentLayout->addWidget(m_textEdit);
    auto* bottom = new QHBoxLayout();
    bottom->setObjectName(QStringLiteral("horizontalLayout"));
    m_labelPixmap = new QLabel(content);
    m_labelPixmap->setObjectName(QStringLiteral("labelPixmap"));
    m_labelPixmap->setFixedSize(px(10), px(10));
    m_labelBookName = new QLabel(content);
    m_labelBookName->setObjectName(QStringLiteral("labelBookName"));
    m_labelChapterName = new QLabel(content);
    m_labelChapterName->setObjectName(QStringLiteral("labelChapterName"));
    m_btnColorPallet = titleButton(content, "btnColorPallet");
    m_btnColorPallet->setCheckable(true);
    bottom->addWidget(m_labelPixmap);
    bottom->addWidget(m_labelBookName);
    bottom->addWidget(m_labelChapterName);
    bottom->addStretch();
    bottom->addWidget(m_btnColorPallet);
    contentLayout->addLayout(bottom);
    inner->addWidget(content, 1);

    m_frameless = new NcFramelessHelper(this);
    m_frameless->setWidgetMovable(true);
    m_frameless->setWidgetResizable(true);
    m_frameless->activateOn(this);
    CQssManager::instance()->addShadowEffect(m_background);

    m_textEdit->setMaxLength(10000);
    m_textEdit->installEventFilter(this);
    m_textEdit->setAcceptDrops(false);
    m_textEdit->setContextMenuPolicy(Qt::CustomContextMenu);

    m_btnDing->hide();
    m_labelPixmap->hide();
    m_labelBookName->hide();
    m_labelChapterName->hide();
    const QMargins m = m_layoutTitle->contentsMargins();
    m_layoutTitle->setContentsMargins(qRound(m.left() * m_scale), qRound(m.top() * m_scale),
                                      qRound(m.right() * m_scale), qRound(m.bottom() * m_scale));
}

void MemoItemWidget::initMenu()
{
    m_menu = new QMenu(this);
    m_menu->setObjectName(QStringLiteral("memoMenu"));
    m_menu->setMinimumWidth(120);
    m_menu->setWindowFlags(m_menu->windowFlags() | Qt::Popup | Qt::FramelessWindowHint
                           | Qt::NoDropShadowWindowHint);
    m_menu->setAttribute(Qt::WA_TranslucentBackground);
    m_actCut = m_menu->addAction(tr("Cut"));
    m_actCopy = m_menu->addAction(tr("Copy"));
    m_actPaste = m_menu->addAction(tr("Paste"));
    connect(m_actCopy, &QAction::triggered, this, &MemoItemWidget::copySelection);
    connect(m_actCut, &QAction::triggered, this, [this]() {
        copySelection();
        m_textEdit->textCursor().removeSelectedText();
    });
    connect(m_actPaste, &QAction::triggered, this, [this]() {
        m_textEdit->textCursor().insertText(QApplication::clipboard()->text());
    });
    connect(m_textEdit, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        updateMenuActions();
        m_menu->popup(m_textEdit->mapToGlobal(pos));
    });
}

void MemoItemWidget::initConnects()
{
    connect(m_btnClose, &QPushButton::clicked, this, &QWidget::close);
    connect(m_btnAddMemo, &QPushButton::clicked, this, [this]() { MemoItemManager::instance()->creatItemWidget(this); });
    connect(m_btnDing, &QPushButton::clicked, this, &MemoItemWidget::toggleDing);
    connect(m_btnColorPallet, &QPushButton::clicked, this, &MemoItemWidget::showPallet);
    connect(m_textEdit, &QTextEdit::textChanged, this, &MemoItemWidget::onTextChanged);
}

T_Memo* MemoItemWidget::memo() const
{
    return m_localMemoId > 0 ? CPublicManager::instance()->findMemoByLocalId(m_localMemoId) : nullptr;
}

void MemoItemWidget::updateMenuActions()
{
    const bool selected = m_textEdit->textCursor().hasSelection();
    m_actCut->setEnabled(selected);
    m_actCopy->setEnabled(selected);
    m_actPaste->setEnabled(m_textEdit->canPaste());
}

void MemoItemWidget::copySelection()
{
    const QTextCursor cursor = m_textEdit->textCursor();
    const int from = qMin(cursor.anchor(), cursor.position());
    const int to = qMax(cursor.anchor(), cursor.position());
    QApplication::clipboard()->setText(m_textEdit->toPlainText().mid(from, to - from));
}

void MemoItemWidget::setMemo(T_Memo* memo)
{
    if (!memo)
        return;
    // Words typed here and not stored yet are newer than the memo's record:
    // they stay, and the next save stores them.
    const bool keepTyped = memo->localId == m_localMemoId && m_changed;
    m_localMemoId = memo->localId;
    const QString text = memo->content;
    if (!keepTyped && m_textEdit->toPlainText() != text) {
        // The text comes from the memo itself: nothing to save.
        m_textEdit->setPlainText(text);
        m_changed = false;
        m_pause->stop();
    }
    m_labelBookName->setText(tr("<") + memo->bookName + tr(">"));
    m_labelChapterName->setText(memo->chapterName);
    m_btnDing->setChecked(memo->isHold);
    setColor(memo->color);
}

void MemoItemWidget::setColor(const QString& color)
{
    m_color = color;
    m_background->setStyleSheet(QStringLiteral("#MemoItemWidget_Bg{background:") + color
                                + QStringLiteral(";}"));
    const bool dark = color == kDarkColor;
    const QString tone = dark ? QStringLiteral("Dark") : QStringLiteral("Light");
    repolish(m_btnAddMemo, QStringLiteral("btnAddMemo") + tone);
    repolish(m_btnDing, QStringLiteral("btnDing") + tone);
    repolish(m_textEdit, QStringLiteral("textEdit") + tone);
    repolish(m_btnClose, QStringLiteral("btnClose") + tone);
    repolish(m_labelBookName, QStringLiteral("labelMemo") + tone);
    repolish(m_labelChapterName, QStringLiteral("labelMemo") + tone);
}

void MemoItemWidget::onTextChanged()
{
    const QString text = m_textEdit->toPlainText();
    if (m_localMemoId > 0) {
        // A memo deleted here or elsewhere has nothing left to hold the text.
        const T_Memo* shown = memo();
        m_changed = shown != nullptr && shown->content != text;
    } else {
        m_changed = !text.isEmpty();
        // The first words of an empty window make the memo at once; text
        // that could not make it is tried again at the pause.
        if (m_changed && !m_failureTold)
            m_changed = !createMemo(text);
    }
    if (m_changed)
        saveAtPause();
    else
        m_pause->stop();
}

void MemoItemWidget::saveAtPause()
{
    if (!m_pause->isActive())
        m_unsavedSince.start();
    if (m_unsavedSince.elapsed() < kLongestUnsavedMs || !m_pause->isActive())
        m_pause->start(kPauseMs);
}

void MemoItemWidget::onPause()
{
    if (!saveMemo())
        m_pause->start(kRetryMs);
}

void MemoItemWidget::dropUnsavedText()
{
    m_changed = false;
    m_pause->stop();
}

bool MemoItemWidget::createMemo(const QString& text)
{
    TC_Memo_Add request;
    request.content = text;
    request.updateTime = now();
    request.color = m_color;
    qDebug() << "Create Memo" << text << m_color;
    if (!CJobManager::instance()->memoAdd(request)) {
        saveFailed();
        return false;
    }
    m_failureTold = false;
    CPublicManager* model = CPublicManager::instance();
    // Added, not set: increments of other windows not reported yet stay.
    model->statistics.memoNum += text.size();
    reportMemoWords();
    T_Memo* created = model->findMemoByLocalId(request.header.localMemoId);
    if (!created)
        return true;
    m_localMemoId = created->localId;
    created->color = m_color;
    MemoItemManager::instance()->insertMemo(model->indexOfMemo(created->localId));
    return true;
}

void MemoItemWidget::reportMemoWords()
{
    CPublicManager* model = CPublicManager::instance();
    CJobManager::instance()->updateStatictics(model->userInfo.uid, model->statistics, StatisticsMemo);
}

bool MemoItemWidget::saveMemo()
{
    m_pause->stop();
    if (!m_changed)
        return true;
    const QString text = m_textEdit->toPlainText();
    if (m_localMemoId < 1) {
        m_changed = !text.isEmpty() && !createMemo(text);
        return !m_changed;
    }
    T_Memo* shown = memo();
    if (!shown) {
        // Deleted here or on the platform: there is no memo left to hold it.
        m_changed = false;
        return true;
    }
    const int grown = text.size() - shown->content.size();
    TC_Memo_Edit request = editOf(shown, shown->color);
    request.content = text;
    // The memo takes the text once its row and job are committed.
    const bool ok = CJobManager::instance()->memoEditContent(request);
    qDebug() << "saveMemo" << ok << request.header.localMemoId << request.header.memoId << text << request.color;
    if (!ok) {
        saveFailed();
        return false;
    }
    CPublicManager::instance()->statistics.memoNum += grown;
    reportMemoWords();
    m_changed = false;
    m_failureTold = false;
    updateList();
    return true;
}

void MemoItemWidget::saveFailed()
{
    // Once until a save works again: a refusing database refuses every key.
    if (m_failureTold)
        return;
    m_failureTold = true;
    const QString reason = CJobManager::instance()->lastDbError();
    qWarning() << "memo text not stored:" << reason;
    CUiManager::instance()->showError(tr("The memo could not be saved; its text stays in its window.\n%1").arg(reason),
                                      3000);
}

void MemoItemWidget::updateList()
{
    CPublicManager* model = CPublicManager::instance();
    const int index = model->indexOfMemo(m_localMemoId);
    if (index < 0) {
        qDebug() << "saveMemo error" << index << model->memoList.size();
        return;
    }
    MemoItemManager::instance()->updateMemo(index, m_localMemoId, false);
}

void MemoItemWidget::showPallet()
{
    if (!m_pallet) {
        m_pallet = new MemoColorPallet(this);
        connect(m_pallet, &MemoColorPallet::sig_color, this, &MemoItemWidget::onColorChosen);
        connect(m_pallet, &MemoColorPallet::sig_closed, this, [this]() { m_btnColorPallet->setChecked(false); });
    }
    const T_Memo* shown = memo();
    m_pallet->setCurrentColor(shown ? shown->color : m_color);
    QTimer::singleShot(20, this, [this]() {
        if (!m_pallet)
            return;
        const QPoint global = mapToGlobal(m_btnColorPallet->mapTo(this, QPoint(0, 0)));
        const int x = global.x() - (m_pallet->width() - 2 * m_btnColorPallet->width()) / 2;
        const int y = global.y() + m_pallet->height() - int(20 * m_scale);
        m_pallet->move(x, y);
        m_pallet->show();
    });
}

void MemoItemWidget::onColorChosen(const QString& color)
{
    T_Memo* shown = memo();
    if (!shown) {
        setColor(color);
        return;  // kept for the memo the first text creates
    }
    TC_Memo_Edit request = editOf(shown, color);
    const bool ok = CJobManager::instance()->memoEditColor(request);
    qDebug() << "memoColorEdit" << ok;
    // The window shows the colour that is stored.
    if (!ok) {
        CUiManager::instance()->tellRefusedChange(tr("The memo's colour could not be stored; it keeps its colour."));
        return;
    }
    setColor(color);
    if (T_Memo* changed = memo()) {
        changed->color = color;
        updateList();
    }
}

bool MemoItemWidget::currentDing(const T_Memo* memo) const
{
    if (!memo->isHold)
        return false;
    const CUiManager* ui = CUiManager::instance();
    qDebug() << "DING--->" << ui->memoLocalBookId() << ui->memoLocalChapterId() << memo->localBookId
             << memo->localChapterId;
    return memo->localBookId == ui->memoLocalBookId() && memo->localChapterId == ui->memoLocalChapterId();
}

void MemoItemWidget::toggleDing()
{
    T_Memo* shown = memo();
    if (!shown)
        return;
    TC_Memo_Edit request(shown->localId, shown->memoId, now(), shown->content, shown->color, 0, 0, 0, 0,
                         0, 0, 0);
    bool ok = false;
    if (currentDing(shown)) {
        ok = CJobManager::instance()->memoEditLocation(request);
        qDebug() << "UnDing" << ok;
    } else {
        const CUiManager* ui = CUiManager::instance();
        request = TC_Memo_Edit(shown->localId, shown->memoId, now(), shown->content, shown->color,
                               ui->memoLocalBookId(), ui->memoLocalChapterId(), float(x()), float(y()), 0, 0, 0);
        ok = CJobManager::instance()->memoEditLocation(request);
        qDebug() << "Ding" << ok << request.localBookId << request.localChapterId << request.x << request.y;
    }
    if (!ok)
        CUiManager::instance()->tellRefusedChange(tr("The memo could not be pinned or unpinned; it stays as it was."));
    updateList();
    setMemo(memo());
}

bool MemoItemWidget::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_textEdit && event->type() == QEvent::FocusOut && m_changed)
        saveMemo();
    return QWidget::eventFilter(watched, event);
}

void MemoItemWidget::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Brought back with the program's other windows or out of the task bar,
    // it leaves the keys where the author had them.
    if (event->spontaneous() || HiddenWindows::isAway(this))
        return;
    // A memo opens to be written in: its text has the keys, not the first
    // of its title buttons.
    m_textEdit->setFocus(Qt::ActiveWindowFocusReason);
    activateWindow();
}

void MemoItemWidget::closeEvent(QCloseEvent* event)
{
    // Text typed since the last focus change would otherwise live in memory
    // only and be gone at the next start; text no row takes keeps the
    // window open.
    if (!saveMemo()) {
        CUiManager::instance()->showError(
            tr("The memo could not be saved; its window stays open so that no word is lost"), 3000);
        event->ignore();
        return;
    }
    emit sig_closed();
    QWidget::closeEvent(event);
}
