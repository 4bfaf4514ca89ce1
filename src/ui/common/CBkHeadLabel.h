#pragma once

#include <QLabel>

class QPushButton;

// The head picture of the user-information dialog: round, with a change
// button over it while hovered that opens a file chooser.
class CBkHeadLabel : public QLabel
{
    Q_OBJECT
public:
    explicit CBkHeadLabel(QWidget* parent = nullptr);

    // The picture of the change button.
    void setImagePath(const QString& path);
    QPushButton* changeButton() const { return m_btnChange; }

    enum Shape { Round = 0, Square = 1 };
    void setShape(int shape) { m_shape = shape; }
    void setRingWidth(unsigned int width) { m_ringWidth = width; }

    static QString fileFilter() { return QStringLiteral("*.jpg *.png *.gif *.bmp *.jpeg *.JPG *.PNG *.GIF *.BMP *.JPEG"); }

public slots:
    void onDealModific();

signals:
    void sigPath(QString path);

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    // The chooser; tests replace it.
    virtual QString choosePicture();

private:
    QPushButton* m_btnChange;
    int m_shape = Round;
    unsigned int m_ringWidth = 0;
};
