#include "Widget_ClientTips.h"

#include "common/DPIAdapter.h"
#include "manager/CQssManager.h"

#include <QFontMetrics>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

Widget_ClientTips::Widget_ClientTips(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Widget_ClientTips"));
    const double scale = DPIAdapter::instance()->scale();
    resize(int(154 * scale), int(52 * scale));
    setFixedHeight(int(52 * scale));
    setAttribute(Qt::WA_TranslucentBackground);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    m_bg = new QWidget(this);
    m_bg->setObjectName(QStringLiteral("Widget_ClientTips_Bg"));
    m_bg->setAttribute(Qt::WA_StyledBackground);
    outer->addWidget(m_bg);
    auto* row = new QHBoxLayout(m_bg);
    row->setContentsMargins(28, 0, 0, 0);
    row->setSpacing(10);
    auto icon = [this, row, scale](const char* name) {
        auto* button = new QPushButton(m_bg);
        button->setObjectName(QString::fromLatin1(name));
        button->setFixedSize(int(16 * scale), int(16 * scale));
        button->setCheckable(true);
        button->setFocusPolicy(Qt::NoFocus);
        row->addWidget(button);
        return button;
    };
    m_btnInfo = icon("btnInfo");
    m_btnInfo2 = icon("btnInfo2");
    m_btnTips = icon("btnTips");
    m_label = new QLabel(m_bg);
    m_label->setObjectName(QStringLiteral("labelTips"));
    row->addWidget(m_label, 1);
    m_scale = DPIAdapter::instance()->scale();
    DPIAdapter::instance()->adaptWidget(this);

    m_effect = new QGraphicsOpacityEffect(this);
    m_effect->setOpacity(1.0);
    setGraphicsEffect(m_effect);
    m_animation = new QPropertyAnimation(m_effect, "opacity", this);
    m_animation->setEasingCurve(QEasingCurve::Linear);
    m_timer = new QTimer(this);
    m_timer->setInterval(1200);
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, [this]() {
        m_animation->setStartValue(1);
        m_animation->setEndValue(0);
        m_animation->setDuration(m_fadeMsecs);
        m_animation->start();
    });
    connect(m_animation, &QPropertyAnimation::finished, this, [this]() {
        hide();
        m_effect->setOpacity(1.0);
    });
    hide();
}

void Widget_ClientTips::showTips(const QString& text, int kind, int msecs)
{
    m_fadeMsecs = qMax(msecs, 0);
    if (m_animation->state() == QAbstractAnimation::Running) {
        m_effect->setOpacity(1.0);
        m_animation->stop();
    }
    m_btnInfo->hide();
    m_btnInfo2->hide();
    m_btnTips->hide();
    const bool dark = (CQssManager::instance()->currentStyleType() & 2) != 0;
    // The backgrounds are light, the success one half see-through: white
    // text on them cannot be read, so each kind darkens its own text.
    auto look = [](const char* background, const char* ink) {
        return QStringLiteral("#Widget_ClientTips_Bg {background:%1; border-radius:8px;} "
                              "#Widget_ClientTips_Bg QLabel#labelTips {color:%2;}")
            .arg(QLatin1String(background), QLatin1String(ink));
    };
    const QString hint = dark ? look("#8FA3D4", "#0F1E3D") : look("#D6E2FF", "#0F1E3D");
    const QString success = look("#B251a8ff", "#000000");
    switch (kind) {
    case 0:
        m_btnTips->show();
        m_btnTips->setChecked(false);
        m_bg->setStyleSheet(look("#FFC0CB", "#8A1028"));
        break;
    case 1:
        m_btnTips->show();
        m_btnTips->setChecked(true);
        m_bg->setStyleSheet(success);
        break;
    case 2:
    case 3:
        m_btnInfo->show();
        m_btnInfo->setChecked(kind == 2);
        m_bg->setStyleSheet(hint);
        break;
    case 4:
    case 5:
        m_btnInfo2->show();
        m_bg->setStyleSheet(hint);
        break;
    default:
        m_bg->setStyleSheet(success);
        break;
    }
    m_label->setText(text);
    QFont font(QStringLiteral("微软雅黑"));
    font.setPixelSize(int(m_scale * 14));
    const QFontMetrics metrics(font);
    setFixedWidth(int(m_scale * 78 + metrics.boundingRect(text).width()));
    show();
    raise();
    m_timer->stop();
    m_timer->start();
}

Widget_ClientTips* Widget_ClientTips::showOver(QWidget* host, const QString& text, int kind, int msecs)
{
    if (host == nullptr)
        return nullptr;
    auto* tips = host->findChild<Widget_ClientTips*>(QString(), Qt::FindDirectChildrenOnly);
    if (tips == nullptr)
        tips = new Widget_ClientTips(host);
    tips->showTips(text, kind, msecs);
    tips->move(freeSpot(host, tips, &tips->m_coversNothing));
    return tips;
}

QPoint Widget_ClientTips::freeSpot(const QWidget* host, const QWidget* tips, bool* found)
{
    // What the host shows: its visible widgets that hold no others (texts,
    // fields, buttons), not the panels they sit on.
    QList<QRect> shown;
    for (const QWidget* child : host->findChildren<QWidget*>()) {
        if (child == tips || tips->isAncestorOf(child) || !child->isVisibleTo(host))
            continue;
        const bool holdsOthers = std::any_of(child->children().cbegin(), child->children().cend(), [host](QObject* o) {
            auto* inner = qobject_cast<QWidget*>(o);
            return inner != nullptr && inner->isVisibleTo(host);
        });
        if (!holdsOthers || child->inherits("QAbstractScrollArea"))
            shown << QRect(child->mapTo(host, QPoint(0, 0)), child->size());
    }
    // Centred, as high as it can be without covering any of it; where every
    // place covers something, where it always was.
    const int x = (host->width() - tips->width()) / 2;
    for (int y = 0; y + tips->height() <= host->height(); y += 2) {
        const QRect place(QPoint(x, y), tips->size());
        if (std::none_of(shown.cbegin(), shown.cend(), [&place](const QRect& r) { return r.intersects(place); })) {
            *found = true;
            return place.topLeft();
        }
    }
    *found = false;
    return QPoint(x, int(66 * DPIAdapter::instance()->scale()));
}

Float_Tips::Float_Tips(QWidget* parent) : QWidget(parent)
{
    if (objectName().isEmpty())
        setObjectName(QStringLiteral("Float_Tips"));
    setFixedSize(78, 36);
    setWindowFlags(windowFlags() | Qt::Popup | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    auto* outer = new QVBoxLayout(this);
    outer->setSpacing(0);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* bg = new QWidget(this);
    bg->setObjectName(QStringLiteral("Float_Tips_Bg"));
    outer->addWidget(bg);
    auto* row = new QHBoxLayout(bg);
    row->setSpacing(0);
    row->setContentsMargins(0, 0, 0, 5);
    m_label = new QLabel(bg);
    m_label->setObjectName(QStringLiteral("label"));
    m_label->setAlignment(Qt::AlignCenter);
    row->addWidget(m_label);
}

void Float_Tips::setText(const QString& text)
{
    m_label->setText(text);
}

QString Float_Tips::text() const
{
    return m_label->text();
}
