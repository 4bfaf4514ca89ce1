#pragma once

#include <QWidget>

class CreationControlItemModel;
class CreationControlItemDelegate;
class CUiManager;
class QListView;
struct T_ItemData;

// The focus panel: no focus, line focus, paragraph focus.
class Widget_Creation_Plane3 : public QWidget
{
    Q_OBJECT
public:
    explicit Widget_Creation_Plane3(QWidget* parent = nullptr);
    int hideTime() const { return m_hideTime; }
    CreationControlItemModel* model() const { return m_model; }
    QListView* listView() const { return m_list; }

signals:
    void sigClose();

public slots:
    void on_Creation_Btn_Press(T_ItemData* pItem);

protected:
    void hideEvent(QHideEvent* event) override;

private:
    QListView* m_list = nullptr;
    CreationControlItemModel* m_model = nullptr;
    CreationControlItemDelegate* m_delegate = nullptr;
    CUiManager* m_ui = nullptr;
    int m_hideTime = 0;
};
