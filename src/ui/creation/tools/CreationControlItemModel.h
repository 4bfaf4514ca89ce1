#pragma once

#include <QList>
#include <QStringListModel>

struct T_ItemData;

// The rows of a tool panel (1) or the focus panel (3); the strings are empty,
// all drawing comes from the item of the same row.
class CreationControlItemModel : public QStringListModel
{
    Q_OBJECT
public:
    CreationControlItemModel(int panelType, QObject* parent = nullptr);
    ~CreationControlItemModel() override;

    QList<T_ItemData*>& items() { return m_items; }
    void checkOnlyId(int id);
    int panelType() const { return m_panelType; }

private:
    int m_panelType = 0;
    QList<T_ItemData*> m_items;
};
