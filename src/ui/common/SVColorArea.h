#pragma once

#include <QPixmap>
#include <QWidget>

// The saturation/value square of the colour dialog: white to the pure hue
// from left to right, darkening to black downwards.
class SVColorArea : public QWidget
{
    Q_OBJECT
public:
    explicit SVColorArea(QWidget* parent = nullptr);

    void setColor(const QColor& color);
    int hue() const { return m_hue; }
    // Saturation and value at the display scale (0 to 255 times the scale).
    int saturationPos() const { return m_saturation; }
    int valuePos() const { return m_value; }
    int side() const { return m_side; }

public slots:
    void hueChangedSlot(int h);

signals:
    void svChangedSignal(int h, int s, int v);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void pickAt(const QPointF& pos);
    void drawHueLayer();
    void drawOverlay();
    void report();

    int m_hue = 0;
    int m_saturation = 0;
    int m_value = 0;
    int m_side = 256;
    QPixmap m_hueLayer;
    QPixmap m_overlay;
    double m_s = 1.0;
    double m_lastX = 0;
    double m_lastY = 0;
};
