#include "CBookListDelegate.h"

#include "common/DPIAdapter.h"
#include "common/StyleType.h"
#include "manager/CPublicManager.h"
#include "manager/CQssManager.h"

#include <QAbstractItemModel>
#include <QEvent>
#include <QIcon>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>
#include <QWidgetAction>

namespace {
const char* const kLightCover = ":/res/skin/light/bookshelf/book_def.svg";
const char* const kLightAdd = ":/res/skin/light/bookshelf/book_add.svg";
const char* const kLightShade = ":/res/skin/light/bookshelf/book_shade.png";
const char* const kDarkCover = ":/res/skin/dark/bookshelf/book_def.svg";
const char* const kDarkAdd = ":/res/skin/dark/bookshelf/book_add.svg";
const char* const kDarkShade = ":/res/skin/dark/bookshelf/book_shade.png";
}

CBookListDelegate::CBookListDelegate(int mode, QObject* parent)
    : QStyledItemDelegate(parent), m_qss(CQssManager::instance()), m_s(DPIAdapter::instance()->scale()),
      m_mode(mode)
{
    m_darkShade = QPixmap(QStringLiteral(":/res/skin/dark/bookshelf/book_def_shade.png"))
                      .scaled(px(120), px(160), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    buildMenus();
}

CBookListDelegate::~CBookListDelegate()
{
    delete m_bookMenu;
    delete m_newMenu;
}

QListView* CBookListDelegate::view() const
{
    return qobject_cast<QListView*>(parent());
}

BookShelf_Book CBookListDelegate::record(const QModelIndex& index)
{
    const QVariant value = index.data(Qt::DisplayRole);
    if (value.canConvert<BookShelf_Book>())
        return value.value<BookShelf_Book>();
    return BookShelf_Book();
}

QSize CBookListDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const
{
    return m_mode == 0 ? QSize(px(150), px(230)) : QSize(px(126), px(198));
}

QRect CBookListDelegate::coverRect(const QPoint& topLeft) const
{
    if (m_mode == 0)
        return QRect(topLeft + QPoint(px(15), px(10)), QSize(px(120), px(160)));
    return QRect(topLeft, QSize(px(126), px(168)));
}

QRect CBookListDelegate::nameRect(const QPoint& topLeft) const
{
    const QRect cover = coverRect(topLeft);
    if (m_mode == 0)
        return QRect(cover.left(), cover.bottom() + 1 + px(12), px(120), px(23));
    return QRect(cover.left(), cover.bottom() + 1 + px(8), px(126), px(22));
}

QRect CBookListDelegate::progressRect(const QPoint& topLeft) const
{
    return QRect(topLeft + QPoint(px(31), px(126)), QSize(px(88), px(6)));
}

int CBookListDelegate::progressFillWidth(int done, int count, int barWidth)
{
    if (count <= 0 || done <= 0)
        return 0;
    // More done than counted would paint past the bar's end.
    return static_cast<int>(double(qMin(done, count)) / count * barWidth);
}

void CBookListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyledItemDelegate::paint(painter, option, index);
    if (!index.isValid() || !view())
        return;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, true);
    if (m_mode == 0)
        paintShelf(painter, option.rect, index);
    else
        paintPreview(painter, option.rect, index);
    painter->restore();
}

