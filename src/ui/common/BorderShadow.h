#pragma once

#include <QColor>
#include <QObject>

class QWidget;

// Paints a grey shadow ring fading outwards inside the margin of a
// translucent frameless widget. A widget carries at most one: attaching a
// second one retires the first.
class BorderShadow : public QObject
{
    Q_OBJECT
public:
    explicit BorderShadow(QObject* parent = nullptr);
    ~BorderShadow() override;

    // The dynamic property of a widget that names its shadow.
    static constexpr const char* kProperty = "CustomBorderShadow";

    void attachTo(QWidget* w);
    // The roundness of the corners, in percent of the half sides.
    void setRadius(int radius) { m_radius = radius; }
    int radius() const { return m_radius; }
    int shadowWidth() const { return m_width; }
    QColor color() const { return m_color; }

    // The alpha of ring i counted from the content outwards.
    static int ringAlpha(int i);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void paintShadow(QWidget* w);

    QColor m_color;
    int m_width = 10;
    int m_radius = 5;
};
