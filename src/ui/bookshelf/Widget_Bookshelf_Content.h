#pragma once

#include <QPointer>
#include <QWebEngineView>
#include <QWidget>

class CPublicManager;
class CUiManager;
class QStackedWidget;
class Widget_BookShelfList;
class Widget_PersonalData;
class Widget_Setting;
class Widget_ThemeSettings;

// The bookshelf's page stack: the book list by default, the personal-data
// page and the community page once visited; it also opens the settings
// dialog and the theme picker.
class Widget_Bookshelf_Content : public QWidget
{
    Q_OBJECT
public:
    explicit Widget_Bookshelf_Content(QWidget* parent = nullptr);
    ~Widget_Bookshelf_Content() override;

    void showPage(int page);
    Widget_BookShelfList* getBookShelfList() const { return m_list; }
    QStackedWidget* stack() const { return m_stack; }
    // Tells the shown web page the new theme.
    void changeSkin();
    // Hands theme, identity and version to the community page.
    void loadFeedBack();
    // (Re)loads the personal-data page with fresh statistics.
    void loadPersonalData();
    Widget_Setting* settingPage() const { return m_setting; }
    Widget_PersonalData* personalData() const { return m_personalData; }
    QWebEngineView* communityView() const { return m_community; }
    // The hidden view that starts the web engine; null when turned off.
    QWebEngineView* warmUpView() const { return m_warmUp; }
    Widget_ThemeSettings* themePicker() const { return m_themePicker; }

private:
    CPublicManager* m_model;
    CUiManager* m_ui;
    Widget_BookShelfList* m_list;
    Widget_Setting* m_setting = nullptr;
    Widget_PersonalData* m_personalData = nullptr;
    QPointer<QWebEngineView> m_community;
    QWebEngineView* m_warmUp = nullptr;
    Widget_ThemeSettings* m_themePicker = nullptr;
    QStackedWidget* m_stack;
};
