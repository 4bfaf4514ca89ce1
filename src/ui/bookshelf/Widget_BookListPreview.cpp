#include "Widget_BookListPreview.h"

#include "common/DPIAdapter.h"
#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"
#include "ui/bookshelf/CBookListDelegate.h"
#include "ui/bookshelf/CBookListModel.h"

#include <QListView>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

Widget_BookListPreview::Widget_BookListPreview(QWidget* parent)
    : QWidget(parent), m_bar(new QScrollBar(Qt::Vertical, this)), m_s(DPIAdapter::instance()->scale())
{
    setObjectName(QStringLiteral("Widget_BookListPreview"));
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedWidth(int(182 * m_s));
    resize(width(), int(531 * m_s));
    m_bar->hide();

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* bg = new QWidget(this);
    bg->setObjectName(QStringLiteral("Widget_BookListPreview_Bg"));
    outer->addWidget(bg);
    auto* layout = new QVBoxLayout(bg);
    layout->setContentsMargins(0, 0, 0, 0);
    m_list = new QListView(bg);
    m_list->setObjectName(QStringLiteral("listView"));
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setViewMode(QListView::IconMode);
    m_list->setResizeMode(QListView::Adjust);
    m_list->setLayoutMode(QListView::Batched);
    m_list->setWrapping(true);
    m_list->setMovement(QListView::Static);
    layout->addWidget(m_list);

    m_model = new CBookListModel(CBookListModel::Preview, this);
    m_list->setModel(m_model);
    m_delegate = new CBookListDelegate(CBookListModel::Preview, m_list);
    m_list->setItemDelegate(m_delegate);
    m_list->setMouseTracking(true);
    m_list->viewport()->installEventFilter(m_delegate);
    m_list->setSpacing(int(20 * m_s));
    m_bar->raise();

    QScrollBar* inner = m_list->verticalScrollBar();
    connect(inner, &QScrollBar::valueChanged, m_bar, &QScrollBar::setValue);
    connect(inner, &QScrollBar::rangeChanged, this, [this, inner](int min, int max) {
        m_bar->setRange(min, max);
        m_bar->setPageStep(inner->pageStep());
        m_bar->setSingleStep(inner->singleStep());
        m_bar->setVisible(max != 0);
    });
    connect(m_bar, &QScrollBar::valueChanged, inner, &QScrollBar::setValue);
    connect(m_delegate, &CBookListDelegate::sig_open, this, [](int localBookId) {
        if (T_Book* book = CPublicManager::instance()->findBookByLocalId(localBookId))
            CUiManager::instance()->openCreation(book);
    });
}

void Widget_BookListPreview::setPreview(bool preview)
{
    m_preview = preview;
    emit previewChanged(preview);
}

void Widget_BookListPreview::reload()
{
    m_model->resetCount();
    const int n = CPublicManager::instance()->bookList.size();
    if (n > 0)
        m_model->insertRows(0, n);
}

void Widget_BookListPreview::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const int w = int(7 * m_s);
    m_bar->setGeometry(width() - w, 0, w, height());
    m_bar->raise();
}

void Widget_BookListPreview::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // After the window change settles; the timer dies with the column.
    QTimer::singleShot(500, this, &Widget_BookListPreview::reload);
}
