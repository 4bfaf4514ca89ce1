#pragma once

#include <QWidget>

class CBaseTitleBar;
class CJobManager;
class CUiManager;
class ChapterListDelegate;
class ChapterListModel;
class QLabel;
class QListView;
class QAction;
class QMenu;
class QStackedWidget;
class QTextBrowser;
struct T_Book;
struct T_Chapter;

// The chapter recycle bin of the open book: lists the recycled chapters,
// shows one with its volume, size, creation time and days left, and recovers
// or deletes them for good, one or all at once. It follows the book while
// open: a chapter restored or deleted elsewhere leaves the list (and is no
// longer the one the menu acts on), one recycled elsewhere joins it.
class Widget_RecycleBin : public QWidget
{
    Q_OBJECT
public:
    explicit Widget_RecycleBin(QWidget* parent = nullptr);
    ~Widget_RecycleBin() override;

    // Shows the book's recycled chapters; a null book only clears the details.
    void loadBook(T_Book* book);

    // Days a chapter recycled at recycleTime has left at now (rounded up).
    static int daysLeft(qint64 recycleTime, qint64 now);

    // The menu's actions, in menu order: delete, recover, delete all, recover all.
    QMenu* menu() const { return m_menu; }
    // The chapter whose details are shown, looked up by id; null once it is
    // no longer in the recycle bin.
    T_Chapter* currentChapter() const;

public slots:
    void onMousePressedByLeftBtn(int localChapterId);
    void onMousePressedByRightBtn(int localChapterId, int row);
    void deleteCurrent();
    void recoverCurrent();
    void deleteAll();
    void recoverAll();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildForm();
    void clearDetails();
    void showDetails(T_Chapter* chapter);
    // The chapter after c in the recycled list, else the one before; null when alone or absent.
    T_Chapter* neighbourOf(const T_Chapter* chapter) const;
    void selectChapter(T_Chapter* chapter);
    void showEmptyPage();
    bool deleteForGood(int localChapterId);
    // The book's recycled chapter of that id, null when it is not in the bin.
    T_Chapter* recycledChapter(int localChapterId) const;
    // The model said the book's recycled chapters changed.
    void followBin(int localBookId);
    // The menu offers what there is to act on.
    void updateActions();
    // The book shown, looked up by id: null once the model lost it.
    T_Book* book() const;
    void closeBin();
    void resetView();

    int m_localBookId = 0;
    // A delete for good of this turn was refused by the database.
    bool m_deleteRefused = false;
    int m_localChapterId = 0;
    ChapterListModel* m_model = nullptr;
    ChapterListDelegate* m_delegate = nullptr;
    QMenu* m_menu = nullptr;
    QAction* m_deleteAction = nullptr;
    QAction* m_recoverAction = nullptr;
    QAction* m_deleteAllAction = nullptr;
    QAction* m_recoverAllAction = nullptr;
    CUiManager* m_ui = nullptr;
    CJobManager* m_jobs = nullptr;
    double m_scale = 1.0;

    QWidget* m_inner = nullptr;
    CBaseTitleBar* m_titleBar = nullptr;
    QStackedWidget* m_stack = nullptr;
    QWidget* m_listPage = nullptr;
    QWidget* m_emptyPage = nullptr;
    QListView* m_list = nullptr;
    QLabel* m_volumeName = nullptr;
    QLabel* m_wordCount = nullptr;
    QLabel* m_createTime = nullptr;
    QLabel* m_dateTime = nullptr;
    QTextBrowser* m_text = nullptr;
};
