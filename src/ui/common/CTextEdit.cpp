#include "ui/common/CTextEdit.h"

#include "common/DPIAdapter.h"

#include <QLabel>
#include <QScrollBar>
#include <QTextCursor>

CTextEdit::CTextEdit(QWidget* parent)
    : QTextEdit(parent), m_counter(new QLabel(this))
{
    const double s = DPIAdapter::instance()->scale();
    m_counter->setFixedSize(100, 26);
    m_counter->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_counter->setStyleSheet(
        QStringLiteral("font-family: 微软雅黑; font-size: %1px;color: #888888;").arg(12 * s));
    m_counter->hide();
    m_counter->setText(QStringLiteral("0/%1").arg(m_maxLength));
    connect(this, &QTextEdit::textChanged, this, &CTextEdit::onTextChanged);
    // The scroll bar comes and goes with the text's length.
    connect(verticalScrollBar(), &QScrollBar::rangeChanged, this, [this]() { placeCounter(); }, Qt::QueuedConnection);
}

void CTextEdit::setMaxLength(int length)
{
    m_maxLength = length;
    m_counter->setText(QStringLiteral("0/%1").arg(length));
}

void CTextEdit::onTextChanged()
{
    const QString text = toPlainText();
    const int length = text.length();
    if (length <= m_maxLength) {
        m_counter->setText(QStringLiteral("%1/%2").arg(length).arg(m_maxLength));
        return;
    }
    const int excess = length - m_maxLength;
    const int position = textCursor().position();
    // Whatever was typed or pasted last sits in front of the cursor.
    const int from = qMax(0, position - excess);
    QString shortened = text;
    shortened.remove(from, excess);
    // Plain text: a cut must not turn the rest into rich text.
    setPlainText(shortened);
    QTextCursor cursor = textCursor();
    cursor.setPosition(qMin(from, shortened.length()));
    setTextCursor(cursor);
}

void CTextEdit::resizeEvent(QResizeEvent* event)
{
    QTextEdit::resizeEvent(event);
    placeCounter();
}

void CTextEdit::placeCounter()
{
    if (!m_counterVisible)
        return;
    // The counter has a strip of its own below the text, left of the scroll
    // bar, so neither the words nor the bar ever run under it.
    setViewportMargins(0, 0, 0, m_counter->height());
    const QScrollBar* bar = verticalScrollBar();
    const int barWidth = bar->isVisible() ? bar->width() : 0;
    m_counter->move(width() - barWidth - m_counter->width() - 10, height() - m_counter->height() - 2);
    m_counter->show();
}
