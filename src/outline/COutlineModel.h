#pragma once

#include <QAbstractListModel>
#include <QString>

class CBookJobManager;
struct T_Book;
struct T_Outline;

// The outlines of the book on show, one row per entry of the book's outline
// list, in list order (the panel's order comes from COutlineSortModel). Every
// lasting change goes to the book operations as a request; the model itself
// never writes the database. The book is held by its local id and looked up
// in the shared model on use, so a released book is never touched. GUI
// thread only.
class COutlineModel : public QAbstractListModel
{
    Q_OBJECT
public:
    enum Roles {
        LocalIdRole = Qt::UserRole + 1,  // 257
        OutlineIdRole,
        BookLocalIdRole,
        OrderNumRole,
        TypeRole,
        ContentRole,
        CheckedRole,
        ExpandRole,
        EditRole,
        MoveLineRole,  // 266
    };

    explicit COutlineModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

    // The book on show; null when none is set or it left the bookshelf.
    T_Book* book() const;
    void setBook(T_Book* book);

    // The unsaved row (local id 0) at the top, for the panel to type into.
    void create(int type);
    // Stores the typed text as a new outline; outline_create calls back
    // addItem, which turns the unsaved row into the stored one.
    bool create(int type, const QString& text);
    // A stored outline: with append it joins the list (from the change
    // feed); otherwise it fills the unsaved row, and the record is freed.
    void addItem(T_Book* book, T_Outline* outline, bool append);
    bool update(int localId, int type, const QString& text);
    void updateItem(T_Outline* outline);
    // Deletes one outline through the book operations; local id 0 only drops
    // the unsaved row. False when the outline is still there.
    bool deleteItem(int localId);
    // The book operations took the outline out of the database: its row and
    // record go.
    void removeItem(T_Book* book, T_Outline* outline, bool fromSync);
    // Deletes every checked outline; false when one of them could not be.
    bool removeAll();
    // Reorders by source rows: the outline at from takes the place of the
    // one at to. False when nothing was stored.
    bool move(int from, int to);
    void moveLine(int row, bool bottom);
    void clearMoveLine();

    void check(int localId, bool value);
    void checkAll(bool value);
    // 0 none checked (or no rows), 1 some, 3 all.
    int checkState() const;
    void expand(int localId, bool value);
    void expandAll(bool value);
    void edit(int localId, bool value);

    // Asks for a file and writes the checked outlines to it.
    void exportAll();
    // The export without the dialog: false (nothing replaced) when the file
    // cannot be written.
    bool exportTo(const QString& path) const;
    // The export's text of the given outlines, highest orderNum first.
    static QString exportText(QList<const T_Outline*> outlines);
    static QString defaultExportName(const QString& bookName);

private:
    int rowOf(int localId) const;
    void announce(int row);
    bool sendDelete(T_Book* book, const T_Outline* outline);

    CBookJobManager* m_bookJobs = nullptr;
    int m_localBookId = 0;
    // Set while removeAll resets the model: rows go without announcements.
    bool m_resetting = false;
};
