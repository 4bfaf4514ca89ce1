#include "ui/common/CTabButton.h"

#include "db/records/T_Chapter.h"

#include <QEvent>
#include <QFontMetrics>
#include <QLabel>

CTabButton::CTabButton(QWidget* parent)
    : QPushButton(parent), m_btnClose(new QPushButton(this)), m_separator(new QLabel(this))
{
    m_btnClose->setFixedSize(20, 20);
    m_btnClose->setObjectName(QStringLiteral("TabCloseBtn"));
    m_btnClose->hide();
    connect(m_btnClose, &QPushButton::clicked, this, &CTabButton::sig_close);

    m_separator->setFixedSize(1, 16);
    m_separator->setObjectName(QStringLiteral("TabLine"));
    m_separator->hide();

    setAttribute(Qt::WA_MouseTracking, true);
    setAttribute(Qt::WA_Hover, true);
    installEventFilter(this);
    setCheckable(true);
    setObjectName(QStringLiteral("TabButton"));
    setLayoutDirection(Qt::LeftToRight);
    connect(this, &QPushButton::toggled, this, [this](bool checked) {
        m_separator->setVisible(!checked && m_line);
    });
}

void CTabButton::setLine(bool line)
{
    m_separator->setVisible(line);
    m_line = line;
    emit lineChanged();
}

QString CTabButton::elidedName(const QString& name, int width)
{
    QFont font(QStringLiteral("微软雅黑"));
    font.setPixelSize(12);
    return QFontMetrics(font).elidedText(name, Qt::ElideRight, width);
}

void CTabButton::setItem(T_Chapter* chapter)
{
    m_chapter = chapter;
    if (chapter)
        setText(elidedName(chapter->name, width() - 30));
}

void CTabButton::setCurrentItem(T_Chapter* chapter)
{
    m_chapter = chapter;
    if (!chapter)
        return;
    setChecked(true);
    setText(elidedName(chapter->name, width() - 30));
    show();
}

bool CTabButton::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == this) {
        switch (event->type()) {
        case QEvent::HoverEnter:
        case QEvent::HoverMove:
            m_btnClose->show();
            break;
        case QEvent::HoverLeave:
            m_btnClose->hide();
            break;
        default:
            break;
        }
    }
    return QPushButton::eventFilter(watched, event);
}

void CTabButton::resizeEvent(QResizeEvent* event)
{
    QPushButton::resizeEvent(event);
    m_btnClose->move(width() - m_btnClose->width() - 10, (height() - m_btnClose->height()) / 2);
    m_separator->move(width() - 1, (height() - m_separator->height()) / 2);
    if (!isChecked() && m_line)
        m_separator->show();
}
