#pragma once

#include <QList>
#include <QPixmap>
#include <QStringList>
#include <QWidget>

class QPropertyAnimation;
class QPushButton;
class QTimer;

// An image carousel: every 3 s the next image fades in over 1 s; a row of
// indicator buttons near the bottom edge picks an image directly.
class Widget_Banner : public QWidget
{
    Q_OBJECT
public:
    explicit Widget_Banner(QWidget* parent = nullptr);

    void addImage(const QString& path);
    // The link opened by a click on the image at the same index.
    void setLinks(const QStringList& links) { m_links = links; }
    // Builds the indicator row and starts the carousel (two images or more).
    void startPlay();

    int currentIndex() const { return m_currentIndex; }
    bool isPlaying() const;
    QList<QPushButton*> indicators() const { return m_indicators; }
    void onButtonClicked(int id);

public slots:
    void onImageChangeTimeout();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void fadeToNext();

    int m_fadeMs = 1000;
    int m_intervalMs = 3000;
    QStringList m_images;
    QStringList m_links;
    QTimer* m_changeTimer = nullptr;
    int m_currentIndex = 0;
    QPixmap m_from;
    QPixmap m_to;
    QPropertyAnimation* m_fade = nullptr;
    QList<QPushButton*> m_indicators;
};
