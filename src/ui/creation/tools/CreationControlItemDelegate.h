#pragma once

#include <QList>
#include <QStyledItemDelegate>

struct T_ItemData;
class CQssManager;
class CUiManager;

// Draws the tool items of a panel and turns a press on a row into a tool
// command through the window manager.
class CreationControlItemDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    CreationControlItemDelegate(int panelType, QObject* parent = nullptr);

    void setItemList(QList<T_ItemData*>* items) { m_items = items; }
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    T_ItemData* itemAt(const QModelIndex& index) const;

    CQssManager* m_qss = nullptr;
    QString m_fontFamily;
    int m_panelType = 0;
    QList<T_ItemData*>* m_items = nullptr;
    CUiManager* m_ui = nullptr;
    double m_scale = 1.0;
};
