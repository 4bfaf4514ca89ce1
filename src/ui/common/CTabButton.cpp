#include "ui/common/CTabButton.h"

#include "common/DPIAdapter.h"
#include "db/records/T_Chapter.h"
#include "manager/CPublicManager.h"

#include <QEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QStyle>
#include <QStyleOptionButton>

CTabButton::CTabButton(QWidget* parent)
    : QPushButton(parent), m_btnClose(new QPushButton(this)), m_separator(new QLabel(this))
{
    const double scale = DPIAdapter::instance()->scale();
    m_btnClose->setFixedSize(int(20 * scale), int(20 * scale));
    m_btnClose->setObjectName(QStringLiteral("TabCloseBtn"));
    m_btnClose->setFocusPolicy(Qt::NoFocus);
    m_btnClose->hide();
    connect(m_btnClose, &QPushButton::clicked, this, &CTabButton::sig_close);

    m_separator->setFixedSize(1, int(16 * scale));
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

QString CTabButton::elidedName(const QString& name) const
{
    // Measured in the font and padding the skin gives the tab at this scale,
    // so that a cut falls between characters and only where room runs out.
    const_cast<CTabButton*>(this)->ensurePolished();
    QStyleOptionButton option;
    option.initFrom(this);
    option.text = name;
    const QRect room = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    return fontMetrics().elidedText(name, Qt::ElideRight, room.width());
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
    m_name = name;
    setText(elidedName(name));
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
    if (!m_name.isEmpty())
        setText(elidedName(m_name));
    m_btnClose->move(width() - m_btnClose->width() - int(10 * DPIAdapter::instance()->scale()),
                     (height() - m_btnClose->height()) / 2);
    m_separator->move(width() - 1, (height() - m_separator->height()) / 2);
    if (!isChecked() && m_line)
        m_separator->show();
}

void CTabButton::changeEvent(QEvent* event)
{
    QPushButton::changeEvent(event);
    // A skin brings its own font and padding.
    if ((event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) && !m_name.isEmpty())
        setText(elidedName(m_name));
}
