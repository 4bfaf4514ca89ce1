#pragma once

#include <QObject>

struct T_Book;
struct T_Outline;

// The outline panel's controller: which book the panel shows and the moves
// of outline entries between the book's list and the panel. The panel's
// widgets are not built yet; until they are, the controller keeps the book's
// outline list itself and announces each change by a signal, so the book
// operations never need to know whether a panel is open. GUI thread only.
class COutlineController : public QObject
{
    Q_OBJECT
public:
    static COutlineController* instance();

    // The book shown, by local id (0 when none), looked up in the model on
    // use so a released book is never touched.
    T_Book* currentBook() const;
    void loadBook(T_Book* book);

    // A new outline of the book: the book takes ownership. A null book frees it.
    void addItem(T_Book* book, T_Outline* outline, bool fromServer);
    // Takes the outline out of the book's list and frees it.
    void removeItem(T_Book* book, T_Outline* outline, bool fromServer);
    // Title, content, type or order of the outline changed.
    void updateItem(T_Outline* outline);
    // The book left the shelf: the panel moves to the first other book, and
    // stays as it is when there is none.
    void removeBook(int localBookId);

signals:
    void sigItemAdded(T_Outline* outline);
    void sigItemRemoved(int localBookId, int localOutlineId);
    void sigItemChanged(T_Outline* outline);
    void sigBookChanged(int localBookId);

private:
    explicit COutlineController(QObject* parent = nullptr);
    int m_localBookId = 0;
};
