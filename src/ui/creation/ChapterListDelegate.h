#pragma once

#include <QStyledItemDelegate>

// Paints chapter rows by name and reports presses by local chapter id. It is
// installed as event filter of its list view's viewport; mode 7 is the
// chapter recycle bin's.
class ChapterListDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit ChapterListDelegate(QObject* parent = nullptr);

    void setMode(int mode) { m_mode = mode; }
    int mode() const { return m_mode; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;

signals:
    void sig_onMousePressedByLeftBtn(int localChapterId);
    void sig_onMousePressedByRightBtn(int localChapterId, int row);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int m_mode = 0;
    double m_scale = 1.0;
};
