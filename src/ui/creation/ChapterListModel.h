#pragma once

#include <QList>
#include <QMetaType>
#include <QString>
#include <QStringListModel>

struct T_Book;

// One row of a chapter list: just what the row shows; everything else is
// looked up in the book by the local chapter id.
struct T_ChapterListItem
{
    int localBookId = 0;
    int localChapterId = 0;
    QString chapterName;
};
Q_DECLARE_METATYPE(T_ChapterListItem)

// A book's chapters (or its recycled chapters) as list rows. The inherited
// string list stays empty; the rows are the model's own items.
class ChapterListModel : public QStringListModel
{
    Q_OBJECT
public:
    explicit ChapterListModel(QObject* parent = nullptr);
    ~ChapterListModel() override;

    // Replaces the rows by the book's recycled chapters (recycled) or its chapters.
    void loadBook(T_Book* book, bool recycled);
    // Drops every row without telling attached views; the owner refreshes them.
    void clear();
    // Removes the first row of that chapter; true also when there is none.
    bool removeItem(int localChapterId);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    QList<T_ChapterListItem*> m_items;
    int m_count = 0;
};
