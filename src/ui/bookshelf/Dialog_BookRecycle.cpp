#include "Dialog_BookRecycle.h"

#include "common/ServerClock.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "manager/CQssManager.h"
#include "manager/CUiManager.h"
#include "common/StyleType.h"
#include "ui/common/BkMessageBox.h"
#include "ui/common/CBaseTitleBar.h"
#include "ui/common/DialogKeys.h"

#include <QContextMenuEvent>
#include <QDateTime>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QStackedWidget>
#include <QStyledItemDelegate>
#include <QPainter>
#include <QPointer>
#include <QVBoxLayout>

namespace {
class RowDelegate : public QStyledItemDelegate
{
public:
    RowDelegate(double s, QObject* parent) : QStyledItemDelegate(parent), m_s(s) {}
    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override
    {
        return QSize(int(572 * m_s), int(50 * m_s));
    }
    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const Colours colours = themeColours();
        // The chosen row is drawn in the theme's own pair of colours: the
        // style's selection colour is too dark behind the row's text.
        const bool selected = option.state & QStyle::State_Selected;
        QStyleOptionViewItem plain(option);
        plain.state &= ~QStyle::State_Selected;
        QStyledItemDelegate::paint(p, plain, index);
        if (!index.isValid())
            return;
        if (selected)
            p->fillRect(option.rect, colours.selectedBack);
        const BookRecycleItem item = index.data().value<BookRecycleItem>();
        p->save();
        QFont font(QStringLiteral("微软雅黑"));
        font.setPixelSize(int(14 * m_s));
        p->setFont(font);
        p->setRenderHint(QPainter::Antialiasing);
        const QColor text = selected ? colours.selectedText : colours.text;
        const QColor separator = colours.separator;
        const QRect r = option.rect;
        const int left = r.left() + int(30 * m_s);
        const int w1 = int(206 * m_s), w2 = int(200 * m_s), w3 = int(176 * m_s);
        const int align = Qt::AlignVCenter | Qt::AlignLeft;
        p->setPen(text);
        p->drawText(QRect(left, r.top(), w1, r.height()), align,
                    QFontMetrics(font).elidedText(item.bookName, Qt::ElideRight, w1 - int(10 * m_s)));
        p->drawText(QRect(left + w1, r.top(), w2, r.height()), align, QString::number(item.wordNum));
        p->drawText(QRect(left + w1 + w2, r.top(), w3, r.height()), align,
                    QDateTime::fromSecsSinceEpoch(item.deleteTime).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")));
        p->fillRect(QRect(r.left() + int(24 * m_s), r.bottom(), r.width() - int(48 * m_s), 1), separator);
        p->restore();
    }

    struct Colours
    {
        QColor text, separator, selectedBack, selectedText;
    };

    // The row's colours in the current theme; each text reads at 4.5:1 or
    // more on its background.
    static Colours themeColours()
    {
        const int style = CQssManager::instance()->currentStyleType();
        if (style == StyleGreen)
            return {QColor(0x205134), QColor(0xBEE5C2), QColor(0xBEE5C2), QColor(0x173B26)};
        if (style & StyleDark)
            return {QColor(0x999999), QColor(0x2E2E2E), QColor(0x3D5A85), QColor(0xFFFFFF)};
        return {QColor(0x424242), QColor(0xEAEAEA), QColor(0xDCEBFF), QColor(0x303030)};
    }

private:
    double m_s;
};
}

CBookRecycleModel::CBookRecycleModel(QObject* parent) : QAbstractListModel(parent)
{
    static const int registered = qRegisterMetaType<BookRecycleItem>("BookRecycleItem");
    Q_UNUSED(registered)
    connect(CPublicManager::instance(), &CPublicManager::sig_binChanged, this, [this](int localBookId) {
        if (localBookId != 0)
            return;
        beginResetModel();
        endResetModel();
    });
}

int CBookRecycleModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : CPublicManager::instance()->recycleBookList.size();
}

QVariant CBookRecycleModel::data(const QModelIndex& index, int role) const
{
    const auto& list = CPublicManager::instance()->recycleBookList;
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= list.size() || !list.at(index.row()))
        return QVariant();
    const T_Book* book = list.at(index.row());
    BookRecycleItem item;
    item.localBookId = book->localId;
    item.wordNum = book->wordNum;
    item.bookName = book->bookName;
    item.deleteTime = book->updateTime;
    return QVariant::fromValue(item);
}

