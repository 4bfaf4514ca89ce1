#pragma once

#include <QWidget>

class BookshelfTips;
class CBkHeadButton;
class CIconButton;
class CPixmapContainer;
class CPublicManager;
class CQssManager;
class CUiManager;
class NcFramelessHelper;
class QButtonGroup;
class QLabel;
class QPushButton;
class QVBoxLayout;
class Widget_BookShelfList;
class Widget_Bookshelf_Content;
class Widget_Bookshelf_Top;
struct TS_Author_Info;

// The main window after sign-in: the left bar with the author's head,
// nickname and navigation, the top bar and the page stack. The window
// manager creates it once per sign-in and destroys it at sign-out.
class Widget_Bookshelf : public QWidget
{
    Q_OBJECT
public:
    explicit Widget_Bookshelf(QWidget* parent = nullptr);

    void changeSkin();
    void loadUserHeadImg(const QString& path);
    void setUserInfo(const TS_Author_Info& info);
    void showClientTips(const QString& text, int kind, int msecs);
    Widget_Bookshelf_Content* getContent() const { return m_content; }
    Widget_Bookshelf_Top* getTop() const { return m_top; }
    Widget_BookShelfList* bookList() const;
    void initBookList();
    void closeOutline();
    void updateMargins();

    BookshelfTips* tips() const { return m_tips; }
    QLabel* labelName() const { return m_labelName; }
    CBkHeadButton* headButton() const { return m_btnHead; }
    CIconButton* feedbackButton() const { return m_btnFeedback; }
    QButtonGroup* buttonGroup() const { return m_group; }
    // The head picture chosen by the last loadUserHeadImg.
    QString headImagePath() const { return m_headPath; }

    static QString themePicturePath();

protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildForm();
    void storeGeometry();
    static int shadowMargin();

    CQssManager* m_qss;
    CUiManager* m_ui;
    CPublicManager* m_model;
    NcFramelessHelper* m_frame = nullptr;
    BookshelfTips* m_tips = nullptr;

    QVBoxLayout* m_layoutMain = nullptr;
    CPixmapContainer* m_theme = nullptr;
    CBkHeadButton* m_btnHead = nullptr;
    QLabel* m_labelName = nullptr;
    QPushButton* m_btnVip = nullptr;
    QLabel* m_labelTime = nullptr;
    QPushButton* m_btnSign = nullptr;
    CIconButton* m_btnMemo = nullptr;
    CIconButton* m_btnUserInfo = nullptr;
    CIconButton* m_btnHomePage = nullptr;
    CIconButton* m_btnFeedback = nullptr;
    CIconButton* m_btnBookShelf = nullptr;
    QButtonGroup* m_group = nullptr;
    QPushButton* m_btnCloseMac = nullptr;
    QPushButton* m_btnMinMac = nullptr;
    QPushButton* m_btnMaxMac = nullptr;
    Widget_Bookshelf_Top* m_top = nullptr;
    Widget_Bookshelf_Content* m_content = nullptr;
    QString m_headPath;
};
