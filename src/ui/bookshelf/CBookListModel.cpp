#include "CBookListModel.h"

#include "manager/CPublicManager.h"

#include <QDebug>

CBookListModel::CBookListModel(int mode, QObject* parent)
    : QAbstractListModel(parent), m_model(CPublicManager::instance()), m_mode(mode)
{
    static const int registered = qRegisterMetaType<BookShelf_Book>("BookShelf_Book");
    Q_UNUSED(registered)
}

int CBookListModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    if (m_mode == Shelf)
        return m_count + 1;
    if (m_mode == Preview)
        return m_count;
    return 0;
}

QVariant CBookListModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid())
        return QVariant();
    const int row = index.row();
    if (row < 0 || row >= m_count || row >= m_model->bookList.size())
        return QVariant();
    const T_Book* book = m_model->bookList.at(row);
    if (!book)
        return QVariant();
    BookShelf_Book value;
    value.localId = book->localId;
    value.wordNum = book->wordNum;
    value.bookName = book->bookName;
    value.localCover = book->localCover;
    value.syncing = book->isSyncing;
    value.importing = book->isImporting;
    value.changeCount = book->synCount;
    value.doneCount = book->synDoneCount;
    return QVariant::fromValue(value);
}

bool CBookListModel::rowInRange(int row, bool inserting) const
{
    // Rows are announced only where the view has them: a row past the end
    // would leave the view's idea of the list out of step with the count.
    return row >= 0 && (inserting ? row <= m_count : row < m_count);
}

bool CBookListModel::insertRows(int row, int count, const QModelIndex& parent)
{
    if (parent.isValid() || count < 1 || !rowInRange(row, true))
        return false;
    beginInsertRows(parent, row, row + count - 1);
    m_count += count;
    endInsertRows();
    return true;
}

bool CBookListModel::removeRows(int row, int count, const QModelIndex& parent)
{
    if (parent.isValid() || count < 1 || !rowInRange(row, false) || row + count > m_count)
        return false;
    beginRemoveRows(parent, row, row + count - 1);
    m_count -= count;
    endRemoveRows();
    return true;
}

void CBookListModel::resetCount()
{
    beginResetModel();
    m_count = 0;
    endResetModel();
}

void CBookListModel::insertRow(int row)
{
    insertRows(row, 1);
}

void CBookListModel::insertBook(int row, const TC_Books_AddBook& request, bool busy, const QModelIndex& parent)
{
    if (request.header.localBookId < 1)
        return;
    // The shared model puts a new book at the head of its list, so that is
    // where the row appears, whatever row the caller named.
    Q_UNUSED(row)
    beginInsertRows(parent, 0, 0);
    if (T_Book* book = m_model->addBook(request))
        book->isImporting = busy;
    ++m_count;
    endInsertRows();
}

void CBookListModel::removeBook(int row, const TC_Books_Delete& request, const QModelIndex& parent)
{
    T_Book* book = m_model->findBookByLocalId(request.header.localBookId);
    if (!book) {
        // Nothing left the list: taking a row away would hide another book.
        qWarning() << "no book" << request.header.localBookId << "on the shelf to remove";
        return;
    }
    // The row to take away is where the book stands now; a stale row from
    // the caller would take another book's tile off the shelf.
    const int actual = m_model->bookList.indexOf(book);
    if (actual != row)
        qWarning() << "book" << request.header.localBookId << "is at row" << actual << "not" << row;
    if (!rowInRange(actual, false)) {
        m_model->moveBookToRecycle(request.header.localBookId);
        return;
    }
    beginRemoveRows(parent, actual, actual);
    --m_count;
    m_model->moveBookToRecycle(request.header.localBookId);
    endRemoveRows();
}

void CBookListModel::refreshRows(int row, int count)
{
    if (count < 1)
        return;
    emit dataChanged(index(row, 0), index(row + count - 1, 0));
}
