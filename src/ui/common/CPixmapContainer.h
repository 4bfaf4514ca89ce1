#pragma once

#include <QPixmap>
#include <QWidget>

// Paints a skin picture as the widget's background, covering the widget and
// centred, cut on the long side.
class CPixmapContainer : public QWidget
{
    Q_OBJECT
public:
    explicit CPixmapContainer(QWidget* parent = nullptr);

    // False when the file is no picture; the old picture then stays.
    bool loadPixmap(const QString& path);
    QPixmap pixmap() const { return m_pixmap; }

    // The part of the picture scaled to cover a widget of the given size.
    static QRect sourceRect(const QSize& picture, const QSize& widget, QSize* scaledSize);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QPixmap m_pixmap;
};
