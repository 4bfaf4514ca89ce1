#pragma once

#include <QList>
#include <QMap>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>

class CBookChapterModel;
class CBookChapterSortModel;
class CBookVolumeModel;
class CBookVolumeSortModel;
class CJobManager;
class CPublicManager;
class CUiManager;
class QAction;
class QMenu;
class QQuickWidget;
struct T_Book;
struct T_Chapter;
struct T_Volume;

// The volume/chapter tree of the writing window: the QML panel, the two list
// models behind it and the panel's only bridge to the rest of the program.
// It turns the panel's clicks, renames and drags into book operations, keeps
// the tree in step when the book operations change the open book, and tells
// the writing window which chapter to open. Book and chapter are remembered
// by local id, so a book the model drops never leaves a dangling pointer.
// GUI thread only.
class CBookVolumeController : public QObject
{
    Q_OBJECT
public:
    static CBookVolumeController* instance();
    ~CBookVolumeController() override;

    // The panel, created on first call.
    QQuickWidget* getQuickWidget();
    CBookVolumeModel* volumeModel() const;
    CBookVolumeSortModel* volumeSortModel() const;

    // The book shown (looked up by local id on use), null when none.
    T_Book* currentBook() const;
    bool isCurrentBook(const T_Book* book) const;
    // The chapter open in the editor, null when none.
    T_Chapter* currentChapter() const;

    // Shows a book (null shows none) and, with a chapter, opens it.
    void loadBook(T_Book* book, T_Chapter* chapter = nullptr);
    void openChapter(T_Chapter* chapter);
    void reloadBook(T_Book* book);

    // A volume after the last one, named after the previous live volume;
    // through the job manager's volume add (fromSync records no job). Null
    // when it was not created.
    T_Volume* createVolume(T_Book* book, bool fromSync);
    // Brings a recycled chapter back (job 1010), its deleted volume first, and
    // puts it at its place in the tree. Nothing unless the tree shows this
    // book; false when nothing was restored.
    bool restoreChapter(T_Book* book, T_Chapter* chapter);
    // A chapter the platform delivered, appended to its volume in the tree.
    void addChapterItem(T_Book* book, T_Chapter* chapter);
    // A chapter renamed elsewhere: its row in the tree shows its new name.
    void renameChapterItem(T_Book* book, const T_Chapter* chapter);
    // A chapter recycled or deleted, here or by the platform: its row goes,
    // so that nothing can be dragged or opened through it any more.
    void dropChapterItem(const T_Book* book, int localChapterId);

    // Closes every open title box of the tree with nothing stored: the
    // window goes (a sign-out, a quit) and nobody confirmed what was typed.
    void dropTitleEditing();

    // Chapter local id -> order number of the volume's chapters as the tree
    // numbers them; empty when the tree shows another book or no such volume.
    QMap<int, int> getChapterOrderMap(int localVolumeId) const;
    // Gives the listed chapters the order 1, 2, ... in that volume of the
    // tree (taking them out of any other volume's list).
    void setChapterOrder(int localVolumeId, const QList<int>& localChapterIds);

    // Chapter files. The dialog forms ask for the file and show failures in
    // a message box; the path forms do the work and leave the reason of a
    // failure in lastError(). A file is read and decoded before any chapter
    // is made, so an unreadable file creates nothing.
    // The new chapter goes to the end of the given volume, or of the
    // selected one when the id is below 1.
    bool importChapter(QString& text, int localVolumeId = -1);
    bool importChapterFile(const QString& path, QString& text, int localVolumeId = -1);
    void exportChapter(T_Chapter* chapter);
    bool exportChapterTo(T_Chapter* chapter, const QString& path);
    QString lastError() const { return m_lastError; }

    // The context menus (built on first use).
    QMenu* chapterMenu();
    QMenu* volumeMenu();
    // Runs the menu of a volume (type 0) or a chapter at pos, for as long as
    // it is open; nothing when the volume or chapter is gone. Its entries look
    // them up by id when chosen. Never from a QML handler: see openMenu().
    void showMenu(int type, const QPoint& pos, int localVolumeId, int localChapterId);

