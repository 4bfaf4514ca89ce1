#pragma once

#include "db/records/T_Volume.h"

#include <QAbstractListModel>
#include <QList>

class CBookChapterModel;
class CBookChapterSortModel;
class CBookVolumeItem;
class CJobManager;
struct T_Book;

// The volumes of the open book, one row per shown (not deleted) volume, each
// with its own chapter list. Order is carried by orderNum and shown by
// CBookVolumeSortModel. A rename and a move are also recorded for the book
// through the job manager. GUI thread only.
class CBookVolumeModel : public QAbstractListModel
{
    Q_OBJECT
public:
    enum Roles {
        LocalIdRole = Qt::UserRole + 1,
        VolumeIdRole,
        VolumeNameRole,
        OuderNumRole,
        VolumeSelectedRole,
        IsExpandRole,
        VolumeEditingRole,
        VolumeMoveLineRole,
        BookIdRole,
    };

    explicit CBookVolumeModel(QObject* parent = nullptr);
    ~CBookVolumeModel() override;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    void setBook(T_Book* book);
    // The same book's records changed under the tree (a list from the
    // platform): rows follow them in place, so that what the author sees and
    // does there (a name being typed, where the tree is scrolled, what is
    // open or chosen) stays. Another book is set afresh.
    void followBook(T_Book* book);
    // Looked up by id: null once the model no longer has the book.
    T_Book* book() const;
    void addVolume(const T_Volume& volume);
    void removeVolume(const T_Volume& volume);
    // The volume at `from` takes the place of the one at `to`, and the new
    // numbers are recorded for the book; `count` is not consulted. False,
    // the rows as they were, when the numbers could not be recorded (a
    // volume dropped on its own place needs none).
    bool moveItem(int from, int to, int count);

    // The row shows the name once it is recorded for the book; false when
    // it was not.
    bool setVolumeName(int row, const QString& name);
    void setVolumeEditing(int row, bool editing);
    void setExpand(int localVolumeId, bool expand);
    void setAllExpand(bool expand);
    void setVolumeMoveLine(int row, bool bottom);
    void clearMoveLines();
    void clearChapterLines();

    void selectVolume(int row);
    void selectVolumeByLocalId(int localVolumeId);
    void selectChapter(int localVolumeId, int row);
    void selectChapterByLocalId(int localVolumeId, int localChapterId);
    // The first selected volume, or a default record when none is.
    T_Volume getSelectedVolume() const;
    bool hasSelectedChapter() const;

    CBookChapterModel* getChapterModel(int row) const;
    CBookChapterModel* getChapterModelByLocalId(int localVolumeId) const;
    CBookChapterSortModel* getChapterSortModel(int row) const;
    CBookChapterSortModel* getChapterSortModelByLocalId(int localVolumeId) const;

    void setChapterSort(int type);

    // A copy of the row's record; a default one outside the list.
    T_Volume volumeAt(int row) const;
    bool isExpanded(int row) const;
    // -1 when the book has no such volume in the tree.
    int rowOfLocalId(int localVolumeId) const;

private:
    bool isRow(int row) const { return row >= 0 && row < m_items.size(); }
    void notify(int row);
    void selectRowOnly(int row);

    CJobManager* m_jobManager = nullptr;
    QList<CBookVolumeItem*> m_items;
    int m_localBookId = 0;
};
