#pragma once

#include <QWidget>

class CreationControlItemModel;
class CreationControlItemDelegate;
class QListView;

// The tool panel under the tool bar's tool button.
class Widget_Creation_Plane1 : public QWidget
{
    Q_OBJECT
public:
    explicit Widget_Creation_Plane1(QWidget* parent = nullptr);
    // Time of day in milliseconds of the last hide; 0 until then.
    int hideTime() const { return m_hideTime; }
    CreationControlItemModel* model() const { return m_model; }
    QListView* listView() const { return m_list; }

protected:
    void hideEvent(QHideEvent* event) override;

private:
    QListView* m_list = nullptr;
    CreationControlItemModel* m_model = nullptr;
    CreationControlItemDelegate* m_delegate = nullptr;
    int m_hideTime = 0;
};
