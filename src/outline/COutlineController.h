#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class CJobManager;
class CPublicManager;
class COutlineBookModel;
class COutlineModel;
class COutlineSortModel;
class QQuickWidget;
struct T_Book;
struct T_Outline;

// The outline panel's one controller: it owns the panel widget and its three
// models, is the panel's "outlineCtr", and is where the book operations
// report outlines stored or deleted elsewhere. Those reports keep the book's
// outline list right whether or not the panel was ever opened, so data code
// never needs a window. GUI thread only.
class COutlineController : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int checkState READ checkState NOTIFY checkStateChanged)
public:
    enum ENUM_FILECHECK {
        ENUM_UNCHECKED = 0,
        ENUM_CHECKED = 1,
        ENUM_CHECKEDALL = 2,
    };
    Q_ENUM(ENUM_FILECHECK)

    static COutlineController* instance();

    // --- for the hosts ---
    // The panel widget, created with the models on the first call (again
    // after a host that held it was destroyed).
    QQuickWidget* getWidget();
    void addAllItem(T_Book* book);
    void setHeight(int height);
    // Sign-out: the widget leaves its host and the panel forgets the book.
    void reset();

    // --- for the book operations ---
    // A stored outline of the book: the book takes ownership of the record.
    // A null book frees it.
    void addItem(T_Book* book, T_Outline* outline, bool fromSync);
    // The outline's row is gone from the database: its record leaves the
    // book's list and is freed.
    void removeItem(T_Book* book, T_Outline* outline, bool fromSync);
    // The platform changed the record.
    void updateItem(T_Outline* outline);
    // The book left the shelf: the panel shows the first other book, or no
    // book when there is none.
    void removeBook(int localBookId);

    // The card being typed in stores its words not stored yet, before
    // something else changes its outline.
    void storeTyped() { emit sigStoreTyped(); }

    // The book on show; null when none.
    T_Book* currentBook() const;
    int checkState() const { return m_checkState; }
    // Null until the first getWidget().
    COutlineModel* outlineModel() const;
    COutlineSortModel* sortModel() const;
    COutlineBookModel* bookModel() const;

    // --- for the panel: none of these runs a question or chooser before it
    // returns ---
    Q_INVOKABLE void close();
    Q_INVOKABLE void hide();
    Q_INVOKABLE void showTip(const QString& tip);
    Q_INVOKABLE void toggleBook(int localId);
    Q_INVOKABLE void create(int type);
    // The card's text stored with its job; a text the database refuses stays
    // in the card and the author is told (once until a save works again).
    Q_INVOKABLE void create(int type, const QString& text);
    Q_INVOKABLE bool update(int localId, int type, const QString& text);
    // Local id 0 (the unsaved row) goes at once; a stored outline is asked
    // about once the panel's handler has returned, and the checked ones of
    // removeAll() likewise.
    Q_INVOKABLE void remove(int localId);
    Q_INVOKABLE void removeAll();
    Q_INVOKABLE void setFilter(int type);
    // Rows of the panel (the sort model); count is not used.
    Q_INVOKABLE void move(int from, int to, int count);
    Q_INVOKABLE void moveLine(int index, bool bottom);
    Q_INVOKABLE void moveLine(int index);
    // The checked outlines to a file chosen once the handler has returned.
    Q_INVOKABLE void exportAll();
    Q_INVOKABLE void expand(int localId, bool expand);
    Q_INVOKABLE void expandAll(bool expand);
    Q_INVOKABLE void check(int localId, bool check);
    Q_INVOKABLE void checkAll(bool check);
    Q_INVOKABLE void edit(int localId, bool edit);
    Q_INVOKABLE QString bookName() const;
    // The widget gives up the keyboard focus and takes it back 200 ms later,
    // so that input methods attach to the text being edited.
    Q_INVOKABLE void clearFocus();
    // True during those 200 ms: the panel does not treat the focus loss as
    // the end of editing.
    Q_INVOKABLE bool isRefocusing() const { return m_refocusing; }
    // 1 light, kraft and custom; 2 dark; 3 green; -1 otherwise.
    Q_INVOKABLE int getTheme() const;
    Q_INVOKABLE double scale() const;
    // Adds len (may be negative) outline characters to the day's statistics.
    Q_INVOKABLE void statistics(int len);

    // The question remove() and removeAll() ask; true for the first button.
    static bool confirmDelete(const QString& text);

signals:
    void checkStateChanged(int checkState);
    void errorString(QString error);
    void sigBookName(QString name);
    void sigHeight(int height);
    void hideBall();
    void sigTheme();
    void sigStoreTyped();

private:
    explicit COutlineController(QObject* parent = nullptr);
    void createModels();
    void showBook(T_Book* book);
    void updateCheckState();
    int sourceRow(int row) const;
    void storeRefused();

    QPointer<QQuickWidget> m_widget;
    QPointer<COutlineModel> m_model;
    QPointer<COutlineSortModel> m_sortModel;
    QPointer<COutlineBookModel> m_bookModel;
    int m_localBookId = 0;
    int m_checkState = 0;
    bool m_refocusing = false;
    // The author heard of the failing saves since the last one that worked.
    bool m_failureTold = false;
    CPublicManager* m_public = nullptr;
    CJobManager* m_jobs = nullptr;
};
