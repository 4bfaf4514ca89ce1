#pragma once

#include <QWidget>

class CPixmapContainer;
class NcFramelessHelper;
class QHBoxLayout;
class QVBoxLayout;
class QPushButton;
class Widget_Creation_Content;
class Widget_Creation_Top;
class Widget_ClientTips;
struct T_Book;
struct T_Chapter;

// The frameless top-level window in which one book is written: the chapter
// pane on the left, the tool bar on top and the editor pane below it. The
// window manager creates it once and hands it each book to open.
class Widget_Creation : public QWidget
{
    Q_OBJECT
public:
    explicit Widget_Creation(QWidget* parent = nullptr);
    ~Widget_Creation() override;

    // Opens a book on its last-edited chapter (its last chapter when none).
    void setBook(T_Book* book);
    void updateFullScreenLayout();
    void changeSkin();
    void openChapter(T_Book* book, T_Chapter* chapter);
    void selectChapter(T_Book* book, T_Chapter* chapter);
    void renameChapterTab(int localChapterId, const QString& name);
    // Puts a toast up in this window now; the window's own messages go through
    // the window manager, which gives each its turn.
    void showMessage(const QString& text, int kind, int msecs);
    // Hands a sensitive-word treatment to the editor pane.
    void showSensitiveWords(int treatment);

    Widget_Creation_Content* getContent() const { return m_content; }
    Widget_ClientTips* tips() const { return m_tips; }
    // The column the chapter tree is hosted in.
    QWidget* getLeft() const { return m_left; }
    class Widget_Creation_Left* chapterPane() const { return m_chapterPane; }
    Widget_Creation_Top* getTop() const { return m_top; }
    void getEditorText(QString& text) const;
    // Looked up by id: null once the model no longer has the book.
    T_Book* currentBook() const;
    // The chapter the book opens on: the last edited one, or the last one.
    static T_Chapter* chapterToOpen(T_Book* book);

public slots:
    // Saves and closes the book; false (the book stays open, the author is
    // told) while the editor holds words that could not be stored.
    bool on_creation_close();

    bool isTopShown() const { return m_topShown; }
    bool isLeftShown() const { return m_leftShown; }
    bool isLeftPinned() const { return m_leftPinned; }
    QPushButton* lockButton() const { return m_btnLockLeft; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void storeGeometry();
    void placeLockButton();
    void showLeftPane();
    void hideLeftPane();
    void hideTopBar();
    // The model is about to recycle or delete a book or chapter, or has.
    void onRecordLeaving(int localBookId, int localChapterId, bool* stored);
    void onRecordLeft(int localBookId, int localChapterId);
    // The shown chapter is no longer where it was: another chapter of the
    // book is opened, or the book is closed when it went too.
    void leaveShownChapter();
    void leaveShownBook();
    // Stores the editor's words, in their chapter or else in a recovery
    // file; false when neither worked and the words stay in the editor.
    bool secureEditorText();
    // Puts the tabs back on the chapter the editor shows.
    void syncTabs();

    QWidget* m_bg = nullptr;
    QHBoxLayout* m_layoutMain = nullptr;
    CPixmapContainer* m_theme = nullptr;
    QVBoxLayout* m_layoutLeft = nullptr;
    QHBoxLayout* m_layoutTop = nullptr;
    QWidget* m_left = nullptr;
    Widget_Creation_Top* m_top = nullptr;
    class Widget_Creation_Left* m_chapterPane = nullptr;
    Widget_Creation_Content* m_content = nullptr;
    QPushButton* m_btnLockLeft = nullptr;
    NcFramelessHelper* m_frameless = nullptr;
    Widget_ClientTips* m_tips = nullptr;
    int m_localBookId = 0;
    bool m_leftVisible = true;
    bool m_topShown = false;
    bool m_leftShown = false;
    bool m_leftPinned = false;
    class QPropertyAnimation* m_topAnimation = nullptr;
    class QPropertyAnimation* m_leftAnimation = nullptr;
    class QPropertyAnimation* m_lockButtonAnimation = nullptr;
    class QParallelAnimationGroup* m_leftGroup = nullptr;
    double m_scale = 1.0;
};
