#pragma once

#include "CBookChapterItem.h"

#include <QAbstractListModel>
#include <QList>
#include <QMap>

// The chapters of one volume of the tree. The order shown is carried by each
// record's orderNum and presented by CBookChapterSortModel: moves and inserts
// renumber instead of reordering the list, so a row is stable for as long as
// its chapter stays in the volume. Every change goes through the operations
// below. GUI thread only.
class CBookChapterModel : public QAbstractListModel
{
    Q_OBJECT
public:
    enum Roles {
        LocalIdRole = Qt::UserRole + 1,
        ChapterIdRole,
        LocalVolumeIdRole,
        ChapterNameRole,
        OuderNumRole,
        ChapterSelectedRole,
        ChapterExpandRole,
        ChapterEditingRole,
        MoveLineRole,
        BookIdRole,
    };

    explicit CBookChapterModel(QObject* parent = nullptr);
    ~CBookChapterModel() override;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    void addItem(const CBookChapterItem& item);
    // Takes the volume's live chapters from the records in place: rows of
    // chapters still there keep their view state (a name being typed, the
    // selection), others come and go one by one.
    void followChapters(const QList<const T_Chapter*>& chapters, int localVolumeId);
    // Inserts beside the item at `row`, numbered to sort just before it (or
    // just after it with `after`); later chapters move up by one. A row
    // outside the list (the row count of a non-empty list included) inserts
    // nothing.
    void insertItem(const CBookChapterItem& item, int row, bool after);
    void removeItem(const CBookChapterItem& item);
    // The chapter at `from` takes the place of the one at `to`; `count` is
    // not consulted, one row moves.
    void moveItem(int from, int to, int count);

    void setItemName(int row, const QString& name);
    void setItemEditing(int row, bool editing);
    void setMoveLine(int row, bool bottom);
    void clearMoveLines();
    // Numbers given by the tree from outside (chapter local id -> orderNum).
    void setOrderNums(const QMap<int, int>& orderNums);

    void selectItem(int row);
    void selectItemByLocalId(int localChapterId);
    void clearSelection();
    bool hasSelected() const;

    CBookChapterItem getItem(int row) const;
    CBookChapterItem getItemByLocalId(int localChapterId) const;
    // -1 when the list has no such chapter.
    int rowOfLocalId(int localChapterId) const;
    // Chapter local id -> orderNum of every row.
    QMap<int, int> getOrderMap() const;

private:
    bool isRow(int row) const { return row >= 0 && row < m_items.size(); }
    void notify(int row);
    void announceSort();

    QList<CBookChapterItem> m_items;
};
