#pragma once

#include <QWidget>

class CPublicManager;
class CUiManager;
class QLabel;
class QPropertyAnimation;
class QPushButton;
class QStackedWidget;
class Widget_BookListPreview;
class Widget_RecycleBin;
struct T_Book;
struct T_Chapter;

// The left pane of the writing window: hosts the volume/chapter tree, the
// book name with the button that slides the author's other books over the
// tree, and opens the chapter recycle bin when the tree asks for it.
class Widget_Creation_Left : public QWidget
{
    Q_OBJECT
public:
    explicit Widget_Creation_Left(QWidget* parent = nullptr);
    ~Widget_Creation_Left() override;

    // Shows the book in the tree and, with a chapter, opens it; null does nothing.
    void openBook(T_Book* book, T_Chapter* chapter);
    void closeRecycleBin();
    void closePreview();

    // Looked up by local id, so a book the model dropped reads as null.
    T_Book* currentBook() const;
    Widget_BookListPreview* preview() const { return m_preview; }
    Widget_RecycleBin* recycleBin() const { return m_recycleBin; }
    QPropertyAnimation* previewAnimation() const { return m_previewAnimation; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void togglePreview();
    void slidePreview(bool on);
    void showRecycleBin();

    QWidget* m_treeArea = nullptr;
    QWidget* m_bottomBar = nullptr;
    QWidget* m_buttonRow = nullptr;
    QStackedWidget* m_stack = nullptr;
    QLabel* m_bookName = nullptr;
    QPushButton* m_btnPreview = nullptr;
    QPushButton* m_btnAsc = nullptr;
    QWidget* m_tree = nullptr;
    Widget_BookListPreview* m_preview = nullptr;
    QPropertyAnimation* m_previewAnimation = nullptr;
    Widget_RecycleBin* m_recycleBin = nullptr;
    int m_localBookId = 0;
    CUiManager* m_uiManager;
    CPublicManager* m_publicManager;
};
