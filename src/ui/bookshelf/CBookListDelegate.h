#pragma once

#include "ui/bookshelf/BookShelf_Book.h"

#include <QPixmap>
#include <QPoint>
#include <QStyledItemDelegate>

class CQssManager;
class QAction;
class QLabel;
class QListView;
class QMenu;

// Paints the book tiles of the shelf (mode 0) and of the writing window's
// preview column (mode 1), handles the mouse on their covers and reports the
// user's choices as signals. Installed as the event filter of the view's
// viewport for hover and tooltips.
class CBookListDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    CBookListDelegate(int mode, QObject* parent);
    ~CBookListDelegate() override;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // Geometry of one tile whose top-left is the given point.
    QRect coverRect(const QPoint& topLeft) const;
    QRect nameRect(const QPoint& topLeft) const;
    QRect progressRect(const QPoint& topLeft) const;
    // Width of the progress fill for done of count changes in a bar of that width.
    static int progressFillWidth(int done, int count, int barWidth);

    QMenu* bookMenu() const { return m_bookMenu; }
    QMenu* newBookMenu() const { return m_newMenu; }
    QAction* deleteAction() const { return m_deleteAction; }
    int hoveredRow() const { return m_hoverRow; }
    // Forgets the tile under the mouse and repaints it without its shade.
    void clearHover();

signals:
    void sig_open(int localBookId);
    void sig_outlinOpen(int localBookId);
    void sig_import();
    void sig_create();
    void sig_outlinCreate();
    void sig_delete(int localBookId, QString bookName, int index);
    void sig_info(int localBookId, int index);
    void sig_export(int localBookId);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;

private:
    int px(double design) const { return static_cast<int>(design * m_s); }
    QListView* view() const;
    static BookShelf_Book record(const QModelIndex& index);
    void paintShelf(QPainter* painter, const QRect& tile, const QModelIndex& index) const;
    void paintPreview(QPainter* painter, const QRect& tile, const QModelIndex& index) const;
    void buildMenus();
    void openMenu(QMenu* menu, const QPoint& viewPos);

    CQssManager* m_qss;
    double m_s;
    QPixmap m_darkShade;
    int m_mode;
    bool m_hover = false;
    int m_hoverRow = -1;
    QPoint m_mousePos;
    QMenu* m_bookMenu = nullptr;
    QMenu* m_newMenu = nullptr;
    QLabel* m_deleteLabel = nullptr;
    QAction* m_deleteAction = nullptr;
};
