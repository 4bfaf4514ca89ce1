#pragma once

#include "ui/bookshelf/BookShelf_Book.h"

#include <QAbstractListModel>

class CPublicManager;
struct TC_Books_AddBook;
struct TC_Books_Delete;

// The books of the shared model's book list as rows, in its order. The model
// holds no books: its count says how many entries of that list are shown, and
// every read goes to the list by row. In shelf mode the last row is the
// new-book tile.
class CBookListModel : public QAbstractListModel
{
    Q_OBJECT
public:
    enum Mode { Shelf = 0, Preview = 1 };

    explicit CBookListModel(int mode, QObject* parent = nullptr);

    int mode() const { return m_mode; }
    int bookCount() const { return m_count; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool insertRows(int row, int count, const QModelIndex& parent = QModelIndex()) override;
    bool removeRows(int row, int count, const QModelIndex& parent = QModelIndex()) override;

    void resetCount();
    void insertRow(int row);
    // The book is created in the shared model between the begin and the end
    // of the insertion, so views never see a row without its book.
    void insertBook(int row, const TC_Books_AddBook& request, bool busy,
                    const QModelIndex& parent = QModelIndex());
    void removeBook(int row, const TC_Books_Delete& request, const QModelIndex& parent = QModelIndex());
    void refreshRows(int row, int count);

private:
    bool rowInRange(int row, bool inserting) const;

    CPublicManager* m_model;
    int m_mode;
    int m_count = 0;
};
