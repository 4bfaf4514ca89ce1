#pragma once

#include <QPointer>
#include <QWidget>

class CBookListDelegate;
class CBookListModel;
class CIconButton;
class CJobManager;
class CPublicManager;
class QListView;
class QPropertyAnimation;
class QPushButton;
class QStringListModel;
struct T_Book;
struct TC_Books_AddBook;
struct TC_Books_Delete;

// The bookshelf's default page: the grid of book tiles with the handlers of
// everything their menus offer, the recycle-bin button and the system covers
// the book dialogs offer.
class Widget_BookShelfList : public QWidget
{
    Q_OBJECT
public:
    explicit Widget_BookShelfList(QWidget* parent = nullptr);

    void initData();
    void addBook(const TC_Books_AddBook& request, int row, bool busy);
    void removeBook(int row, const TC_Books_Delete& request);
    void insertRow(int row);
    void updateBook(int row);
    void initCover();
    // Folder of the system covers; a test may point it elsewhere.
    void setCoverFolder(const QString& folder) { m_coverFolder = folder; }
    void openOutline(T_Book* book);
    void closeOutline();

    // The steps after the dialogs: each returns whether the operation was
    // done; a failure has been shown as a toast.
    bool createBook(const QString& name, const QString& cover, bool withOutline);
    bool deleteBook(int localBookId);
    void importFile(const QString& path);

    QListView* listView() const { return m_list; }
    CBookListModel* model() const { return m_model; }
    CBookListDelegate* delegate() const { return m_delegate; }
    QStringListModel* coverModel() const { return m_coverModel; }
    CIconButton* recycleButton() const { return m_btnRecycle; }
    QPushButton* ball() const { return m_ball; }

    // The questions the handlers ask; replaced in tests, where no modal
    // window may wait for a hand.
    struct Prompts {
        virtual ~Prompts() = default;
        virtual bool confirmDelete(QWidget* parent, const QString& bookName);
        // True with name and cover filled when the dialog was accepted.
        virtual bool askNewBook(QWidget* parent, QStringListModel* covers, bool outline, QString* name,
                                QString* cover);
        virtual bool askBookInfo(QWidget* parent, QStringListModel* covers, T_Book* book);
        // False when the author closed the import rules: no file is asked for.
        virtual bool askImportRule(QWidget* parent);
        virtual QString askImportFile();
        virtual void showRecycleBin(QWidget* parent);
    };
    void setPrompts(Prompts* prompts);

public slots:
    void onOpen(int localBookId);
    void onInfo(int localBookId, int index);
    void onOutlineOpen(int localBookId);
    void onExport(int localBookId);
    void onDelete(int localBookId, const QString& bookName, int index);
    void onCreate();
    void onOutlineCreate();
    void onImport();

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CPublicManager* m_model_;
    CJobManager* m_jobs;
    QPointer<QWidget> m_outline;
    QStringListModel* m_coverModel;
    QPropertyAnimation* m_ballAnimation;
    QPushButton* m_ball;
    CIconButton* m_btnRecycle;
    double m_s;
    QListView* m_list;
    CBookListModel* m_model;
    CBookListDelegate* m_delegate;
    QString m_coverFolder;
    Prompts m_defaultPrompts;
    Prompts* m_prompts = &m_defaultPrompts;
};
