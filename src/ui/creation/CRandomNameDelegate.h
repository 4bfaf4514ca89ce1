#pragma once

#include <QStyledItemDelegate>

class CQssManager;
class Float_Tips;

// Draws a generated name centred in its cell and copies it to the clipboard
// when it is pressed, with a short tip above the cell.
class CRandomNameDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit CRandomNameDelegate(QObject* parent = nullptr);
    ~CRandomNameDelegate() override;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;

    Float_Tips* tip() const { return m_tip; }

private:
    CQssManager* m_qss = nullptr;
    Float_Tips* m_tip = nullptr;
    double m_scale = 1.0;
};
