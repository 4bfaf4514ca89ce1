#pragma once

#include "ui/bookshelf/BookDialogBase.h"

#include <QAbstractListModel>

class QListView;
class QMenu;
class QStackedWidget;

struct BookRecycleItem
{
    int localBookId = 0;
    int wordNum = 0;
    QString bookName;
    int deleteTime = 0;
};
Q_DECLARE_METATYPE(BookRecycleItem)

// The shared model's recycled books as rows, read on every call.
class CBookRecycleModel : public QAbstractListModel
{
    Q_OBJECT
public:
    explicit CBookRecycleModel(QObject* parent = nullptr);
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    // Each returns whether the book operation was done; the rows are
    // re-read either way.
    bool deleteBook(int row, int localBookId);
    bool restoreBook(int row, int localBookId);
};

// Lists the deleted books; right click restores one or deletes it for good.
class Dialog_BookRecycle : public BookDialogBase
{
    Q_OBJECT
public:
    explicit Dialog_BookRecycle(QWidget* parent = nullptr);

    CBookRecycleModel* model() const { return m_model; }
    QListView* listView() const { return m_list; }
    QMenu* menu() const { return m_menu; }
    bool showsEmptyPage() const;
    // The menu's steps; each asks first unless confirmed is set.
    void restoreRow(int row, bool confirmed);
    void deleteRow(int row, bool confirmed);

private:
    void updatePage();

    CBookRecycleModel* m_model;
    QStackedWidget* m_stack;
    QListView* m_list;
    QMenu* m_menu;
};
