#include "ChapterListModel.h"

#include "db/records/T_Book.h"

namespace {
const int kMetaTypeId = qRegisterMetaType<T_ChapterListItem>("T_ChapterListItem");
}

ChapterListModel::ChapterListModel(QObject* parent) : QStringListModel(parent)
{
    Q_UNUSED(kMetaTypeId)
}

ChapterListModel::~ChapterListModel()
{
    qDeleteAll(m_items);
}

void ChapterListModel::loadBook(T_Book* book, bool recycled)
{
    beginResetModel();
    qDeleteAll(m_items);
    m_items.clear();
    m_count = 0;
    endResetModel();
    if (book == nullptr)
        return;
    const QList<T_Chapter*>& chapters = recycled ? book->recycleChapterList : book->chapterList;
    for (const T_Chapter* chapter : chapters) {
        beginInsertRows(QModelIndex(), m_count, m_count);
        m_items.append(new T_ChapterListItem{chapter->localBookId, chapter->localId, chapter->name});
        m_count = m_items.size();
        endInsertRows();
    }
}

void ChapterListModel::clear()
{
    qDeleteAll(m_items);
    m_items.clear();
    m_count = 0;
}

bool ChapterListModel::removeItem(int localChapterId)
{
    for (int row = 0; row < m_items.size(); ++row) {
        if (m_items.at(row)->localChapterId != localChapterId)
            continue;
        beginRemoveRows(QModelIndex(), row, row);
        delete m_items.takeAt(row);
        m_count = m_items.size();
        endRemoveRows();
        break;
    }
    return true;
}

int ChapterListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_count;
}

QVariant ChapterListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() < 0 || index.row() >= m_items.size() || role != Qt::DisplayRole)
        return QVariant();
    return QVariant::fromValue(*m_items.at(index.row()));
}