// The rows are read anew once the model says the book left the bin; an
// operation that fails leaves them as they are.
bool CBookRecycleModel::deleteBook(int row, int localBookId)
{
    Q_UNUSED(row)
    TC_Books_Delete_Hard request;
    request.header.localBookId = localBookId;
    request.updateTime = int(currentServerTime());
    return CJobManager::instance()->books_delete_hard(request);
}

bool CBookRecycleModel::restoreBook(int row, int localBookId)
{
    Q_UNUSED(row)
    TC_Books_Restore request;
    request.header.localBookId = localBookId;
    request.updateTime = int(currentServerTime());
    return CJobManager::instance()->books_restore(request);
}

Dialog_BookRecycle::Dialog_BookRecycle(QWidget* parent)
    : BookDialogBase(QStringLiteral("Dialog_BookRecycle_Bg"), QSize(640, 480), parent),
      m_model(new CBookRecycleModel(this))
{
    setTitle(tr("Book Recycle"));
    m_stack = new QStackedWidget(this);
    m_stack->setObjectName(QStringLiteral("stackedWidget"));
    auto* pageDefault = new QWidget(m_stack);
    pageDefault->setObjectName(QStringLiteral("pageDefault"));
    auto* defLayout = new QVBoxLayout(pageDefault);
    auto* explain = new QLabel(QStringLiteral("这里还没有内容哦"), pageDefault);
    explain->setObjectName(QStringLiteral("labelExplain"));
    explain->setAlignment(Qt::AlignCenter);
    defLayout->addWidget(explain);
    auto* pageList = new QWidget(m_stack);
    pageList->setObjectName(QStringLiteral("pageList"));
    auto* listLayout = new QVBoxLayout(pageList);
    listLayout->setContentsMargins(0, 0, 0, 0);
    auto* head = new QWidget(pageList);
    head->setObjectName(QStringLiteral("widgetHeadTitle"));
    head->setFixedHeight(px(40));
    auto* headLayout = new QHBoxLayout(head);
    headLayout->setContentsMargins(px(20), 0, 0, 0);
    const char* names[] = {"label", "label_2", "label_3"};
    const QString texts[] = {QStringLiteral("书籍名称"), QStringLiteral("书籍字数"), QStringLiteral("删除时间")};
    const int widths[] = {206, 200, 0};
    for (int i = 0; i < 3; ++i) {
        auto* l = new QLabel(texts[i], head);
        l->setObjectName(QLatin1String(names[i]));
        if (widths[i])
            l->setFixedWidth(px(widths[i]));
        headLayout->addWidget(l, widths[i] ? 0 : 1);
    }
    listLayout->addWidget(head);
    m_list = new QListView(pageList);
    m_list->setObjectName(QStringLiteral("listView"));
    m_list->setModel(m_model);
    m_list->setItemDelegate(new RowDelegate(m_s, m_list));
    m_list->setMouseTracking(true);
    m_list->setSpacing(0);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    listLayout->addWidget(m_list, 1);
    m_stack->addWidget(pageDefault);
    m_stack->addWidget(pageList);
    content()->addWidget(m_stack);

    m_menu = new QMenu(this);
    m_menu->setWindowFlags(Qt::Popup | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint);
    m_menu->setAttribute(Qt::WA_TranslucentBackground);
    // The menu names its book by id: rows move when the feed changes the bin.
    m_menu->addAction(tr("Restore"), this, [this]() { restoreBook(m_menu->property("localBookId").toInt(), false); });
    m_menu->addAction(tr("Delete"), this, [this]() { deleteBook(m_menu->property("localBookId").toInt(), false); });
    connect(m_list, &QListView::customContextMenuRequested, this, [this](const QPoint& pos) {
        const QModelIndex index = m_list->indexAt(pos);
        if (!index.isValid())
            return;
        const BookRecycleItem item = index.data().value<BookRecycleItem>();
        m_menu->setProperty("index", index.row());
        m_menu->setProperty("localBookId", item.localBookId);
        m_menu->setProperty("bookName", item.bookName);
        m_menu->popup(m_list->viewport()->mapToGlobal(pos));
    });
    connect(m_model, &QAbstractItemModel::modelReset, this, &Dialog_BookRecycle::followBin);
    connect(titleBar(), &CBaseTitleBar::sig_close, this, &QDialog::accept);
    DialogKeys::setUp(this, m_list);
    // A bin that fills again while open hands the keys back to its list.
    DialogKeys::setUpPage(this, m_list->parentWidget(), m_list);
    updatePage();
}