void CBookListDelegate::paintShelf(QPainter* painter, const QRect& tile, const QModelIndex& index) const
{
    QFont font(QStringLiteral("Microsoft YaHei"));
    painter->setRenderHint(QPainter::SmoothPixmapTransform, true);

    const int style = m_qss->currentStyleType();
    const bool dark = (style & StyleDark) != 0;
    QColor nameColor(QStringLiteral("#424242")), numColor(QStringLiteral("#666666"));
    QString defCover = QLatin1String(kLightCover), addPic = QLatin1String(kLightAdd),
            shadePic = QLatin1String(kLightShade);
    if (style == StyleGreen) {
        nameColor = QColor(QStringLiteral("#205134"));
        numColor = QColor(QStringLiteral("#4D8057"));
    } else if (dark) {
        nameColor = QColor(QStringLiteral("#999999"));
        numColor = QColor(QStringLiteral("#7782A1"));
        defCover = QLatin1String(kDarkCover);
        addPic = QLatin1String(kDarkAdd);
        shadePic = QLatin1String(kDarkShade);
    }

    const int rows = view()->model() ? view()->model()->rowCount(QModelIndex()) : 0;
    const QPoint origin = tile.topLeft();
    if (m_hover && index.row() == m_hoverRow) {
        const QRect shade(origin, QSize(px(150), px(190)));
        QIcon(shadePic).paint(painter, shade);
    }
    const QRect cover = coverRect(origin);
    if (index.row() == rows - 1) {
        QIcon(addPic).paint(painter, cover);
        return;
    }

    const BookShelf_Book book = record(index);
    const QPixmap picture = book.localCover.isEmpty() ? QPixmap() : QPixmap(book.localCover);
    if (picture.isNull())
        QIcon(defCover).paint(painter, cover);
    else
        painter->drawPixmap(cover, picture.scaled(cover.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    if (dark && !m_darkShade.isNull())
        painter->drawPixmap(cover, m_darkShade);

    QString name = book.bookName;
    if (book.syncing)
        name = tr("Synchronous");
    else if (book.importing)
        name = tr("Importing");

    // A book marked as synchronising with nothing counted has no progress
    // to show: an empty bar would only sit in the middle of the tile.
    if (book.importing || (book.syncing && book.changeCount > 0)) {
        const QRect bar = progressRect(origin);
        const bool green = style == StyleGreen;
        painter->setPen(Qt::NoPen);
        painter->setBrush(QColor(green ? "#C4CCDC" : "#C7C7C7"));
        painter->drawRoundedRect(bar, 2, 2);
        const int fill = progressFillWidth(book.doneCount, book.changeCount, bar.width());
        if (fill > 0) {
            painter->setBrush(QColor(green ? "#4D8057" : "#51A8FF"));
            painter->drawRoundedRect(QRect(bar.left(), bar.top() + 1, fill, px(4)), 2, 2);
        }
    }

    const QRect nameLine = nameRect(origin);
    font.setPixelSize(px(17));
    painter->setFont(font);
    painter->setPen(nameColor);
    const QString elided = QFontMetrics(font).elidedText(name, Qt::ElideRight, nameLine.width());
    painter->drawText(nameLine, Qt::AlignLeft | Qt::AlignTop, elided);

    const QRect numLine(nameLine.left(), nameLine.bottom() + 1 + px(4), nameLine.width(), px(20));
    font.setPixelSize(px(15));
    painter->setFont(font);
    painter->setPen(numColor);
    painter->drawText(numLine, Qt::AlignLeft | Qt::AlignTop, QString::number(book.wordNum) + tr("Num"));
}

void CBookListDelegate::paintPreview(QPainter* painter, const QRect& tile, const QModelIndex& index) const
{
    QFont font(QStringLiteral("微软雅黑"));
    const int style = m_qss->currentStyleType();
    const bool dark = (style & StyleDark) != 0;
    QColor nameColor(QStringLiteral("#616161"));
    const QString defCover = QLatin1String(dark ? kDarkCover : kLightCover);
    const BookShelf_Book book = record(index);
    if (CPublicManager::instance()->userConf.curBookLocalId == book.localId && book.localId > 0)
        nameColor = QColor(style == StyleGreen ? "#205134" : "#51A8FF");

    const QRect cover = coverRect(tile.topLeft());
    if (book.localCover.isEmpty())
        QIcon(defCover).paint(painter, cover);
    else
        painter->drawPixmap(cover, QPixmap(book.localCover));

    const QRect nameLine = nameRect(tile.topLeft());
    font.setPixelSize(px(16));
    painter->setFont(font);
    painter->setPen(nameColor);
    painter->drawText(nameLine, Qt::AlignLeft | Qt::AlignTop,
                      QFontMetrics(font).elidedText(book.bookName, Qt::ElideRight, nameLine.width()));
}

bool CBookListDelegate::editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                                    const QModelIndex& index)
{
    QListView* list = view();
    if (!index.isValid() || !list)
        return false;
    const auto type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease && type != QEvent::MouseMove
        && type != QEvent::MouseButtonDblClick)
        return false;
    auto* mouse = static_cast<QMouseEvent*>(event);
    list->unsetCursor();
    m_mousePos = mouse->pos();
    if (!coverRect(option.rect.topLeft()).contains(mouse->pos()))
        return false;

    if (type == QEvent::MouseButtonPress || type == QEvent::MouseMove || type == QEvent::MouseButtonDblClick) {
        list->setCursor(Qt::PointingHandCursor);
        return true;
    }
    const BookShelf_Book book = record(index);
    if (m_mode == 0) {
        const int rows = model ? model->rowCount(QModelIndex()) : 0;
        if (index.row() == rows - 1) {
            openMenu(m_newMenu, mouse->pos());
        } else if (mouse->button() == Qt::LeftButton) {
            if (!book.syncing && !book.importing)
                emit sig_open(book.localId);
        } else {
            m_bookMenu->setProperty("localBookId", book.localId);
            m_bookMenu->setProperty("index", index.row());
            m_bookMenu->setProperty("bookName", book.bookName);
            openMenu(m_bookMenu, mouse->pos());
        }
    } else if (mouse->button() == Qt::LeftButton && !book.syncing && !book.importing) {
        emit sig_open(book.localId);
    }
    return true;
}

