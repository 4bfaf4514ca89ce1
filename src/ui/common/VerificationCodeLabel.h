#pragma once

#include <QColor>
#include <QLabel>
#include <QRandomGenerator>

// Shows the picture verification code of the registration and password
// pages: coloured characters on white with noise dots, new on every paint.
class VerificationCodeLabel : public QLabel
{
    Q_OBJECT
public:
    explicit VerificationCodeLabel(QWidget* parent = nullptr);
    ~VerificationCodeLabel() override;

    static constexpr int kLetterCount = 4;

    // Takes only a code of exactly four characters; any other is ignored.
    void setCode(const QString& code);
    QString code() const;
    QColor letterColor(int i) const { return m_colors[i]; }
    int noiseCount() const { return m_noisePointCount; }

signals:
    void sigClicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    int m_letterCount = kLetterCount;
    int m_noisePointCount;
    QChar* m_letters;
    QColor* m_colors;
    double m_s = 1.0;
    QRandomGenerator m_random;
};
