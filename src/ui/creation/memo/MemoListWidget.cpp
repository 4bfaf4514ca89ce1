#include "MemoListWidget.h"

#include "common/Utility.h"

#include "CMemoListDelegate.h"
#include "CMemoListModel.h"
#include "CMemoListSortModel.h"
#include "MemoItemManager.h"
#include "MemoItemWidget.h"
#include "common/DPIAdapter.h"
#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"
#include "manager/CQssManager.h"
#include "ui/common/NcFramelessHelper.h"

#include <QCloseEvent>
#include <QCursor>
#include <QDrag>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace {
QPushButton* titleButton(QWidget* parent, const char* name)
{
    auto* button = new QPushButton(parent);
    button->setObjectName(QLatin1String(name));
    const int side = int(20 * DPIAdapter::instance()->scale());
    button->setFixedSize(side, side);
    button->setCursor(Qt::PointingHandCursor);
    // The keys stay with the list of memos: Space on the title must not
    // press "+" behind the author's back.
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}
}

MemoListWidget::MemoListWidget(QWidget* parent)
    : QWidget(parent),
      m_model(CPublicManager::instance())
{
    setObjectName(QStringLiteral("MemoListWidget"));
    const double s = DPIAdapter::instance()->scale();
    // As tall as designed where there is room; over a window too short for
    // it, it ends with the window (the cards scroll).
    setFixedWidth(int(380 * s));
    setMinimumHeight(int(360 * s));
    setMaximumHeight(int(722 * s));
    resize(width(), maximumHeight());
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(10, 10, 10, 10);
    outer->setSpacing(0);
    auto* background = new QWidget(this);
    background->setObjectName(QStringLiteral("MemoListWidget_Bg"));
    outer->addWidget(background);
    auto* inner = new QVBoxLayout(background);
    inner->setContentsMargins(0, 0, 0, 0);
    inner->setSpacing(0);

    auto* title = new QWidget(background);
    title->setObjectName(QStringLiteral("widgetTitle"));
    title->setFixedHeight(int(44 * s));
    auto* layoutTitle = new QHBoxLayout(title);
    layoutTitle->setObjectName(QStringLiteral("layoutTitle"));
    layoutTitle->setContentsMargins(int(14 * s), 0, int(14 * s), 0);
    m_btnAddMemo = titleButton(title, "btnAddMemo");
    m_btnSort = titleButton(title, "btnSort");
    m_btnSort->setCheckable(true);
    m_labelTitle = new QLabel(tr("便签"), title);
    m_labelTitle->setObjectName(QStringLiteral("labelTitle"));
    m_labelSync = new QLabel(title);
    m_labelSync->setObjectName(QStringLiteral("labelSync"));
    m_labelSync->setFixedSize(int(16 * s), int(16 * s));
    m_btnClose = titleButton(title, "btnClose");
    layoutTitle->addWidget(m_btnAddMemo);
    layoutTitle->addWidget(m_btnSort);
    layoutTitle->addStretch();
    layoutTitle->addWidget(m_labelTitle);
    layoutTitle->addStretch();
    layoutTitle->addWidget(m_labelSync);
    layoutTitle->addWidget(m_btnClose);
    inner->addWidget(title);

    auto* listLayout = new QHBoxLayout();
    listLayout->setObjectName(QStringLiteral("horizontalLayout_2"));
    listLayout->setContentsMargins(int(14 * s), int(4 * s), int(14 * s), int(14 * s));
    m_listView = new QListView(background);
    m_listView->setObjectName(QStringLiteral("listView"));
    m_listView->setFrameShape(QFrame::NoFrame);
    m_listView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_listView->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_listView->setDragEnabled(true);
    m_listView->setDragDropMode(QAbstractItemView::NoDragDrop);
    m_listView->setDefaultDropAction(Qt::CopyAction);
    m_listView->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_listView->setMovement(QListView::Static);
    m_listView->setFlow(QListView::TopToBottom);
    m_listView->setWrapping(false);
    m_listView->setResizeMode(QListView::Fixed);
    m_listView->setLayoutMode(QListView::SinglePass);
    m_listView->setViewMode(QListView::ListMode);
    m_listView->setWordWrap(false);
    listLayout->addWidget(m_listView);
    inner->addLayout(listLayout, 1);
    initUi();
}

