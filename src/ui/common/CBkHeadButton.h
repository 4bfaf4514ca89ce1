#pragma once

#include <QPixmap>
#include <QPushButton>

// The round head picture of the signed-in author on the bookshelf; hovering
// shows a shade with an "Edit" hint.
class CBkHeadButton : public QPushButton
{
    Q_OBJECT
public:
    explicit CBkHeadButton(QWidget* parent = nullptr);

    void setHeadSize(int size);
    int headSize() const { return m_headSize; }
    // Renders the picture at twice the head size for sharp scaling.
    void setHeadImage(const QString& path);
    QPixmap headImage() const { return m_head; }
    bool isHovered() const { return m_hovered; }

    // The owner sets the display scale before use.
    double s = 1.0;

    static constexpr const char* kShadePath = ":/res/skin/light/left/icon_head_shade.svg";

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap m_head;
    int m_headSize = 100;
    bool m_hovered = false;
};
