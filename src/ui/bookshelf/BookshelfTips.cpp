#include "BookshelfTips.h"

#include "common/DPIAdapter.h"

#include <QTimer>
#include <QVariant>

BookshelfTips::BookshelfTips(QWidget* parent) : QLabel(parent), m_timer(new QTimer(this))
{
    setObjectName(QStringLiteral("BookshelfTips"));
    setAlignment(Qt::AlignCenter);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &QWidget::hide);
    hide();
}

void BookshelfTips::showTips(const QString& text, int kind, int msecs)
{
    const double s = DPIAdapter::instance()->scale();
    m_kind = kind;
    setProperty("kind", kind);
    const char* const colours[] = {"background-color:#FDECEE;color:#E5484D;",
                                   "background-color:#EAF6EE;color:#2E8B57;",
                                   "background-color:#EEF4FF;color:#1F6FE5;"};
    setStyleSheet(QStringLiteral("QLabel{%1border-radius:%2px;padding:0px %3px;font-size:%4px;}")
                      .arg(QLatin1String(colours[qBound(0, kind, 2)]))
                      .arg(int(6 * s))
                      .arg(int(20 * s))
                      .arg(int(14 * s)));
    setText(text);
    adjustSize();
    resize(width(), int(40 * s));
    if (QWidget* window = parentWidget())
        move((window->width() - width()) / 2, int(66 * s));
    show();
    raise();
    m_timer->start(qMax(0, msecs));
}
