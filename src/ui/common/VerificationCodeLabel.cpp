#include "ui/common/VerificationCodeLabel.h"

#include "common/DPIAdapter.h"

#include <QPainter>
#include <QTime>

namespace {
quint32 timeOfDaySeed()
{
    const QTime now = QTime::currentTime();
    return static_cast<quint32>(now.msec() + 1000 * now.second());
}
}

VerificationCodeLabel::VerificationCodeLabel(QWidget* parent)
    : QLabel(parent),
      m_noisePointCount(width()),
      m_letters(new QChar[kLetterCount]),
      m_colors(new QColor[kLetterCount]),
      m_s(DPIAdapter::instance()->scale()),
      m_random(timeOfDaySeed())
{
}

VerificationCodeLabel::~VerificationCodeLabel()
{
    delete[] m_letters;
    delete[] m_colors;
}

void VerificationCodeLabel::setCode(const QString& code)
{
    if (code.length() != m_letterCount)
        return;
    for (int i = 0; i < m_letterCount; ++i) {
        m_letters[i] = code.at(i);
        m_colors[i] = QColor(m_random.bounded(255), m_random.bounded(255), m_random.bounded(255), 255);
    }
    update();
}

QString VerificationCodeLabel::code() const
{
    QString text;
    for (int i = 0; i < m_letterCount; ++i)
        if (!m_letters[i].isNull())
            text.append(m_letters[i]);
    return text;
}

void VerificationCodeLabel::mousePressEvent(QMouseEvent* event)
{
    emit sigClicked();
    QLabel::mousePressEvent(event);
}

void VerificationCodeLabel::paintEvent(QPaintEvent*)
{
    const int W = width();
    const int H = height();
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (W <= 0 || H <= 0)
        return;
    QFont font(QStringLiteral("Microsoft YaHei"));
    font.setPixelSize(static_cast<int>(14 * m_s));
    painter.setFont(font);
    for (int i = 0; i < m_letterCount; ++i) {
        if (m_letters[i].isNull())
            continue;
        painter.setPen(m_colors[i]);
        painter.drawText(QPoint((W / m_letterCount) * i + W / 8, H / 2), QString(m_letters[i]));
    }
    for (int j = 0; j < m_noisePointCount; ++j) {
        painter.setPen(m_colors[j % m_letterCount]);
        painter.drawPoint(m_random.bounded(W), m_random.bounded(H));
    }
}
