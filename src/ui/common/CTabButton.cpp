#include "ui/common/CTabButton.h"

#include "db/records/T_Chapter.h"
#include "manager/CPublicManager.h"

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

void CTabButton::setItem(const T_Chapter* chapter)
{
    m_localChapterId = chapter ? chapter->localId : 0;
    m_localBookId = chapter ? chapter->localBookId : 0;
    if (chapter)
        setName(chapter->name);
}

void CTabButton::setCurrentItem(const T_Chapter* chapter)
{
    setItem(chapter);
    if (!chapter)
        return;
    setChecked(true);
    show();
}

void CTabButton::setName(const QString& name)
{
    setText(elidedName(name, width() - 30));
}

T_Chapter* CTabButton::item() const
{
    if (m_localChapterId < 1)
        return nullptr;
    return CPublicManager::instance()->findChapter(m_localBookId, m_localChapterId);
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