void CBookListDelegate::openMenu(QMenu* menu, const QPoint& viewPos)
{
    QListView* list = view();
    // popup() rather than exec(): the handler must return to the view's
    // event loop, and a test can drive the menu's actions itself.
    menu->popup(list->viewport()->mapToGlobal(viewPos));
}

bool CBookListDelegate::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_deleteLabel && event->type() == QEvent::MouseButtonRelease) {
        m_bookMenu->close();
        m_deleteAction->trigger();
        return true;
    }
    QListView* list = view();
    // A menu, a dialog or another window taking the mouse away leaves no
    // move behind: the shade goes with the mouse.
    if (list && watched == list->viewport()
        && (event->type() == QEvent::Leave || event->type() == QEvent::Hide)) {
        clearHover();
        return QStyledItemDelegate::eventFilter(watched, event);
    }
    if (list && event->type() == QEvent::MouseMove && watched == list->viewport()) {
        const QPoint pos = static_cast<QMouseEvent*>(event)->pos();
        const QModelIndex index = list->indexAt(pos);
        // A quick move leaves the shaded tile without a move over its edge:
        // that tile is painted again without the shade.
        if (m_hoverRow >= 0 && m_hoverRow != index.row() && list->model())
            list->update(list->model()->index(m_hoverRow, 0));
        if (!index.isValid()) {
            list->setToolTip(QString());
            list->setProperty("index", -1);
            list->unsetCursor();
            m_hover = false;
            m_hoverRow = -1;
        } else {
            const QRect tile = list->visualRect(index);
            m_hoverRow = index.row();
            if (!coverRect(tile.topLeft()).contains(pos)) {
                list->unsetCursor();
                m_hover = false;
                m_hoverRow = -1;
                list->update(index);
            } else {
                m_hover = true;
                list->update(index);
            }
            const QRect cover = coverRect(tile.topLeft());
            const QRect nameLine(tile.left(), cover.bottom() + 1 + px(12), tile.width(), px(23));
            if (nameLine.contains(pos)) {
                if (list->property("index").toInt() != index.row() || !list->property("index").isValid())
                    list->setToolTip(record(index).bookName);
                list->setProperty("index", index.row());
            } else {
                list->setToolTip(QString());
                list->setProperty("index", -2);
            }
        }
    }
    return QStyledItemDelegate::eventFilter(watched, event);
}

void CBookListDelegate::buildMenus()
{
    auto makeMenu = []() {
        auto* menu = new QMenu();
        menu->setWindowFlags(Qt::Popup | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint);
        menu->setAttribute(Qt::WA_TranslucentBackground);
        return menu;
    };
    m_bookMenu = makeMenu();
    m_bookMenu->setObjectName(QStringLiteral("bookMenu"));
    QMenu* menu = m_bookMenu;
    auto id = [menu]() { return menu->property("localBookId").toInt(); };
    m_bookMenu->addAction(tr("Open"), this, [this, id]() { emit sig_open(id()); });
    m_bookMenu->addAction(tr("BookInfo"), this,
                          [this, id, menu]() { emit sig_info(id(), menu->property("index").toInt()); });
    m_bookMenu->addAction(tr("Outline"), this, [this, id]() { emit sig_outlinOpen(id()); });
    m_bookMenu->addAction(tr("BookExport"), this, [this, id]() { emit sig_export(id()); });
    m_bookMenu->addSeparator();
    auto* deleteAction = new QWidgetAction(m_bookMenu);
    auto* label = new QLabel(tr("Delete"));
    label->setObjectName(QStringLiteral("menuItem"));
    label->setMouseTracking(true);
    deleteAction->setDefaultWidget(label);
    deleteAction->setText(tr("Delete"));
    connect(deleteAction, &QAction::triggered, this, [this, id, menu]() {
        emit sig_delete(id(), menu->property("bookName").toString(), menu->property("index").toInt());
    });
    m_bookMenu->addAction(deleteAction);
    // The label takes the clicks of its row; it hands them to its action.
    label->installEventFilter(this);
    m_deleteLabel = label;
    m_deleteAction = deleteAction;
    connect(m_bookMenu, &QMenu::aboutToHide, this, &CBookListDelegate::clearHover);

    m_newMenu = makeMenu();
    m_newMenu->setObjectName(QStringLiteral("newBookMenu"));
    m_newMenu->addAction(tr("Create"), this, &CBookListDelegate::sig_create);
    m_newMenu->addAction(tr("Create Outline"), this, &CBookListDelegate::sig_outlinCreate);
    m_newMenu->addAction(tr("Import"), this, &CBookListDelegate::sig_import);
    connect(m_newMenu, &QMenu::aboutToHide, this, &CBookListDelegate::clearHover);
}

void CBookListDelegate::clearHover()
{
    if (QListView* list = view()) {
        if (list->model() && m_hoverRow >= 0)
            list->update(list->model()->index(m_hoverRow, 0));
    }
    m_hover = false;
    m_hoverRow = -1;
}