void MemoListWidget::initUi()
{
    setAttribute(Qt::WA_TranslucentBackground);
    setWindowFlags(windowFlags() | Qt::Dialog);
    const double scale = DPIAdapter::instance()->scale();
    if (QLayout* main = layout()) {
        const QMargins m = main->contentsMargins();
        main->setContentsMargins(qRound(m.left() * scale), qRound(m.top() * scale), qRound(m.right() * scale),
                                 qRound(m.bottom() * scale));
        main->setSpacing(qRound(main->spacing() * scale));
    }
    auto* frameless = new NcFramelessHelper(this);
    frameless->setWidgetMovable(true);
    frameless->setWidgetResizable(false);
    frameless->activateOn(this);
    QWidget* background = findChild<QWidget*>(QStringLiteral("MemoListWidget_Bg"));
    CQssManager::instance()->addShadowEffect(background);
    background->setObjectName(QStringLiteral("CommonWidgetBg"));
    findChild<QWidget*>(QStringLiteral("widgetTitle"))->setObjectName(QStringLiteral("CommonWidgetTitle"));
    m_labelTitle->setObjectName(QStringLiteral("CommonLabelTitle"));
    m_btnClose->setObjectName(QStringLiteral("btn_close_popup"));

    m_listModel = new CMemoListModel(this);
    m_sortModel = new CMemoListSortModel(this);
    m_sortModel->setSourceModel(m_listModel);
    m_sortModel->sort(0, Qt::AscendingOrder);
    m_listView->setModel(m_sortModel);
    m_delegate = new CMemoListDelegate(m_listView);
    m_listView->setItemDelegate(m_delegate);
    m_listView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_listView->viewport()->installEventFilter(this);
    m_listView->setMouseTracking(true);

    connect(m_btnClose, &QPushButton::clicked, this, &QWidget::close);
    connect(m_btnSort, &QPushButton::clicked, this, [this]() { m_sortModel->setNewestFirst(!m_btnSort->isChecked()); });
    connect(m_btnAddMemo, &QPushButton::clicked, this, [this]() { MemoItemManager::instance()->creatItemWidget(this); });
}

void MemoListWidget::insertMemo(int row)
{
    m_listModel->insertMemoRow(row);
}

void MemoListWidget::updateMemo(int row)
{
    m_listModel->updateMemoRow(row);
}

void MemoListWidget::removeMemo(int row, bool fromServer)
{
    int sourceRow = row;
    if (!fromServer) {
        const QModelIndex source = m_sortModel->mapToSource(m_sortModel->index(row, 0));
        if (!source.isValid())
            return;
        sourceRow = source.row();
    }
    if (!m_listModel->removeMemoRow(sourceRow, fromServer) && !fromServer)
        CUiManager::instance()->tellRefusedChange(tr("The memo could not be deleted; it stays in the list."));
}

void MemoListWidget::reload()
{
    m_listModel->reload();
}

int MemoListWidget::sourceRowAt(const QPoint& pos) const
{
    const QModelIndex source = m_sortModel->mapToSource(m_listView->indexAt(pos));
    if (!source.isValid() || source.row() >= m_model->memoList.size())
        return -1;
    return source.row();
}

QWidget* MemoListWidget::openRow(int viewRow)
{
    const QModelIndex source = m_sortModel->mapToSource(m_sortModel->index(viewRow, 0));
    if (!source.isValid() || source.row() >= m_model->memoList.size())
        return nullptr;
    T_Memo* memo = m_model->memoList.at(source.row());
    MemoItemManager* memos = MemoItemManager::instance();
    if (memos->isItemOpen(memo->localId))
        return nullptr;
    MemoItemWidget* item = memos->creatItemWidget();
    item->setMemo(memo);
    moveToScreenCenter(item);
    item->show();
    return item;
}

void MemoListWidget::startTearOff(const QPoint& pos)
{
    const int row = sourceRowAt(pos);
    if (row < 0)
        return;
    T_Memo* memo = m_model->memoList.at(row);
    MemoItemManager* memos = MemoItemManager::instance();
    if (memos->isItemOpen(memo->localId))
        return;
    MemoItemWidget* item = memos->creatItemWidget();
    item->move(m_listView->viewport()->mapToGlobal(pos));
    item->setMemo(memo);

    auto* mime = new QMimeData;
    mime->setData(QStringLiteral("tessane/mime"), QByteArray::number(memo->localId));
    QPixmap shot(item->size());
    shot.fill(Qt::transparent);
    item->render(&shot, QPoint(), QRegion(), QWidget::DrawChildren);
    QPixmap faded(item->size());
    faded.fill(Qt::transparent);
    {
        QPainter painter(&faded);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawPixmap(0, 0, shot);
        painter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        painter.fillRect(faded.rect(), QColor(255, 255, 255, 178));
    }
    QPointer<MemoItemWidget> window(item);
    auto* drag = new QDrag(this);
    drag->setMimeData(mime);
    drag->setPixmap(faded);
    drag->setHotSpot(QPoint(faded.width() / 2, 23));
    item->hide();
    drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::CopyAction);
    // Nothing takes the drop: the drag only chose where the window goes.
    if (!window)
        return;
    const QPoint cursor = QCursor::pos();
    window->move(cursor.x() - faded.width() / 2, cursor.y() - 23);
    window->show();
}

bool MemoListWidget::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_listView->viewport())
        return QWidget::eventFilter(watched, event);
    const bool invalid = m_listView->property("Invalid").toBool();
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && !invalid)
            m_pressPos = mouse->pos();
        break;
    }
    case QEvent::MouseButtonDblClick: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const QModelIndex index = m_listView->indexAt(mouse->pos());
        if (mouse->button() == Qt::LeftButton && index.isValid())
            openRow(index.row());
        break;
    }
    case QEvent::MouseMove: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if ((mouse->buttons() & Qt::LeftButton) && !invalid && !m_pressPos.isNull()
            && (mouse->pos() - m_pressPos).manhattanLength() >= 3) {
            const QPoint at = mouse->pos();
            m_pressPos = QPoint();
            startTearOff(at);
            return true;
        }
        break;
    }
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void MemoListWidget::closeEvent(QCloseEvent* event)
{
    emit sig_closed();
    QWidget::closeEvent(event);
}