    // --- called by the panel; rows are rows of the sort models. None of
    // these runs a menu, question or chooser before it returns. ---
    Q_INVOKABLE CBookChapterModel* getChapterModel(int index);
    Q_INVOKABLE CBookChapterSortModel* getChapterSortModel(int index);
    Q_INVOKABLE void createNewVolume();
    Q_INVOKABLE void createNewChapter();
    Q_INVOKABLE void openRecycleBin();
    Q_INVOKABLE void sortChapters();
    Q_INVOKABLE void expand(int localId, bool expand);
    Q_INVOKABLE void expandAll(bool expand);
    Q_INVOKABLE void moveVolume(int from, int to, int count);
    Q_INVOKABLE void moveVolumePos(int index, bool bottom = true);
    Q_INVOKABLE void moveChapter(int from, int localFromVolumeId, int to, int localToVolumeId, bool bottom = true);
    Q_INVOKABLE void moveChapterPos(int index, int fromVolumeId, int toVolumeId, bool bottom = true);
    Q_INVOKABLE void clearVolumeLines();
    Q_INVOKABLE void clearChapterLines();
    Q_INVOKABLE void selectedVolume(int index);
    Q_INVOKABLE void selectedChapter(int localVolumeId, int index, int localChapterId);
    Q_INVOKABLE void editVolume(int index, bool edit);
    Q_INVOKABLE void editChapter(int localVolumeId, int index, bool edit);
    Q_INVOKABLE void changeVolumeName(int index, const QString& name);
    Q_INVOKABLE void changeChapterName(int localVolumeId, int localChapterId, int index, const QString& name);
    Q_INVOKABLE double scale() const;
    // Gives the panel the keyboard focus for the in-place title editor that
    // just opened: the keys are the editor's until it closes.
    Q_INVOKABLE void takeKeys();
    // Whether the panel's window is out of sight because the program put it
    // away (the boss key, the tray, the lock): a title editor stays open then.
    Q_INVOKABLE bool putAway() const;
    Q_INVOKABLE int getTheme() const;
    Q_INVOKABLE int getSort() const;
    // showMenu() once the panel's handler has returned.
    Q_INVOKABLE void openMenu(int type, const QPoint& pos, int localVolumeId, int localChapterId);

    // The theme number the panel uses for a style type.
    static int themeOf(int styleType);

signals:
    void sigTheme();
    void sigSort(int type);
    void sigVolumeAdd(int sort);
    // The panel brings that chapter row of that volume row (rows as shown)
    // into view.
    void sigShowChapter(int volumeRow, int chapterRow);
    void sigRecycle();
    void sigBookReloaded(int localBookId);
    // A new volume or chapter is about to be named: an open title editor
    // keeps what was typed in it and closes.
    void sigEndEditing();

private:
    explicit CBookVolumeController(QObject* parent = nullptr);

    void ensureModels();
    void buildMenus();
    // The source row of a volume-panel row, -1 when it maps to none.
    int volumeSourceRow(int index) const;
    // The source row of a chapter-panel row of that volume, -1 when none.
    int chapterSourceRow(int localVolumeId, int index) const;
    int chapterProxyRow(int localVolumeId, int sourceRow) const;
    // The rows as shown of a volume, and of a chapter in that volume; -1
    // when the tree shows none.
    int shownVolumeRow(int localVolumeId) const;
    int shownChapterRow(int localVolumeId, int localChapterId) const;
    // A chapter or volume of the shown book that the tree shows (not in the
    // recycle bin, not deleted); null otherwise.
    T_Chapter* liveChapter(int localChapterId) const;
    T_Volume* liveVolume(int localVolumeId) const;
    // Marks the chapter in the tree, its volume opened, and has the panel
    // bring its row into view.
    void revealChapter(const T_Chapter* chapter);
    // Makes the chapter current and has the writing window open it.
    void makeCurrentAndOpen(T_Book* book, T_Chapter* chapter);
    // Has the writing window open the chapter; when the editor refuses
    // (the open chapter's words could not be stored), the chapter it holds
    // stays the current one and marked in the tree.
    void openInEditor(T_Book* book, T_Chapter* chapter);
    // Tells the author of a change of the tree the database refused (what,
    // why, what to do); the keys typed next stay in the tree rather than
    // going to the chapter that is still open.
    void tellRefused(const QString& what);
    // A chapter at the end of the given volume (the selected one for an id
    // below 1), added to the tree and selected; null when none could be made.
    T_Chapter* addChapterAtEnd(T_Book* book, int localVolumeId = -1);
    // createNewChapter for the given volume.
    void createChapterIn(int localVolumeId);
    void recordChapterMove(T_Book* book, int localFromChapterId, int localToChapterId, int localFromVolumeId,
                           int localToVolumeId, bool bottom);

    // Menu entries.
    void onOpenNewTag();
    void onRenameChapter();
    void onExportChapter();
    void onTimeMachine();
    void stepChapter(bool down);
    void onDeleteChapter();
    void onRenameVolume();
    void stepVolume(bool down);
    void onDeleteVolume();
    void onImportChapter();
    void onCreateChapter();

    CJobManager* m_jobManager = nullptr;
    CUiManager* m_uiManager = nullptr;
    CPublicManager* m_publicManager = nullptr;
    int m_localBookId = 0;
    int m_localChapterId = 0;
    QPointer<QQuickWidget> m_quickWidget;
    // Set while an editor waits for its window to have the keyboard again.
    QMetaObject::Connection m_keysBack;
    QPointer<CBookVolumeModel> m_volumeModel;
    QPointer<CBookVolumeSortModel> m_volumeSortModel;

    QMenu* m_chapterMenu = nullptr;
    QMenu* m_volumeMenu = nullptr;
    QAction* m_upChapter = nullptr;
    QAction* m_downChapter = nullptr;
    QAction* m_upVolume = nullptr;
    QAction* m_downVolume = nullptr;
    // What the open menu was opened on.
    int m_menuVolumeId = -1;
    int m_menuChapterId = -1;

    QString m_lastError;
};
