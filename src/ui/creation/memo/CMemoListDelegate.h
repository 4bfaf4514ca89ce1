#pragma once

#include <QPersistentModelIndex>
#include <QStyledItemDelegate>

class CPublicManager;
class QMenu;
class QPushButton;

// Paints a memo as a coloured card with its text, its date and, for a text
// longer than three lines, the button that expands the card.
class CMemoListDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit CMemoListDelegate(QObject* parent = nullptr);
    ~CMemoListDelegate() override;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;

    // Empty for a card whose text fits in three lines.
    QRect expandButtonRect(const QStyleOptionViewItem& option, const QModelIndex& index) const;
    QMenu* contextMenu() const { return m_menu; }
    bool isExpanded(const QModelIndex& index) const { return m_expanded && m_expandedIndex == index; }
    // Asks, then deletes the memo of the menu's row.
    void deleteFromMenu();

private:
    int px(int length) const { return int(length * m_scale); }
    QRect textRect(const QRect& card) const;
    bool isLong(const QStyleOptionViewItem& option, const QModelIndex& index) const;
    QFont textFont() const;

    double m_scale = 1.0;
    CPublicManager* m_model = nullptr;
    QPushButton* m_btnExpand = nullptr;
    QMenu* m_menu = nullptr;
    QPersistentModelIndex m_expandedIndex;
    bool m_expanded = false;
};
