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

// The shared model's recycled books as rows, read on every call; the rows
// are read anew whenever the model says the recycled books changed (here or
// through the change feed).
class CBookRecycleModel : public QAbstractListModel
{
    Q_OBJECT
public:
    explicit CBookRecycleModel(QObject* parent = nullptr);
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    // Each returns whether the book operation was done.
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
    // The menu's steps; each asks first unless confirmed is set, and acts
    // only on a book still in the bin once answered.
    void restoreRow(int row, bool confirmed);
    void deleteRow(int row, bool confirmed);
    void restoreBook(int localBookId, bool confirmed);
    void deleteBook(int localBookId, bool confirmed);

private:
    void updatePage();
    // The rows were read anew: the page, and the menu of a book that left
    // the bin, follow.
    void followBin();
    // Asks the question of a step about the recycled book; false unless OK.
    bool confirm(const QString& question, int localBookId);
    // The book is still in the bin (else the author is told so).
    bool stillInBin(int localBookId, const QString& name);

    CBookRecycleModel* m_model;
    QStackedWidget* m_stack;
    QListView* m_list;
    QMenu* m_menu;
};
