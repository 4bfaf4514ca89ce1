#pragma once

#include <QList>
#include <QWidget>

class CPublicManager;
class CTabButton;
class CUiManager;
class FontColorButton;
class QAbstractButton;
class QButtonGroup;
class QComboBox;
class QHBoxLayout;
class QKeyEvent;
class QPushButton;
struct T_Chapter;

// The strip at the top of the writing window: up to five chapter tabs and the
// window buttons above, the text tools below. It never touches the editor:
// each text tool posts a message-bus id (1001-1018) that the editor pane
// carries out, and the pane's answers (1101-1105) enable the buttons here.
class Widget_Creation_Top : public QWidget
{
    Q_OBJECT
public:
    explicit Widget_Creation_Top(QWidget* parent = nullptr);
    ~Widget_Creation_Top() override;

    void resetTabs();
    void setCurrentTab(T_Chapter* chapter);
    // False when all five tabs hold other chapters.
    bool openTab(T_Chapter* chapter);
    void renameTab(int localChapterId, const QString& name);
    // Takes the chapter's tab away (a chapter recycled or deleted).
    void dropTab(int localChapterId);
    void updateWindowButtons();
    int visibleTabCount() const;

    CTabButton* currentTab() const { return m_currentTab; }
    const QList<CTabButton*>& tabs() const { return m_tabs; }
    QPushButton* button(const QString& objectName) const;
    QComboBox* combo(const QString& objectName) const;

signals:
    void sig_creation_close();

public slots:
    void on_btn_creation_close_clicked();
    void on_btn_max_clicked();
    void on_btn_min_clicked();
    void on_btn_fullscreen_clicked();
    void onTabBtnClose();
    void onTabPressed(QAbstractButton* button);
    void onHotKey(QKeyEvent* event);

protected:
    void customEvent(QEvent* event) override;

private:
    void initControls();
    void initConnects();
    void updateTabLines(CTabButton* tab);
    void openTabChapter(CTabButton* tab);
    QPushButton* addToolButton(QWidget* parent, QHBoxLayout* row, const QString& name, const QString& tip,
                               bool checkable = false);

    CUiManager* m_ui = nullptr;
    CPublicManager* m_public = nullptr;
    QHBoxLayout* m_layoutTabBtn = nullptr;
    QList<CTabButton*> m_tabs;
    QButtonGroup* m_group = nullptr;
    CTabButton* m_currentTab = nullptr;
    QComboBox* m_comFontFamily = nullptr;
    QComboBox* m_comFontSize = nullptr;
    QComboBox* m_comLineWidth = nullptr;
    FontColorButton* m_btnFontColor = nullptr;
    double m_scale = 1.0;

    // --- tool panels under the tool and focus buttons ---
public:
    class Widget_Creation_Plane1* toolPanel() const { return m_plane1; }
    class Widget_Creation_Plane3* focusPanel() const { return m_plane3; }
    // Opens a panel under its button unless it closed within the last 200 ms
    // (the press that closed it must not reopen it).
    void showPanel(QWidget* panel, QWidget* under, int hideTime);

private:
    void initPanels();
    class Widget_Creation_Plane1* m_plane1 = nullptr;
    class Widget_Creation_Plane3* m_plane3 = nullptr;
};
