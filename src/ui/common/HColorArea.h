#pragma once

#include <QPixmap>
#include <QWidget>

// The hue strip of the colour dialog: red at the bottom, the hues rising to
// red again at the top, with a pointer at the chosen hue.
class HColorArea : public QWidget
{
    Q_OBJECT
public:
    explicit HColorArea(QWidget* parent = nullptr);

    // Sets the hue (0 to 360) without reporting it.
    void setHue(int hue);
    int hue() const { return m_hue; }
    double hueFraction() const { return m_fraction; }
    int stripHeight() const { return m_stripHeight; }
    static constexpr int kTopOffset = 7;

signals:
    void hueChangedSignal(int hue);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void pickAt(int y);
    void buildStrip();

    QPixmap m_strip;
    double m_fraction = 0.0;
    int m_hue = 0;
    double m_s = 1.0;
    int m_stripHeight = 256;
    int m_stripWidth = 20;
};
