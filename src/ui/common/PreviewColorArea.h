#pragma once

#include <QColor>
#include <QWidget>

// The swatch of the colour dialog: the colour being chosen.
class PreviewColorArea : public QWidget
{
    Q_OBJECT
public:
    explicit PreviewColorArea(QWidget* parent = nullptr);

    void setColor(const QColor& color);
    QColor color() const { return m_color; }

public slots:
    void svChangedSlot(int h, int s, int v);

signals:
    void svChangedSignal(int h, int s, int v);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QColor m_color = Qt::black;
};