bool Dialog_BookRecycle::showsEmptyPage() const
{
    return m_stack->currentIndex() == 0;
}

void Dialog_BookRecycle::updatePage()
{
    m_stack->setCurrentIndex(m_model->rowCount() == 0 ? 0 : 1);
}

void Dialog_BookRecycle::followBin()
{
    updatePage();
    const int menuBook = m_menu->property("localBookId").toInt();
    if (m_menu->isVisible() && CPublicManager::instance()->findRecycledBookByLocalId(menuBook) == nullptr)
        m_menu->close();
}

bool Dialog_BookRecycle::stillInBin(int localBookId, const QString& name)
{
    if (CPublicManager::instance()->findRecycledBookByLocalId(localBookId) != nullptr)
        return true;
    CUiManager::instance()->showTips(tr("\"%1\" is no longer in the recycle bin").arg(name), false, 3000);
    updatePage();
    return false;
}

bool Dialog_BookRecycle::confirm(const QString& question, int localBookId)
{
    const T_Book* book = CPublicManager::instance()->findRecycledBookByLocalId(localBookId);
    if (book == nullptr)
        return false;
    QString text = question;
    text.replace(QStringLiteral("%1"), book->bookName);
    const QString name = book->bookName;
    // The feed may restore or delete the book while the question waits, and
    // a sign-out may end this dialog.
    const QPointer<Dialog_BookRecycle> self(this);
    const int answer = BkMessageBox::question(this, tr("Confirm"), text, tr("OK"), tr("Cancel"), 0);
    return self && answer == 0 && stillInBin(localBookId, name);
}

void Dialog_BookRecycle::restoreRow(int row, bool confirmed)
{
    restoreBook(m_model->index(row, 0).data().value<BookRecycleItem>().localBookId, confirmed);
}

void Dialog_BookRecycle::deleteRow(int row, bool confirmed)
{
    deleteBook(m_model->index(row, 0).data().value<BookRecycleItem>().localBookId, confirmed);
}

void Dialog_BookRecycle::restoreBook(int localBookId, bool confirmed)
{
    if (localBookId < 1 || CPublicManager::instance()->findRecycledBookByLocalId(localBookId) == nullptr)
        return;
    if (!confirmed && !confirm(tr("Are you sure to restore %1?"), localBookId))
        return;
    const auto& list = CPublicManager::instance()->recycleBookList;
    if (!m_model->restoreBook(list.indexOf(CPublicManager::instance()->findRecycledBookByLocalId(localBookId)),
                              localBookId)
        && !CUiManager::instance()->tellRefusedChange(tr("The book could not be restored; it stays in the recycle "
                                                         "bin.")))
        CUiManager::instance()->showError(tr("Failed to restore book"), 1000);
    updatePage();
}

void Dialog_BookRecycle::deleteBook(int localBookId, bool confirmed)
{
    if (localBookId < 1 || CPublicManager::instance()->findRecycledBookByLocalId(localBookId) == nullptr)
        return;
    if (!confirmed && !confirm(tr("Are you sure to delete %1?"), localBookId))
        return;
    const auto& list = CPublicManager::instance()->recycleBookList;
    if (!m_model->deleteBook(list.indexOf(CPublicManager::instance()->findRecycledBookByLocalId(localBookId)),
                             localBookId)) {
        // Words written in it elsewhere keep it here once: the reason is shown.
        const QString reason = CJobManager::instance()->lastError();
        if (!CUiManager::instance()->tellRefusedChange(tr("The book could not be deleted; it stays in the recycle "
                                                          "bin.")))
            CUiManager::instance()->showError(reason.isEmpty() ? tr("Failed to delete book") : reason,
                                              reason.isEmpty() ? 1000 : 8000);
    }
    updatePage();
}
