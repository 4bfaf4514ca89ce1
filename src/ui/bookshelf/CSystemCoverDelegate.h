#pragma once

#include <QPixmap>
#include <QStyledItemDelegate>

class CQssManager;

// Paints a cover list's items as their pictures (the display text is the
// picture's path), with the theme's shade and the selection frame and tick.
class CSystemCoverDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit CSystemCoverDelegate(QObject* parent = nullptr);
    ~CSystemCoverDelegate() override;

    void setItemSize(int width, int height);
    void setIconSize(int width, int height);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    QPixmap cover(const QString& path) const;

    CQssManager* m_qss;
    QSize m_itemSize{120, 160};
    QSize m_iconSize{30, 30};
    QPixmap m_shade;
    QPixmap m_frame;
    QPixmap m_tickDark;
    QPixmap m_tickLight;
    // Scaled pictures by path: a repaint does not decode the files again.
    mutable QHash<QString, QPixmap> m_cache;
};
