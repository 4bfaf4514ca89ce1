#pragma once

#include <QWidget>

class CPublicManager;
class CUiManager;
class QStackedWidget;
class Widget_BookShelfList;
class Widget_Setting;

// The bookshelf's page stack: the book list by default. The settings
// dialog, the personal-data page, the community page and the theme picker
// are opened from here once they exist.
class Widget_Bookshelf_Content : public QWidget
{
    Q_OBJECT
public:
    explicit Widget_Bookshelf_Content(QWidget* parent = nullptr);

    void showPage(int page);
    Widget_BookShelfList* getBookShelfList() const { return m_list; }
    QStackedWidget* stack() const { return m_stack; }
    void changeSkin();
    Widget_Setting* settingPage() const { return m_setting; }

private:
    CPublicManager* m_model;
    CUiManager* m_ui;
    Widget_BookShelfList* m_list;
    QStackedWidget* m_stack;
    Widget_Setting* m_setting = nullptr;
};
